#include "signal/exact_rate.h"

#include <numeric>

#include "signal/wave_image.h"
#include "signal/wheel_geometry.h"

namespace vm {

std::optional<RateFraction> ExactPlaybackRate(const WheelSignal& wheel, int32_t rpm) {
  const auto geometry = GeometryOfWheel(wheel);
  if (rpm < 1 || !geometry || geometry->revolutionFrames == 0) return std::nullopt;
  // One revolution is at most 44100 / 32 frames, so the product stays far inside 64 bits.
  const int64_t frames = geometry->revolutionFrames;
  // The camshaft turns once per two turns of the crankshaft.
  const int64_t numerator = int64_t{rpm} * frames;
  const int64_t denominator = wheel.WheelAt == Crankshaft ? 60 : 120;
  const int64_t common = std::gcd(numerator, denominator);
  return RateFraction{numerator / common, denominator / common};
}

RateFraction SignalPlaybackRate(const WheelSignal& wheel, int32_t rpm) {
  if (wheel.Signal.exactSpeed) {
    if (const auto exact = ExactPlaybackRate(wheel, rpm)) return *exact;
  }
  return RateFraction{PlaybackRate(rpm), 1};
}

}  // namespace vm
