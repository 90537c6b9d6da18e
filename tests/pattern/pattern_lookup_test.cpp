// Where patterns are found: the folders in their order, a name's file, and the listing.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pattern/pattern_file.h"
#include "pattern/pattern_library.h"
#include "support/files.h"
#include "support/heap_ceiling.h"
#include "support/scoped_env.h"

namespace vm {
namespace {

using test::ScopedEnv;
using test::ScratchDir;
using test::WriteFile;

struct UserFolderCase {
  const char* xdgDataHome;
  const char* home;
  const char* folder;
};

// clang-format off
const UserFolderCase kUserFolders[] = {
  {"/data",     "/home/u", "/data/velomira/patterns"},
  {"/data/",    "/home/u", "/data/velomira/patterns"},
  {"data",      "/home/u", "/home/u/.local/share/velomira/patterns"},  // relative: ignored
  {"",          "/home/u", "/home/u/.local/share/velomira/patterns"},
  {"",          "",        ""},
};
// clang-format on

TEST(PatternLookup, UserFolderFollowsXdgDataHome) {
  for (const UserFolderCase& c : kUserFolders) {
    SCOPED_TRACE(std::string(c.xdgDataHome) + " " + c.home);
    ScopedEnv data("XDG_DATA_HOME", c.xdgDataHome);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(UserPatternFolder(), c.folder);
  }
}

TEST(PatternLookup, FoldersAreUserThenPortableThenInstalled) {
  ScopedEnv data("XDG_DATA_HOME", "/data");
  EXPECT_EQ(PatternFolders("/opt/vm/bin/velomira-render"),
            (std::vector<std::string>{"/data/velomira/patterns", "/opt/vm/bin/patterns", "/opt/vm/patterns",
                                      "/usr/share/velomira/patterns"}));
  // An installed program has no portable folder, even where /usr/bin/patterns could exist.
  EXPECT_EQ(PatternFolders("/usr/bin/velomira-render"),
            (std::vector<std::string>{"/data/velomira/patterns", "/usr/share/velomira/patterns"}));
}

std::string PatternText(const std::string& name, const std::string& description) {
  return "name " + name + "\ndescription " + description + "\ncycle 360\ncrank teeth 1\n";
}

TEST(PatternLookup, FirstFolderWithTheNameWins) {
  ScratchDir dir;
  const std::string user = dir.Path("user"), portable = dir.Path("portable"), installed = dir.Path("installed");
  for (const std::string& folder : {user, portable, installed}) std::filesystem::create_directory(folder);
  WriteFile(portable + "/a.pattern", PatternText("a", "portable a"));
  WriteFile(user + "/a.pattern", PatternText("a", "user a"));
  WriteFile(installed + "/b.pattern", PatternText("b", "installed b"));
  WriteFile(installed + "/a.pattern", PatternText("a", "installed a"));
  WriteFile(installed + "/c.pattern", "name c\n");
  WriteFile(installed + "/notes.txt", "not a pattern");
  std::filesystem::create_directory(installed + "/d.pattern");  // a folder is no pattern
  const std::vector<std::string> folders = {user, dir.Path("missing"), portable, installed};

  EXPECT_EQ(FindPatternFile("a", folders), user + "/a.pattern");
  EXPECT_EQ(FindPatternFile("b", folders), installed + "/b.pattern");
  EXPECT_EQ(FindPatternFile("d", folders), "");
  EXPECT_EQ(FindPatternFile("../installed/b", {user}), "");
  EXPECT_EQ(FindPatternFile("", folders), "");

  EXPECT_EQ(PatternListText(ListPatterns(folders)),
            "a  user a\n"
            "b  installed b\n"
            "c  (unreadable: line 2, column 1: expected a description line)\n");
}

// Only files named NAME.pattern with a pattern name are listed, the names padded to the
// longest; a path or a name ending in ".pattern" names a file, anything else the library.
TEST(PatternLookup, ListingTakesPatternNamesOnlyAndPathsAreFiles) {
  ScratchDir dir;
  for (const char* file : {"a-long_name+1.0.pattern", "x.pattern", ".hidden.pattern", "a b.pattern", ".pattern",
                           "x.pattern~", "x.PATTERN"}) {
    WriteFile(dir.Path(file), PatternText("x", "d"));
  }
  EXPECT_EQ(PatternListText(ListPatterns({dir.path()})),
            "a-long_name+1.0  d\n"
            "x                d\n");
  const std::vector<std::string> folders = {dir.path()};
  // clang-format off
  const struct { const char* text; std::string path; } choices[] = {
    {"x", dir.Path("x.pattern")}, {"x.pattern", "x.pattern"}, {"sub/x", "sub/x"}, {"/abs", "/abs"},
    {"a b", ""}, {".hidden", ""}, {"missing", ""},
  };
  // clang-format on
  for (const auto& c : choices) EXPECT_EQ(PatternPathOf(c.text, folders), c.path) << c.text;
}

TEST(PatternLookup, LoadRefusesMissingAndOversizedFilesUnread) {
  ScratchDir dir;
  EXPECT_EQ(PatternErrorText(LoadPatternFile(dir.Path("none.pattern")).error),
            "expected a readable pattern file at " + dir.Path("none.pattern"));
  // A sparse file of 1 GiB: refused by its size, never read into memory (a read would throw).
  const std::string huge = dir.Path("huge.pattern");
  WriteFile(huge, "");
  std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);
  const test::HeapCeiling ceiling(1 << 20);
  EXPECT_EQ(PatternErrorText(LoadPatternFile(huge).error), "line 1, column 1: expected a file of at most 65536 bytes");
}

}  // namespace
}  // namespace vm
