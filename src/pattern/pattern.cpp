#include "pattern/pattern.h"

#include <algorithm>

namespace vm {

std::vector<PatternEdge> TrackEdges(const PatternTrack& track, int32_t cycle) {
  std::vector<PatternEdge> edges;
  edges.reserve(track.highs.size() * 2);
  for (const HighStretch& high : track.highs) {
    edges.push_back({high.rise, true});
    edges.push_back({high.fall % cycle, false});
  }
  // Only a fall that wraps through 0° is out of order; stretches never share an angle.
  std::sort(edges.begin(), edges.end(), [](const PatternEdge& a, const PatternEdge& b) { return a.angle < b.angle; });
  return edges;
}

std::string FormatAngle(int32_t centidegrees) {
  const bool negative = centidegrees < 0;
  const int64_t magnitude = negative ? -int64_t{centidegrees} : int64_t{centidegrees};
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / kCentidegreesPerDegree);
  const int64_t fraction = magnitude % kCentidegreesPerDegree;
  if (fraction != 0) {
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  }
  return text;
}

}  // namespace vm
