#include "pattern/pattern_library.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "pattern/pattern_file.h"
#include "pattern/pattern_reader.h"
#include "platform/save_paths.h"

namespace vm {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// /usr holds what the package manager installed; a copy anywhere else is a portable one.
bool Installed(const std::string& exePath) { return exePath.rfind("/usr/", 0) == 0; }

std::string Join(const std::string& folder, std::string_view name) {
  return folder.empty() || folder.back() == '/' ? folder + std::string(name) : folder + "/" + std::string(name);
}

bool IsRegularFile(const std::string& path) {
  std::error_code failed;
  return std::filesystem::is_regular_file(path, failed);
}

// The pattern names in one folder with their files, at most kMaxListedPatterns of them.
std::map<std::string, std::string> NamesIn(const std::string& folder) {
  std::map<std::string, std::string> names;
  std::error_code failed;
  std::filesystem::directory_iterator entries(folder, failed), end;
  for (; !failed && entries != end && names.size() < kMaxListedPatterns; entries.increment(failed)) {
    const std::string file = entries->path().filename().string();
    if (file.size() <= kPatternFileExtension.size() || !file.ends_with(kPatternFileExtension)) continue;
    const std::string name = file.substr(0, file.size() - kPatternFileExtension.size());
    const std::string path = Join(folder, file);
    if (IsPatternName(name) && IsRegularFile(path)) names.emplace(name, path);
  }
  return names;
}

}  // namespace

std::string UserPatternFolder() {
  const std::string data = Environment("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is invalid and must be ignored.
  if (!data.empty() && data.front() == '/') return Join(data, "velomira/patterns");
  const std::string home = Environment("HOME");
  return home.empty() ? std::string() : Join(home, ".local/share/velomira/patterns");
}

std::vector<std::string> PatternFolders(const std::string& exePath) {
  std::vector<std::string> folders;
  if (std::string user = UserPatternFolder(); !user.empty()) folders.push_back(std::move(user));
  if (!Installed(exePath) && exePath.find('/') != std::string::npos) {
    const std::string beside = FolderOf(exePath);
    folders.push_back(Join(beside, "patterns"));
    folders.push_back(Join(FolderOf(beside), "patterns"));
  }
  folders.emplace_back(kInstalledPatternFolder);
  return folders;
}

std::string FindPatternFile(std::string_view name, const std::vector<std::string>& folders) {
  if (!IsPatternName(name)) return std::string();
  for (const std::string& folder : folders) {
    const std::string path = Join(folder, std::string(name) + std::string(kPatternFileExtension));
    if (IsRegularFile(path)) return path;
  }
  return std::string();
}

std::vector<PatternListEntry> ListPatterns(const std::vector<std::string>& folders) {
  std::map<std::string, std::string> found;
  for (const std::string& folder : folders) found.merge(NamesIn(folder));  // keeps the earlier folder's
  std::vector<PatternListEntry> entries;
  for (const auto& [name, path] : found) {
    const PatternReading reading = LoadPatternFile(path);
    entries.push_back(
        {name, reading.ok ? reading.pattern.description : "(unreadable: " + PatternErrorText(reading.error) + ")",
         path});
  }
  return entries;
}

std::string PatternListText(const std::vector<PatternListEntry>& entries) {
  size_t width = 0;
  for (const PatternListEntry& entry : entries) width = std::max(width, entry.name.size());
  std::string text;
  for (const PatternListEntry& entry : entries) {
    text += entry.name + std::string(width - entry.name.size() + 2, ' ') + entry.description + "\n";
  }
  return text;
}

bool NamesPatternFile(std::string_view text) {
  return text.find('/') != std::string_view::npos || text.ends_with(kPatternFileExtension);
}

std::string PatternPathOf(const std::string& text, const std::vector<std::string>& folders) {
  return NamesPatternFile(text) ? text : FindPatternFile(text, folders);
}

}  // namespace vm
