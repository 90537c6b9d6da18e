// The main window as built and as a record shows in it.

#include <array>

#include "app/main_window.h"
#include "support/program_fixture.h"

namespace vm::test {
namespace {

using MainWindowTest = ProgramFixture;

std::array<int, 4> Geometry(Toolkit& toolkit, ControlId id) {  // x, y, width, height
  int x, y, w, h;
  toolkit.Geometry(id, x, y, w, h);
  return {x, y, w, h};
}

TEST_F(MainWindowTest, DefaultWheelShowsAsAtFirstStart) {
  StartApp();
  EXPECT_EQ(ToolkitAccess::Window(toolkit, MainWindow)->windowTitle().toStdString(), "Velomira V0.17");
  EXPECT_EQ(toolkit.WindowWidth(MainWindow), 530);
  EXPECT_EQ(toolkit.WindowHeight(MainWindow), 230);
  EXPECT_EQ(toolkit.State(CamshaftOption), 1);
  EXPECT_EQ(toolkit.State(CrankshaftOption), 0);
  ASSERT_EQ(toolkit.ItemCount(RpmCombo), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(toolkit.ItemText(RpmCombo, i), std::to_string(1000 * (i + 1)));
  EXPECT_EQ(toolkit.State(RpmCombo), 0);
  EXPECT_EQ(toolkit.State(RpmSlider), 500);
  EXPECT_EQ(toolkit.StatusText(NameField), "no name");
  EXPECT_EQ(toolkit.State(LoopCheckBox), 0);
  EXPECT_EQ(toolkit.ItemCount(BatchList), 0);
  EXPECT_FALSE(sound.HasSound());
}

TEST_F(MainWindowTest, SizeBoundsKeepTheWidthAndLetTheHeightGrow) {
  StartApp();
  QWidget* window = ToolkitAccess::Window(toolkit, MainWindow);
  // clang-format off
  const struct { int w, h, wantW, wantH; } cases[] = {
      {100, 100, 300, 230}, {900, 230, 530, 230}, {400, 2000, 400, 2000}, {530, 230, 530, 230}};
  // clang-format on
  for (const auto& c : cases) {
    window->resize(c.w, c.h);
    EXPECT_EQ(toolkit.WindowWidth(MainWindow), c.wantW) << c.w << "x" << c.h;
    EXPECT_EQ(toolkit.WindowHeight(MainWindow), c.wantH) << c.w << "x" << c.h;
  }
}

TEST(SliderFromPresets, FirstPresetTruncatesTwiceInWrappingArithmetic) {
  // clang-format off
  const struct { std::vector<int32_t> presets; int32_t position; } cases[] = {
      {{1000, 2000}, 500},
      {{1010}, 505},
      {{1002}, 500},        // not 501: v = 11222, then 56110 / 112
      {{}, 0},              // no first preset
      {{-5}, -2},
      {{20000}, 10000},     // the slider then holds it to 7500
      {{19173962}, -9586980},  // p0 × 112 passes 2^31 and wraps
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(SliderPositionForPresets(c.presets), c.position) << (c.presets.empty() ? -1 : c.presets.front());
  }
}

TEST_F(MainWindowTest, SettingsOutsideTheControlsShowAsBoundsAndStayInTheRecord) {
  WriteSettings(
      "[General]\r\nType = odd\r\nAvailableTeeth = 5\r\nMissingTeeth = 9\r\n"
      "WheelAt = crankshaft\r\n\r\n[RPM]\r\n1 = 1002\r\n2 = -40\r\n");
  StartApp();
  EXPECT_EQ(toolkit.State(TeethSpin), 10);
  EXPECT_EQ(toolkit.State(MissingSpin), 4);
  EXPECT_EQ(app->config().AvailableTeeth, 5);
  EXPECT_EQ(app->config().MissingTeeth, 9);
  EXPECT_EQ(toolkit.State(CrankshaftOption), 1);
  EXPECT_EQ(toolkit.State(CamshaftOption), 0);
  EXPECT_EQ(toolkit.ItemText(RpmCombo, 1), "-40");
  EXPECT_EQ(toolkit.State(RpmSlider), 500);
  EXPECT_EQ(toolkit.Text(RpmCombo), "1002");  // the slider row has not run yet
  EXPECT_EQ(toolkit.StatusText(NameField), "odd");
}

TEST_F(MainWindowTest, EmptyPresetListLeavesNothingSelectedAndTheSliderAtItsMinimum) {
  WriteSettings("[General]\r\nType = x\r\n[RPM]\r\n");
  StartApp();
  EXPECT_EQ(toolkit.ItemCount(RpmCombo), 0);
  EXPECT_EQ(toolkit.State(RpmCombo), -1);
  EXPECT_EQ(toolkit.Text(RpmCombo), "");
  EXPECT_EQ(toolkit.State(RpmSlider), 50);
}

TEST_F(MainWindowTest, ShortcutKeysGoToTheMenuNotToTheFocusedField) {
  StartApp();
  Click(StartStopButton);
  Type(RpmCombo, "3000");
  ASSERT_TRUE(toolkit.IsEnabled(SetButton));
  // Return in the field is StepEditItem (disabled here), not "Set"; Delete does not edit the field.
  Key(RpmCombo, Qt::Key_Return);
  QLineEdit* field = static_cast<QComboBox*>(Widget(RpmCombo))->lineEdit();
  field->setCursorPosition(0);
  QTest::keyClick(field, Qt::Key_Delete);
  Pump();
  EXPECT_EQ(toolkit.Text(RpmCombo), "3000");
  EXPECT_EQ(toolkit.State(RpmSlider), 500);
  EXPECT_TRUE(toolkit.IsEnabled(SetButton));
}

TEST_F(MainWindowTest, BatchControlsFollowTheHeightOnlyOnceABatchFileWasLoaded) {
  StartApp();
  QWidget* window = ToolkitAccess::Window(toolkit, MainWindow);
  window->resize(530, 330);
  Pump();
  EXPECT_EQ(Geometry(toolkit, BatchList), (std::array{310, 10, 200, 140}));
  EXPECT_EQ(Geometry(toolkit, StepButton), (std::array{450, 160, 50, 20}));

  const std::string batchFile = Path("steps.rbt");
  WriteFile(batchFile, "1000|1000|2000\r\n");
  requesters.openAnswers.push_back(batchFile);
  Choose(BatchLoadItem);
  ASSERT_TRUE(app->batch().BatchLoaded());
  window->resize(530, 331);
  Pump();
  EXPECT_EQ(Geometry(toolkit, BatchList), (std::array{310, 10, 200, 241}));
  for (ControlId id : {BatchStartButton, LoopCheckBox, StepButton}) EXPECT_EQ(Geometry(toolkit, id)[1], 261) << id;
  EXPECT_EQ(Geometry(toolkit, LoopCheckBox), (std::array{390, 261, 50, 20}));
  // Narrowing to the minimum hides the batch controls; nothing moves sideways.
  window->resize(300, 230);
  Pump();
  EXPECT_EQ(Geometry(toolkit, BatchList), (std::array{310, 10, 200, 140}));
  EXPECT_EQ(Geometry(toolkit, BatchStartButton), (std::array{320, 160, 50, 20}));
  EXPECT_LT(window->width(), 310);
}

}  // namespace
}  // namespace vm::test
