#include "signal/render_schedule.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <optional>

#include "signal/loop_resampler.h"
#include "signal/loop_sound.h"
#include "signal/rate_fraction.h"
#include "signal/wav_writer.h"
#include "signal/wave_reader.h"

namespace vm {
namespace {

// The buffer size the device is opened with; the stream does not depend on it.
constexpr size_t kBufferFrames = 512;

bool RenderSegments(const LoopSound& sound, int32_t deviceRate, std::span<const RateSegment> segments,
                    const SampleSink& sink) {
  LoopResampler resampler(deviceRate);
  std::atomic<int32_t> rate{sound.NominalRate()};
  std::atomic<uint64_t> exactRate{0};
  std::atomic<uint64_t> camPhase{0};
  int16_t buffer[2 * kBufferFrames];
  for (const RateSegment& segment : segments) {
    rate.store(segment.rate, std::memory_order_relaxed);
    const bool whole = segment.denominator == 1;
    exactRate.store(
        whole ? 0 : PackExactRate(static_cast<uint32_t>(segment.rate), static_cast<uint32_t>(segment.denominator)),
        std::memory_order_relaxed);
    camPhase.store(PackCamPhase(segment.camPhase, segment.camRampMs, 0), std::memory_order_relaxed);
    for (uint64_t left = segment.frames; left > 0;) {
      const size_t frames = static_cast<size_t>(std::min<uint64_t>(left, kBufferFrames));
      const std::span<int16_t> out(buffer, 2 * frames);
      resampler.Render(sound, rate, exactRate, camPhase, out);
      if (!sink(out)) return false;
      left -= frames;
    }
  }
  return true;
}

}  // namespace

bool RenderSchedule(std::span<const uint8_t> image, int32_t deviceRate, std::span<const RateSegment> segments,
                    const SampleSink& sink) {
  const auto frames = ReadWaveImage(image);
  if (!frames || deviceRate < kMinDeviceRate || deviceRate > kMaxDeviceRate) return false;
  for (const RateSegment& segment : segments) {
    if (!PlayableRate({segment.rate, segment.denominator})) return false;
  }
  try {
    const LoopSound sound(*frames);
    return RenderSegments(sound, deviceRate, segments, sink);
  } catch (const std::bad_alloc&) { return false; }
}

bool RenderScheduleToWav(const std::string& path, std::span<const uint8_t> image, int32_t deviceRate,
                         std::span<const RateSegment> segments, std::string& error) {
  constexpr uint64_t maxFrames = kMaxWavDataBytes / 4;
  uint64_t total = 0;
  for (const RateSegment& segment : segments) {
    if (segment.frames > maxFrames - total) {
      error = "too long for a WAV file";
      return false;
    }
    total += segment.frames;
  }
  WavWriter writer;
  if (!writer.Open(path, deviceRate)) {
    error = "cannot create the file: " + writer.failure();
    return false;
  }
  bool written = true;
  const bool rendered = RenderSchedule(
      image, deviceRate, segments, [&](std::span<const int16_t> samples) { return written = writer.Append(samples); });
  if (!rendered) {
    error = written ? "the wheel gives no playable sound at this rate" : "cannot write the file: " + writer.failure();
    return false;
  }
  if (!writer.Commit()) {
    error = "cannot write the file: " + writer.failure();
    return false;
  }
  return true;
}

}  // namespace vm
