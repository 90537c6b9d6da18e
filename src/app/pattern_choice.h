#pragma once
// The trigger pattern chosen in place of the window's wheel: reading the one the settings name,
// and showing in the window what plays. The choice itself is WheelConfig::Signal.pattern, so
// the settings and config files keep it with the other signal options.

#include <optional>
#include <string>
#include <vector>

#include "config/wheel_config.h"
#include "pattern/pattern.h"

namespace vm {

class Toolkit;

bool PatternChosen(const WheelConfig& config);

struct ChosenPattern {
  std::optional<Pattern> pattern;  // nothing for the wheel, or when it cannot be read
  std::string error;               // why it cannot be read
};

// The pattern `choice` names (a library name looked up in `folders`, or a file), read from its
// file; nothing for an empty choice.
ChosenPattern ReadChosenPattern(const std::string& choice, const std::vector<std::string>& folders);

// The pattern's name where the wheel's name stands and the wheel's own controls and options
// disabled; with no pattern, the wheel's name and the window as it is without patterns.
// `idle`: no tone or batch run holds the wheel's controls.
void ShowWhatPlays(Toolkit& toolkit, const WheelConfig& config, const std::optional<Pattern>& pattern, bool idle);

// The wheel's controls, unlocked only while they apply: never while a pattern is chosen.
void SetWheelControlsEnabled(Toolkit& toolkit, const WheelConfig& config, bool enabled);

}  // namespace vm
