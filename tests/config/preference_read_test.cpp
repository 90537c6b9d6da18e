// Reading preference files: the line rules, integer reads, UTF-8 files and enumeration.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/preference_file.h"
#include "test_files.h"

namespace vm {
namespace {

using testing::ScratchDir;
using testing::WriteBytes;

const std::string kAbsent = "<absent>";

class PreferenceReadTest : public ::testing::Test {
 protected:
  // Opens a file holding `text`; the object stays open for the test.
  PreferenceFile& OpenText(const std::string& text) {
    WriteBytes(dir_.Path("p.ini"), text);
    EXPECT_TRUE(file_.Open(dir_.Path("p.ini"), OptionBlankLineBeforeGroups));
    return file_;
  }
  std::vector<std::string> KeyNames() {
    std::vector<std::string> names;
    if (file_.ExamineKeys()) {
      while (file_.NextKey()) names.push_back(file_.KeyName());
    }
    return names;
  }

  ScratchDir dir_;
  PreferenceFile file_;
};

struct ReadCase {
  const char* what;
  std::string text;
  std::string group;   // selected before the read; empty: the top section
  bool groupFound;
  std::string key;
  std::string expected;
};

TEST_F(PreferenceReadTest, LinesReadAsTheFormatSays) {
  const ReadCase cases[] = {
      {"indented header after blank line", "   \r\n  \t[General]\r\nk=v\r\n", "General", true, "k", "v"},
      {"blanks inside brackets belong to the name", "[ General ]\nk=v\n", "General", false, "k", kAbsent},
      {"bracketed name with its blanks", "[ General ]\nk=v\n", " General ", true, "k", "v"},
      {"text after the bracket ignored", "[General] ; note\nk=v\n", "General", true, "k", "v"},
      {"header without closing bracket", "[General\nk=v\n", "General", true, "k", "v"},
      {"comment is not a key", "[G]\n; k = 1\n", "G", true, "; k", kAbsent},
      {"hash starts a key", "[G]\n#note\n", "G", true, "#note", ""},
      {"plain key", "[G]\nType=abc\n", "G", true, "Type", "abc"},
      {"blanks around name and value", "[G]\nType  =   abc   \n", "G", true, "Type", "abc"},
      {"value runs past a second equals", "[G]\nType = a = b\n", "G", true, "Type", "a = b"},
      {"semicolon inside a value", "[G]\nType = 12 ; twelve\n", "G", true, "Type", "12 ; twelve"},
      {"key without equals, CR LF", "[G]\r\nType\r\nX=1\r\n", "G", true, "Type", ""},
      {"key without equals, LF", "[G]\nType\nX=1\n", "G", true, "Type", ""},
      {"key without equals, CR", "[G]\rType\rX=1\r", "G", true, "Type", ""},
      {"key names ignore ASCII case", "[G]\ntype = 1\n", "G", true, "TYPE", "1"},
      {"group names ignore ASCII case", "[General]\nk=v\n", "gENERAL", true, "k", "v"},
      {"first of two groups of one name", "[RPM]\na=1\n[RPM]\nb=2\n", "RPM", true, "b", kAbsent},
      {"first of two keys of one name", "[G]\nA=1\na=2\n", "G", true, "A", "1"},
      {"top section right after open", "k=v\n[G]\n", "", true, "k", "v"},
      {"top section ends at the first header", "[G]\nk=v\n", "", true, "k", kAbsent},
      {"last line without a line end", "[G]\nk = abc", "G", true, "k", "abc"},
      {"runs of line ends", "\r\n\r\r\n\n[G]\r\n\r\n\n\rk=v", "G", true, "k", "v"},
      {"NUL bytes are ordinary bytes", std::string("[G]\nk=a\0b\n", 9), "G", true, "k", std::string("a\0b", 3)},
      {"two bytes are no byte-order mark", "\xEF\xBB", "", true, "\xEF\xBB", ""},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    PreferenceFile& file = OpenText(c.text);
    if (!c.group.empty()) {
      EXPECT_EQ(file.SelectGroup(c.group), c.groupFound);
    }
    EXPECT_EQ(file.ReadString(c.key, kAbsent), c.expected);
    file.Close();
  }
}

TEST_F(PreferenceReadTest, ReadIntTakesTheLeadingDecimalNumberAndWraps) {
  const struct { std::string value; int32_t expected; } cases[] = {
      {"12abc", 12}, {"+7", 7}, {"-3", -3}, {"0x10", 0}, {"1e3", 1}, {"abc", 0}, {"", 0},
      {"$10", 0}, {"- 5", 0}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
      {"2147483648", INT32_MIN}, {"4294967297", 1}, {"-2147483649", 2147483647},
      {"99999999999", 1215752191}, {"99999999999999999999999", -159383553},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    PreferenceFile& file = OpenText("k = " + c.value + "\n");
    EXPECT_EQ(file.ReadInt("k", 99), c.expected);
    EXPECT_EQ(file.ReadInt("missing", 99), 99);
    file.Close();
  }
}

TEST_F(PreferenceReadTest, EnumerationVisitsKeysOfTheGroupInFileOrder) {
  OpenText("top=0\n[A]\nx=1\n; note\nX=2\ny\n[B]\nz=3\n");
  EXPECT_EQ(KeyNames(), (std::vector<std::string>{"top"}));
  ASSERT_TRUE(file_.SelectGroup("A"));
  EXPECT_EQ(file_.KeyName(), "");  // the cursor is on the header
  EXPECT_EQ(KeyNames(), (std::vector<std::string>{"x", "X", "y"}));
  EXPECT_FALSE(file_.NextKey());  // stays at the last key
  EXPECT_EQ(file_.KeyName(), "y");
  EXPECT_FALSE(file_.SelectGroup("C"));
  EXPECT_FALSE(file_.ExamineKeys());  // a pending group has no keys
  EXPECT_EQ(file_.ReadString("x", kAbsent), kAbsent);
}

TEST_F(PreferenceReadTest, HugeLinesAndEmptyFiles) {
  const std::string longValue(1 << 20, 'x');
  OpenText("[G]\nk = " + longValue + "\n");
  ASSERT_TRUE(file_.SelectGroup("G"));
  EXPECT_EQ(file_.ReadString("k", ""), longValue);
  OpenText("");
  EXPECT_FALSE(file_.SelectGroup("G"));
  EXPECT_EQ(file_.ReadInt("k", 5), 5);
}

TEST_F(PreferenceReadTest, Utf8FilesHandBackEightBitText) {
  OpenText("\xEF\xBB\xBF[G]\n\xC3\xA9t\xC3\xA9=\xC3\xA9\nb=\xE2\x82\xAC\n");
  ASSERT_TRUE(file_.SelectGroup("G"));
  EXPECT_EQ(file_.ReadString("\xE9T\xE9", ""), "\xE9");  // the name is converted before comparing
  EXPECT_EQ(file_.ReadString("b", ""), "?");
  ASSERT_TRUE(file_.NextKey());
  EXPECT_EQ(file_.KeyName(), "\xE9t\xE9");
}

TEST(Utf8ConversionTest, ToEightBit) {
  const struct { std::string in, out; } cases[] = {
      {"abc", "abc"},
      {"\xC3\xA9", "\xE9"},
      {"\xC2\x80", "\x80"},
      {"\xC5\x93", "?"},              // beyond 255
      {"\xC3" "A", "?A"},             // no continuation: the next byte is read on its own
      {"A\xC3", "A"},                 // lead byte at the end
      {"\xE2\x82\xAC!", "?!"},
      {"\xE2\x41\x42", "?AB"},        // continuation bytes skipped only while they follow
      {"\xE2\x82", ""},               // too close to the end
      {"\xF0\x9F\x98\x80x", "?x"},
      {"\x80\xBF\xF8\xFF", ""},       // stray and invalid bytes dropped
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToLatin1(c.in), c.out) << c.in;
  EXPECT_EQ(Latin1ToUtf8("a\xE9\xFF\x80"), "a\xC3\xA9\xC3\xBF\xC2\x80");
}

}  // namespace
}  // namespace vm
