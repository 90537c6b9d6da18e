// The cam signal as an ECU's cam input sees it: behind a sound card's coupling (a 5 Hz
// first-order high-pass) or straight, a comparator with ±10 % hysteresis must see one event
// per engine cycle, at the set angle to within one image frame, from 100 to 15000 RPM.

#include "signal/cam_signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "signal/exact_rate.h"
#include "signal/render_schedule.h"
#include "signal/wheel_geometry.h"
#include "support/cam_input.h"
#include "support/samples.h"

namespace vm {
namespace {

constexpr int kSettleCycles = 2;
constexpr int kCycles = 4;

struct Wheel {
  int32_t teeth, missing, at;
};
constexpr Wheel kWheels[] = {{10, 1, Crankshaft}, {35, 1, Crankshaft}, {58, 2, Crankshaft},
                             {67, 2, Crankshaft}, {46, 2, Camshaft},   {10, 1, Camshaft}};
constexpr int32_t kAngles[] = {0, 90, 359, 360, 719};
constexpr int32_t kRpms[] = {100, 1000, 6000, 15000};

WheelSignal CamWheel(const Wheel& w, int32_t angle, int32_t width, bool exact) {
  WheelSignal wheel{w.teeth, w.missing, w.at};
  wheel.Signal = {.exactSpeed = exact, .cam = true, .camAngle = angle, .camWidth = width};
  return wheel;
}

int16_t Sample(const WaveImage& image, size_t frame, int channel) { return test::SampleAt(image, frame, channel, 44); }

using test::CamInput;

// Circular distance on a cycle of `frames`.
double Distance(double a, double b, double frames) {
  const double d = std::fmod(std::abs(a - b), frames);
  return std::min(d, frames - d);
}

// Where the event belongs: `angle` crankshaft degrees after the image's first rising edge of
// the left channel, on a cycle of 720 degrees.
double ExpectedFrame(const WaveImage& image, int32_t angle) {
  const size_t frames = (image.size() - 44) / 4;
  size_t firstRise = 1;
  while (firstRise < frames && !(Sample(image, firstRise - 1, 0) < 0 && Sample(image, firstRise, 0) > 0)) ++firstRise;
  return static_cast<double>(firstRise) + angle * static_cast<double>(frames) / 720.0;
}

// Events in image frames (fractions within a frame where the crossing falls between two).
std::vector<double> ImageEvents(const WaveImage& image, double secondsPerFrame, bool highPass) {
  const size_t frames = (image.size() - 44) / 4;
  CamInput input(highPass, secondsPerFrame);
  std::vector<double> events;
  for (int cycle = 0; cycle < kSettleCycles + kCycles; ++cycle) {
    for (size_t f = 0; f < frames; ++f) {
      double crossing = 0;
      if (input.Feed(Sample(image, f, 1), crossing) && cycle >= kSettleCycles) events.push_back(static_cast<double>(f));
    }
  }
  return events;
}

TEST(CamSignal, OneEventPerCycleAtTheSetAngleBeforeAndAfterTheHighPass) {
  for (const Wheel& w : kWheels) {
    for (const int32_t angle : kAngles) {
      for (const int32_t width : {0, 1, 360}) {
        const WheelSignal wheel = CamWheel(w, angle, width, true);
        const WaveImage image = *BuildSignalImage(wheel);
        const double frames = static_cast<double>((image.size() - 44) / 4);
        const double expected = ExpectedFrame(image, angle);
        for (const int32_t rpm : kRpms) {
          for (const bool exact : {true, false}) {
            const RateFraction rate = SignalPlaybackRate(CamWheel(w, angle, width, exact), rpm);
            const double seconds = static_cast<double>(rate.denominator) / static_cast<double>(rate.numerator);
            for (const bool highPass : {false, true}) {
              const std::vector<double> events = ImageEvents(image, seconds, highPass);
              ASSERT_EQ(events.size(), static_cast<size_t>(kCycles))
                  << w.teeth << "+" << w.missing << " at " << angle << " width " << width << ", " << rpm << " rpm"
                  << (highPass ? " after" : " before") << " the high-pass";
              for (const double event : events)
                EXPECT_LE(Distance(event, expected, frames), 1.0) << w.teeth << "+" << w.missing << " at " << angle;
            }
          }
        }
      }
    }
  }
}

// The left channel is the wheel over one engine cycle, and the right channel's pulse has
// no mean and stays within ±32000; with the cam off the image is the wheel's own.
TEST(CamSignal, TheImageIsTheWheelOverOneCycleBesideAPulseWithoutMean) {
  for (const Wheel& w : kWheels) {
    const WaveImage wheelOnly = *BuildWaveImage(w.teeth, w.missing, w.at);
    WheelSignal off = CamWheel(w, 90, 0, true);
    off.Signal.cam = false;
    EXPECT_EQ(*BuildSignalImage(off), wheelOnly);
    const WaveImage image = *BuildSignalImage(CamWheel(w, 90, 0, false));
    const size_t revolution = (wheelOnly.size() - 44) / 4;
    const size_t frames = (image.size() - 44) / 4;
    ASSERT_EQ(frames, revolution * (w.at == Crankshaft ? 2 : 1));
    int64_t sum = 0;
    size_t high = 0;
    for (size_t f = 0; f < frames; ++f) {
      ASSERT_EQ(Sample(image, f, 0), Sample(wheelOnly, f % revolution, 0)) << f;
      const int16_t right = Sample(image, f, 1);
      ASSERT_LE(std::abs(right), 32000);
      sum += right;
      high += right > 0;
    }
    EXPECT_EQ(sum, 0) << w.teeth;
    // One tooth period by default: 2 N frames, N being half of it.
    EXPECT_EQ(high, 2 * static_cast<size_t>(GeometryOfWheel(w.teeth, w.missing, w.at)->halfToothFrames)) << w.teeth;
    EXPECT_EQ(std::string(image.begin() + 36, image.begin() + 40), "data");
    EXPECT_EQ(image[40] | image[41] << 8 | image[42] << 16, static_cast<int>(4 * frames));
  }
}

// Events in the stream the sound card receives, in image frames of the cycle.
std::vector<double> RenderedEvents(const WheelSignal& wheel, int32_t rpm, bool highPass, double frames) {
  constexpr int32_t deviceRate = 48000;
  const RateFraction rate = SignalPlaybackRate(wheel, rpm);
  const double imageFramesPerOutput = static_cast<double>(rate.numerator) / rate.denominator / deviceRate;
  const auto cycleOutput = static_cast<uint64_t>(frames / imageFramesPerOutput);
  const RateSegment segment{static_cast<int32_t>(rate.numerator), cycleOutput * (kSettleCycles + kCycles),
                            static_cast<int32_t>(rate.denominator)};
  CamInput input(highPass, 1.0 / deviceRate);
  std::vector<double> events;
  uint64_t frame = 0;
  RenderSchedule(*BuildSignalImage(wheel), deviceRate, {&segment, 1}, [&](std::span<const int16_t> samples) {
    for (size_t i = 1; i < samples.size(); i += 2, ++frame) {
      double crossing = 0;
      if (input.Feed(samples[i], crossing) && frame >= cycleOutput * kSettleCycles)
        events.push_back(std::fmod((static_cast<double>(frame) - 1.0 + crossing) * imageFramesPerOutput, frames));
    }
    return true;
  });
  return events;
}

// The same through the rate conversion: the edge, made of intermediate levels, still
// crosses the threshold within one image frame of the set angle.
TEST(CamSignal, TheRenderedStreamKeepsTheEventAtItsAngle) {
  const bool print = std::getenv("VELOMIRA_PRINT_FIGURES") != nullptr;
  for (const Wheel& w : kWheels) {
    for (const bool highPass : {false, true}) {
      double worst = 0;
      for (const int32_t angle : kAngles) {
        const WheelSignal wheel = CamWheel(w, angle, 0, true);
        const WaveImage image = *BuildSignalImage(wheel);
        const double frames = static_cast<double>((image.size() - 44) / 4);
        for (const int32_t rpm : {100, 15000}) {
          const std::vector<double> events = RenderedEvents(wheel, rpm, highPass, frames);
          EXPECT_EQ(events.size(), static_cast<size_t>(kCycles)) << w.teeth << " at " << angle << ", " << rpm;
          for (const double event : events) {
            const double error = Distance(event, ExpectedFrame(image, angle), frames);
            EXPECT_LE(error, 1.0) << w.teeth << "+" << w.missing << " at " << angle << ", " << rpm << " rpm";
            worst = std::max(worst, error * 720.0 / frames);
          }
        }
      }
      if (print)
        std::printf("%d+%d %s %s the high-pass: worst event error %.3f crankshaft degrees\n", w.teeth, w.missing,
                    w.at == Crankshaft ? "crank" : "cam", highPass ? "after" : "before", worst);
    }
  }
}

// The shortest pulse keeps full level up to the window's top speed, and nearly so up to
// the tools' (a tooth frequency of 45 % of the output rate), where a half lasts just over two
// output frames and the conversion's triangle may straddle its edge by half a frame.
TEST(CamSignal, TheShortestPulseKeepsItsLevelAtTopSpeed) {
  constexpr int32_t deviceRate = 48000;
  for (const Wheel& w : kWheels) {
    const WheelSignal wheel = CamWheel(w, 90, 1, false);
    const auto halfTooth = static_cast<double>(GeometryOfWheel(w.teeth, w.missing, w.at)->halfToothFrames);
    const auto toolsTop = static_cast<int32_t>(0.45 * deviceRate * 2.0 * halfTooth / 11.2);
    for (const auto& [rpm, level] : {std::pair{15000, 32000}, std::pair{toolsTop, 28000}}) {
      const RateSegment segment{PlaybackRate(rpm), 4 * deviceRate / 10, 1};
      int16_t low = 0, high = 0;
      RenderSchedule(*BuildSignalImage(wheel), deviceRate, {&segment, 1}, [&](std::span<const int16_t> samples) {
        for (size_t i = 1; i < samples.size(); i += 2) {
          low = std::min(low, samples[i]);
          high = std::max(high, samples[i]);
        }
        return true;
      });
      EXPECT_GE(high, level) << w.teeth << "+" << w.missing << " at " << rpm << " rpm";
      EXPECT_LE(low, -level) << w.teeth << "+" << w.missing << " at " << rpm << " rpm";
    }
  }
}

}  // namespace
}  // namespace vm
