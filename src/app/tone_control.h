#pragma once
// The continuous tone and the RPM: the "Start"/"Stop" button, the slider, the preset list
// and "Set". The RPM is always twice the slider's position.

#include <cstdint>

#include "config/wheel_config.h"

namespace vm {

class SoundOutput;
class Toolkit;

class ToneControl {
 public:
  ToneControl(Toolkit& toolkit, SoundOutput& sound, const WheelConfig& config)
      : toolkit_(toolkit), sound_(sound), config_(config) {}

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
  // The wheel of the sound loaded last.
  const WheelConfig& loaded() const { return loaded_; }

 private:
  void StartTone();
  void StopTone();
  void LoadCurrentWheel();
  void SliderFromField();
  void ApplyRate(int64_t rpm);

  Toolkit& toolkit_;
  SoundOutput& sound_;
  const WheelConfig& config_;
  WheelConfig loaded_;  // the wheel of the sound loaded last: the exact rate is its own
};

}  // namespace vm
