#pragma once
// The main window as the user first sees it, and the record shown in it.

#include <cstdint>
#include <string>
#include <vector>

#include "config/wheel_config.h"

namespace vm {

class Toolkit;

// VELOMIRA_VERSION is the project's version (CMakeLists.txt), so the title follows a release.
inline constexpr const char* kMainTitle = "Velomira V" VELOMIRA_VERSION;
inline constexpr int kMainWidth = 530;
inline constexpr int kMainHeight = 230;  // the menu bar included
inline constexpr int kMainMinWidth = 300;

// Window, menus, shortcuts, popup menu, the controls TeethLabel to StepButton and the status
// bar, in that order.
void BuildMainWindow(Toolkit& toolkit);

// Name, spins, options, preset list (first item selected), the slider from the first
// preset, and the check mark of "Exact wheel speed". Reads nothing back and raises no event.
void ApplyWheelConfig(Toolkit& toolkit, const WheelConfig& config);

// The slider position for the first preset: p0 × 112 / 10, then × 5 / 112, in wrapping
// 32-bit arithmetic with truncating divisions (1002 gives 500); 0 when there are no presets.
int32_t SliderPositionForPresets(const std::vector<int32_t>& presets);

}  // namespace vm
