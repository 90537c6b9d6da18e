#pragma once
// A track written out as its high stretches, "rise-fall" in degrees, for comparing tracks
// with expected text; and a pattern read from its track lines alone.

#include <gtest/gtest.h>

#include <string>

#include "pattern/pattern.h"
#include "pattern/pattern_reader.h"

namespace vm::test {

// The pattern of a file with these track lines over a cycle of `cycle` degrees.
inline Pattern Read(int cycle, const std::string& tracks) {
  const PatternReading reading = ReadPattern("name p\ndescription d\ncycle " + std::to_string(cycle) + "\n" + tracks +
                                             "\n");
  EXPECT_TRUE(reading.ok) << PatternErrorText(reading.error);
  return reading.pattern;
}

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
