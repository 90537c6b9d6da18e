#include "signal/cam_signal.h"

#include <algorithm>
#include <cstring>

#include "signal/pcm16.h"
#include "signal/wav_header.h"
#include "signal/wheel_geometry.h"

namespace vm {
namespace {

constexpr size_t kHeaderBytes = kWavHeaderBytes;
constexpr int64_t kCycleDegrees = 720;

void PutRight(WaveImage& image, int64_t frame, int16_t level) {
  PutSample(image.data() + kHeaderBytes + 4 * static_cast<size_t>(frame) + 2, level);
}

// Nearest frame to `degrees` of a cycle of `frames` frames.
int64_t FramesOf(int64_t degrees, int64_t frames) { return (degrees * frames + kCycleDegrees / 2) / kCycleDegrees; }

// The wheel's frames `revolutions` times over, under the wheel's header with the sizes made
// to fit; right channel at rest.
WaveImage Repeated(const WaveImage& wheel, int32_t revolutions) {
  const size_t dataBytes = wheel.size() - kHeaderBytes;
  WaveImage image(kHeaderBytes + dataBytes * static_cast<size_t>(revolutions));
  std::memcpy(image.data(), wheel.data(), kHeaderBytes);
  for (int32_t r = 0; r < revolutions; ++r)
    std::memcpy(image.data() + kHeaderBytes + dataBytes * static_cast<size_t>(r), wheel.data() + kHeaderBytes,
                dataBytes);
  const auto total = static_cast<uint32_t>(dataBytes * static_cast<size_t>(revolutions));
  SetWavDataBytes(image.data(), total);
  const int64_t frames = static_cast<int64_t>(total / 4);
  for (int64_t frame = 0; frame < frames; ++frame) PutRight(image, frame, 0);
  return image;
}

}  // namespace

int32_t CrankRevolutionsPerImage(const WheelSignal& config) {
  return config.Signal.cam && config.WheelAt == Crankshaft ? 2 : 1;
}

int32_t LoopCrankDegrees(const WheelSignal& config) {
  return CrankRevolutionsPerImage(config) * (config.WheelAt == Camshaft ? 720 : 360);
}

CamPulse CamPulseFrames(const SignalOptions& options, int64_t halfTooth, int64_t cycleFrames) {
  CamPulse pulse;
  const int64_t angle = std::clamp<int64_t>(options.camAngle, 0, kCamAngleMax);
  pulse.edge = (halfTooth + FramesOf(angle, cycleFrames)) % cycleFrames;
  // At least one tooth period: the tools play a wheel at up to 0.45 tooth periods an output
  // frame, so each half lasts at least two output frames and keeps its level, where a
  // narrower one is smeared by the rate conversion at high RPM.
  const int64_t toothPeriod = 2 * halfTooth;
  const int64_t width = options.camWidth > 0 ? FramesOf(std::min<int64_t>(options.camWidth, kCamWidthMax), cycleFrames)
                                             : toothPeriod;
  pulse.width = std::clamp<int64_t>(std::max(width, toothPeriod), 1, cycleFrames / 2);
  return pulse;
}

std::optional<WaveImage> BuildSignalImage(const WheelSignal& config) {
  std::optional<WaveImage> wheel = BuildWaveImage(config.AvailableTeeth, config.MissingTeeth, config.WheelAt);
  if (!wheel || !config.Signal.cam || wheel->size() <= kHeaderBytes) return wheel;
  const int64_t halfTooth = GeometryOfWheel(config)->halfToothFrames;  // a wheel with an image has one
  // Within BuildWaveImage's bounds an image holds at most about 1400 frames, so two
  // revolutions of it are small.
  WaveImage image = Repeated(*wheel, CrankRevolutionsPerImage(config));
  const auto frames = static_cast<int64_t>((image.size() - kHeaderBytes) / 4);
  const CamPulse pulse = CamPulseFrames(config.Signal, halfTooth, frames);
  for (int64_t i = 0; i < pulse.width; ++i) {
    PutRight(image, (pulse.edge - pulse.width + i + frames) % frames, static_cast<int16_t>(-kCamLevel));
    PutRight(image, (pulse.edge + i) % frames, kCamLevel);
  }
  return image;
}

}  // namespace vm
