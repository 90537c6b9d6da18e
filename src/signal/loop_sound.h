#pragma once
// One loaded sound as the rate conversion reads it: the left channel's levels and their
// running sums, so that the mean over any span costs the same however long it is.

#include <cstdint>
#include <memory>
#include <vector>

#include "signal/wave_reader.h"

namespace vm {

class LoopSound {
 public:
  // Copies the frames; throws std::bad_alloc when the memory cannot be had.
  explicit LoopSound(const WaveFrames& frames);

  uint32_t Frames() const { return static_cast<uint32_t>(levels_.size()); }
  int32_t NominalRate() const { return nominalRate_; }
  int32_t Level(uint32_t frame) const { return levels_[frame]; }
  // Sum of the levels of the frames before `frame` (0..Frames()).
  int64_t SumBefore(uint32_t frame) const { return sums_[frame]; }

 private:
  std::vector<int16_t> levels_;
  std::vector<int64_t> sums_;
  int32_t nominalRate_ = 0;
};

}  // namespace vm
