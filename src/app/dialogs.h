#pragma once
// The name dialog and the About box.

#include <string>

#include "config/wheel_config.h"

namespace vm {

class Requesters;
class Toolkit;

extern const char* const kAboutText;

// Window 1, not modal, fresh each time: one already open is closed first, dropping its text.
void OpenNameDialog(Toolkit& toolkit, const std::string& currentName);

// "Ok": the field's text, whatever it is, becomes the name; the dialog closes.
void AcceptNameDialog(Toolkit& toolkit, WheelConfig& config);

void ShowAbout(Requesters& requesters);

}  // namespace vm
