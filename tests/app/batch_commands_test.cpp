// File > Batch > Load and Save with scripted requesters and real files.
#include "platform/atomic_file.h"
#include "support/batch_example.h"
#include "support/heap_ceiling.h"
#include "support/program_fixture.h"

namespace vm::test {
namespace {

using BatchCommandsTest = StartedProgram;

TEST_F(BatchCommandsTest, LoadFillsTheTableSelectsRowZeroAndEnablesOnce) {
  WriteFile(Path("a.rbt"), kSevenLineBatch);
  LoadFile("a.rbt");
  ASSERT_EQ(requesters.calls.size(), 1u);
  const FileRequest& request = requesters.calls[0].request;
  EXPECT_EQ(request.title, "Load batch file");
  EXPECT_EQ(request.initialPath, Path("*.rbt"));
  EXPECT_EQ(request.filter, "RPM batch (*.rbt)|*.rbt");
  EXPECT_EQ(request.filterIndex, 0);
  EXPECT_EQ(Rows(), kSevenLineBatchRows);
  EXPECT_EQ(toolkit.State(BatchList), 0);
  EXPECT_TRUE(app->batch().BatchLoaded());
  for (ControlId id : {BatchStartButton, LoopCheckBox, StepButton}) EXPECT_TRUE(toolkit.IsEnabled(id)) << id;
  EXPECT_TRUE(toolkit.IsMenuItemEnabled(MainMenu, StepEditItem));
}

// A file mostly of comment, in each encoding: reading it takes memory of about its size once,
// and with less than that to spare the table stays as it was and the program goes on.
TEST_F(BatchCommandsTest, LoadNeedsMemoryOfTheFilesSizeOnceAndFailsQuietlyWithLess) {
  constexpr size_t kComment = 8 << 20;
  auto utf16 = [](const std::string& text) {
    std::string out = "\xFF\xFE";
    for (char c : text) out += std::string{c, '\0'};
    return out;
  };
  const std::string text = "1000|2000\r\n;" + std::string(kComment, 'x') + "\r\n3000|4000\r\n";
  const std::vector<BatchRow> before = {{"5000", "1000", ""}};
  AddRows(before);
  for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, utf16(text)}) {
    WriteFile(Path("big.rbt"), bytes);
    {
      const HeapCeiling tooLittle(bytes.size() / 2);
      LoadFile("big.rbt");
    }
    EXPECT_EQ(Rows(), before);
    {
      const HeapCeiling enough(bytes.size() + bytes.size() / 2);
      LoadFile("big.rbt");
    }
    EXPECT_EQ(Rows(), (std::vector<BatchRow>{{"1000", "2000", ""}, {"3000", "4000", ""}}));
    ClickRow(0);
    Choose(StepDeleteItem);
    Choose(StepDeleteItem);
    AddRows(before);
  }
}

TEST_F(BatchCommandsTest, LoadOverADeletedOutTableEnablesNothing) {
  WriteFile(Path("a.rbt"), "5000|1000\r\n");
  LoadFile("a.rbt");
  ClickRow(0);
  Choose(StepDeleteItem);
  ASSERT_FALSE(toolkit.IsEnabled(BatchStartButton));
  LoadFile("a.rbt");
  EXPECT_EQ(Rows().size(), 1u);
  EXPECT_EQ(toolkit.State(BatchList), 0);
  for (ControlId id : {BatchStartButton, LoopCheckBox, StepButton}) EXPECT_FALSE(toolkit.IsEnabled(id)) << id;
  EXPECT_FALSE(toolkit.IsMenuItemEnabled(MainMenu, StepEditItem));
  // A double click still edits; a new row through the dialog enables all but Step.
  QTest::mouseDClick(static_cast<QTreeWidget*>(Widget(BatchList))->viewport(), Qt::LeftButton, {}, RowRect(0).center());
  Pump();
  Pump();
  EXPECT_TRUE(toolkit.IsWindowOpen(StepDialog));
  Click(StepCancelButton);
  Step(StepAddItem, "1", "1000");
  EXPECT_TRUE(toolkit.IsMenuItemEnabled(MainMenu, StepEditItem));
  EXPECT_TRUE(toolkit.IsEnabled(BatchStartButton));
  EXPECT_TRUE(toolkit.IsEnabled(LoopCheckBox));
  EXPECT_FALSE(toolkit.IsEnabled(StepButton));
}

TEST_F(BatchCommandsTest, UnreadableOrCancelledLoadKeepsTheTable) {
  AddRows({{"1", "1000", ""}});
  LoadFile("missing.rbt");
  EXPECT_EQ(Rows().size(), 1u);
  Choose(BatchLoadItem);  // cancelled
  EXPECT_EQ(Rows().size(), 1u);
  // The cancel emptied batchPath: Save proposes the program's folder again.
  Choose(BatchSaveItem);
  EXPECT_EQ(requesters.calls.back().request.initialPath, Path("*.rbt"));
}

TEST_F(BatchCommandsTest, FileWithoutUsableLinesEmptiesTheTableKeepingEnabling) {
  AddRows({{"1", "1000", ""}});
  WriteFile(Path("none.rbt"), "; nothing\r\n0|1000\r\n");
  LoadFile("none.rbt");
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(toolkit.IsEnabled(BatchStartButton));
  EXPECT_FALSE(app->batch().BatchLoaded());
}

TEST_F(BatchCommandsTest, SaveWritesTheRowsExactly) {
  AddRows({{"5000", "1000", "3000"}, {"2000", "3000", ""}, {"0", "100", "0"}});
  requesters.saveAnswers.push_back(Path("run.rbt"));
  Choose(BatchSaveItem);
  const FileRequest& request = requesters.calls.back().request;
  EXPECT_EQ(request.title, "Save batch file");
  EXPECT_EQ(request.initialPath, Path("*.rbt"));
  EXPECT_EQ(request.filter, "RPM batch (*.rbt)|*.rbt");
  EXPECT_EQ(ReadFile(Path("run.rbt")), "5000|1000|3000\r\n2000|3000\r\n0|100|0\r\n");
  // The next save proposes the path last chosen.
  Choose(BatchSaveItem);
  EXPECT_EQ(requesters.calls.back().request.initialPath, Path("run.rbt"));
}

TEST_F(BatchCommandsTest, SaveOfAnEmptyTableWritesNoBytes) {
  WriteFile(Path("e.rbt"), "old");
  requesters.saveAnswers.push_back(Path("e.rbt"));
  Choose(BatchSaveItem);
  EXPECT_TRUE(FileExists(Path("e.rbt")));
  EXPECT_EQ(ReadFile(Path("e.rbt")), "");
}

TEST_F(BatchCommandsTest, SavedNamesEndInRbt) {
  AddRows({{"1", "1000", ""}});
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"Sweep", "Sweep.rbt"}, {"Sweep.RBT", "Sweep.RBT"}, {"sweep.txt", "sweep.txt.rbt"}};
  // clang-format on
  for (const auto& [chosen, written] : cases) {
    requesters.saveAnswers.push_back(Path(chosen));
    Choose(BatchSaveItem);
    EXPECT_EQ(ReadFile(Path(written)), "1|1000\r\n") << chosen;
    Choose(BatchSaveItem);  // proposes the name as written
    EXPECT_EQ(requesters.calls.back().request.initialPath, Path(written));
  }
  EXPECT_FALSE(FileExists(Path("Sweep")));
}

TEST_F(BatchCommandsTest, FailedSaveLeavesTheOldFile) {
  WriteFile(Path("keep.rbt"), "1|1000\r\n");
  AddRows({{"2", "2000", ""}});
  SetSaveFaultForTesting(SaveFault::WritePartway);
  requesters.saveAnswers.push_back(Path("keep.rbt"));
  Choose(BatchSaveItem);
  SetSaveFaultForTesting(SaveFault::None);
  EXPECT_EQ(ReadFile(Path("keep.rbt")), "1|1000\r\n");
}

}  // namespace
}  // namespace vm::test
