// Saves that fail leave the old file byte for byte and nothing beside it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "config/wheel_config_file.h"
#include "platform/atomic_file.h"
#include "test_files.h"

namespace vm {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::Unwritable;
using testing::WriteBytes;

const std::string kOld = "[General]\r\nType = precious\r\n";

void SaveDefaults(const std::string& path) {
  const WheelConfig config = DefaultWheelConfig();
  SaveWheelConfig(path, config, PresetTexts(config));
}

TEST(AtomicSaveTest, EveryFailingStepLeavesTheOldFileAndNoTemporary) {
  const SaveFault faults[] = {SaveFault::CreateTemporary, SaveFault::WritePartway, SaveFault::Flush,
                              SaveFault::Rename};
  for (SaveFault fault : faults) {
    SCOPED_TRACE(static_cast<int>(fault));
    ScratchDir dir;
    WriteBytes(dir.Path("old.cfg"), kOld);
    SetSaveFaultForTesting(fault);
    SaveDefaults(dir.Path("old.cfg"));
    SaveDefaults(dir.Path("new.cfg"));
    EXPECT_FALSE(ReplaceFile(dir.Path("old.cfg"), "x"));
    SetSaveFaultForTesting(SaveFault::None);
    EXPECT_EQ(ReadBytes(dir.Path("old.cfg")), kOld);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"old.cfg"});
  }
}

TEST(AtomicSaveTest, MissingFolderCreatesNothing) {
  ScratchDir dir;
  SaveDefaults(dir.Path("missing/wheel.cfg"));
  EXPECT_FALSE(Exists(dir.Path("missing")));
  EXPECT_TRUE(dir.Names().empty());
}

TEST(AtomicSaveTest, UnwritableFileStaysAsItWas) {
  ScratchDir dir;
  WriteBytes(dir.Path("old.cfg"), kOld);
  Unwritable lock(dir.Path("old.cfg"));
  if (!lock.ok()) GTEST_SKIP() << "cannot make a file unwritable here";
  SaveDefaults(dir.Path("old.cfg"));
  EXPECT_EQ(ReadBytes(dir.Path("old.cfg")), kOld);
  EXPECT_EQ(dir.Names(), std::set<std::string>{"old.cfg"});
}

TEST(AtomicSaveTest, UnwritableFolderStaysAsItWas) {
  ScratchDir dir;
  WriteBytes(dir.Path("old.cfg"), kOld);
  Unwritable lock(dir.path());
  if (!lock.ok()) GTEST_SKIP() << "cannot make a folder unwritable here";
  SaveDefaults(dir.Path("old.cfg"));
  SaveDefaults(dir.Path("new.cfg"));
  EXPECT_EQ(ReadBytes(dir.Path("old.cfg")), kOld);
  EXPECT_EQ(dir.Names(), std::set<std::string>{"old.cfg"});
}

TEST(AtomicSaveTest, SuccessKeepsPermissionsAndLinks) {
  ScratchDir dir;
  WriteBytes(dir.Path("real.cfg"), kOld);
  ASSERT_EQ(::chmod(dir.Path("real.cfg").c_str(), 0640), 0);
  ASSERT_EQ(::symlink("real.cfg", dir.Path("link.cfg").c_str()), 0);
  EXPECT_TRUE(ReplaceFile(dir.Path("link.cfg"), "new"));
  EXPECT_EQ(ReadBytes(dir.Path("real.cfg")), "new");
  struct stat st {};
  ASSERT_EQ(::lstat(dir.Path("link.cfg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(dir.Path("real.cfg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"link.cfg", "real.cfg"}));
}

TEST(AtomicSaveTest, ReadingTellsHowTheFileOpened) {
  ScratchDir dir;
  std::string bytes = "stale";
  EXPECT_EQ(ReadWholeFile(dir.Path("none"), bytes), FileAccess::None);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(ReadWholeFile(dir.path(), bytes), FileAccess::None);  // a folder is no file
  EXPECT_FALSE(ReplaceFile(dir.path(), "x"));
  WriteBytes(dir.Path("f"), std::string("a\0b", 3));
  EXPECT_EQ(ReadWholeFile(dir.Path("f"), bytes), FileAccess::ReadWrite);
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  Unwritable lock(dir.Path("f"));
  if (!lock.ok()) GTEST_SKIP() << "cannot make a file unwritable here";
  EXPECT_EQ(ReadWholeFile(dir.Path("f"), bytes), FileAccess::ReadOnly);
}

}  // namespace
}  // namespace vm
