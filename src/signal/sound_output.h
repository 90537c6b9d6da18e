#pragma once
// The audio output: at most one sound, looped without a gap at a rate that may change
// while it plays. Every call comes from the main thread.

#include <cstdint>
#include <memory>
#include <span>

namespace vm {

class SoundOutput {
 public:
  SoundOutput();
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  bool Open();                                   // the default output device
  bool Load(std::span<const uint8_t> image);     // false leaves the old sound as it was
  bool SetRate(int32_t framesPerSecond);
  bool PlayLooped();
  void Stop();
  void Unload();                                 // releases the sound: silent until a Load
  bool HasSound() const;
  bool IsPlaying() const;
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vm
