// The reader stages of a reading run: the readers, the two sessions, both cards and the PIN.
#pragma once

#include "run/run_core.h"

namespace kelvora::reader
{

void check_ListelecteursExecute(RunCore& core);
void check_initlecteursExecute(RunCore& core);
void check_lecteurCPSExecute(RunCore& core);
void check_lecteurExecute(RunCore& core);
void check_CPSExecute(RunCore& core);
void controle_CPSExecute(RunCore& core);
void check_vitaleExecute(RunCore& core);

} // namespace kelvora::reader
