// First stage of a reading run: every file the installation lists is there, with its size.
#pragma once

#include "run/run_core.h"

namespace kelvora::diagnostics
{

void check_fichiersExecute(RunCore& core);

} // namespace kelvora::diagnostics
