#pragma once
// The window toolkit as the program sees it: windows by number, controls by id, menu items
// by number, and one ordered event queue. Implemented on Qt Widgets in toolkit_qt.cpp; no
// Qt type appears here.
//
// Control ids are unique across all windows, so calls on a control take only its id.
// Setting anything from the program never raises an event: only the user's own actions do.
// A call naming a control or window that does not exist does nothing (getters give 0 or "").

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vm {

// The toolkit's own numbers. Events carry them, so none of them may change.
// Event kinds the toolkit raises
inline constexpr int32_t ControlEvent = 13100;
inline constexpr int32_t MenuEvent = 13101;
inline constexpr int32_t CloseEvent = 13116;
inline constexpr int32_t SizeEvent = 13118;

// Control event sub-types
inline constexpr int32_t RightClick = 1;
inline constexpr int32_t DoubleClick = 2;
inline constexpr int32_t Change = 768;

// The menu bar's number; popup menus and menu items are numbered by the program.
inline constexpr int MainMenu = 0;

struct Event {
  int32_t kind = 0;        // ControlEvent, MenuEvent, CloseEvent, SizeEvent, EventStepDone, ...
  int32_t window = 0;
  int32_t id = 0;          // control id or menu item number
  int32_t subType = 0;     // for control events: Change, RightClick, DoubleClick, or other
  uint32_t generation = 0; // batch runner that posted it; 0 for everything else
  int32_t value = 0;       // payload of runner events (slider position)
  std::string text;        // payload of runner events (status text)
};

inline Event MakeEvent(int32_t kind, int32_t window, int32_t id = 0, int32_t subType = 0) {
  Event event;
  event.kind = kind;
  event.window = window;
  event.id = id;
  event.subType = subType;
  return event;
}

enum class ControlKind {
  Label,          // text label
  CentredLabel,   // text label, text centred
  Spin,           // spin with range; not typed into, right-aligned digits
  Option,         // option button; options created in a row form one group
  Button,         // push button
  Slider,         // horizontal slider with range
  Combo,          // combo box with editable field and drop-down list
  List,           // list view in details mode; columns added with AddListColumn
  CheckBox,
  TextField,      // single-line text entry
  DigitsField,    // single-line text entry that takes only the digits 0-9 when typed
};

enum WindowFlags : unsigned {
  WindowCloseBox = 1u << 0,
  WindowSystemMenu = 1u << 1,
  WindowSizable = 1u << 2,
  WindowCentreScreen = 1u << 3,
  WindowCentreOwner = 1u << 4,
};

enum class Key { Return, Delete, Insert, AltA };

class Toolkit {
 public:
  Toolkit();
  ~Toolkit();
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;

  // Windows. Inner size counts the menu bar; control coordinates are measured below it.
  bool OpenWindow(int window, const std::string& title, int innerWidth, int innerHeight,
                  unsigned flags, int ownerWindow = -1);
  void CloseWindow(int window);
  bool IsWindowOpen(int window) const;
  // Inner-size bounds; a maximum of -1 sets no limit.
  void SetWindowSizeBounds(int window, int minWidth, int minHeight, int maxWidth, int maxHeight);
  int WindowWidth(int window) const;
  int WindowHeight(int window) const;

  // Menus. Items are added to the submenu opened last; the menu bar belongs to `window`.
  // The menu bar is addressed as menu MainMenu.
  void CreateMenuBar(int window);
  void MenuTitle(const std::string& title);
  void OpenSubMenu(const std::string& title);
  void CloseSubMenu();
  void MenuItem(int item, const std::string& label);  // "\t" separates a shortcut text
  void MenuSeparator();
  void CreatePopupMenu(int menu);                     // items then go into this popup
  void SetMenuItemEnabled(int menu, int item, bool enabled);
  bool IsMenuItemEnabled(int menu, int item) const;
  // A check mark beside the item, shown from the first call on. The program keeps it: the
  // handler of the item's MenuEvent sets it again from what the item stands for.
  void SetMenuItemChecked(int menu, int item, bool checked);
  bool IsMenuItemChecked(int menu, int item) const;
  // Shows the popup at the mouse pointer, offset one pixel up and left; its choice
  // arrives as a MenuEvent of `window`.
  void ShowPopupMenu(int menu, int window);

  // A key pressed anywhere in `window` delivers MenuEvent `item` of that window, before
  // the focused control sees it; nothing while that item is disabled in the window's menu.
  void AddShortcut(int window, Key key, int item);

  // Controls
  void AddControl(int window, int id, ControlKind kind, int x, int y, int width, int height,
                  const std::string& text = "", int minimum = 0, int maximum = 0);
  void AddListColumn(int id, const std::string& title, int width);
  void SetEnabled(int id, bool enabled);
  bool IsEnabled(int id) const;
  std::string Text(int id) const;                 // label, caption, field text
  void SetText(int id, const std::string& text);
  // Spin value, slider position (clamped to its range), option 1/0, check box 1/0,
  // combo box selected item, list selected row; -1 for none.
  int State(int id) const;
  void SetState(int id, int state);
  void Move(int id, int x, int y, int width, int height);  // -1 keeps that value
  void Geometry(int id, int& x, int& y, int& width, int& height) const;
  void SetFocus(int id);
  int FocusedControl(int window) const;           // -1 when no control of it has the focus

  // Items of a combo box or rows of a list. A list row is one text whose columns are
  // separated by "\n"; parts beyond the columns are dropped. index -1 appends.
  void AddItem(int id, int index, const std::string& text);
  void RemoveItem(int id, int index);
  void ClearItems(int id);
  int ItemCount(int id) const;
  std::string ItemText(int id, int index, int column = 0) const;
  void SetItemText(int id, int index, int column, const std::string& text);

  // Status bar of `window`: fields of fixed widths from the left.
  void CreateStatusBar(int window, const std::vector<int>& widths);
  void SetStatusText(int field, const std::string& text, bool centred);
  std::string StatusText(int field) const;

  // Events. WaitEvent blocks until one is queued. PostEvent may be called from any thread
  // and keeps order with everything else queued.
  // Everything else here is for the main thread only.
  Event WaitEvent();
  bool PollEvent(Event& event);                   // processes pending toolkit work, never blocks
  void PostEvent(const Event& event);
  // Each time `fd` becomes readable, reads all that waits there and posts `event`: a signal
  // handler writes to a pipe, and the main loop sees an ordinary event.
  void PostWhenReadable(int fd, const Event& event);

 private:
  friend struct ToolkitAccess;  // the Qt side's own accessors (toolkit_qt.h)
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The running executable's full path, for the settings file and the requesters' folder.
std::string ExecutablePath();

}  // namespace vm
