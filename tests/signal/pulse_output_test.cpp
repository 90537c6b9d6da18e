// The tone through a real sound server (scripts/pulse.sh starts a private PulseAudio or
// PipeWire): what reaches each sink, recorded from its monitor, is the wheel at the exact
// rate with no server resampling it, and a tone outlives a restart of the server, the loss
// of its sink, of every sink, and a new default at another rate, on one stream. Gaps depend
// on the machine's load, so they are not counted here (bench/pulse_gaps.sh does). Skipped
// when no server answers, unless VELOMIRA_PULSE_REQUIRED is set (scripts/test sets it).

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <thread>

#include "signal/sound_output.h"
#include "signal/wave_image.h"
#include "support/files.h"
#include "support/pulse_monitor.h"
#include "support/samples.h"
#include "support/wheel_signal.h"

namespace vm::test {
namespace {

using namespace std::chrono_literals;
using Clock = MonitorRecording::Clock;

constexpr int kTeeth = 46;
constexpr int kMissing = 2;
// One revolution's length from interpolated edges is good to a few parts in 10^5; a device
// rate mistaken for another is off by per cents.
constexpr double kRateTolerance = 1e-4;

bool ServerIsPipeWire() {
  std::string info;
  return RunCommand("pactl info", &info) && info.find("PipeWire") != std::string::npos;
}

// Frames of a recording allowed out of antiphase. pipewire-pulse now and then delivers a
// server cycle or two to the monitor with its channels apart, its own client's perfectly
// antiphase tone as well (230 and 468 frames a minute, seen); two of our streams mixed, or a
// channel out of step, spoil far more, and the count of streams is checked on its own.
size_t AllowedOutOfAntiphase() { return ServerIsPipeWire() ? 1024 : 0; }

struct Sink {
  const char* name;
  int32_t rate;
};

void PrintTo(const Sink& sink, std::ostream* out) { *out << sink.name; }

class PulseOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunCommand("pactl info >/dev/null")) {
      if (std::getenv("VELOMIRA_PULSE_REQUIRED") != nullptr) FAIL() << "no PulseAudio server answers";
      GTEST_SKIP() << "no PulseAudio server answers (scripts/test starts one)";
    }
    unsetenv("SDL_AUDIODRIVER");  // the output's own choice: the server
  }
  void TearDown() override {
    sound.Close();
    RunCommand("pactl set-default-sink out48");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  // Opens the output on `sink` and plays the wheel at `rpm`.
  void Play(const Sink& sink, int32_t rpm) {
    ASSERT_TRUE(UsePulseSink(sink.name));
    ASSERT_TRUE(sound.Open());
    ASSERT_TRUE(sound.Load(wheel));
    ASSERT_TRUE(sound.SetRate(PlaybackRate(rpm)));
    ASSERT_TRUE(sound.PlayLooped());
  }

  // Frames of one revolution on a device at `deviceRate`.
  double Revolution(int32_t rpm, int32_t deviceRate) const {
    return static_cast<double>(wheel.size() - 44) / 4 * deviceRate / PlaybackRate(rpm);
  }

  SoundOutput sound;
  const WaveImage wheel = *BuildWaveImage(kTeeth, kMissing, Camshaft);
};

class PulseSinkTest : public PulseOutputTest, public ::testing::WithParamInterface<Sink> {};

TEST_P(PulseSinkTest, PlaysTheWheelExactlyAtTheSinksRate) {
  const Sink sink = GetParam();
  MonitorRecording recording(sink.name, sink.rate);
  ASSERT_TRUE(recording.Recording());
  Play(sink, 6000);
  std::this_thread::sleep_for(1200ms);
  std::string streams;
  EXPECT_TRUE(RunCommand("pactl list sink-inputs", &streams));
  const WheelSignal heard = ReadWheel(recording.Samples(), kTeeth, kMissing);

  EXPECT_NE(streams.find("application.name = \"Velomira\""), std::string::npos) << streams;
  EXPECT_NE(streams.find("media.name = \"Velomira\""), std::string::npos) << streams;
  EXPECT_EQ(heard.overLimit, 0u);
  EXPECT_LE(heard.notAntiphase, AllowedOutOfAntiphase());
  const double revolution = Revolution(6000, sink.rate);
  EXPECT_GT(static_cast<double>(heard.revolutions), 0.5 * sink.rate / revolution);  // half a second's
  EXPECT_NEAR(heard.revolution / revolution - 1, 0, kRateTolerance);
}

INSTANTIATE_TEST_SUITE_P(Sinks, PulseSinkTest,
                         ::testing::Values(Sink{"out48", 48000}, Sink{"out44", 44100}, Sink{"out96", 96000}),
                         [](const auto& info) { return std::string(info.param.name); });

// RPM steps while the sink takes blocks of its own size (a recording of 50 ms asks for no
// smaller ones): each rewrite of the queued sound joins what the server had already taken,
// so no tooth is cut short. A missed server cycle only lengthens an interval.
TEST_F(PulseOutputTest, RpmStepsCutNoToothShort) {
  MonitorRecording recording("out48", 48000, 50ms);
  ASSERT_TRUE(recording.Recording());
  Play({"out48", 48000}, 3000);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pause(60, 140);
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
    ASSERT_TRUE(sound.SetRate(PlaybackRate(i % 2 == 0 ? 4500 : 3000)));
  }
  std::this_thread::sleep_for(300ms);
  const std::vector<double> edges = RisingEdges(Channel(recording.Samples(), 0));
  const double shortest = 0.97 * Revolution(4500, 48000) / (kTeeth + kMissing);
  std::vector<double> cut;
  for (size_t i = 1; i < edges.size(); ++i) {
    if (edges[i] - edges[i - 1] < shortest) cut.push_back(edges[i - 1]);
  }
  EXPECT_GT(edges.size(), 40u * 46);
  EXPECT_TRUE(cut.empty()) << cut.size() << " teeth cut short, the first at frame " << cut.front();
}

// The first non-zero frame recorded, or -1.
double FirstSound(const std::vector<int16_t>& samples) {
  for (size_t i = 0; i < samples.size(); ++i) {
    if (samples[i] != 0) return static_cast<double>(i / 2);
  }
  return -1;
}

// Ways a playing output loses its device: the tone should come back on the `after` sink
// within `seconds`, on one stream.
struct Loss {
  const char* name;
  Sink before, after;
  double seconds;
  bool (*prepare)();
  bool (*take)();  // takes the device away and leaves the output another one
};

void PrintTo(const Loss& loss, std::ostream* out) { *out << loss.name; }

bool Nothing() { return true; }

bool RestartServer() {
  const std::string script = VELOMIRA_PULSE_SCRIPT;
  if (!RunCommand(script + " stop")) return false;
  std::this_thread::sleep_for(1500ms);  // the output finds no server for a while
  return RunCommand(script + " start");
}

std::string removable;  // the module of the sink RemoveDefaultSink takes away

bool AddRemovableSink() {
  removable.clear();
  if (!RunCommand("pactl load-module module-null-sink sink_name=removable rate=44100 "
                  "sink_properties=device.description=removable",
                  &removable)) {
    return false;
  }
  removable.erase(removable.find_last_not_of('\n') + 1);
  return true;
}

bool RemoveDefaultSink() {
  return RunCommand("pactl set-default-sink out96") && RunCommand("pactl unload-module " + removable);
}

bool DefaultTo44k() { return RunCommand("pactl set-default-sink out44"); }

// Every sink goes for a while (PipeWire puts a stand-in of its own), then all come back as
// scripts/pulse.sh made them.
bool AllSinksGoAndComeBack() {
  if (!RunCommand("pactl unload-module module-null-sink")) return false;
  std::this_thread::sleep_for(1500ms);
  for (const char* sink : {"out48 rate=48000", "out44 rate=44100", "out96 rate=96000"}) {
    const std::string name = std::string(sink).substr(0, 5);
    if (!RunCommand("pactl load-module module-null-sink norewinds=1 sink_name=" + std::string(sink) +
                    " sink_properties=device.description=" + name + " >/dev/null")) {
      return false;
    }
  }
  return RunCommand("pactl set-default-sink out48");
}

size_t OurStreams() {
  std::string streams;
  RunCommand("pactl list sink-inputs", &streams);
  size_t count = 0;
  for (size_t at = 0; (at = streams.find("application.name = \"Velomira\"", at)) != std::string::npos; ++at) ++count;
  return count;
}

class PulseLossTest : public PulseOutputTest, public ::testing::WithParamInterface<Loss> {};

TEST_P(PulseLossTest, ToneGoesOnAtItsRpm) {
  const Loss loss = GetParam();
  if (loss.take == RestartServer && std::getenv("VELOMIRA_PULSE_DIR") == nullptr) {
    GTEST_SKIP() << "the server is not scripts/pulse.sh's";
  }
  ASSERT_TRUE(loss.prepare());
  Play(loss.before, 3000);
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(loss.take());
  const Clock::time_point back = Clock::now();

  MonitorRecording recording(loss.after.name, loss.after.rate);
  ASSERT_TRUE(recording.Recording());
  std::this_thread::sleep_for(3500ms);
  const std::vector<int16_t> samples = recording.Samples();
  const double first = FirstSound(samples);
  ASSERT_GE(first, 0) << "no sound within 3.5 s";
  const double seconds = std::max(std::chrono::duration<double>(recording.FrameZero() - back).count(), 0.0) +
                         first / loss.after.rate;
  std::printf("sound back within %.0f ms\n", seconds * 1000);
  EXPECT_LT(seconds, loss.seconds);
  EXPECT_TRUE(sound.IsPlaying());
  // The last second: a stream the server moved plays resampled until the output reopens.
  const size_t from = std::max(static_cast<size_t>(first) * 2,
                               samples.size() - std::min<size_t>(samples.size(), 2 * loss.after.rate));
  const WheelSignal heard = ReadWheel({samples.data() + from, samples.size() - from}, kTeeth, kMissing);
  EXPECT_EQ(heard.overLimit, 0u);
  EXPECT_LE(heard.notAntiphase, AllowedOutOfAntiphase());
  EXPECT_GT(heard.revolutions, 0u);
  EXPECT_NEAR(heard.revolution / Revolution(3000, loss.after.rate) - 1, 0, kRateTolerance);
  std::string streams;
  RunCommand("pactl list sink-inputs", &streams);
  EXPECT_EQ(OurStreams(), 1u) << streams;
}

INSTANTIATE_TEST_SUITE_P(
    Losses, PulseLossTest,
    ::testing::Values(
        Loss{"ServerRestarts", {"out48", 48000}, {"out48", 48000}, 1.0, Nothing, RestartServer},
        Loss{"DefaultSinkGoes", {"removable", 44100}, {"out96", 96000}, 1.0, AddRemovableSink, RemoveDefaultSink},
        Loss{"DefaultMovesTo44k", {"out48", 48000}, {"out44", 44100}, 1.0, Nothing, DefaultTo44k},
        Loss{"AllSinksGoAndComeBack", {"out48", 48000}, {"out48", 48000}, 1.0, Nothing, AllSinksGoAndComeBack}),
    [](const auto& info) { return std::string(info.param.name); });

// velomira-play on the server as it is, without a window, for a second, or the window itself
// (at most 20 s); `then` runs in the shell meanwhile, with the program's process id in
// $player. Gives what the program wrote to its standard error, then its exit code.
std::string RunPlayer(const std::string& environment = "", const std::string& then = "", bool window = false) {
  const std::string program = window ? std::string("QT_QPA_PLATFORM=offscreen timeout 20 ") + VELOMIRA_WINDOW
                                     : std::string(VELOMIRA_PLAY) + " --rpm 1000 --seconds 1";
  std::string output;
  RunCommand("exec 3>&1; env -u SDL_AUDIODRIVER " + environment + " " + program + " 2>&3 >/dev/null & player=$!; " +
                 then + " wait $player; echo \"exit $?\"",
             &output);
  return output;
}

// A server with no sink at all: no output, said in one line, and the server is left alone.
TEST_F(PulseOutputTest, PlayerWithoutAnyOutputSaysSoAndFails) {
  if (ServerIsPipeWire()) GTEST_SKIP() << "pipewire-pulse puts a stand-in sink where there is none";
  if (std::getenv("VELOMIRA_PULSE_DIR") == nullptr) GTEST_SKIP() << "the server is not scripts/pulse.sh's";
  ASSERT_TRUE(RunCommand("pactl unload-module module-null-sink"));
  const std::string output = RunPlayer();
  // The window shows its "Error" box and waits for the user; a quit signal still ends it.
  const std::string window = RunPlayer("", "sleep 3; kill -TERM $player;", true);
  const std::string script = VELOMIRA_PULSE_SCRIPT;
  ASSERT_TRUE(RunCommand(script + " stop") && RunCommand(script + " start"));  // the sinks back
  EXPECT_EQ(output, "velomira-play: cannot open the sound device\nexit 1\n");
  EXPECT_TRUE(window.ends_with("exit 0\n")) << window;  // the offscreen platform may say things first
}

// A server that takes the connection and never answers: the open would give up after
// seconds, with 1 (the window with its "Error" box); a signal ends either program there as
// anywhere else, with 0.
TEST(PulseOpen, SignalEndsThePlayerWhileTheOutputOpens) {
  ScratchDir dir;
  const std::string path = dir.path() + "/native";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  for (const bool window : {false, true}) {
    const std::string output = RunPlayer("PULSE_SERVER=unix:" + path, "sleep 0.3; kill -TERM $player;", window);
    EXPECT_TRUE(window ? output.ends_with("exit 0\n") : output == "exit 0\n") << output;
  }
  close(listener);
}

}  // namespace
}  // namespace vm::test
