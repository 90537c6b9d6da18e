#pragma once
// A pattern as sound: one cycle as a 16-bit stereo WAV image, the crank track on the left and
// the cam track on the right (or -left without one), and the exact rate that turns it at a
// crank RPM.
//
// Every edge is placed exactly. Where the edges all fall on whole frames (the frames a cycle
// are a multiple of the pattern's own grid), the image is a plain ±32000 square. Where that
// many frames would need a faster rate than the conversion follows at the highest RPM, fewer
// frames are used and the frame an edge falls inside gets the level whose area is exact: the
// conversion integrates areas, so the edge keeps its place within the frame.

#include <cstdint>
#include <optional>

#include "pattern/pattern.h"
#include "signal/rate_fraction.h"
#include "signal/wave_image.h"

namespace vm {

inline constexpr int16_t kPatternLevel = 32000;

struct PatternSound {
  WaveImage image;
  int64_t cycleFrames = 0;   // frames of one cycle, the whole image
  int32_t revolutions = 1;   // crank revolutions a cycle: 1 for 360°, 2 for 720°
  int32_t shortestGap = 0;   // the least angle between neighbouring edges of one track
  bool exactFrames = false;  // every edge on a frame boundary: a plain square
};

// The least angle between neighbouring edges of either track, around the cycle's end too;
// the cycle for a track without edges.
int32_t ShortestEdgeGap(const Pattern& pattern);

// The frames of one cycle: the smallest multiple of the pattern's grid (the largest angle
// that divides every edge's angle and the cycle) with at least 60 frames a revolution (so
// 1 RPM is a rate of a frame a second or more), unless that gives a rate beyond
// kMaxPlaybackRate at `topRpm`: then the most frames that stay within it.
int64_t PatternCycleFrames(const Pattern& pattern, int64_t topRpm);

// The level of a frame that is high for `high` of its `whole` parts: ±kPatternLevel at the
// ends, in between in proportion, rounded to the nearest step (half away from zero).
int16_t AreaLevel(int64_t high, int64_t whole);

// The image for RPMs up to `topRpm` (1 to 300000). None when the memory cannot be had.
std::optional<PatternSound> BuildPatternSound(const Pattern& pattern, int64_t topRpm);

// cycleFrames × rpm / (60 × revolutions) frames a second, in lowest terms; 0 / 1 below 1 RPM.
RateFraction PatternPlaybackRate(const PatternSound& sound, int64_t rpm);

}  // namespace vm
