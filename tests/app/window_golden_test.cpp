// The window, its menus and the About box as the user first sees them, written out as text
// and compared byte for byte with golden/main_window.txt: every place, caption, starting
// state and menu label at once. After an intended change, run with VELOMIRA_REWRITE_GOLDEN=1
// to rewrite the file, and read its diff before committing it.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <cstdlib>
#include <sstream>

#include "support/program_fixture.h"

namespace vm::test {
namespace {

using WindowGoldenTest = ProgramFixture;

void DescribeMenu(std::ostream& out, const QMenu& menu, const std::string& indent) {
  for (const QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      out << indent << "---\n";
      continue;
    }
    out << indent << action->text().toStdString() << (action->isEnabled() ? "" : " (off)")
        << (action->isCheckable() ? (action->isChecked() ? " [x]" : " [ ]") : "") << "\n";
    if (action->menu() != nullptr) DescribeMenu(out, *action->menu(), indent + "  ");
  }
}

void DescribeControls(std::ostream& out, Toolkit& toolkit) {
  for (int number = Number(TeethLabel); number <= Number(StepButton); ++number) {
    const ControlId id{number};
    int x, y, w, h;
    toolkit.Geometry(id, x, y, w, h);
    out << "control " << number << " at " << x << "," << y << " size " << w << "x" << h << " \"" << toolkit.Text(id)
        << "\"" << (toolkit.IsEnabled(id) ? "" : " (off)") << "\n";
  }
}

void DescribeStatusBar(std::ostream& out, const QMainWindow& main) {
  for (const QLabel* field : main.statusBar()->findChildren<QLabel*>())
    out << "status field width " << field->width() << ((field->alignment() & Qt::AlignHCenter) ? " centred" : "")
        << "\n";
}

void DescribeAbout(std::ostream& out, const ScriptedRequesters::Call& call) {
  out << "message box \"" << call.title << "\"" << (call.icon ? " with icon" : " without icon") << " over window "
      << call.ownerWindow << "\n"
      << call.text << "\n";
}

TEST_F(WindowGoldenTest, WindowMenusAndAboutAreAsWritten) {
  StartApp();
  const auto& main = *static_cast<QMainWindow*>(ToolkitAccess::Window(toolkit, MainWindow));
  std::ostringstream out;
  out << "window \"" << main.windowTitle().toStdString() << "\" " << toolkit.WindowWidth(MainWindow) << "x"
      << toolkit.WindowHeight(MainWindow) << "\n";
  DescribeControls(out, toolkit);
  DescribeStatusBar(out, main);
  out << "menu bar\n";
  for (const QAction* title : main.menuBar()->actions()) {
    out << "  " << title->text().toStdString() << "\n";
    DescribeMenu(out, *title->menu(), "    ");
  }
  out << "popup menu " << BatchPopupMenu << "\n";
  DescribeMenu(out, *ToolkitAccess::PopupMenu(toolkit, BatchPopupMenu), "  ");
  Choose(AboutItem);
  ASSERT_EQ(requesters.calls.size(), 1u);
  DescribeAbout(out, requesters.calls[0]);

  const std::string golden = std::string(VELOMIRA_GOLDEN_DIR) + "/main_window.txt";
  if (std::getenv("VELOMIRA_REWRITE_GOLDEN") != nullptr) WriteFile(golden, out.str());
  EXPECT_EQ(out.str(), ReadFile(golden)) << "after an intended change: VELOMIRA_REWRITE_GOLDEN=1";
}

// What the text cannot show: the controls sit below the menu bar, and each item delivers the
// MenuEvent of its own number.
TEST_F(WindowGoldenTest, ControlsStartBelowTheMenuBarAndItemsCarryTheirNumbers) {
  StartApp();
  const auto* main = static_cast<QMainWindow*>(ToolkitAccess::Window(toolkit, MainWindow));
  EXPECT_EQ(main->centralWidget()->y(), main->menuBar()->height());
  for (int item = Number(ConfigLoadItem); item <= Number(CamSignalItem); ++item)
    ASSERT_NE(ToolkitAccess::MenuAction(toolkit, MainMenu, ItemId{item}), nullptr) << item;
  EXPECT_EQ(ToolkitAccess::MenuAction(toolkit, MainMenu, ExitItem)->text(), "Exit");
  EXPECT_EQ(ToolkitAccess::MenuAction(toolkit, MainMenu, StepAddItem)->text(), "Add\tAlt-A");
}

}  // namespace
}  // namespace vm::test
