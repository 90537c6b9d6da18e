#include "config/config_commands.h"

#include "common/file_name.h"
#include "config/wheel_config_file.h"

namespace vm {
namespace {

FileRequest ConfigRequest(const char* title, const std::string& exeDir) {
  FileRequest request;
  request.title = title;
  request.initialPath = exeDir;  // the folder only: the name field starts empty
  request.filter = "Config (*.cfg)|*.cfg";
  request.filterIndex = 0;
  return request;
}

}  // namespace

std::string WithConfigExtension(const std::string& name) { return WithExtension(name, ".cfg"); }

bool ChooseAndLoadConfig(Requesters& requesters, const std::string& exeDir, WheelConfig& config) {
  const std::string path = requesters.OpenFile(ConfigRequest("Load config file", exeDir));
  if (path.empty()) return false;
  LoadWheelConfig(path, config);
  return true;
}

void ChooseAndSaveConfig(Requesters& requesters, const std::string& exeDir, const WheelConfig& config,
                         const std::vector<std::string>& presetTexts) {
  const std::string path = requesters.SaveFile(ConfigRequest("Save config file", exeDir));
  if (path.empty()) return;
  // A failed save is silent; the old file stays.
  static_cast<void>(SaveWheelConfig(WithConfigExtension(path), config, presetTexts));
}

}  // namespace vm
