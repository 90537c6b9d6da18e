#pragma once
// The default audio output as the sound output needs it: 16-bit stereo frames pulled by a
// render function on the device's own thread. Implemented on SDL 2 in audio_device_sdl.cpp;
// no SDL type appears here.
//
// The device looks after itself on a small thread of its own: a device that stops (the sound
// server restarts, the card is pulled, the default output goes away) is reopened within a
// second, and retried until it opens; a device with nothing to play for a while is closed, so
// that the sound server can suspend its sink, and opened again as soon as there is.

#include <chrono>
#include <cstdint>
#include <memory>

namespace vm {

struct AudioDeviceOptions {
  // Frames a buffer; 0 chooses them for the device's rate (32 ms).
  int32_t framesPerBuffer = 0;
  // How long the device stays open with nothing to play.
  std::chrono::milliseconds restAfter{3000};
};

class AudioDevice {
 public:
  // Fills `frames` interleaved stereo frames (left, right) for a device running at
  // `framesPerSecond`, which changes only when the device is reopened. Runs on the audio
  // thread with the device locked: it must not allocate, block or log.
  using RenderFunction = void (*)(void* context, int16_t* interleaved, int frames, int32_t framesPerSecond);

  // The default output, running and active: signed 16-bit stereo at the rate the device
  // itself runs at (48000 when the driver does not say), so that no sound server resamples
  // the signal. Null when none opens.
  static std::unique_ptr<AudioDevice> OpenDefault(RenderFunction render, void* context,
                                                  const AudioDeviceOptions& options = {});

  virtual ~AudioDevice() = default;  // closes the device; no render call runs after it
  // The rate and buffer of the device opened last.
  virtual int32_t FramesPerSecond() const = 0;
  virtual int32_t FramesPerBuffer() const = 0;
  // Keeps the render function from running between Lock and Unlock.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // Whether there is anything to play. Inactive for `restAfter`, the device closes; active
  // again, it opens at once. Never waits for the device.
  virtual void SetActive(bool active) = 0;
};

}  // namespace vm
