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

// SDL's disk driver writes the device stream to a file: what the card would be handed.
class DiskStream {
 public:
  DiskStream() {
    static int made = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("velomira-disk-" + std::to_string(getpid()) + "-" + std::to_string(made++) + ".raw");
  }
  ~DiskStream() { std::filesystem::remove(path_); }
  bool Open(SoundOutput& sound) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
    const bool opened = sound.Open();
    unsetenv("SDL_AUDIODRIVER");  // read when the device opens; later tests get the dummy again
    return opened;
  }
  // Waits until the driver has written `bytes` more (some 85 ms of sound for 16384), so that
  // what was set before is heard for a while whatever the machine's load.
  void Await(uintmax_t bytes = 16384) {
    std::error_code error;
    const uintmax_t from = std::filesystem::file_size(path_, error);
    for (int i = 0; i < 5000 && std::filesystem::file_size(path_, error) < from + bytes; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // Interleaved samples, once the output is closed.
  std::vector<int16_t> Samples() const {
    std::ifstream in(path_, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(raw.size() / 4 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
      samples[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint8_t>(raw[2 * i]) |
                                                              static_cast<uint8_t>(raw[2 * i + 1]) << 8));
    return samples;
  }

 private:
  std::filesystem::path path_;
};

// The frames heard between silences of at least `gap` frames, as interleaved samples.
std::vector<std::vector<int16_t>> Sounded(const std::vector<int16_t>& samples, size_t gap = 256) {
  std::vector<std::vector<int16_t>> parts;
  const size_t frames = samples.size() / 2;
  size_t frame = 0;
  while (frame < frames) {
    while (frame < frames && samples[2 * frame] == 0 && samples[2 * frame + 1] == 0) ++frame;
    if (frame == frames) break;
    size_t end = frame, silent = 0;
    for (; end < frames && silent < gap; ++end) silent = (samples[2 * end] == 0 && samples[2 * end + 1] == 0) ? silent + 1 : 0;
    end -= silent;
    parts.emplace_back(samples.begin() + static_cast<std::ptrdiff_t>(2 * frame), samples.begin() + static_cast<std::ptrdiff_t>(2 * end));
    frame = end;
  }
  return parts;
}

// The stream a sound gives from its first frame at `rate` on the 48000 Hz device.
std::vector<int16_t> Rendered(const WaveImage& image, int32_t rate, uint64_t frames) {
  std::vector<int16_t> out;
  const RateSegment segment{rate, frames};
  RenderSchedule(image, 48000, {&segment, 1}, [&](std::span<const int16_t> s) {
    out.insert(out.end(), s.begin(), s.end());
    return true;
  });
  return out;
}

bool StartsWith(const std::vector<int16_t>& heard, const std::vector<int16_t>& from) {
  return heard.size() <= from.size() && std::equal(heard.begin(), heard.end(), from.begin());
}

TEST(SoundOutputDisk, DeviceGetsTheRenderedStream) {
  DiskStream disk;
  const WaveImage wheel = *BuildWaveImage(58, 2, Crankshaft);
  {
    SoundOutput sound;
    ASSERT_TRUE(disk.Open(sound));
    ASSERT_TRUE(sound.Load(wheel));
    ASSERT_TRUE(sound.SetRate(PlaybackRate(6000)));
    ASSERT_TRUE(sound.PlayLooped());
    disk.Await(65536);
    sound.Close();
  }
  const auto parts = Sounded(disk.Samples());
  ASSERT_EQ(parts.size(), 1u);
  ASSERT_GT(parts[0].size(), 4096u) << "the disk driver wrote too little";
  // The device may have stopped in the middle of a buffer; compare what it played.
  EXPECT_TRUE(StartsWith(parts[0], Rendered(wheel, PlaybackRate(6000), parts[0].size() / 2)));
}

// A sound loaded over a playing one is the one heard, at its nominal rate until a rate is set;
// PlayLooped, also while playing, and Stop rewind it to its first frame.
TEST(SoundOutputDisk, LoadPlayLoopedAndStopAsHeard) {
  DiskStream disk;
  const WaveImage first = *BuildWaveImage(46, 2, Camshaft), second = *BuildWaveImage(58, 2, Crankshaft);
  {
    SoundOutput sound;
    ASSERT_TRUE(disk.Open(sound));
    ASSERT_TRUE(sound.Load(first));
    ASSERT_TRUE(sound.SetRate(PlaybackRate(3000)));
    ASSERT_TRUE(sound.PlayLooped());
    disk.Await();
    ASSERT_TRUE(sound.Load(second));  // stopped at its first frame
    disk.Await();
    ASSERT_TRUE(sound.PlayLooped());  // no rate set since the load
    disk.Await();
    ASSERT_TRUE(sound.PlayLooped());  // again while playing: from the first frame
    disk.Await();
    sound.Stop();
    disk.Await();
    ASSERT_TRUE(sound.PlayLooped());
    disk.Await();
    sound.Close();
  }
  const auto parts = Sounded(disk.Samples());
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_TRUE(StartsWith(parts[0], Rendered(first, PlaybackRate(3000), parts[0].size() / 2)));
  const auto nominal = Rendered(second, 44100, parts[1].size() / 2);
  EXPECT_TRUE(StartsWith(parts[2], nominal));
  // The second part is the new sound from its first frame, then again from its first frame.
  const auto& restarted = parts[1];
  const size_t differs = static_cast<size_t>(std::mismatch(restarted.begin(), restarted.end(), nominal.begin()).first - restarted.begin());
  ASSERT_LT(differs, restarted.size()) << "no restart heard";
  bool found = false;
  for (size_t at = differs / 2 * 2; at > 0 && !found; at -= 2)
    found = std::equal(restarted.begin() + static_cast<std::ptrdiff_t>(at), restarted.end(), nominal.begin());
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace vm
