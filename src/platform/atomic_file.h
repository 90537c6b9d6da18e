#pragma once
// Whole-file reads and saves that never destroy what they replace. A save writes a sibling
// temporary file, flushes it to the disk and renames it over the target, so that a crash or a
// failure at any point leaves either the old file or the new one, never a mix or an empty file.
// No toolkit here: the file readers and their fuzzers use it too.

#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

enum class FileAccess { None, ReadOnly, ReadWrite };

// Reads the whole regular file at `path` into `bytes`, with one allocation of the file's size.
// The result tells how the file could be opened: for reading and writing, for reading only, or
// not at all (missing, a folder, not a regular file, unreadable); with None `bytes` is left
// empty. Throws std::bad_alloc when the file does not fit in memory.
FileAccess ReadWholeFile(const std::string& path, std::string& bytes);

// Whether a save to `path` can be expected to succeed: its folder exists and takes new files,
// or the target exists and the in-place rule below applies; an existing target is a regular
// file the program may write. Creates nothing.
[[nodiscard]] bool CanReplaceFile(const std::string& path);

// One file written as a stream and put in place in one step by Commit.
//
// - The temporary file lies beside the target under a short name made from the target's name
//   (always well below the 255-byte name limit). It is the same name at every save of that
//   target, so a save that was killed leaves at most that one file, which the next save of the
//   target clears; a save still running elsewhere keeps it locked and is not disturbed.
// - A symbolic link is followed, also one whose file does not exist yet: the file it names is
//   written (created if need be) and the link stays.
// - The target's permission bits (and its owner, where allowed) are kept.
// - A folder that takes no new files (no write permission there) but holds a target the
//   program may write: only there the file is written in place (truncated, written, flushed),
//   the one case where the old content does not survive a failure.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();  // abandons an uncommitted file
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Starts replacing the file at `path`. False when that cannot be done; nothing is left then.
  [[nodiscard]] bool Open(const std::string& path);
  // Appends bytes. False on a write failure; the save is then abandoned.
  [[nodiscard]] bool Append(std::string_view bytes);
  // Writes over bytes appended before, from `offset` on (a header whose sizes are known only
  // at the end). False, and abandoned, when they do not lie within what was appended.
  [[nodiscard]] bool Overwrite(uint64_t offset, std::string_view bytes);
  // Flushes everything to the disk and puts the file in place. True when the new content is
  // there; on false the target is as it was (in place: as far as it got) and nothing is left.
  [[nodiscard]] bool Commit();
  void Abandon();
  bool IsOpen() const { return fd_ >= 0; }
  // Why the last step that returned false failed, in a few words: the system's reason
  // ("Permission denied", "No space left on device"), "not a regular file", or "in use by
  // another save" while another process saves the same file.
  const std::string& failure() const { return failure_; }

 private:
  bool Flush();
  bool Fail();

  std::string target_;
  std::string temporary_;  // empty when writing in place
  std::string buffer_;
  std::string failure_;
  uint64_t written_ = 0;  // bytes handed to the file so far, buffer included
  int fd_ = -1;
};

// Replaces the content of the file at `path` by `bytes` (creating it when missing) through
// AtomicFileWriter. True when the new content is on the disk. False on any failure; the target
// is then byte for byte as it was (unless written in place) and no temporary file is left;
// `failure`, when given, then says why (AtomicFileWriter::failure).
[[nodiscard]] bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* failure = nullptr);

// Test seam: the step at which every following save fails, until set back to None.
enum class SaveFault {
  None,
  CreateTemporary,  // the temporary file cannot be created
  WritePartway,     // a write stops after half its bytes (disk full)
  Flush,            // flushing to the disk fails
  Rename,           // the temporary file cannot be renamed over the target
};
void SetSaveFaultForTesting(SaveFault fault);

}  // namespace vm
