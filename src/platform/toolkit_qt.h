#pragma once
// The Qt objects behind a vm::Toolkit, for the platform code and for tests that act as the
// user (clicks, keys, resizing) on real widgets. Nothing outside src/platform and tests
// includes this.

#include <cstdint>

class QAction;
class QMenu;
class QWidget;

namespace vm {

class Toolkit;
enum class WindowId : int32_t;
enum class ControlId : int32_t;
enum class MenuId : int32_t;
enum class ItemId : int32_t;

struct ToolkitAccess {
  static QWidget* Window(Toolkit& toolkit, WindowId window);  // the top-level widget
  static QWidget* Control(Toolkit& toolkit, ControlId id);
  static QAction* MenuAction(Toolkit& toolkit, MenuId menu, ItemId item);
  static QMenu* PopupMenu(Toolkit& toolkit, MenuId menu);
};

}  // namespace vm
