#pragma once
// The two commands of File > Config, written against the requesters only.

#include <string>
#include <vector>

#include "config/wheel_config.h"
#include "platform/requesters.h"

namespace vm {

// `name` with ".cfg" appended unless its last four characters, in lower case, are ".cfg".
std::string WithConfigExtension(const std::string& name);

// "Load ...": asks for a file in `exeDir` (the executable's folder, ending in its separator)
// and loads it into `config`. True when a file was chosen and loaded; the caller then shows
// the record (ApplyWheelConfig).
bool ChooseAndLoadConfig(Requesters& requesters, const std::string& exeDir, WheelConfig& config);

// "Save ...": asks for a file name and saves the record and the preset list's items there,
// with ".cfg" appended by WithConfigExtension.
void ChooseAndSaveConfig(Requesters& requesters, const std::string& exeDir, const WheelConfig& config,
                         const std::vector<std::string>& presetTexts);

}  // namespace vm
