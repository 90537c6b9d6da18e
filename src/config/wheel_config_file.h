#pragma once
// The wheel configuration in a config file or the settings file: groups "General" and "RPM".

#include <string>
#include <vector>

#include "config/wheel_config.h"

namespace vm {

// "no name", 46 teeth, 2 missing, camshaft, presets 1000 to 10000 in steps of 1000.
WheelConfig DefaultWheelConfig();

// Fills every field of `config` from the file; a missing or unreadable file gives the defaults.
// Values are taken as read, without range checks (the waveform builder refuses what it cannot
// build); WheelAt is always 1 or 2 afterwards.
void LoadWheelConfig(const std::string& path, WheelConfig& config);

// Whether the file holds a key of the wheel itself (Type, AvailableTeeth, MissingTeeth or
// WheelAt in group "General"). A file without one (a batch file or any other text given by
// mistake, an empty file) is not a wheel config, though LoadWheelConfig reads it as one.
[[nodiscard]] bool HasWheelKeys(const std::string& path);

// Replaces the file by the record and `presetTexts` (the items of the RPM preset list, saved
// as keys "1", "2", ... of group "RPM"; no such group when there are none). False when the
// save failed; the old file is then as it was.
[[nodiscard]] bool SaveWheelConfig(const std::string& path, const WheelConfig& config,
                                   const std::vector<std::string>& presetTexts);

// The preset list's items for a record: the decimal texts of its presets, in order.
std::vector<std::string> PresetTexts(const WheelConfig& config);

}  // namespace vm
