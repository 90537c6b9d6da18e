#pragma once
// The default audio output as the sound output needs it: 16-bit stereo frames pulled by a
// render function on the device's own thread. Where a PulseAudio or PipeWire server answers,
// the output talks to it through libpulse (audio_device_pulse.cpp): a deep buffer whose part
// not yet played is rendered again when the sound changes. Elsewhere, and whenever
// SDL_AUDIODRIVER names another driver (the tests' disk and dummy), it is SDL 2
// (audio_device_sdl.cpp). No type of either appears here.
//
// The device looks after itself on a small thread of its own: a device that stops (the sound
// server restarts, the card is pulled, the default output goes away) is reopened within a
// second, and retried until it opens; a device with nothing to play for a while is closed, so
// that the sound server can suspend its sink, and opened again as soon as there is.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace vm {

struct AudioDeviceOptions {
  // Frames a buffer; 0 chooses them for the device's rate (32 ms).
  int32_t framesPerBuffer = 0;
  // How long the device stays open with nothing to play.
  std::chrono::milliseconds restAfter{3000};
  // The first open gives up as soon as this descriptor is readable (a quit-signal pipe, see
  // quit_signals.h); it is not read. -1: none.
  int quitDescriptor = -1;
};

class AudioDevice {
 public:
  // Fills `frames` interleaved stereo frames (left, right) for a device running at
  // `framesPerSecond`, which changes only when the device is reopened. `at` counts the
  // stream's frames: the frame after the previous call's, unless the stream is new or a
  // rewind came between. Runs on the audio thread with the device locked: it must not
  // allocate, block or log.
  using RenderFunction = void (*)(void* context, int16_t* interleaved, int frames, int32_t framesPerSecond,
                                  uint64_t at);
  // Asked after Rewrite: the render state goes back to a frame at or after `from` that was
  // rendered before, and that frame is returned; the next render call starts there. A frame
  // at or after the last one rendered means nothing can be rendered again. Same thread and
  // lock as the render function.
  using RewindFunction = uint64_t (*)(void* context, uint64_t from);

  // The default output, running and active: signed 16-bit stereo at the rate the device
  // itself runs at (48000 when the driver does not say), so that no sound server resamples
  // the signal. Null when none opens.
  static std::unique_ptr<AudioDevice> OpenDefault(RenderFunction render, RewindFunction rewind, void* context,
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
  // What was rendered and not yet played is out of date (the rate or the sound changed):
  // a device with a deep buffer renders it again from shortly after the frame now playing.
  // Never waits for the device.
  virtual void Rewrite() {}

  // The stream frame (as `at` counts them, its low 32 bits) the listener hears about now,
  // worked out from the last render and the device's own delay; never ahead of what was
  // rendered. Main thread; it reads one atomic.
  uint32_t HeardFrame() const;

 protected:
  // The back end, on the audio thread, after a render that filled the device up to its
  // usual depth: `end` is the frame after the last one rendered. One atomic store.
  void Rendered(uint64_t end);
  // Frames between the one being heard and `end` just after such a render.
  virtual int32_t FramesAhead() const = 0;

 private:
  std::atomic<uint64_t> rendered_{0};  // the end's low 32 bits, then the time's in microseconds
};

}  // namespace vm
