#include "signal/wave_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "signal/pcm16.h"
#include "support/samples.h"

namespace vm {
namespace {

uint32_t Get32(const WaveImage& image, size_t at) { return GetLe32(image.data() + at); }

int16_t Sample(const WaveImage& image, size_t frame, int channel) { return test::SampleAt(image, frame, channel, 44); }

TEST(WaveImage, DefaultCamshaftWheelHasTheKnownHeader) {
  const auto image = BuildWaveImage(46, 2, Camshaft);
  ASSERT_TRUE(image);
  const uint8_t header[44] = {0x52, 0x49, 0x46, 0x46, 0x24, 0x15, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74,
                              0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1,
                              0x02, 0x00, 0x04, 0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61, 0x00, 0x15, 0x00, 0x00};
  ASSERT_EQ(image->size(), 5420u);
  EXPECT_EQ(std::memcmp(image->data(), header, sizeof header), 0);
  const uint8_t firstFrame[4] = {0x00, 0x83, 0x00, 0x7D};
  EXPECT_EQ(std::memcmp(image->data() + 44, firstFrame, 4), 0);
}

struct SizeCase {
  int32_t teeth, missing, wheelAt;
  int32_t halfTooth;
  size_t bytes;
};

TEST(WaveImage, TruncatingDivisionsSetTheHalfToothAndSizes) {
  // clang-format off
  const SizeCase cases[] = {
      {46, 2, Camshaft, 14, 5420},  {46, 2, Crankshaft, 7, 2732}, {58, 2, Crankshaft, 5, 2444},
      {58, 2, Camshaft, 11, 5324},  {10, 1, Camshaft, 62, 5500},  {10, 1, Crankshaft, 31, 2772},
      {35, 1, Crankshaft, 9, 2636},  {80, 4, Crankshaft, 4, 2732}, {1, 0, Camshaft, 689, 5556},
      {60, 0, Camshaft, 11, 5324},  {0, 1, Camshaft, 689, 5556},
  };
  // clang-format on
  for (const SizeCase& c : cases) {
    const auto image = BuildWaveImage(c.teeth, c.missing, c.wheelAt);
    ASSERT_TRUE(image) << c.teeth << "+" << c.missing;
    const uint32_t data = 8u * static_cast<uint32_t>(c.halfTooth) * static_cast<uint32_t>(c.teeth + c.missing);
    EXPECT_EQ(image->size(), c.bytes) << c.teeth << "+" << c.missing << " at " << c.wheelAt;
    EXPECT_EQ(Get32(*image, 4), 36 + data);
    EXPECT_EQ(Get32(*image, 40), data);
  }
}

TEST(WaveImage, FramesAreTeethThenGapInAntiphase) {
  for (const auto& [p, m, w, n] : {std::tuple<int32_t, int32_t, int32_t, int32_t>{46, 2, Camshaft, 14},
                                   {58, 2, Crankshaft, 5},
                                   {10, 1, Camshaft, 62},
                                   {12, 0, Crankshaft, 28},
                                   {3, 4, Camshaft, 98}}) {
    const auto image = BuildWaveImage(p, m, w);
    ASSERT_TRUE(image);
    const size_t frames = (image->size() - 44) / 4;
    ASSERT_EQ(frames, static_cast<size_t>(2 * n * (p + m)));
    for (size_t f = 0; f < frames; ++f) {
      const bool inTeeth = f < static_cast<size_t>(2 * n * p);
      const int16_t expected = inTeeth && (f / static_cast<size_t>(n)) % 2 == 1 ? 32000 : -32000;
      ASSERT_EQ(Sample(*image, f, 0), expected) << p << "+" << m << " frame " << f;
      ASSERT_EQ(Sample(*image, f, 1), -expected) << p << "+" << m << " frame " << f;
    }
  }
}

TEST(WaveImage, HalfToothOfZeroGivesAnEmptyImage) {
  for (const auto& [p, m, w] :
       {std::tuple<int32_t, int32_t, int32_t>{688, 2, Camshaft},
        {343, 2, Crankshaft},
        {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), Crankshaft}}) {
    const auto image = BuildWaveImage(p, m, w);
    ASSERT_TRUE(image) << p;
    EXPECT_EQ(image->size(), 44u);
    EXPECT_EQ(Get32(*image, 4), 36u);
    EXPECT_EQ(Get32(*image, 40), 0u);
  }
  // One below those sums still has frames.
  EXPECT_EQ(BuildWaveImage(687, 2, Camshaft)->size(), 44u + 8u * 689u);
}

TEST(WaveImage, RefusesWheelsItCannotBuild) {
  constexpr int32_t lowest = std::numeric_limits<int32_t>::min();
  for (const auto& [p, m, w] : {std::tuple<int32_t, int32_t, int32_t>{0, 0, Camshaft},
                                {-1, 2, Camshaft},
                                {46, -1, Camshaft},
                                {-5, 10, Crankshaft},
                                {10, -5, Camshaft},
                                {lowest, 1, Camshaft},
                                {46, 2, 0},
                                {46, 2, 3},
                                {46, 2, -1}}) {
    EXPECT_FALSE(BuildWaveImage(p, m, w)) << p << "+" << m << " at " << w;
  }
}

TEST(PlaybackRate, IsTheNearestIntegerToElevenPointTwoTimesRpm) {
  constexpr int32_t highest = std::numeric_limits<int32_t>::max();
  const std::pair<int32_t, int32_t> cases[] = {
      {100, 1120},     {1000, 11200},   {15000, 168000},         {1, 11},           {3, 34}, {7, 78}, {0, 0},
      {-1000, -11200}, {14998, 167978}, {191739611, 2147483643}, {highest, highest}};
  for (const auto& [rpm, rate] : cases) EXPECT_EQ(PlaybackRate(rpm), rate) << rpm;
  EXPECT_EQ(PlaybackRate(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace vm
