#pragma once
// The live view (Signal > "Show signal"): the cycle's picture with a marker where the sound
// card is playing, the RPM, and the cam phase as a slider and a field. A window of its own
// beside the main window; its timer redraws it, so it costs the audio thread nothing but
// the one atomic the sound output keeps anyway.

#include <cstdint>

#include <optional>

#include "config/wheel_config.h"
#include "pattern/pattern.h"

namespace vm {

class SoundOutput;
class ToneControl;
class Toolkit;
struct Event;

// 30 frames a second.
inline constexpr int kLiveViewPeriodMs = 33;
// A cam phase change by the slider or the field is ramped: never shorter than this, and
// slow enough that the cam moves at most a third as fast as the crank turns, so that a cam
// edge is neither dropped nor doubled however fast the slider is dragged.
inline constexpr uint32_t kCamPhaseMinRampMs = 50;

// Milliseconds of the ramp from `fromTenths` to `toTenths` at `rpm`.
uint32_t CamPhaseRampMs(int32_t fromTenths, int32_t toTenths, int64_t rpm);

class LiveView {
 public:
  LiveView(Toolkit& toolkit, SoundOutput& sound, WheelConfig& config, ToneControl& tone)
      : toolkit_(toolkit), sound_(sound), config_(config), tone_(tone) {}

  void Open();  // opens it, or brings it forward
  void Close();
  void OnEvent(const Event& event);
  // The controls as the options are now (a config loaded, the settings read).
  void Update();

 private:
  WheelConfig ShownWheel() const;
  void Refresh();
  void Redraw();
  void Draw(Pattern pattern, int32_t camPhase);
  void LayOut();
  void OnSlider();
  void OnField();
  void OnSetButton();
  void SetPhase(int32_t tenths);

  Toolkit& toolkit_;
  SoundOutput& sound_;
  WheelConfig& config_;
  ToneControl& tone_;
  WheelConfig drawn_;                    // the wheel and cam phase of the picture shown
  std::optional<Pattern> drawnPattern_;  // or the pattern, when one is chosen
  int32_t cycle_ = 0;                    // its cycle; 0 while there is no picture
};

}  // namespace vm
