#pragma once
// The tools' trigger patterns: --pattern NAME|FILE (a library name, or a file), the listing
// of --list-patterns, and the wheel options a pattern takes the place of.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pattern/pattern.h"
#include "pattern/pattern_sound.h"
#include "render_args.h"

namespace vm::render {

// Options that say what the wheel is: a pattern says it instead.
inline constexpr const char* kWheelOptions[] = {"--teeth", "--missing", "--position", "--cam", "--config"};

// The running program's own file, so that the library beside a portable copy (or in the
// build tree) is found; empty when it cannot be told.
std::string ToolPath();

// The folders patterns are looked up in, first to last.
std::vector<std::string> ToolPatternFolders();

// A file when `text` holds a "/" or ends in ".pattern", else a name looked up in the
// library. Fails with one line: the file and what its reader expected, or the folders
// searched.
bool ReadPatternArgument(const std::string& text, Pattern& pattern, std::string& error);

// The library's listing, one pattern a line, sorted by name.
std::string PatternListing();

// "--teeth: not with --pattern; a pattern replaces the wheel and its cam" for the first
// wheel option given; nothing when there is none.
std::optional<std::string> WheelOptionBesidePattern(const Options& options);

// The pattern's sound for RPMs up to `topRpm`, the highest the tool will play, or the
// highest its edges allow on an output of `deviceRate` when that is lower: the fewer RPMs
// it serves, the finer its frames can be.
std::optional<PatternSound> BuildToolPatternSound(const Pattern& pattern, int32_t deviceRate, int64_t topRpm);

}  // namespace vm::render
