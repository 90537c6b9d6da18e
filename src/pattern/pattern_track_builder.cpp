#include "pattern/pattern_track_builder.h"

#include <algorithm>
#include <string>

namespace vm {
namespace {

// numerator / denominator rounded to the nearest whole number, halves up (both positive).
int64_t RoundedQuotient(int64_t numerator, int64_t denominator) {
  return (2 * numerator + denominator) / (2 * denominator);
}

// Which positions are missing, by index from 0: linear in the positions and runs, however
// many runs a line lists.
std::vector<bool> MissingPositions(const ToothRun& run) {
  std::vector<int32_t> starts(static_cast<size_t>(run.positions) + 1, 0);
  for (const auto& [first, last] : run.missing) {
    ++starts[static_cast<size_t>(first - 1)];
    --starts[static_cast<size_t>(last)];
  }
  std::vector<bool> missing(static_cast<size_t>(run.positions));
  int32_t depth = 0;
  for (size_t i = 0; i < missing.size(); ++i) {
    depth += starts[i];
    missing[i] = depth > 0;
  }
  return missing;
}

std::string StretchText(const HighStretch& high, int32_t cycle) {
  return FormatAngle(high.rise) + " to " + FormatAngle(high.fall % cycle);
}

}  // namespace

bool TrackBuilder::Add(HighStretch high, Origin origin, PatternError& error) {
  if (placed_.size() >= kMaxTrackStretches) {
    error = {origin.line, origin.column, "at most " + std::to_string(kMaxTrackStretches) + " high stretches a track"};
    return false;
  }
  placed_.push_back({high, origin});
  return true;
}

bool TrackBuilder::Add(const ToothRun& run, int32_t cycle, Origin origin, PatternError& error) {
  const int64_t scale = int64_t{run.positions} * 10000;
  const std::vector<bool> missing = MissingPositions(run);
  // A line of teeth with none left would give no track, or none of this line's.
  if (std::find(missing.begin(), missing.end(), false) == missing.end()) {
    error = {origin.line, origin.column, "a tooth position that is not missing"};
    return false;
  }
  for (int32_t start : run.starts) {
    for (int32_t index = 0; index < run.positions; ++index) {
      if (missing[static_cast<size_t>(index)]) continue;
      // Each edge rounded on its own from the exact position, so no rounding accumulates.
      const int64_t rise = RoundedQuotient(int64_t{index} * 10000 * run.turn, scale);
      const int64_t fall = RoundedQuotient((int64_t{index} * 10000 + run.duty) * run.turn, scale);
      const int64_t next = RoundedQuotient((int64_t{index} + 1) * 10000 * run.turn, scale);
      if (fall == rise || fall == next) {
        error = {origin.line, origin.column, "teeth and gaps of at least 0.01° at this duty"};
        return false;
      }
      const int32_t at = static_cast<int32_t>((start + run.offset + rise) % cycle);
      if (!Add(HighStretch{at, static_cast<int32_t>(at + fall - rise)}, origin, error)) return false;
    }
  }
  return true;
}

bool TrackBuilder::Finish(int32_t cycle, PatternTrack& track, PatternError& error) {
  std::stable_sort(placed_.begin(), placed_.end(),
                   [](const Placed& a, const Placed& b) { return a.high.rise < b.high.rise; });
  for (size_t i = 0; i < placed_.size(); ++i) {
    const Placed& here = placed_[i];
    const bool last = i + 1 == placed_.size();
    const Placed& next = last ? placed_.front() : placed_[i + 1];
    const int64_t nextRise = next.high.rise + (last ? int64_t{cycle} : 0);
    if (here.high.fall >= nextRise && placed_.size() == 1) {
      error = {here.origin.line, here.origin.column, "a low somewhere in the cycle"};
      return false;
    }
    if (here.high.fall >= nextRise) {
      // Named at the stretch written later, next to the one it collides with.
      const bool hereLater = here.origin.line > next.origin.line ||
                             (here.origin.line == next.origin.line && here.origin.column > next.origin.column);
      const Placed& blamed = hereLater ? here : next;
      const Placed& other = hereLater ? next : here;
      error = {blamed.origin.line, blamed.origin.column,
               "a low between the high " + StretchText(blamed.high, cycle) + " and the high " +
                   StretchText(other.high, cycle) + " (line " + std::to_string(other.origin.line) + ")"};
      return false;
    }
  }
  track.highs.clear();
  for (const Placed& placed : placed_) track.highs.push_back(placed.high);
  return true;
}

}  // namespace vm
