#include "signal/render_schedule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "signal/wav_writer.h"
#include "signal/wave_image.h"
#include "signal/wave_reader.h"
#include "support/files.h"
#include "support/samples.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

class RenderFiles : public ::testing::Test {
 protected:
  static std::vector<uint8_t> Read(const fs::path& path) {
    const std::string bytes = test::ReadFile(path.string());
    return {bytes.begin(), bytes.end()};
  }
  size_t FilesInDir() const { return scratch.Names().size(); }

  test::ScratchDir scratch;
  const fs::path dir = scratch.path();
  const WaveImage wheel = *BuildWaveImage(46, 2, Camshaft);
};

WaveImage Wheel() { return *BuildWaveImage(46, 2, Camshaft); }

std::vector<int16_t> Collect(std::span<const uint8_t> image, std::span<const RateSegment> segments) {
  std::vector<int16_t> out;
  const bool ok = RenderSchedule(image, 48000, segments, [&](std::span<const int16_t> s) {
    out.insert(out.end(), s.begin(), s.end());
    return true;
  });
  return ok ? out : std::vector<int16_t>{};
}

TEST(WavHeader, DescribesSixteenBitStereo) {
  const std::vector<uint8_t> expected = {
      'R', 'I',  'F',  'F', 0x2C, 0x01, 0,    0,    'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,    0,    0, 1, 0, 2,
      0,   0x80, 0xBB, 0,   0,    0x00, 0xEE, 0x02, 0,   4,   0,   16,  0,   'd', 'a', 't', 'a', 0x08, 0x01, 0, 0};
  EXPECT_EQ(WavHeader(48000, 264), expected);
}

TEST(RenderSchedule, SegmentsContinueWithoutRewinding) {
  const RateSegment both[] = {{11200, 700}, {168000, 900}};
  const RateSegment first[] = {{11200, 700}};
  const auto whole = Collect(Wheel(), both);
  const auto start = Collect(Wheel(), first);
  ASSERT_EQ(whole.size(), 2u * 1600u);
  EXPECT_TRUE(std::equal(start.begin(), start.end(), whole.begin()));
  // The second segment carries on from the first one's position, not from frame 0.
  const RateSegment fast[] = {{168000, 900}};
  const auto fromZero = Collect(Wheel(), fast);
  EXPECT_FALSE(std::equal(fromZero.begin(), fromZero.end(), whole.begin() + 1400));
}

TEST(RenderSchedule, RefusesWhatSoundOutputRefuses) {
  const RateSegment good[] = {{11200, 10}};
  const RateSegment badRate[] = {{11200, 10}, {0, 10}};
  const auto sink = [](std::span<const int16_t>) { return true; };
  EXPECT_FALSE(RenderSchedule(*BuildWaveImage(688, 2, Camshaft), 48000, good, sink));
  EXPECT_FALSE(RenderSchedule(Wheel(), 48000, badRate, sink));
  EXPECT_FALSE(RenderSchedule(Wheel(), 1000, good, sink));
  EXPECT_FALSE(RenderSchedule(Wheel(), 48000, good, [](std::span<const int16_t>) { return false; }));
}

TEST_F(RenderFiles, WavFileHoldsTheRenderedStream) {
  const RateSegment segments[] = {{11200, 1000}, {33600, 1234}};
  std::string error;
  const fs::path path = dir / "out.wav";
  ASSERT_TRUE(RenderScheduleToWav(path.string(), wheel, 48000, segments, error)) << error;
  const auto bytes = Read(path);
  const auto frames = ReadWaveImage(bytes);
  ASSERT_TRUE(frames);
  EXPECT_EQ(frames->framesPerSecond, 48000);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 44), WavHeader(48000, 4 * 2234));
  const auto samples = Collect(wheel, segments);
  ASSERT_EQ(samples.size() * 2, frames->data.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    const int16_t sample = test::SampleAt(frames->data, i / 2, static_cast<int>(i % 2));
    ASSERT_EQ(sample, samples[i]) << i;
  }
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(RenderFiles, FailureLeavesTheOldFileAndNoTemporary) {
  const fs::path path = dir / "out.wav";
  { std::ofstream(path) << "old"; }
  const RateSegment segments[] = {{11200, 100}};
  std::string error;
  EXPECT_FALSE(RenderScheduleToWav(path.string(), *BuildWaveImage(688, 2, Camshaft), 48000, segments, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Read(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(FilesInDir(), 1u);
  EXPECT_FALSE(RenderScheduleToWav((dir / "missing" / "out.wav").string(), wheel, 48000, segments, error));
  const RateSegment tooLong[] = {{11200, 1ull << 31}};
  EXPECT_FALSE(RenderScheduleToWav(path.string(), wheel, 48000, tooLong, error));
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(RenderFiles, WavFileKeepsTheModeOfTheFileItReplaces) {
  const fs::path path = dir / "out.wav";
  { std::ofstream(path) << "old"; }
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const RateSegment segments[] = {{11200, 100}};
  std::string error;
  ASSERT_TRUE(RenderScheduleToWav(path.string(), wheel, 48000, segments, error)) << error;
  EXPECT_EQ(Read(path).size(), 44u + 400u);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(RenderFiles, WriterAbandonsPartFramesAndUncommittedFiles) {
  const fs::path path = dir / "w.wav";
  {
    WavWriter writer;
    ASSERT_TRUE(writer.Open(path.string(), 48000));
    const int16_t samples[3] = {1, 2, 3};
    EXPECT_TRUE(writer.Append({samples, 2}));
    EXPECT_FALSE(writer.Append({samples, 3}));
    EXPECT_FALSE(writer.Commit());
  }
  {
    WavWriter writer;
    ASSERT_TRUE(writer.Open(path.string(), 48000));
  }
  EXPECT_EQ(FilesInDir(), 0u);
}

}  // namespace
}  // namespace vm
