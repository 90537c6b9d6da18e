#pragma once
// 16-bit stereo PCM as a test reads it back: the levels of bytes, one channel, and where a
// channel rises through a level.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "signal/pcm16.h"

namespace vm::test {

// The level of `channel` (0 left, 1 right) at `frame`, the frames starting at byte `offset`.
inline int16_t SampleAt(std::span<const uint8_t> bytes, size_t frame, int channel, size_t offset = 0) {
  return GetSample(bytes.data() + offset + 4 * frame + 2 * static_cast<size_t>(channel));
}
inline int16_t SampleAt(std::string_view bytes, size_t frame, int channel, size_t offset = 0) {
  return SampleAt({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, frame, channel, offset);
}

// One channel of every whole frame from byte `offset` on (a WAV file's header: 44).
inline std::vector<int16_t> Channel(std::string_view bytes, int channel, size_t offset = 0) {
  std::vector<int16_t> levels;
  for (size_t frame = 0; offset + 4 * (frame + 1) <= bytes.size(); ++frame)
    levels.push_back(SampleAt(bytes, frame, channel, offset));
  return levels;
}
// One channel of interleaved stereo samples.
inline std::vector<int16_t> Channel(std::span<const int16_t> interleaved, int channel) {
  std::vector<int16_t> levels;
  for (size_t i = static_cast<size_t>(channel); i < interleaved.size(); i += 2) levels.push_back(interleaved[i]);
  return levels;
}

// Where `levels` rise through `level` between frames `from` and `to`, placed between two
// frames by linear interpolation.
inline std::vector<double> RisingEdges(std::span<const int16_t> levels, size_t from = 0,
                                       size_t to = std::numeric_limits<size_t>::max(), double level = 0) {
  std::vector<double> edges;
  for (size_t i = from + 1; i < std::min(to, levels.size()); ++i) {
    const double a = levels[i - 1] - level, b = levels[i] - level;
    if (a < 0 && b >= 0) edges.push_back(static_cast<double>(i - 1) + -a / (b - a));
  }
  return edges;
}

struct Crossing {
  double at = 0;  // in frames
  bool rising = false;
};

// Where `levels` cross 0 either way, each placed as RisingEdges places a rise.
inline std::vector<Crossing> ZeroCrossings(std::span<const int16_t> levels) {
  std::vector<Crossing> crossings;
  for (size_t i = 1; i < levels.size(); ++i) {
    const double a = levels[i - 1], b = levels[i];
    if ((a < 0) != (b < 0)) crossings.push_back({static_cast<double>(i - 1) + -a / (b - a), a < 0});
  }
  return crossings;
}

}  // namespace vm::test
