#pragma once
// The audio output: at most one sound, looped without a gap at a rate that may change
// while it plays. Every call comes from the main thread.

#include <cstdint>
#include <memory>
#include <span>

#include "platform/audio_device.h"
#include "signal/rate_fraction.h"

namespace vm {

class SoundOutput {
 public:
  SoundOutput();
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  // The default output device. It follows the device: reopened when lost, at rest while
  // nothing plays (see AudioDevice); `options` are for measurements and tests.
  [[nodiscard]] bool Open(const AudioDeviceOptions& options = {});
  [[nodiscard]] bool Load(std::span<const uint8_t> image);  // false leaves the old sound as it was
  // Frames of the image per second, a whole number or a fraction carried exactly (no drift
  // over any length of play); it holds until the next SetRate or Load. A rate that is not
  // PlayableRate is refused and the sound keeps its rate.
  bool SetRate(RateFraction rate);
  // The cam phase of a sound with a right channel of its own, in kCamPhaseUnits of the loop
  // (see LoopResampler), reached over `rampMs` milliseconds of play from wherever it is, or
  // at the next frame for 0. It holds across Load; a sound whose right channel is -left
  // has no cam and ignores it.
  void SetCamPhase(int32_t units, uint32_t rampMs);
  bool PlayLooped();
  void Stop();
  void Unload();  // releases the sound: silent until a Load
  bool HasSound() const;
  bool IsPlaying() const;
  void Close();
  // The frames a second of the device opened last; 0 before Open.
  int32_t DeviceRate() const;

  // For a player without a window. Pause silences the sound and keeps its position; Resume
  // plays on from there (from the first frame after Load, PlayLooped or Stop, which rewind).
  bool Pause();
  bool Resume();
  // Silence from the first frame at which `count` whole revolutions of the sound are
  // complete, counted from the first frame after the last rewind; 0 never ends.
  void EndAfterRevolutions(uint64_t count);
  // Whole revolutions handed to the device since the last rewind, and whether the end set
  // above has been reached; both as of the device's last buffer.
  uint64_t Revolutions() const;
  bool Ended() const;
  // Where the frame the listener hears now is in the sound's loop, in parts of 2^32 of it;
  // 0 while nothing plays. The audio thread only stores what it rendered last (one atomic);
  // this works back from there by the device's delay at the rate now set.
  uint32_t HeardLoopPart() const;

  // How many buffers the device has asked for. Counted after a change, one more means a
  // buffer rendered with it; the next one, that this buffer has gone out to the device.
  uint64_t RenderedBuffers() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vm
