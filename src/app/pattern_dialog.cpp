#include "app/pattern_dialog.h"

#include <algorithm>
#include <cctype>

#include "app/ids.h"
#include "app/pattern_choice.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_library.h"
#include "pattern/pattern_picture.h"
#include "pattern/wheel_pattern.h"
#include "platform/requesters.h"

namespace vm {
namespace {

constexpr const char* kWheelRowName = "Window's wheel";

// Pattern files are UTF-8 and the toolkit's text is Latin-1: characters beyond it show as "?".
std::string Latin1(const std::string& utf8) {
  std::string text;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      text += utf8[i];
    } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size()) {
      text += static_cast<char>(((byte & 0x03u) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu));
    } else if ((byte & 0xC0u) != 0x80) {
      text += '?';  // the first byte of a character Latin-1 cannot hold
    }
  }
  return text;
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool Matches(const PatternDialogRow& row, const std::string& filter) {
  return Lowered(row.name + " " + row.description).find(Lowered(filter)) != std::string::npos;
}

PatternDialogRow WheelRow(const WheelConfig& wheel) {
  const std::optional<Pattern> pattern = WheelPattern(wheel);
  return {kWheelRowName, pattern ? wheel.Type + ": " + pattern->description : wheel.Type, "", ""};
}

// A picture that says why there is none.
Picture Unreadable(const std::string& why) {
  Picture picture;
  picture.width = kPictureWidth * kPictureUnitsPerPixel;
  picture.height = 224 * kPictureUnitsPerPixel;
  picture.texts.push_back({picture.width / 2, picture.height / 2, 16 * kPictureUnitsPerPixel, TextAnchor::Middle,
                           "cannot be read: " + why, PictureInk::Label});
  return picture;
}

std::optional<Pattern> PatternOf(const PatternDialogState& state, const PatternDialogRow& row, std::string& error) {
  if (row.path.empty()) {
    std::optional<Pattern> wheel = WheelPattern(state.wheel);
    if (!wheel) error = "no wheel the signal can play";
    return wheel;
  }
  PatternReading reading = LoadPatternFile(row.path);
  if (!reading.ok) {
    error = PatternErrorText(reading.error);
    return std::nullopt;
  }
  return std::move(reading.pattern);
}

const PatternDialogRow* SelectedRow(const Toolkit& tk, const PatternDialogState& state) {
  const int row = tk.State(PatternList);
  return row >= 0 && static_cast<size_t>(row) < state.shown.size() ? &state.entries[state.shown[row]] : nullptr;
}

// The selected entry drawn, and "Ok" usable while it can be read. The window's wheel can
// always be chosen: it plays as it does without patterns.
void ShowSelected(Toolkit& tk, PatternDialogState& state) {
  const PatternDialogRow* row = SelectedRow(tk, state);
  // With none selected (a filter hid it) the choice is kept for the list shown next: "" would
  // select the window's wheel instead.
  if (row != nullptr) state.selected = row->choice;
  std::string error;
  const std::optional<Pattern> pattern = row == nullptr ? std::nullopt : PatternOf(state, *row, error);
  state.readable = pattern.has_value();
  tk.SetPicture(PatternPicture, pattern ? DrawPattern(*pattern) : row ? Unreadable(error) : Picture{});
  tk.SetEnabled(PatternOkButton, row != nullptr && (pattern || row->path.empty()));
}

// The list as the filter lets it show, the entry chosen before selected again if shown.
void FillList(Toolkit& tk, PatternDialogState& state, const std::string& select) {
  const std::string filter = tk.Text(PatternFindEdit);
  tk.ClearItems(PatternList);
  state.shown.clear();
  int selectedRow = -1;
  for (size_t i = 0; i < state.entries.size(); ++i) {
    const PatternDialogRow& entry = state.entries[i];
    if (i > 0 && !Matches(entry, filter)) continue;  // the window's wheel always stays
    if (entry.choice == select) selectedRow = static_cast<int>(state.shown.size());
    state.shown.push_back(i);
    tk.AddItem(PatternList, -1, Latin1(entry.name) + "\n" + Latin1(entry.description));
  }
  tk.SetState(PatternList, selectedRow);
  ShowSelected(tk, state);
}

void OpenFile(Toolkit& tk, Requesters& requesters, PatternDialogState& state) {
  FileRequest request;
  request.title = "Open pattern";
  const std::string folder = UserPatternFolder();
  request.initialPath = folder.empty() ? std::string() : folder + "/";
  request.filter = "Patterns (*.pattern)|*.pattern|All files (*)|*";
  const std::string path = requesters.OpenFile(request);
  if (path.empty()) return;
  const PatternReading reading = LoadPatternFile(path);
  if (!reading.ok) {
    requesters.MessageBox("Wheel pattern", path + ": " + PatternErrorText(reading.error), true, PatternDialog);
    return;
  }
  const auto known = std::find_if(state.entries.begin(), state.entries.end(),
                                  [&](const PatternDialogRow& row) { return row.choice == path; });
  if (known == state.entries.end()) {
    state.entries.push_back({reading.pattern.name, reading.pattern.description, path, path});
  }
  tk.SetText(PatternFindEdit, "");
  FillList(tk, state, path);
}

void BuildDialog(Toolkit& tk) {
  tk.OpenWindow(PatternDialog, "Wheel pattern", 860, 480, WindowCloseBox | WindowCentreOwner, MainWindow);
  tk.AddControl(PatternDialog, PatternFindLabel, ControlKind::Label, 10, 10, 40, 20, "Find");
  tk.AddControl(PatternDialog, PatternFindEdit, ControlKind::TextField, 50, 10, 250, 20);
  tk.AddControl(PatternDialog, PatternList, ControlKind::List, 10, 40, 840, 180);
  tk.AddListColumn(PatternList, "Pattern", 170);
  tk.AddListColumn(PatternList, "Description", 650);
  const std::string folder = UserPatternFolder();
  tk.AddControl(PatternDialog, PatternFolderLabel, ControlKind::Label, 10, 224, 840, 20,
                folder.empty() ? "" : "Your own patterns: " + folder);
  // Below the list rather than beside it: the picture's numbers need its full width.
  tk.AddControl(PatternDialog, PatternPicture, ControlKind::Picture, 10, 246, 840, 196);
  tk.AddControl(PatternDialog, PatternOpenButton, ControlKind::Button, 10, 450, 100, 22, "Open file...");
  tk.AddControl(PatternDialog, PatternOkButton, ControlKind::Button, 660, 450, 90, 22, "Ok");
  tk.AddControl(PatternDialog, PatternCancelButton, ControlKind::Button, 760, 450, 90, 22, "Cancel");
}

}  // namespace

void OpenPatternDialog(Toolkit& tk, PatternDialogState& state, const WheelConfig& wheel, const std::string& choice,
                       const std::vector<std::string>& folders) {
  tk.CloseWindow(PatternDialog);
  state = PatternDialogState{};
  state.wheel = wheel;
  state.entries.push_back(WheelRow(wheel));
  for (const PatternListEntry& entry : ListPatterns(folders)) {
    state.entries.push_back({entry.name, entry.description, entry.path, entry.name});
  }
  // A file chosen earlier stays in the list beside the library's.
  if (NamesPatternFile(choice)) {
    const ChosenPattern chosen = ReadChosenPattern(choice, folders);
    if (chosen.pattern) state.entries.push_back({chosen.pattern->name, chosen.pattern->description, choice, choice});
  }
  BuildDialog(tk);
  FillList(tk, state, choice);
  tk.SetFocus(PatternFindEdit);
}

bool OnPatternDialogEvent(Toolkit& tk, Requesters& requesters, const Event& event, PatternDialogState& state,
                          std::string& choice) {
  if (!tk.IsWindowOpen(PatternDialog)) return false;
  if (event.kind == CloseEvent) {
    tk.CloseWindow(PatternDialog);
    return false;
  }
  if (event.kind != ControlEvent) return false;
  switch (event.control()) {
    case PatternFindEdit: FillList(tk, state, state.selected); break;
    case PatternList:
      if (event.subType == Change) ShowSelected(tk, state);
      if (event.subType != DoubleClick || !tk.IsEnabled(PatternOkButton)) break;
      [[fallthrough]];
    case PatternOkButton:
      if (!tk.IsEnabled(PatternOkButton)) break;  // a press queued before the selection went
      choice = state.selected;
      tk.CloseWindow(PatternDialog);
      return true;
    case PatternOpenButton: OpenFile(tk, requesters, state); break;
    case PatternCancelButton: tk.CloseWindow(PatternDialog); break;
    default: break;
  }
  return false;
}

}  // namespace vm
