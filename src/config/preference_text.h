#pragma once
// The text side of preference files: lines to entries and back, the UTF-8 conversions, and
// the small text rules (blank trimming, ASCII case, leading integers) the reads rely on.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

enum class PreferenceEntryKind { Group, Comment, Key };

struct PreferenceEntry {
  PreferenceEntryKind kind;
  std::string name;   // group name, key name, or comment text
  std::string value;  // key value only
};

// Parses the bytes of a file (after any byte-order mark) into entries, in file order.
std::vector<PreferenceEntry> ParsePreferenceText(std::string_view text);

// The bytes of a whole file: `options` as for PreferenceFile; `utf8` puts the byte-order mark
// (and a line end) first.
std::string RenderPreferenceText(const std::vector<PreferenceEntry>& entries, uint32_t options, bool utf8);

// 8-bit (ISO 8859-1) to UTF-8 and back; what cannot be mapped back becomes "?" or is dropped.
std::string Latin1ToUtf8(std::string_view text);
std::string Utf8ToLatin1(std::string_view text);

// CR and LF replaced by blanks: a name or value written must stay on its own line, or it
// would read back as other keys and groups.
std::string OnOneLine(std::string text);

// Blanks and tabs removed at both ends.
std::string_view TrimBlanks(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// Equal for texts that EqualsIgnoringAsciiCase finds equal (FNV-1a of the lower-case bytes).
uint64_t HashIgnoringAsciiCase(std::string_view text);

// The leading decimal integer of `text` (white space skipped, optional sign), 0 when there is
// none. Longer numbers wrap: the result is the number modulo 2^32, read as signed.
int32_t LeadingDecimal32(std::string_view text);

}  // namespace vm
