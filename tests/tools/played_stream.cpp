#include "played_stream.h"

#include <algorithm>
#include <atomic>

#include "signal/wave_reader.h"
#include "support/samples.h"

namespace vm::test {

bool PlayedAt(const std::vector<int16_t>& left, size_t at, const std::vector<int16_t>& expected) {
  return at <= left.size() && left.size() - at >= expected.size() &&
         std::equal(expected.begin(), expected.end(), left.begin() + static_cast<std::ptrdiff_t>(at));
}

bool Silent(const std::vector<int16_t>& frames, size_t from) {
  return std::all_of(frames.begin() + static_cast<std::ptrdiff_t>(std::min(from, frames.size())), frames.end(),
                     [](int16_t level) { return level == 0; });
}

size_t FirstSound(const std::vector<int16_t>& left, size_t from) {
  while (from < left.size() && left[from] == 0) ++from;
  return from;
}

size_t SilenceFrom(const std::vector<int16_t>& left, size_t from, size_t run) {
  size_t zeros = 0;
  for (size_t i = from; i < left.size(); ++i) {
    zeros = left[i] == 0 ? zeros + 1 : 0;
    if (zeros == run) return i + 1 - run;
  }
  return left.size() - zeros;  // a shorter silence counts where the stream ends in it
}

std::vector<double> RpmPerSlot(const std::vector<int16_t>& left, size_t from, size_t to, size_t slots,
                               double toothFrames) {
  const std::vector<double> edges = RisingEdges(left, from, to);
  const double width = static_cast<double>(to - from) / static_cast<double>(slots);
  std::vector<std::vector<double>> intervals(slots);
  for (size_t i = 1; i < edges.size(); ++i) {
    const auto slot = static_cast<size_t>((edges[i - 1] - static_cast<double>(from)) / width);
    if (slot < slots) intervals[slot].push_back(edges[i] - edges[i - 1]);
  }
  std::vector<double> rpm;
  for (std::vector<double>& in : intervals) {
    if (in.empty()) {
      rpm.push_back(0);
      continue;
    }
    std::nth_element(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(in.size() / 2), in.end());
    // A tooth of `toothFrames` image frames lasts `median` device frames at 11.2 × RPM.
    rpm.push_back(toothFrames * kDeviceRate / in[in.size() / 2] / 11.2);
  }
  return rpm;
}

StreamModel::StreamModel(const WaveImage& image) : sound_(std::make_shared<const LoopSound>(*ReadWaveImage(image))) {}

std::vector<int16_t> StreamModel::Left(int32_t rate, uint64_t frames) {
  const std::atomic<int32_t> held{rate};
  std::vector<int16_t> stereo(2 * frames);
  resampler_.Render(*sound_, held, stereo);
  std::vector<int16_t> left(frames);
  for (size_t i = 0; i < frames; ++i) left[i] = stereo[2 * i];
  return left;
}

}  // namespace vm::test
