// The reading run: one click on the card icon runs a fixed table of stages in order.
#pragma once

#include "run/run_core.h"

#include <functional>
#include <span>

namespace kelvora
{

struct ReadingStep {
    const char* heading; // the run's heading in the log; nullptr for none
    std::function<void()> stage;
};

// Runs `steps` after the PIN check and the display reset; ends on the PDF page when no stage
// failed. A click during a run is ignored. An error a stage does not handle ends the run
// through the standard error box.
void runReading(RunCore& core, std::span<const ReadingStep> steps);

} // namespace kelvora
