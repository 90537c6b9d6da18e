#include "pattern/pattern_sound.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <vector>

#include "signal/pcm16.h"
#include "signal/wav_header.h"
#include "signal/wave_reader.h"

namespace vm {
namespace {

constexpr int64_t kMinFramesPerRevolution = 60;
constexpr int64_t kMaxTopRpm = 300000;
constexpr int64_t kNominalRpm = 1000;  // the rate the header names

const PatternTrack* CamOrNull(const Pattern& pattern) { return pattern.hasCam ? &pattern.cam : nullptr; }

int32_t Revolutions(const Pattern& pattern) { return pattern.cycle / kRevolutionCentidegrees; }

// The largest angle dividing the cycle and every edge's angle.
int64_t Grid(const Pattern& pattern) {
  int64_t grid = pattern.cycle;
  for (const PatternTrack* track : {&pattern.crank, CamOrNull(pattern)}) {
    if (!track) continue;
    for (const HighStretch& high : track->highs) grid = std::gcd(std::gcd(grid, high.rise), high.fall);
  }
  return grid;
}

// The high share of each frame, in parts of cycle (the track's stretches scaled by `frames`,
// so a frame is `cycle` parts long and an edge at angle a lies at a × frames).
std::vector<int64_t> HighParts(const PatternTrack& track, int64_t cycle, int64_t frames) {
  std::vector<int64_t> parts(static_cast<size_t>(frames), 0);
  auto add = [&](int64_t from, int64_t to) {  // [from, to) in parts, within one cycle
    for (int64_t frame = from / cycle; frame * cycle < to; ++frame) {
      const int64_t start = std::max(from, frame * cycle);
      const int64_t end = std::min(to, (frame + 1) * cycle);
      parts[static_cast<size_t>(frame)] += end - start;
    }
  };
  for (const HighStretch& high : track.highs) {
    const int64_t rise = high.rise * frames;
    const int64_t fall = high.fall * frames;
    const int64_t end = cycle * frames;
    add(rise, std::min(fall, end));
    if (fall > end) add(0, fall - end);  // wraps through 0°
  }
  return parts;
}

}  // namespace

int32_t ShortestEdgeGap(const Pattern& pattern) {
  int32_t shortest = pattern.cycle;
  for (const PatternTrack* track : {&pattern.crank, CamOrNull(pattern)}) {
    if (!track) continue;
    const std::vector<PatternEdge> edges = TrackEdges(*track, pattern.cycle);
    for (size_t i = 0; i < edges.size(); ++i) {
      const int32_t next = i + 1 < edges.size() ? edges[i + 1].angle : edges[0].angle + pattern.cycle;
      shortest = std::min(shortest, next - edges[i].angle);
    }
  }
  return shortest;
}

int64_t PatternCycleFrames(const Pattern& pattern, int64_t topRpm) {
  const int64_t revolutions = Revolutions(pattern);
  const int64_t grid = pattern.cycle / Grid(pattern);
  const int64_t least = kMinFramesPerRevolution * revolutions;
  const int64_t exact = grid * ((least + grid - 1) / grid);
  // rate = frames × rpm / (60 × revolutions) up to kMaxPlaybackRate at the top RPM.
  const int64_t top = std::clamp<int64_t>(topRpm, 1, kMaxTopRpm);
  const int64_t most = std::max(least, int64_t{kMaxPlaybackRate} * 60 * revolutions / top);
  return std::min(exact, most);
}

int16_t AreaLevel(int64_t high, int64_t whole) {
  // kPatternLevel × (2 high - whole) / whole, rounded half away from zero; below 2^36.
  const int64_t twice = 2 * int64_t{kPatternLevel} * (2 * high - whole);
  const int64_t rounded = twice >= 0 ? (twice + whole) / (2 * whole) : -((-twice + whole) / (2 * whole));
  return static_cast<int16_t>(rounded);
}

std::optional<PatternSound> BuildPatternSound(const Pattern& pattern, int64_t topRpm) {
  PatternSound sound;
  sound.revolutions = Revolutions(pattern);
  sound.cycleFrames = PatternCycleFrames(pattern, topRpm);
  sound.shortestGap = ShortestEdgeGap(pattern);
  sound.exactFrames = sound.cycleFrames % (pattern.cycle / Grid(pattern)) == 0;
  const int64_t cycle = pattern.cycle;
  const auto dataBytes = static_cast<uint32_t>(4 * sound.cycleFrames);
  const RateFraction nominal = PatternPlaybackRate(sound, kNominalRpm);
  const auto headerRate = static_cast<int32_t>(
      std::clamp<int64_t>(nominal.numerator / nominal.denominator, 1, kMaxPlaybackRate));
  try {
    const std::vector<int64_t> left = HighParts(pattern.crank, cycle, sound.cycleFrames);
    std::vector<int64_t> right;
    if (pattern.hasCam) right = HighParts(pattern.cam, cycle, sound.cycleFrames);
    sound.image = WavHeader(headerRate, dataBytes);
    sound.image.resize(sound.image.size() + dataBytes);
    uint8_t* at = sound.image.data() + kWavHeaderBytes;
    for (size_t frame = 0; frame < left.size(); ++frame, at += 4) {
      const int16_t level = AreaLevel(left[frame], cycle);
      PutSample(at, level);
      PutSample(at + 2, pattern.hasCam ? AreaLevel(right[frame], cycle) : static_cast<int16_t>(-level));
    }
  } catch (const std::bad_alloc&) { return std::nullopt; }
  return sound;
}

RateFraction PatternPlaybackRate(const PatternSound& sound, int64_t rpm) {
  if (rpm < 1) return {0, 1};
  const int64_t numerator = sound.cycleFrames * rpm;
  const int64_t denominator = 60 * int64_t{sound.revolutions};
  const int64_t common = std::gcd(numerator, denominator);
  return {numerator / common, denominator / common};
}

}  // namespace vm
