#pragma once
// The window's events for what a batch runner reports. They travel through the toolkit's
// queue, so they keep their order with the window's other events and can be dropped by
// their generation once the runner is stopped.

#include <vector>

#include "batch/run_step.h"
#include "platform/toolkit.h"

namespace vm {

// A slider move is the slider set, then the slider's own change event as a drag would give;
// a countdown is the status text of CountdownField; the end is EventStepDone. Each carries
// the report's generation.
std::vector<Event> RunnerEvents(const RunnerReport& report);

}  // namespace vm
