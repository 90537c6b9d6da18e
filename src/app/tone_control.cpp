#include "app/tone_control.h"

#include <algorithm>

#include "app/ids.h"
#include "app/pattern_choice.h"
#include "batch/rpm_slider.h"
#include "common/parse_integer.h"
#include "pattern/pattern_speed.h"
#include "platform/toolkit.h"
#include "signal/cam_signal.h"
#include "signal/exact_rate.h"
#include "signal/loop_resampler.h"
#include "signal/sound_output.h"
#include "signal/wave_image.h"

namespace vm {

namespace {

constexpr int64_t kTopRpm = RpmOfSliderPosition(kRpmSliderMaximum);

// Controls the tone keeps from the user while it plays: the wheel's, then the batch table's.
void SetLockedEnabled(Toolkit& toolkit, const WheelConfig& config, bool enabled) {
  SetWheelControlsEnabled(toolkit, config, enabled);
  for (ControlId id : kBatchControls) toolkit.SetEnabled(id, enabled);
}

Event SliderEvent() { return MakeEvent(ControlEvent, MainWindow, RpmSlider, Change); }

}  // namespace

void ToneControl::OnStartStopButton() {
  // The button's caption is the tone's state.
  if (toolkit_.Text(StartStopButton) == "Start") {
    StartTone();
  } else {
    StopTone();
  }
}

void ToneControl::StartTone() {
  SetLockedEnabled(toolkit_, config_, false);
  toolkit_.SetMenuItemEnabled(MainMenu, BatchLoadItem, false);
  toolkit_.SetMenuItemEnabled(MainMenu, ConfigLoadItem, false);
  LoadCurrentWheel();
  const int64_t rpm = RpmOfSliderPosition(toolkit_.State(RpmSlider));
  ApplyRate(rpm);
  sound_.PlayLooped();
  toolkit_.SetText(StartStopButton, "Stop");
  toolkit_.SetEnabled(RpmSlider, true);
  toolkit_.SetEnabled(RpmCombo, true);
}

void ToneControl::StopTone() {
  sound_.Stop();  // the sound stays loaded
  toolkit_.SetEnabled(RpmSlider, false);
  toolkit_.SetEnabled(RpmCombo, false);
  SetLockedEnabled(toolkit_, config_, true);
  toolkit_.SetMenuItemEnabled(MainMenu, BatchLoadItem, true);
  toolkit_.SetMenuItemEnabled(MainMenu, ConfigLoadItem, true);
  toolkit_.SetText(StartStopButton, "Start");
  // A typed RPM left pending must not start the sound while the button reads "Start"; the
  // field then shows the RPM the next "Start" plays, not a number that was never applied.
  toolkit_.SetEnabled(SetButton, false);
  toolkit_.SetText(RpmCombo, FormatDecimal(RpmOfSliderPosition(toolkit_.State(RpmSlider))));
}

// A wheel the builder refuses, or whose image the output cannot play, leaves no sound: the
// tone stays silent rather than play an earlier wheel the window no longer shows.
void ToneControl::LoadCurrentWheel() {
  loadedPattern_.reset();
  loadedPatternFile_.reset();
  if (pattern_) {
    LoadPattern();
    return;
  }
  const std::optional<WaveImage> image = BuildSignalImage(config_);
  if (image && sound_.Load(*image)) {
    loaded_ = config_;
    OnCamPhaseChanged(0);
  } else {
    sound_.Unload();
  }
}

// The pattern's cycle, made for the RPMs the slider reaches or as many as its edges allow on
// this output, as velomira-play makes it.
void ToneControl::LoadPattern() {
  std::optional<PatternSound> built = BuildPlayablePatternSound(*pattern_, sound_.DeviceRate(), kTopRpm);
  if (built && sound_.Load(built->image)) {
    loadedPattern_ = std::move(built);
    loadedPatternFile_ = *pattern_;
    OnCamPhaseChanged(0);
    const int64_t highest = HighestPatternRpm(*loadedPattern_, sound_.DeviceRate(), kTopRpm);
    if (highest < kTopRpm) {
      toolkit_.SetStatusText(NameField, pattern_->name + " (up to " + FormatDecimal(highest) + " RPM)", true);
    }
  } else {
    sound_.Unload();
  }
}

// The loaded sound's wheel under the signal options as they are now: an option of the rate
// (the exact speed) takes effect at once, one of the image at the next load.
void ToneControl::ApplyRate(int64_t rpm) {
  if (loadedPattern_) {
    // Beyond the speed its edges stay apart at, a pattern turns at that speed: held there,
    // as the slider holds the wheel to its range, rather than played as something else.
    const int64_t highest = HighestPatternRpm(*loadedPattern_, sound_.DeviceRate(), kTopRpm);
    sound_.SetRate(PatternPlaybackRate(*loadedPattern_, std::clamp<int64_t>(rpm, 1, std::max<int64_t>(1, highest))));
    return;
  }
  WheelSignal wheel = loaded_;
  wheel.Signal = config_.Signal;
  sound_.SetRate(SignalPlaybackRate(wheel, LowBits32(rpm)));
}

void ToneControl::OnExactSpeedChanged() {
  if (sound_.IsPlaying()) ApplyRate(RpmOfSliderPosition(toolkit_.State(RpmSlider)));
}

void ToneControl::OnCamPhaseChanged(uint32_t rampMs) {
  if (!sound_.HasSound()) return;
  // The phase counts in crank degrees of the loop: a pattern's cycle, or the wheel's image.
  const int32_t loopDegrees = loadedPattern_ ? loadedPattern_->revolutions * 360 : LoopCrankDegrees(loaded_);
  sound_.SetCamPhase(CamPhaseUnitsOf(config_.Signal.camPhase, loopDegrees), rampMs);
}

bool ToneControl::HasCam() const {
  if (const Pattern* pattern = ShownPattern()) return pattern->hasCam;
  return sound_.IsPlaying() ? loaded_.Signal.cam : config_.Signal.cam;
}

const Pattern* ToneControl::ShownPattern() const {
  const std::optional<Pattern>& shown = sound_.IsPlaying() ? loadedPatternFile_ : pattern_;
  return shown ? &*shown : nullptr;
}

void ToneControl::OnSlider() {
  const int64_t rpm = RpmOfSliderPosition(toolkit_.State(RpmSlider));
  toolkit_.SetText(RpmCombo, FormatDecimal(rpm));
  // Once a sound is loaded an RPM change only sets its rate: the wheel of the last build
  // stays until the next "Start".
  if (!sound_.HasSound()) LoadCurrentWheel();
  ApplyRate(RpmOfSliderPosition(toolkit_.State(RpmSlider)));
  if (!sound_.IsPlaying()) sound_.PlayLooped();
}

void ToneControl::OnRpmCombo() {
  if (toolkit_.State(RpmCombo) == -1) {
    // Typed into the field: nothing happens until "Set".
    toolkit_.SetEnabled(SetButton, true);
    return;
  }
  SliderFromField();
  toolkit_.PostEvent(SliderEvent());
}

void ToneControl::OnSetButton() {
  SliderFromField();
  toolkit_.PostEvent(SliderEvent());
  toolkit_.SetEnabled(SetButton, false);
}

// Half the field's number, truncated toward zero; the slider holds it to its range, so the
// RPM that takes effect is even and within 100..15000.
void ToneControl::SliderFromField() {
  const int64_t rpm = ParseInteger(toolkit_.Text(RpmCombo));
  toolkit_.SetState(RpmSlider, LowBits32(rpm / 2));
}

}  // namespace vm
