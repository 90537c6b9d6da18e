// The name dialog (the About box is in window_golden_test.cpp).

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

TEST_F(DialogsTest, PressesQueuedForADialogThatHasGoneDoNothing) {
  Choose(NameItem);
  Type(NameEdit, "VW 60-2");
  // A fast double click: both presses are queued before the first is handled.
  QTest::mouseClick(Widget(NameOkButton), Qt::LeftButton);
  QTest::mouseClick(Widget(NameOkButton), Qt::LeftButton);
  Pump();
  EXPECT_EQ(app->config().Type, "VW 60-2");
  EXPECT_EQ(toolkit.StatusText(NameField), "VW 60-2");
  EXPECT_FALSE(toolkit.IsWindowOpen(NameDialog));
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
