#include "signal/wave_image.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "signal/pcm16.h"
#include "signal/wav_header.h"
#include "signal/wheel_geometry.h"

namespace vm {
namespace {

constexpr int32_t kNominalRate = 44100;
constexpr int32_t kHeaderBytes = kWavHeaderBytes;
constexpr int16_t kLow = -32000;
constexpr int16_t kHigh = 32000;

// Frames of `count` identical (left, right = -left) pairs from `at` on; returns the next free byte.
uint8_t* PutFrames(uint8_t* at, int64_t count, int16_t left) {
  const auto right = static_cast<int16_t>(-left);
  for (int64_t i = 0; i < count; ++i, at += 4) {
    PutSample(at, left);
    PutSample(at + 2, right);
  }
  return at;
}

}  // namespace

std::optional<WaveImage> BuildWaveImage(int32_t availableTeeth, int32_t missingTeeth, int32_t wheelAt) {
  // A negative count would write more frames than the data chunk holds: no wheel, no image.
  const auto geometry = GeometryOfWheel(availableTeeth, missingTeeth, wheelAt);
  if (!geometry) return std::nullopt;
  const int64_t p = availableTeeth;
  const int64_t m = missingTeeth;
  const int64_t n = geometry->halfToothFrames;
  const int64_t dataBytes = 4 * geometry->revolutionFrames;
  if (dataBytes > std::numeric_limits<int32_t>::max() - kHeaderBytes) return std::nullopt;

  WaveImage image;
  try {
    image.assign(static_cast<size_t>(kHeaderBytes + dataBytes), 0);
  } catch (const std::bad_alloc&) { return std::nullopt; }
  const std::vector<uint8_t> header = WavHeader(kNominalRate, static_cast<uint32_t>(dataBytes));
  std::copy(header.begin(), header.end(), image.begin());
  if (n == 0) return image;  // no frames; a count of 2^31 teeth must not take seconds to say so
  uint8_t* at = image.data() + kHeaderBytes;
  for (int64_t tooth = 0; tooth < p; ++tooth) {
    at = PutFrames(at, n, kLow);
    at = PutFrames(at, n, kHigh);
  }
  PutFrames(at, 2 * n * m, kLow);
  return image;
}

int32_t PlaybackRate(int32_t rpm) {
  // |rpm| × 11.2 leaves 32 bits beyond about 191.7 million RPM; such a rate saturates
  // instead of converting out of range.
  const double product = static_cast<double>(rpm) * 11.2;
  if (product >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (product <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(std::lround(product));
}

}  // namespace vm
