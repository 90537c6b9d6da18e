#include "play_control.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "play_args.h"
#include "render_args.h"

namespace vm::play {
namespace {

struct Grammar {
  std::string_view name;
  Command command;
  size_t numbers;
  const char* values;   // what the numbers are, for the message
  size_t optional = 0;  // of the numbers, how many at the end may be left out
};

constexpr std::array<Grammar, 8> kCommands = {{
    {"rpm", Command::Rpm, 1, "an RPM"},
    {"ramp", Command::Ramp, 2, "an RPM and milliseconds"},
    {"stop", Command::Stop, 0, "nothing"},
    {"start", Command::Start, 0, "nothing"},
    {"revolutions", Command::Revolutions, 0, "nothing"},
    {"quit", Command::Quit, 0, "nothing"},
    {"pattern", Command::Pattern, 0, "a pattern name or file"},
    {"cam-phase", Command::CamPhase, 2, "degrees and optionally milliseconds", 1},
}};

// What follows the command's word, without the blanks around it: a file name may hold blanks.
std::string_view Rest(std::string_view line, std::string_view command) {
  const size_t start = line.find_first_not_of(" \t", line.find(command) + command.size());
  if (start == std::string_view::npos) return {};
  return line.substr(start, line.find_last_not_of(" \t") + 1 - start);
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    const size_t start = line.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    const size_t end = std::min(line.find_first_of(" \t", start), line.size());
    words.push_back(line.substr(start, end - start));
    at = end;
  }
  return words;
}

bool ReadNumber(const std::string& name, std::string_view word, int64_t minimum, int64_t maximum, int64_t& value,
                std::string& error) {
  const char* end = word.data() + word.size();
  const auto [stop, failure] = std::from_chars(word.data(), end, value);
  const bool digits = !word.empty() && word.front() != '-';
  if (!digits || failure != std::errc() || stop != end || value < minimum || value > maximum) {
    error = name + ": expected a whole number from " + std::to_string(minimum) + " to " + std::to_string(maximum) +
            ", got " + render::Quoted(word);
    return false;
  }
  return true;
}

}  // namespace

std::optional<ControlLine> ParseControlLine(std::string_view line, std::string& error) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::vector<std::string_view> words = Words(line);
  if (words.empty()) {
    error = "empty line";
    return std::nullopt;
  }
  const Grammar* grammar = nullptr;
  for (const Grammar& g : kCommands)
    if (g.name == words[0]) grammar = &g;
  if (!grammar) {
    error = "unknown command " + render::Quoted(words[0]);
    return std::nullopt;
  }
  if (grammar->command == Command::Pattern) {
    ControlLine parsed{Command::Pattern, 0, 0, std::string(Rest(line, words[0]))};
    if (parsed.pattern.empty()) error = "pattern: takes a pattern name or file";
    return parsed.pattern.empty() ? std::nullopt : std::optional(parsed);
  }
  if (words.size() > grammar->numbers + 1 || words.size() + grammar->optional < grammar->numbers + 1) {
    error = std::string(grammar->name) + ": takes " + grammar->values;
    return std::nullopt;
  }
  ControlLine parsed;
  parsed.command = grammar->command;
  const std::string name(grammar->name);
  if (parsed.command == Command::CamPhase) {
    if (!render::ParseCamPhase(words[1], parsed.camPhase)) {
      error = name + " DEG: " + render::CamPhaseError(words[1]);
      return std::nullopt;
    }
    if (words.size() == 3 && !ReadNumber(name + " MS", words[2], 0, kMaxRampMs, parsed.ms, error)) return std::nullopt;
    return parsed;
  }
  if (grammar->numbers >= 1 && !ReadNumber(name + " R", words[1], 1, kMaxRpm, parsed.rpm, error)) return std::nullopt;
  if (grammar->numbers >= 2 && !ReadNumber(name + " MS", words[2], 0, kMaxRampMs, parsed.ms, error))
    return std::nullopt;
  return parsed;
}

}  // namespace vm::play
