// The step dialog on real widgets: its rule for Ok, what Ok writes, the Return walk, and
// closing and reopening.
#include "support/program_fixture.h"

namespace vm::test {
namespace {

using StepDialogTest = StartedProgram;

struct RuleCase {
  const char* time;
  const char* rpm1;
  const char* rpm2;
  bool ok;
};

// Readable test names: the three field texts as a batch line.
void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.time << '|' << c.rpm1 << '|' << c.rpm2; }

class StepDialogRule : public StartedProgram, public testing::WithParamInterface<RuleCase> {};

TEST_P(StepDialogRule, OkFollowsTheFields) {
  Choose(StepAddItem);
  ASSERT_TRUE(toolkit.IsWindowOpen(StepDialog));
  EXPECT_FALSE(toolkit.IsEnabled(StepOkButton));
  Type(TimeEdit, GetParam().time);
  Type(Rpm1Edit, GetParam().rpm1);
  Type(Rpm2Edit, GetParam().rpm2);
  EXPECT_EQ(toolkit.IsEnabled(StepOkButton), GetParam().ok)
      << GetParam().time << " / " << GetParam().rpm1 << " / " << GetParam().rpm2;
}

INSTANTIATE_TEST_SUITE_P(Cases, StepDialogRule,
                         testing::Values(RuleCase{"5000", "99", "", false}, RuleCase{"5000", "100", "", true},
                                         RuleCase{"", "100", "", true}, RuleCase{"5000", "1000", "0", true},
                                         RuleCase{"5000", "1000", "1", false}, RuleCase{"5000", "1000", "99", false},
                                         RuleCase{"5000", "1000", "100", true}, RuleCase{"0", "1000", "", true},
                                         RuleCase{"3000000000", "1000", "", false},
                                         RuleCase{"5000", "3000000000", "", false},
                                         RuleCase{"5000", "1000", "3000000000", false},
                                         RuleCase{"4294967296", "1000", "", true},  // low 32 bits 0
                                         RuleCase{"0500", "0100", "", true}, RuleCase{"5000", "", "", false}));

TEST_F(StepDialogTest, OkWithEmptyTimeClosesWithoutARow) {
  Choose(StepAddItem);
  Type(Rpm1Edit, "1000");
  ASSERT_TRUE(toolkit.IsEnabled(StepOkButton));
  Click(StepOkButton);
  EXPECT_FALSE(toolkit.IsWindowOpen(StepDialog));
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(toolkit.IsEnabled(BatchStartButton));
}

TEST_F(StepDialogTest, RowsKeepTheTextsAsTyped) {
  AddRows({{"0500", "1000", ""}, {"0", "0100", "0"}});
  EXPECT_EQ(Rows(), (std::vector<BatchRow>{{"0500", "1000", ""}, {"0", "0100", "0"}}));
}

TEST_F(StepDialogTest, EditOpensFilledWithOkDisabledAndReplacesTheRow) {
  AddRows({{"1000", "1000", "2000"}, {"2000", "3000", ""}});
  ClickRow(1);
  Choose(StepEditItem);
  EXPECT_EQ(toolkit.Text(TimeEdit), "2000");
  EXPECT_EQ(toolkit.Text(Rpm1Edit), "3000");
  EXPECT_EQ(toolkit.Text(Rpm2Edit), "");
  EXPECT_FALSE(toolkit.IsEnabled(StepOkButton));
  EXPECT_EQ(toolkit.FocusedControl(StepDialog), TimeEdit);
  Type(Rpm2Edit, "50");
  EXPECT_FALSE(toolkit.IsEnabled(StepOkButton));
  Type(Rpm2Edit, "500");
  Click(StepOkButton);
  EXPECT_EQ(Rows(), (std::vector<BatchRow>{{"1000", "1000", "2000"}, {"2000", "3000", "500"}}));
  EXPECT_EQ(toolkit.State(BatchList), 1);  // the selection stays
}

TEST_F(StepDialogTest, ReturnWalksTheFieldsThenConfirms) {
  Choose(StepAddItem);
  Type(TimeEdit, "5000");
  EXPECT_EQ(toolkit.FocusedControl(StepDialog), TimeEdit);
  KeyInWindow(StepDialog, Qt::Key_Return);
  EXPECT_EQ(toolkit.FocusedControl(StepDialog), Rpm1Edit);
  QTest::keyClicks(Widget(Rpm1Edit), "1000");
  Pump();
  KeyInWindow(StepDialog, Qt::Key_Return);
  EXPECT_EQ(toolkit.FocusedControl(StepDialog), Rpm2Edit);
  KeyInWindow(StepDialog, Qt::Key_Return);
  EXPECT_EQ(toolkit.FocusedControl(StepDialog), StepOkButton);
  EXPECT_TRUE(Rows().empty());
  KeyInWindow(StepDialog, Qt::Key_Return);
  Pump();  // the press it posted
  EXPECT_FALSE(toolkit.IsWindowOpen(StepDialog));
  EXPECT_EQ(Rows(), (std::vector<BatchRow>{{"5000", "1000", ""}}));
}

TEST_F(StepDialogTest, ReturnOnCancelCancels) {
  Choose(StepAddItem);
  Type(TimeEdit, "5000");
  Type(Rpm1Edit, "1000");
  toolkit.SetFocus(StepCancelButton);
  KeyInWindow(StepDialog, Qt::Key_Return);
  Pump();
  EXPECT_FALSE(toolkit.IsWindowOpen(StepDialog));
  EXPECT_TRUE(Rows().empty());
}

TEST_F(StepDialogTest, CancelAndCloseBoxChangeNothing) {
  AddRows({{"1000", "1000", ""}});
  for (bool closeBox : {false, true}) {
    Choose(StepAddItem);
    Type(TimeEdit, "5000");
    Type(Rpm1Edit, "1000");
    if (closeBox) ToolkitAccess::Window(toolkit, StepDialog)->close();
    else Click(StepCancelButton);
    Pump();
    EXPECT_FALSE(toolkit.IsWindowOpen(StepDialog)) << closeBox;
    EXPECT_EQ(Rows().size(), 1u) << closeBox;
  }
}

TEST_F(StepDialogTest, AskingAgainOpensAFreshDialog) {
  AddRows({{"1000", "1000", ""}});
  ClickRow(0);
  Choose(StepAddItem);
  Type(TimeEdit, "777");
  Choose(StepEditItem);  // replaces the Add dialog, discarding what was typed
  EXPECT_EQ(toolkit.Text(TimeEdit), "1000");
  EXPECT_FALSE(toolkit.IsEnabled(StepOkButton));
  Choose(StepInsertItem);
  EXPECT_EQ(toolkit.Text(TimeEdit), "");
}

TEST_F(StepDialogTest, OkAfterRowsWentWhileOpen) {
  AddRows({{"1", "1000", ""}, {"2", "1000", ""}, {"3", "1000", ""}});
  // Insert at row 2, then rows deleted under the open dialog: the new row is appended.
  ClickRow(2);
  Choose(StepInsertItem);
  Choose(StepDeleteItem);
  Choose(StepDeleteItem);
  Type(TimeEdit, "9");
  Type(Rpm1Edit, "1000");
  Click(StepOkButton);
  EXPECT_EQ(Rows(), (std::vector<BatchRow>{{"1", "1000", ""}, {"9", "1000", ""}}));
  // Edit of a row that has gone: nothing is written anywhere.
  ClickRow(1);
  Choose(StepEditItem);
  Choose(StepDeleteItem);
  Type(TimeEdit, "5");
  Click(StepOkButton);
  EXPECT_EQ(Rows(), (std::vector<BatchRow>{{"1", "1000", ""}}));
}

}  // namespace
}  // namespace vm::test
