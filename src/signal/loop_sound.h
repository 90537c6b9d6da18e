#pragma once
// One loaded sound as the rate conversion reads it: the left channel's levels, repeated a
// little before the first frame and after the last one as the loop plays them, with their
// first and second running sums. Any weighted mean over a stretch of the loop then costs
// a few look-ups, however long the stretch and wherever the loop wraps.
//
// The right channel is kept only when it is not the exact negative of the left one (a cam
// signal beside the wheel); otherwise the output makes it as -left, as it always did.

#include <cstdint>
#include <memory>
#include <vector>

#include "signal/wave_reader.h"

namespace vm {

class LoopSound {
 public:
  // Frames of the loop repeated on either side: more than the widest stretch the
  // conversion reads around a position (two output frames at the highest rate and the
  // lowest device rate).
  static constexpr int64_t kPadFrames = 2 * (kMaxPlaybackRate / kMinDeviceRate) + 4;

  // Copies the frames; throws std::bad_alloc when the memory cannot be had.
  explicit LoopSound(const WaveFrames& frames);
  ~LoopSound();
  LoopSound(LoopSound&&) noexcept;

  uint32_t Frames() const { return frames_; }
  int32_t NominalRate() const { return nominalRate_; }
  // The level of a frame of the loop, 0..Frames() - 1.
  int32_t Level(uint32_t frame) const { return padded_[static_cast<size_t>(frame + kPadFrames)]; }

  // Padded index k stands for loop frame k - kPadFrames (taken modulo Frames()).
  int32_t PaddedLevel(int64_t k) const { return padded_[static_cast<size_t>(k)]; }
  // Sum of the padded levels before k.
  int64_t Sum(int64_t k) const { return sums_[static_cast<size_t>(k)]; }
  // Sum of 2 × Sum(i) + level(i) for i before k: twice the integral of the running sum.
  int64_t DoubleSum(int64_t k) const { return doubleSums_[static_cast<size_t>(k)]; }

  // The right channel's levels when they are not -left everywhere; null otherwise.
  const LoopSound* Right() const { return right_.get(); }

 private:
  // `channel` 0 is the left, 1 the right channel of each frame.
  LoopSound(const WaveFrames& frames, int channel);

  uint32_t frames_ = 0;
  int32_t nominalRate_ = 0;
  std::vector<int16_t> padded_;
  std::vector<int64_t> sums_;
  std::vector<int64_t> doubleSums_;
  std::unique_ptr<const LoopSound> right_;
};

}  // namespace vm
