#pragma once
// Reader and writer of the INI-style preference files (config files and the settings file).
// The whole file is read at Open into an ordered list of entries; writes change that list; Close
// writes the whole list back in one atomic save. Reading accepts any bytes: NUL bytes are kept
// as ordinary bytes, lines and files have no length limit beyond memory.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/preference_text.h"

namespace vm {

enum PreferenceOption : uint32_t {
  OptionNoSpaces = 1,               // "name=value" instead of "name = value"
  OptionBlankLineBeforeGroups = 2,  // an empty line before every group header but the first
};

class PreferenceFile {
 public:
  PreferenceFile() = default;
  ~PreferenceFile();  // closes as Close does
  PreferenceFile(const PreferenceFile&) = delete;
  PreferenceFile& operator=(const PreferenceFile&) = delete;

  // Starts an empty document for `path`. False when the file could not be written there
  // (missing folder, no permission); the object then holds nothing. The file on the disk is
  // left untouched until Close replaces it in one piece.
  [[nodiscard]] bool Create(const std::string& path, uint32_t options);
  // Reads and parses the whole file. False when it cannot be opened; the path is remembered
  // and Close creates the file there if anything was written.
  bool Open(const std::string& path, uint32_t options);

  bool SelectGroup(std::string_view name);
  std::string ReadString(std::string_view key, std::string_view defaultValue) const;
  // The leading decimal integer of the value. Values beyond 32 bits wrap: the result is the
  // number modulo 2^32 read as signed (4294967297 gives 1), computed in unsigned arithmetic.
  int32_t ReadInt(std::string_view key, int32_t defaultValue) const;
  void WriteString(std::string_view key, std::string_view value);
  void WriteInt(std::string_view key, int32_t value);

  bool ExamineKeys();
  bool NextKey();
  std::string KeyName() const;

  // Writes the document back if it changed (a created file always: it stands for an emptied
  // file), then releases everything. False when a needed write failed; the file is then as it
  // was.
  [[nodiscard]] bool Close();

 private:
  enum class Holding { Nothing, Created, ReadWrite, ReadOnly, RememberedPath };
  static constexpr size_t kTopSection = static_cast<size_t>(-1);

  void Parse(std::string_view text);
  bool HasDocument() const { return holding_ != Holding::Nothing; }
  std::string ToStored(std::string_view text) const;
  std::string ToCaller(std::string_view text) const;
  size_t GroupEnd(size_t group) const;
  // The current group's keys by name, built at its first lookup, so that reading or writing a
  // whole file takes time in step with its size.
  // Open addressing over entry indices, names compared in place: no copy of any name.
  struct KeyIndex {
    std::vector<size_t> slots;  // entry index + 1 of a group's first key of each name; 0: free
    size_t keys = 0;
    size_t end = 0;  // index after the group's last entry
  };
  const KeyIndex& Index() const;
  std::optional<size_t> IndexedKey(const KeyIndex& index, std::string_view storedName) const;
  void AddToIndex(KeyIndex& index, size_t entry) const;
  std::optional<size_t> FindKey(std::string_view storedName) const;
  void Write(std::string_view key, std::string_view value);
  void Reset();

  std::vector<PreferenceEntry> entries_;
  std::string path_;
  Holding holding_ = Holding::Nothing;
  uint32_t options_ = 0;
  bool utf8_ = false;
  size_t group_ = kTopSection;          // index of the current group header
  std::optional<std::string> pending_;  // group chosen but not present yet (stored form)
  std::optional<size_t> cursor_;        // enumeration cursor: an entry index, or none
  bool changed_ = false;
  mutable std::optional<KeyIndex> index_;  // of group_; dropped whenever group_ changes
};

}  // namespace vm
