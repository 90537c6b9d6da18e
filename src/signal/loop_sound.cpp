#include "signal/loop_sound.h"

namespace vm {

// Only the left channel is kept: the output's right channel is always made as its exact
// negative, whatever the image's right channel holds.
LoopSound::LoopSound(const WaveFrames& frames) : nominalRate_(frames.framesPerSecond) {
  const uint32_t count = frames.FrameCount();
  levels_.resize(count);
  sums_.resize(static_cast<size_t>(count) + 1);
  int64_t sum = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* at = frames.data.data() + 4 * static_cast<size_t>(i);
    const auto level = static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
    levels_[i] = level;
    sums_[i] = sum;
    sum += level;
  }
  sums_[count] = sum;
}

}  // namespace vm
