#include "platform/audio_device.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string_view>

#include "platform/audio_backends.h"

namespace vm {

// A sound server gets libpulse: SDL 2.26's own PulseAudio driver crashes on a server with no
// sink, and its 32 ms stream is too shallow for PipeWire. A driver named in SDL_AUDIODRIVER
// is honoured; "pulseaudio" there means the server, through libpulse all the same. A server
// that answers but has no output is no output: SDL would only reach it again through ALSA.
std::unique_ptr<AudioDevice> AudioDevice::OpenDefault(RenderFunction render, RewindFunction rewind, void* context,
                                                      const AudioDeviceOptions& options) {
  const char* named = std::getenv("SDL_AUDIODRIVER");
  const std::string_view driver = named != nullptr ? named : "";
  const bool serverNamed = driver == "pulseaudio" || driver == "pulse";
  if (!driver.empty() && !serverNamed) return OpenSdlAudioDevice(render, context, options);
  bool answered = false;
  auto device = OpenPulseAudioDevice(render, rewind, context, options, answered);
  if (device || answered || serverNamed) return device;
  return OpenSdlAudioDevice(render, context, options);
}

namespace {

uint32_t Microseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  // The low 32 bits: only differences of less than an hour are ever taken.
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

}  // namespace

void AudioDevice::Rendered(uint64_t end) {
  rendered_.store(uint64_t{Microseconds()} << 32 | static_cast<uint32_t>(end), std::memory_order_relaxed);
}

// Just after a render the device holds FramesAhead() frames before the heard one; from then
// on it plays them at its rate, up to the end of what it has.
uint32_t AudioDevice::HeardFrame() const {
  const uint64_t rendered = rendered_.load(std::memory_order_relaxed);
  const auto end = static_cast<uint32_t>(rendered);
  const uint32_t elapsed = Microseconds() - static_cast<uint32_t>(rendered >> 32);  // wraps by definition
  const int64_t ahead = std::max(FramesAhead(), 0);
  const int64_t played = std::min<int64_t>(int64_t{elapsed} * FramesPerSecond() / 1000000, ahead);
  return end - static_cast<uint32_t>(ahead - played);  // wraps by definition
}

}  // namespace vm
