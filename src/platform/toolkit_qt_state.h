#pragma once
// What the Qt toolkit keeps behind vm::Toolkit: the windows, controls and menus by number,
// the event queue, and the widget classes that report the user's actions into it.
// Everything here lives on the main thread; only PostEvent is called from other threads.

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/toolkit.h"

class QButtonGroup;
class QMenuBar;

namespace vm::qtk {

class State;

// A top-level window: controls sit on its central area, below the menu bar. Its close box
// and the user's resizing become events; the program closes it by deleting it.
class WindowWidget : public QMainWindow {
 public:
  WindowWidget(State& state, int number, QWidget* owner, Qt::WindowFlags flags);
  QWidget* area() const { return area_; }
  int number() const { return number_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  State& state_;
  int number_;
  QWidget* area_;
};

// A spin whose number cannot be typed over: only its arrows, Up/Down and the wheel move it.
class ReadOnlySpin : public QSpinBox {
 public:
  explicit ReadOnlySpin(QWidget* parent);
};

// A details list that reports a double click anywhere in it, on a row or beside the rows.
class ListView : public QTreeWidget {
 public:
  ListView(QWidget* parent, std::function<void()> onDoubleClick);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::function<void()> onDoubleClick_;
};

struct ControlRecord {
  int window = -1;
  ControlKind kind = ControlKind::Label;
  QPointer<QWidget> widget;
  // Combo box: the item the user last picked, -1 once the user has typed into the field.
  int comboSelected = -1;
};

struct MenuRecord {
  QPointer<QMenu> popup;  // null for a menu bar
  int window = -1;        // window whose MenuEvent its items deliver
  std::map<int, QPointer<QAction>> items;
};

struct ShortcutRecord {
  int window;
  Key key;
  int item;
};

struct WindowRecord {
  QPointer<WindowWidget> widget;
  QPointer<QTimer> timer;  // a child of the widget, gone with it
  int owner = -1;
  int menu = -1;  // number of its menu bar, -1 for none
};

class State {
 public:
  State();
  ~State();
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  // Windows and status bar (toolkit_qt_windows.cpp)
  bool OpenWindow(int window, const std::string& title, int innerWidth, int innerHeight, unsigned flags,
                  int ownerWindow);
  void CloseWindow(int window);
  WindowWidget* Window(int window) const;
  void SetWindowSizeBounds(int window, int minWidth, int minHeight, int maxWidth, int maxHeight);
  void CreateStatusBar(int window, const std::vector<int>& widths);
  void SetStatusText(int field, const std::string& text, bool centred);
  std::string StatusText(int field) const;
  bool programResizing = false;

  // Menus and shortcuts (toolkit_qt_menus.cpp)
  void CreateMenuBar(int window);
  void MenuTitle(const std::string& title);
  void OpenSubMenu(const std::string& title);
  void CloseSubMenu();
  void MenuItem(int item, const std::string& label);
  void MenuSeparator();
  void CreatePopupMenu(int menu);
  QAction* Action(int menu, int item) const;
  QMenu* Popup(int menu) const;
  void ShowPopupMenu(int menu, int window);
  void AddShortcut(int window, Key key, int item);
  bool HandleShortcutKey(QWidget* target, const QKeyEvent& key);

  // Controls (toolkit_qt_controls.cpp, toolkit_qt_control_values.cpp, toolkit_qt_items.cpp)
  void AddControl(int window, int id, ControlKind kind, int x, int y, int width, int height, const std::string& text,
                  int minimum, int maximum);
  ControlRecord* Control(int id);
  const ControlRecord* Control(int id) const;
  QWidget* Widget(int id) const;
  void AddListColumn(int id, const std::string& title, int width);
  std::string Text(int id) const;
  void SetText(int id, const std::string& text);
  int ControlState(int id) const;
  void SetState(int id, int state);
  int FocusedControl(int window) const;
  void AddItem(int id, int index, const std::string& text);
  void RemoveItem(int id, int index);
  void ClearItems(int id);
  int ItemCount(int id) const;
  std::string ItemText(int id, int index, int column) const;
  void SetItemText(int id, int index, int column, const std::string& text);

  // Events (toolkit_qt_events.cpp)
  void Push(const Event& event);
  void PushControl(int id, int32_t subType);
  void PushMenu(int window, int item);
  Event WaitEvent();
  bool PollEvent(Event& event);
  void PostEvent(const Event& event);
  void PostWhenReadable(int fd, const Event& event);
  void SetTimer(int window, int periodMs);

 private:
  Event Pop();
  QWidget* CreateWidget(int window, int id, ControlKind kind, QWidget* parent, const std::string& text, int minimum,
                        int maximum);
  QWidget* CreateOption(int window, int id, QWidget* parent, const std::string& text);
  QWidget* CreateCombo(int id, QWidget* parent);
  QWidget* CreateList(int id, QWidget* parent);
  void ForgetWindow(int window);
  void PlaceWindow(WindowWidget& widget, unsigned flags, int ownerWindow);

  std::deque<Event> queue_;
  std::map<int, WindowRecord> windows_;
  std::map<int, ControlRecord> controls_;
  std::map<int, MenuRecord> menus_;
  std::vector<ShortcutRecord> shortcuts_;
  std::vector<QPointer<QLabel>> statusFields_;

  // Menu building: the menu being filled and the submenu path within it.
  int buildMenu_ = -1;
  QPointer<QMenuBar> buildBar_;
  std::vector<QPointer<QMenu>> menuPath_;

  // Option buttons created one after another in a window form one group.
  int lastCreatedWindow_ = -1;
  ControlKind lastCreatedKind_ = ControlKind::Label;
  QPointer<QButtonGroup> optionGroup_;

  std::unique_ptr<QObject> receiver_;   // takes posted events on the main thread
  std::unique_ptr<QObject> keyFilter_;  // window shortcuts, ahead of the focused control
  std::vector<std::unique_ptr<QObject>> fdWatchers_;
  std::set<int> timerWaiting_;  // windows whose TimerEvent is in the queue
};

}  // namespace vm::qtk
