// Saving the diagnostic log as an RTF file.
#pragma once

#include "run/diagnostic_log.h"

#include <QString>

namespace kelvora::diagnostics
{

// Writes the log to `path` whole or not at all; throws with a French message naming the file.
void saveDebugLog(const DiagnosticLog& log, const QString& path);

} // namespace kelvora::diagnostics
