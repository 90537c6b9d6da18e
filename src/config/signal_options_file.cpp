#include "config/signal_options_file.h"

#include <algorithm>

#include "common/cam_phase.h"
#include "config/preference_file.h"

namespace vm {

void ReadSignalOptions(PreferenceFile& file, SignalOptions& options) {
  options = SignalOptions{};
  if (!file.SelectGroup("Signal")) return;
  options.exactSpeed = file.ReadInt("ExactSpeed", 0) != 0;
  options.cam = file.ReadInt("Cam", 0) != 0;
  options.camAngle = std::clamp(file.ReadInt("CamAngle", 0), 0, kCamAngleMax);
  options.camWidth = std::clamp(file.ReadInt("CamWidth", 0), 0, kCamWidthMax);
  // Degrees as the user reads them; a value that is not one is the cam as built.
  if (!ParseCamPhase(file.ReadString("CamPhase", "0"), options.camPhase)) options.camPhase = 0;
  options.pattern = file.ReadString("Pattern", "");
}

void WriteSignalOptions(PreferenceFile& file, const SignalOptions& options) {
  const SignalOptions defaults;
  if (options == defaults) return;
  file.SelectGroup("Signal");
  if (options.exactSpeed != defaults.exactSpeed) file.WriteInt("ExactSpeed", options.exactSpeed ? 1 : 0);
  if (options.cam != defaults.cam) file.WriteInt("Cam", options.cam ? 1 : 0);
  if (options.camAngle != defaults.camAngle) file.WriteInt("CamAngle", options.camAngle);
  if (options.camWidth != defaults.camWidth) file.WriteInt("CamWidth", options.camWidth);
  if (options.camPhase != defaults.camPhase) file.WriteString("CamPhase", FormatCamPhase(options.camPhase));
  if (options.pattern != defaults.pattern) file.WriteString("Pattern", options.pattern);
}

}  // namespace vm
