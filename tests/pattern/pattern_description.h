#pragma once
// A track written out as its high stretches, "rise-fall" in degrees, for comparing tracks
// with expected text.

#include <string>

#include "pattern/pattern.h"

namespace vm::test {

inline std::string DescribeTrack(const PatternTrack& track, int32_t cycle, size_t perLine = 0,
                                 const std::string& indent = "") {
  std::string text;
  for (size_t i = 0; i < track.highs.size(); ++i) {
    if (i != 0) text += perLine != 0 && i % perLine == 0 ? "\n" + indent : " ";
    text += FormatAngle(track.highs[i].rise) + "-" + FormatAngle(track.highs[i].fall % cycle);
  }
  return text;
}

}  // namespace vm::test
