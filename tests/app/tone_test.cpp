// The continuous tone and the RPM: "Start"/"Stop", the slider, the presets and "Set".

#include <QSlider>

#include "support/program_fixture.h"

namespace vm::test {
namespace {

class ToneTest : public StartedProgram {
 protected:
  bool MenuEnabled(ItemId item) { return toolkit.IsMenuItemEnabled(MainMenu, item); }
};

TEST_F(ToneTest, StartPlaysAndLocksTheWheelStopKeepsTheSoundLoaded) {
  Click(StartStopButton);
  EXPECT_EQ(toolkit.Text(StartStopButton), "Stop");
  EXPECT_TRUE(sound.HasSound());
  EXPECT_TRUE(sound.IsPlaying());
  for (ControlId id : kWheelControls) EXPECT_FALSE(toolkit.IsEnabled(id)) << id;
  for (ControlId id : kBatchControls) EXPECT_FALSE(toolkit.IsEnabled(id)) << id;
  EXPECT_TRUE(toolkit.IsEnabled(RpmSlider));
  EXPECT_TRUE(toolkit.IsEnabled(RpmCombo));
  EXPECT_FALSE(toolkit.IsEnabled(SetButton));
  EXPECT_FALSE(MenuEnabled(ConfigLoadItem));
  EXPECT_FALSE(MenuEnabled(BatchLoadItem));
  EXPECT_TRUE(MenuEnabled(ConfigSaveItem));

  Click(StartStopButton);
  EXPECT_EQ(toolkit.Text(StartStopButton), "Start");
  EXPECT_TRUE(sound.HasSound());
  EXPECT_FALSE(sound.IsPlaying());
  // The batch buttons become usable here even with an empty table.
  for (ControlId id : kWheelControls) EXPECT_TRUE(toolkit.IsEnabled(id)) << id;
  for (ControlId id : kBatchControls) EXPECT_TRUE(toolkit.IsEnabled(id)) << id;
  EXPECT_FALSE(toolkit.IsEnabled(RpmSlider));
  EXPECT_FALSE(toolkit.IsEnabled(RpmCombo));
  EXPECT_TRUE(MenuEnabled(ConfigLoadItem));
  EXPECT_TRUE(MenuEnabled(BatchLoadItem));
}

TEST_F(ToneTest, SliderMovesShowTwiceThePositionInTheField) {
  Click(StartStopButton);
  Widget(RpmSlider)->setFocus();
  Key(RpmSlider, Qt::Key_Right);
  EXPECT_EQ(toolkit.State(RpmSlider), 501);
  EXPECT_EQ(toolkit.Text(RpmCombo), "1002");
  Key(RpmSlider, Qt::Key_End);
  EXPECT_EQ(toolkit.Text(RpmCombo), "15000");
  Key(RpmSlider, Qt::Key_Home);
  EXPECT_EQ(toolkit.Text(RpmCombo), "100");
  EXPECT_TRUE(sound.IsPlaying());
  EXPECT_EQ(toolkit.State(RpmCombo), 0) << "the field's text is not a pick";
}

TEST_F(ToneTest, PickingAPresetAppliesItAtOnceAndLeavesSetAlone) {
  Click(StartStopButton);
  Key(RpmCombo, Qt::Key_Down);  // the next item of the list: 2000
  EXPECT_EQ(toolkit.State(RpmCombo), 1);
  EXPECT_EQ(toolkit.State(RpmSlider), 1000);
  EXPECT_EQ(toolkit.Text(RpmCombo), "2000");
  EXPECT_FALSE(toolkit.IsEnabled(SetButton));
  EXPECT_TRUE(sound.IsPlaying());
}

TEST_F(ToneTest, TypedRpmWaitsForSetThenIsEvenAndWithinRange) {
  Click(StartStopButton);
  // clang-format off
  const struct { const char* typed; int position; const char* shown; } cases[] = {
      {"3001", 1500, "3000"}, {"20000", 7500, "15000"}, {"abc", 50, "100"},   {"7", 50, "100"},
      {"2000", 1000, "2000"}, {"$BB8", 1500, "3000"},   {"-400", 50, "100"},  {" 2500x", 1250, "2500"},
      {"8589936592", 1000, "2000"},  // 2^33 + 2000: the low 32 bits of the half
  };
  // clang-format on
  for (const auto& c : cases) {
    Type(RpmCombo, c.typed);
    EXPECT_EQ(toolkit.State(RpmCombo), -1) << c.typed;
    EXPECT_TRUE(toolkit.IsEnabled(SetButton)) << c.typed;
    EXPECT_EQ(toolkit.Text(RpmCombo), c.typed) << "nothing happens before Set";
    Click(SetButton);
    EXPECT_EQ(toolkit.State(RpmSlider), c.position) << c.typed;
    EXPECT_EQ(toolkit.Text(RpmCombo), c.shown) << c.typed;
    EXPECT_FALSE(toolkit.IsEnabled(SetButton)) << c.typed;
  }
  EXPECT_EQ(toolkit.ItemCount(RpmCombo), 10) << "typed values never join the list";
}

TEST_F(ToneTest, StopDisablesAPendingSetAndShowsTheRpmTheNextStartPlays) {
  Click(StartStopButton);
  Type(RpmCombo, "2000");
  ASSERT_TRUE(toolkit.IsEnabled(SetButton));
  Click(StartStopButton);
  EXPECT_FALSE(toolkit.IsEnabled(SetButton));
  EXPECT_FALSE(sound.IsPlaying());
  EXPECT_EQ(toolkit.Text(RpmCombo), "1000");  // 2 x the slider, not the number never applied
}

// Teeth that are negative, or so many that a half tooth is no frame: "Start" leaves the output
// silent rather than play the wheel loaded before, which the window no longer shows.
TEST_F(ToneTest, StartWithAWheelThatCannotBeBuiltStaysSilent) {
  const std::string good = dir.Path("good.cfg"), bad = dir.Path("bad.cfg");
  WriteFile(good, "[General]\r\n");
  for (const char* teeth : {"-3", "700"}) {
    requesters.openAnswers.push_back(good);
    Choose(ConfigLoadItem);
    Click(StartStopButton);
    Click(StartStopButton);
    ASSERT_TRUE(sound.HasSound());
    WriteFile(bad, std::string("[General]\r\nAvailableTeeth = ") + teeth + "\r\n");
    requesters.openAnswers.push_back(bad);
    Choose(ConfigLoadItem);
    Click(StartStopButton);
    EXPECT_EQ(toolkit.Text(StartStopButton), "Stop");
    EXPECT_FALSE(sound.IsPlaying()) << teeth;
    Widget(RpmSlider)->setFocus();
    Key(RpmSlider, Qt::Key_Right);  // an RPM change finds no sound and builds none
    EXPECT_FALSE(sound.IsPlaying()) << teeth;
    Click(StartStopButton);
  }
}

TEST_F(ToneTest, WheelControlsWriteOnlyTheRecord) {
  Widget(TeethSpin)->setFocus();
  Key(TeethSpin, Qt::Key_Up);
  Key(MissingSpin, Qt::Key_Down);
  Click(CrankshaftOption);
  EXPECT_EQ(app->config().AvailableTeeth, 47);
  EXPECT_EQ(app->config().MissingTeeth, 1);
  EXPECT_EQ(app->config().WheelAt, Crankshaft);
  Click(CamshaftOption);
  EXPECT_EQ(app->config().WheelAt, Camshaft);
  EXPECT_FALSE(sound.HasSound()) << "no sound is built before Start";
  EXPECT_EQ(toolkit.State(RpmSlider), 500);
}

TEST_F(ToneTest, ASliderEventWhileStoppedLoadsAndPlays) {
  // What a batch run does: it moves the slider and posts the slider event.
  Post(UserEvent(ControlEvent, MainWindow, RpmSlider));
  EXPECT_TRUE(sound.HasSound());
  EXPECT_TRUE(sound.IsPlaying());
  EXPECT_EQ(toolkit.Text(RpmCombo), "1000");
  EXPECT_EQ(toolkit.Text(StartStopButton), "Start");
}

TEST_F(ToneTest, RunnerEventsApplyOnlyWhileTheirRunnerIsLive) {
  Event slider = UserEvent(RunnerSetSliderEvent, MainWindow, RpmSlider);
  slider.value = 1234;
  slider.generation = 77;  // never issued: a retired runner's
  Post(slider);
  Event step = UserEvent(ControlEvent, MainWindow, RpmSlider);
  step.generation = 77;
  Post(step);
  EXPECT_EQ(toolkit.State(RpmSlider), 500);
  EXPECT_FALSE(sound.HasSound()) << "a stopped runner's slider event must not start the tone";

  Event text = MakeEvent(RunnerStatusTextEvent, MainWindow, CountdownField);
  text.text = "4.9s";
  Post(text);  // generation 0: from the program itself
  EXPECT_EQ(toolkit.StatusText(CountdownField), "4.9s");
}

}  // namespace
}  // namespace vm::test
