// Edge timing of the rendered wheel signal against the ideal wheel, for the area-sampling
// conversion the program plays and, beside it, for plain nearest-sample playback.
//   velomira_signal_quality [seconds per case, default 10]
// Exit code 0 when every case meets its limits.

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "signal/loop_resampler.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "signal_edges.h"

namespace vm::bench {
namespace {

constexpr int32_t kDeviceRate = 48000;
constexpr int kMargin = 64;  // samples kept clear of either end (filter length, start from silence)

struct Wheel {
  int32_t teeth, missing, wheelAt;
  const char* name;
};

struct Rendered {
  std::vector<int16_t> left;
  bool withinLimits = true;
  bool antiphase = true;
  double driftFrames = 0;  // final position minus the exact one
};

Rendered RenderArea(const LoopSound& sound, int32_t rate, size_t frames) {
  Rendered out;
  LoopResampler resampler(kDeviceRate);
  const std::atomic<int32_t> rateNow{rate};
  std::vector<int16_t> buffer(2 * 512);
  for (size_t done = 0; done < frames; done += 512) {
    const size_t n = std::min<size_t>(512, frames - done);
    resampler.Render(sound, rateNow, std::span(buffer.data(), 2 * n));
    for (size_t i = 0; i < n; ++i) {
      out.left.push_back(buffer[2 * i]);
      out.withinLimits = out.withinLimits && std::abs(buffer[2 * i]) <= 32000;
      out.antiphase = out.antiphase && buffer[2 * i + 1] == -buffer[2 * i];
    }
  }
  // The exact position after `frames` frames is frames × rate / deviceRate source frames.
  const unsigned __int128 exact = (static_cast<unsigned __int128>(frames) * static_cast<unsigned>(rate) << 32) /
                                  kDeviceRate;
  const auto loop = static_cast<unsigned __int128>(sound.Frames()) << 32;
  out.driftFrames = (static_cast<double>(resampler.Position()) - static_cast<double>(exact % loop)) / 4294967296.0;
  return out;
}

// Plain area sampling, for comparison: each frame the mean over the span it covers alone.
std::vector<int16_t> RenderSingleArea(const LoopSound& sound, int32_t rate, size_t frames) {
  std::vector<int16_t> left(frames);
  const double step = static_cast<double>(rate) / kDeviceRate;
  const auto loop = static_cast<int64_t>(sound.Frames());
  for (size_t j = 0; j < frames; ++j) {
    const double from = j * step, to = from + step;
    double area = 0;
    for (double x = from; x < to;) {
      const double frame = std::floor(x);
      const double until = std::min(frame + 1, to);
      area += (until - x) * sound.Level(static_cast<uint32_t>(static_cast<int64_t>(frame) % loop));
      x = until;
    }
    left[j] = static_cast<int16_t>(std::lround(area / step));
  }
  return left;
}

std::vector<int16_t> RenderNearest(const LoopSound& sound, int32_t rate, size_t frames) {
  std::vector<int16_t> left(frames);
  for (size_t j = 0; j < frames; ++j) {
    const uint64_t source = (static_cast<uint64_t>(j) * static_cast<uint64_t>(rate) + kDeviceRate / 2) / kDeviceRate;
    left[j] = static_cast<int16_t>(sound.Level(static_cast<uint32_t>(source % sound.Frames())));
  }
  return left;
}

// Edge k of a revolution (1..2p) lies k half teeth in; odd ones rise on the left channel.
std::vector<Crossing> IdealEdges(const Wheel& wheel, int64_t halfTooth, int64_t loopFrames, int32_t rate,
                                 size_t frames) {
  std::vector<Crossing> edges;
  for (int64_t loop = 0;; ++loop) {
    for (int64_t k = 1; k <= 2 * wheel.teeth; ++k) {
      const int64_t source = loop * loopFrames + k * halfTooth;
      const double at = static_cast<double>(source * kDeviceRate) / rate;
      if (at > static_cast<double>(frames) - kMargin - 1) return edges;
      if (at >= kMargin + 1) edges.push_back({at, k % 2 == 1});
    }
  }
}

double Micro(double samples) { return samples * 1e6 / kDeviceRate; }

}  // namespace
}  // namespace vm::bench

int main(int argc, char** argv) {
  using namespace vm;
  using namespace vm::bench;
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const auto frames = static_cast<size_t>(seconds * kDeviceRate);
  const Wheel wheels[] = {{46, 2, Camshaft, "46+2 cam"},
                          {58, 2, Crankshaft, "58+2 crank"},
                          {10, 1, Camshaft, "10+1 cam"},
                          {35, 1, Crankshaft, "35+1 crank"}};
  std::printf("%.1f s a case at %d Hz; edge errors in microseconds after removing the mean offset\n", seconds,
              kDeviceRate);
  std::printf("%-11s %5s %6s %5s %6s | %7s %6s %6s %8s %6s | %7s %6s | %7s %6s | %5s %s\n", "wheel", "rpm", "rate",
              "half", "edges", "rms", "max", "limit", "freq ppm", "drift", "1x rms", "max", "nearest", "max", "ratio",
              "");
  std::printf("(1x: plain single area mean; ratio: nearest rms / rms, 0 where both are exact)\n");
  bool allPass = true;
  for (const Wheel& wheel : wheels) {
    const WaveImage image = *BuildWaveImage(wheel.teeth, wheel.missing, wheel.wheelAt);
    const LoopSound sound(*ReadWaveImage(image));
    const int64_t halfTooth = sound.Frames() / (2 * (wheel.teeth + wheel.missing));
    for (const int32_t rpm : {1000, 6000, 15000}) {
      const int32_t rate = PlaybackRate(rpm);
      const double halfSpan = static_cast<double>(halfTooth) * kDeviceRate / rate;
      const auto ideal = IdealEdges(wheel, halfTooth, sound.Frames(), rate, frames);
      const Rendered area = RenderArea(sound, rate, frames);
      const EdgeErrors a = CompareEdges(FindCrossings(area.left, kMargin), ideal, halfSpan / 2);
      const EdgeErrors b = CompareEdges(FindCrossings(RenderSingleArea(sound, rate, frames), kMargin), ideal,
                                        halfSpan / 2);
      const EdgeErrors n = CompareEdges(FindCrossings(RenderNearest(sound, rate, frames), kMargin), ideal,
                                        halfSpan / 2);
      const double rmsLimit = halfSpan >= 4 ? 1.2 : 2.0;
      const double ppm = -a.slope * 1e6;  // spacing longer than ideal is a lower frequency
      const bool pass = area.withinLimits && area.antiphase && a.missed == 0 && a.extra == 0 &&
                        Micro(a.rms) <= rmsLimit && Micro(a.max) <= 3.0 && std::abs(ppm) <= 1.0 &&
                        area.driftFrames == 0;
      allPass = allPass && pass;
      std::printf(
          "%-11s %5d %6d %5.1f %6zu | %7.3f %6.3f %6.1f %8.4f %6.0f | %7.3f %6.3f | %7.3f %6.3f | %5.1f %s%s%s\n",
          wheel.name, rpm, rate, halfSpan, a.edges, Micro(a.rms), Micro(a.max), rmsLimit, ppm, area.driftFrames,
          Micro(b.rms), Micro(b.max), Micro(n.rms), Micro(n.max), a.rms > 1e-9 ? n.rms / a.rms : 0.0,
          pass ? "ok" : "FAIL", area.withinLimits && area.antiphase ? "" : " (levels)",
          a.missed + a.extra == 0
              ? ""
              : (" (missed " + std::to_string(a.missed) + ", extra " + std::to_string(a.extra) + ")").c_str());
    }
  }
  std::printf("levels within +-32000 and right = -left in every case: %s\n", allPass ? "checked" : "see FAIL rows");
  return allPass ? 0 : 1;
}
