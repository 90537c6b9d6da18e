#pragma once
// The lines and words of a pattern file, each with the place a reader reports an error at.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

inline constexpr size_t kMaxPatternFileBytes = 64 * 1024;
inline constexpr size_t kMaxPatternLineBytes = 1000;

// What a reader found wrong: where (1-based line and column, the column counted in characters
// of UTF-8 text) and what it expected there.
struct PatternError {
  int line = 0;
  int column = 0;
  std::string expected;
};

// "line 3, column 9: expected ..."
std::string PatternErrorText(const PatternError& error);

struct PatternWord {
  std::string_view text;
  int column = 0;
};

// One line without its end (LF or CR LF) and its comment.
struct PatternLine {
  int number = 0;
  std::string_view text;
  int Column(size_t offset) const;  // the column of the byte at `offset`
  // The words: runs of characters other than blanks, tabs and commas; each comma a word of
  // its own. A word starting with "#" ends the line (a comment).
  std::vector<PatternWord> Words() const;
  // What follows the first word, without the blanks around it (the text of a field).
  PatternWord Rest() const;
  PatternError Error(int column, std::string expected) const { return {number, column, std::move(expected)}; }
};

// Splits a whole file into lines. Refuses a file or line beyond the limits above and control
// characters other than tab; a UTF-8 byte order mark at the start is skipped.
bool SplitPatternLines(std::string_view text, std::vector<PatternLine>& lines, PatternError& error);

// A decimal number without sign, with at most `decimals` digits after a ".", in units of
// 10^-decimals: "12.5" with 2 decimals is 1250. Empty when the word is not one or exceeds
// `limit` units. Never depends on the locale.
std::optional<int64_t> ParseDecimalUnits(std::string_view word, int decimals, int64_t limit);

}  // namespace vm
