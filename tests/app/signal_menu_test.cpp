// The Signal menu on real widgets: the exact wheel speed's check mark and its place in the
// settings file, and the cam signal dialog's rules.

#include <QCheckBox>

#include <cstdlib>
#include <set>

#include "app/live_view.h"
#include "pattern/pattern_picture.h"

#include "support/program_fixture.h"

namespace vm::test {
namespace {

class SignalMenuTest : public StartedProgram {
 protected:
  void Restart() {
    app->End();
    app.reset();
    StartApp();
  }
  std::string Settings() { return ReadFile(exePath + ".ini"); }
};

TEST_F(SignalMenuTest, ExactWheelSpeedIsACheckMarkKeptInTheSettingsFileOnlyWhileOn) {
  EXPECT_FALSE(toolkit.IsMenuItemChecked(MainMenu, ExactSpeedItem));
  Choose(ExactSpeedItem);
  EXPECT_TRUE(toolkit.IsMenuItemChecked(MainMenu, ExactSpeedItem));
  EXPECT_TRUE(app->config().Signal.exactSpeed);
  Restart();
  const std::string group = "\r\n[Signal]\r\nExactSpeed = 1\r\n";
  const std::string withOption = Settings();
  ASSERT_GT(withOption.size(), group.size());
  EXPECT_EQ(withOption.substr(withOption.size() - group.size()), group);
  EXPECT_TRUE(toolkit.IsMenuItemChecked(MainMenu, ExactSpeedItem));  // read back at start
  Choose(ExactSpeedItem);
  EXPECT_FALSE(toolkit.IsMenuItemChecked(MainMenu, ExactSpeedItem));
  Restart();
  EXPECT_EQ(Settings(), withOption.substr(0, withOption.size() - group.size()));  // the 17 lines again
}

struct DialogCase {
  const char* angle;  // typed over the field; null leaves it
  const char* width;
  bool tick;  // click the check box
  bool ok;    // "Ok" usable afterwards
};

TEST_F(SignalMenuTest, CamDialogTakesDigitsAndEnablesOkOnlyWithinTheRanges) {
  // clang-format off
  const DialogCase cases[] = {
      {nullptr, nullptr, false, false},  // nothing changed yet
      {nullptr, nullptr, true, true},   {"90", nullptr, false, true},  {"719", nullptr, false, true},
      {"720", nullptr, false, false},   {"", nullptr, false, true},    {"9a0", nullptr, false, true},
      {nullptr, "1", false, true},      {nullptr, "360", false, true}, {nullptr, "361", false, false},
      {nullptr, "0", false, false},     {"90", "0", true, false},
      {"99999999999", nullptr, false, false},
  };
  // clang-format on
  for (const DialogCase& c : cases) {
    Choose(CamSignalItem);
    ASSERT_TRUE(toolkit.IsWindowOpen(CamDialog));
    if (c.angle) Type(CamAngleEdit, c.angle);
    if (c.width) Type(CamWidthEdit, c.width);
    if (c.tick) Click(CamCheckBox);
    EXPECT_EQ(toolkit.IsEnabled(CamOkButton), c.ok) << (c.angle ? c.angle : "-") << " / " << (c.width ? c.width : "-");
  }
  EXPECT_EQ(toolkit.Text(CamAngleEdit), "99999999999");
  Type(CamAngleEdit, "9a0");
  EXPECT_EQ(toolkit.Text(CamAngleEdit), "90");  // only digits go in
}

TEST_F(SignalMenuTest, CamDialogOkTakesTheFieldsCancelAndCloseBoxKeepTheOptions) {
  Choose(CamSignalItem);
  EXPECT_EQ(toolkit.Text(CamAngleEdit), "0");
  EXPECT_EQ(toolkit.Text(CamWidthEdit), "");  // one tooth period
  Click(CamCheckBox);
  Type(CamAngleEdit, "359");
  Type(CamWidthEdit, "6");
  Click(CamOkButton);
  EXPECT_FALSE(toolkit.IsWindowOpen(CamDialog));
  const SignalOptions set{.cam = true, .camAngle = 359, .camWidth = 6};
  EXPECT_EQ(app->config().Signal, set);

  Choose(CamSignalItem);
  EXPECT_EQ(toolkit.State(CamCheckBox), 1);
  EXPECT_EQ(toolkit.Text(CamAngleEdit), "359");
  EXPECT_EQ(toolkit.Text(CamWidthEdit), "6");
  Click(CamCheckBox);
  Type(CamAngleEdit, "1");
  Click(CamCancelButton);
  EXPECT_FALSE(toolkit.IsWindowOpen(CamDialog));
  Choose(CamSignalItem);
  Type(CamAngleEdit, "2");
  Post(UserEvent(CloseEvent, CamDialog));
  EXPECT_FALSE(toolkit.IsWindowOpen(CamDialog));
  EXPECT_EQ(app->config().Signal, set);
  Restart();
  EXPECT_EQ(app->config().Signal, set);  // kept in the settings file
}

// The live view's cam phase is kept in [Signal] only while it is not 0: back at 0 the file
// is the one written before it was ever moved.
TEST_F(SignalMenuTest, CamPhaseIsKeptInTheSettingsFileOnlyWhileNotZero) {
  Choose(CamSignalItem);
  Click(CamCheckBox);
  Click(CamOkButton);
  Restart();
  const std::string without = Settings();
  Choose(ShowSignalItem);
  Type(LiveCamEdit, "12.5");
  Click(LiveCamSetButton);
  Restart();
  EXPECT_EQ(Settings(), without + "CamPhase = +12.5\r\n");
  Choose(ShowSignalItem);
  EXPECT_EQ(toolkit.Text(LiveCamEdit), "+12.5");
  EXPECT_EQ(toolkit.State(LiveCamSlider), 125);
  Type(LiveCamEdit, "0");
  Click(LiveCamSetButton);
  Restart();
  EXPECT_EQ(Settings(), without);
}

// Without a cam on the right channel there is nothing to move; a phase that cannot be read
// is never set.
TEST_F(SignalMenuTest, CamPhaseControlsNeedACamAndAReadablePhase) {
  Choose(ShowSignalItem);
  ASSERT_TRUE(toolkit.IsWindowOpen(LiveViewWindow));
  EXPECT_FALSE(toolkit.IsEnabled(LiveCamSlider));
  EXPECT_FALSE(toolkit.IsEnabled(LiveCamEdit));
  Choose(CamSignalItem);
  Click(CamCheckBox);
  Click(CamOkButton);
  PumpUntil([&] { return toolkit.IsEnabled(LiveCamSlider); }, 2);
  EXPECT_TRUE(toolkit.IsEnabled(LiveCamEdit));
  for (const char* text : {"90.5", "abc", "1,5", "-", ""}) {
    Type(LiveCamEdit, text);
    EXPECT_FALSE(toolkit.IsEnabled(LiveCamSetButton)) << text;
  }
  Type(LiveCamEdit, "-90");
  EXPECT_TRUE(toolkit.IsEnabled(LiveCamSetButton));
  EXPECT_EQ(app->config().Signal.camPhase, 0);  // only "Set" takes it
  Post(UserEvent(CloseEvent, LiveViewWindow));
  EXPECT_FALSE(toolkit.IsWindowOpen(LiveViewWindow));
}

// The stopped wheel shows its first frame; while it plays the marker goes round.
TEST_F(SignalMenuTest, TheLiveViewsMarkerStandsAtTheFirstFrameWhileStopped) {
  Choose(ShowSignalItem);
  ASSERT_TRUE(PumpUntil([&] { return toolkit.Text(LiveRpmLabel) == "Stopped"; }, 2));
  const int32_t first = PatternPictureX(72000, 0);  // the 46 + 2 camshaft wheel's 720 degrees
  EXPECT_EQ(toolkit.PictureMarker(LivePicture), first);
  Click(StartStopButton);
  std::vector<int32_t> seen;
  PumpUntil(
      [&] {
        seen.push_back(toolkit.PictureMarker(LivePicture));
        return std::set<int32_t>(seen.begin(), seen.end()).size() >= 5;
      },
      5);
  EXPECT_GE(std::set<int32_t>(seen.begin(), seen.end()).size(), 5u);
  EXPECT_EQ(toolkit.Text(LiveRpmLabel), "1000 RPM");
  Click(StartStopButton);
  PumpUntil([&] { return toolkit.Text(LiveRpmLabel) == "Stopped"; }, 2);
  EXPECT_EQ(toolkit.PictureMarker(LivePicture), first);
}

// A cam phase change by the live view is ramped so that the cam moves at most a third as fast
// as the crank turns (no cam edge dropped or doubled), never quicker than 50 ms and never
// longer than a minute; stopped, it counts as 1 RPM.
TEST(CamPhaseRamp, TakesThreeTimesTheCranksTimeForTheDistance) {
  // clang-format off
  const struct { int32_t from, to; int64_t rpm; uint32_t ms; } cases[] = {
    {0, 0, 1000, 50},      {0, 900, 1000, 50},    {0, 900, 100, 450},     {-900, 900, 100, 900},
    {900, -900, 100, 900}, {0, 899, 70, 643},     {0, 1, 100, 50},        {0, 900, 0, 45000},
    {0, 900, -5, 45000},   {-900, 900, 1, 60000}, {-900, 900, 15000, 50}, {0, 899, 50, 899},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(CamPhaseRampMs(c.from, c.to, c.rpm), c.ms) << c.from << " " << c.to << " " << c.rpm;
  }
  // The crank's tenths of a degree in the ramp, rpm × 60 a second, at least three times the
  // cam's move wherever the minute does not cut it short.
  for (int64_t rpm : {50, 77, 1000, 3333, 7500, 15000}) {
    for (int32_t to = -900; to <= 900; to += 7) {
      const uint64_t ms = CamPhaseRampMs(-300, to, rpm);
      ASSERT_GE(static_cast<uint64_t>(rpm) * 60 * ms, 3000u * static_cast<uint64_t>(std::abs(to + 300)))
          << rpm << " " << to;
    }
  }
}

}  // namespace
}  // namespace vm::test
