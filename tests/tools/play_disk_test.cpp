// velomira-play itself, on SDL's disk driver: what it hands the device, how it answers a
// script, and how it ends.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <thread>

#include "child_process.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_picture.h"
#include "pattern/picture_svg.h"
#include "played_stream.h"
#include "signal/cam_signal.h"
#include "signal/render_schedule.h"
#include "signal/wheel_geometry.h"
#include "support/files.h"
#include "support/samples.h"

namespace vm::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Args = std::vector<std::string>;

// Sanitizer builds run the program several times slower, and their exit takes longer.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kSlowdown = 3;
#else
constexpr int kSlowdown = 1;
#endif

class PlayTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }
  void Write(const std::string& name, const std::string& text) const { WriteFile(Path(name), text); }

  // velomira-play with the device stream written to `device`; `fast` runs the disk driver
  // about ten times faster than a sound card.
  std::unique_ptr<ChildProcess> Play(const Args& args, const std::string& device, bool fast = false,
                                     bool terminal = false) const {
    ChildStreams streams;
    streams.terminalOutput = terminal;
    auto child = std::make_unique<ChildProcess>(
        VELOMIRA_PLAY, args,
        std::map<std::string, std::string>{
            {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", Path(device)}, {"SDL_DISKAUDIODELAY", fast ? "1" : ""}},
        streams);
    EXPECT_TRUE(child->Started());
    return child;
  }

  std::vector<int16_t> Played(const std::string& device) const { return Channel(ReadFile(Path(device)), 0); }
  size_t WrittenFrames(const std::string& device) const {
    std::error_code error;
    const auto bytes = fs::file_size(Path(device), error);
    return error ? 0 : static_cast<size_t>(bytes) / 4;
  }
  // Waits until the device has taken `frames` more frames than now.
  void AwaitFrames(const std::string& device, size_t frames) const {
    const size_t until = WrittenFrames(device) + frames;
    for (int i = 0; i < 2000 && WrittenFrames(device) < until; ++i) std::this_thread::sleep_for(milliseconds(5));
  }

 private:
  ScratchDir dir_;
};

struct Wheel {
  int teeth, missing;
  const char* position;
  int rpm;
};

// The wheel's options, then `more`.
Args WheelArgs(const Wheel& wheel, const Args& more) {
  Args args = {"--teeth",     std::to_string(wheel.teeth), "--missing", std::to_string(wheel.missing), "--position",
               wheel.position};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

WaveImage ImageOf(const Wheel& wheel) {
  return *BuildWaveImage(wheel.teeth, wheel.missing, std::string(wheel.position) == "camshaft" ? Camshaft : Crankshaft);
}

// Exactly K whole revolutions from the first frame of the image, then silence: the stream is
// the conversion's own up to the frame where revolution K ends, and nothing after it.
TEST_F(PlayTest, RevolutionsPlaysExactlyKWholeRevolutionsThenSilence) {
  const Wheel wheels[] = {{35, 1, "crankshaft", 9000}, {58, 2, "crankshaft", 6000}, {46, 2, "camshaft", 12000}};
  const uint64_t counts[] = {1, 7, 1000};
  std::vector<std::pair<Wheel, uint64_t>> cases;
  std::vector<std::unique_ptr<ChildProcess>> runs;
  for (const Wheel& wheel : wheels) {
    for (const uint64_t k : counts) {
      cases.push_back({wheel, k});
      const Args args = WheelArgs(wheel, {"--rpm", std::to_string(wheel.rpm), "--revolutions", std::to_string(k)});
      runs.push_back(Play(args, std::to_string(runs.size()) + ".raw", true));
    }
  }
  for (size_t run = 0; run < runs.size(); ++run) {
    const auto& [wheel, k] = cases[run];
    SCOPED_TRACE(std::to_string(wheel.teeth) + "+" + std::to_string(wheel.missing) + " " + wheel.position +
                 ", K = " + std::to_string(k));
    ASSERT_EQ(runs[run]->Wait(), 0) << runs[run]->Errors();
    const std::vector<int16_t> left = Played(std::to_string(run) + ".raw");
    const WaveImage image = ImageOf(wheel);
    const uint64_t imageFrames = ReadWaveImage(image)->FrameCount();
    const auto rate = static_cast<uint64_t>(PlaybackRate(wheel.rpm));
    // Output frame n stands at n × rate / deviceRate image frames: the first frame at K
    // revolutions is the first silent one.
    const uint64_t frames = (k * imageFrames * kDeviceRate + rate - 1) / rate;
    const size_t start = FirstSound(left);
    ASSERT_GT(left.size(), start + frames);
    StreamModel model(image);
    EXPECT_TRUE(PlayedAt(left, start, model.Left(static_cast<int32_t>(rate), frames)));
    EXPECT_EQ(model.Revolutions(), k);
    EXPECT_TRUE(Silent(left, start + frames));
    EXPECT_EQ(RisingEdges(left, start, start + frames).size(), k * static_cast<uint64_t>(wheel.teeth));
  }
}

// The signal options: with the exact speed, K revolutions of a crankshaft wheel last exactly
// K × 60 / RPM seconds, also when the cam signal makes its image two revolutions long.
TEST_F(PlayTest, SignalOptionsTurnTheWheelAtTheShownRpm) {
  const Wheel wheel{58, 2, "crankshaft", 6000};
  const char* cams[] = {nullptr, "90"};
  std::vector<std::unique_ptr<ChildProcess>> runs;
  for (const char* cam : cams) {
    Args args = WheelArgs(wheel, {"--rpm", "6000", "--revolutions", "4", "--exact-speed"});
    if (cam != nullptr) args.insert(args.end(), {"--cam", cam});
    runs.push_back(Play(args, std::to_string(runs.size()) + ".raw", true));
  }
  for (size_t run = 0; run < runs.size(); ++run) {
    SCOPED_TRACE(run);
    ASSERT_EQ(runs[run]->Wait(), 0) << runs[run]->Errors();
    const std::vector<int16_t> left = Played(std::to_string(run) + ".raw");
    const size_t start = FirstSound(left);
    const size_t end = SilenceFrom(left, start);
    EXPECT_EQ(RisingEdges(left, start, end).size(), 4u * 58u);
    // 4 revolutions at 6000 RPM on 48000 frames a second: 1920 frames.
    EXPECT_NEAR(static_cast<double>(end - start), 1920.0, 2.0);
  }
}

// An odd RPM, not held to the window's even steps, at exactly its playback rate; nothing
// on standard output when it is not a terminal.
TEST_F(PlayTest, RpmWithSecondsPlaysTheExactRateForThatLong) {
  const Wheel wheel{58, 2, "crankshaft", 4567};
  auto play = Play(WheelArgs(wheel, {"--rpm", "4567", "--seconds", "1.5"}), "device.raw");
  ASSERT_EQ(play->Wait(), 0) << play->Errors();
  EXPECT_EQ(play->Output(), "");
  EXPECT_EQ(play->Errors().find("velomira-play:"), std::string::npos) << play->Errors();
  const std::vector<int16_t> left = Played("device.raw");
  const size_t start = FirstSound(left);
  const size_t end = SilenceFrom(left, start);
  // The disk driver's clock runs up to about 7 % fast against the real one.
  EXPECT_NEAR(static_cast<double>(end - start) / kDeviceRate, 1.5, 0.15);
  StreamModel model(ImageOf(wheel));
  const std::vector<int16_t> expected = model.Left(PlaybackRate(4567), end - start);
  EXPECT_TRUE(PlayedAt(left, start, expected));
}

TEST_F(PlayTest, StatusLineOnlyOnATerminal) {
  auto play = Play({"--rpm", "3000", "--seconds", "0.6"}, "device.raw", false, true);
  ASSERT_EQ(play->Wait(), 0) << play->Errors();
  const std::string& shown = play->Output();
  EXPECT_NE(shown.find("\r3000 rpm  "), std::string::npos) << shown;
  EXPECT_NE(shown.find(" rev  0:00."), std::string::npos) << shown;
  EXPECT_EQ(shown.back(), '\n') << shown;
  EXPECT_EQ(shown.find('%'), std::string::npos) << "a bar without a batch: " << shown;
}

// The first tooth from `from` on where two teeth in a row show an RPM above (or below)
// `threshold`; one alone may be the interval across the gap.
size_t ToothCrossing(const std::vector<int16_t>& left, size_t from, double threshold, bool above) {
  const std::vector<double> edges = RisingEdges(left, from, left.size());
  auto beyond = [&](size_t i) {  // the interval after edge i, on the 46 + 2 camshaft wheel
    return (28.0 * kDeviceRate / (edges[i + 1] - edges[i]) / 11.2 > threshold) == above;
  };
  for (size_t i = 0; i + 2 < edges.size(); ++i)
    if (beyond(i) && beyond(i + 1)) return static_cast<size_t>(edges[i]);
  return left.size();
}

// The RPM of each 100 ms slot of the three pieces between `bounds`, on the 46 + 2 camshaft wheel.
std::vector<double> RpmPerPiece(const std::vector<int16_t>& left, const std::array<size_t, 4>& bounds,
                                const std::array<size_t, 3>& slots) {
  std::vector<double> rpms;
  for (size_t piece = 0; piece < 3; ++piece) {
    const std::vector<double> slot = RpmPerSlot(left, bounds[piece], bounds[piece + 1], slots[piece], 28);
    rpms.insert(rpms.end(), slot.begin(), slot.end());
  }
  return rpms;
}

// The checks of one run on the real clock. A thread starved by a loaded machine takes its
// late ticks in a burst, so such a run is tried again; a fault shows in every run, and only
// the last one's failures are reported.
class RealTimeRun {
 public:
  explicit RealTimeRun(bool last) : last_(last) {}
  void Expect(bool good, const std::string& what) {
    if (good) return;
    passed_ = false;
    if (last_) ADD_FAILURE() << what;
  }
  bool Passed() const { return passed_; }

 private:
  bool last_;
  bool passed_ = true;
};

template <typename Run>
void TryRealTime(const char* name, Run run) {
  constexpr int kTries = 3;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    RealTimeRun checks(attempt == kTries);
    run(checks);
    if (::testing::Test::HasFatalFailure()) return;
    if (checks.Passed()) {
      std::printf("[ figures  ] %s: passed on run %d\n", name, attempt);
      return;
    }
  }
}

// The runner's steps on the real clock against velomira-render's ideal clock: per 100 ms,
// the RPM played is one the ideal run has within one tick of that time. The disk driver's
// clock is not the real one and a loaded machine starts a step late, so the played stream
// is matched to the ideal one piece by piece, between the jumps to and from 15000 RPM.
TEST_F(PlayTest, BatchFollowsTheRenderedRunWithinOneTick) {
  Write("cycle.rbt",
        "; ramp up, past the slider's top, ramp down\r\n"
        "1000|1000|4000\r\n300|20000|\r\n800|4000|2000\r\n");
  const std::array<size_t, 3> slots = {10, 3, 8};  // 100 ms each
  ChildProcess render(VELOMIRA_RENDER, {"--batch", Path("cycle.rbt"), "--out", Path("ideal.wav")}, {});
  ASSERT_EQ(render.Wait(), 0) << render.Errors();
  const std::vector<int16_t> ideal = Channel(ReadFile(Path("ideal.wav")), 0, 44);
  ASSERT_EQ(ideal.size(), 21 * kDeviceRate / 10);
  const std::vector<double> wanted = RpmPerPiece(ideal, {0, 10 * kDeviceRate / 10, 13 * kDeviceRate / 10, ideal.size()},
                                                 slots);
  EXPECT_NEAR(wanted[11], 15000, 30) << "the slider's top";
  TryRealTime("batch", [&](RealTimeRun& checks) {
    auto play = Play({"--batch", Path("cycle.rbt")}, "device.raw");
    ASSERT_EQ(play->Wait(), 0) << play->Errors();
    const std::vector<int16_t> left = Played("device.raw");
    const size_t start = FirstSound(left);
    const size_t top = ToothCrossing(left, start, 10000, true);
    const size_t down = ToothCrossing(left, top, 10000, false);
    const size_t end = SilenceFrom(left, start);
    ASSERT_LT(down, end);
    // The disk driver's clock runs about 7 % fast; a loaded machine stretches the steps.
    const double length = static_cast<double>(end - start) / static_cast<double>(ideal.size());
    checks.Expect(length > 0.9 && length < 1.3, "the run's length against the ideal one: " + std::to_string(length));
    const std::vector<double> played = RpmPerPiece(left, {start, top, down, end}, slots);
    for (size_t i = 0; i < wanted.size(); ++i) {
      const auto from = wanted.begin() + static_cast<std::ptrdiff_t>(i == 0 ? 0 : i - 1);
      const auto to = wanted.begin() + static_cast<std::ptrdiff_t>(std::min(i + 2, wanted.size()));
      const double low = *std::min_element(from, to), high = *std::max_element(from, to);
      checks.Expect(played[i] >= low * 0.98 && played[i] <= high * 1.02,
                    "slot " + std::to_string(i) + ": " + std::to_string(played[i]) + " RPM, not within " +
                        std::to_string(low) + ".." + std::to_string(high));
    }
    fs::remove(Path("device.raw"));
  });
}

// Stream frames that hold what was rendered before a change but not yet written: the
// standard library's file buffer and the disk driver's buffer, at up to 2048 frames each.
constexpr size_t kUnwrittenFrames = 3 * 2048;

// Whether the stream from the resume to `end` carries on the model from the pause. A frame
// exactly midway across an edge is 0, so the last frames before a pause and the first after
// the resume may look silent.
bool GoesOn(const StreamModel& model, const std::vector<int16_t>& left, size_t stop, size_t resume, size_t end) {
  for (size_t late = 0; late < 3; ++late) {
    StreamModel after = model;
    if (!Silent(after.Left(PlaybackRate(6000), late))) break;
    const std::vector<int16_t> expected = after.Left(PlaybackRate(6000), end - resume + 3);
    for (size_t early = 0; early < 3 && resume - early > stop; ++early)
      if (std::equal(left.begin() + static_cast<std::ptrdiff_t>(resume - early),
                     left.begin() + static_cast<std::ptrdiff_t>(end), expected.begin()))
        return true;
  }
  return false;
}

// rpm, stop, start and bad lines through standard input. The stream is the conversion's own
// at 3000 RPM, switching to 6000 RPM at one frame written between the command and its
// answer, then silence with the position kept, then the wheel on from there.
TEST_F(PlayTest, ControlChangesTheRateAtTheNextBufferAndCountsRevolutions) {
  const Wheel wheel{58, 2, "crankshaft", 0};
  auto play = Play(WheelArgs(wheel, {"--control"}), "device.raw");
  auto ask = [&](const std::string& line) {
    play->Send(line + "\n");
    return play->ReadLine();
  };
  ASSERT_EQ(ask("start"), "error: start: no speed yet; send rpm R first");
  ASSERT_EQ(ask("rpm 3000"), "ok");
  AwaitFrames("device.raw", 12000);
  const size_t before = WrittenFrames("device.raw");
  ASSERT_EQ(ask("rpm 6000"), "ok");
  const size_t after = WrittenFrames("device.raw");
  for (const char* bad : {"rpm", "rpm 0", "fly", "ramp 4000", "", "stop now"})
    EXPECT_EQ(ask(bad).rfind("error: ", 0), 0u) << bad;
  AwaitFrames("device.raw", 12000);
  ASSERT_EQ(ask("stop"), "ok");
  AwaitFrames("device.raw", 4800);
  const std::string counted = ask("revolutions");
  ASSERT_EQ(ask("start"), "ok");
  AwaitFrames("device.raw", 4800);
  ASSERT_EQ(ask("quit"), "ok");
  ASSERT_EQ(play->Wait(), 0) << play->Errors();

  const std::vector<int16_t> left = Played("device.raw");
  const size_t start = FirstSound(left);
  const size_t stop = SilenceFrom(left, start);
  const size_t resume = FirstSound(left, stop);
  const size_t end = SilenceFrom(left, resume);
  ASSERT_LT(end, left.size());
  const WaveImage image = ImageOf(wheel);
  // The first frame unlike the stream at 3000 RPM alone; the change can only lie a few
  // frames before it, where the level is flat at either rate.
  const std::vector<int16_t> slow = StreamModel(image).Left(PlaybackRate(3000), stop - start);
  const size_t differs = static_cast<size_t>(
      std::mismatch(slow.begin(), slow.end(), left.begin() + static_cast<std::ptrdiff_t>(start)).first - slow.begin());
  size_t change = differs;
  for (; change + 64 > differs && change > 0; --change) {
    StreamModel model(image);
    std::vector<int16_t> expected = model.Left(PlaybackRate(3000), change);
    const std::vector<int16_t> fast = model.Left(PlaybackRate(6000), stop - start - change);
    expected.insert(expected.end(), fast.begin(), fast.end());
    if (!PlayedAt(left, start, expected)) continue;
    EXPECT_EQ(counted, "ok " + std::to_string(model.Revolutions()));
    EXPECT_TRUE(GoesOn(model, left, stop, resume, end)) << "start goes on from the position kept";
    break;
  }
  ASSERT_NE(change + 64, differs) << "no single change from 3000 to 6000 RPM gives the stream";
  EXPECT_GE(start + change, before);
  EXPECT_LE(start + change, after + kUnwrittenFrames);
  std::printf("[ figures  ] rpm 6000 took effect %td frames after the stream's end when answered\n",
              static_cast<std::ptrdiff_t>(start + change) - static_cast<std::ptrdiff_t>(after));
}

// A ramp takes the batch runner's 100 ms ticks and rounding, and ends on its target even
// where its five ticks stop short of it.
TEST_F(PlayTest, ControlRampTicksToItsTarget) {
  TryRealTime("ramp", [&](RealTimeRun& checks) {
    auto play = Play({"--control", "--rpm", "2000"}, "device.raw");
    AwaitFrames("device.raw", 4800);
    play->Send("ramp 5000 550\n");
    ASSERT_EQ(play->ReadLine(), "ok");
    AwaitFrames("device.raw", 48000);
    play->Send("quit\n");
    ASSERT_EQ(play->ReadLine(), "ok");
    ASSERT_EQ(play->Wait(), 0) << play->Errors();
    const std::vector<int16_t> left = Played("device.raw");
    const size_t start = FirstSound(left);
    const std::vector<double> edges = RisingEdges(left, start, SilenceFrom(left, start));
    // Each tick's RPM, 545.45 further and then made even, is held for a run of teeth (a
    // tooth is 28 image frames).
    std::vector<double> held;
    for (size_t i = 1; i < edges.size(); ++i) held.push_back(28.0 * kDeviceRate / (edges[i] - edges[i - 1]) / 11.2);
    for (const double rpm : {2000.0, 2546.0, 3090.0, 3636.0, 4182.0, 4728.0, 5000.0}) {
      const auto near = [rpm](double seen) { return std::abs(seen - rpm) < rpm * 0.005; };
      checks.Expect(std::count_if(held.begin(), held.end(), near) >= 20, "no run of teeth at " + std::to_string(rpm));
    }
    // The last interval may span the gap (a third of the RPM): the fastest of the last three.
    const double last = held.size() < 3 ? 0 : *std::max_element(held.end() - 3, held.end());
    checks.Expect(std::abs(last - 5000) < 25, "ends at " + std::to_string(last));
    fs::remove(Path("device.raw"));
  });
}

// A cam phase given at the start is in the stream from its first frame: both channels as
// the render with that phase; the control line answers for it.
TEST_F(PlayTest, CamPhaseMovesTheCamFromTheFirstFrame) {
  const Wheel wheel{58, 2, "crankshaft", 3000};
  auto play = Play(WheelArgs(wheel, {"--cam", "90", "--cam-phase", "-20.5", "--control", "--rpm", "3000"}),
                   "device.raw", true);
  AwaitFrames("device.raw", 9600);
  for (const char* bad : {"cam-phase 90.5", "cam-phase 1,5", "cam-phase"}) {
    play->Send(std::string(bad) + "\n");
    EXPECT_EQ(play->ReadLine().rfind("error: ", 0), 0u) << bad;
  }
  play->Send("quit\n");
  ASSERT_EQ(play->ReadLine(), "ok");
  ASSERT_EQ(play->Wait(), 0) << play->Errors();

  WheelSignal signal{wheel.teeth, wheel.missing, Crankshaft};
  signal.Signal = {.cam = true, .camAngle = 90};
  const std::string played = ReadFile(Path("device.raw"));
  const size_t start = FirstSound(Channel(played, 0));
  const size_t end = SilenceFrom(Channel(played, 0), start);
  RateSegment segment{PlaybackRate(3000), end - start};
  segment.camPhase = -205;  // tenths of a degree of a 720-degree loop
  std::vector<int16_t> expected;
  ASSERT_TRUE(RenderSchedule(*BuildSignalImage(signal), kDeviceRate, {&segment, 1}, [&](std::span<const int16_t> s) {
    expected.insert(expected.end(), s.begin(), s.end());
    return true;
  }));
  ASSERT_GT(end - start, 4800u);
  for (const int channel : {0, 1}) {
    const std::vector<int16_t> levels = Channel(played, channel);
    EXPECT_TRUE(PlayedAt(levels, start, Channel(expected, channel))) << "channel " << channel;
  }
}

// A cam-phase ramp while the wheel plays: the crank channel is the wheel's own to the sample;
// the cam edges move from 0 to 40 degrees and stay there, each a cycle after the one before,
// so that none is lost or doubled.
TEST_F(PlayTest, CamPhaseRampsWhileTheWheelPlays) {
  const Wheel wheel{58, 2, "crankshaft", 3000};
  auto play = Play(WheelArgs(wheel, {"--cam", "0", "--control", "--rpm", "3000"}), "device.raw", true);
  AwaitFrames("device.raw", 4800);
  play->Send("cam-phase 40 300\n");
  ASSERT_EQ(play->ReadLine(), "ok");
  AwaitFrames("device.raw", 48000);
  play->Send("quit\n");
  ASSERT_EQ(play->ReadLine(), "ok");
  ASSERT_EQ(play->Wait(), 0) << play->Errors();

  WheelSignal signal{wheel.teeth, wheel.missing, Crankshaft};
  signal.Signal = {.cam = true};
  const WaveImage image = *BuildSignalImage(signal);
  const std::string played = ReadFile(Path("device.raw"));
  const std::vector<int16_t> left = Channel(played, 0);
  const size_t start = FirstSound(left);
  const size_t end = SilenceFrom(left, start);
  EXPECT_TRUE(PlayedAt(left, start, StreamModel(image).Left(PlaybackRate(3000), end - start)));
  // The edge as written sits at the first tooth's rising edge; a cycle is 720 degrees.
  const double cycle = static_cast<double>(ReadWaveImage(image)->FrameCount()) * kDeviceRate / PlaybackRate(3000);
  const double written = static_cast<double>(GeometryOfWheel(signal)->halfToothFrames) * kDeviceRate /
                         PlaybackRate(3000);
  const std::vector<double> edges = RisingEdges(Channel(played, 1), start, end);
  ASSERT_GT(edges.size(), 10u);
  const auto phase = [&](double t) {
    return std::remainder(t - static_cast<double>(start) - written, cycle) / cycle * 720;
  };
  const double frameDegrees = 720 / cycle;
  EXPECT_NEAR(phase(edges.front()), 0, frameDegrees);
  EXPECT_NEAR(phase(edges.back()), 40, frameDegrees);
  for (size_t i = 1; i < edges.size(); ++i) {
    EXPECT_NEAR(edges[i] - edges[i - 1], cycle, cycle * 0.01) << "edge " << i;
    EXPECT_GE(phase(edges[i]), phase(edges[i - 1]) - frameDegrees) << "edge " << i;
  }
}

// Nothing reaches the device: the disk driver's file is never made.
TEST_F(PlayTest, BadInputGivesOneLineAndPlaysNothing) {
  Write("empty.rbt", "; no steps\r\n0|1000|\r\n");
  Write("bad.cfg", "[General]\r\nAvailableTeeth = -1\r\n");
  Write("passwd", "root:x:0:0:root:/root:/bin/bash\n");
  Write("empty.cfg", "");
  Write("signal.cfg", "[Signal]\r\nCam = 1\r\n");
  fs::create_directory(Path("folder"));
  // clang-format off
  const struct { Args args; std::string message; /* how the one line starts */ } cases[] = {
      {{}, "velomira-play: usage: velomira-play "},
      {{"--rpm", "0"}, "velomira-play: --rpm: expected a whole number from 1 to 300000, got \"0\""},
      {{"--batch", Path("missing.rbt")}, "velomira-play: --batch: cannot read "},
      {{"--batch", Path("folder")}, "velomira-play: --batch: cannot read "},
      {{"--batch", Path("empty.rbt")}, "velomira-play: --batch: " + Path("empty.rbt") + " holds no steps"},
      {{"--config", Path("missing.cfg"), "--rpm", "1000"}, "velomira-play: --config: cannot read "},
      {{"--config", Path("folder"), "--rpm", "1000"}, "velomira-play: --config: cannot read "},
      {{"--config", Path("bad.cfg"), "--rpm", "1000"}, "velomira-play: --config: " + Path("bad.cfg") +
                                                         ": no wave image for -1 teeth and 2 missing"},
      {{"--teeth", "0", "--missing", "0", "--position", "camshaft", "--rpm", "1000"},
       "velomira-play: --teeth/--missing: no wave image for 0 teeth and 0 missing: a wheel has 0 or more of each, "
       "1 to 344 in all on the crankshaft (689 on the camshaft)\n"},
      {{"--teeth", "999999999999", "--missing", "2", "--position", "camshaft", "--rpm", "1000"},
       "velomira-play: --teeth: expected a whole number from 0 to 689, got \"999999999999\"\n"},
      // Not a wheel config: the default wheel must not play instead (bounded, in case it does).
      {{"--config", Path("passwd"), "--rpm", "1000", "--seconds", "0.2"},
       "velomira-play: --config: " + Path("passwd") + " is not a wheel config"},
      {{"--config", Path("empty.cfg"), "--rpm", "1000", "--seconds", "0.2"},
       "velomira-play: --config: " + Path("empty.cfg") + " is not a wheel config"},
      {{"--config", Path("signal.cfg"), "--rpm", "1000", "--seconds", "0.2"},
       "velomira-play: --config: " + Path("signal.cfg") + " is not a wheel config"},
      {{"--teeth", "58", "--missing", "2", "--position", "crankshaft", "--cam", "90", "--rpm", "1000",
        "--revolutions", "3"},
       "velomira-play: --revolutions: a crankshaft wheel with the cam signal turns in engine cycles"},
      {{"--cam", "720", "--rpm", "1000"}, "velomira-play: --cam: expected ANGLE (0 to 719)"},
      {{"--rpm", "1000", "--cam-phase", "5"}, "velomira-play: --cam-phase: the signal has no cam to move"},
  };
  // clang-format on
  std::vector<std::unique_ptr<ChildProcess>> runs;
  for (const auto& c : cases) runs.push_back(Play(c.args, "device" + std::to_string(runs.size()) + ".raw"));
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].message);
    EXPECT_EQ(runs[i]->Wait(), 2);
    const std::string& error = runs[i]->Errors();
    EXPECT_EQ(error.rfind(cases[i].message, 0), 0u) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_EQ(runs[i]->Output(), "");
    EXPECT_FALSE(fs::exists(Path("device" + std::to_string(i) + ".raw")));
  }
}

// Teeth passing at more than 45 % of the output rate cannot be told apart: refused at the
// start (the device opens to tell its rate, and hears only silence), on a control line, and
// by velomira-render, each naming the highest RPM this wheel plays at this rate.
TEST_F(PlayTest, SpeedsPastTheOutputAreRefused) {
  Write("fast.rbt", "500|2000|3000\r\n500|3000|4000\r\n");
  const Args wide = {"--teeth", "300", "--missing", "2", "--position", "crankshaft"};
  const std::string rpmError = "--rpm: 60000 RPM is too fast for a 48000 Hz output: this wheel plays up to 54000 RPM\n";
  const std::string batchError =
      "--batch: step 2: 4000 RPM is too fast for a 48000 Hz output: this wheel plays up to 3857 RPM\n";
  Args batch = wide, render = wide, renderBatch = wide;
  batch.insert(batch.end(), {"--batch", Path("fast.rbt")});
  render = {"--rpm", "60000", "--seconds", "0.1", "--out", Path("out.wav")};
  renderBatch.insert(renderBatch.end(), {"--batch", Path("fast.rbt"), "--out", Path("out.wav")});
  // clang-format off
  const struct { const char* program; Args args; std::string errors; } cases[] = {
      {VELOMIRA_PLAY, {"--rpm", "60000", "--seconds", "0.3"}, "velomira-play: " + rpmError},
      {VELOMIRA_PLAY, batch, "velomira-play: " + batchError},
      {VELOMIRA_RENDER, {"--teeth", "46", "--missing", "2", "--position", "camshaft", "--rpm", "60000", "--seconds",
                         "0.1", "--out", Path("out.wav")}, "velomira-render: " + rpmError},
      {VELOMIRA_RENDER, renderBatch, "velomira-render: " + batchError},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errors);
    ChildProcess run(c.program, c.args, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", Path("device.raw")}});
    EXPECT_EQ(run.Wait(), 2);
    const std::string& errors = run.Errors();
    EXPECT_TRUE(errors.ends_with(c.errors)) << errors;  // after the disk driver's own lines
    EXPECT_TRUE(Silent(Played("device.raw")));
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
  auto play = Play({"--control"}, "device.raw");
  auto ask = [&](const std::string& line) {
    play->Send(line + "\n");
    return play->ReadLine();
  };
  EXPECT_EQ(ask("rpm 60000"),
            "error: rpm R: 60000 RPM is too fast for a 48000 Hz output: this wheel plays up to 54000 RPM");
  EXPECT_EQ(ask("rpm 54000"), "ok");
  EXPECT_EQ(ask("ramp 54001 100"),
            "error: ramp R: 54001 RPM is too fast for a 48000 Hz output: this wheel plays up to 54000 RPM");
  EXPECT_EQ(ask("quit"), "ok");
  EXPECT_EQ(play->Wait(), 0) << play->Errors();
}

// velomira-render's messages name the argument at fault, and a file it cannot write says why.
TEST_F(PlayTest, RenderMessagesSayWhatAndWhy) {
  fs::create_directory(Path("folder"));
  Write("bad.pattern", "name bad\ndescriptoin d\n");
  const Args wheel = {"--teeth", "58", "--missing", "2", "--position", "crankshaft"};
  Args image = wheel, out = wheel;
  image.insert(image.end(), {"--image", Path("folder")});
  out.insert(out.end(), {"--rpm", "1000", "--seconds", "0.1", "--out", Path("missing/out.wav")});
  // clang-format off
  const struct { Args args; int code; std::string errors; } cases[] = {
      {{"--exact-speed", "1"}, 2, "velomira-render: \"1\": not an option; --exact-speed takes no value\n"},
      {image, 1, "velomira-render: --image: cannot write " + Path("folder") + ": Is a directory\n"},
      {out, 1, "velomira-render: --out: " + Path("missing/out.wav") + ": cannot create the file: "
               "No such file or directory\n"},
      {{"--pattern", "60-2", "--teeth", "58", "--image", Path("x.wav")}, 2,
       "velomira-render: --teeth: not with --pattern; a pattern replaces the wheel and its cam\n"},
      {{"--pattern", "harley-32-2", "--rpm", "40465", "--seconds", "1", "--out", Path("x.wav")}, 2,
       "velomira-render: --rpm: 40465 RPM is too fast for a 48000 Hz output: this pattern plays up to 40464 RPM\n"},
      {{"--pattern", "60-2", "--picture", Path("x.svg"), "--image", Path("x.wav")}, 2,
       "velomira-render: --image, --picture or --out: give one of them\n"},
      {{"--pattern", "60-2", "--picture", Path("x.svg"), "--rpm", "1000"}, 2,
       "velomira-render: --rpm: only with --out\n"},
      {{"--pattern", "60-2", "--batch", Path("b.txt"), "--image", Path("x.wav")}, 2,
       "velomira-render: --batch: not with --pattern (velomira-play plays a batch with one)\n"},
      {{"--pattern", "60-2", "--cam-phase", "5", "--rpm", "1000", "--seconds", "0.1", "--out", Path("x.wav")}, 2,
       "velomira-render: --cam-phase: the pattern has no cam track to move\n"},
      {{"--pattern", "miata-99-05", "--cam-phase", "90.5", "--rpm", "1000", "--seconds", "0.1", "--out", Path("x.wav")},
       2, "velomira-render: --cam-phase: expected crankshaft degrees from -90 to 90 in steps of 0.1, got \"90.5\"\n"},
      {{"--pattern", Path("bad.pattern"), "--image", Path("x.wav")}, 2,
       "velomira-render: --pattern: \"" + Path("bad.pattern") + "\": line 2, column 1: expected name, description, "
       "cycle, source, fits, crank or cam\n"},
      {{"--pattern", "60-2", "--picture", Path("folder")}, 1,
       "velomira-render: --picture: cannot write " + Path("folder") + ": Is a directory\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    ChildProcess render(VELOMIRA_RENDER, c.args, {});
    EXPECT_EQ(render.Wait(), c.code) << c.errors;
    EXPECT_EQ(render.Errors(), c.errors);
  }
  // A refusal writes nothing; --picture alone writes the picture the window draws.
  EXPECT_FALSE(fs::exists(Path("x.wav")));
  EXPECT_FALSE(fs::exists(Path("x.svg")));
  ChildProcess picture(VELOMIRA_RENDER, {"--pattern", "60-2", "--picture", Path("x.svg")}, {});
  ASSERT_EQ(picture.Wait(), 0) << picture.Errors();
  const PatternReading library = LoadPatternFile(VELOMIRA_SOURCE_DIR "/patterns/60-2.pattern");
  ASSERT_TRUE(library.ok);
  EXPECT_EQ(ReadFile(Path("x.svg")), PictureSvg(DrawPattern(library.pattern)));
}

// A pattern in both tools: the library listed, what velomira-play hands the device is the
// rendering of velomira-render to the frame, and the control's pattern is heard from the next
// start, under the speed rule of its own edges.
TEST_F(PlayTest, PatternsPlayInBothToolsAndTheControlChangesThem) {
  ChildProcess list(VELOMIRA_RENDER, {"--list-patterns"}, {});
  ASSERT_EQ(list.Wait(), 0) << list.Errors();
  EXPECT_GE(std::count(list.Output().begin(), list.Output().end(), '\n'), 40);
  EXPECT_TRUE(list.Output().starts_with("12-1  ")) << list.Output();
  // The cam phase counts in crank degrees of the pattern's 720-degree cycle.
  auto played = Play({"--pattern", "miata-99-05", "--cam-phase", "20", "--rpm", "3000", "--revolutions", "4"},
                     "device.raw", true);
  ChildProcess render(
      VELOMIRA_RENDER,
      {"--pattern", "miata-99-05", "--cam-phase", "20", "--rpm", "3000", "--seconds", "0.1", "--out", Path("out.wav")},
      {});
  ASSERT_EQ(render.Wait(), 0) << render.Errors();
  ASSERT_EQ(played->Wait(), 0) << played->Errors();
  // Four revolutions at 3000 RPM, two engine cycles: exactly 0.08 s.
  const std::string device = ReadFile(Path("device.raw"));
  const size_t start = FirstSound(Channel(device, 0));
  for (const int channel : {0, 1}) {
    std::vector<int16_t> rendered = Channel(ReadFile(Path("out.wav")), channel, 44);
    rendered.resize(3840);
    EXPECT_TRUE(PlayedAt(Channel(device, channel), start, rendered)) << "channel " << channel;
  }
  EXPECT_TRUE(Silent(Channel(device, 0), start + 3840));

  auto play = Play({"--control", "--pattern", "miata-99-05"}, "control.raw");
  auto ask = [&](const std::string& line) {
    play->Send(line + "\n");
    return play->ReadLine();
  };
  EXPECT_EQ(ask("rpm 30000"), "ok");
  EXPECT_EQ(ask("pattern 60-2"), "ok");
  EXPECT_EQ(ask("start"),
            "error: start: 30000 RPM is too fast for a 48000 Hz output: this pattern plays up to 21600 RPM");
  EXPECT_TRUE(ask("pattern no-such").starts_with("error: pattern: no pattern named \"no-such\" in "));
  EXPECT_EQ(ask("cam-phase -12.5"), "ok");
  EXPECT_EQ(ask("rpm 3000"), "ok");
  EXPECT_EQ(ask("start"), "ok");
  EXPECT_TRUE(ask("cam-phase 10").starts_with("error: cam-phase: the signal has no cam to move"));
  EXPECT_EQ(ask("quit"), "ok");
  EXPECT_EQ(play->Wait(), 0) << play->Errors();
}

TEST_F(PlayTest, NoSoundDeviceGivesExitCodeOne) {
  ChildProcess play(VELOMIRA_PLAY, {"--rpm", "3000"}, {{"SDL_AUDIODRIVER", "no-such-driver"}});
  EXPECT_EQ(play.Wait(), 1);
  EXPECT_EQ(play.Errors(), "velomira-play: cannot open the sound device\n");
}

// Measured from the signal to the end of the process: it ends at once, with silence.
TEST_F(PlayTest, QuitSignalsEndWithSilenceAndCodeZeroWithin200Ms) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    auto play = Play({"--rpm", "3000"}, "device.raw");
    AwaitFrames("device.raw", 9600);
    ASSERT_NE(FirstSound(Played("device.raw")), Played("device.raw").size()) << "not playing yet";
    const auto sent = std::chrono::steady_clock::now();
    play->Signal(signal);
    EXPECT_EQ(play->Wait(), 0) << play->Errors();
    const auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - sent);
    EXPECT_LT(took.count(), 200 * kSlowdown);
    std::printf("[ figures  ] %s: ended after %lld ms\n", strsignal(signal), static_cast<long long>(took.count()));
    const std::vector<int16_t> left = Played("device.raw");
    EXPECT_LT(SilenceFrom(left, FirstSound(left)), left.size()) << "no silence at the end";
    fs::remove(Path("device.raw"));
  }
}

}  // namespace
}  // namespace vm::test
