#pragma once
// How fast a wheel can turn on an output of a given rate. Past 45 % of the output rate in
// teeth per second the teeth can no longer be told apart (at half the rate the output is
// flat), so the tools refuse such speeds rather than play something that is not the wheel.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_file.h"
#include "pattern/pattern_sound.h"
#include "pattern/pattern_speed.h"
#include "signal/wheel_signal.h"

namespace vm::render {

// Whether the wheel's teeth at `rpm` (with its exact-speed option) pass at up to 45 % of
// `deviceRate`.
bool PlaysAtRate(const WheelSignal& wheel, int64_t rpm, int32_t deviceRate);

// The highest RPM from 1 to `ceiling` that plays at `deviceRate`; 0 for none.
int64_t HighestPlayableRpm(const WheelSignal& wheel, int32_t deviceRate, int64_t ceiling);

// Nothing when `rpm` plays; else the reason, naming the highest RPM that does:
// "60000 RPM is too fast for a 48000 Hz output: this wheel plays up to 54000 RPM".
std::optional<std::string> SpeedLimitError(const WheelSignal& wheel, int64_t rpm, int32_t deviceRate, int64_t ceiling);

// As above for the fastest step of a batch run, whose RPM a run holds to 100..15000.
std::optional<std::string> BatchSpeedLimitError(const WheelSignal& wheel, const std::vector<BatchRow>& rows,
                                                int32_t deviceRate);

// A pattern by the same rule (pattern/pattern_speed.h).
bool PlaysAtRate(const PatternSound& pattern, int64_t rpm, int32_t deviceRate);
int64_t HighestPlayableRpm(const PatternSound& pattern, int32_t deviceRate, int64_t ceiling);
// "... this pattern plays up to 40464 RPM".
std::optional<std::string> SpeedLimitError(const PatternSound& pattern, int64_t rpm, int32_t deviceRate,
                                           int64_t ceiling);
std::optional<std::string> BatchSpeedLimitError(const PatternSound& pattern, const std::vector<BatchRow>& rows,
                                                int32_t deviceRate);

}  // namespace vm::render
