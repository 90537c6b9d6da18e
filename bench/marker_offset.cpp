// How far the live view's marker is from what the sink plays: the 46 + 2 camshaft wheel
// through a real sound server, SoundOutput::HeardLoopPart() read every 33 ms as the view
// reads it, against the loop part the sink's monitor played at that moment (placed by the
// recording's first teeth after the gap). Run by bench/marker_offset.sh, which starts the
// server.
//
//   velomira_marker_offset SINK RATE RPM SECONDS
//
// One line: the offsets' median and 10th / 90th percentiles in milliseconds and crankshaft
// degrees; positive is a marker ahead of the sound.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "signal/sound_output.h"
#include "signal/wave_image.h"
#include "support/pulse_monitor.h"
#include "support/samples.h"

namespace vm {
namespace {

using test::MonitorRecording;
using Clock = MonitorRecording::Clock;

constexpr int kTeeth = 46;
constexpr int kMissing = 2;
constexpr double kImageFrames = (kTeeth + kMissing) * 28.0;
constexpr double kFirstRise = 14.0 / kImageFrames;  // half a tooth into the loop

struct Reading {
  Clock::time_point at;
  double part = 0;
};

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

int Run(const std::string& sink, int32_t rate, int32_t rpm, int seconds) {
  MonitorRecording recording(sink, rate, std::chrono::milliseconds(5));
  SoundOutput sound;
  if (!recording.Recording() || !test::UsePulseSink(sink) || !sound.Open() ||
      !sound.Load(*BuildWaveImage(kTeeth, kMissing, Camshaft)) || !sound.SetRate(RateFraction{PlaybackRate(rpm), 1}) ||
      !sound.PlayLooped())
    return 1;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::vector<Reading> readings;
  for (auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end;) {
    readings.push_back({Clock::now(), sound.HeardLoopPart() / 4294967296.0});
    std::this_thread::sleep_for(std::chrono::milliseconds(33));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const std::vector<int16_t> left = test::Channel(recording.Samples(), 0);
  const std::vector<double> edges = test::RisingEdges(left);
  std::vector<double> firstTeeth;
  for (size_t i = 2; i < edges.size(); ++i) {
    if (edges[i] - edges[i - 1] > 1.5 * (edges[i - 1] - edges[i - 2])) firstTeeth.push_back(edges[i]);
  }
  const double loop = kImageFrames * rate / PlaybackRate(rpm);  // device frames
  std::vector<double> ms;
  for (const Reading& r : readings) {
    const double frame = recording.FrameAt(r.at);
    auto after = std::upper_bound(firstTeeth.begin(), firstTeeth.end(), frame);
    if (after == firstTeeth.begin() || after == firstTeeth.end()) continue;
    const double truth = kFirstRise + (frame - *(after - 1)) / loop;
    const double off = std::remainder(r.part - truth, 1.0);  // loops
    ms.push_back(off * loop * 1000.0 / rate);
  }
  if (ms.empty()) return 1;
  const double degreesPerMs = rpm * 360.0 / 60000.0;
  std::printf("rpm=%d readings=%zu offset_ms median=%.2f p10=%.2f p90=%.2f  crank_deg median=%.1f p10=%.1f p90=%.1f\n",
              rpm, ms.size(), Percentile(ms, 0.5), Percentile(ms, 0.1), Percentile(ms, 0.9),
              Percentile(ms, 0.5) * degreesPerMs, Percentile(ms, 0.1) * degreesPerMs,
              Percentile(ms, 0.9) * degreesPerMs);
  return 0;
}

}  // namespace
}  // namespace vm

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: velomira_marker_offset SINK RATE RPM SECONDS\n");
    return 2;
  }
  return vm::Run(argv[1], std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
}
