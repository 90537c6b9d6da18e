#pragma once
// The audio output: at most one sound, looped without a gap at a rate that may change
// while it plays. Every call comes from the main thread.

#include <cstdint>
#include <memory>
#include <span>

#include "platform/audio_device.h"

namespace vm {

class SoundOutput {
 public:
  SoundOutput();
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  // The default output device. It follows the device: reopened when lost, at rest while
  // nothing plays (see AudioDevice); `options` are for measurements and tests.
  bool Open(const AudioDeviceOptions& options = {});
  bool Load(std::span<const uint8_t> image);     // false leaves the old sound as it was
  bool SetRate(int32_t framesPerSecond);
  // numerator / denominator frames per second, carried exactly (no drift over any length of
  // play); it holds until the next SetRate or Load.
  bool SetExactRate(int64_t numerator, int64_t denominator);
  bool PlayLooped();
  void Stop();
  bool HasSound() const;
  bool IsPlaying() const;
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vm
