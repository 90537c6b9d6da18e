// Saves that fail leave the old file byte for byte and nothing beside it.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "platform/atomic_file.h"
#include "support/files.h"

namespace vm::test {
namespace {

const std::string kOld = "[General]\r\nType = precious\r\n";
const std::string kNew = "[General]\r\nType = new\r\n";

class AtomicSaveTest : public ::testing::Test {
 protected:
  AtomicSaveTest() { WriteFile(dir_.Path("old.cfg"), kOld); }
  bool Save(const std::string& name) { return ReplaceFile(dir_.Path(name), kNew); }
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

// A failed save says why: the system's reason, or another save of the same file running.
TEST_F(AtomicSaveTest, FailuresSayWhy) {
  std::string failure;
  EXPECT_FALSE(ReplaceFile(dir_.Path("missing/wheel.cfg"), kNew, &failure));
  EXPECT_EQ(failure, "No such file or directory");
  EXPECT_FALSE(ReplaceFile(dir_.path(), kNew, &failure));
  EXPECT_EQ(failure, "Is a directory");
  AtomicFileWriter running;
  ASSERT_TRUE(running.Open(dir_.Path("old.cfg")));
  EXPECT_FALSE(ReplaceFile(dir_.Path("old.cfg"), kNew, &failure));
  EXPECT_EQ(failure, "in use by another save");
  running.Abandon();
  SetSaveFaultForTesting(SaveFault::Flush);
  EXPECT_FALSE(ReplaceFile(dir_.Path("old.cfg"), kNew, &failure));
  SetSaveFaultForTesting(SaveFault::None);
  EXPECT_FALSE(failure.empty());
  ExpectUntouched();
}

TEST_F(AtomicSaveTest, UnwritableFileOrFolderStaysAsItWas) {
  // Locking the file stops its save; locking the folder stops a new file in it.
  for (const auto& [locked, name] : {std::pair(dir_.Path("old.cfg"), "old.cfg"), std::pair(dir_.path(), "new.cfg")}) {
    Unwritable lock(locked);
    if (!lock.ok()) GTEST_SKIP() << "cannot make " << locked << " unwritable here";
    EXPECT_FALSE(Save(name));
    ExpectUntouched();
  }
}

TEST_F(AtomicSaveTest, FileInAFolderThatTakesNoNewFilesIsWrittenInPlace) {
  Unwritable lock(dir_.path());
  if (!lock.ok()) GTEST_SKIP() << "cannot make a folder unwritable here";
  EXPECT_TRUE(Save("old.cfg"));
  EXPECT_EQ(ReadFile(dir_.Path("old.cfg")), kNew);
  EXPECT_EQ(dir_.Names(), std::set<std::string>{"old.cfg"});
  SetSaveFaultForTesting(SaveFault::WritePartway);
  EXPECT_FALSE(ReplaceFile(dir_.Path("old.cfg"), "0123456789"));  // a failure is still one
  SetSaveFaultForTesting(SaveFault::None);
}

// Names the temporary file could not hold, and links whose file is not there yet.
TEST_F(AtomicSaveTest, LongNamesAndDanglingLinksAreSaved) {
  ASSERT_EQ(::mkdir(dir_.Path("sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("made.cfg", dir_.Path("dangling.cfg").c_str()), 0);
  ASSERT_EQ(::symlink("sub/deep.cfg", dir_.Path("into.cfg").c_str()), 0);
  ASSERT_EQ(::symlink(dir_.Path("into.cfg").c_str(), dir_.Path("chain.cfg").c_str()), 0);
  const std::string longest = std::string(251, 'w') + ".cfg", long243 = std::string(239, 'w') + ".cfg";
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {longest, longest}, {long243, long243}, {"dangling.cfg", "made.cfg"}, {"chain.cfg", "sub/deep.cfg"}};
  // clang-format on
  for (const auto& [saved, written] : cases) {
    SCOPED_TRACE(saved.substr(0, 20));
    EXPECT_TRUE(Save(saved));
    EXPECT_EQ(ReadFile(dir_.Path(written)), kNew);
  }
  struct stat st {};
  for (const char* link : {"dangling.cfg", "into.cfg", "chain.cfg"}) {
    ASSERT_EQ(::lstat(dir_.Path(link).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_EQ(dir_.Names().size(), 8u);  // old.cfg, sub, two long names, three links, made.cfg: no temporary
}

// A save killed part-way (here by the file size limit) leaves at most one temporary file,
// whatever the number of such saves, and the next save of the target clears it.
TEST_F(AtomicSaveTest, KilledSavesLeaveOneTemporaryThatTheNextSaveClears) {
  for (int kill = 0; kill < 3; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const rlimit noCore{0, 0}, small{16, 16};
      ::setrlimit(RLIMIT_CORE, &noCore);
      ::setrlimit(RLIMIT_FSIZE, &small);
      static_cast<void>(ReplaceFile(dir_.Path("old.cfg"), std::string(4096, 'x')));  // killed on the way
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
  }
  EXPECT_EQ(ReadFile(dir_.Path("old.cfg")), kOld);
  const std::set<std::string> left = dir_.Names();
  EXPECT_EQ(left.size(), 2u);
  for (const std::string& name : left) EXPECT_LE(name.size(), 64u) << name;
  EXPECT_TRUE(ReplaceFile(dir_.Path("old.cfg"), "new"));
  EXPECT_EQ(dir_.Names(), std::set<std::string>{"old.cfg"});
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
