#include "signal/loop_resampler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "signal/wave_reader.h"

namespace vm {
namespace {

constexpr double kLimit = 32000.0;
constexpr uint64_t kFractionMask = (uint64_t{1} << kFractionBits) - 1;
constexpr double kFractionUnit = 1.0 / 4294967296.0;
constexpr uint64_t kPad = static_cast<uint64_t>(LoopSound::kPadFrames) << kFractionBits;

// Twice the second integral of the padded levels at `x` (frames × 2^32), less its value
// and slope at frame `base`; only second differences of it are used, which that does not
// change. The integer part is exact and small, so the double keeps every bit that matters.
double TwiceIntegral(const LoopSound& sound, int64_t base, uint64_t x) {
  const auto k = static_cast<int64_t>(x >> kFractionBits);
  const double f = static_cast<double>(x & kFractionMask) * kFractionUnit;
  const int64_t whole = sound.DoubleSum(k) - sound.DoubleSum(base) - 2 * sound.Sum(base) * (k - base);
  return static_cast<double>(whole) + 2.0 * static_cast<double>(sound.Sum(k) - sound.Sum(base)) * f +
         sound.PaddedLevel(k) * f * f;
}

// `units` of kCamPhaseUnits of a loop of `frames` frames, in frames × 2^32. Below 2^11 ×
// 2^22 before the division, and the remainder's part below 2^13 × 2^32: nothing overflows.
int64_t CamOffsetOf(int32_t units, uint32_t frames) {
  const uint64_t magnitude = static_cast<uint64_t>(units < 0 ? -int64_t{units} : int64_t{units}) * frames;
  const uint64_t whole = magnitude / kCamPhaseUnits;
  const uint64_t part = magnitude % kCamPhaseUnits;
  const auto offset = static_cast<int64_t>((whole << kFractionBits) + (part << kFractionBits) / kCamPhaseUnits);
  return units < 0 ? -offset : offset;
}

int32_t CamUnitsOf(uint64_t packed) {
  return std::clamp<int32_t>(static_cast<int16_t>(packed & 0xFFFF), -kMaxCamPhase, kMaxCamPhase);
}

}  // namespace

LoopResampler::LoopResampler(int32_t deviceRate) : deviceRate_(std::clamp(deviceRate, kMinDeviceRate, kMaxDeviceRate)) {
  Retune(0, 1);
}

void LoopResampler::SetDeviceRate(int32_t deviceRate) {
  deviceRate_ = std::clamp(deviceRate, kMinDeviceRate, kMaxDeviceRate);
  carry_ = 0;
  Retune(numerator_, denominator_);
}

void LoopResampler::Rewind() {
  position_ = 0;
  carry_ = 0;
  revolutions_ = 0;
}

void LoopResampler::Retune(int64_t numerator, int64_t denominator) {
  numerator_ = numerator;
  denominator_ = denominator;
  const int64_t below = std::clamp<int64_t>(denominator, 1, kMaxRateDenominator);
  const int64_t held = std::clamp<int64_t>(numerator, below, int64_t{kMaxPlaybackRate} * below);
  // Below 2^22 × 2^9 × 2^32 = 2^63: no overflow. The step is at least 1 because 2^32 >
  // deviceRate, and at most kMaxPlaybackRate / kMinDeviceRate frames, well inside the
  // sound's padding.
  const uint64_t divisor = static_cast<uint64_t>(below) * static_cast<uint64_t>(deviceRate_);
  // The carried part of a unit stays the same part of it under the new divisor (below 2^29
  // each, so the product fits); with an unchanged divisor it is untouched.
  if (divisor_ != 0 && divisor != divisor_) carry_ = carry_ * divisor / divisor_;
  divisor_ = divisor;
  const uint64_t scaled = static_cast<uint64_t>(held) << kFractionBits;
  step_ = scaled / divisor_;
  stepRemainder_ = scaled % divisor_;
  const double frames = static_cast<double>(step_) * kFractionUnit;
  scale_ = 1.0 / (2.0 * frames * frames);
}

// The triangle from position - step to position + step, as a second difference of the
// second integral; positions are shifted into the padding so none is negative.
int16_t LoopResampler::LevelAt(const LoopSound& sound, uint64_t position) const {
  const uint64_t centre = position + kPad;
  const uint64_t low = centre - step_;
  const uint64_t high = centre + step_;
  const auto base = static_cast<int64_t>(low >> kFractionBits);
  const double second = TwiceIntegral(sound, base, high) - 2.0 * TwiceIntegral(sound, base, centre) +
                        TwiceIntegral(sound, base, low);
  const double mean = std::clamp(second * scale_, -kLimit, kLimit);
  // Rounds half up; the offset keeps the value positive so that truncation is floor.
  return static_cast<int16_t>(static_cast<int32_t>(mean + 32768.5) - 32768);
}

void LoopResampler::Advance(uint64_t loopLength) {
  carry_ += stepRemainder_;
  uint64_t span = step_;
  if (carry_ >= divisor_) {
    carry_ -= divisor_;
    ++span;
  }
  position_ += span;
  if (position_ >= loopLength) {  // gapless: the loop simply goes on
    revolutions_ += position_ / loopLength;
    position_ %= loopLength;
  }
}

// A new target from wherever the phase is now; at once when the ramp has no frames.
void LoopResampler::StartCamRamp(uint64_t packed, uint32_t loopFrames) {
  camPacked_ = packed;
  camLoopFrames_ = loopFrames;
  camTarget_ = CamOffsetOf(CamUnitsOf(packed), loopFrames);
  const uint64_t ms = (packed >> 16) & 0xFFFFFFFF;
  camRampFrames_ = (ms * static_cast<uint64_t>(deviceRate_) + 500) / 1000;
  const int64_t delta = camTarget_ - camOffset_;
  camFramesLeft_ = delta == 0 ? 0 : camRampFrames_;
  if (camFramesLeft_ == 0) {
    camOffset_ = camTarget_;
    return;
  }
  camSign_ = delta < 0 ? -1 : 1;
  const auto magnitude = static_cast<uint64_t>(delta < 0 ? -delta : delta);
  camStep_ = static_cast<int64_t>(magnitude / camRampFrames_);
  camStepRemainder_ = magnitude % camRampFrames_;
  camCarry_ = 0;
}

// Over the ramp's frames the steps and carried remainders add up to the distance exactly.
void LoopResampler::AdvanceCam() {
  camCarry_ += camStepRemainder_;
  int64_t span = camStep_;
  if (camCarry_ >= camRampFrames_) {
    camCarry_ -= camRampFrames_;
    ++span;
  }
  camOffset_ += camSign_ * span;
  --camFramesLeft_;
}

// Where the right channel is read: `camOffset_` behind the position, the offset below a
// loop either way.
uint64_t LoopResampler::CamPosition(uint64_t loopLength) const {
  if (camOffset_ == 0) return position_;
  const uint64_t read = position_ + loopLength - static_cast<uint64_t>(camOffset_);  // wraps by definition
  return read >= loopLength ? read - loopLength : read;
}

void LoopResampler::Render(const LoopSound& sound, const std::atomic<int32_t>& rate, std::span<int16_t> interleaved) {
  static const std::atomic<uint64_t> kNoExactRate{0};
  Render(sound, rate, kNoExactRate, interleaved);
}

void LoopResampler::Render(const LoopSound& sound, const std::atomic<int32_t>& rate,
                           const std::atomic<uint64_t>& exactRate, std::span<int16_t> interleaved) {
  static const std::atomic<uint64_t> kNoCamPhase{0};
  Render(sound, rate, exactRate, kNoCamPhase, interleaved);
}

void LoopResampler::Render(const LoopSound& sound, const std::atomic<int32_t>& rate,
                           const std::atomic<uint64_t>& exactRate, const std::atomic<uint64_t>& camPhase,
                           std::span<int16_t> interleaved) {
  const uint64_t loopLength = static_cast<uint64_t>(sound.Frames()) << kFractionBits;
  if (loopLength == 0) {
    std::fill(interleaved.begin(), interleaved.end(), int16_t{0});
    return;
  }
  if (position_ >= loopLength) position_ %= loopLength;  // a shorter sound than before
  // Another sound: the phase is worked out again for its loop, at once.
  if (sound.Frames() != camLoopFrames_) {
    camOffset_ = CamOffsetOf(CamUnitsOf(camPacked_), sound.Frames());
    StartCamRamp(camPacked_, sound.Frames());
  }
  const LoopSound* right = sound.Right();
  const size_t frames = interleaved.size() / 2;
  // The count is compared in the loop's own test: a call to Ended() per frame there cost
  // a third more time per frame at 1000 RPM.
  const uint64_t end = endAfter_ != 0 ? endAfter_ : UINT64_MAX;
  size_t i = 0;
  for (; i < frames && revolutions_ < end; ++i) {
    const uint64_t exact = exactRate.load(std::memory_order_relaxed);
    const int64_t numerator = exact != 0 ? int64_t{static_cast<uint32_t>(exact)} : rate.load(std::memory_order_relaxed);
    const int64_t denominator = exact != 0 ? static_cast<int64_t>(exact >> 32) : 1;
    if (numerator != numerator_ || denominator != denominator_) Retune(numerator, denominator);
    const int16_t left = LevelAt(sound, position_);
    interleaved[2 * i] = left;
    if (right) {  // a sound without a right channel of its own pays nothing for the phase
      const uint64_t packed = camPhase.load(std::memory_order_relaxed);
      if (packed != camPacked_) StartCamRamp(packed, sound.Frames());
      interleaved[2 * i + 1] = LevelAt(*right, CamPosition(loopLength));
      if (camFramesLeft_ != 0) AdvanceCam();
    } else {
      interleaved[2 * i + 1] = static_cast<int16_t>(-left);
    }
    Advance(loopLength);
  }
  std::fill(interleaved.begin() + static_cast<std::ptrdiff_t>(2 * i), interleaved.end(), int16_t{0});
}

}  // namespace vm
