#pragma once
// velomira-play's command line: the wheel, what to play and for how long, as a plan that
// names files but has not read them yet (play_inputs.h reads them).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/wheel_config.h"

namespace vm::play {

// --rpm takes what velomira-render --rpm takes.
inline constexpr int64_t kMaxRpm = 300000;
inline constexpr int64_t kMaxPasses = 1000000;
inline constexpr int64_t kMaxRevolutions = 1000000000000;
inline constexpr double kMaxSeconds = 1e7;

inline constexpr const char* kUsage =
    "usage: velomira-play [[--teeth P --missing M --position camshaft|crankshaft | --config FILE.cfg] "
    "[--exact-speed] [--cam ANGLE[:WIDTH]] | --pattern NAME|FILE] [--cam-phase DEG] "
    "(--rpm R | --batch FILE.rbt [--loop N] | --control [--rpm R] | --list-patterns) [--revolutions K | --seconds S]";

struct PlayArgs {
  WheelConfig wheel;         // --teeth, --missing, --position, or the program's default wheel
  std::string configPath;    // --config: the wheel is read from this file instead
  int64_t rpm = 0;           // --rpm; 0 when not given
  std::string batchPath;     // --batch
  uint64_t passes = 1;       // --loop
  uint64_t revolutions = 0;  // --revolutions; 0 when not given
  double seconds = 0;        // --seconds; 0 when not given
  bool control = false;      // --control
  SignalOptions signal;      // --exact-speed and --cam, over those of a --config file
  bool exactSpeedGiven = false;
  bool camGiven = false;
  std::optional<std::string> pattern;  // --pattern: a library name or a file, in place of the wheel
  int32_t camPhase = 0;                // --cam-phase, tenths of a crankshaft degree
  bool camPhaseGiven = false;
  bool help = false;          // --help
  bool listPatterns = false;  // --list-patterns
};

// Fails with one line naming the option at fault.
std::optional<PlayArgs> ParsePlayArgs(const std::vector<std::string>& args, std::string& error);

}  // namespace vm::play
