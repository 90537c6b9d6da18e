// Text as the user sees and types it: 8-bit, one byte a character (Latin-1) both ways, and a
// very long name shown only as far as anyone can read it.

#include <QLabel>
#include <QStatusBar>
#include <QTreeWidget>

#include "support/program_fixture.h"

namespace vm::test {
namespace {

class ShownTextTest : public ProgramFixture {
 protected:
  QString NameShown() {
    return ToolkitAccess::Window(toolkit, MainWindow)->findChild<QStatusBar*>()->findChild<QLabel*>()->text();
  }
  std::string SettingsAtTheEnd() {
    Choose(ExitItem);
    app->End();
    return ReadFile(exePath + ".ini");
  }
};

TEST_F(ShownTextTest, BytesShowAsLatin1AndAreWrittenBackUnchanged) {
  WriteSettings("[General]\r\nType = Z\xFCndrad \xA9\r\n");
  StartApp();
  EXPECT_EQ(NameShown(), QString::fromUtf8("Zündrad ©"));
  Choose(NameItem);
  Click(NameOkButton);
  // A batch file's bytes, and the 8-bit text the reader makes of UTF-8 and UTF-16.
  // clang-format off
  const std::pair<std::string, std::string> batches[] = {
      {"5000|1000|3000\xE9\r\n", "5000|1000|3000\xE9\r\n"},
      {"\xEF\xBB\xBF" "5000|1000|caf\xC3\xA9\r\n", "5000|1000|caf\xE9\r\n"},
      {std::string("\xFF\xFE" "5\0|\0" "1\0\xE9\0", 10), "5|1\xE9\r\n"},
  };
  // clang-format on
  for (const auto& [bytes, saved] : batches) {
    WriteFile(Path("in.rbt"), bytes);
    requesters.openAnswers.push_back(Path("in.rbt"));
    Choose(BatchLoadItem);
    requesters.saveAnswers.push_back(Path("out.rbt"));
    Choose(BatchSaveItem);
    EXPECT_EQ(ReadFile(Path("out.rbt")), saved);
  }
  EXPECT_EQ(static_cast<QTreeWidget*>(Widget(BatchList))->topLevelItem(0)->text(1), QString::fromUtf8("1é"));
  EXPECT_NE(SettingsAtTheEnd().find("Type = Z\xFCndrad \xA9\r\n"), std::string::npos);
}

TEST_F(ShownTextTest, TypedCharactersAreSavedAsLatin1OrQuestionMarks) {
  StartApp();
  Choose(NameItem);
  auto* edit = static_cast<QLineEdit*>(Widget(NameEdit));
  edit->clear();
  for (const char* typed : {"ü", "€", "😀", "é"})  // QTest::keyClicks types ASCII only
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString::fromUtf8(typed), Qt::NoModifier);
  Click(NameOkButton);
  EXPECT_NE(SettingsAtTheEnd().find("Type = \xFC??\xE9\r\n"), std::string::npos);
}

TEST_F(ShownTextTest, AVeryLongNameIsShownCutAndKeptWhole) {
  const std::string name(1 << 20, 'n');
  WriteSettings("[General]\r\nType = " + name + "\r\n");
  StartApp();
  EXPECT_LE(NameShown().size(), 256);
  Choose(NameItem);
  EXPECT_LE(ToolkitAccess::Window(toolkit, NameDialog)->windowTitle().size(), 256);
  Click(NameOkButton);
  EXPECT_NE(SettingsAtTheEnd().find("Type = " + name + "\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vm::test
