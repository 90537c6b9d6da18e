#include "app/pattern_choice.h"

#include "app/ids.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_library.h"
#include "platform/toolkit.h"

namespace vm {

bool PatternChosen(const WheelConfig& config) { return !config.Signal.pattern.empty(); }

ChosenPattern ReadChosenPattern(const std::string& choice, const std::vector<std::string>& folders) {
  ChosenPattern chosen;
  if (choice.empty()) return chosen;
  const std::string path = PatternPathOf(choice, folders);
  if (path.empty()) {
    chosen.error = "no pattern of that name in the pattern folders";
    return chosen;
  }
  PatternReading reading = LoadPatternFile(path);
  if (!reading.ok) {
    chosen.error = PatternErrorText(reading.error);
    return chosen;
  }
  chosen.pattern = std::move(reading.pattern);
  return chosen;
}

void SetWheelControlsEnabled(Toolkit& toolkit, const WheelConfig& config, bool enabled) {
  for (ControlId id : kWheelControls) toolkit.SetEnabled(id, enabled && !PatternChosen(config));
}

void ShowWhatPlays(Toolkit& toolkit, const WheelConfig& config, const std::optional<Pattern>& pattern, bool idle) {
  toolkit.SetStatusText(NameField, pattern ? pattern->name : config.Type, true);
  if (idle || pattern) SetWheelControlsEnabled(toolkit, config, idle);
  // A pattern's rate is exact and its cam its own.
  toolkit.SetMenuItemEnabled(MainMenu, ExactSpeedItem, !pattern);
  toolkit.SetMenuItemEnabled(MainMenu, CamSignalItem, !pattern);
}

}  // namespace vm
