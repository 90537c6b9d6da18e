// Plays the wheel through a real sound server and reads back what its sink played (the
// monitor, through parec): gaps in a steady tone, and how late an RPM change or a start
// after a rest is heard. Run by bench/pulse_gaps.sh, which starts the server.
//
//   velomira_pulse_gaps gaps  SINK RATE FRAMES SECONDS
//   velomira_pulse_gaps delay SINK RATE FRAMES CHANGES
//   velomira_pulse_gaps joins SINK RATE FRAMES CHANGES
//   velomira_pulse_gaps pcm   SINK RATE 0 SECONDS
//
// FRAMES is the device buffer (0: the program's own choice; -1: nothing is played here, the
// sink's monitor is only read, while another client plays). pcm writes the steady tone's
// frames at RATE to standard output, for such a client. One line of key=value results;
// gap_s lists when each silence began, in seconds from the first sound.
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

#include "signal/loop_resampler.h"
#include "signal/loop_sound.h"
#include "signal/sound_output.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
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
// passes zero within two frames. Counted from `from`; the longest in frames, and the
// frames (from `from`) where each began.
struct Silence {
  size_t runs = 0;
  size_t longest = 0;
  std::vector<size_t> starts;
};

Silence Silences(const std::vector<int16_t>& samples, size_t from) {
  Silence found;
  size_t run = 0;
  for (size_t i = from * 2; i < samples.size(); i += 2) {
    run = std::abs(samples[i]) < 16000 ? run + 1 : 0;
    if (run == 4) {
      ++found.runs;
      found.starts.push_back(i / 2 - 3 - from);
    }
    found.longest = std::max(found.longest, run);
  }
  return found;
}

std::string Times(const std::vector<size_t>& frames, int32_t rate) {
  std::string list;
  for (const size_t frame : frames) {
    char time[32];
    std::snprintf(time, sizeof time, "%s%.1f", list.empty() ? "" : ",", static_cast<double>(frame) / rate);
    list += time;
  }
  return list.empty() ? "-" : list;
}

bool OpenAndLoad(SoundOutput& sound, const Setup& setup, std::chrono::milliseconds restAfter) {
  if (!test::UsePulseSink(setup.sink)) return false;
  if (!sound.Open({.framesPerBuffer = setup.frames, .restAfter = restAfter})) return false;
  return sound.Load(*BuildWaveImage(kTeeth, kMissing, Camshaft));
}

// A gap's recording asks for more latency than any client here, so that on PipeWire the
// server's cycle is the client's own choice, as it is where nothing records. A delay's asks
// for little, since its frames are timed by when they arrive (the cycle is then 256 frames).
constexpr auto kRecordingLatency = 50ms;

int Gaps(const Setup& setup) {
  MonitorRecording recording(setup.sink, setup.rate, kRecordingLatency);
  SoundOutput sound;
  const bool ours = setup.frames >= 0;
  if (!recording.Recording() || (ours && !OpenAndLoad(sound, setup, 3000ms))) return 1;
  if (ours) {
    sound.SetRate(PlaybackRate(kRpm));
    sound.PlayLooped();
  }
  std::this_thread::sleep_for(std::chrono::seconds(setup.count));
  std::vector<int16_t> samples = recording.Samples();
  sound.Close();
  // Another client's tone ends when it is stopped, after this: its tail is not a gap.
  if (!ours) samples.resize(std::min(samples.size(), static_cast<size_t>(setup.count - 1) * setup.rate * 2));
  Dump(samples);
  const size_t first = FirstSound(samples, 0);
  const test::WheelSignal heard = test::ReadWheel(samples, kTeeth, kMissing);
  const Silence silence = Silences(samples, first);
  std::printf(
      "frames=%d seconds=%d revolutions=%zu breaks=%zu silences=%zu longest_ms=%.1f over_limit=%zu "
      "not_antiphase=%zu gap_s=%s\n",
      setup.frames, setup.count, heard.revolutions, heard.breaks, silence.runs,
      1000.0 * static_cast<double>(silence.longest) / setup.rate, heard.overLimit, heard.notAntiphase,
      Times(silence.starts, setup.rate).c_str());
  return 0;
}

// The steady tone of Gaps, rendered here, for a client such as pacat.
int Pcm(const Setup& setup) {
  const auto frames = ReadWaveImage(*BuildWaveImage(kTeeth, kMissing, Camshaft));
  if (!frames) return 1;
  const LoopSound sound(*frames);
  LoopResampler resampler(setup.rate);
  const std::atomic<int32_t> rate{PlaybackRate(kRpm)};
  std::vector<int16_t> block(static_cast<size_t>(setup.rate) * 2);
  for (int second = 0; second < setup.count; ++second) {
    resampler.Render(sound, rate, block);
    if (std::fwrite(block.data(), 2, block.size(), stdout) != block.size()) return 1;
  }
  return 0;
}

// Intervals between rising edges that are neither a tooth nor the gap at either RPM, nor
// between the two: an edge out of place, where a rewritten stretch did not join (shorter
// than a tooth), or a silence (longer).
size_t OddIntervals(const std::vector<double>& edges, double lowTooth, double highTooth) {
  size_t odd = 0;
  for (size_t i = 1; i < edges.size(); ++i) {
    const double interval = edges[i] - edges[i - 1];
    const bool tooth = interval > 0.97 * highTooth && interval < 1.03 * lowTooth;
    const bool gap = interval > 0.97 * (kMissing + 1) * highTooth && interval < 1.03 * (kMissing + 1) * lowTooth;
    // A change inside the gap's interval: part of it at one RPM, the rest at the other.
    const bool both = interval > 0.97 * highTooth && interval < 1.03 * (kMissing + 1) * lowTooth;
    odd += !(tooth || gap || both);
  }
  return odd;
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

// RPM changes at random moments, then starts after a rest: when each is first heard, and
// the edges out of place. A recording of little latency times the frames closely but makes
// the sink take small blocks; one of kRecordingLatency leaves the sink its own blocks, as
// where nothing records, which is where a rewrite can fail to join (its times then read up
// to a block early).
int Delay(const Setup& setup, std::chrono::milliseconds latency) {
  MonitorRecording recording(setup.sink, setup.rate, latency);
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
  const Clock::time_point stopped = Clock::now();
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
  // The left channel's edges up to the last change: the starts after it break the tone on purpose.
  const double lastChange = std::max(recording.FrameAt(stopped), 0.0);
  const std::vector<double> steady(edges.begin(), std::lower_bound(edges.begin(), edges.end(), lastChange));
  std::printf(
      "frames=%d changes=%zu/%d change_median_ms=%.1f change_max_ms=%.1f start_median_ms=%.1f start_max_ms=%.1f "
      "odd_intervals=%zu\n",
      setup.frames, changeMs.size(), setup.count, Median(changeMs), Max(changeMs), Median(startMs), Max(startMs),
      OddIntervals(steady, Tooth(setup, kLowRpm), Tooth(setup, kHighRpm)));
  return 0;
}

}  // namespace
}  // namespace vm::bench

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s gaps|delay|joins|pcm SINK RATE FRAMES SECONDS|CHANGES\n", argv[0]);
    return 2;
  }
  const vm::bench::Setup setup{argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
  const std::string mode = argv[1];
  if (mode == "gaps") return vm::bench::Gaps(setup);
  if (mode == "delay") return vm::bench::Delay(setup, std::chrono::milliseconds(5));
  if (mode == "joins") return vm::bench::Delay(setup, vm::bench::kRecordingLatency);
  if (mode == "pcm") return vm::bench::Pcm(setup);
  return 2;
}
