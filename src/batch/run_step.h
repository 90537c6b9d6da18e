#pragma once
// One batch step: the RPM ramp from rpm1 to rpm2 in ticks of 100 ms and the countdown,
// published as events. Clock, sleep and event delivery are passed in, so the same body
// runs on a thread with the real clock, in tests on a simulated one, and in the render
// tool on an ideal one.

#include <cstdint>
#include <string>

#include "batch/runner_job.h"
#include "platform/toolkit.h"

namespace vm {

class RunnerClock {
 public:
  virtual ~RunnerClock() = default;
  virtual uint32_t NowMs() = 0;  // monotonic, wraps at 2^32
  virtual void SleepOneMs() = 0;
};

class RunnerSink {
 public:
  virtual ~RunnerSink() = default;
  virtual void Post(const Event& event) = 0;  // must not wait for the main thread
};

// "5.0s": milliseconds as seconds, one decimal, a "-" when negative.
std::string FormatCountdown(int32_t ms);

// The RPM change per tick, as a 32-bit float; 0 when there is no ramp (rpm2 = 0) or no
// duration to divide by.
float RampIncrement(int32_t durationMs, int32_t rpm1, int32_t rpm2);

// The slider position for a ramp value: rpm / 2, nearest integer, halves to even.
int32_t RampSliderPosition(float rpm);

// Runs the step to its end by the clock or until job.stop; returns 0. Posts, each stamped
// with job.generation: the slider position (RunnerSetSliderEvent, then ControlEvent for
// RpmSlider), the countdown (RunnerStatusTextEvent, field 1), the emptied field at the end,
// and EventStepDone when not stopped.
int RunStep(const RunnerJob& job, RunnerClock& clock, RunnerSink& sink);

}  // namespace vm
