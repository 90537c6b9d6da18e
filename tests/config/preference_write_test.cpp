// Writing preference files: exact bytes, insertion points, pending groups, the lifecycle of
// failed Create and Open.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/preference_file.h"
#include "test_files.h"

namespace vm {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

struct WriteCase {
  const char* what;
  std::string before;  // file content before Open
  uint32_t options;
  std::function<void(PreferenceFile&)> edit;
  std::string after;
};

TEST(PreferenceWriteTest, OpenEditCloseGivesExactBytes) {
  const WriteCase cases[] = {
      {"unchanged file is not rewritten", "a=1\n[G]\n", 2, [](PreferenceFile& f) { f.SelectGroup("G"); },
       "a=1\n[G]\n"},
      {"existing group keeps its letter case", "[General]\r\nType = a\r\n", 2,
       [](PreferenceFile& f) { f.SelectGroup("general"); f.WriteString("Name", "b"); },
       "[General]\r\nType = a\r\nName = b\r\n"},
      {"replacing takes the new letter case", "[G]\ntype = a\n", 2,
       [](PreferenceFile& f) { f.SelectGroup("G"); f.WriteString("TYPE", "b"); }, "[G]\r\nTYPE = b\r\n"},
      {"new key goes after the group's last entry", "[A]\na=1\n; c\n[B]\nb=2\n", 0,
       [](PreferenceFile& f) { f.SelectGroup("A"); f.WriteInt("c", -3); },
       "[A]\r\na = 1\r\n; c\r\nc = -3\r\n[B]\r\nb = 2\r\n"},
      {"top section key before the first header", "x=1\n;c\n[G]\n", 2,
       [](PreferenceFile& f) { f.WriteInt("t", 2); }, "x = 1\r\n; c\r\nt = 2\r\n[G]\r\n"},
      {"top section key at the very start", "[G]\nk=v\n", 2, [](PreferenceFile& f) { f.WriteString("t", ""); },
       "t = \r\n[G]\r\nk = v\r\n"},
      {"pending group appended at the end", "[A]\n", 3,
       [](PreferenceFile& f) { f.SelectGroup("B"); f.WriteInt("k", INT32_MIN); },
       "[A]\r\n\r\n[B]\r\nk=-2147483648\r\n"},
      {"duplicates stay, the first is replaced", "[G]\nA=1\nA=2\n[G]\nA=3\n", 0,
       [](PreferenceFile& f) { f.SelectGroup("G"); f.WriteInt("a", 9); },
       "[G]\r\na = 9\r\nA = 2\r\n[G]\r\nA = 3\r\n"},
      {"UTF-8 file keeps its mark and gets UTF-8 text", "\xEF\xBB\xBF[G]\n", 2,
       [](PreferenceFile& f) { f.SelectGroup("G"); f.WriteString("\xE9", "\xFF"); },
       "\xEF\xBB\xBF\r\n[G]\r\n\xC3\xA9 = \xC3\xBF\r\n"},
  };
  ScratchDir dir;
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Path("p.ini");
    WriteBytes(path, c.before);
    PreferenceFile file;
    ASSERT_TRUE(file.Open(path, c.options));
    c.edit(file);
    file.Close();
    EXPECT_EQ(ReadBytes(path), c.after);
  }
}

TEST(PreferenceWriteTest, CreateWritesOnlyGroupsThatGotKeys) {
  ScratchDir dir;
  PreferenceFile file;
  ASSERT_TRUE(file.Create(dir.Path("p.ini"), OptionBlankLineBeforeGroups));
  EXPECT_FALSE(file.SelectGroup("A"));
  EXPECT_FALSE(file.SelectGroup("B"));
  file.WriteString("x", "1");
  EXPECT_EQ(file.KeyName(), "x");  // the cursor is on the written key
  file.Close();
  EXPECT_EQ(ReadBytes(dir.Path("p.ini")), "[B]\r\nx = 1\r\n");
}

TEST(PreferenceWriteTest, CreateReplacesTheFileOnlyAtClose) {
  ScratchDir dir;
  const std::string path = dir.Path("p.ini");
  WriteBytes(path, "old content\n");
  PreferenceFile file;
  ASSERT_TRUE(file.Create(path, 0));
  EXPECT_EQ(file.ReadString("old content", "absent"), "absent");  // an empty document
  EXPECT_EQ(ReadBytes(path), "old content\n");                     // still there until Close
  file.Close();
  EXPECT_EQ(ReadBytes(path), "");  // created and closed: an empty file, as before
  EXPECT_EQ(dir.Names(), std::set<std::string>{"p.ini"});
}

TEST(PreferenceWriteTest, FailedCreateHoldsNothing) {
  ScratchDir dir;
  const std::string path = dir.Path("missing/p.ini");
  PreferenceFile file;
  EXPECT_FALSE(file.Create(path, 2));
  EXPECT_FALSE(file.SelectGroup(""));
  file.WriteString("k", "v");
  EXPECT_EQ(file.ReadString("k", "d"), "d");
  EXPECT_FALSE(file.ExamineKeys());
  file.Close();
  EXPECT_FALSE(Exists(dir.Path("missing")));
}

TEST(PreferenceWriteTest, FailedOpenCreatesTheFileAtCloseOnlyWhenWritten) {
  ScratchDir dir;
  PreferenceFile file;
  EXPECT_FALSE(file.Open(dir.Path("a.ini"), 2));
  EXPECT_TRUE(file.SelectGroup(""));
  EXPECT_FALSE(file.SelectGroup("X"));
  file.Close();
  EXPECT_FALSE(Exists(dir.Path("a.ini")));

  EXPECT_FALSE(file.Open(dir.Path("b.ini"), 2));
  file.SelectGroup("X");
  file.WriteString("k", "v");
  EXPECT_EQ(file.ReadString("k", ""), "v");
  file.Close();
  EXPECT_EQ(ReadBytes(dir.Path("b.ini")), "[X]\r\nk = v\r\n");
}

TEST(PreferenceWriteTest, OpeningAnotherFileClosesTheFirst) {
  ScratchDir dir;
  PreferenceFile file;
  ASSERT_TRUE(file.Create(dir.Path("a.ini"), 0));
  file.WriteInt("k", 1);
  EXPECT_FALSE(file.Open(dir.Path("b.ini"), 0));
  EXPECT_EQ(ReadBytes(dir.Path("a.ini")), "k = 1\r\n");
  EXPECT_EQ(file.ReadInt("k", 7), 7);
}

TEST(PreferenceWriteTest, ReadOnlyFileLosesTheChanges) {
  ScratchDir dir;
  const std::string path = dir.Path("p.ini");
  WriteBytes(path, "k=v\n");
  testing::Unwritable lock(path);
  if (!lock.ok()) GTEST_SKIP() << "cannot make a file unwritable here";
  PreferenceFile file;
  ASSERT_TRUE(file.Open(path, 0));
  EXPECT_EQ(file.ReadString("k", ""), "v");
  file.WriteString("k", "w");
  file.Close();
  EXPECT_EQ(ReadBytes(path), "k=v\n");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"p.ini"});
}

}  // namespace
}  // namespace vm
