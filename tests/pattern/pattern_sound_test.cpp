// A pattern as sound: the image's bytes, the level that keeps an edge inside a frame at its
// place, the exact rate, and a cycle whose second revolution differs from the first.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/pattern_sound.h"
#include "pattern_description.h"
#include "signal/pcm16.h"
#include "signal/wav_header.h"
#include "support/samples.h"

namespace vm {
namespace {

using test::Read;

int16_t Sample(const WaveImage& image, int64_t frame, int channel) {
  return test::SampleAt(image, static_cast<size_t>(frame), channel, kWavHeaderBytes);
}

TEST(PatternSound, TinyPatternIsAPlainSquareOfWholeFrames) {
  // Edges on 90° and 270°: a grid of 4 frames, taken 15 times for 60 frames a revolution.
  const auto sound = BuildPatternSound(Read(360, "crank high 90 to 270"), 15000);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->cycleFrames, 60);
  EXPECT_TRUE(sound->exactFrames);
  EXPECT_EQ(sound->shortestGap, 18000);
  // At 1000 RPM 60 frames a revolution turn at 1000 frames a second.
  WaveImage expected = WavHeader(1000, 240);
  expected.resize(kWavHeaderBytes + 240);
  for (int frame = 0; frame < 60; ++frame) {
    const int16_t left = frame >= 15 && frame < 45 ? 32000 : -32000;
    PutSample(&expected[kWavHeaderBytes + 4 * frame], left);
    PutSample(&expected[kWavHeaderBytes + 4 * frame + 2], static_cast<int16_t>(-left));
  }
  EXPECT_EQ(sound->image, expected);
}

struct AreaCase {
  int64_t high, whole;
  int16_t level;
};

// clang-format off
const AreaCase kAreas[] = {
  {0, 100, -32000}, {100, 100, 32000}, {50, 100, 0}, {25, 100, -16000}, {75, 100, 16000},
  {3, 256000, -31999}, {1, 256000, -32000},  // 0.75 and 0.25 of a step above -32000
  {1, 128000, -32000}, {127999, 128000, 32000},  // half a step: away from zero, either way
  {1, 3, -10667}, {2, 3, 10667},
};
// clang-format on

TEST(PatternSound, AreaLevelIsTheFramesHighShare) {
  for (const AreaCase& c : kAreas) EXPECT_EQ(AreaLevel(c.high, c.whole), c.level) << c.high << "/" << c.whole;
}

TEST(PatternSound, EdgeInsideAFrameKeepsItsPlaceInTheLevel) {
  // Edges at 0.01° steps need 36000 frames a revolution; at 300000 RPM only 838 fit.
  const Pattern pattern = Read(360, "crank high 1.23 to 181.37, 200 to 359.9");
  const auto sound = BuildPatternSound(pattern, 300000);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->cycleFrames, 838);
  EXPECT_FALSE(sound->exactFrames);
  for (const PatternEdge& edge : TrackEdges(pattern.crank, pattern.cycle)) {
    const double at = edge.angle * 838.0 / pattern.cycle;  // in frames
    const auto frame = static_cast<int64_t>(at);
    const double highShare = (Sample(sound->image, frame, 0) + 32000) / 64000.0;
    const double found = edge.rising ? frame + 1 - highShare : frame + highShare;
    EXPECT_NEAR(found, at, 1.0 / 64000) << FormatAngle(edge.angle);
    // The frames on either side are whole levels.
    EXPECT_EQ(Sample(sound->image, (frame + 837) % 838, 0), edge.rising ? -32000 : 32000);
    EXPECT_EQ(Sample(sound->image, (frame + 1) % 838, 0), edge.rising ? 32000 : -32000);
  }
}

struct RateCase {
  const char* pattern;
  int cycle;
  int64_t rpm;
  int64_t frames, numerator, denominator;
};

// clang-format off
const RateCase kRates[] = {
  {"crank teeth 60 missing 59, 60",  360, 3000, 120, 6000, 1},   // 3° grid
  {"crank teeth 60 missing 59, 60",  360,    7, 120,   14, 1},
  {"crank teeth 60 missing 59, 60",  720, 3000, 240, 6000, 1},   // two revolutions a cycle
  {"crank teeth 60 missing 59, 60",  720,    1, 240,    2, 1},
  {"crank high 0 to 90",             720,    7, 120,    7, 1},   // 4 grid frames, taken 30 times
  {"crank high 0 to 1.2",            360,    7,   300,   35, 1},   // 0.2° grid
  {"crank high 0 to 1.01",           360,    7, 16777, 117439, 60},  // 0.01°: 36000 frames would pass
  {"crank high 0 to 1.01",           360, 15000, 16777, 4194250, 1},  // 2^22 at 15000 RPM: 16777
};
// clang-format on

TEST(PatternSound, RateIsFramesTimesRpmOverSixtyRevolutionsInLowestTerms) {
  for (const RateCase& c : kRates) {
    SCOPED_TRACE(std::string(c.pattern) + " at " + std::to_string(c.rpm));
    const auto sound = BuildPatternSound(Read(c.cycle, c.pattern), 15000);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->cycleFrames, c.frames);
    const RateFraction rate = PatternPlaybackRate(*sound, c.rpm);
    EXPECT_EQ(rate.numerator, c.numerator);
    EXPECT_EQ(rate.denominator, c.denominator);
  }
}

TEST(PatternSound, SecondRevolutionAndCamPlayAsWritten) {
  // A tooth on the first revolution only, and a cam tooth: the right channel is the cam.
  const auto sound = BuildPatternSound(Read(720, "crank high 0 to 90, 180 to 270, 540 to 630\ncam high 45 to 135"),
                                       15000);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->cycleFrames, 128);  // a 45° grid: 16 frames, taken 8 times
  EXPECT_EQ(sound->revolutions, 2);
  auto levels = [&](int channel) {  // a character each 30°, from its middle
    std::string text;
    for (int64_t angle = 1500; angle < 72000; angle += 3000)
      text += Sample(sound->image, angle * 128 / 72000, channel) > 0 ? '#' : '_';
    return text;
  };
  EXPECT_EQ(levels(0), "###___###_________###___");
  EXPECT_EQ(levels(1), "_###____________________");
}

}  // namespace
}  // namespace vm
