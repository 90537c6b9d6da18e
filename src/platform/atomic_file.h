#pragma once
// Whole-file reads and saves that never destroy what they replace. A save writes a sibling
// temporary file, flushes it to the disk and renames it over the target, so that a crash or a
// failure at any point leaves either the old file or the new one, never a mix or an empty file.
// No toolkit here: the file readers and their fuzzers use it too.

#include <string>
#include <string_view>

namespace vm {

enum class FileAccess { None, ReadOnly, ReadWrite };

// Reads the whole regular file at `path` into `bytes`. The result tells how the file could be
// opened: for reading and writing, for reading only, or not at all (missing, a folder, not a
// regular file, unreadable); with None `bytes` is left empty.
FileAccess ReadWholeFile(const std::string& path, std::string& bytes);

// Whether a save to `path` can be expected to succeed: its folder exists and takes new files,
// and an existing target is a regular file the program may write. Creates nothing.
bool CanReplaceFile(const std::string& path);

// Replaces the content of the file at `path` by `bytes` (creating it when missing). True when
// the new content is on the disk. False on any failure; the target is then byte for byte as it
// was and no temporary file is left. The target's permission bits are kept; a symbolic link is
// followed, so the file it names is replaced and the link stays.
bool ReplaceFile(const std::string& path, std::string_view bytes);

// Test seam: the step at which every following ReplaceFile fails, until set back to None.
enum class SaveFault {
  None,
  CreateTemporary,  // the temporary file cannot be created
  WritePartway,     // the write stops after half the bytes (disk full)
  Flush,            // flushing to the disk fails
  Rename,           // the temporary file cannot be renamed over the target
};
void SetSaveFaultForTesting(SaveFault fault);

}  // namespace vm
