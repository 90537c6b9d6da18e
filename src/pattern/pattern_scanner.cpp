#include "pattern/pattern_scanner.h"

namespace vm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSeparator(char c) { return IsBlank(c) || c == ','; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

}  // namespace

std::string PatternErrorText(const PatternError& error) {
  if (error.line == 0) return "expected " + error.expected;  // about the file, not a place in it
  return "line " + std::to_string(error.line) + ", column " + std::to_string(error.column) + ": expected " +
         error.expected;
}

int PatternLine::Column(size_t offset) const {
  int column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    // UTF-8 continuation bytes belong to the character before them.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
  }
  return column;
}

std::vector<PatternWord> PatternLine::Words() const {
  std::vector<PatternWord> words;
  size_t at = 0;
  while (at < text.size()) {
    if (IsBlank(text[at])) {
      ++at;
    } else if (text[at] == ',') {
      words.push_back({text.substr(at, 1), Column(at)});
      ++at;
    } else if (text[at] == '#') {
      break;
    } else {
      size_t end = at;
      while (end < text.size() && !IsSeparator(text[end])) ++end;
      words.push_back({text.substr(at, end - at), Column(at)});
      at = end;
    }
  }
  return words;
}

PatternWord PatternLine::Rest() const {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  while (at < text.size() && !IsBlank(text[at])) ++at;
  while (at < text.size() && IsBlank(text[at])) ++at;
  size_t end = text.size();
  while (end > at && IsBlank(text[end - 1])) --end;
  return {text.substr(at, end - at), Column(at)};
}

bool SplitPatternLines(std::string_view text, std::vector<PatternLine>& lines, PatternError& error) {
  lines.clear();
  if (text.size() > kMaxPatternFileBytes) {
    error = {1, 1, "a file of at most " + std::to_string(kMaxPatternFileBytes) + " bytes"};
    return false;
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int number = 1;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    PatternLine scanned{number, line};
    if (line.size() > kMaxPatternLineBytes) {
      error = scanned.Error(scanned.Column(kMaxPatternLineBytes),
                            "a line of at most " + std::to_string(kMaxPatternLineBytes) + " bytes");
      return false;
    }
    for (size_t i = 0; i < line.size(); ++i) {
      if (IsControl(static_cast<unsigned char>(line[i]))) {
        error = scanned.Error(scanned.Column(i), "text without control characters");
        return false;
      }
    }
    lines.push_back(scanned);
    ++number;
  }
  return true;
}

std::optional<int64_t> ParseDecimalUnits(std::string_view word, int decimals, int64_t limit) {
  int64_t units = 0;
  size_t at = 0;
  for (; at < word.size() && IsDigit(word[at]); ++at) {
    units = units * 10 + (word[at] - '0');
    if (units > limit) return std::nullopt;
  }
  if (at == 0) return std::nullopt;
  int fraction = 0;
  if (at < word.size() && word[at] == '.') {
    for (++at; at < word.size() && IsDigit(word[at]) && fraction < decimals; ++at, ++fraction) {
      units = units * 10 + (word[at] - '0');
    }
    if (fraction == 0) return std::nullopt;
  }
  if (at != word.size()) return std::nullopt;
  for (; fraction < decimals; ++fraction) units *= 10;
  if (units > limit) return std::nullopt;
  return units;
}

}  // namespace vm
