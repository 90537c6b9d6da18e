#pragma once
// The name dialog and the About box.

#include <string>

#include "config/wheel_config.h"

namespace vm {

class Requesters;
class Toolkit;

extern const char* const kAboutText;

// What the name dialog opened with: the whole name, and the text its field shows, which for a
// very long name is only its start.
struct NameDialogOpening {
  std::string name;
  std::string shown;
};

// Window 1, not modal, fresh each time: one already open is closed first, dropping its text.
NameDialogOpening OpenNameDialog(Toolkit& toolkit, const std::string& currentName);

// "Ok": the field's text, whatever it is, becomes the name; the dialog closes. Only a field
// that shows a shortened long name and was left as it opened keeps that whole name, which
// the field cannot hold.
void AcceptNameDialog(Toolkit& toolkit, WheelConfig& config, const NameDialogOpening& opening);

void ShowAbout(Requesters& requesters);

}  // namespace vm
