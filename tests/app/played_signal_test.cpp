// What reaches the sound card: SDL's disk driver writes the exact device stream to a file,
// and the left channel's rising edges tell the wheel and the rate that are playing; the
// right channel's, where the cam is.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "support/disk_driver.h"
#include "support/program_fixture.h"
#include "support/samples.h"

namespace vm::test {
namespace {

constexpr double kDeviceRate = kDiskDeviceRate;

struct Wheel {
  int teeth = 0;        // pulses between two gaps
  double period = 0;    // device frames from one rising edge to the next, on the teeth
  double gapRatio = 0;  // the interval across the gap over `period`
};

// Where `channel` (0 left, 1 right) rises through `level`, in device frames.
std::vector<double> RisingEdges(const std::string& stream, size_t fromFrame, int channel = 0, double level = 0) {
  return test::RisingEdges(Channel(stream, channel), fromFrame, std::numeric_limits<size_t>::max(), level);
}

// The revolution as heard: a run of equal intervals, then one longer across the gap.
Wheel Measure(const std::vector<double>& edges) {
  std::vector<double> intervals;
  for (size_t i = 1; i < edges.size(); ++i) intervals.push_back(edges[i] - edges[i - 1]);
  if (intervals.size() < 8) return {};
  std::vector<double> sorted = intervals;
  std::sort(sorted.begin(), sorted.end());
  Wheel wheel;
  wheel.period = sorted[sorted.size() / 2];
  std::vector<size_t> gaps;
  for (size_t i = 0; i < intervals.size(); ++i) {
    if (intervals[i] > 1.5 * wheel.period) gaps.push_back(i);
  }
  if (gaps.size() < 2) return wheel;
  wheel.teeth = static_cast<int>(gaps[1] - gaps[0]);
  wheel.gapRatio = intervals[gaps[0]] / wheel.period;
  return wheel;
}

class PlayedSignalTest : public ProgramFixture {
 protected:
  void SetUp() override {
    disk_ = std::make_unique<DiskDriver>(Path("device.raw"));
    ProgramFixture::SetUp();
    StartApp();
  }
  void TearDown() override {
    ProgramFixture::TearDown();
    disk_.reset();
  }

  size_t WrittenFrames() { return ReadFile(disk_->path()).size() / 4; }

  // A stretch of about 0.4 s written after this call, skipping what the device had
  // buffered already; `from` is where it starts.
  std::string Record(size_t& from) {
    from = WrittenFrames() + 4096;
    const size_t until = from + static_cast<size_t>(0.4 * kDeviceRate);
    for (int i = 0; i < 400 && WrittenFrames() < until; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFile(disk_->path());
  }
  // The wheel heard in such a stretch.
  Wheel Listen() {
    size_t from = 0;
    const std::string stream = Record(from);
    return Measure(RisingEdges(stream, from));
  }

  std::unique_ptr<DiskDriver> disk_;
};

// One tooth of the 46 + 2 camshaft wheel is 28 image frames.
double ToothPeriod(double imageFramesPerTooth, double rate) { return imageFramesPerTooth * kDeviceRate / rate; }

TEST_F(PlayedSignalTest, StartPlaysTheDefaultWheelAt11200FramesPerSecond) {
  Click(StartStopButton);
  const Wheel wheel = Listen();
  EXPECT_EQ(wheel.teeth, 46);
  EXPECT_NEAR(wheel.period, ToothPeriod(28, 11200), 0.05);  // 120 device frames
  EXPECT_NEAR(wheel.gapRatio, 3.0, 0.01);                   // two missing teeth
}

TEST_F(PlayedSignalTest, APickedPresetChangesOnlyTheRate) {
  Click(StartStopButton);
  Key(RpmCombo, Qt::Key_Down);  // 2000
  const Wheel wheel = Listen();
  EXPECT_EQ(wheel.teeth, 46);
  EXPECT_NEAR(wheel.period, ToothPeriod(28, 22400), 0.05);
}

TEST_F(PlayedSignalTest, AWheelChangeReachesTheSignalAtTheNextStartOnly) {
  Click(StartStopButton);
  Click(StartStopButton);
  Widget(TeethSpin)->setFocus();
  Key(TeethSpin, Qt::Key_Up);      // 47 present
  Key(MissingSpin, Qt::Key_Down);  // 1 missing
  // A slider event, as a batch run sends, finds the old sound loaded and plays it.
  Post(UserEvent(ControlEvent, MainWindow, RpmSlider));
  Wheel wheel = Listen();
  EXPECT_EQ(wheel.teeth, 46);
  EXPECT_NEAR(wheel.gapRatio, 3.0, 0.01);

  Click(StartStopButton);  // reads "Start": builds the new wheel
  wheel = Listen();
  EXPECT_EQ(wheel.teeth, 47);
  EXPECT_NEAR(wheel.gapRatio, 2.0, 0.01);
  EXPECT_NEAR(wheel.period, ToothPeriod(28, 11200), 0.05);  // 44100 / 96 / 32 is still 14
}

// The exact wheel speed, switched on while the tone plays: a 58 + 2 crankshaft wheel at 1000
// RPM has 1000 tooth periods a second (48 device frames) instead of 1120.
TEST_F(PlayedSignalTest, ExactWheelSpeedTurnsThePlayingWheelAtTheShownRpmAtOnce) {
  for (int i = 0; i < 12; ++i) Key(TeethSpin, Qt::Key_Up);  // 58 present
  Click(CrankshaftOption);
  Click(StartStopButton);
  EXPECT_NEAR(Listen().period, ToothPeriod(10, 11200), 0.05);
  Choose(ExactSpeedItem);
  Wheel wheel = Listen();
  EXPECT_EQ(wheel.teeth, 58);
  EXPECT_NEAR(wheel.period, 48.0, 0.05);
  Key(RpmCombo, Qt::Key_Down);  // the preset 2000, at the exact rate too
  EXPECT_NEAR(Listen().period, 24.0, 0.05);
  Type(RpmCombo, "3000");
  Click(SetButton);  // and a typed RPM
  EXPECT_NEAR(Listen().period, 16.0, 0.05);
  Click(StartStopButton);
  app->config().WheelAt = Camshaft;                      // not heard: the loaded wheel's own rate is what counts
  Post(UserEvent(ControlEvent, MainWindow, RpmSlider));  // as a batch runner moves the slider
  EXPECT_NEAR(Listen().period, 16.0, 0.05);
  Choose(ExactSpeedItem);
  EXPECT_NEAR(Listen().period, ToothPeriod(10, 33600), 0.05);
}

// With the cam signal the right channel is no longer -left: one event per engine cycle (a
// revolution of the 46 + 2 camshaft wheel, 0.12 s at 1000 RPM), the wheel on the left.
TEST_F(PlayedSignalTest, TheCamSignalTakesTheRightChannelFromTheNextStart) {
  Choose(CamSignalItem);
  Click(CamCheckBox);
  Click(CamOkButton);
  Click(StartStopButton);
  size_t from = 0;
  const std::string stream = Record(from);
  EXPECT_EQ(Measure(RisingEdges(stream, from)).teeth, 46);
  const std::vector<double> events = RisingEdges(stream, from, 1, 16000);
  ASSERT_GE(events.size(), 3u);
  for (size_t i = 1; i < events.size(); ++i) EXPECT_NEAR(events[i] - events[i - 1], 0.12 * kDeviceRate, 0.5);
}

// The live view's cam phase on the default wheel with the cam signal: 720 crankshaft degrees
// a loop at 1000 RPM, 8 device frames a degree. Each cam event's distance from the crank's
// nearest first tooth after the gap, in device frames.
class CamPhaseTest : public PlayedSignalTest {
 protected:
  static constexpr double kFramesPerDegree = 8;
  static constexpr double kLoopFrames = 720 * kFramesPerDegree;

  void StartWithView() {
    Choose(CamSignalItem);
    Click(CamCheckBox);
    Click(CamOkButton);
    Click(StartStopButton);
    Choose(ShowSignalItem);
  }
  // Lets a ramp end: the pump keeps the view's timer going meanwhile.
  void Settle() {
    PumpUntil([] { return false; }, 0.3);
  }
  std::vector<double> CamOffsets(const std::string& stream, size_t from) {
    const std::vector<double> crank = RisingEdges(stream, from);
    std::vector<double> firstTeeth;
    for (size_t i = 2; i < crank.size(); ++i) {
      if (crank[i] - crank[i - 1] > 1.5 * (crank[i - 1] - crank[i - 2])) firstTeeth.push_back(crank[i]);
    }
    std::vector<double> offsets;
    if (firstTeeth.empty()) return offsets;
    // A loop is exactly kLoopFrames device frames: the first tooth repeats at that distance.
    for (double cam : RisingEdges(stream, from, 1, 16000)) {
      offsets.push_back(std::remainder(cam - firstTeeth.front(), kLoopFrames));
    }
    return offsets;
  }
};

TEST_F(CamPhaseTest, TheSliderAndTheFieldMoveTheCamEdgesAndLeaveTheCrank) {
  StartWithView();
  ASSERT_TRUE(toolkit.IsEnabled(LiveCamSlider));
  size_t from = 0;
  std::string stream = Record(from);
  const std::vector<double> built = CamOffsets(stream, from);
  ASSERT_GE(built.size(), 3u);
  struct PhaseCase {
    const char* typed;  // into the field, then "Set"; null: the key on the slider
    Qt::Key key;
    int32_t tenths;
    const char* shown;
  };
  // clang-format off
  const PhaseCase cases[] = {
      {"+20", Qt::Key_unknown, 200, "+20.0"},
      {"-37.5", Qt::Key_unknown, -375, "-37.5"},
      {nullptr, Qt::Key_End, 900, "+90.0"},
      {nullptr, Qt::Key_Home, -900, "-90.0"},
      {nullptr, Qt::Key_PageUp, -890, "-89.0"},
      {"0", Qt::Key_unknown, 0, "0.0"},
  };
  // clang-format on
  for (const PhaseCase& c : cases) {
    if (c.typed) {
      Type(LiveCamEdit, c.typed);
      Click(LiveCamSetButton);
    } else {
      Key(LiveCamSlider, c.key);
    }
    EXPECT_EQ(app->config().Signal.camPhase, c.tenths);
    EXPECT_EQ(toolkit.Text(LiveCamEdit), c.shown);
    EXPECT_EQ(toolkit.State(LiveCamSlider), c.tenths);
    Settle();
    stream = Record(from);
    const std::vector<double> offsets = CamOffsets(stream, from);
    ASSERT_GE(offsets.size(), 3u) << c.shown;
    for (double offset : offsets) EXPECT_NEAR(offset, built[0] + c.tenths * kFramesPerDegree / 10, 1.0) << c.shown;
    const Wheel crank = Measure(RisingEdges(stream, from));
    EXPECT_EQ(crank.teeth, 46) << c.shown;
    EXPECT_NEAR(crank.period, ToothPeriod(28, 11200), 0.05) << c.shown;
    EXPECT_NEAR(crank.gapRatio, 3.0, 0.01) << c.shown;
  }
}

// Dragged end to end as fast as keys go, the cam moves no faster than the crank turns: one
// cam event a loop, none lost and none twice.
TEST_F(CamPhaseTest, ADraggedSliderNeitherDropsNorDoublesACamEdge) {
  StartWithView();
  const size_t from = WrittenFrames();
  for (Qt::Key key : {Qt::Key_End, Qt::Key_Home, Qt::Key_End, Qt::Key_Home, Qt::Key_End}) {
    Key(LiveCamSlider, key);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  const size_t until = from + static_cast<size_t>(1.2 * kDeviceRate);
  ASSERT_TRUE(PumpUntil([&] { return WrittenFrames() >= until; }));
  const std::vector<double> cams = RisingEdges(ReadFile(disk_->path()), from, 1, 16000);
  ASSERT_GE(cams.size(), 8u);
  for (size_t i = 1; i < cams.size(); ++i) {
    EXPECT_GT(cams[i] - cams[i - 1], 0.6 * kLoopFrames) << i;
    EXPECT_LT(cams[i] - cams[i - 1], 1.6 * kLoopFrames) << i;
  }
}

}  // namespace
}  // namespace vm::test
