#pragma once
// The two ways to an output behind AudioDevice::OpenDefault (audio_device.cpp chooses).

#include <memory>

#include "platform/audio_device.h"

namespace vm {

// Through SDL 2: plain ALSA, and the drivers SDL_AUDIODRIVER names. Null when none opens.
std::unique_ptr<AudioDevice> OpenSdlAudioDevice(AudioDevice::RenderFunction render, void* context,
                                                const AudioDeviceOptions& options);

// Through libpulse, to a PulseAudio or PipeWire server. Null when no server answers
// (`answered` false) or when one answers but has no output to give now, or the open was
// given up (`answered` true).
std::unique_ptr<AudioDevice> OpenPulseAudioDevice(AudioDevice::RenderFunction render,
                                                  AudioDevice::RewindFunction rewind, void* context,
                                                  const AudioDeviceOptions& options, bool& answered);

}  // namespace vm
