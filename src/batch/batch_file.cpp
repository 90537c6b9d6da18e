#include "batch/batch_file.h"

#include <cstdint>

#include "common/file_name.h"
#include "common/parse_integer.h"

namespace vm {
namespace {

// Characters beyond one byte have no 8-bit form.
constexpr char kUnmappable = '?';

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

char To8Bit(uint32_t codePoint) { return codePoint <= 0xFF ? static_cast<char>(codePoint) : kUnmappable; }

// Length of the UTF-8 sequence a lead byte starts, 0 for a byte that cannot lead one.
int Utf8Length(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Not the preference files' Utf8ToLatin1: that one keeps their format's own rules for broken
// sequences (stray continuation bytes, 0xF8..0xFF and a sequence cut off by the end vanish),
// which decide what a settings file reads back as. Here every broken sequence stays one
// unmappable character, so that the digits on either side of it never join into one number.
// Converts text[from..] to 8-bit text at text[0..]: each character read takes at least one
// byte and gives one, so the write never overtakes the read.
void Utf8To8Bit(std::string& text, size_t from) {
  size_t out = 0;
  size_t i = from;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const int length = Utf8Length(lead);
    uint32_t codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
    int taken = 1;
    bool valid = length > 0;
    for (; valid && taken < length; ++taken) {
      if (i + static_cast<size_t>(taken) >= text.size()) {
        valid = false;
        break;
      }
      const auto next = static_cast<uint8_t>(text[i + static_cast<size_t>(taken)]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    constexpr uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && codePoint < Smallest[length]) valid = false;  // overlong form
    // A broken sequence costs its bytes read so far, at least one, as one unmappable character.
    text[out++] = To8Bit(valid ? codePoint : 0xFFFD);
    i += static_cast<size_t>(taken);
  }
  text.resize(out);
}

// As above for UTF-16 LE: two or four bytes give one.
void Utf16LeTo8Bit(std::string& text, size_t from) {
  auto unitAt = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(text[i]) |
                                 static_cast<uint32_t>(static_cast<uint8_t>(text[i + 1])) << 8);
  };
  size_t out = 0;
  // A lone last byte is half a character: dropped.
  for (size_t i = from; i + 1 < text.size(); i += 2) {
    const uint32_t unit = unitAt(i);
    const bool highSurrogate = unit >= 0xD800 && unit <= 0xDBFF;
    if (highSurrogate && i + 3 < text.size()) {
      const uint32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) i += 2;  // a pair: one character beyond 8 bits
    }
    text[out++] = To8Bit(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
  }
  text.resize(out);
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

BatchRow SplitFields(std::string_view line) {
  BatchRow row;
  for (size_t column = 0; column < row.size(); ++column) {
    const size_t bar = line.find('|');
    row[column] = std::string(line.substr(0, bar));
    if (bar == std::string_view::npos) break;
    line.remove_prefix(bar + 1);
  }
  return row;
}

// Appends the row a line gives, if it gives one.
void TakeLine(std::string_view line, std::vector<BatchRow>& rows) {
  line = TrimSpaces(line);
  const size_t comment = line.find(';');
  if (comment != std::string_view::npos) line = TrimSpaces(line.substr(0, comment));
  if (!line.empty() && ParseInteger(line) > 0) rows.push_back(SplitFields(line));
}

}  // namespace

std::string BatchFileTo8Bit(std::string bytes) {
  using namespace std::string_view_literals;
  // UTF-32 LE begins with the UTF-16 LE mark, so it is told apart first.
  if (StartsWith(bytes, "\xFF\xFE\0\0"sv) || StartsWith(bytes, "\0\0\xFE\xFF"sv)) {
    bytes.erase(0, 4);
  } else if (StartsWith(bytes, "\xEF\xBB\xBF"sv)) {
    Utf8To8Bit(bytes, 3);
  } else if (StartsWith(bytes, "\xFF\xFE"sv)) {
    Utf16LeTo8Bit(bytes, 2);
  } else if (StartsWith(bytes, "\xFE\xFF"sv)) {
    bytes.erase(0, 2);
  }
  return bytes;
}

std::vector<BatchRow> ReadBatchRows(std::string_view bytes) { return TakeBatchRows(std::string(bytes)); }

std::vector<BatchRow> TakeBatchRows(std::string bytes) {
  const std::string text = BatchFileTo8Bit(std::move(bytes));
  std::vector<BatchRow> rows;
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    TakeLine(rest.substr(0, end), rows);
    if (end == std::string_view::npos) break;
    const bool crLf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
    rest.remove_prefix(end + (crLf ? 2 : 1));
  }
  return rows;
}

std::string BatchFileText(const std::vector<BatchRow>& rows) {
  std::string out;
  for (const BatchRow& row : rows) {
    const std::string joined = row[0] + "|" + row[1] + "|" + row[2];
    const size_t first = joined.find_first_not_of('|');
    if (first != std::string::npos) out += joined.substr(first, joined.find_last_not_of('|') - first + 1);
    out += "\r\n";
  }
  return out;
}

std::string WithBatchExtension(std::string path) { return WithExtension(path, ".rbt"); }

}  // namespace vm
