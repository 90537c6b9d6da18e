#pragma once
// The status line a terminal shows while velomira-play plays.

#include <cstdint>
#include <string>

namespace vm::play {

struct StatusFigures {
  int64_t rpm = 0;  // 0 before the first speed
  uint64_t revolutions = 0;
  double seconds = 0;    // since the start
  double progress = -1;  // a batch run's share done, 0..1; below 0 for no bar
};

// "3000 rpm  125 rev  0:02.5" and, for a batch run, "  [#####...............]  25%".
std::string StatusLine(const StatusFigures& figures);

}  // namespace vm::play
