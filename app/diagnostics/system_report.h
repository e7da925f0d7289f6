// The head of every diagnostic log: who we are and what machine we run on.
#pragma once

#include "run/run_core.h"

namespace kelvora::diagnostics
{

// Empties the log and writes the report at its head.
void debug_modeExecute(RunCore& core);

} // namespace kelvora::diagnostics
