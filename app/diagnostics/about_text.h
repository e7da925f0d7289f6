// The About page's text: who makes the program, which versions are installed.
#pragma once

#include "base/rtf_writer.h"
#include "run/app_state.h"

#include <QList>

namespace kelvora::diagnostics
{

// Remote-support tool offered to users who call the support line.
inline constexpr char kSupportUrl[] = "https://www.kelvora.fr/support-a-distance/";

// The text as styled pieces, in order.
QList<RtfRun> About_boxExecute(const AppState& state);

} // namespace kelvora::diagnostics
