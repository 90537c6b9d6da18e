// Edge timing of rendered trigger patterns against their files' angles, beside today's
// default wheel: the sound output's own stream (as velomira-render renders it) at 48 kHz,
// its crossings found through a sound card's reconstruction filter (signal_edges.h).
//   velomira_pattern_quality [seconds per case, default 10]
// Exit code 0 when every edge is found and its RMS error is at most 1.5 µs.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pattern/pattern_file.h"
#include "pattern/pattern_sound.h"
#include "signal/render_schedule.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "signal_edges.h"

namespace vm::bench {
namespace {

constexpr int32_t kDeviceRate = 48000;
constexpr int kMargin = 64;
constexpr const char* kPatterns[] = {"60-2-quick-start", "miata-99-05",      "gm-24x-ls1",
                                     "36-2-2-2-cam",     "vtwin-45-oddfire", "harley-32-2"};

// A sound to measure: its image, the edges of each channel within one loop of it (in image
// frames), and the rate it plays at.
struct Subject {
  std::string name;
  WaveImage image;
  double loopFrames = 0;
  std::vector<Crossing> left, right;  // right empty: the right channel is -left
  RateFraction rate;
  const char* kind = "";
};

std::vector<Crossing> EdgesOf(const PatternTrack& track, int32_t cycle, double frames) {
  std::vector<Crossing> edges;
  for (const PatternEdge& edge : TrackEdges(track, cycle))
    edges.push_back({static_cast<double>(edge.angle) * frames / cycle, edge.rising});
  return edges;
}

Subject PatternSubject(const char* name, int64_t rpm) {
  const PatternReading reading = LoadPatternFile(std::string(VELOMIRA_PATTERN_LIBRARY) + "/" + name + ".pattern");
  if (!reading.ok) {
    std::fprintf(stderr, "%s: %s\n", name, PatternErrorText(reading.error).c_str());
    std::exit(2);
  }
  const Pattern& pattern = reading.pattern;
  const PatternSound sound = *BuildPatternSound(pattern, rpm);  // as velomira-render at this RPM
  Subject subject;
  subject.name = name;
  subject.image = sound.image;
  subject.loopFrames = static_cast<double>(sound.cycleFrames);
  subject.left = EdgesOf(pattern.crank, pattern.cycle, subject.loopFrames);
  if (pattern.hasCam) subject.right = EdgesOf(pattern.cam, pattern.cycle, subject.loopFrames);
  subject.rate = PatternPlaybackRate(sound, rpm);
  subject.kind = sound.exactFrames ? "frames" : "areas";
  return subject;
}

// Today's default wheel, 46 + 2 on the camshaft, at its uncorrected rate.
Subject WheelSubject(int64_t rpm) {
  const WaveImage image = *BuildWaveImage(46, 2, Camshaft);
  const auto frames = static_cast<double>(ReadWaveImage(image)->FrameCount());
  Subject subject;
  subject.name = "46-2 default wheel";
  subject.image = image;
  subject.loopFrames = frames;
  const double halfTooth = frames / (2 * 48);
  for (int k = 0; k < 2 * 46; ++k) subject.left.push_back({(k + 1) * halfTooth, k % 2 == 0});
  subject.rate = RateFraction{PlaybackRate(static_cast<int32_t>(rpm))};
  subject.kind = "wheel";
  return subject;
}

// The ideal edges of `loop` over the whole stream, in output frames.
std::vector<Crossing> Ideal(const std::vector<Crossing>& loop, const Subject& subject, size_t frames) {
  const double outPerImage = static_cast<double>(subject.rate.denominator) * kDeviceRate /
                             static_cast<double>(subject.rate.numerator);
  std::vector<Crossing> edges;
  for (int64_t k = 0;; ++k) {
    for (const Crossing& edge : loop) {
      const double at = (static_cast<double>(k) * subject.loopFrames + edge.at) * outPerImage;
      if (at > static_cast<double>(frames) - kMargin - 1) return edges;
      if (at >= kMargin + 1) edges.push_back({at, edge.rising});
    }
  }
}

double Micro(double samples) { return samples * 1e6 / kDeviceRate; }

bool Report(const Subject& subject, int64_t rpm, size_t frames) {
  const RateSegment segment{static_cast<int32_t>(subject.rate.numerator), frames,
                            static_cast<int32_t>(subject.rate.denominator)};
  std::vector<int16_t> left, right;
  RenderSchedule(subject.image, kDeviceRate, {&segment, 1}, [&](std::span<const int16_t> samples) {
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
      left.push_back(samples[i]);
      right.push_back(samples[i + 1]);
    }
    return true;
  });
  bool pass = true;
  for (const bool cam : {false, true}) {
    if (cam && subject.right.empty()) continue;
    const auto ideal = Ideal(cam ? subject.right : subject.left, subject, frames);
    const EdgeErrors e = CompareEdges(FindCrossings(cam ? right : left, kMargin), ideal, 1.0);
    const bool ok = e.missed == 0 && e.extra == 0 && Micro(e.rms) <= 1.5;
    pass = pass && ok;
    std::printf("%-20s %-6s %-5s %6lld %7zu %7zu %5zu | %7.3f %7.3f %9.4f %s\n", subject.name.c_str(), subject.kind,
                cam ? "cam" : "crank", static_cast<long long>(rpm), e.edges, e.missed, e.extra, Micro(e.rms),
                Micro(e.max), -e.slope * 1e6, ok ? "ok" : "FAIL");
  }
  return pass;
}

}  // namespace
}  // namespace vm::bench

int main(int argc, char** argv) {
  using namespace vm::bench;
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const auto frames = static_cast<size_t>(seconds * kDeviceRate);
  std::printf("%.1f s a case at %d Hz; edge errors in microseconds after removing the mean offset\n", seconds,
              kDeviceRate);
  std::printf("%-20s %-6s %-5s %6s %7s %7s %5s | %7s %7s %9s\n", "signal", "image", "track", "rpm", "edges", "missed",
              "extra", "rms", "max", "freq ppm");
  bool pass = true;
  for (const int64_t rpm : {1000, 6000, 15000}) {
    pass = Report(WheelSubject(rpm), rpm, frames) && pass;
    for (const char* name : kPatterns) pass = Report(PatternSubject(name, rpm), rpm, frames) && pass;
  }
  return pass ? 0 : 1;
}
