#pragma once
// A playback rate as the sound output and the renderer take it: frames of the image per
// second, numerator / denominator, carried exactly.

#include <cstdint>

namespace vm {

struct RateFraction {
  int64_t numerator = 0;  // frames per second × denominator
  int64_t denominator = 1;

  // A whole number of frames per second converts on its own.
  constexpr RateFraction(int64_t numerator = 0, int64_t denominator = 1)  // NOLINT
      : numerator(numerator), denominator(denominator) {}
  bool operator==(const RateFraction&) const = default;
};

// Whether the rate conversion follows it: a denominator of 1..kMaxRateDenominator and a
// rate of 1..kMaxPlaybackRate frames per second.
bool PlayableRate(const RateFraction& rate);

}  // namespace vm
