#pragma once
// The exact wheel speed: the playback rate that turns the wheel at exactly the RPM shown on
// the crankshaft, or half of it on the camshaft, whatever truncations its image holds.

#include <cstdint>
#include <optional>

#include "signal/rate_fraction.h"
#include "signal/wheel_signal.h"

namespace vm {

// rpm × F / 60 frames per second on the crankshaft and rpm × F / 120 on the camshaft, F
// being the frames of one revolution of the wheel, in lowest terms. Nothing for a wheel
// without frames or an rpm below 1.
std::optional<RateFraction> ExactPlaybackRate(const WheelSignal& wheel, int32_t rpm);

// The rate the wheel's options give: ExactPlaybackRate with the exact speed on (where it
// gives one), else PlaybackRate(rpm) over 1.
RateFraction SignalPlaybackRate(const WheelSignal& wheel, int32_t rpm);

}  // namespace vm
