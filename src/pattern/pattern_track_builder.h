#pragma once
// Builds one track of a pattern from what its lines say (tooth runs and high stretches) and
// checks that the stretches leave a low between any two.

#include <cstdint>
#include <utility>
#include <vector>

#include "pattern/pattern.h"
#include "pattern/pattern_scanner.h"

namespace vm {

inline constexpr int32_t kMaxPatternPositions = 3600;  // a tooth pitch of at least 0.1°
inline constexpr size_t kMaxTrackStretches = 4000;

// N evenly spaced positions over one turn of a wheel, each a tooth unless missing.
struct ToothRun {
  int32_t positions = 0;
  std::vector<std::pair<int32_t, int32_t>> missing;  // runs of positions, 1-based, first to last
  int32_t duty = 5000;                               // the high share of a pitch, hundredths of a per cent
  int32_t offset = 0;                                // where position 1 rises, within the turn
  int32_t turn = 0;                                  // the angle a turn of the wheel takes
  std::vector<int32_t> starts;                       // where each turn begins in the cycle
};

class TrackBuilder {
 public:
  // Where a stretch came from, for the error that names it.
  struct Origin {
    int line = 0;
    int column = 0;
  };

  // Adds the high from `rise` to `fall` (0 <= rise < cycle, rise < fall < rise + cycle).
  // False once the track holds too many stretches.
  bool Add(HighStretch high, Origin origin, PatternError& error);
  // Adds a run's teeth. False when a tooth would be too short or too many stretches.
  bool Add(const ToothRun& run, int32_t cycle, Origin origin, PatternError& error);
  // The stretches sorted, or an error at the one that overlaps or touches its neighbour.
  bool Finish(int32_t cycle, PatternTrack& track, PatternError& error);
  bool empty() const { return placed_.empty(); }

 private:
  struct Placed {
    HighStretch high;
    Origin origin;
  };
  std::vector<Placed> placed_;
};

}  // namespace vm
