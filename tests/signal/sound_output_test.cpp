#include "signal/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "platform/audio_device.h"
#include "signal/render_schedule.h"
#include "signal/wave_image.h"
#include "support/files.h"
#include "support/samples.h"
#include "support/scoped_env.h"

namespace vm {
namespace {

// On SDL's dummy driver, as the test main sets it unless the environment asks for another.
class SoundOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sound.Open()); }

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
  for (const WaveImage& bad :
       {empty, *BuildWaveImage(688, 2, Camshaft), mono, WaveImage(wheel.begin(), wheel.end() - 1)}) {
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

// SDL's disk driver writes the device stream to a file: what the card would be handed.
struct DiskStream {
  test::ScratchDir dir;
  std::string path = dir.Path("disk.raw");
  bool Open(SoundOutput& sound) {  // the driver is read when the device opens
    const test::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", path);
    return sound.Open();
  }
  // Until some 85 ms more of the stream are written: what was set is heard whatever the load.
  void Await() const {
    std::error_code error;
    const uintmax_t from = std::filesystem::file_size(path, error);
    for (int i = 0; i < 5000 && std::filesystem::file_size(path, error) < from + 16384; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // The interleaved samples heard between silences of 256 frames or more.
  std::vector<std::vector<int16_t>> Sounded() const {
    const std::string bytes = test::ReadFile(path);
    std::vector<std::vector<int16_t>> parts;
    size_t silent = 256;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
      const int16_t left = test::SampleAt(bytes, i / 4, 0), right = test::SampleAt(bytes, i / 4, 1);
      if (left == 0 && right == 0) {
        ++silent;
        continue;
      }
      if (silent >= 256) parts.emplace_back();
      parts.back().insert(parts.back().end(), 2 * (silent < 256 ? silent : 0), int16_t{0});
      parts.back().insert(parts.back().end(), {left, right});
      silent = 0;
    }
    return parts;
  }
};

// The stream of a sound from its first frame at `rate` on the 48000 Hz device: does `heard`
// begin it? (The device may have stopped in the middle of a buffer.)
bool PlaysFromTheStart(std::span<const int16_t> heard, const WaveImage& image, int32_t rate) {
  std::vector<int16_t> rendered;
  const RateSegment segment{rate, heard.size() / 2};
  RenderSchedule(image, 48000, {&segment, 1}, [&](std::span<const int16_t> s) {
    rendered.insert(rendered.end(), s.begin(), s.end());
    return true;
  });
  return heard.size() > 1000 && std::equal(heard.begin(), heard.end(), rendered.begin(), rendered.end());
}

// The first sound at a set rate, a sound loaded over a playing one at its nominal rate (no rate
// set since), PlayLooped while it plays and after Stop: each heard from its first frame.
TEST(SoundOutputDisk, DeviceGetsTheRenderedStream) {
  DiskStream disk;
  const WaveImage first = *BuildWaveImage(46, 2, Camshaft), second = *BuildWaveImage(58, 2, Crankshaft);
  {
    SoundOutput sound;
    ASSERT_TRUE(disk.Open(sound));
    ASSERT_TRUE(sound.Load(first));
    ASSERT_TRUE(sound.SetRate(PlaybackRate(6000)));
    for (const auto& step :
         std::vector<std::function<bool()>>{[&] { return sound.PlayLooped(); }, [&] { return sound.Load(second); },
                                            [&] { return sound.PlayLooped(); }, [&] { return sound.PlayLooped(); },
                                            [&] { return sound.Stop(), true; }, [&] { return sound.PlayLooped(); }}) {
      ASSERT_TRUE(step());
      disk.Await();
    }
  }
  const auto parts = disk.Sounded();
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_TRUE(PlaysFromTheStart(parts[0], first, PlaybackRate(6000)));
  EXPECT_TRUE(PlaysFromTheStart(parts[2], second, 44100));
  // The second part: the new sound from its first frame, then from its first frame again.
  const std::span<const int16_t> restarted = parts[1];
  ASSERT_GT(restarted.size(), 4000u);
  size_t at = restarted.size() - 1002;
  while (at > 0 && !PlaysFromTheStart(restarted.subspan(at), second, 44100)) at -= 2;
  EXPECT_TRUE(at > 0 && PlaysFromTheStart(restarted.first(at), second, 44100)) << "no restart heard";
}

}  // namespace
}  // namespace vm
