#include "config/wheel_config_file.h"

#include "common/parse_integer.h"
#include "config/preference_file.h"
#include "config/preference_text.h"
#include "config/signal_options_file.h"

namespace vm {
namespace {

constexpr uint32_t kConfigOptions = OptionBlankLineBeforeGroups;

void SetDefaultPresets(WheelConfig& config) {
  config.RpmPresets.clear();
  for (int32_t rpm = 1000; rpm <= 10000; rpm += 1000) config.RpmPresets.push_back(rpm);
}

void ReadGeneral(PreferenceFile& file, WheelConfig& config) {
  file.SelectGroup("General");  // a read in an absent group gives its default
  config.Type = file.ReadString("Type", "no name");
  config.AvailableTeeth = file.ReadInt("AvailableTeeth", 46);
  config.MissingTeeth = file.ReadInt("MissingTeeth", 2);
  config.WheelAt = file.ReadString("WheelAt", "camshaft") == "camshaft" ? Camshaft : Crankshaft;
}

// Every key of the group counts, in file order; each value is looked up by the key's name,
// so two keys of the same name both give the first one's value.
void ReadPresets(PreferenceFile& file, WheelConfig& config) {
  if (!file.SelectGroup("RPM")) {
    SetDefaultPresets(config);
    return;
  }
  config.RpmPresets.clear();
  std::vector<std::string> names;
  if (file.ExamineKeys()) {
    while (file.NextKey()) names.push_back(file.KeyName());
  }
  for (const std::string& name : names) config.RpmPresets.push_back(file.ReadInt(name, 0));
}

}  // namespace

WheelConfig DefaultWheelConfig() {
  WheelConfig config;
  config.Type = "no name";
  config.AvailableTeeth = 46;
  config.MissingTeeth = 2;
  config.WheelAt = Camshaft;
  SetDefaultPresets(config);
  return config;
}

void LoadWheelConfig(const std::string& path, WheelConfig& config) {
  PreferenceFile file;
  file.Open(path, kConfigOptions);  // a file that cannot be read acts as an empty one
  ReadGeneral(file, config);
  ReadPresets(file, config);
  ReadSignalOptions(file, config.Signal);
  static_cast<void>(file.Close());  // nothing was written: there is nothing to save
}

bool HasWheelKeys(const std::string& path) {
  PreferenceFile file;
  bool found = false;
  if (file.Open(path, kConfigOptions) && file.SelectGroup("General") && file.ExamineKeys()) {
    while (!found && file.NextKey()) {
      const std::string name = file.KeyName();
      for (const char* key : {"Type", "AvailableTeeth", "MissingTeeth", "WheelAt"})
        found = found || EqualsIgnoringAsciiCase(name, key);  // as the reads look keys up
    }
  }
  static_cast<void>(file.Close());  // nothing was written: there is nothing to save
  return found;
}

bool SaveWheelConfig(const std::string& path, const WheelConfig& config, const std::vector<std::string>& presetTexts) {
  PreferenceFile file;
  if (!file.Create(path, kConfigOptions)) return false;
  file.SelectGroup("General");
  file.WriteString("Type", config.Type);
  file.WriteInt("AvailableTeeth", config.AvailableTeeth);
  file.WriteInt("MissingTeeth", config.MissingTeeth);
  file.WriteString("WheelAt", config.WheelAt == Camshaft ? "camshaft" : "crankshaft");
  file.SelectGroup("RPM");
  for (size_t i = 0; i < presetTexts.size(); ++i) {
    file.WriteString(FormatDecimal(static_cast<int64_t>(i) + 1), presetTexts[i]);
  }
  WriteSignalOptions(file, config.Signal);
  return file.Close();
}

std::vector<std::string> PresetTexts(const WheelConfig& config) {
  std::vector<std::string> texts;
  texts.reserve(config.RpmPresets.size());
  for (int32_t rpm : config.RpmPresets) texts.push_back(FormatDecimal(rpm));
  return texts;
}

}  // namespace vm
