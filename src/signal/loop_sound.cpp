#include "signal/loop_sound.h"

namespace vm {

// Only the left channel is kept: the output's right channel is always made as its exact
// negative, whatever the image's right channel holds.
//
// Bounds: at most 2^22 frames plus padding, levels below 2^15, so sums stay below 2^38 and
// double sums below 2^61.
LoopSound::LoopSound(const WaveFrames& frames) : frames_(frames.FrameCount()), nominalRate_(frames.framesPerSecond) {
  const int64_t count = frames_;
  const auto padded = static_cast<size_t>(count + 2 * kPadFrames);
  padded_.resize(padded);
  sums_.resize(padded + 1);
  doubleSums_.resize(padded + 1);
  int64_t sum = 0;
  int64_t doubleSum = 0;
  for (size_t k = 0; k < padded; ++k) {
    const int64_t frame = ((static_cast<int64_t>(k) - kPadFrames) % count + count) % count;
    const uint8_t* at = frames.data.data() + 4 * frame;
    const auto level = static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
    padded_[k] = level;
    sums_[k] = sum;
    doubleSums_[k] = doubleSum;
    doubleSum += 2 * sum + level;
    sum += level;
  }
  sums_[padded] = sum;
  doubleSums_[padded] = doubleSum;
}

}  // namespace vm
