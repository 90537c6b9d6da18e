#pragma once
// Where the settings file lives: beside the executable, or for a program the user may not
// write beside (an installed one), in the user's configuration folder.

#include <string>

namespace vm {

// The settings file beside the executable. An executable named "*.exe" has every ".exe" of its
// path replaced by ".ini" (case-sensitive, all of them, folders too). Any other name, as on
// Linux, gets ".ini" appended and its folders are left alone, so the settings file lies beside
// the executable and is never the executable itself, even one named "*.ini".
std::string SettingsPath(const std::string& exePath);

// Where the settings file is read and written, decided once at start: SettingsPath when that
// place can take the file (it exists and may be written, or its folder takes new files) and
// the program is not installed under /usr, otherwise "velomira.ini" in the user's configuration
// folder. Creates nothing.
std::string SettingsLocation(const std::string& exePath);

// Makes the folder of a settings file in the user's configuration folder before the first
// save there; a settings file beside the executable needs nothing.
void PrepareSettingsFolder(const std::string& exePath, const std::string& settingsPath);

// The executable's folder, ending in its separator; empty when the path has none.
std::string ExecutableFolder(const std::string& exePath);

}  // namespace vm
