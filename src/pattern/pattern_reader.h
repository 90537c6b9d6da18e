#pragma once
// Reads a pattern file (the format of velomira-pattern(5)) into a Pattern. Any bytes give
// either a pattern whose tracks hold every promise of PatternTrack, or the line, column and
// what was expected there; sizes and counts are bounded, so no file can exhaust memory or time.

#include <string_view>

#include "pattern/pattern.h"
#include "pattern/pattern_scanner.h"

namespace vm {

inline constexpr size_t kMaxPatternNameBytes = 64;
inline constexpr size_t kMaxPatternTextBytes = 300;
inline constexpr size_t kMaxPatternTextLines = 20;  // source and fits lines each

struct PatternReading {
  bool ok = false;
  Pattern pattern;     // when ok
  PatternError error;  // when not
};

PatternReading ReadPattern(std::string_view text);

// Whether `name` can name a pattern: 1 to 64 letters, digits and "-_.+", not starting with ".".
bool IsPatternName(std::string_view name);

}  // namespace vm
