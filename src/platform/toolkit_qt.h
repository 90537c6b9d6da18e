#pragma once
// The Qt objects behind a vm::Toolkit, for the platform code and for tests that act as the
// user (clicks, keys, resizing) on real widgets. Nothing outside src/platform and tests
// includes this.

class QAction;
class QMenu;
class QWidget;

namespace vm {

class Toolkit;

struct ToolkitAccess {
  static QWidget* Window(Toolkit& toolkit, int window);    // the top-level widget
  static QWidget* Control(Toolkit& toolkit, int id);
  static QAction* MenuAction(Toolkit& toolkit, int menu, int item);
  static QMenu* PopupMenu(Toolkit& toolkit, int menu);
};

}  // namespace vm
