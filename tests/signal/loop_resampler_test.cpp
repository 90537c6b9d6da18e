#include "signal/loop_resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "support/samples.h"

namespace vm {
namespace {

// A sound of frames from left levels (right = -left), with a nominal rate.
LoopSound SoundOf(const std::vector<int16_t>& levels) {
  std::vector<uint8_t> bytes;
  for (const int16_t level : levels) {
    for (const int16_t sample : {level, static_cast<int16_t>(-level)}) {
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) & 0xFF));
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
    }
  }
  return LoopSound(WaveFrames{bytes, 44100});  // the sound keeps a copy
}

LoopSound WheelSound(const WaveImage& image) { return LoopSound(*ReadWaveImage(image)); }
LoopSound WheelSound(int32_t teeth, int32_t missing, int32_t at) {
  return WheelSound(*BuildWaveImage(teeth, missing, at));
}

struct Segment {
  int32_t rate;
  size_t frames;
};

std::vector<int16_t> Render(const LoopSound& sound, int32_t deviceRate, const std::vector<Segment>& schedule,
                            size_t buffer = 512) {
  LoopResampler resampler(deviceRate);
  std::atomic<int32_t> rate{0};
  std::vector<int16_t> out;
  for (const Segment& s : schedule) {
    rate = s.rate;
    for (size_t done = 0; done < s.frames;) {
      const size_t n = std::min(buffer, s.frames - done);
      std::vector<int16_t> chunk(2 * n);
      resampler.Render(sound, rate, chunk);
      out.insert(out.end(), chunk.begin(), chunk.end());
      done += n;
    }
  }
  return out;
}

// Share of a triangle of half-width 1 centred on 0 that lies left of u.
double TriangleBelow(double u) {
  if (u <= -1) return 0;
  if (u >= 1) return 1;
  return u <= 0 ? (u + 1) * (u + 1) / 2 : 1 - (1 - u) * (1 - u) / 2;
}

// The looped levels weighted by a triangle from centre - half to centre + half, frame by frame.
double TriangleMean(const std::vector<int16_t>& levels, double centre, double half) {
  const auto length = static_cast<int64_t>(levels.size());
  double sum = 0;
  for (auto frame = static_cast<int64_t>(std::floor(centre - half)); frame < centre + half; ++frame) {
    const double from = std::max(static_cast<double>(frame), centre - half);
    const double to = std::min(static_cast<double>(frame + 1), centre + half);
    const double weight = TriangleBelow((to - centre) / half) - TriangleBelow((from - centre) / half);
    sum += weight * levels[static_cast<size_t>((frame % length + length) % length)];
  }
  return sum;
}

// What the output must be: each frame the triangle mean two output frames wide around its
// position, positions kept exactly as whole numbers of 1/deviceRate source frames.
std::vector<int16_t> Expected(const std::vector<int16_t>& levels, int32_t deviceRate,
                              const std::vector<Segment>& schedule) {
  std::vector<int16_t> out;
  int64_t position = 0;
  for (const Segment& s : schedule) {
    for (size_t i = 0; i < s.frames; ++i) {
      const double mean = TriangleMean(levels, static_cast<double>(position) / deviceRate,
                                       static_cast<double>(s.rate) / deviceRate);
      position += s.rate;
      const auto left = static_cast<int16_t>(std::lround(std::clamp(mean, -32000.0, 32000.0)));
      out.push_back(left);
      out.push_back(static_cast<int16_t>(-left));
    }
  }
  return out;
}

std::vector<int16_t> LeftLevels(const WaveImage& image) {
  const auto frames = ReadWaveImage(image);
  std::vector<int16_t> levels;
  for (size_t i = 0; i < frames->FrameCount(); ++i) levels.push_back(test::SampleAt(frames->data, i, 0));
  return levels;
}

void ExpectClose(const std::vector<int16_t>& actual, const std::vector<int16_t>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i)
    ASSERT_LE(std::abs(actual[i] - expected[i]), 1) << "sample " << i << " of " << actual.size();
}

TEST(LoopResampler, EqualRatesMeanNeighbouringFramesAcrossManyLoops) {
  // Centred on each frame's start, the triangle takes half of the frame before and half of
  // the frame itself; the first frame's neighbour is the last one of the loop.
  const std::vector<int16_t> levels = {-32000, 6, 32000, -8, 1234, 32000};
  const int16_t means[] = {0, -15997, 16003, 15996, 613, 16617};
  const LoopSound sound = SoundOf(levels);
  const auto out = Render(sound, 48000, {{48000, 1000}}, 7);
  for (size_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(out[2 * i], means[i % levels.size()]) << i;
    ASSERT_EQ(out[2 * i + 1], -means[i % levels.size()]) << i;
  }
}

TEST(LoopResampler, EachFrameIsATriangleMeanAroundItsPosition) {
  const std::vector<int16_t> levels = {-32000, 32000, 32000, -32000, -100, 7000, -32000};
  const LoopSound sound = SoundOf(levels);
  for (const auto& [deviceRate, rate] : {std::pair{48000, 72000},
                                         {48000, 24000},
                                         {48000, 1120},
                                         {48000, 168000},
                                         {44100, 11200},
                                         {48000, 47999},
                                         {8000, kMaxPlaybackRate},
                                         {48000, 12345}}) {
    SCOPED_TRACE(std::to_string(rate) + " on " + std::to_string(deviceRate));
    ExpectClose(Render(sound, deviceRate, {{rate, 3000}}), Expected(levels, deviceRate, {{rate, 3000}}));
  }
  // Worked by hand. Half a frame a step: the loop's last frame and the first one, the first
  // alone, the first two, the second alone. A frame and a half: weights 1/18, 8/18, 8/18,
  // 1/18 over the frames -2..1, then 2/9, 5/9, 2/9 over the frames 0..2.
  EXPECT_EQ(Render(sound, 48000, {{24000, 4}}),
            (std::vector<int16_t>{-32000, 32000, -32000, 32000, 0, 0, 32000, -32000}));
  EXPECT_EQ(Render(sound, 48000, {{72000, 2}}), (std::vector<int16_t>{-26278, 26278, 17778, -17778}));
}

TEST(LoopResampler, RateChangeCarriesOnFromTheCurrentPosition) {
  const WaveImage image = *BuildWaveImage(58, 2, Crankshaft);
  const LoopSound sound = WheelSound(image);
  const std::vector<Segment> schedule = {{11200, 1777}, {168000, 901}, {1120, 333}, {67890, 2000}, {11200, 4000}};
  ExpectClose(Render(sound, 48000, schedule, 100), Expected(LeftLevels(image), 48000, schedule));
}

TEST(LoopResampler, MeanSpeedIsExact) {
  // After deviceRate output frames at `rate` the position has moved by exactly `rate` source frames.
  const LoopSound sound = WheelSound(35, 1, Crankshaft);  // 648 frames
  for (const auto& [deviceRate, rate] :
       {std::pair{48000, 11200}, {48000, 167978}, {44100, 1120}, {48000, 12347}, {96000, 168000}, {44100, 44099}}) {
    LoopResampler resampler(deviceRate);
    std::atomic<int32_t> rateNow{rate};
    std::vector<int16_t> out(2 * static_cast<size_t>(deviceRate));
    for (int second = 1; second <= 3; ++second) {
      resampler.Render(sound, rateNow, out);
      const uint64_t expected = (static_cast<uint64_t>(rate) * static_cast<uint64_t>(second)) % sound.Frames();
      EXPECT_EQ(resampler.Position(), expected << 32) << rate << " on " << deviceRate << " after " << second << " s";
    }
  }
}

TEST(LoopResampler, LevelsStayWithinLimitsAndRightIsMinusLeft) {
  const LoopSound sound = SoundOf({-32768, 32767, 32767, -32768, -32768, 0});
  const LoopSound wheel = WheelSound(10, 1, Camshaft);
  for (const int32_t rate :
       {1, 1120, 11200, 44100, 48000, 100000, 168000, kMaxPlaybackRate, 0, -5, kMaxPlaybackRate + 1}) {
    for (const LoopSound* s : {&sound, &wheel}) {
      const auto out = Render(*s, 48000, {{rate, 5000}});
      for (size_t i = 0; i < out.size(); i += 2) {
        ASSERT_LE(std::abs(out[i]), 32000) << rate;
        ASSERT_EQ(out[i + 1], -out[i]) << rate;
      }
    }
  }
}

TEST(LoopResampler, RewindStartsAgainAtTheFirstFrame) {
  const LoopSound sound = WheelSound(46, 2, Camshaft);
  LoopResampler resampler(48000);
  std::atomic<int32_t> rate{33333};
  std::vector<int16_t> first(200), again(200), scratch(2 * 777);
  resampler.Render(sound, rate, first);
  resampler.Render(sound, rate, scratch);
  resampler.Rewind();
  resampler.Render(sound, rate, again);
  EXPECT_EQ(first, again);
}

// Output frame n stands at n × rate / deviceRate source frames, so the first frame at K
// passes over the loop is frame ceil(K × frames × deviceRate / rate): from it on, silence,
// whatever the buffers; a rewind counts again to the same end.
TEST(LoopResampler, EndsAfterKWholeRevolutions) {
  struct Case {
    LoopSound sound;
    int32_t deviceRate, rate;
    uint64_t k;
    size_t buffer;
  };
  const Case cases[] = {
      {WheelSound(46, 2, Camshaft), 48000, 11200, 3, 512},  // the end falls exactly on a frame
      {WheelSound(46, 2, Camshaft), 44100, 12347, 5, 1},
      {SoundOf({30000, -30000, 10000}), 4000, kMaxPlaybackRate, 1000, 2},  // hundreds of passes a frame
  };
  for (const Case& c : cases) {
    const uint64_t played = (c.k * c.sound.Frames() * static_cast<uint64_t>(c.deviceRate) + c.rate - 1) / c.rate;
    const std::vector<int16_t> endless = Render(c.sound, c.deviceRate, {{c.rate, played}}, c.buffer);
    LoopResampler resampler(c.deviceRate);
    resampler.EndAfter(c.k);
    std::atomic<int32_t> rate{c.rate};
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<int16_t> out, chunk(2 * c.buffer);
      while (out.size() < 2 * played + 100) {
        resampler.Render(c.sound, rate, chunk);
        out.insert(out.end(), chunk.begin(), chunk.end());
      }
      EXPECT_TRUE(std::equal(endless.begin(), endless.end(), out.begin())) << c.k;
      EXPECT_TRUE(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(endless.size()), out.end(), [](int16_t level) {
        return level == 0;
      })) << c.k;
      EXPECT_TRUE(resampler.Ended());
      EXPECT_EQ(resampler.Revolutions(), c.k);
      resampler.Rewind();
      EXPECT_FALSE(resampler.Ended());
      EXPECT_EQ(resampler.Revolutions(), 0u);
    }
  }
}

TEST(LoopResampler, ShorterSoundAfterALongerOneStaysInside) {
  const LoopSound longer = WheelSound(10, 1, Camshaft);
  const LoopSound shorter = WheelSound(80, 4, Crankshaft);
  LoopResampler resampler(48000);
  std::atomic<int32_t> rate{44100};
  std::vector<int16_t> out(2 * 1000);
  resampler.Render(longer, rate, out);
  resampler.Render(shorter, rate, out);
  EXPECT_LT(resampler.Position(), uint64_t{shorter.Frames()} << 32);
}

}  // namespace
}  // namespace vm
