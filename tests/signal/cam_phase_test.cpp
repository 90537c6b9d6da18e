// The cam phase against a model of the wheel: the crank channel untouched to the sample, and
// every cam edge, once, where the crank angle less the phase of that moment puts it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "signal/cam_signal.h"
#include "signal/loop_resampler.h"
#include "signal/render_schedule.h"
#include "signal/wave_reader.h"
#include "signal/wheel_geometry.h"
#include "support/samples.h"

namespace vm {
namespace {

constexpr int32_t kDeviceRate = 48000;
constexpr double kCycleDegrees = 720;

struct Wheel {
  int32_t teeth, missing, at;
};

// A wheel with the cam signal, its image and where the image's cam edge sits.
struct CamImage {
  explicit CamImage(Wheel w, int32_t rpm) : wheel{w.teeth, w.missing, w.at} {
    wheel.Signal = {.cam = true, .camAngle = 180};
    image = *BuildSignalImage(wheel);
    frames = static_cast<double>(ReadWaveImage(image)->FrameCount());
    const int64_t halfTooth = GeometryOfWheel(wheel)->halfToothFrames;
    edge = static_cast<double>(CamPulseFrames(wheel.Signal, halfTooth, static_cast<int64_t>(frames)).edge);
    rate = PlaybackRate(rpm);
  }
  // Source frames a output frame, and crankshaft degrees a output frame.
  double Step() const { return static_cast<double>(rate) / kDeviceRate; }
  double FrameDegrees() const { return Step() / frames * kCycleDegrees; }
  // The cam edge's phase as it shows at output time `t`: the crank angle there less the
  // edge's angle as written, within half a cycle.
  double SeenPhase(double t) const {
    const double degrees = std::fmod(t * Step() - edge, frames) / frames * kCycleDegrees;
    return std::remainder(degrees, kCycleDegrees);
  }

  WheelSignal wheel;
  WaveImage image;
  double frames = 0;
  double edge = 0;
  int32_t rate = 0;
};

struct Channels {
  std::vector<int16_t> left, right;
};

// Segments of `seconds` each at a phase in tenths of a degree, reached over `ms`.
struct Phase {
  int32_t tenths;
  uint32_t ms;
  double seconds;
};

// Each rising cam edge placed by the area it leaves below full level: the conversion's
// weights sum to one at every offset, so this moves exactly with the edge, where an
// interpolated crossing is off by up to a tenth of a frame. Wants halves of five frames.
std::vector<double> AreaEdges(const std::vector<int16_t>& levels) {
  std::vector<double> edges;
  for (const double crossing : test::RisingEdges(levels)) {
    const auto first = static_cast<ptrdiff_t>(crossing) - 4;
    if (first < 0 || first + 10 > static_cast<ptrdiff_t>(levels.size())) continue;
    double area = 0;
    for (ptrdiff_t i = first; i < first + 10; ++i)
      area += (kCamLevel - levels[static_cast<size_t>(i)]) / (2.0 * kCamLevel);
    edges.push_back(static_cast<double>(first) + area);
  }
  return edges;
}

Channels Render(const CamImage& cam, const std::vector<Phase>& phases) {
  std::vector<RateSegment> segments;
  for (const Phase& p : phases) {
    RateSegment segment{cam.rate, static_cast<uint64_t>(std::llround(p.seconds * kDeviceRate))};
    segment.camPhase = CamPhaseUnitsOf(p.tenths, 720);
    segment.camRampMs = p.ms;
    segments.push_back(segment);
  }
  std::vector<int16_t> out;
  EXPECT_TRUE(RenderSchedule(cam.image, kDeviceRate, segments, [&](std::span<const int16_t> s) {
    out.insert(out.end(), s.begin(), s.end());
    return true;
  }));
  return {test::Channel(out, 0), test::Channel(out, 1)};
}

Channels Unphased(const CamImage& cam, double seconds) { return Render(cam, {{0, 0, seconds}}); }

struct RampCase {
  Wheel wheel;
  int32_t rpm;
  int32_t from, to;  // tenths of a degree
  uint32_t ms;
};

// clang-format off
constexpr RampCase kRamps[] = {
    {{60, 2, Crankshaft}, 3000, -400, 400, 2000},
    {{60, 2, Crankshaft}, 3000, 400, -400, 2000},
    {{36, 1, Camshaft}, 3000, -400, 400, 2000},
    {{60, 2, Crankshaft}, 800, -900, 900, 1500},
    {{60, 2, Crankshaft}, 12000, 0, 255, 300},
};
// clang-format on

TEST(CamPhase, RampMovesEachCamEdgeOnceWithTheCrankUntouched) {
  for (const RampCase& c : kRamps) {
    SCOPED_TRACE(testing::Message() << c.wheel.teeth << "-" << c.wheel.missing << " at " << c.rpm << " RPM, " << c.from
                                    << " to " << c.to << " over " << c.ms << " ms");
    const CamImage cam(c.wheel, c.rpm);
    constexpr double lead = 0.25;
    const double total = lead + c.ms / 1000.0 + 0.25;
    const Channels phased = Render(cam, {{c.from, 0, lead}, {c.to, c.ms, total - lead}});
    EXPECT_EQ(phased.left, Unphased(cam, total).left);

    // The ramp's value at output time t, in degrees: linear from its first frame on.
    const double start = lead * kDeviceRate;
    const double length = c.ms / 1000.0 * kDeviceRate;
    const auto model = [&](double t) {
      const double share = std::clamp((t - start) / length, 0.0, 1.0);
      return (c.from + (c.to - c.from) * share) / 10.0;
    };
    const std::vector<double> edges = test::RisingEdges(phased.right);
    for (const double t : edges) EXPECT_NEAR(cam.SeenPhase(t), model(t), cam.FrameDegrees()) << "edge at " << t;
    // The right channel's reading moves forward only, so it passes the cam edge this often.
    const auto passes = [&](double t) {
      const double read = t * cam.Step() - model(t) / kCycleDegrees * cam.frames;
      return std::floor((read - cam.edge) / cam.frames);
    };
    const auto last = static_cast<double>(phased.right.size() - 1);
    EXPECT_EQ(static_cast<double>(edges.size()), passes(last) - passes(0));
    // The phase reached is the target's exactly: from there on, the frames of a render
    // that had it all along.
    const auto reached = static_cast<std::ptrdiff_t>(start + length);
    const std::vector<int16_t> target = Render(cam, {{c.to, 0, total}}).right;
    EXPECT_TRUE(std::equal(phased.right.begin() + reached, phased.right.end(), target.begin() + reached));
  }
}

TEST(CamPhase, StaticPhaseMovesEveryCamEdgeByItsAngle) {
  constexpr int32_t kTenths[] = {-900, -125, 1, 450, 900};
  for (const Wheel w : {Wheel{60, 2, Crankshaft}, Wheel{36, 1, Camshaft}}) {
    const CamImage cam(w, 3000);
    const Channels plain = Unphased(cam, 0.5);
    const std::vector<double> before = AreaEdges(plain.right);
    for (const int32_t tenths : kTenths) {
      SCOPED_TRACE(testing::Message() << w.teeth << "-" << w.missing << " at " << tenths / 10.0 << " degrees");
      const Channels phased = Render(cam, {{tenths, 0, 0.5}});
      EXPECT_EQ(phased.left, plain.left);
      const std::vector<double> after = AreaEdges(phased.right);
      const double shift = tenths / 10.0 / cam.FrameDegrees();
      const double cycle = cam.frames / cam.Step();
      // Every edge the plain render has, and the ones a cycle before and after, moved by the
      // shift; away from the ends, where an edge may fall just outside.
      std::vector<double> expected;
      for (double t : before) expected.push_back(t + shift);
      expected.insert(expected.begin(), before.front() - cycle + shift);
      expected.push_back(before.back() + cycle + shift);
      std::erase_if(expected, [&](double t) { return t < 8 || t > static_cast<double>(plain.right.size()) - 8; });
      std::vector<double> inside;
      for (const double t : after)
        if (t > 8 && t < static_cast<double>(plain.right.size()) - 8) inside.push_back(t);
      ASSERT_EQ(inside.size(), expected.size());
      for (size_t i = 0; i < inside.size(); ++i) EXPECT_NEAR(inside[i], expected[i], 0.01) << "edge " << i;
    }
  }
}

TEST(CamPhase, BackAtZeroEverySampleIsAsNeverMoved) {
  const CamImage cam({60, 2, Crankshaft}, 3000);
  const Channels plain = Unphased(cam, 0.6);
  const Channels phased = Render(cam, {{0, 0, 0.1}, {300, 100, 0.2}, {-150, 0, 0.1}, {0, 0, 0.2}});
  const auto from = static_cast<std::ptrdiff_t>(0.4 * kDeviceRate);
  EXPECT_EQ(phased.left, plain.left);
  EXPECT_TRUE(std::equal(phased.right.begin(), phased.right.begin() + static_cast<std::ptrdiff_t>(0.1 * kDeviceRate),
                         plain.right.begin()));
  EXPECT_TRUE(std::equal(phased.right.begin() + from, phased.right.end(), plain.right.begin() + from));
  EXPECT_NE(phased.right, plain.right);
}

TEST(CamPhase, HeldToAQuarterOfTheLoop) {
  EXPECT_EQ(CamPhaseUnitsOf(900, 720), 900);
  EXPECT_EQ(CamPhaseUnitsOf(-900, 360), -kMaxCamPhase);
  EXPECT_EQ(CamPhaseUnitsOf(1, 360), 2);
  const CamImage cam({60, 2, Crankshaft}, 3000);
  std::vector<int16_t> rendered[2];
  for (const int32_t units : {kMaxCamPhase, 4 * kMaxCamPhase}) {
    std::vector<int16_t>& out = rendered[units == kMaxCamPhase ? 0 : 1];
    RateSegment segment{cam.rate, 4800};
    segment.camPhase = -units;
    ASSERT_TRUE(RenderSchedule(cam.image, kDeviceRate, {&segment, 1}, [&](std::span<const int16_t> s) {
      out.insert(out.end(), s.begin(), s.end());
      return true;
    }));
  }
  EXPECT_EQ(rendered[0], rendered[1]);
}

}  // namespace
}  // namespace vm
