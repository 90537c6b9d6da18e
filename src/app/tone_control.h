#pragma once
// The continuous tone and the RPM: the "Start"/"Stop" button, the slider, the preset list
// and "Set". The RPM is always twice the slider's position.

#include <cstdint>
#include <optional>

#include "config/wheel_config.h"
#include "pattern/pattern.h"
#include "pattern/pattern_sound.h"

namespace vm {

class SoundOutput;
class Toolkit;

class ToneControl {
 public:
  // `pattern`: the pattern chosen in place of the wheel, if any (the App's).
  ToneControl(Toolkit& toolkit, SoundOutput& sound, const WheelConfig& config, const std::optional<Pattern>& pattern)
      : toolkit_(toolkit), sound_(sound), config_(config), pattern_(pattern) {}

  void OnStartStopButton();    // ControlEvent 7
  void OnSlider();             // ControlEvent 8: the user's, or posted by the list, "Set" or a runner
  void OnRpmCombo();           // ControlEvent 9, Change
  void OnSetButton();          // ControlEvent 10
  void OnExactSpeedChanged();  // the option was switched: a playing sound takes the new rate
  // The cam phase of the options was changed: a loaded sound moves its cam there over
  // `rampMs` milliseconds of play.
  void OnCamPhaseChanged(uint32_t rampMs);
  // Whether the sound as it plays, or as the next "Start" builds it, has a cam of its own
  // on the right channel, which the phase moves.
  bool HasCam() const;
  // The pattern the sound plays, or the next "Start" plays; none for the window's wheel.
  const Pattern* ShownPattern() const;
  // The wheel of the sound loaded last.
  const WheelConfig& loaded() const { return loaded_; }

 private:
  void StartTone();
  void StopTone();
  void LoadCurrentWheel();
  void LoadPattern();
  void SliderFromField();
  void ApplyRate(int64_t rpm);

  Toolkit& toolkit_;
  SoundOutput& sound_;
  const WheelConfig& config_;
  const std::optional<Pattern>& pattern_;
  WheelConfig loaded_;                         // the wheel of the sound loaded last: the exact rate is its own
  std::optional<PatternSound> loadedPattern_;  // or the pattern's, which then plays
  std::optional<Pattern> loadedPatternFile_;   // the pattern that sound was made from
};

}  // namespace vm
