#pragma once
// One batch step: the RPM ramp from rpm1 to rpm2 in ticks of 100 ms and the countdown,
// reported to a sink. Clock, sleep and the sink are passed in, so the same body runs on a
// thread with the real clock, in tests on a simulated one, and in the render tool on an
// ideal one. It knows no window: the program turns its reports into the window's events.

#include <cstdint>
#include <string>

#include "batch/runner_job.h"

namespace vm {

class RunnerClock {
 public:
  virtual ~RunnerClock() = default;
  virtual uint32_t NowMs() = 0;  // monotonic, wraps at 2^32
  virtual void SleepOneMs() = 0;
};

// What a step reports, in order: each slider move, each countdown, and its end.
struct RunnerReport {
  enum class Kind : uint8_t { SliderPosition, Countdown, StepDone };
  Kind kind = Kind::StepDone;
  int32_t position = 0;     // SliderPosition: before the slider holds it to its range
  std::string countdown;    // Countdown: "5.0s", or empty when the step clears it
  uint32_t generation = 0;  // the job's, so what a stopped runner reports late can be dropped
};

class RunnerSink {
 public:
  virtual ~RunnerSink() = default;
  virtual void Report(const RunnerReport& report) = 0;  // must not wait for the main thread
};

// "5.0s": milliseconds as seconds, one decimal, a "-" when negative.
std::string FormatCountdown(int32_t ms);

// The RPM change per tick, as a 32-bit float; 0 when there is no ramp (rpm2 = 0) or no
// duration to divide by.
float RampIncrement(int32_t durationMs, int32_t rpm1, int32_t rpm2);

// The slider position for a ramp value: rpm / 2, nearest integer, halves to even.
int32_t RampSliderPosition(float rpm);

// Runs the step to its end by the clock or until job.stop; returns 0. Reports, each stamped
// with job.generation: the slider positions, the countdowns, an empty countdown at the end,
// and StepDone when not stopped.
int RunStep(const RunnerJob& job, RunnerClock& clock, RunnerSink& sink);

}  // namespace vm
