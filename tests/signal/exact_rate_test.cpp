// The exact wheel speed: the revolution period heard in a long render, and renders without
// the signal options exactly as before.

#include "signal/exact_rate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "signal/cam_signal.h"
#include "signal/loop_resampler.h"
#include "signal/render_schedule.h"
#include "support/samples.h"

namespace vm {
namespace {

constexpr int32_t kDeviceRate = 48000;

WheelSignal Wheel(int32_t teeth, int32_t missing, int32_t at, SignalOptions signal = {}) {
  WheelSignal wheel{teeth, missing, at};
  wheel.Signal = signal;
  return wheel;
}

RateSegment Segment(const WheelSignal& wheel, int32_t rpm, uint64_t frames) {
  const RateFraction rate = SignalPlaybackRate(wheel, rpm);
  return {static_cast<int32_t>(rate.numerator), frames, static_cast<int32_t>(rate.denominator)};
}

// Rising zero crossings of the left channel, in output frames, linearly interpolated.
std::vector<double> RisingEdges(const WheelSignal& wheel, int32_t rpm, double seconds) {
  const auto image = BuildSignalImage(wheel);
  const RateSegment segment = Segment(wheel, rpm, static_cast<uint64_t>(seconds * kDeviceRate));
  std::vector<int16_t> left;
  const bool rendered = RenderSchedule(*image, kDeviceRate, {&segment, 1}, [&](std::span<const int16_t> samples) {
    for (size_t i = 0; i < samples.size(); i += 2) left.push_back(samples[i]);
    return true;
  });
  EXPECT_TRUE(rendered);
  return test::RisingEdges(left);
}

// The first edge after each gap: the interval before it is the longest of the revolution.
std::vector<double> RevolutionStarts(const std::vector<double>& edges) {
  std::vector<double> intervals;
  for (size_t i = 1; i < edges.size(); ++i) intervals.push_back(edges[i] - edges[i - 1]);
  std::vector<double> sorted = intervals;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const double tooth = sorted[sorted.size() / 2];
  std::vector<double> starts;
  for (size_t i = 0; i < intervals.size(); ++i)
    if (intervals[i] > 1.5 * tooth) starts.push_back(edges[i + 1]);
  return starts;
}

TEST(ExactSpeed, TheWheelTurnsAtTheShownRpmWithinOnePpmOverTenSeconds) {
  // clang-format off
  const struct { int32_t teeth, missing, at; } wheels[] = {
      {10, 1, Crankshaft}, {35, 1, Crankshaft}, {58, 2, Crankshaft}, {67, 2, Crankshaft},
      {46, 2, Camshaft},   {10, 1, Camshaft}};
  // clang-format on
  const bool print = std::getenv("VELOMIRA_PRINT_FIGURES") != nullptr;
  for (const auto& w : wheels) {
    // 1002 gives fractional rates (35 + 1: 54108 / 5 frames per second).
    for (const int32_t rpm : {100, 1000, 1002, 6000, 15000}) {
      const WheelSignal wheel = Wheel(w.teeth, w.missing, w.at, {.exactSpeed = true});
      const std::vector<double> starts = RevolutionStarts(RisingEdges(wheel, rpm, 10.0));
      ASSERT_GE(starts.size(), 3u) << w.teeth << "+" << w.missing << " at " << rpm;
      const double measured = (starts.back() - starts.front()) / static_cast<double>(starts.size() - 1);
      const double expected = (w.at == Crankshaft ? 60.0 : 120.0) / rpm * kDeviceRate;
      const double ppm = (measured / expected - 1.0) * 1e6;
      EXPECT_LT(std::abs(ppm), 1.0) << w.teeth << "+" << w.missing << " at " << rpm;
      if (print)
        std::printf("%d+%d %s %5d rpm: %+.1e ppm\n", w.teeth, w.missing, w.at == Crankshaft ? "crank" : "cam", rpm,
                    ppm);
    }
  }
}

TEST(ExactSpeed, RateIsRpmTimesRevolutionFramesOverSixtyOrOneHundredTwenty) {
  // clang-format off
  const struct { WheelSignal wheel; int32_t rpm; int64_t numerator, denominator; } cases[] = {
      {Wheel(58, 2, Crankshaft), 1000, 10000, 1},          // 600 frames a revolution
      {Wheel(58, 2, Camshaft), 1000, 11000, 1},            // 1320 frames, half the speed
      {Wheel(46, 2, Camshaft), 1000, 11200, 1},            // the one wheel PlaybackRate turns exactly
      {Wheel(67, 2, Crankshaft), 100, 920, 1},             // 552 frames
      {Wheel(35, 1, Crankshaft), 1001, 648648, 60},        // a fraction: 1001 × 648 / 60 = 54054 / 5
      {Wheel(10, 1, Camshaft), 15000, 170500, 1},          // 1364 frames
      {Wheel(58, 2, Crankshaft, {.cam = true}), 1000, 10000, 1},  // two revolutions in the image, same speed
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto rate = ExactPlaybackRate(c.wheel, c.rpm);
    ASSERT_TRUE(rate) << c.wheel.AvailableTeeth;
    const int64_t common = std::gcd(c.numerator, c.denominator);
    EXPECT_EQ(rate->numerator, c.numerator / common) << c.wheel.AvailableTeeth << " at " << c.rpm;
    EXPECT_EQ(rate->denominator, c.denominator / common) << c.wheel.AvailableTeeth << " at " << c.rpm;
  }
  EXPECT_FALSE(ExactPlaybackRate(Wheel(0, 0, Camshaft), 1000));
  EXPECT_FALSE(ExactPlaybackRate(Wheel(58, 2, Crankshaft), 0));
  // Off, the rate is PlaybackRate's whole number, whatever the wheel.
  const RateFraction off = SignalPlaybackRate(Wheel(58, 2, Crankshaft), 1000);
  EXPECT_EQ(off.numerator, 11200);
  EXPECT_EQ(off.denominator, 1);
}

uint64_t Fnv1a(uint64_t hash, std::span<const int16_t> samples) {
  for (const int16_t sample : samples) {
    for (const uint8_t byte : {static_cast<uint8_t>(static_cast<uint16_t>(sample) & 0xFF),
                               static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8)}) {
      hash = (hash ^ byte) * 0x100000001b3ull;
    }
  }
  return hash;
}

// Fingerprints of a quarter second at 48000 Hz, taken from the renders made before the
// signal options existed: with them off, every sample is what it was.
TEST(ExactSpeed, OffRendersAreTheSamplesTheyWereBefore) {
  // clang-format off
  const struct { int32_t teeth, missing, at, rpm; uint64_t fnv; } cases[] = {
      {10, 1, Camshaft, 100, 0x958796c6109ee85d},    {10, 1, Camshaft, 15000, 0x66ad1431f83af793},
      {10, 1, Crankshaft, 1000, 0xba7a50acd5048255}, {35, 1, Crankshaft, 6000, 0x91a932127d50fb9d},
      {46, 2, Camshaft, 1000, 0xb87561ec396f0b43},   {58, 2, Crankshaft, 100, 0xf12ca5726ab05b23},
      {58, 2, Crankshaft, 15000, 0xc8bb04f94cc5eeb5}, {67, 2, Crankshaft, 6000, 0x7082f1b42cfddbcb},
  };
  // clang-format on
  for (const auto& c : cases) {
    const WheelSignal wheel = Wheel(c.teeth, c.missing, c.at);
    const RateSegment segment = Segment(wheel, c.rpm, kDeviceRate / 4);
    uint64_t hash = 0xcbf29ce484222325ull;
    ASSERT_TRUE(RenderSchedule(*BuildSignalImage(wheel), kDeviceRate, {&segment, 1}, [&](std::span<const int16_t> s) {
      hash = Fnv1a(hash, s);
      return true;
    }));
    EXPECT_EQ(hash, c.fnv) << c.teeth << "+" << c.missing << " at " << c.rpm;
  }
}

// Over denominator × deviceRate output frames the position moves by exactly `numerator`
// image frames, whatever the buffer sizes: no drift. A whole rate given as n / 1 plays the
// very frames of the whole rate n.
TEST(ExactSpeed, AFractionalRateIsCarriedExactly) {
  const WaveImage image = *BuildWaveImage(35, 1, Crankshaft);
  const LoopSound sound(*ReadWaveImage(image));
  // clang-format off
  const struct { uint32_t numerator, denominator; int32_t deviceRate; } cases[] = {
      {432432, 60, 48000}, {20000, 3, 44100}, {8, 7, 4000}, {(1u << 22) * 3u, 3, 96000}};
  // clang-format on
  for (const auto& c : cases) {
    LoopResampler resampler(c.deviceRate);
    const std::atomic<int32_t> unused{0};
    const std::atomic<uint64_t> exact{PackExactRate(c.numerator, c.denominator)};
    std::vector<int16_t> out(2 * 997);
    uint64_t left = uint64_t{c.denominator} * static_cast<uint64_t>(c.deviceRate);
    while (left > 0) {
      const size_t frames = static_cast<size_t>(std::min<uint64_t>(left, 997));
      resampler.Render(sound, unused, exact, std::span<int16_t>(out.data(), 2 * frames));
      left -= frames;
    }
    EXPECT_EQ(resampler.Position(), (uint64_t{c.numerator} % sound.Frames()) << 32)
        << c.numerator << "/" << c.denominator;
  }
  for (const int32_t whole : {1120, 11200, 168000}) {
    LoopResampler a(48000), b(48000);
    const std::atomic<int32_t> rate{whole};
    const std::atomic<uint64_t> exact{PackExactRate(static_cast<uint32_t>(whole), 1)};
    std::vector<int16_t> plain(2 * 5000), fraction(2 * 5000);
    a.Render(sound, rate, plain);
    b.Render(sound, rate, exact, fraction);
    EXPECT_EQ(plain, fraction) << whole;
  }
}

}  // namespace
}  // namespace vm
