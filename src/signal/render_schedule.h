#pragma once
// The sound output's stream without a sound card: exactly the frames SoundOutput hands the
// device after Load of an image, then SetRate and PlayLooped, followed by later rate changes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace vm {

struct RateSegment {
  int32_t rate = 0;         // frames per second of the image × denominator, as given to SetRate
  uint64_t frames = 0;      // output frames played at that rate
  int32_t denominator = 1;  // above 1: the rate is rate / denominator
  // The cam phase from the segment's start (SoundOutput::SetCamPhase), in kCamPhaseUnits of
  // the loop, reached over camRampMs; a segment that repeats the one before's carries on.
  int32_t camPhase = 0;
  uint32_t camRampMs = 0;
};

// Receives interleaved stereo samples, a buffer at a time; false stops the rendering.
using SampleSink = std::function<bool(std::span<const int16_t>)>;

// The first segment's rate is set before PlayLooped, every later one while playing, so the
// position carries on across them. False for an image Load refuses, a rate that is not
// PlayableRate, or a sink that gives up.
bool RenderSchedule(std::span<const uint8_t> image, int32_t deviceRate, std::span<const RateSegment> segments,
                    const SampleSink& sink);

// The same stream as a 16-bit stereo PCM WAV file at `deviceRate`. The file appears only
// when complete; on failure `error` says why in a few words and no file is left.
bool RenderScheduleToWav(const std::string& path, std::span<const uint8_t> image, int32_t deviceRate,
                         std::span<const RateSegment> segments, std::string& error);

}  // namespace vm
