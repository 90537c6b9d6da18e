#pragma once
// The name dialog and the About box.

#include <string>

#include "config/wheel_config.h"

namespace vm {

class Requesters;
class Toolkit;

extern const char* const kAboutText;

// Window 1, not modal, fresh each time: one already open is closed first, dropping its text.
// Gives the text the field shows, which for a very long name is only its start.
std::string OpenNameDialog(Toolkit& toolkit, const std::string& currentName);

// "Ok": the field's text, whatever it is, becomes the name; the dialog closes. A field left as
// it was opened (`shownName`) keeps the whole name, also one longer than the field can hold.
void AcceptNameDialog(Toolkit& toolkit, WheelConfig& config, const std::string& shownName);

void ShowAbout(Requesters& requesters);

}  // namespace vm
