#include "signal/loop_resampler.h"

#include <algorithm>

#include "signal/wave_reader.h"

namespace vm {
namespace {

constexpr double kLimit = 32000.0;

}  // namespace

LoopResampler::LoopResampler(int32_t deviceRate)
    : deviceRate_(std::clamp(deviceRate, kMinDeviceRate, kMaxDeviceRate)) {
  Retune(0);
}

void LoopResampler::Rewind() {
  position_ = 0;
  carry_ = 0;
}

void LoopResampler::Retune(int32_t rate) {
  rate_ = rate;
  const int32_t held = std::clamp(rate, 1, kMaxPlaybackRate);
  // At most 2^22 × 2^32: no overflow. The step is at least 1 because 2^32 > deviceRate.
  const uint64_t scaled = static_cast<uint64_t>(held) << kFractionBits;
  step_ = scaled / static_cast<uint64_t>(deviceRate_);
  stepRemainder_ = scaled % static_cast<uint64_t>(deviceRate_);
}

// Bounds: a sound has at most 2^24 frames of at most 2^15, so running sums stay below 2^39;
// a span covers at most kMaxPlaybackRate / kMinDeviceRate < 2^11 frames, so the area in
// level × 2^-32 frames stays below 2^15 × 2^11 × 2^32 = 2^58.
int16_t LoopResampler::NextLevel(const LoopSound& sound, uint64_t loopLength) {
  constexpr uint64_t fractionMask = (uint64_t{1} << kFractionBits) - 1;
  uint64_t span = step_;
  carry_ += stepRemainder_;
  if (carry_ >= static_cast<uint64_t>(deviceRate_)) {
    carry_ -= static_cast<uint64_t>(deviceRate_);
    ++span;
  }
  const uint64_t start = position_;
  uint64_t end = start + span;
  int64_t loops = 0;
  if (end >= loopLength) {
    loops = static_cast<int64_t>(end / loopLength);
    end -= static_cast<uint64_t>(loops) * loopLength;
  }
  const auto first = static_cast<uint32_t>(start >> kFractionBits);
  const auto last = static_cast<uint32_t>(end >> kFractionBits);
  const int64_t wholeFrames = sound.SumBefore(last) - sound.SumBefore(first) + loops * sound.SumBefore(sound.Frames());
  const int64_t area = wholeFrames * (int64_t{1} << kFractionBits) +
                       static_cast<int64_t>(end & fractionMask) * sound.Level(last) -
                       static_cast<int64_t>(start & fractionMask) * sound.Level(first);
  position_ = end;
  const double mean = std::clamp(static_cast<double>(area) / static_cast<double>(span), -kLimit, kLimit);
  // Rounds half up; the offset keeps the value positive so that truncation is floor.
  return static_cast<int16_t>(static_cast<int32_t>(mean + 32768.5) - 32768);
}

void LoopResampler::Render(const LoopSound& sound, const std::atomic<int32_t>& rate, std::span<int16_t> interleaved) {
  const uint64_t loopLength = static_cast<uint64_t>(sound.Frames()) << kFractionBits;
  if (loopLength == 0) {
    std::fill(interleaved.begin(), interleaved.end(), int16_t{0});
    return;
  }
  if (position_ >= loopLength) position_ %= loopLength;  // a shorter sound than before
  const size_t frames = interleaved.size() / 2;
  for (size_t i = 0; i < frames; ++i) {
    const int32_t now = rate.load(std::memory_order_relaxed);
    if (now != rate_) Retune(now);
    const int16_t left = NextLevel(sound, loopLength);
    interleaved[2 * i] = left;
    interleaved[2 * i + 1] = static_cast<int16_t>(-left);
  }
  if (interleaved.size() % 2 != 0) interleaved.back() = 0;
}

}  // namespace vm
