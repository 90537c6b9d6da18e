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

#include "common/picture.h"

namespace vm {

// Numbers the program gives its windows, controls, menus, menu items and status bar fields,
// and the kinds of events. Each is a type of its own, so that one cannot be passed for
// another; Number() gives the plain number where one is needed.
enum class WindowId : int32_t {};
enum class ControlId : int32_t {};
enum class MenuId : int32_t {};
enum class ItemId : int32_t {};
enum class FieldId : int32_t {};
enum class EventKind : int32_t {};

template <class Id>
constexpr int32_t Number(Id id) {
  return static_cast<int32_t>(id);
}

// The toolkit's own numbers. Events carry them, so none of them may change.
// Event kinds the toolkit raises
inline constexpr EventKind ControlEvent{13100};
inline constexpr EventKind MenuEvent{13101};
inline constexpr EventKind CloseEvent{13116};
inline constexpr EventKind SizeEvent{13118};

// Control event sub-types
inline constexpr int32_t RightClick = 1;
inline constexpr int32_t DoubleClick = 2;
inline constexpr int32_t Change = 768;

// The menu bar's number; popup menus and menu items are numbered by the program.
inline constexpr MenuId MainMenu{0};

struct Event {
  EventKind kind{};  // ControlEvent, MenuEvent, CloseEvent, SizeEvent, EventStepDone, ...
  WindowId window{};
  int32_t id = 0;           // by kind: a control, a menu item, or a status field (see below)
  int32_t subType = 0;      // for control events: Change, RightClick, DoubleClick, or other
  uint32_t generation = 0;  // batch runner that posted it; 0 for everything else
  int32_t value = 0;        // payload of runner events (slider position)
  std::string text;         // payload of runner events (status text)

  ControlId control() const { return ControlId{id}; }
  ItemId item() const { return ItemId{id}; }
  FieldId field() const { return FieldId{id}; }
};

inline Event MakeEvent(EventKind kind, WindowId window, int32_t id = 0, int32_t subType = 0) {
  Event event;
  event.kind = kind;
  event.window = window;
  event.id = id;
  event.subType = subType;
  return event;
}
inline Event MakeEvent(EventKind kind, WindowId window, ControlId control, int32_t subType = 0) {
  return MakeEvent(kind, window, Number(control), subType);
}
inline Event MakeEvent(EventKind kind, WindowId window, ItemId item) { return MakeEvent(kind, window, Number(item)); }
inline Event MakeEvent(EventKind kind, WindowId window, FieldId field) {
  return MakeEvent(kind, window, Number(field));
}

enum class ControlKind {
  Label,         // text label
  CentredLabel,  // text label, text centred
  Spin,          // spin with range; not typed into, right-aligned digits
  Option,        // option button; options created in a row form one group
  Button,        // push button
  Slider,        // horizontal slider with range
  Combo,         // combo box with editable field and drop-down list
  List,          // list view in details mode; columns added with AddListColumn
  CheckBox,
  TextField,    // single-line text entry
  DigitsField,  // single-line text entry that takes only the digits 0-9 when typed
  Picture,      // a Picture (common/picture.h) scaled evenly to fit, centred; raises no events
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
  bool OpenWindow(WindowId window, const std::string& title, int innerWidth, int innerHeight, unsigned flags,
                  WindowId ownerWindow = WindowId{-1});
  void CloseWindow(WindowId window);
  bool IsWindowOpen(WindowId window) const;
  // Inner-size bounds; a maximum of -1 sets no limit.
  void SetWindowSizeBounds(WindowId window, int minWidth, int minHeight, int maxWidth, int maxHeight);
  int WindowWidth(WindowId window) const;
  int WindowHeight(WindowId window) const;

  // Menus. Items are added to the submenu opened last; the menu bar belongs to `window`.
  // The menu bar is addressed as menu MainMenu.
  void CreateMenuBar(WindowId window);
  void MenuTitle(const std::string& title);
  void OpenSubMenu(const std::string& title);
  void CloseSubMenu();
  void MenuItem(ItemId item, const std::string& label);  // "\t" separates a shortcut text
  void MenuSeparator();
  void CreatePopupMenu(MenuId menu);  // items then go into this popup
  void SetMenuItemEnabled(MenuId menu, ItemId item, bool enabled);
  bool IsMenuItemEnabled(MenuId menu, ItemId item) const;
  // A check mark beside the item, shown from the first call on. The program keeps it: the
  // handler of the item's MenuEvent sets it again from what the item stands for.
  void SetMenuItemChecked(MenuId menu, ItemId item, bool checked);
  bool IsMenuItemChecked(MenuId menu, ItemId item) const;
  // Shows the popup at the mouse pointer, offset one pixel up and left; its choice
  // arrives as a MenuEvent of `window`.
  void ShowPopupMenu(MenuId menu, WindowId window);

  // A key pressed anywhere in `window` delivers MenuEvent `item` of that window, before
  // the focused control sees it; nothing while that item is disabled in the window's menu.
  void AddShortcut(WindowId window, Key key, ItemId item);

  // Controls
  void AddControl(WindowId window, ControlId id, ControlKind kind, int x, int y, int width, int height,
                  const std::string& text = "", int minimum = 0, int maximum = 0);
  void AddListColumn(ControlId id, const std::string& title, int width);
  void SetEnabled(ControlId id, bool enabled);
  bool IsEnabled(ControlId id) const;
  std::string Text(ControlId id) const;  // label, caption, field text
  void SetText(ControlId id, const std::string& text);
  // Spin value, slider position (clamped to its range), option 1/0, check box 1/0,
  // combo box selected item, list selected row; -1 for none.
  int State(ControlId id) const;
  void SetState(ControlId id, int state);
  void Move(ControlId id, int x, int y, int width, int height);  // -1 keeps that value
  void Geometry(ControlId id, int& x, int& y, int& width, int& height) const;
  void SetFocus(ControlId id);
  ControlId FocusedControl(WindowId window) const;  // -1 when no control of it has the focus

  // A picture control's picture, and its position marker: a line the picture's height at x
  // in the picture's units, none for a negative x. Moving the marker repaints only where it
  // was and where it goes, so a live view may move it at every frame.
  void SetPicture(ControlId id, const Picture& picture);
  void SetPictureMarker(ControlId id, int32_t x);
  int32_t PictureMarker(ControlId id) const;  // -1 for none

  // Items of a combo box or rows of a list. A list row is one text whose columns are
  // separated by "\n"; parts beyond the columns are dropped. index -1 appends.
  void AddItem(ControlId id, int index, const std::string& text);
  void RemoveItem(ControlId id, int index);
  void ClearItems(ControlId id);
  int ItemCount(ControlId id) const;
  std::string ItemText(ControlId id, int index, int column = 0) const;
  void SetItemText(ControlId id, int index, int column, const std::string& text);

  // Status bar of `window`: fields of fixed widths from the left.
  void CreateStatusBar(WindowId window, const std::vector<int>& widths);
  void SetStatusText(FieldId field, const std::string& text, bool centred);
  std::string StatusText(FieldId field) const;

  // Events. WaitEvent blocks until one is queued. PostEvent may be called from any thread
  // and keeps order with everything else queued.
  // Everything else here is for the main thread only.
  Event WaitEvent();
  bool PollEvent(Event& event);  // processes pending toolkit work, never blocks
  void PostEvent(const Event& event);
  // Each time `fd` becomes readable, reads all that waits there and posts `event`: a signal
  // handler writes to a pipe, and the main loop sees an ordinary event. A modal requester on
  // screen then ends as its Cancel would, so that the event is not held behind it.
  void PostWhenReadable(int fd, const Event& event);

 private:
  friend struct ToolkitAccess;  // the Qt side's own accessors (toolkit_qt.h)
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The running executable's full path, for the settings file and the requesters' folder.
std::string ExecutablePath();

}  // namespace vm
