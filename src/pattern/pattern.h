#pragma once
// A trigger pattern: what the crank and cam sensors see over one cycle, one crank revolution
// (360°) or one engine cycle (720°). Angles are whole hundredths of a crank degree, so an edge
// written at 12.34° stays at exactly 1234 through every computation.

#include <cstdint>
#include <string>
#include <vector>

namespace vm {

inline constexpr int32_t kCentidegreesPerDegree = 100;
inline constexpr int32_t kRevolutionCentidegrees = 360 * kCentidegreesPerDegree;
inline constexpr int32_t kEngineCycleCentidegrees = 720 * kCentidegreesPerDegree;

// One stretch at the high level: rises at `rise` (0 <= rise < cycle) and falls at `fall`
// (rise < fall < rise + cycle). A fall beyond the cycle's end wraps through 0°.
struct HighStretch {
  int32_t rise = 0;
  int32_t fall = 0;
  bool operator==(const HighStretch&) const = default;
};

// The high stretches of one track, sorted by rise. None overlaps or touches another, also
// across the end of the cycle, so a low lies between any two and each gives exactly two edges.
struct PatternTrack {
  std::vector<HighStretch> highs;
  bool operator==(const PatternTrack&) const = default;
};

struct Pattern {
  std::string name;                  // the library's name for it, also its file name without ".pattern"
  std::string description;           // one line
  std::vector<std::string> sources;  // where the facts come from
  std::vector<std::string> fits;     // the engines it fits
  int32_t cycle = kRevolutionCentidegrees;
  PatternTrack crank;  // the left channel
  bool hasCam = false;
  PatternTrack cam;  // the right channel, when hasCam
};

struct PatternEdge {
  int32_t angle = 0;  // 0 <= angle < cycle
  bool rising = false;
  bool operator==(const PatternEdge&) const = default;
};

// The edges of a track in the order of their angles over [0, cycle).
std::vector<PatternEdge> TrackEdges(const PatternTrack& track, int32_t cycle);

// An angle in degrees as the files write it: "12", "12.5", "12.34"; "." as the decimal point.
std::string FormatAngle(int32_t centidegrees);

}  // namespace vm
