// The name dialog (the About box is in window_golden_test.cpp).

#include <functional>

#include "app/dialogs.h"
#include "support/program_fixture.h"

namespace vm::test {
namespace {

class DialogsTest : public StartedProgram {
 protected:
  std::string DialogTitle() {
    QWidget* dialog = ToolkitAccess::Window(toolkit, NameDialog);
    return dialog == nullptr ? "(closed)" : dialog->windowTitle().toStdString();
  }
};

TEST_F(DialogsTest, OkTakesAnyTextAsTheName) {
  for (const std::string name : {"VW 60-2", "", " [x] = ; y "}) {
    Choose(NameItem);
    Type(NameEdit, name);
    Click(NameOkButton);
    EXPECT_EQ(app->config().Type, name);
    EXPECT_EQ(toolkit.StatusText(NameField), name);
    EXPECT_FALSE(toolkit.IsWindowOpen(NameDialog));
  }
  Choose(NameItem);
  EXPECT_EQ(DialogTitle(), "Edit  [x] = ; y ");
  EXPECT_EQ(toolkit.Text(NameEdit), " [x] = ; y ");
}

// A fast double click on "Ok" or "Cancel": the second press is for a dialog that has gone and
// does nothing, in every dialog. Each dialog is filled with `v` and what it set is read back.
TEST_F(DialogsTest, PressesQueuedForADialogThatHasGoneDoNothing) {
  struct DialogCase {
    ItemId open;
    WindowId window;
    ControlId ok, cancel;
    std::function<void(const std::string& v)> fill;
    std::function<std::string()> result;
    std::string afterOk;
  };
  const DialogCase cases[] = {
      {NameItem, NameDialog, NameOkButton, NameCancelButton, [&](const std::string& v) { Type(NameEdit, "VW " + v); },
       [&] { return app->config().Type + "/" + toolkit.StatusText(NameField); }, "VW 1/VW 1"},
      {StepAddItem, StepDialog, StepOkButton, StepCancelButton,
       [&](const std::string& v) {
         Type(TimeEdit, v);
         Type(Rpm1Edit, "1000");
       },
       [&] { return testing::PrintToString(Rows()); },
       testing::PrintToString(std::vector<BatchRow>{{"1", "1000", ""}})},
      {CamSignalItem, CamDialog, CamOkButton, CamCancelButton,
       [&](const std::string& v) {
         Click(CamCheckBox);
         Type(CamAngleEdit, v);
         Type(CamWidthEdit, "6");
       },
       [&] {
         const SignalOptions& o = app->config().Signal;
         return std::to_string(o.cam) + "/" + std::to_string(o.camAngle) + "/" + std::to_string(o.camWidth);
       },
       "1/1/6"},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.window));
    Choose(c.open);
    c.fill("1");
    DoubleClick(c.ok);
    EXPECT_FALSE(toolkit.IsWindowOpen(c.window));
    EXPECT_EQ(c.result(), c.afterOk);
    Choose(c.open);
    c.fill("2");
    DoubleClick(c.cancel);
    EXPECT_FALSE(toolkit.IsWindowOpen(c.window));
    EXPECT_EQ(c.result(), c.afterOk);
  }
}

// The name may change while the dialog is open (a config loaded): "Ok" takes the field, and
// only a name too long for the field, left untouched, stays whole as it was at the opening.
TEST_F(DialogsTest, OkTakesTheFieldAlsoWhenTheNameChangedWhileOpen) {
  const std::string opened = Path("opened.cfg"), loaded = Path("loaded.cfg");
  WriteFile(loaded, "[General]\r\nType = Wheel60\r\n");
  for (const std::string& name : {std::string("no name"), std::string(40000, 'n')}) {
    WriteFile(opened, "[General]\r\nType = " + name + "\r\n");
    requesters.openAnswers.push_back(opened);
    Choose(ConfigLoadItem);
    Choose(NameItem);
    requesters.openAnswers.push_back(loaded);
    Choose(ConfigLoadItem);
    ASSERT_EQ(app->config().Type, "Wheel60");
    Click(NameOkButton);
    EXPECT_TRUE(app->config().Type == name) << app->config().Type.substr(0, 20) << " for " << name.substr(0, 20);
  }
}

TEST_F(DialogsTest, CancelAndCloseBoxChangeNothing) {
  Choose(NameItem);
  EXPECT_EQ(DialogTitle(), "Edit no name");
  EXPECT_EQ(toolkit.Text(NameEdit), "no name");
  Type(NameEdit, "other");
  Click(NameCancelButton);
  EXPECT_EQ(DialogTitle(), "(closed)");
  Choose(NameItem);
  Type(NameEdit, "other");
  ToolkitAccess::Window(toolkit, NameDialog)->close();
  Pump();
  EXPECT_EQ(DialogTitle(), "(closed)");
  EXPECT_EQ(app->config().Type, "no name");
  EXPECT_EQ(toolkit.StatusText(NameField), "no name");
}

TEST_F(DialogsTest, ReopeningDiscardsWhatWasTypedAndTheMainWindowStaysUsable) {
  Choose(NameItem);
  Type(NameEdit, "half typed");
  Click(StartStopButton);  // not modal
  EXPECT_EQ(toolkit.Text(StartStopButton), "Stop");
  Choose(NameItem);
  EXPECT_EQ(toolkit.Text(NameEdit), "no name");
  // Return in the dialog presses nothing.
  Key(NameEdit, Qt::Key_Return);
  EXPECT_TRUE(toolkit.IsWindowOpen(NameDialog));
  EXPECT_EQ(app->config().Type, "no name");
}

}  // namespace
}  // namespace vm::test
