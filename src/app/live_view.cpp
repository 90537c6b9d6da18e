#include "app/live_view.h"

#include <algorithm>
#include <cstdlib>

#include "app/ids.h"
#include "app/tone_control.h"
#include "batch/rpm_slider.h"
#include "common/cam_phase.h"
#include "common/parse_integer.h"
#include "platform/toolkit.h"
#include "signal/cam_signal.h"
#include "signal/sound_output.h"

namespace vm {
namespace {

constexpr int kWidth = 460;
constexpr int kHeight = 300;
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 180;
constexpr int kControlsHeight = 60;  // the rows below the picture

std::string RpmText(bool playing, int64_t rpm) { return playing ? FormatDecimal(rpm) + " RPM" : "Stopped"; }

}  // namespace

uint32_t CamPhaseRampMs(int32_t fromTenths, int32_t toTenths, int64_t rpm) {
  const int64_t tenths = std::abs(int64_t{toTenths} - fromTenths);
  // The crank turns rpm × 6 degrees, rpm × 60 tenths, a second; three times the time the
  // crank takes for the distance.
  const int64_t held = std::max<int64_t>(rpm, 1);
  const int64_t ms = (3000 * tenths + 60 * held - 1) / (60 * held);
  return static_cast<uint32_t>(std::clamp<int64_t>(ms, kCamPhaseMinRampMs, 60000));
}

void LiveView::Open() {
  if (toolkit_.IsWindowOpen(LiveViewWindow)) {
    // Brought forward: opening again would place it anew.
    return;
  }
  toolkit_.OpenWindow(LiveViewWindow, "Signal", kWidth, kHeight, WindowCloseBox | WindowSystemMenu | WindowSizable);
  toolkit_.SetWindowSizeBounds(LiveViewWindow, kMinWidth, kMinHeight, -1, -1);
  toolkit_.AddControl(LiveViewWindow, LiveRpmLabel, ControlKind::Label, 10, 0, 100, 20);
  toolkit_.AddControl(LiveViewWindow, LiveCamLabel, ControlKind::Label, 10, 0, 70, 20, "Cam phase");
  toolkit_.AddControl(LiveViewWindow, LiveCamSlider, ControlKind::Slider, 80, 0, 200, 20, "", -kMaxCamPhaseTenths,
                      kMaxCamPhaseTenths);
  toolkit_.AddControl(LiveViewWindow, LiveCamEdit, ControlKind::TextField, 290, 0, 60, 20);
  toolkit_.AddControl(LiveViewWindow, LiveCamSetButton, ControlKind::Button, 360, 0, 50, 20, "Set");
  LayOut();
  Update();
  toolkit_.SetTimer(LiveViewWindow, kLiveViewPeriodMs);
}

void LiveView::Close() { toolkit_.CloseWindow(LiveViewWindow); }

void LiveView::Update() {
  if (!toolkit_.IsWindowOpen(LiveViewWindow)) return;
  toolkit_.SetState(LiveCamSlider, config_.Signal.camPhase);
  toolkit_.SetText(LiveCamEdit, FormatCamPhase(config_.Signal.camPhase));
  toolkit_.SetEnabled(LiveCamSetButton, false);
  Refresh();
}

// The picture takes what the rows below it leave.
void LiveView::LayOut() {
  const int width = toolkit_.WindowWidth(LiveViewWindow);
  const int height = toolkit_.WindowHeight(LiveViewWindow);
  const int row1 = height - kControlsHeight + 5;
  const int row2 = row1 + 28;
  toolkit_.Move(LiveRpmLabel, 10, row1, width - 20, 20);
  toolkit_.Move(LiveCamLabel, 10, row2, 70, 20);
  toolkit_.Move(LiveCamSlider, 80, row2, std::max(width - 220, 60), 20);
  toolkit_.Move(LiveCamEdit, width - 130, row2, 60, 20);
  toolkit_.Move(LiveCamSetButton, width - 60, row2, 50, 20);
}

// Every frame: the marker, the RPM, and whether there is a cam to move.
void LiveView::Refresh() {
  const bool playing = sound_.IsPlaying();
  const int32_t loopTenths = 10 * LoopCrankDegrees(playing ? tone_.loaded() : config_);
  markerTenths_ = static_cast<int32_t>(int64_t{sound_.HeardLoopPart()} * loopTenths >> 32);
  toolkit_.SetText(LiveRpmLabel, RpmText(playing, RpmOfSliderPosition(toolkit_.State(RpmSlider))));
  const bool cam = tone_.HasCam();
  for (ControlId id : {LiveCamLabel, LiveCamSlider, LiveCamEdit}) toolkit_.SetEnabled(id, cam);
  if (!cam) toolkit_.SetEnabled(LiveCamSetButton, false);
}

void LiveView::OnEvent(const Event& event) {
  if (!toolkit_.IsWindowOpen(LiveViewWindow)) return;
  switch (event.kind) {
    case TimerEvent: Refresh(); return;
    case CloseEvent: Close(); return;
    case SizeEvent: LayOut(); return;
    case ControlEvent: break;
    default: return;
  }
  switch (event.control()) {
    case LiveCamSlider: OnSlider(); break;
    case LiveCamEdit: OnField(); break;
    case LiveCamSetButton: OnSetButton(); break;
    default: break;
  }
}

void LiveView::OnSlider() {
  const int32_t tenths = toolkit_.State(LiveCamSlider);
  toolkit_.SetText(LiveCamEdit, FormatCamPhase(tenths));
  toolkit_.SetEnabled(LiveCamSetButton, false);
  SetPhase(tenths);
}

// Typed: nothing moves until "Set", which only a phase it can read enables.
void LiveView::OnField() {
  int32_t tenths = 0;
  toolkit_.SetEnabled(LiveCamSetButton, tone_.HasCam() && ParseCamPhase(toolkit_.Text(LiveCamEdit), tenths));
}

void LiveView::OnSetButton() {
  int32_t tenths = 0;
  if (!ParseCamPhase(toolkit_.Text(LiveCamEdit), tenths)) return;
  toolkit_.SetState(LiveCamSlider, tenths);
  toolkit_.SetText(LiveCamEdit, FormatCamPhase(tenths));
  toolkit_.SetEnabled(LiveCamSetButton, false);
  SetPhase(tenths);
}

void LiveView::SetPhase(int32_t tenths) {
  if (tenths == config_.Signal.camPhase) return;
  const uint32_t ramp = CamPhaseRampMs(config_.Signal.camPhase, tenths, RpmOfSliderPosition(toolkit_.State(RpmSlider)));
  config_.Signal.camPhase = tenths;
  tone_.OnCamPhaseChanged(ramp);
}

}  // namespace vm
