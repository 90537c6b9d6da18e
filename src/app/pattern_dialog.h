#pragma once
// The "Wheel pattern" dialog (PatternDialog): first the wheel set in the window, then the
// library's patterns with their descriptions (the user's own folder first), filtered by what
// is typed; "Open file..." adds any pattern file. The selected one is drawn below the list.
// "Ok" hands back the choice; it takes effect at the next Start, like a changed wheel.

#include <optional>
#include <string>
#include <vector>

#include "config/wheel_config.h"
#include "pattern/pattern.h"
#include "platform/toolkit.h"

namespace vm {

class Requesters;

struct PatternDialogRow {
  std::string name;
  std::string description;  // or why the file cannot be read
  std::string path;         // empty for the window's wheel
  std::string choice;       // what the settings keep: "" for the wheel, a library name, or a file's path
};

struct PatternDialogState {
  std::vector<PatternDialogRow> entries;  // the window's wheel first
  std::vector<size_t> shown;              // the entries in the list, by row
  std::string selected;                   // the choice of the selected entry, or the last one while none is
  bool readable = false;                  // whether the selected entry's pattern was read
  WheelConfig wheel;                      // the window's, as the dialog opened
};

// Fresh each time, the entry of `choice` selected. `folders` are searched for the library.
void OpenPatternDialog(Toolkit& toolkit, PatternDialogState& state, const WheelConfig& wheel, const std::string& choice,
                       const std::vector<std::string>& folders);

// Every event of PatternDialog. True when "Ok" (or a double click) chose: `choice` is then
// the selected entry's and the dialog has closed.
bool OnPatternDialogEvent(Toolkit& toolkit, Requesters& requesters, const Event& event, PatternDialogState& state,
                          std::string& choice);

}  // namespace vm
