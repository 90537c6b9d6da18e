#pragma once
// Where the settings file lives: beside the executable.

#include <string>

namespace vm {

// Every ".exe" replaced by ".ini" (case-sensitive, all of them). Where that does not give a
// name ending in ".ini" (no ".exe" in the name, as on Linux), ".ini" is appended, so the
// settings file is never the executable itself nor another file of another name.
std::string SettingsPath(const std::string& exePath);

// The executable's folder, ending in its separator; empty when the path has none.
std::string ExecutableFolder(const std::string& exePath);

}  // namespace vm
