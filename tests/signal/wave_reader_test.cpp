#include "signal/wave_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "signal/wave_image.h"

namespace vm {
namespace {

WaveImage Image() { return *BuildWaveImage(46, 2, Camshaft); }

void Put32(WaveImage& image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) image[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

void Put16(WaveImage& image, size_t at, uint16_t value) {
  image[at] = static_cast<uint8_t>(value);
  image[at + 1] = static_cast<uint8_t>(value >> 8);
}

// Inserts a chunk with `id` and `size` zero bytes at `at`.
void InsertChunk(WaveImage& image, size_t at, const char* id, uint32_t size) {
  WaveImage chunk(8 + size, 0);
  std::memcpy(chunk.data(), id, 4);
  Put32(chunk, 4, size);
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(at), chunk.begin(), chunk.end());
}

TEST(ReadWaveImage, FindsTheFramesOfABuiltImage) {
  const WaveImage image = Image();
  const auto frames = ReadWaveImage(image);
  ASSERT_TRUE(frames);
  EXPECT_EQ(frames->FrameCount(), 1344u);
  EXPECT_EQ(frames->framesPerSecond, 44100);
  EXPECT_EQ(frames->data.data(), image.data() + 44);
}

TEST(ReadWaveImage, WalksPastOtherChunks) {
  WaveImage image = Image();
  InsertChunk(image, 36, "LIST", 6);  // between fmt and data
  InsertChunk(image, 12, "data", 4);  // a data chunk before fmt is not the one
  const auto frames = ReadWaveImage(image);
  ASSERT_TRUE(frames);
  EXPECT_EQ(frames->FrameCount(), 1344u);
  EXPECT_EQ(frames->data.data(), image.data() + 44 + 14 + 12);
}

TEST(ReadWaveImage, TakesALongerFmtChunk) {
  WaveImage image = Image();
  Put32(image, 16, 18);
  image.insert(image.begin() + 36, {0, 0});
  ASSERT_TRUE(ReadWaveImage(image));
}

struct Damage {
  const char* what;
  void (*apply)(WaveImage&);
};

TEST(ReadWaveImage, RefusesWhatItCannotPlay) {
  const Damage cases[] = {
      {"not RIFF", [](WaveImage& i) { i[3] = 'X'; }},
      {"float format", [](WaveImage& i) { Put16(i, 20, 3); }},
      {"one channel", [](WaveImage& i) { Put16(i, 22, 1); }},
      {"8 bits", [](WaveImage& i) { Put16(i, 34, 8); }},
      {"block align 2", [](WaveImage& i) { Put16(i, 32, 2); }},
      {"rate 0", [](WaveImage& i) { Put32(i, 24, 0); }},
      {"rate beyond the conversion", [](WaveImage& i) { Put32(i, 24, kMaxPlaybackRate + 1u); }},
      {"short fmt", [](WaveImage& i) { Put32(i, 16, 14); }},
      {"fmt beyond the image", [](WaveImage& i) { Put32(i, 16, 0xFFFFFFF0u); }},
      {"data beyond the image", [](WaveImage& i) { Put32(i, 40, 5380); }},
      {"data size wraps an offset", [](WaveImage& i) { Put32(i, 40, 0xFFFFFFFFu); }},
      {"part frame", [](WaveImage& i) { Put32(i, 40, 5374); }},
      {"no frames", [](WaveImage& i) { Put32(i, 40, 0); }},
      {"no data chunk", [](WaveImage& i) { std::memcpy(i.data() + 36, "date", 4); }},
      {"no fmt chunk", [](WaveImage& i) { std::memcpy(i.data() + 12, "fmt_", 4); }},
      {"cut short", [](WaveImage& i) { i.pop_back(); }},
      {"header only", [](WaveImage& i) { i.resize(44); }},
      {"eleven bytes", [](WaveImage& i) { i.resize(11); }},
      {"empty", [](WaveImage& i) { i.clear(); }},
  };
  for (const Damage& c : cases) {
    WaveImage image = Image();
    c.apply(image);
    EXPECT_FALSE(ReadWaveImage(image)) << c.what;
  }
  EXPECT_FALSE(ReadWaveImage(*BuildWaveImage(688, 2, Camshaft))) << "a wheel with a half tooth of 0";
}

}  // namespace
}  // namespace vm
