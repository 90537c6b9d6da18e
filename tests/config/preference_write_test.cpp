// Writing preference files: exact bytes, insertion points, pending groups, the lifecycle of
// failed Create and Open.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/preference_file.h"
#include "support/files.h"

namespace vm::test {
namespace {

TEST(PreferenceWriteTest, OpenEditCloseGivesExactBytes) {
  using Edit = std::function<void(PreferenceFile&)>;
  // file before, options, edit, file after
  // clang-format off
  const struct { std::string before; uint32_t options; Edit edit; std::string after; } cases[] = {
      {"a=1\n[G]\n", 2, [](PreferenceFile& f) { f.SelectGroup("G"); }, "a=1\n[G]\n"},  // unchanged: not written
      {"[General]\r\nType = a\r\n", 2, [](PreferenceFile& f) { f.SelectGroup("general"); f.WriteString("Name", "b"); },
       "[General]\r\nType = a\r\nName = b\r\n"},
      {"[G]\ntype = a\n", 2, [](PreferenceFile& f) { f.SelectGroup("G"); f.WriteString("TYPE", "b"); },
       "[G]\r\nTYPE = b\r\n"},
      {"[A]\na=1\n; c\n[B]\nb=2\n", 0, [](PreferenceFile& f) { f.SelectGroup("A"); f.WriteInt("c", -3); },
       "[A]\r\na = 1\r\n; c\r\nc = -3\r\n[B]\r\nb = 2\r\n"},
      {"x=1\n;c\n[G]\n", 2, [](PreferenceFile& f) { f.WriteInt("t", 2); }, "x = 1\r\n; c\r\nt = 2\r\n[G]\r\n"},
      {"[G]\nk=v\n", 2, [](PreferenceFile& f) { f.WriteString("t", ""); }, "t = \r\n[G]\r\nk = v\r\n"},
      {"[A]\n", 3, [](PreferenceFile& f) { f.SelectGroup("B"); f.WriteInt("k", INT32_MIN); },
       "[A]\r\n\r\n[B]\r\nk=-2147483648\r\n"},
      {"[G]\nA=1\nA=2\n[G]\nA=3\n", 0, [](PreferenceFile& f) { f.SelectGroup("G"); f.WriteInt("a", 9); },
       "[G]\r\na = 9\r\nA = 2\r\n[G]\r\nA = 3\r\n"},
      {"\xEF\xBB\xBF[G]\n", 2, [](PreferenceFile& f) { f.SelectGroup("G"); f.WriteString("\xE9", "\xFF"); },
       "\xEF\xBB\xBF\r\n[G]\r\n\xC3\xA9 = \xC3\xBF\r\n"},
      {"", 0, [](PreferenceFile& f) { f.SelectGroup("A\n"); f.WriteString("k\r", "1\r\n[B]\r\nx = 2"); },
       "[A ]\r\nk  = 1  [B]  x = 2\r\n"},  // line ends in what is written cannot add lines
  };
  // clang-format on
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    WriteFile(dir.Path("p.ini"), c.before);
    PreferenceFile file;
    ASSERT_TRUE(file.Open(dir.Path("p.ini"), c.options));
    c.edit(file);
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(dir.Path("p.ini")), c.after);
  }
}

TEST(PreferenceWriteTest, CreateWritesOnlyGroupsThatGotKeysAndOnlyAtClose) {
  ScratchDir dir;
  const std::string path = dir.Path("p.ini");
  WriteFile(path, "old\n");
  PreferenceFile file;
  ASSERT_TRUE(file.Create(path, OptionBlankLineBeforeGroups));
  EXPECT_EQ(file.ReadString("old", "absent"), "absent");  // an empty document
  EXPECT_FALSE(file.SelectGroup("A"));
  EXPECT_FALSE(file.SelectGroup("B"));
  file.WriteString("x", "1");
  EXPECT_EQ(file.KeyName(), "x");      // the cursor is on the written key
  EXPECT_EQ(ReadFile(path), "old\n");  // a save that dies here loses nothing
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), "[B]\r\nx = 1\r\n");

  ASSERT_TRUE(file.Create(path, 0));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), "");  // created and closed: emptied, as a created file always was
  EXPECT_EQ(dir.Names(), std::set<std::string>{"p.ini"});
}

TEST(PreferenceWriteTest, FailedCreateHoldsNothing) {
  ScratchDir dir;
  PreferenceFile file;
  EXPECT_FALSE(file.Create(dir.Path("missing/p.ini"), 2));
  EXPECT_FALSE(file.SelectGroup(""));
  file.WriteString("k", "v");
  EXPECT_EQ(file.ReadString("k", "d"), "d");
  EXPECT_FALSE(file.ExamineKeys());
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(dir.Names().empty());
}

TEST(PreferenceWriteTest, FailedOpenCreatesTheFileAtCloseOnlyWhenWritten) {
  ScratchDir dir;
  PreferenceFile file;
  EXPECT_FALSE(file.Open(dir.Path("a.ini"), 2));
  EXPECT_TRUE(file.SelectGroup(""));
  EXPECT_FALSE(file.SelectGroup("X"));
  EXPECT_FALSE(file.Open(dir.Path("b.ini"), 2));  // closes a.ini: nothing written, nothing created
  file.SelectGroup("X");
  file.WriteString("k", "v");
  EXPECT_EQ(file.ReadString("k", ""), "v");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(dir.Names(), std::set<std::string>{"b.ini"});
  EXPECT_EQ(ReadFile(dir.Path("b.ini")), "[X]\r\nk = v\r\n");
}

TEST(PreferenceWriteTest, ReadOnlyFileLosesTheChanges) {
  ScratchDir dir;
  const std::string path = dir.Path("p.ini");
  WriteFile(path, "k=v\n");
  Unwritable lock(path);
  if (!lock.ok()) GTEST_SKIP() << "cannot make a file unwritable here";
  PreferenceFile file;
  ASSERT_TRUE(file.Open(path, 0));
  EXPECT_EQ(file.ReadString("k", ""), "v");
  file.WriteString("k", "w");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadFile(path), "k=v\n");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"p.ini"});
}

}  // namespace
}  // namespace vm::test
