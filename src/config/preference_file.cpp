#include "config/preference_file.h"

#include <algorithm>
#include <new>

#include "common/parse_integer.h"
#include "platform/atomic_file.h"

namespace vm {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// A document left open is written as a Close would write it; no one is left to hear whether
// that worked.
PreferenceFile::~PreferenceFile() { static_cast<void>(Close()); }

void PreferenceFile::Reset() {
  entries_.clear();
  entries_.shrink_to_fit();
  path_.clear();
  holding_ = Holding::Nothing;
  options_ = 0;
  utf8_ = false;
  group_ = kTopSection;
  pending_.reset();
  cursor_.reset();
  changed_ = false;
  index_.reset();
}

bool PreferenceFile::Create(const std::string& path, uint32_t options) {
  static_cast<void>(Close());  // the document held before, as the destructor would
  // Checked now so that a failed Create still means "nothing will be written"; the file itself
  // is replaced only at Close, so a save that dies half-way cannot lose it.
  if (!CanReplaceFile(path)) return false;
  path_ = path;
  options_ = options;
  holding_ = Holding::Created;
  return true;
}

bool PreferenceFile::Open(const std::string& path, uint32_t options) {
  static_cast<void>(Close());  // the document held before, as the destructor would
  path_ = path;
  options_ = options;
  std::string bytes;
  FileAccess access = FileAccess::None;
  try {
    access = ReadWholeFile(path, bytes);
    if (access != FileAccess::None) Parse(bytes);
  } catch (const std::bad_alloc&) {
    // Out of memory: an empty document, and the file, only partly read, is never written over.
    entries_.clear();
    utf8_ = false;
    access = FileAccess::ReadOnly;
  }
  switch (access) {
    case FileAccess::None: holding_ = Holding::RememberedPath; return false;
    case FileAccess::ReadOnly: holding_ = Holding::ReadOnly; return true;
    case FileAccess::ReadWrite: holding_ = Holding::ReadWrite; return true;
  }
  return false;
}

void PreferenceFile::Parse(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    utf8_ = true;
    text.remove_prefix(kByteOrderMark.size());
  }
  entries_ = ParsePreferenceText(text);
}

std::string PreferenceFile::ToStored(std::string_view text) const {
  return utf8_ ? Latin1ToUtf8(text) : std::string(text);
}

std::string PreferenceFile::ToCaller(std::string_view text) const {
  return utf8_ ? Utf8ToLatin1(text) : std::string(text);
}

// The index after the last entry of the group starting at `group` (the top section too).
size_t PreferenceFile::GroupEnd(size_t group) const {
  size_t i = group == kTopSection ? 0 : group + 1;
  while (i < entries_.size() && entries_[i].kind != PreferenceEntryKind::Group) ++i;
  return i;
}

const PreferenceFile::KeyIndex& PreferenceFile::Index() const {
  if (index_) return *index_;
  KeyIndex index;
  index.end = GroupEnd(group_);
  for (size_t i = group_ == kTopSection ? 0 : group_ + 1; i < index.end; ++i) {
    // The first key of a name wins, as a scan from the group's start would find it.
    if (entries_[i].kind == PreferenceEntryKind::Key && !IndexedKey(index, entries_[i].name)) AddToIndex(index, i);
  }
  return index_.emplace(std::move(index));
}

std::optional<size_t> PreferenceFile::IndexedKey(const KeyIndex& index, std::string_view storedName) const {
  if (index.slots.empty()) return std::nullopt;
  const size_t mask = index.slots.size() - 1;
  for (size_t at = HashIgnoringAsciiCase(storedName) & mask;; at = (at + 1) & mask) {
    const size_t slot = index.slots[at];
    if (slot == 0) return std::nullopt;
    if (EqualsIgnoringAsciiCase(entries_[slot - 1].name, storedName)) return slot - 1;
  }
}

// Places a key whose name is not indexed yet; the table stays at most half full.
void PreferenceFile::AddToIndex(KeyIndex& index, size_t entry) const {
  if (2 * (index.keys + 1) > index.slots.size()) {
    std::vector<size_t> old(std::max<size_t>(16, 2 * index.slots.size()), 0);
    old.swap(index.slots);
    index.keys = 0;
    for (const size_t slot : old) {
      if (slot != 0) AddToIndex(index, slot - 1);
    }
  }
  const size_t mask = index.slots.size() - 1;
  size_t at = HashIgnoringAsciiCase(entries_[entry].name) & mask;
  while (index.slots[at] != 0) at = (at + 1) & mask;
  index.slots[at] = entry + 1;
  ++index.keys;
}

std::optional<size_t> PreferenceFile::FindKey(std::string_view storedName) const {
  if (!HasDocument() || pending_) return std::nullopt;
  return IndexedKey(Index(), storedName);
}

bool PreferenceFile::SelectGroup(std::string_view name) {
  if (!HasDocument()) return false;
  if (name.empty()) {
    if (group_ != kTopSection) index_.reset();
    group_ = kTopSection;
    cursor_.reset();
    pending_.reset();
    return true;
  }
  const std::string stored = ToStored(name);
  for (size_t i = 0; i < entries_.size(); ++i) {
    const PreferenceEntry& e = entries_[i];
    if (e.kind == PreferenceEntryKind::Group && EqualsIgnoringAsciiCase(e.name, stored)) {
      if (group_ != i) index_.reset();
      group_ = i;
      cursor_ = i;
      pending_.reset();
      return true;
    }
  }
  pending_ = OnOneLine(stored);
  return false;
}

std::string PreferenceFile::ReadString(std::string_view key, std::string_view defaultValue) const {
  const std::optional<size_t> found = FindKey(ToStored(key));
  if (!found) return std::string(defaultValue);
  // Converted first, then trimmed: what is handed back never starts or ends with a blank.
  return std::string(TrimBlanks(ToCaller(entries_[*found].value)));
}

int32_t PreferenceFile::ReadInt(std::string_view key, int32_t defaultValue) const {
  const std::optional<size_t> found = FindKey(ToStored(key));
  return found ? LeadingDecimal32(entries_[*found].value) : defaultValue;
}

void PreferenceFile::Write(std::string_view key, std::string_view value) {
  if (!HasDocument()) return;
  if (pending_) {
    entries_.push_back({PreferenceEntryKind::Group, std::move(*pending_), {}});
    pending_.reset();
    group_ = entries_.size() - 1;
    index_.reset();
  }
  std::string storedKey = OnOneLine(ToStored(key));
  std::string storedValue = OnOneLine(ToStored(value));
  size_t at = 0;
  if (const std::optional<size_t> found = FindKey(storedKey)) {
    at = *found;
    entries_[at].name = std::move(storedKey);
    entries_[at].value = std::move(storedValue);
  } else {
    // Only entries after the current group move, so its index stays right with the new key.
    KeyIndex& index = *index_;
    at = index.end++;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at),
                    {PreferenceEntryKind::Key, std::move(storedKey), std::move(storedValue)});
    AddToIndex(index, at);
  }
  cursor_ = at;
  changed_ = true;
}

void PreferenceFile::WriteString(std::string_view key, std::string_view value) { Write(key, value); }

void PreferenceFile::WriteInt(std::string_view key, int32_t value) { Write(key, FormatDecimal(value)); }

bool PreferenceFile::ExamineKeys() {
  if (!HasDocument() || pending_) return false;
  if (group_ == kTopSection) cursor_.reset();
  else cursor_ = group_;
  return true;
}

bool PreferenceFile::NextKey() {
  if (!HasDocument()) return false;
  for (size_t i = cursor_ ? *cursor_ + 1 : 0; i < entries_.size(); ++i) {
    const PreferenceEntryKind kind = entries_[i].kind;
    if (kind == PreferenceEntryKind::Group) return false;
    if (kind == PreferenceEntryKind::Key) {
      cursor_ = i;
      return true;
    }
  }
  return false;
}

std::string PreferenceFile::KeyName() const {
  if (!cursor_ || *cursor_ >= entries_.size()) return {};
  const PreferenceEntry& e = entries_[*cursor_];
  return e.kind == PreferenceEntryKind::Key ? ToCaller(e.name) : std::string();
}

bool PreferenceFile::Close() {
  // A created file stands for an emptied one, so it is written even when nothing was added.
  const bool write = holding_ == Holding::Created ||
                     (changed_ && (holding_ == Holding::ReadWrite || holding_ == Holding::RememberedPath));
  bool saved = true;
  if (write) {
    try {
      saved = ReplaceFile(path_, RenderPreferenceText(entries_, options_, utf8_));
    } catch (const std::bad_alloc&) {
      saved = false;  // out of memory: the file stays as it was
    }
  }
  Reset();
  return saved;
}

}  // namespace vm
