#include "config/preference_text.h"

#include "config/preference_file.h"

namespace vm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view SkipLeadingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// One line without its line end, leading blanks already skipped; never empty.
PreferenceEntry ParseLine(std::string_view line) {
  if (line.front() == ';') {
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    return {PreferenceEntryKind::Comment, std::string(line), {}};
  }
  if (line.front() == '[') {
    line.remove_prefix(1);
    return {PreferenceEntryKind::Group, std::string(line.substr(0, line.find(']'))), {}};
  }
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    return {PreferenceEntryKind::Key, std::string(TrimTrailingBlanks(line)), {}};
  }
  return {PreferenceEntryKind::Key, std::string(TrimTrailingBlanks(line.substr(0, equals))),
          std::string(SkipLeadingBlanks(line.substr(equals + 1)))};
}

unsigned char Byte(std::string_view text, size_t i) { return static_cast<unsigned char>(text[i]); }
bool IsContinuation(unsigned char b) { return b >= 0x80 && b <= 0xBF; }

}  // namespace

std::vector<PreferenceEntry> ParsePreferenceText(std::string_view text) {
  std::vector<PreferenceEntry> entries;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    size_t end = i;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    if (end > i) entries.push_back(ParseLine(text.substr(i, end - i)));
    i = end;
    while (i < text.size() && IsLineEnd(text[i])) ++i;
  }
  return entries;
}

std::string RenderPreferenceText(const std::vector<PreferenceEntry>& entries, uint32_t options, bool utf8) {
  const std::string_view equals = (options & OptionNoSpaces) ? "=" : " = ";
  size_t size = utf8 ? 5 : 0;
  for (const PreferenceEntry& e : entries) size += e.name.size() + e.value.size() + 7;
  std::string out;
  out.reserve(size);
  if (utf8) out += "\xEF\xBB\xBF\r\n";
  bool firstGroup = true;
  for (const PreferenceEntry& e : entries) {
    switch (e.kind) {
      case PreferenceEntryKind::Group:
        if ((options & OptionBlankLineBeforeGroups) && !firstGroup) out += "\r\n";
        firstGroup = false;
        out += '[';
        out += e.name;
        out += ']';
        break;
      case PreferenceEntryKind::Comment:
        out += "; ";
        out += e.name;
        break;
      case PreferenceEntryKind::Key:
        out += e.name;
        out += equals;
        out += e.value;
        break;
    }
    out += "\r\n";
  }
  return out;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 + (b >> 6));
      out += static_cast<char>(0x80 + (b & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = Byte(text, i);
    const size_t left = text.size() - i - 1;  // bytes after the lead byte
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
    } else if (b >= 0xC0 && b <= 0xDF && left >= 1) {
      const unsigned char next = Byte(text, i + 1);
      if (!IsContinuation(next)) {
        out += '?';
        ++i;  // the next byte is decoded on its own
        continue;
      }
      const unsigned codePoint = ((b & 0x1Fu) << 6) | (next & 0x3Fu);
      out += codePoint < 256 ? static_cast<char>(codePoint) : '?';
      i += 2;
    } else if ((b >= 0xE0 && b <= 0xEF && left >= 2) || (b >= 0xF0 && b <= 0xF7 && left >= 3)) {
      const size_t most = b <= 0xEF ? 2 : 3;
      out += '?';
      ++i;
      for (size_t n = 0; n < most && i < text.size() && IsContinuation(Byte(text, i)); ++n) ++i;
    } else {
      ++i;  // stray continuation byte, 0xF8..0xFF, or a lead byte too close to the end
    }
  }
  return out;
}

std::string OnOneLine(std::string text) {
  for (char& c : text) {
    if (IsLineEnd(c)) c = ' ';
  }
  return text;
}

std::string_view TrimBlanks(std::string_view text) { return TrimTrailingBlanks(SkipLeadingBlanks(text)); }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

uint64_t HashIgnoringAsciiCase(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : text) {
    hash ^= static_cast<uint8_t>(LowerAscii(c));
    hash *= 0x100000001b3ull;
  }
  return hash;
}

int32_t LeadingDecimal32(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Unsigned arithmetic wraps by definition; only the low 32 bits are kept.
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

}  // namespace vm
