#pragma once
// The "Cam signal..." dialog (CamDialog): the cam signal on or off, its angle and its width in
// crankshaft degrees. Like the step dialog: digits-only fields, and "Ok" usable only after a
// change that leaves every field within its range.

#include "common/signal_options.h"
#include "platform/toolkit.h"

namespace vm {

// Fresh each time: one already open is closed first. An empty width stands for one tooth
// period.
void OpenCamDialog(Toolkit& toolkit, const SignalOptions& options);

// Every event of CamDialog: a change of a field or the check box checks the fields, "Ok"
// takes them into `options` and closes, "Cancel" and the close box close. Events that arrive when the dialog is no
// longer open do nothing.
void OnCamDialogEvent(Toolkit& toolkit, const Event& event, SignalOptions& options);

}  // namespace vm
