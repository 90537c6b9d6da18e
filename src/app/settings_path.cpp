#include "app/settings_path.h"

#include "platform/user_files.h"

namespace vm {
namespace {

constexpr const char* kProgram = "velomira";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReplaceEveryExe(std::string path) {
  static const std::string kExe = ".exe";
  static const std::string kIni = ".ini";
  for (size_t at = path.find(kExe); at != std::string::npos; at = path.find(kExe, at + kIni.size())) {
    path.replace(at, kExe.size(), kIni);
  }
  return path;
}

std::string UserSettingsFolder() { return UserConfigFolder(kProgram); }

// /usr holds programs and data that only the package manager changes, never anyone's settings:
// a program there (the package's /usr/bin, or /usr/local/bin of `cmake --install`) is an
// installed one even for root, who may write there.
bool Installed(const std::string& exePath) { return exePath.rfind("/usr/", 0) == 0; }

}  // namespace

std::string SettingsPath(const std::string& exePath) {
  const std::string name = exePath.substr(ExecutableFolder(exePath).size());
  return EndsWith(name, ".exe") ? ReplaceEveryExe(exePath) : exePath + ".ini";
}

std::string SettingsLocation(const std::string& exePath) {
  const std::string beside = SettingsPath(exePath);
  const std::string folder = UserSettingsFolder();
  if ((!Installed(exePath) && CanTakeFile(beside)) || folder.empty()) return beside;
  return folder + "/" + kProgram + ".ini";
}

void PrepareSettingsFolder(const std::string& exePath, const std::string& settingsPath) {
  if (settingsPath != SettingsPath(exePath)) MakeUserFolder(settingsPath.substr(0, settingsPath.rfind('/')));
}

std::string ExecutableFolder(const std::string& exePath) {
  const size_t separator = exePath.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : exePath.substr(0, separator + 1);
}

}  // namespace vm
