#include "signal/loop_sound.h"

#include "signal/pcm16.h"

namespace vm {

namespace {

int16_t Sample(const WaveFrames& frames, int64_t frame, int channel) {
  return GetSample(frames.data.data() + 4 * frame + 2 * channel);
}

// A wheel's image: the right channel is the negative of the left at every frame, as the
// output makes it (-32768 stays -32768 in 16 bits).
bool RightIsMinusLeft(const WaveFrames& frames) {
  for (int64_t frame = 0; frame < frames.FrameCount(); ++frame) {
    const int16_t left = Sample(frames, frame, 0);
    if (Sample(frames, frame, 1) != static_cast<int16_t>(-left)) return false;
  }
  return true;
}

}  // namespace

LoopSound::LoopSound(const WaveFrames& frames) : LoopSound(frames, 0) {
  if (!RightIsMinusLeft(frames)) right_.reset(new LoopSound(frames, 1));
}

LoopSound::~LoopSound() = default;
LoopSound::LoopSound(LoopSound&&) noexcept = default;

// Bounds: at most 2^22 frames plus padding, levels below 2^15, so sums stay below 2^38 and
// double sums below 2^61.
LoopSound::LoopSound(const WaveFrames& frames, int channel)
    : frames_(frames.FrameCount()), nominalRate_(frames.framesPerSecond) {
  const int64_t count = frames_;
  const auto padded = static_cast<size_t>(count + 2 * kPadFrames);
  padded_.resize(padded);
  sums_.resize(padded + 1);
  doubleSums_.resize(padded + 1);
  int64_t sum = 0;
  int64_t doubleSum = 0;
  for (size_t k = 0; k < padded; ++k) {
    const int64_t frame = ((static_cast<int64_t>(k) - kPadFrames) % count + count) % count;
    const int16_t level = Sample(frames, frame, channel);
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
