#pragma once
// The default audio output as the sound output needs it: 16-bit stereo frames pulled by a
// render function on the device's own thread. Implemented on SDL 2 in audio_device_sdl.cpp;
// no SDL type appears here.

#include <cstdint>
#include <memory>

namespace vm {

class AudioDevice {
 public:
  // Fills `frames` interleaved stereo frames (left, right). Runs on the audio thread with
  // the device lock held: it must not allocate, block or log.
  using RenderFunction = void (*)(void* context, int16_t* interleaved, int frames);

  // The default output, running: signed 16-bit stereo, 48000 frames per second unless the
  // device insists on another rate, at most 512 frames a buffer. Null when none opens.
  static std::unique_ptr<AudioDevice> OpenDefault(RenderFunction render, void* context);

  virtual ~AudioDevice() = default;  // closes the device; no render call runs after it
  virtual int32_t FramesPerSecond() const = 0;
  virtual int32_t FramesPerBuffer() const = 0;
  // Keeps the render function from running between Lock and Unlock.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

}  // namespace vm
