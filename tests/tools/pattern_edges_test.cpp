// Every edge of every library pattern heard at its angle: each pattern rendered as
// velomira-render renders it (its sound for a 48000 Hz output, the speed rule, the sound
// output's stream) at 100, 3000 and 15000 RPM, its zero crossings found in the stream and
// set against the file's angles, and its period exact. A pattern the speed rule refuses at
// an RPM is listed, so a refusal is seen, not skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "pattern/pattern_file.h"
#include "pattern/pattern_library.h"
#include "signal/loop_resampler.h"
#include "signal/render_schedule.h"
#include "support/cam_input.h"
#include "support/samples.h"
#include "tools/pattern_args.h"
#include "tools/speed_limit.h"

namespace vm::render {
namespace {

constexpr int32_t kRate = 48000;
// The linear placing of a crossing between two samples of an edge two output frames wide
// is off by up to 0.075 frames; edges closer than two frames also pull at each other (the
// worst seen: 0.081 frames, 60-2 at 15000 RPM).
constexpr double kTolerance = 0.1;  // output frames: 2.1 µs

struct Rendered {
  std::vector<int16_t> samples;  // interleaved stereo
  double cycleFrames = 0;        // output frames of one cycle
};

Rendered Render(const PatternSound& sound, int64_t rpm, int cycles, int32_t camPhaseTenths = 0) {
  const RateFraction rate = PatternPlaybackRate(sound, rpm);
  Rendered out;
  out.cycleFrames = static_cast<double>(sound.cycleFrames) * static_cast<double>(rate.denominator) * kRate /
                    static_cast<double>(rate.numerator);
  RateSegment segment{static_cast<int32_t>(rate.numerator), static_cast<uint64_t>(std::ceil(cycles * out.cycleFrames)),
                      static_cast<int32_t>(rate.denominator)};
  segment.camPhase = CamPhaseUnitsOf(camPhaseTenths, sound.revolutions * 360);  // as velomira-render --cam-phase
  EXPECT_TRUE(RenderSchedule(sound.image, kRate, {&segment, 1}, [&](std::span<const int16_t> samples) {
    out.samples.insert(out.samples.end(), samples.begin(), samples.end());
    return true;
  }));
  return out;
}

// The largest distance, in output frames, between a crossing and the edge of the track it
// stands for; a crossing without an edge within a tolerance, or an edge without one, is
// counted in `unmatched`.
double WorstEdge(const std::vector<test::Crossing>& crossings, const PatternTrack& track, int32_t cycle,
                 const Rendered& rendered, int cycles, size_t& unmatched) {
  std::vector<test::Crossing> ideal;
  for (int k = 0; k < cycles; ++k)
    for (const PatternEdge& edge : TrackEdges(track, cycle))
      ideal.push_back({(k + static_cast<double>(edge.angle) / cycle) * rendered.cycleFrames, edge.rising});
  const double last = static_cast<double>(rendered.samples.size() / 2 - 1);
  double worst = 0;
  size_t next = 0;
  for (const test::Crossing& edge : ideal) {
    if (edge.at < 1 || edge.at > last - 1) continue;  // the stream's first and last frames
    while (next < crossings.size() && crossings[next].at < edge.at - 1) ++next;
    if (next == crossings.size() || crossings[next].rising != edge.rising ||
        std::abs(crossings[next].at - edge.at) > 1) {
      ++unmatched;
      continue;
    }
    worst = std::max(worst, std::abs(crossings[next++].at - edge.at));
  }
  for (const test::Crossing& crossing : crossings)  // every crossing is an edge's
    unmatched += crossing.at >= 1 && crossing.at <= last - 1 &&
                 std::none_of(ideal.begin(), ideal.end(), [&](const test::Crossing& edge) {
                   return edge.rising == crossing.rising && std::abs(edge.at - crossing.at) <= 1;
                 });
  return worst;
}

// The stream repeats itself sample for sample after each cycle (these RPMs make a cycle a
// whole number of output frames), which only an exact rate gives.
bool RepeatsEachCycle(const Rendered& rendered) {
  const auto period = static_cast<size_t>(std::llround(rendered.cycleFrames));
  if (std::abs(rendered.cycleFrames - static_cast<double>(period)) > 1e-9) return false;
  for (size_t i = 2 * period; i < rendered.samples.size(); ++i)
    if (rendered.samples[i] != rendered.samples[i - 2 * period]) return false;
  return true;
}

TEST(PatternEdges, EveryLibraryEdgeIsHeardAtItsAngleWithAnExactPeriod) {
  constexpr int kCycles = 3;
  std::vector<std::string> refused;
  const std::vector<PatternListEntry> library = ListPatterns({VELOMIRA_PATTERN_LIBRARY});
  ASSERT_GE(library.size(), 40u);
  for (const PatternListEntry& entry : library) {
    const PatternReading reading = LoadPatternFile(entry.path);
    ASSERT_TRUE(reading.ok) << entry.path;
    const Pattern& pattern = reading.pattern;
    for (const int64_t rpm : {100, 3000, 15000}) {
      SCOPED_TRACE(entry.name + " at " + std::to_string(rpm) + " RPM");
      const auto sound = BuildToolPatternSound(pattern, kRate, rpm);  // as velomira-render --rpm
      ASSERT_TRUE(sound);
      if (const auto error = SpeedLimitError(*sound, rpm, kRate, 300000)) {
        refused.push_back(entry.name + " at " + std::to_string(rpm) + ": " + *error);
        continue;
      }
      const Rendered rendered = Render(*sound, rpm, kCycles);
      EXPECT_TRUE(RepeatsEachCycle(rendered));
      size_t unmatched = 0;
      const double left = WorstEdge(test::ZeroCrossings(test::Channel(rendered.samples, 0)), pattern.crank,
                                    pattern.cycle, rendered, kCycles, unmatched);
      const double right = pattern.hasCam ? WorstEdge(test::ZeroCrossings(test::Channel(rendered.samples, 1)),
                                                      pattern.cam, pattern.cycle, rendered, kCycles, unmatched)
                                          : 0;
      EXPECT_EQ(unmatched, 0u);
      EXPECT_LE(left, kTolerance);
      EXPECT_LE(right, kTolerance);
      if (std::getenv("VELOMIRA_PRINT_EDGES"))
        std::printf("%-24s %6lld RPM  worst %.3f %.3f frames  %s\n", entry.name.c_str(), static_cast<long long>(rpm),
                    left, right, sound->exactFrames ? "exact frames" : "area levels");
    }
  }
  for (const std::string& line : refused) std::printf("refused: %s\n", line.c_str());
  // clang-format off
  const std::vector<std::string> expected = {
    "nissan-360-cas-4cyl at 15000: 15000 RPM is too fast for a 48000 Hz output: this pattern plays up to 7200 RPM",
    "nissan-360-cas-6cyl at 15000: 15000 RPM is too fast for a 48000 Hz output: this pattern plays up to 7200 RPM",
  };
  // clang-format on
  EXPECT_EQ(refused, expected);
}

// A cam track as an ECU's cam input sees it behind a sound card's 5 Hz coupling: the
// comparator goes high at each rising edge, within an output frame, from 100 to 15000 RPM.
// A narrow tooth once a cycle is lost once the cycle is shorter than the coupling's time:
// the high-pass then holds the low level within the comparator's hysteresis. Those cases
// are listed, so a change to them is seen.
TEST(PatternEdges, CamTracksReachACamInputBehindTheHighPassAtTheirAngles) {
  constexpr int kCycles = 5;
  std::vector<std::string> lost;
  for (const PatternListEntry& entry : ListPatterns({VELOMIRA_PATTERN_LIBRARY})) {
    const Pattern pattern = LoadPatternFile(entry.path).pattern;
    if (!pattern.hasCam) continue;
    for (const int64_t rpm : {100, 1000, 6000, 15000}) {
      SCOPED_TRACE(entry.name + " at " + std::to_string(rpm) + " RPM");
      const auto sound = BuildToolPatternSound(pattern, kRate, rpm);
      ASSERT_TRUE(sound);
      if (SpeedLimitError(*sound, rpm, kRate, 300000)) continue;  // listed by the test above
      // Half a second, fifteen times the coupling's time, lets the high-pass settle.
      const int kSettle = static_cast<int>(std::ceil(0.5 * kRate / Render(*sound, rpm, 0).cycleFrames));
      const Rendered rendered = Render(*sound, rpm, kSettle + kCycles);
      const std::vector<int16_t> cam = test::Channel(rendered.samples, 1);
      test::CamInput input(true, 1.0 / kRate);
      std::vector<double> rises;
      for (size_t frame = 0; frame < cam.size(); ++frame) {
        double crossing = 0;
        if (input.Feed(cam[frame], crossing) && static_cast<double>(frame) >= kSettle * rendered.cycleFrames)
          rises.push_back(static_cast<double>(frame) - 1 + crossing);
      }
      std::vector<double> expected;
      for (int k = kSettle; k < kSettle + kCycles; ++k)
        for (const PatternEdge& edge : TrackEdges(pattern.cam, pattern.cycle)) {
          const double at = (k + static_cast<double>(edge.angle) / pattern.cycle) * rendered.cycleFrames;
          if (edge.rising && at < static_cast<double>(cam.size()) - 2) expected.push_back(at);
        }
      bool heard = rises.size() == expected.size();
      for (size_t i = 0; heard && i < rises.size(); ++i) heard = std::abs(rises[i] - expected[i]) <= 1.0;
      if (!heard) lost.push_back(entry.name + " at " + std::to_string(rpm));
    }
  }
  for (const std::string& line : lost) std::printf("cam events lost behind the high-pass: %s\n", line.c_str());
  // clang-format off
  const std::vector<std::string> expected = {
    "2jz-36-2-cam at 6000", "2jz-36-2-cam at 15000",
    "36-1-cam at 6000", "36-1-cam at 15000",
    "36-2-2-2-cam at 6000", "36-2-2-2-cam at 15000",
    "36-2-cam at 6000", "36-2-cam at 15000",
    "60-2-cam at 6000", "60-2-cam at 15000",
    "distributor-4-cam at 6000", "distributor-4-cam at 15000",
    "distributor-6-cam at 6000", "distributor-6-cam at 15000",
    "distributor-8-cam at 6000", "distributor-8-cam at 15000",
    "miata-99-05 at 6000", "miata-99-05 at 15000",
  };
  // clang-format on
  EXPECT_EQ(lost, expected);
}

// The track as the cam phase moves it: every stretch later by `shift`, wrapped into the cycle.
PatternTrack Moved(const PatternTrack& track, int32_t shift, int32_t cycle) {
  PatternTrack moved;
  for (const HighStretch& high : track.highs) {
    const int32_t rise = ((high.rise + shift) % cycle + cycle) % cycle;
    moved.highs.push_back({rise, rise + high.fall - high.rise});
  }
  std::sort(moved.highs.begin(), moved.highs.end(), [](auto& a, auto& b) { return a.rise < b.rise; });
  return moved;
}

// A cam phase moves every edge of a pattern's cam track by its crank angle over the engine
// cycle, and leaves the crank track as it was to the sample.
TEST(PatternEdges, CamPhaseMovesEveryCamEdgeOfAPatternAndNoCrankSample) {
  constexpr int kCycles = 3;
  for (const char* name : {"miata-99-05", "gm-24x-ls1", "60-2-quick-start", "4g63-cas"}) {
    const Pattern pattern = LoadPatternFile(std::string(VELOMIRA_PATTERN_LIBRARY) + "/" + name + ".pattern").pattern;
    ASSERT_TRUE(pattern.hasCam) << name;
    const auto sound = BuildToolPatternSound(pattern, kRate, 3000);
    ASSERT_TRUE(sound);
    const Rendered still = Render(*sound, 3000, kCycles);
    for (const int32_t tenths : {-400, 125, 900}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(tenths) + " tenths of a degree");
      const Rendered moved = Render(*sound, 3000, kCycles, tenths);
      EXPECT_EQ(test::Channel(moved.samples, 0), test::Channel(still.samples, 0));
      size_t unmatched = 0;
      const PatternTrack cam = Moved(pattern.cam, tenths * kCentidegreesPerDegree / 10, pattern.cycle);
      EXPECT_LE(WorstEdge(test::ZeroCrossings(test::Channel(moved.samples, 1)), cam, pattern.cycle, moved, kCycles,
                          unmatched),
                kTolerance);
      EXPECT_EQ(unmatched, 0u);
    }
  }
}

// A cam phase ramped while a crank-and-cam pattern plays, against a model: the crank channel
// is the unmoved one to the sample, and the cam crossings are, one for one and in order,
// the passes of the read position (crank angle less the ramp's phase of that moment) over
// the track's edges, each within one output frame.
TEST(PatternEdges, CamPhaseRampKeepsEveryCamEdgeOfAPatternOnceAtItsPhase) {
  constexpr int64_t kRpm = 3000;
  constexpr double kLead = 0.25, kRampSeconds = 2, kTail = 0.25;
  const Pattern pattern = LoadPatternFile(std::string(VELOMIRA_PATTERN_LIBRARY) + "/60-2-quick-start.pattern").pattern;
  const auto sound = BuildToolPatternSound(pattern, kRate, kRpm);
  ASSERT_TRUE(sound);
  const RateFraction rate = PatternPlaybackRate(*sound, kRpm);
  const auto segment = [&](int32_t tenths, uint32_t ms, double seconds) {
    RateSegment s{static_cast<int32_t>(rate.numerator), static_cast<uint64_t>(std::llround(seconds * kRate)),
                  static_cast<int32_t>(rate.denominator)};
    s.camPhase = CamPhaseUnitsOf(tenths, sound->revolutions * 360);
    s.camRampMs = ms;
    return s;
  };
  const auto render = [&](std::vector<RateSegment> segments) {
    std::vector<int16_t> out;
    EXPECT_TRUE(RenderSchedule(sound->image, kRate, segments, [&](std::span<const int16_t> samples) {
      out.insert(out.end(), samples.begin(), samples.end());
      return true;
    }));
    return out;
  };
  const auto moved = render({segment(-400, 0, kLead), segment(400, 2000, kRampSeconds + kTail)});
  EXPECT_EQ(test::Channel(moved, 0), test::Channel(render({segment(0, 0, kLead + kRampSeconds + kTail)}), 0));

  const double cycle = pattern.cycle / 100.0;
  const double frameDegrees = kRpm * 6.0 / kRate;
  const auto read = [&](double t) {  // degrees of the cycle the cam channel reads at output time t
    const double share = std::clamp((t - kLead * kRate) / (kRampSeconds * kRate), 0.0, 1.0);
    return t * frameDegrees - (-40 + 80 * share);
  };
  const std::vector<test::Crossing> crossings = test::ZeroCrossings(test::Channel(moved, 1));
  ASSERT_GT(crossings.size(), 2u);
  // The passes the model makes between the first crossing and the last, in order.
  std::vector<std::pair<double, bool>> passes;
  const double from = read(crossings.front().at) - 0.5, to = read(crossings.back().at) + 0.5;
  for (double base = std::floor(from / cycle) * cycle; base < to; base += cycle)
    for (const PatternEdge& edge : TrackEdges(pattern.cam, pattern.cycle))
      if (const double at = base + edge.angle / 100.0; at >= from && at <= to) passes.push_back({at, edge.rising});
  std::sort(passes.begin(), passes.end());
  ASSERT_EQ(crossings.size(), passes.size());
  double worst = 0;
  for (size_t i = 0; i < crossings.size(); ++i) {
    EXPECT_EQ(crossings[i].rising, passes[i].second) << "crossing " << i;
    EXPECT_NEAR(read(crossings[i].at), passes[i].first, frameDegrees) << "crossing " << i;
    worst = std::max(worst, std::abs(read(crossings[i].at) - passes[i].first) / frameDegrees);
  }
  std::printf("cam phase ramp on 60-2-quick-start: %zu cam edges, each once, worst %.3f output frames\n",
              crossings.size(), worst);
}

}  // namespace
}  // namespace vm::render
