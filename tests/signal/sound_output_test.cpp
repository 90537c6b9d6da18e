#include "signal/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/audio_device.h"
#include "signal/render_schedule.h"
#include "signal/wave_image.h"

namespace vm {
namespace {

// Runs on SDL's dummy driver unless the test sets another.
class SoundOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(sound.Open());
  }

  SoundOutput sound;
  const WaveImage wheel = *BuildWaveImage(46, 2, Camshaft);
};

TEST_F(SoundOutputTest, NothingPlaysWithoutASound) {
  EXPECT_FALSE(sound.HasSound());
  EXPECT_FALSE(sound.SetRate(11200));
  EXPECT_FALSE(sound.PlayLooped());
  sound.Stop();
  EXPECT_FALSE(sound.IsPlaying());
  EXPECT_FALSE(sound.HasSound());
}

TEST_F(SoundOutputTest, LoadPlayStopKeepsTheSound) {
  ASSERT_TRUE(sound.Load(wheel));
  EXPECT_TRUE(sound.HasSound());
  EXPECT_FALSE(sound.IsPlaying());  // a new sound waits at its first frame
  EXPECT_TRUE(sound.SetRate(11200));
  EXPECT_TRUE(sound.PlayLooped());
  EXPECT_TRUE(sound.IsPlaying());
  EXPECT_TRUE(sound.PlayLooped());
  EXPECT_TRUE(sound.IsPlaying());
  EXPECT_TRUE(sound.SetRate(168000));  // while playing
  EXPECT_TRUE(sound.IsPlaying());
  sound.Stop();
  EXPECT_FALSE(sound.IsPlaying());
  EXPECT_TRUE(sound.HasSound());
}

TEST_F(SoundOutputTest, RefusedImagesLeaveTheOldSoundPlaying) {
  ASSERT_TRUE(sound.Load(wheel));
  ASSERT_TRUE(sound.PlayLooped());
  WaveImage mono = wheel;
  mono[22] = 1;
  const WaveImage empty;
  for (const WaveImage& bad : {empty, *BuildWaveImage(688, 2, Camshaft), mono, WaveImage(wheel.begin(), wheel.end() - 1)}) {
    EXPECT_FALSE(sound.Load(bad));
    EXPECT_TRUE(sound.HasSound());
    EXPECT_TRUE(sound.IsPlaying());
  }
}

TEST_F(SoundOutputTest, LoadReplacesAPlayingSoundStopped) {
  ASSERT_TRUE(sound.Load(wheel));
  ASSERT_TRUE(sound.PlayLooped());
  WaveImage other = *BuildWaveImage(58, 2, Crankshaft);
  ASSERT_TRUE(sound.Load(other));
  other.assign(other.size(), 0xEE);  // the sound keeps its own copy
  EXPECT_TRUE(sound.HasSound());
  EXPECT_FALSE(sound.IsPlaying());
  EXPECT_TRUE(sound.PlayLooped());
}

TEST_F(SoundOutputTest, RatesTheConversionCannotFollowAreRefused) {
  ASSERT_TRUE(sound.Load(wheel));
  for (const int32_t rate : {0, -11200, (1 << 22) + 1}) EXPECT_FALSE(sound.SetRate(rate)) << rate;
  for (const int32_t rate : {1, 1120, 168000, 1 << 22}) EXPECT_TRUE(sound.SetRate(rate)) << rate;
}

TEST_F(SoundOutputTest, CloseReleasesEverythingAndIsSafeToRepeat) {
  ASSERT_TRUE(sound.Load(wheel));
  ASSERT_TRUE(sound.PlayLooped());
  sound.Close();
  EXPECT_FALSE(sound.HasSound());
  EXPECT_FALSE(sound.IsPlaying());
  EXPECT_FALSE(sound.Load(wheel));  // no device any more
  EXPECT_FALSE(sound.PlayLooped());
  sound.Close();
  ASSERT_TRUE(sound.Open());
  EXPECT_TRUE(sound.Load(wheel));
}

// Ctrl+C, kill and logout are the program's to handle: the audio output installs no handler
// of its own that would swallow them.
TEST(SoundOutputSignals, OpeningTheOutputLeavesSignalHandlersAlone) {
  if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (const int signal : {SIGINT, SIGTERM}) std::signal(signal, SIG_DFL);
  SoundOutput sound;
  ASSERT_TRUE(sound.Open());
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction action {};
    ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
  }
}

// With nothing to play for a while the device closes (no callback runs), and it opens again as
// soon as there is something.
TEST(AudioDeviceRest, ClosesWhenIdleAndOpensWhenActive) {
  if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
  using namespace std::chrono_literals;
  std::atomic<int> calls{0};
  const auto count = [](void* context, int16_t* out, int frames, int32_t) {
    ++*static_cast<std::atomic<int>*>(context);
    std::fill(out, out + 2 * frames, int16_t{0});
  };
  auto device = AudioDevice::OpenDefault(count, &calls, {.framesPerBuffer = 256, .restAfter = 200ms});
  ASSERT_TRUE(device);
  auto waitForCalls = [&](int above) {
    for (int i = 0; i < 100 && calls <= above; ++i) std::this_thread::sleep_for(10ms);
    return calls > above;
  };
  EXPECT_TRUE(waitForCalls(0));
  device->SetActive(false);
  std::this_thread::sleep_for(600ms);
  const int rested = calls;
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(calls, rested);
  device->SetActive(true);
  EXPECT_TRUE(waitForCalls(rested));
}

TEST(SoundOutputUnopened, RefusesToLoad) {
  SoundOutput sound;
  EXPECT_FALSE(sound.Load(*BuildWaveImage(46, 2, Camshaft)));
  EXPECT_FALSE(sound.HasSound());
}

// SDL's disk driver writes the device stream to a file: what the card would be handed
// must be exactly what the renderer gives, from the first played frame on.
TEST(SoundOutputDisk, DeviceGetsTheRenderedStream) {
  const auto path = std::filesystem::temp_directory_path() / ("velomira-disk-" + std::to_string(getpid()) + ".raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  const WaveImage wheel = *BuildWaveImage(58, 2, Crankshaft);
  {
    SoundOutput sound;
    const bool opened = sound.Open();
    unsetenv("SDL_AUDIODRIVER");  // read when the device opens; later tests get the dummy again
    ASSERT_TRUE(opened);
    ASSERT_TRUE(sound.Load(wheel));
    ASSERT_TRUE(sound.SetRate(PlaybackRate(6000)));
    ASSERT_TRUE(sound.PlayLooped());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sound.Close();
  }
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  std::vector<int16_t> played(raw.size() / 2);
  for (size_t i = 0; i < played.size(); ++i)
    played[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint8_t>(raw[2 * i]) |
                                                            static_cast<uint8_t>(raw[2 * i + 1]) << 8));
  size_t start = 0;
  while (start < played.size() && played[start] == 0) ++start;
  ASSERT_EQ(start % 2, 0u);
  // Buffers the device took after Close had silenced the sound are not the sound's.
  size_t end = played.size();
  while (end > start && played[end - 1] == 0) --end;
  const size_t frames = (end - start) / 2;
  ASSERT_GT(frames, 2048u) << "the disk driver wrote too little";
  std::vector<int16_t> rendered;
  const RateSegment segment{PlaybackRate(6000), frames};
  ASSERT_TRUE(RenderSchedule(wheel, 48000, {&segment, 1}, [&](std::span<const int16_t> s) {
    rendered.insert(rendered.end(), s.begin(), s.end());
    return true;
  }));
  // The device may have stopped in the middle of a buffer; compare what it played.
  const std::vector<int16_t> fromStart(played.begin() + static_cast<std::ptrdiff_t>(start),
                                       played.begin() + static_cast<std::ptrdiff_t>(start + 2 * frames));
  EXPECT_EQ(fromStart, rendered);
}

}  // namespace
}  // namespace vm
