// The window's wheel as a pattern: its edges where the wheel's own image has them, so that a
// picture of it and a play position on it agree with what sounds.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pattern/wheel_pattern.h"
#include "signal/cam_signal.h"
#include "signal/wav_header.h"
#include "support/samples.h"

namespace vm {
namespace {

struct WheelCase {
  int32_t teeth, missing, at;
  SignalOptions signal;
  int32_t cycle;
  HighStretch first;  // the first tooth's high, half a tooth after 0°
  size_t highs;
};

// clang-format off
const WheelCase kWheels[] = {
  {35, 1, Crankshaft, {},                        36000, {500, 1000},  35},
  {35, 1, Camshaft,   {},                        72000, {1000, 2000}, 35},
  {58, 2, Crankshaft, {false, true, 90, 0},      72000, {300, 600},   116},  // two turns for the cam's cycle
  {58, 2, Crankshaft, {false, true, 719, 100},   72000, {300, 600},   116},  // the cam event wraps through 0°
  {17, 3, Camshaft,   {true, true, 10, 0},       72000, {1800, 3600}, 17},
  {80, 4, Crankshaft, {},                        36000, {214, 429},   80},   // 360/84 is no whole hundredth
};
// clang-format on

// Where the rises of one channel of an image lie, as hundredths of a degree of `cycle`.
std::vector<double> RiseAngles(const WaveImage& image, int channel, int32_t cycle) {
  const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
  const std::vector<int16_t> levels = test::Channel(bytes, channel, kWavHeaderBytes);
  std::vector<double> angles;
  // Each rise is one frame from low to high: the first high frame is the edge.
  for (double edge : test::RisingEdges(levels)) angles.push_back(std::ceil(edge) * cycle / double(levels.size()));
  return angles;
}

TEST(WheelPattern, EdgesLieWhereTheWheelImageHasThem) {
  for (const WheelCase& c : kWheels) {
    SCOPED_TRACE(std::to_string(c.teeth) + "-" + std::to_string(c.missing));
    const WheelConfig wheel{"wheel", c.teeth, c.missing, c.at, {}, c.signal};
    const std::optional<Pattern> pattern = WheelPattern(wheel);
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->name, "wheel");
    EXPECT_EQ(pattern->cycle, c.cycle);
    ASSERT_EQ(pattern->crank.highs.size(), c.highs);
    EXPECT_EQ(pattern->crank.highs.front(), c.first);
    EXPECT_EQ(TrackEdges(pattern->crank, pattern->cycle).size(), 2 * c.highs);  // no high touches another

    const std::optional<WaveImage> image = BuildSignalImage(wheel);
    ASSERT_TRUE(image);
    const std::vector<double> crank = RiseAngles(*image, 0, c.cycle);
    ASSERT_EQ(crank.size(), c.highs);
    for (size_t i = 0; i < c.highs; ++i) EXPECT_NEAR(pattern->crank.highs[i].rise, crank[i], 0.5) << i;

    EXPECT_EQ(pattern->hasCam, c.signal.cam);
    if (!c.signal.cam) continue;
    // The cam's rise is the event between its halves; the image rounds it to a whole frame.
    const std::vector<double> cam = RiseAngles(*image, 1, c.cycle);
    ASSERT_EQ(cam.size(), 1u);
    const double frame = c.cycle / double((image->size() - kWavHeaderBytes) / 4);
    ASSERT_EQ(pattern->cam.highs.size(), 1u);
    EXPECT_NEAR(pattern->cam.highs[0].rise, cam[0], frame);
  }
}

TEST(WheelPattern, NoneForAWheelThatCannotPlay) {
  // clang-format off
  const WheelConfig kWheels[] = {
    {"", 0,    1,    Crankshaft, {}, {}},
    {"", 36,   -1,   Crankshaft, {}, {}},
    {"", 36,   1,    0,          {}, {}},
    {"", 9000, 9000, Crankshaft, {}, {}},  // half a tooth below 0.02°
  };
  // clang-format on
  for (const WheelConfig& wheel : kWheels) {
    EXPECT_FALSE(WheelPattern(wheel)) << wheel.AvailableTeeth << " " << wheel.MissingTeeth << " " << wheel.WheelAt;
  }
}

}  // namespace
}  // namespace vm
