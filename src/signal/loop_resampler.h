#pragma once
// The rate conversion: walks a looped sound at `rate / deviceRate` source frames per output
// frame. Each output frame is a mean of the source around its position, weighted by a
// triangle two output frames wide: the mean over one output frame's span of the source's
// own mean over the preceding span (area sampling applied twice). An edge between output
// frames becomes intermediate levels that keep its timing; the weights are never negative,
// so the level never leaves the source's range. Applying the area mean twice instead of
// once suppresses what folds back from above half the device rate, which is what moves a
// reconstructed edge: the edge timing error drops by about a quarter.
//
// The position is fixed point with 32 fractional bits. The step is rate / deviceRate cut to
// 32 fractional bits, and the remainder is carried exactly (as in line drawing), so that over
// deviceRate output frames the position moves by exactly `rate` source frames: the mean
// speed has no error at all. A rate may also be a fraction (numerator / denominator frames
// per second): the remainder is then carried over denominator × deviceRate, so that the
// position moves by exactly `numerator` source frames over that many output frames. Nothing
// here allocates, blocks or logs.

#include <atomic>
#include <cstdint>
#include <span>

#include "signal/loop_sound.h"

namespace vm {

inline constexpr int kFractionBits = 32;

// The largest denominator of a fractional rate.
inline constexpr int64_t kMaxRateDenominator = 1 << 9;

// A rate of numerator / denominator frames per second as one word, so that a change is one
// atomic store: the numerator in the low 32 bits, the denominator in the high ones. 0 is no
// rate at all.
constexpr uint64_t PackExactRate(uint32_t numerator, uint32_t denominator) {
  return uint64_t{denominator} << 32 | numerator;
}

// The cam phase moves the right channel against the left one: it is read that many
// 1/kCamPhaseUnits of the loop later (a positive phase makes its edges come later). On a
// loop of 720 crankshaft degrees a unit is a tenth of a degree.
inline constexpr int32_t kCamPhaseUnits = 7200;
// At most a quarter of the loop either way (90 degrees of a 360-degree loop).
inline constexpr int32_t kMaxCamPhase = kCamPhaseUnits / 4;

// Tenths of a crankshaft degree as units of a loop of `loopDegrees` crankshaft degrees
// (360 or 720), rounded to the nearest.
constexpr int32_t CamPhaseUnitsOf(int32_t tenths, int32_t loopDegrees) {
  const int32_t scaled = tenths * 720;
  return (scaled >= 0 ? scaled + loopDegrees / 2 : scaled - loopDegrees / 2) / loopDegrees;
}

// A cam phase as one word, so that a change is one atomic store: the phase in units (low 16
// bits), the milliseconds of a ramp to it from wherever the phase is (next 32; 0 moves it
// at once), and a serial number (high 16) so that the same command given again starts a
// ramp again. 0 is phase 0 at once.
constexpr uint64_t PackCamPhase(int32_t units, uint32_t rampMs, uint16_t serial) {
  return uint64_t{serial} << 48 | uint64_t{rampMs} << 16 | static_cast<uint16_t>(units);
}

class LoopResampler {
 public:
  // `deviceRate` is held to kMinDeviceRate..kMaxDeviceRate.
  explicit LoopResampler(int32_t deviceRate);

  int32_t DeviceRate() const { return deviceRate_; }
  // For a device reopened at another rate: the position stays, the step follows.
  void SetDeviceRate(int32_t deviceRate);
  // Back to the first frame of the sound.
  void Rewind();
  // Fills whole stereo frames (left, right = -left) of `interleaved`. `rate` is read before
  // every frame, so a change takes effect at the next frame and the position carries on.
  // Rates are held to 1..kMaxPlaybackRate.
  void Render(const LoopSound& sound, const std::atomic<int32_t>& rate, std::span<int16_t> interleaved);
  // As above, but while `exactRate` is not 0 it rules: a PackExactRate fraction, held to
  // 1..kMaxPlaybackRate frames per second and a denominator of 1..kMaxRateDenominator. With a denominator of 1 the
  // frames are exactly those of the same whole rate.
  void Render(const LoopSound& sound, const std::atomic<int32_t>& rate, const std::atomic<uint64_t>& exactRate,
              std::span<int16_t> interleaved);
  // As above, with a right channel of its own (LoopSound::Right) read at the PackCamPhase
  // phase `camPhase` holds, held to ±kMaxCamPhase; read before every frame. A ramp moves
  // the phase by an equal share every output frame, remainders carried exactly, and ends
  // on its target; it keeps every cam edge, once, while the phase moves slower than the
  // wheel turns. Phase 0 gives exactly the frames of the call without it.
  void Render(const LoopSound& sound, const std::atomic<int32_t>& rate, const std::atomic<uint64_t>& exactRate,
              const std::atomic<uint64_t>& camPhase, std::span<int16_t> interleaved);
  // The position within the loop, in source frames × 2^32.
  uint64_t Position() const { return position_; }
  // Whole revolutions (passes over the loop's end) since the first frame after Rewind; at
  // most the end's count, though a step longer than the loop may pass the end more than once.
  uint64_t Revolutions() const { return Ended() ? endAfter_ : revolutions_; }
  // Render gives silence from the first frame at which `count` whole revolutions are
  // complete; 0 never ends. Kept across Rewind, which starts the count again.
  void EndAfter(uint64_t count) { endAfter_ = count; }
  bool Ended() const { return endAfter_ != 0 && revolutions_ >= endAfter_; }

 private:
  void Retune(int64_t numerator, int64_t denominator);
  int16_t LevelAt(const LoopSound& sound, uint64_t position) const;
  void Advance(uint64_t loopLength);
  void StartCamRamp(uint64_t packed, uint32_t loopFrames);
  void AdvanceCam();
  uint64_t CamPosition(uint64_t loopLength) const;

  int32_t deviceRate_;
  int64_t numerator_ = 0;  // the rate the step below belongs to, as given
  int64_t denominator_ = 1;
  uint64_t divisor_ = 0;  // denominator × deviceRate
  uint64_t step_ = 0;     // whole part of rate × 2^32 / deviceRate
  uint64_t stepRemainder_ = 0;
  double scale_ = 0;    // 1 / (2 × step²), step in frames
  uint64_t carry_ = 0;  // remainders gathered so far, below divisor_
  uint64_t position_ = 0;
  uint64_t revolutions_ = 0;
  uint64_t endAfter_ = 0;  // 0: no end
  // The cam phase as an offset of the right channel's reading, source frames × 2^32, and
  // a ramp's progress toward its target: `camStep_` a frame (±1 for the sign), the
  // remainders carried over camRampFrames_ as the position's are.
  uint64_t camPacked_ = 0;
  uint32_t camLoopFrames_ = 0;  // the loop the offset was worked out for
  int64_t camOffset_ = 0;
  int64_t camTarget_ = 0;
  uint64_t camRampFrames_ = 0;
  uint64_t camFramesLeft_ = 0;
  int64_t camStep_ = 0;
  uint64_t camStepRemainder_ = 0;
  uint64_t camCarry_ = 0;
  int64_t camSign_ = 1;
};

}  // namespace vm
