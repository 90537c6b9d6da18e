// Plays the wheel through a real PulseAudio server and reads back what its sink played (the
// monitor, through parec): gaps in a steady tone, and how late an RPM change or a start
// after a rest is heard. Run by bench/pulse_gaps.sh, which starts the server.
//
//   velomira_pulse_gaps gaps  SINK RATE FRAMES SECONDS
//   velomira_pulse_gaps delay SINK RATE FRAMES CHANGES
//
// FRAMES is the device buffer (0: the program's own choice). One line of key=value results.
// VELOMIRA_DUMP=FILE writes the recording there (raw 16-bit stereo).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "signal/sound_output.h"
#include "signal/wave_image.h"
#include "support/pulse_monitor.h"
#include "support/samples.h"
#include "support/wheel_signal.h"

namespace vm::bench {
namespace {

using namespace std::chrono_literals;
using test::MonitorRecording;
using Clock = MonitorRecording::Clock;

constexpr int kTeeth = 46;
constexpr int kMissing = 2;
constexpr int32_t kRpm = 6000;
// The two RPMs an RPM change goes between: their tooth and gap intervals are all apart.
constexpr int32_t kLowRpm = 3000;
constexpr int32_t kHighRpm = 4500;

struct Setup {
  std::string sink;
  int32_t rate = 0;
  int32_t frames = 0;
  int count = 0;  // seconds or changes
};

void Dump(const std::vector<int16_t>& samples) {
  const char* path = std::getenv("VELOMIRA_DUMP");
  if (path == nullptr) return;
  if (FILE* file = std::fopen(path, "wb")) {
    std::fwrite(samples.data(), 2, samples.size(), file);
    std::fclose(file);
  }
}

size_t FirstSound(const std::vector<int16_t>& samples, size_t from) {
  for (size_t i = from * 2; i < samples.size(); ++i) {
    if (samples[i] != 0) return i / 2;
  }
  return samples.size() / 2;
}

// Runs of more than 3 frames whose left level is within ±16000: silence, since an edge
// passes zero within two frames. Counted from `from`; the longest in frames.
std::pair<size_t, size_t> Silences(const std::vector<int16_t>& samples, size_t from) {
  size_t runs = 0, longest = 0, run = 0;
  for (size_t i = from * 2; i < samples.size(); i += 2) {
    run = std::abs(samples[i]) < 16000 ? run + 1 : 0;
    runs += run == 4;
    longest = std::max(longest, run);
  }
  return {runs, longest};
}

bool OpenAndLoad(SoundOutput& sound, const Setup& setup, std::chrono::milliseconds restAfter) {
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  if (!test::UsePulseSink(setup.sink)) return false;
  if (!sound.Open({.framesPerBuffer = setup.frames, .restAfter = restAfter})) return false;
  return sound.Load(*BuildWaveImage(kTeeth, kMissing, Camshaft));
}

int Gaps(const Setup& setup) {
  MonitorRecording recording(setup.sink, setup.rate);
  SoundOutput sound;
  if (!recording.Recording() || !OpenAndLoad(sound, setup, 3000ms)) return 1;
  sound.SetRate(PlaybackRate(kRpm));
  sound.PlayLooped();
  std::this_thread::sleep_for(std::chrono::seconds(setup.count));
  const std::vector<int16_t> samples = recording.Samples();
  sound.Close();
  Dump(samples);
  const size_t first = FirstSound(samples, 0);
  const test::WheelSignal heard = test::ReadWheel(samples, kTeeth, kMissing);
  const auto [silences, longest] = Silences(samples, first);
  std::printf(
      "frames=%d seconds=%d revolutions=%zu breaks=%zu silences=%zu longest_ms=%.1f over_limit=%zu not_antiphase=%zu\n",
      setup.frames, setup.count, heard.revolutions, heard.breaks, silences,
      1000.0 * static_cast<double>(longest) / setup.rate, heard.overLimit, heard.notAntiphase);
  return 0;
}

// The first rising edge at or after frame `from` whose interval from the one before is a
// tooth or the gap at `rpm`, in frames; -1 if none.
double FirstEdgeAt(const std::vector<double>& edges, double from, double tooth) {
  auto it = std::lower_bound(edges.begin(), edges.end(), from);
  for (; it != edges.end() && it + 1 != edges.end(); ++it) {
    const double interval = *(it + 1) - *it;
    if (std::abs(interval - tooth) < tooth / 8 || std::abs(interval - (kMissing + 1) * tooth) < tooth / 8) return *it;
  }
  return -1;
}

double Median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Max(const std::vector<double>& values) {
  return values.empty() ? NAN : *std::max_element(values.begin(), values.end());
}

// Tooth interval at `rpm` on the sink, in frames.
double Tooth(const Setup& setup, int32_t rpm) {
  const double revolution = static_cast<double>(BuildWaveImage(kTeeth, kMissing, Camshaft)->size() - 44) / 4 *
                            setup.rate / PlaybackRate(rpm);
  return revolution / (kTeeth + kMissing);
}

// RPM changes at random moments, then starts after a rest: when each is first heard.
int Delay(const Setup& setup) {
  MonitorRecording recording(setup.sink, setup.rate);
  SoundOutput sound;
  if (!recording.Recording() || !OpenAndLoad(sound, setup, 300ms)) return 1;
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pause(250, 400);
  std::vector<std::pair<Clock::time_point, int32_t>> changes, starts;
  sound.SetRate(PlaybackRate(kLowRpm));
  sound.PlayLooped();
  std::this_thread::sleep_for(500ms);
  for (int i = 0; i < setup.count; ++i) {
    const int32_t rpm = i % 2 == 0 ? kHighRpm : kLowRpm;
    changes.emplace_back(Clock::now(), rpm);
    sound.SetRate(PlaybackRate(rpm));
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
  }
  for (int i = 0; i < 5; ++i) {
    sound.Stop();
    std::this_thread::sleep_for(800ms);  // the device rests after 300 ms
    starts.emplace_back(Clock::now(), 0);
    sound.PlayLooped();
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
  }
  const std::vector<int16_t> samples = recording.Samples();
  sound.Close();
  Dump(samples);
  const std::vector<double> edges = test::RisingEdges(test::Channel(samples, 0));
  std::vector<double> changeMs, startMs;
  for (const auto& [at, rpm] : changes) {
    const double from = recording.FrameAt(at);
    const double heard = FirstEdgeAt(edges, from, Tooth(setup, rpm));
    if (heard >= 0) changeMs.push_back(1000 * (heard - from) / setup.rate);
  }
  for (const auto& [at, unused] : starts) {
    const double from = recording.FrameAt(at);
    const size_t heard = FirstSound(samples, static_cast<size_t>(std::max(from, 0.0)));
    startMs.push_back(1000 * (static_cast<double>(heard) - from) / setup.rate);
  }
  std::printf(
      "frames=%d changes=%zu/%d change_median_ms=%.1f change_max_ms=%.1f start_median_ms=%.1f start_max_ms=%.1f\n",
      setup.frames, changeMs.size(), setup.count, Median(changeMs), Max(changeMs), Median(startMs), Max(startMs));
  return 0;
}

}  // namespace
}  // namespace vm::bench

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s gaps|delay SINK RATE FRAMES SECONDS|CHANGES\n", argv[0]);
    return 2;
  }
  const vm::bench::Setup setup{argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
  const std::string mode = argv[1];
  if (mode == "gaps") return vm::bench::Gaps(setup);
  if (mode == "delay") return vm::bench::Delay(setup);
  return 2;
}
