// The reading: the stages of a click on the card icon, in their order.
#pragma once

#include "run/run_core.h"

namespace kelvora
{

class UpdateService;

void action_vitale2Click(RunCore& core, UpdateService& maj);

} // namespace kelvora
