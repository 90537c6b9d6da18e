// Reading preference files: the line rules, integer reads, UTF-8 files and enumeration.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/preference_file.h"
#include "support/files.h"

namespace vm::test {
namespace {

const std::string kAbsent = "<absent>";

class PreferenceReadTest : public ::testing::Test {
 protected:
  PreferenceFile& OpenText(const std::string& text) {
    WriteFile(dir_.Path("p.ini"), text);
    EXPECT_TRUE(file_.Open(dir_.Path("p.ini"), OptionBlankLineBeforeGroups));
    return file_;
  }
  std::vector<std::string> KeyNames() {
    std::vector<std::string> names;
    while (file_.NextKey()) names.push_back(file_.KeyName());
    return names;
  }

  ScratchDir dir_;
  PreferenceFile file_;
};

TEST_F(PreferenceReadTest, LinesReadAsTheFormatSays) {
  // file text, group selected (empty: top section), whether it is found, key, ReadString
  // clang-format off
  const struct { std::string text, group; bool found; std::string key, expected; } cases[] = {
      {"   \r\n  \t[General]\r\nk=v\r\n", "General", true, "k", "v"},
      {"[ General ]\nk=v\n", "General", false, "k", kAbsent},
      {"[ General ]\nk=v\n", " General ", true, "k", "v"},
      {"[General] ; note\nk=v\n", "General", true, "k", "v"},
      {"[General\nk=v\n", "General", true, "k", "v"},
      {"[G]\n; k = 1\n", "G", true, "; k", kAbsent},
      {"[G]\n#note\n", "G", true, "#note", ""},
      {"[G]\nType=abc\n", "G", true, "Type", "abc"},
      {"[G]\nType  =   abc   \n", "G", true, "Type", "abc"},
      {"[G]\nType = a = b\n", "G", true, "Type", "a = b"},
      {"[G]\nType = 12 ; twelve\n", "G", true, "Type", "12 ; twelve"},
      {"[G]\r\nType\r\nX=1\r\n", "G", true, "Type", ""},
      {"[G]\nType\nX=1\n", "G", true, "Type", ""},
      {"[G]\rType\rX=1\r", "G", true, "Type", ""},
      {"[G]\ntype = 1\n", "G", true, "TYPE", "1"},
      {"[General]\nk=v\n", "gENERAL", true, "k", "v"},
      {"[RPM]\na=1\n[RPM]\nb=2\n", "RPM", true, "b", kAbsent},  // only the first header counts
      {"[G]\nA=1\na=2\n", "G", true, "A", "1"},
      {"k=v\n[G]\n", "", true, "k", "v"},
      {"[G]\nk=v\n", "", true, "k", kAbsent},
      {"[G]\nk = abc", "G", true, "k", "abc"},
      {"\r\n\r\r\n\n[G]\r\n\r\n\n\rk=v", "G", true, "k", "v"},
      {std::string("[G]\nk=a\0b\n", 9), "G", true, "k", std::string("a\0b", 3)},
      {"\xEF\xBB", "", true, "\xEF\xBB", ""},  // two bytes are no byte-order mark
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    PreferenceFile& file = OpenText(c.text);
    if (!c.group.empty()) { EXPECT_EQ(file.SelectGroup(c.group), c.found); }
    EXPECT_EQ(file.ReadString(c.key, kAbsent), c.expected);
  }
}

TEST_F(PreferenceReadTest, ReadIntTakesTheLeadingDecimalNumberAndWraps) {
  // clang-format off
  const struct { std::string value; int32_t expected; } cases[] = {
      {"12abc", 12}, {"+7", 7}, {"-3", -3}, {"0x10", 0}, {"1e3", 1}, {"abc", 0}, {"", 0}, {"$10", 0},
      {"- 5", 0}, {"-2147483648", INT32_MIN}, {"2147483648", INT32_MIN}, {"4294967297", 1},
      {"-2147483649", 2147483647}, {"99999999999", 1215752191}, {"99999999999999999999999", -159383553},
  };
  // clang-format on
  for (const auto& c : cases) {
    PreferenceFile& file = OpenText("k = " + c.value + "\n");
    EXPECT_EQ(file.ReadInt("k", 99), c.expected) << c.value;
    EXPECT_EQ(file.ReadInt("missing", 99), 99);
  }
}

TEST_F(PreferenceReadTest, EnumerationVisitsKeysOfTheGroupInFileOrder) {
  OpenText("top=0\n[A]\nx=1\n; note\nX=2\ny\n[B]\nz=3\n");
  ASSERT_TRUE(file_.ExamineKeys());
  EXPECT_EQ(KeyNames(), (std::vector<std::string>{"top"}));
  ASSERT_TRUE(file_.SelectGroup("A"));
  EXPECT_EQ(file_.KeyName(), "");  // the cursor is on the header
  EXPECT_EQ(KeyNames(), (std::vector<std::string>{"x", "X", "y"}));
  EXPECT_EQ(file_.KeyName(), "y");  // stays on the last key
  EXPECT_FALSE(file_.SelectGroup("C"));
  EXPECT_FALSE(file_.ExamineKeys());  // a pending group has no keys
  EXPECT_EQ(file_.ReadString("x", kAbsent), kAbsent);
}

TEST_F(PreferenceReadTest, CommentsSkipOneSpaceAfterTheSemicolon) {
  // Only what the comment's text holds shows: it is written back after "; ".
  OpenText(";  two spaces\n;none\n;\tand a tab\n[G]\nk=1\n");
  file_.SelectGroup("G");
  file_.WriteString("k", "2");
  EXPECT_TRUE(file_.Close());
  EXPECT_EQ(ReadFile(dir_.Path("p.ini")), ";  two spaces\r\n; none\r\n; \tand a tab\r\n[G]\r\nk = 2\r\n");
}

TEST_F(PreferenceReadTest, Utf8FilesHandBackEightBitText) {
  OpenText("\xEF\xBB\xBF[Z\xC3\xBCndrad]\n\xC3\xA9t\xC3\xA9=\xC3\xA9\nb=\xE2\x82\xAC\n");
  EXPECT_FALSE(file_.SelectGroup("Z\xC3\xBCndrad"));
  ASSERT_TRUE(file_.SelectGroup("z\xFCNDRAD"));          // the group's name too is converted, then compared
  EXPECT_EQ(file_.ReadString("\xE9T\xE9", ""), "\xE9");  // the name is converted, then compared
  EXPECT_EQ(file_.ReadString("b", ""), "?");
  ASSERT_TRUE(file_.NextKey());
  EXPECT_EQ(file_.KeyName(), "\xE9t\xE9");
}

TEST(Utf8ConversionTest, ToEightBitAndBack) {
  // clang-format off
  const struct { std::string in, out; } cases[] = {
      {"abc", "abc"}, {"\xC3\xA9", "\xE9"}, {"\xC2\x80", "\x80"}, {"\xC5\x93", "?"},  // beyond 255
      {"\xC3" "A", "?A"},         // no continuation: the next byte is read on its own
      {"A\xC3", "A"},             // lead byte at the end
      {"\xE2\x82\xAC!", "?!"}, {"\xF0\x9F\x98\x80x", "?x"},
      {"\xE2\x41\x42", "?AB"},    // continuation bytes are skipped only while they follow
      {"\xE2\x82", ""},           // too close to the end
      {"\x80\xBF\xF8\xFF", ""},   // stray and invalid bytes dropped
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(Utf8ToLatin1(c.in), c.out) << c.in;
  EXPECT_EQ(Latin1ToUtf8("a\xE9\xFF\x80"), "a\xC3\xA9\xC3\xBF\xC2\x80");
}

}  // namespace
}  // namespace vm::test
