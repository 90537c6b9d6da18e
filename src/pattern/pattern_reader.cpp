#include "pattern/pattern_reader.h"

#include <string>
#include <vector>

#include "pattern/pattern_track_builder.h"

namespace vm {
namespace {

constexpr int64_t kMaxDuty = 10000;  // hundredths of a per cent

// The words of one line, read from left to right.
class Cursor {
 public:
  explicit Cursor(const PatternLine& line) : line_(line), words_(line.Words()) {}
  bool AtEnd() const { return next_ == words_.size(); }
  const PatternWord& Peek() const { return words_[next_]; }
  PatternWord Take() { return words_[next_++]; }
  bool TakeIf(std::string_view text) {
    if (AtEnd() || Peek().text != text) return false;
    ++next_;
    return true;
  }
  // At the end: just after the last word (a comment after it stays out of the way).
  int Column() const {
    if (!AtEnd()) return Peek().column;
    if (words_.empty()) return 1;
    const std::string_view last = words_.back().text;
    return line_.Column(static_cast<size_t>(last.data() - line_.text.data()) + last.size());
  }
  PatternError Error(std::string expected) const { return line_.Error(Column(), std::move(expected)); }
  int lineNumber() const { return line_.number; }

 private:
  const PatternLine& line_;
  std::vector<PatternWord> words_;
  size_t next_ = 0;
};

class Reader {
 public:
  bool Line(const PatternLine& line);
  bool Finish(int lastLine);
  Pattern pattern;
  PatternError error;

 private:
  bool Fail(PatternError found) {
    error = std::move(found);
    return false;
  }
  bool Text(const PatternLine& line, std::string_view field, std::string& into, int& seen);
  bool TextList(const PatternLine& line, std::vector<std::string>& into);
  bool Cycle(Cursor& words);
  bool Track(Cursor& words, bool cam);
  bool Teeth(Cursor& words, bool cam, TrackBuilder& builder);
  bool Highs(Cursor& words, TrackBuilder& builder);
  bool Angle(Cursor& words, int64_t limit, std::string expected, int32_t& angle);

  int nameLine_ = 0;
  int descriptionLine_ = 0;
  int cycleLine_ = 0;
  TrackBuilder crank_;
  TrackBuilder cam_;
};

bool Reader::Line(const PatternLine& line) {
  Cursor words(line);
  if (words.AtEnd()) return true;  // blank or a comment
  const std::string_view field = words.Peek().text;
  if (field == "name" || field == "description") {
    const bool name = field == "name";
    return Text(line, field, name ? pattern.name : pattern.description, name ? nameLine_ : descriptionLine_);
  }
  if (field == "source") return TextList(line, pattern.sources);
  if (field == "fits") return TextList(line, pattern.fits);
  words.Take();
  if (field == "cycle") return Cycle(words);
  if (field == "crank" || field == "cam") return Track(words, field == "cam");
  return Fail(line.Error(line.Words().front().column, "name, description, cycle, source, fits, crank or cam"));
}

bool Reader::Text(const PatternLine& line, std::string_view field, std::string& into, int& seen) {
  const PatternWord text = line.Rest();
  if (seen != 0)
    return Fail(line.Error(line.Words().front().column,
                           "one " + std::string(field) + " line (line " + std::to_string(seen) + ")"));
  if (text.text.empty()) return Fail(line.Error(text.column, "a text after " + std::string(field)));
  if (text.text.size() > kMaxPatternTextBytes) {
    return Fail(line.Error(text.column, "a text of at most " + std::to_string(kMaxPatternTextBytes) + " bytes"));
  }
  if (field == "name" && !IsPatternName(text.text)) {
    return Fail(line.Error(text.column, "a name of 1 to 64 letters, digits and - _ . + (no blanks)"));
  }
  into = text.text;
  seen = line.number;
  return true;
}

bool Reader::TextList(const PatternLine& line, std::vector<std::string>& into) {
  if (into.size() >= kMaxPatternTextLines) {
    return Fail(line.Error(line.Words().front().column,
                           "at most " + std::to_string(kMaxPatternTextLines) + " lines of each field"));
  }
  int unused = 0;
  std::string text;
  if (!Text(line, line.Words().front().text, text, unused)) return false;
  into.push_back(std::move(text));
  return true;
}

bool Reader::Cycle(Cursor& words) {
  if (cycleLine_ != 0) return Fail(words.Error("one cycle line (line " + std::to_string(cycleLine_) + ")"));
  if (words.TakeIf("360")) {
    pattern.cycle = kRevolutionCentidegrees;
  } else if (words.TakeIf("720")) {
    pattern.cycle = kEngineCycleCentidegrees;
  } else {
    return Fail(words.Error("360 or 720"));
  }
  if (!words.AtEnd()) return Fail(words.Error("the end of the line"));
  cycleLine_ = words.lineNumber();
  return true;
}

bool Reader::Track(Cursor& words, bool cam) {
  if (cycleLine_ == 0) return Fail(words.Error("a cycle line (cycle 360 or cycle 720) before the tracks"));
  TrackBuilder& builder = cam ? cam_ : crank_;
  if (words.TakeIf("teeth")) return Teeth(words, cam, builder);
  if (words.TakeIf("high")) return Highs(words, builder);
  return Fail(words.Error("teeth or high"));
}

bool Reader::Angle(Cursor& words, int64_t limit, std::string expected, int32_t& angle) {
  const std::optional<int64_t> value = words.AtEnd() ? std::nullopt : ParseDecimalUnits(words.Peek().text, 2, limit);
  if (!value) return Fail(words.Error(std::move(expected)));
  words.Take();
  angle = static_cast<int32_t>(*value);
  return true;
}

bool ParseRun(std::string_view word, int32_t positions, std::pair<int32_t, int32_t>& run) {
  const size_t dash = word.find('-');
  const auto first = ParseDecimalUnits(word.substr(0, dash), 0, positions);
  const auto last = dash == std::string_view::npos ? first : ParseDecimalUnits(word.substr(dash + 1), 0, positions);
  if (!first || !last || *first < 1 || *last < *first) return false;
  run = {static_cast<int32_t>(*first), static_cast<int32_t>(*last)};
  return true;
}

bool Reader::Teeth(Cursor& words, bool cam, TrackBuilder& builder) {
  const TrackBuilder::Origin origin{words.lineNumber(), words.Column()};
  const std::string positionsText = "a number of tooth positions from 1 to " + std::to_string(kMaxPatternPositions);
  const auto positions = words.AtEnd() ? std::nullopt : ParseDecimalUnits(words.Peek().text, 0, kMaxPatternPositions);
  if (!positions || *positions < 1) return Fail(words.Error(positionsText));
  words.Take();
  ToothRun run;
  run.positions = static_cast<int32_t>(*positions);
  // The crank wheel turns once a revolution, the cam wheel once a cycle.
  run.turn = cam ? pattern.cycle : kRevolutionCentidegrees;
  bool missing = false, duty = false, offset = false, revolution = false;
  while (!words.AtEnd()) {
    if (!missing && words.TakeIf("missing")) {
      missing = true;
      const std::string expected = "a position or a run FIRST-LAST of positions from 1 to " +
                                   std::to_string(run.positions);
      do {
        std::pair<int32_t, int32_t> span;
        if (words.AtEnd() || !ParseRun(words.Peek().text, run.positions, span)) return Fail(words.Error(expected));
        words.Take();
        run.missing.push_back(span);
        words.TakeIf(",");
      } while (!words.AtEnd() && words.Peek().text.find_first_not_of("0123456789-") == std::string_view::npos);
    } else if (!duty && words.TakeIf("duty")) {
      duty = true;
      const auto value = words.AtEnd() ? std::nullopt : ParseDecimalUnits(words.Peek().text, 2, kMaxDuty);
      if (!value || *value == 0 || *value == kMaxDuty) {
        return Fail(words.Error("a duty in per cent above 0 and below 100, at most two decimals"));
      }
      words.Take();
      run.duty = static_cast<int32_t>(*value);
    } else if (!offset && words.TakeIf("offset")) {
      offset = true;
      if (!Angle(words, run.turn - 1, "an angle from 0 to below " + FormatAngle(run.turn) + ", at most two decimals",
                 run.offset)) {
        return false;
      }
    } else if (!revolution && words.TakeIf("revolution")) {
      revolution = true;
      if (cam || pattern.cycle != kEngineCycleCentidegrees) {
        return Fail(words.Error("no revolution: only the crank of a 720 cycle has two"));
      }
      if (words.TakeIf("1")) {
        run.starts = {0};
      } else if (words.TakeIf("2")) {
        run.starts = {kRevolutionCentidegrees};
      } else {
        return Fail(words.Error("1 or 2"));
      }
    } else {
      return Fail(words.Error("missing, duty, offset, revolution or the end of the line (each once)"));
    }
  }
  if (run.starts.empty()) {
    for (int32_t start = 0; start < pattern.cycle; start += run.turn) run.starts.push_back(start);
  }
  return builder.Add(run, pattern.cycle, origin, error);
}

bool Reader::Highs(Cursor& words, TrackBuilder& builder) {
  const std::string limit = FormatAngle(pattern.cycle);
  do {
    const TrackBuilder::Origin origin{words.lineNumber(), words.Column()};
    int32_t rise = 0, fall = 0;
    if (!Angle(words, pattern.cycle - 1, "an angle from 0 to below " + limit + ", at most two decimals", rise)) {
      return false;
    }
    if (!words.TakeIf("to")) return Fail(words.Error("to"));
    const int column = words.Column();
    if (!Angle(words, pattern.cycle, "an angle from 0 to " + limit + ", at most two decimals", fall)) return false;
    if (fall == rise) return Fail({words.lineNumber(), column, "an end other than the start"});
    // An end before the start wraps through 0°.
    if (fall < rise) fall += pattern.cycle;
    if (!builder.Add(HighStretch{rise, fall}, origin, error)) return false;
    if (!words.AtEnd() && !words.TakeIf(",")) return Fail(words.Error("a comma or the end of the line"));
  } while (!words.AtEnd());
  return true;
}

bool Reader::Finish(int lastLine) {
  const PatternError end{lastLine + 1, 1, ""};
  auto missing = [&](std::string what) { return Fail({end.line, end.column, std::move(what)}); };
  if (nameLine_ == 0) return missing("a name line");
  if (descriptionLine_ == 0) return missing("a description line");
  if (cycleLine_ == 0) return missing("a cycle line");
  if (crank_.empty()) return missing("a crank track (crank teeth or crank high)");
  if (!crank_.Finish(pattern.cycle, pattern.crank, error)) return false;
  pattern.hasCam = !cam_.empty();
  return !pattern.hasCam || cam_.Finish(pattern.cycle, pattern.cam, error);
}

}  // namespace

bool IsPatternName(std::string_view name) {
  if (name.empty() || name.size() > kMaxPatternNameBytes || name.front() == '.') return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter && c != '-' && c != '_' && c != '.' && c != '+') return false;
  }
  return true;
}

PatternReading ReadPattern(std::string_view text) {
  PatternReading reading;
  std::vector<PatternLine> lines;
  if (!SplitPatternLines(text, lines, reading.error)) return reading;
  Reader reader;
  for (const PatternLine& line : lines) {
    if (!reader.Line(line)) {
      reading.error = std::move(reader.error);
      return reading;
    }
  }
  if (!reader.Finish(static_cast<int>(lines.size()))) {
    reading.error = std::move(reader.error);
    return reading;
  }
  reading.ok = true;
  reading.pattern = std::move(reader.pattern);
  return reading;
}

}  // namespace vm
