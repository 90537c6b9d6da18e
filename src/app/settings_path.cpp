#include "app/settings_path.h"

namespace vm {

std::string SettingsPath(const std::string& exePath) {
  static const std::string kExe = ".exe";
  static const std::string kIni = ".ini";
  std::string path = exePath;
  for (size_t at = path.find(kExe); at != std::string::npos; at = path.find(kExe, at + kIni.size())) {
    path.replace(at, kExe.size(), kIni);
  }
  const bool endsInIni =
      path.size() >= kIni.size() && path.compare(path.size() - kIni.size(), kIni.size(), kIni) == 0;
  return endsInIni ? path : path + kIni;
}

std::string ExecutableFolder(const std::string& exePath) {
  const size_t separator = exePath.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : exePath.substr(0, separator + 1);
}

}  // namespace vm
