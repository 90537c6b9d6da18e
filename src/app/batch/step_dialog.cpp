// The step dialog (StepDialog): one row's duration and two RPMs, for Edit, Insert and Add.
#include "app/batch/batch_state.h"
#include "app/ids.h"
#include "common/parse_integer.h"

namespace vm {

void BatchController::Impl::OpenStepDialog(bool edit) {
  // Asking again while it is open starts afresh.
  if (toolkit.IsWindowOpen(StepDialog)) toolkit.CloseWindow(StepDialog);
  toolkit.OpenWindow(StepDialog, "Batch", 200, 100, WindowCloseBox | WindowCentreOwner, MainWindow);
  toolkit.AddControl(StepDialog, TimeLabel, ControlKind::Label, 10, 10, 60, 20, "Time (ms)");
  toolkit.AddControl(StepDialog, Rpm1Label, ControlKind::Label, 80, 10, 50, 20, "RPM1");
  toolkit.AddControl(StepDialog, Rpm2Label, ControlKind::Label, 140, 10, 50, 20, "RPM2");
  toolkit.AddControl(StepDialog, TimeEdit, ControlKind::DigitsField, 10, 30, 60, 20);
  toolkit.AddControl(StepDialog, Rpm1Edit, ControlKind::DigitsField, 80, 30, 50, 20);
  toolkit.AddControl(StepDialog, Rpm2Edit, ControlKind::DigitsField, 140, 30, 50, 20);
  toolkit.AddControl(StepDialog, StepOkButton, ControlKind::Button, 10, 70, 60, 20, "Ok");
  toolkit.SetEnabled(StepOkButton, false);
  toolkit.AddControl(StepDialog, StepCancelButton, ControlKind::Button, 140, 70, 50, 20, "Cancel");
  if (edit) {
    const BatchRow row = Row(dialogRow);
    toolkit.SetText(TimeEdit, row[0]);
    toolkit.SetText(Rpm1Edit, row[1]);
    toolkit.SetText(Rpm2Edit, row[2]);
  }
  toolkit.SetFocus(TimeEdit);
  toolkit.AddShortcut(StepDialog, Key::Return, StepReturnItem);
}

void BatchController::Impl::ValidateStepDialog() {
  const int32_t time = ParseInteger32(toolkit.Text(TimeEdit));
  const int32_t rpm1 = ParseInteger32(toolkit.Text(Rpm1Edit));
  const int32_t rpm2 = ParseInteger32(toolkit.Text(Rpm2Edit));
  toolkit.SetEnabled(StepOkButton, time >= 0 && rpm1 >= 100 && (rpm2 == 0 || rpm2 >= 100));
}

void BatchController::Impl::AcceptStepDialog() {
  const BatchRow row = {toolkit.Text(TimeEdit), toolkit.Text(Rpm1Edit), toolkit.Text(Rpm2Edit)};
  const int rows = toolkit.ItemCount(BatchList);
  bool written = false;
  if (!row[0].empty() && !row[1].empty()) {
    if (editMode == 0) {
      // Rows may have gone while the dialog was open: past the end, the row is appended.
      InsertRow(dialogRow > rows ? -1 : dialogRow, row);
      SetStepItemsEnabled(true);
      written = true;
    } else if (dialogRow >= 0 && dialogRow < rows) {
      ReplaceRow(dialogRow, row);
      written = true;
    }
  }
  // While the tone plays the batch buttons stay disabled, so a run cannot overlap it.
  if (written && !TonePlaying()) {
    toolkit.SetEnabled(BatchStartButton, true);
    toolkit.SetEnabled(LoopCheckBox, true);
  }
  toolkit.CloseWindow(StepDialog);
}

void BatchController::Impl::StepReturn() {
  // The fields and buttons are numbered in the order Return walks them.
  const int32_t focused = Number(toolkit.FocusedControl(StepDialog));
  if (focused < Number(TimeEdit)) {
    toolkit.SetFocus(TimeEdit);  // no field has the focus: the walk starts at the first
  } else if (focused < Number(StepOkButton)) {
    toolkit.SetFocus(ControlId{focused + 1});
  } else {
    toolkit.PostEvent(
        MakeEvent(ControlEvent, StepDialog, focused == Number(StepOkButton) ? StepOkButton : StepCancelButton));
  }
}

}  // namespace vm
