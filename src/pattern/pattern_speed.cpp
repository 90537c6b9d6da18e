#include "pattern/pattern_speed.h"

#include <algorithm>

namespace vm {

int64_t HighestEdgeRpm(int32_t gap, int32_t deviceRate, int64_t ceiling) {
  // gap / (600 × rpm) seconds >= 1 / (0.9 × deviceRate): rpm <= 9 × deviceRate × gap / 6000.
  return std::clamp<int64_t>(9 * int64_t{deviceRate} * gap / 6000, 0, ceiling);
}

bool PatternPlaysAtRate(const PatternSound& pattern, int64_t rpm, int32_t deviceRate) {
  if (rpm < 1 || deviceRate < 1 || 6000 * rpm > 9 * int64_t{deviceRate} * pattern.shortestGap) return false;
  return PlayableRate(PatternPlaybackRate(pattern, rpm));
}

int64_t HighestPatternRpm(const PatternSound& pattern, int32_t deviceRate, int64_t ceiling) {
  return HighestRpmThatPlays(ceiling, [&](int64_t rpm) { return PatternPlaysAtRate(pattern, rpm, deviceRate); });
}

std::optional<PatternSound> BuildPlayablePatternSound(const Pattern& pattern, int32_t deviceRate, int64_t topRpm) {
  return BuildPatternSound(pattern, std::max<int64_t>(1, HighestEdgeRpm(ShortestEdgeGap(pattern), deviceRate, topRpm)));
}

}  // namespace vm
