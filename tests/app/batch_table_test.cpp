// Editing the table on real widgets: where rows go, what is selected after, and which batch
// controls are usable at each moment.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>

#include "support/program_fixture.h"

namespace vm::test {
namespace {

using BatchTableTest = StartedProgram;

std::vector<BatchRow> Numbered(int count) {
  std::vector<BatchRow> rows;
  for (int i = 0; i < count; ++i) rows.push_back({std::to_string(i + 1), "1000", ""});
  return rows;
}

std::vector<std::string> Times(const std::vector<BatchRow>& rows) {
  std::vector<std::string> times;
  for (const BatchRow& row : rows) times.push_back(row[0]);
  return times;
}

struct Enabling {
  bool items;  // Edit, Del, Ins in MainMenu
  bool start;  // BatchStartButton
  bool loop;   // LoopCheckBox
  bool step;   // StepButton
  bool operator==(const Enabling&) const = default;
};

void PrintTo(const Enabling& e, std::ostream* out) {
  *out << "{items " << e.items << ", start " << e.start << ", loop " << e.loop << ", step " << e.step << "}";
}

class BatchEnablingTest : public StartedProgram {
 protected:
  Enabling Now() {
    const bool items = toolkit.IsMenuItemEnabled(MainMenu, StepEditItem);
    EXPECT_EQ(toolkit.IsMenuItemEnabled(MainMenu, StepDeleteItem), items);
    EXPECT_EQ(toolkit.IsMenuItemEnabled(MainMenu, StepInsertItem), items);
    EXPECT_TRUE(toolkit.IsMenuItemEnabled(MainMenu, StepAddItem));
    return {items, toolkit.IsEnabled(BatchStartButton), toolkit.IsEnabled(LoopCheckBox), toolkit.IsEnabled(StepButton)};
  }
};

TEST_F(BatchTableTest, InsertTakesTheSelectedRowsPlace) {
  AddRows(Numbered(5));
  ClickRow(2);
  Step(StepInsertItem, "new", "1000");  // digits only: "new" types as nothing
  Step(StepInsertItem, "99", "1000");
  EXPECT_EQ(Times(Rows()), (std::vector<std::string>{"1", "2", "99", "3", "4", "5"}));
}

TEST_F(BatchTableTest, InsertWithoutSelectionAppendsLikeAdd) {
  AddRows(Numbered(2));
  ASSERT_EQ(toolkit.State(BatchList), -1);
  Step(StepInsertItem, "9", "1000");
  EXPECT_EQ(Times(Rows()), (std::vector<std::string>{"1", "2", "9"}));
}

TEST_F(BatchTableTest, DeleteSelectsTheRowThatMovesUpOrTheNewLast) {
  AddRows(Numbered(3));
  ClickRow(1);
  Choose(StepDeleteItem);
  EXPECT_EQ(Times(Rows()), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(toolkit.State(BatchList), 1);
  Choose(StepDeleteItem);
  EXPECT_EQ(Times(Rows()), (std::vector<std::string>{"1"}));
  EXPECT_EQ(toolkit.State(BatchList), 0);
  Choose(StepDeleteItem);
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(toolkit.State(BatchList), -1);
}

TEST_F(BatchTableTest, DeleteAndEditWithoutSelectionDoNothing) {
  AddRows(Numbered(2));
  Choose(StepDeleteItem);
  Choose(StepEditItem);
  EXPECT_EQ(Rows().size(), 2u);
  EXPECT_FALSE(toolkit.IsWindowOpen(StepDialog));
}

TEST_F(BatchTableTest, KeysActAsTheirItems) {
  AddRows(Numbered(2));
  ClickRow(0);
  KeyInWindow(MainWindow, Qt::Key_Delete);
  EXPECT_EQ(Times(Rows()), (std::vector<std::string>{"2"}));
  KeyInWindow(MainWindow, Qt::Key_Return);  // Edit of the selected row
  ASSERT_TRUE(toolkit.IsWindowOpen(StepDialog));
  EXPECT_EQ(toolkit.Text(TimeEdit), "2");
}

TEST_F(BatchTableTest, DoubleClickEditsTheRow) {
  AddRows(Numbered(2));
  QTest::mouseDClick(static_cast<QTreeWidget*>(Widget(BatchList))->viewport(), Qt::LeftButton, {}, RowRect(1).center());
  Pump();
  Pump();  // the Edit it posted
  ASSERT_TRUE(toolkit.IsWindowOpen(StepDialog));
  EXPECT_EQ(toolkit.Text(TimeEdit), "2");
}

TEST_F(BatchTableTest, RightClickEnablesPopupItemsByRows) {
  QMenu* popup = ToolkitAccess::PopupMenu(toolkit, BatchPopupMenu);
  ASSERT_NE(popup, nullptr);
  auto* list = static_cast<QTreeWidget*>(Widget(BatchList));
  for (int rows : {0, 1}) {
    if (rows) AddRows(Numbered(1));
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 60),
                                 list->viewport()->mapToGlobal(QPoint(20, 60)));
    QApplication::sendEvent(list->viewport(), &rightClick);
    Pump();
    for (ItemId item : {StepEditItem, StepDeleteItem, StepInsertItem})
      EXPECT_EQ(toolkit.IsMenuItemEnabled(BatchPopupMenu, item), rows == 1) << item;
    EXPECT_TRUE(toolkit.IsMenuItemEnabled(BatchPopupMenu, StepAddItem));
    EXPECT_TRUE(popup->isVisible());
    popup->hide();
  }
}

TEST_F(BatchEnablingTest, OverTheProgramsMoments) {
  EXPECT_EQ(Now(), (Enabling{false, false, false, false}));  // program start
  AddRows(Numbered(2));
  EXPECT_EQ(Now(), (Enabling{true, true, true, false}));  // new rows: Step unchanged
  ClickRow(0);
  EXPECT_EQ(Now(), (Enabling{true, true, true, true}));  // the user selects
  toolkit.SetEnabled(BatchStartButton, false);
  toolkit.SetEnabled(LoopCheckBox, false);
  Step(StepEditItem, "5", "1000");
  EXPECT_EQ(Now(), (Enabling{true, true, true, true}));  // a replaced row enables Start, Loop
  QTest::mouseClick(static_cast<QTreeWidget*>(Widget(BatchList))->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    RowRect(0).center());
  Pump();
  EXPECT_EQ(toolkit.State(BatchList), -1);
  EXPECT_EQ(Now(), (Enabling{true, true, true, false}));  // the user clears the selection
  ClickRow(1);
  Choose(StepDeleteItem);
  EXPECT_EQ(Now(), (Enabling{true, true, true, true}));  // the program's selection: unchanged
  Choose(StepDeleteItem);
  EXPECT_EQ(Now(), (Enabling{false, false, false, false}));  // the table is empty
  Step(StepAddItem, "5", "1000");
  EXPECT_EQ(Now(), (Enabling{true, true, true, false}));
}

TEST_F(BatchEnablingTest, TheToneKeepsTheBatchButtonsOff) {
  AddRows(Numbered(1));
  Click(StartStopButton);
  ASSERT_EQ(toolkit.Text(StartStopButton), "Stop");
  EXPECT_EQ(Now(), (Enabling{true, false, false, false}));
  // Add stays usable during the tone, but a new row must not make a run possible beside it.
  Step(StepAddItem, "5", "1000");
  EXPECT_EQ(Rows().size(), 2u);
  EXPECT_EQ(Now(), (Enabling{true, false, false, false}));
  Click(StartStopButton);
  EXPECT_EQ(Now(), (Enabling{true, true, true, true}));
}

}  // namespace
}  // namespace vm::test
