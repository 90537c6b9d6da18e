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

}  // namespace vm
