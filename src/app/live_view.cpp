#include "app/live_view.h"

#include <algorithm>
#include <cstdlib>

#include "app/ids.h"
#include "app/tone_control.h"
#include "batch/rpm_slider.h"
#include "common/cam_phase.h"
#include "common/parse_integer.h"
#include "pattern/pattern_picture.h"
#include "pattern/wheel_pattern.h"
#include "platform/toolkit.h"
#include "signal/sound_output.h"

namespace vm {
namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 240;
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 180;
constexpr int kControlsHeight = 60;  // the rows below the picture

std::string RpmText(bool playing, int64_t rpm) { return playing ? FormatDecimal(rpm) + " RPM" : "Stopped"; }

// What the picture shows of a wheel: a change of anything else leaves it as it is.
bool SameDrawing(const WheelConfig& a, const WheelConfig& b) {
  return a.Type == b.Type && a.AvailableTeeth == b.AvailableTeeth && a.MissingTeeth == b.MissingTeeth &&
         a.WheelAt == b.WheelAt && a.Signal.cam == b.Signal.cam && a.Signal.camAngle == b.Signal.camAngle &&
         a.Signal.camWidth == b.Signal.camWidth && a.Signal.camPhase == b.Signal.camPhase;
}

bool SamePattern(const Pattern& a, const Pattern& b) {
  return a.name == b.name && a.cycle == b.cycle && a.crank == b.crank && a.hasCam == b.hasCam && a.cam == b.cam;
}

// The cam track where the phase puts it: every edge `phase` hundredths of a degree later.
void MoveCam(Pattern& pattern, int32_t phase) {
  for (HighStretch& high : pattern.cam.highs) {
    const int32_t rise = ((high.rise + phase) % pattern.cycle + pattern.cycle) % pattern.cycle;
    high.fall += rise - high.rise;
    high.rise = rise;
  }
  std::sort(pattern.cam.highs.begin(), pattern.cam.highs.end(),
            [](const HighStretch& a, const HighStretch& b) { return a.rise < b.rise; });
}

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
  // Already open, it stays where the user put it.
  if (toolkit_.IsWindowOpen(LiveViewWindow)) return;
  toolkit_.OpenWindow(LiveViewWindow, "Signal", kWidth, kHeight, WindowCloseBox | WindowSystemMenu | WindowSizable);
  toolkit_.SetWindowSizeBounds(LiveViewWindow, kMinWidth, kMinHeight, -1, -1);
  toolkit_.AddControl(LiveViewWindow, LivePicture, ControlKind::Picture, 0, 0, kWidth, kHeight - kControlsHeight);
  cycle_ = 0;
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
  toolkit_.Move(LivePicture, 0, 0, width, height - kControlsHeight);
  const int row1 = height - kControlsHeight + 5;
  const int row2 = row1 + 28;
  toolkit_.Move(LiveRpmLabel, 10, row1, width - 20, 20);
  toolkit_.Move(LiveCamLabel, 10, row2, 70, 20);
  toolkit_.Move(LiveCamSlider, 80, row2, std::max(width - 220, 60), 20);
  toolkit_.Move(LiveCamEdit, width - 130, row2, 60, 20);
  toolkit_.Move(LiveCamSetButton, width - 60, row2, 50, 20);
}

// The window's wheel as it plays, or as the next "Start" builds it, with the phase its cam
// is moved by.
WheelConfig LiveView::ShownWheel() const {
  WheelConfig wheel = sound_.IsPlaying() ? tone_.loaded() : config_;
  wheel.Signal.camPhase = config_.Signal.camPhase;
  return wheel;
}

// A new picture only when what it shows has changed: painting one costs far more than a
// frame. A pattern chosen in the window takes the wheel's place.
void LiveView::Redraw() {
  const WheelConfig wheel = ShownWheel();
  if (const Pattern* chosen = tone_.ShownPattern()) {
    if (cycle_ != 0 && drawnPattern_ && SamePattern(*chosen, *drawnPattern_) &&
        drawn_.Signal.camPhase == wheel.Signal.camPhase)
      return;
    drawnPattern_ = *chosen;
    drawn_ = wheel;
    Draw(*chosen, wheel.Signal.camPhase);
    return;
  }
  if (cycle_ != 0 && !drawnPattern_ && SameDrawing(wheel, drawn_)) return;
  drawnPattern_.reset();
  drawn_ = wheel;
  const std::optional<Pattern> pattern = WheelPattern(wheel);
  if (!pattern) {
    cycle_ = 0;
    toolkit_.SetPicture(LivePicture, Picture{});
    return;
  }
  Draw(*pattern, wheel.Signal.camPhase);
}

// The cycle's picture with the cam where the phase (tenths of a degree) moves it.
void LiveView::Draw(Pattern pattern, int32_t camPhase) {
  cycle_ = pattern.cycle;
  if (pattern.hasCam) MoveCam(pattern, camPhase * kCentidegreesPerDegree / 10);
  toolkit_.SetPicture(LivePicture, DrawPattern(pattern));
}

// Every frame: the marker at the frame being heard (the first frame while stopped), the
// RPM, and whether there is a cam to move.
void LiveView::Refresh() {
  const bool playing = sound_.IsPlaying();
  Redraw();
  const int64_t angle = int64_t{sound_.HeardLoopPart()} * cycle_ >> 32;
  toolkit_.SetPictureMarker(LivePicture, cycle_ != 0 ? PatternPictureX(cycle_, angle) : -1);
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
