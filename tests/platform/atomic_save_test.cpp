// Saves that fail leave the old file byte for byte and nothing beside it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/atomic_file.h"
#include "support/files.h"

namespace vm::test {
namespace {

const std::string kOld = "[General]\r\nType = precious\r\n";

class AtomicSaveTest : public ::testing::Test {
 protected:
  AtomicSaveTest() { WriteFile(dir_.Path("old.cfg"), kOld); }
  bool Save(const std::string& name) { return ReplaceFile(dir_.Path(name), "[General]\r\nType = new\r\n"); }
  void ExpectUntouched() {
    EXPECT_EQ(ReadFile(dir_.Path("old.cfg")), kOld);
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"old.cfg"});
  }
  ScratchDir dir_;
};

TEST_F(AtomicSaveTest, EveryFailingStepLeavesTheOldFileAndNoTemporary) {
  for (SaveFault fault : {SaveFault::CreateTemporary, SaveFault::WritePartway, SaveFault::Flush, SaveFault::Rename}) {
    SCOPED_TRACE(static_cast<int>(fault));
    SetSaveFaultForTesting(fault);
    EXPECT_FALSE(Save("old.cfg"));
    EXPECT_FALSE(Save("new.cfg"));
    SetSaveFaultForTesting(SaveFault::None);
    ExpectUntouched();
  }
}

TEST_F(AtomicSaveTest, MissingFolderCreatesNothing) {
  EXPECT_FALSE(Save("missing/wheel.cfg"));
  ExpectUntouched();
}

TEST_F(AtomicSaveTest, UnwritableFileOrFolderStaysAsItWas) {
  // Locking the file stops its save; locking the folder stops every save into it.
  for (const auto& [locked, other] : {std::pair(dir_.Path("old.cfg"), ""), std::pair(dir_.path(), "new.cfg")}) {
    Unwritable lock(locked);
    if (!lock.ok()) GTEST_SKIP() << "cannot make " << locked << " unwritable here";
    EXPECT_FALSE(Save("old.cfg"));
    if (*other) {
      EXPECT_FALSE(Save(other));
    }
    ExpectUntouched();
  }
}

TEST_F(AtomicSaveTest, SuccessKeepsPermissionsOwnerAndLinks) {
  ASSERT_EQ(::chmod(dir_.Path("old.cfg").c_str(), 0640), 0);
  const bool chowned = ::chown(dir_.Path("old.cfg").c_str(), 1234, 1234) == 0;  // only as root
  ASSERT_EQ(::symlink("old.cfg", dir_.Path("link.cfg").c_str()), 0);
  EXPECT_TRUE(ReplaceFile(dir_.Path("link.cfg"), "new"));
  EXPECT_EQ(ReadFile(dir_.Path("old.cfg")), "new");
  struct stat st {};
  ASSERT_EQ(::lstat(dir_.Path("link.cfg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(dir_.Path("old.cfg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_TRUE(!chowned || st.st_uid == 1234u);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"link.cfg", "old.cfg"}));
}

TEST_F(AtomicSaveTest, ReadingTellsHowTheFileOpened) {
  std::string bytes = "stale";
  EXPECT_EQ(ReadWholeFile(dir_.Path("none"), bytes), FileAccess::None);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(ReadWholeFile(dir_.path(), bytes), FileAccess::None);  // a folder is no file
  EXPECT_FALSE(ReplaceFile(dir_.path(), "x"));
  EXPECT_EQ(ReadWholeFile(dir_.Path("old.cfg"), bytes), FileAccess::ReadWrite);
  EXPECT_EQ(bytes, kOld);
  Unwritable lock(dir_.Path("old.cfg"));
  if (!lock.ok()) GTEST_SKIP() << "cannot make a file unwritable here";
  EXPECT_EQ(ReadWholeFile(dir_.Path("old.cfg"), bytes), FileAccess::ReadOnly);
}

TEST_F(AtomicSaveTest, AtomicWriteReplacesWholeFiles) {
  const std::string path = dir_.Path("image.wav");
  WriteFile(path, "a much longer old content than the new one");
  const std::string bytes("\x01\x02\x03", 3);
  ASSERT_TRUE(ReplaceFile(path, bytes));
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"image.wav", "old.cfg"}));
  EXPECT_FALSE(ReplaceFile(dir_.Path("no/x"), bytes));
}

}  // namespace
}  // namespace vm::test
