#pragma once
// How fast a pattern can turn on an output of a given rate, and its sound built for the
// speeds it can play: the same rule for the tools and the window. Past 45 % of the output
// rate in edges a second a track's neighbouring edges can no longer be told apart, so such
// speeds are refused or held rather than played as something that is not the pattern.

#include <cstdint>
#include <optional>

#include "pattern/pattern_sound.h"

namespace vm {

// The highest RPM from 1 to `ceiling` for which `plays(rpm)` holds, 0 for none, where the RPMs
// that play are 1 up to some highest one (the rate grows with the RPM).
template <class Plays>
int64_t HighestRpmThatPlays(int64_t ceiling, Plays plays) {
  int64_t low = 0;
  int64_t high = ceiling;
  while (low < high) {
    const int64_t middle = low + (high - low + 1) / 2;
    if (plays(middle)) low = middle;
    else high = middle - 1;
  }
  return low;
}

// Neighbouring edges of a track at least 1 / (0.9 × deviceRate) apart, as a wheel's half
// teeth are at 45 % of the output rate. `gap` is the least angle between them (hundredths of
// a degree); the highest such RPM, held to `ceiling`.
int64_t HighestEdgeRpm(int32_t gap, int32_t deviceRate, int64_t ceiling);

// Whether the pattern's edges stay apart at `rpm` and its rate is one the conversion follows.
bool PatternPlaysAtRate(const PatternSound& pattern, int64_t rpm, int32_t deviceRate);
// The highest RPM from 1 to `ceiling` that plays at `deviceRate`; 0 for none.
int64_t HighestPatternRpm(const PatternSound& pattern, int32_t deviceRate, int64_t ceiling);

// The pattern's sound for RPMs up to `topRpm`, the highest the player will play, or the
// highest its edges allow on an output of `deviceRate` when that is lower: the fewer RPMs
// it serves, the finer its frames can be.
std::optional<PatternSound> BuildPlayablePatternSound(const Pattern& pattern, int32_t deviceRate, int64_t topRpm);

}  // namespace vm
