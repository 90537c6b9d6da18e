#include "pattern_args.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "pattern/pattern_file.h"
#include "pattern/pattern_library.h"
#include "speed_limit.h"

namespace vm::render {
namespace {

// A reader's message stays one line with nothing raw for a terminal: it may name a path.
std::string Printable(const std::string& text) {
  std::string printable;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const std::string quoted = Quoted(std::string(1, c));
    if (byte < 0x20 || byte == 0x7f) printable += quoted.substr(1, quoted.size() - 2);
    else printable += c;
  }
  return printable;
}

}  // namespace

std::string ToolPath() {
  std::error_code failed;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", failed);
  return failed ? std::string() : path.string();
}

std::vector<std::string> ToolPatternFolders() { return PatternFolders(ToolPath()); }

bool ReadPatternArgument(const std::string& text, Pattern& pattern, std::string& error) {
  if (text.empty()) {
    error = "expected a pattern name or file";
    return false;
  }
  const std::vector<std::string> folders = ToolPatternFolders();
  const std::string path = PatternPathOf(text, folders);
  if (path.empty()) {
    error = "no pattern named " + Quoted(text) + " in";
    for (const std::string& folder : folders) error += " " + folder;
    error += " (--list-patterns lists them)";
    return false;
  }
  const PatternReading reading = LoadPatternFile(path);
  if (!reading.ok) {
    // An error without a line names the file itself.
    error = (reading.error.line == 0 ? "" : Quoted(path) + ": ") + Printable(PatternErrorText(reading.error));
    return false;
  }
  pattern = reading.pattern;
  return true;
}

std::string PatternListing() { return PatternListText(ListPatterns(ToolPatternFolders())); }

std::optional<std::string> WheelOptionBesidePattern(const Options& options) {
  for (const char* name : kWheelOptions)
    if (options.Has(name)) return std::string(name) + ": not with --pattern; a pattern replaces the wheel and its cam";
  return std::nullopt;
}

std::optional<PatternSound> BuildToolPatternSound(const Pattern& pattern, int32_t deviceRate, int64_t topRpm) {
  return BuildPlayablePatternSound(pattern, deviceRate, topRpm);
}

}  // namespace vm::render
