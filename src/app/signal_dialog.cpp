#include "app/signal_dialog.h"

#include <optional>
#include <string>

#include "app/ids.h"
#include "common/parse_integer.h"

namespace vm {
namespace {

// Degrees from a field: nothing outside minimum..maximum. More digits than any degree has
// are refused before they are read, so no long number can wrap into the range.
std::optional<int32_t> Degrees(const std::string& text, int32_t minimum, int32_t maximum) {
  if (text.size() > 6) return std::nullopt;
  const int64_t value = ParseInteger(text);
  if (value < minimum || value > maximum) return std::nullopt;
  return static_cast<int32_t>(value);
}

// An empty angle is 0, as an empty field of the step dialog is; an empty width is one
// tooth period (stored as 0).
std::optional<int32_t> Angle(const Toolkit& tk) { return Degrees(tk.Text(CamAngleEdit), 0, kCamAngleMax); }

std::optional<int32_t> Width(const Toolkit& tk) {
  const std::string text = tk.Text(CamWidthEdit);
  return text.empty() ? std::optional<int32_t>(0) : Degrees(text, 1, kCamWidthMax);
}

void Validate(Toolkit& tk) { tk.SetEnabled(CamOkButton, Angle(tk) && Width(tk)); }

void Accept(Toolkit& tk, SignalOptions& options) {
  const auto angle = Angle(tk);
  const auto width = Width(tk);
  if (angle && width) {
    options.cam = tk.State(CamCheckBox) == 1;
    options.camAngle = *angle;
    options.camWidth = *width;
  }
  tk.CloseWindow(CamDialog);
}

}  // namespace

void OpenCamDialog(Toolkit& tk, const SignalOptions& options) {
  tk.CloseWindow(CamDialog);
  tk.OpenWindow(CamDialog, "Cam signal", 200, 130, WindowCloseBox | WindowCentreOwner, MainWindow);
  tk.AddControl(CamDialog, CamCheckBox, ControlKind::CheckBox, 10, 10, 180, 20, "On the right channel");
  tk.AddControl(CamDialog, CamAngleLabel, ControlKind::Label, 10, 40, 110, 20, "Angle (0 to 719)");
  tk.AddControl(CamDialog, CamAngleEdit, ControlKind::DigitsField, 130, 40, 60, 20);
  tk.AddControl(CamDialog, CamWidthLabel, ControlKind::Label, 10, 70, 110, 20, "Width (1 to 360)");
  tk.AddControl(CamDialog, CamWidthEdit, ControlKind::DigitsField, 130, 70, 60, 20);
  tk.AddControl(CamDialog, CamOkButton, ControlKind::Button, 10, 100, 60, 20, "Ok");
  tk.SetEnabled(CamOkButton, false);
  tk.AddControl(CamDialog, CamCancelButton, ControlKind::Button, 140, 100, 50, 20, "Cancel");
  tk.SetState(CamCheckBox, options.cam ? 1 : 0);
  tk.SetText(CamAngleEdit, FormatDecimal(options.camAngle));
  tk.SetText(CamWidthEdit, options.camWidth > 0 ? FormatDecimal(options.camWidth) : "");
  tk.SetFocus(CamCheckBox);
}

void OnCamDialogEvent(Toolkit& tk, const Event& event, SignalOptions& options) {
  // A press queued for a dialog that has gone since (a fast double click on "Ok") would read
  // the fields of no dialog: it does nothing.
  if (!tk.IsWindowOpen(CamDialog)) return;
  if (event.kind == CloseEvent) {
    tk.CloseWindow(CamDialog);
    return;
  }
  if (event.kind != ControlEvent) return;
  switch (event.control()) {
    case CamCheckBox:
    case CamAngleEdit:
    case CamWidthEdit: Validate(tk); break;
    case CamOkButton: Accept(tk, options); break;
    case CamCancelButton: tk.CloseWindow(CamDialog); break;
    default: break;
  }
}

}  // namespace vm
