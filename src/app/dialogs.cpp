#include "app/dialogs.h"

#include "app/ids.h"
#include "platform/requesters.h"
#include "platform/toolkit.h"

namespace vm {

const char* const kAboutText =
    "Velomirator V0.17\n"
    "\n"
    "It emulates the rotation of the phonic wheel,\n"
    "to generate the RPM signal to an ECU on the desk.\n"
    "This is done via the soundcard of the PC.\n"
    "Simply connect the GNDs and connect R or L signal\n"
    "to the sensor input pin of the ECU.\n"
    "If you have + and - input, connect L and R to it.";

NameDialogOpening OpenNameDialog(Toolkit& tk, const std::string& currentName) {
  tk.CloseWindow(NameDialog);
  // No shortcuts of its own: Return in the field does not press "Ok".
  tk.OpenWindow(NameDialog, "Edit " + currentName, 170, 70, WindowCloseBox | WindowSystemMenu | WindowCentreOwner,
                MainWindow);
  tk.AddControl(NameDialog, NameEdit, ControlKind::TextField, 10, 10, 150, 20, currentName);
  tk.AddControl(NameDialog, NameOkButton, ControlKind::Button, 10, 40, 50, 20, "Ok");
  tk.AddControl(NameDialog, NameCancelButton, ControlKind::Button, 110, 40, 50, 20, "Cancel");
  return {currentName, tk.Text(NameEdit)};
}

void AcceptNameDialog(Toolkit& tk, WheelConfig& config, const NameDialogOpening& opening) {
  const std::string text = tk.Text(NameEdit);
  // The name may have changed while the dialog was open (a config loaded): the field still wins.
  const bool shortenedAndUntouched = opening.shown != opening.name && text == opening.shown;
  config.Type = shortenedAndUntouched ? opening.name : text;
  tk.SetStatusText(NameField, config.Type, true);
  tk.CloseWindow(NameDialog);
}

void ShowAbout(Requesters& requesters) { requesters.MessageBox("About", kAboutText, false, MainWindow); }

}  // namespace vm
