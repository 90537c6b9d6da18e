// The main window as built and as a record shows in it.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

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
  EXPECT_FALSE(sound.HasSound());
}

TEST_F(MainWindowTest, ControlsHaveTheirPlacesCaptionsAndStartingStates) {
  StartApp();
  const struct {
    ControlId id;
    int x, y, w, h;
    const char* text;
    bool enabled;
  } controls[] = {
      {TeethLabel, 10, 10, 100, 20, "really available teeth", true},
      {TeethSpin, 110, 10, 40, 20, "46", true},
      {MissingLabel, 10, 40, 80, 20, "missing teeth", true},
      {MissingSpin, 110, 40, 40, 20, "2", true},
      {CamshaftOption, 200, 10, 70, 20, "Camshaft", true},
      {CrankshaftOption, 200, 30, 70, 20, "Crankshaft", true},
      {NoticeLabel, 104, 90, 92, 20, "Not for sale!", true},
      {StartStopButton, 90, 160, 50, 20, "Start", true},
      {RpmSlider, 10, 130, 200, 20, "", false},
      {RpmCombo, 220, 130, 70, 20, "1000", false},
      {SetButton, 220, 160, 50, 20, "Set", false},
      {BatchList, 310, 10, 200, 140, "", true},
      {BatchStartButton, 320, 160, 50, 20, "Start", false},
      {LoopCheckBox, 390, 160, 50, 20, "Loop", false},
      {StepButton, 450, 160, 50, 20, "Step", false},
  };
  for (const auto& c : controls) {
    EXPECT_EQ(Geometry(toolkit, c.id), (std::array{c.x, c.y, c.w, c.h})) << "control " << c.id;
    EXPECT_EQ(toolkit.Text(c.id), c.text) << "control " << c.id;
    EXPECT_EQ(toolkit.IsEnabled(c.id), c.enabled) << "control " << c.id;
  }
  EXPECT_EQ(toolkit.State(LoopCheckBox), 0);
  EXPECT_EQ(toolkit.ItemCount(BatchList), 0);
  // Controls sit below the menu bar: their area starts where the bar ends.
  const auto* main = static_cast<QMainWindow*>(ToolkitAccess::Window(toolkit, MainWindow));
  EXPECT_EQ(main->centralWidget()->y(), main->menuBar()->height());
  const auto fields = main->statusBar()->findChildren<QLabel*>();
  ASSERT_EQ(fields.size(), 2);
  EXPECT_EQ(fields[0]->width(), 150);
  EXPECT_EQ(fields[1]->width(), 50);
  EXPECT_TRUE(fields[0]->alignment() & Qt::AlignHCenter);
}

std::string MenuTree(const QMenu& menu, const std::string& indent) {
  std::string text;
  for (const QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      text += indent + "---\n";
    } else {
      text += indent + action->text().toStdString() + (action->isEnabled() ? "" : " (off)") +
              (action->isCheckable() ? (action->isChecked() ? " [x]" : " [ ]") : "") + "\n";
      if (action->menu() != nullptr) text += MenuTree(*action->menu(), indent + "  ");
    }
  }
  return text;
}

TEST_F(MainWindowTest, MenusHaveTheirLabelsOrderAndStartingStates) {
  StartApp();
  const auto* main = static_cast<QMainWindow*>(ToolkitAccess::Window(toolkit, MainWindow));
  std::string tree;
  for (const QAction* title : main->menuBar()->actions()) {
    tree += title->text().toStdString() + "\n" + MenuTree(*title->menu(), "  ");
  }
  EXPECT_EQ(tree,
            "File\n  Config\n    Load ...\n    Save ...\n  ---\n  Batch\n    Load...\n    Save...\n"
            "  ---\n  Exit\n"
            "Edit\n  Name\n  ---\n  Batch\n    Edit\tReturn (off)\n    Del\tDel (off)\n"
            "    Ins\tIns (off)\n    Add\tAlt-A\n"
            "Signal\n  Exact wheel speed [ ]\n  Cam signal...\n"
            "Help\n  About\n");
  EXPECT_EQ(MenuTree(*ToolkitAccess::PopupMenu(toolkit, BatchPopupMenu), ""), "Edit\nDel\nIns\nAdd\n");
  // The items carry their numbers: each delivers the MenuEvent of its own number.
  for (int item = Number(ConfigLoadItem); item <= Number(CamSignalItem); ++item) {
    ASSERT_NE(ToolkitAccess::MenuAction(toolkit, MainMenu, ItemId{item}), nullptr) << item;
  }
  EXPECT_EQ(ToolkitAccess::MenuAction(toolkit, MainMenu, ExitItem)->text(), "Exit");
  EXPECT_EQ(ToolkitAccess::MenuAction(toolkit, MainMenu, StepAddItem)->text(), "Add\tAlt-A");
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
  // Return in the field is item 6 (disabled here), not "Set"; Delete does not edit the field.
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
