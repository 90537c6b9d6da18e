// vm::Toolkit on Qt Widgets: each call goes to the state object of toolkit_qt_state.h.

#include <QCoreApplication>
#include <QSignalBlocker>

#include <filesystem>
#include <system_error>

#include "platform/toolkit_qt.h"
#include "platform/qt_text.h"
#include "platform/toolkit_qt_state.h"

namespace vm {

struct Toolkit::Impl : qtk::State {};

Toolkit::Toolkit() : impl_(std::make_unique<Impl>()) {}
Toolkit::~Toolkit() = default;

bool Toolkit::OpenWindow(int window, const std::string& title, int innerWidth, int innerHeight,
                         unsigned flags, int ownerWindow) {
  return impl_->OpenWindow(window, title, innerWidth, innerHeight, flags, ownerWindow);
}
void Toolkit::CloseWindow(int window) { impl_->CloseWindow(window); }
bool Toolkit::IsWindowOpen(int window) const { return impl_->Window(window) != nullptr; }
void Toolkit::SetWindowSizeBounds(int window, int minWidth, int minHeight, int maxWidth,
                                  int maxHeight) {
  impl_->SetWindowSizeBounds(window, minWidth, minHeight, maxWidth, maxHeight);
}
int Toolkit::WindowWidth(int window) const {
  const QWidget* widget = impl_->Window(window);
  return widget == nullptr ? 0 : widget->width();
}
int Toolkit::WindowHeight(int window) const {
  const QWidget* widget = impl_->Window(window);
  return widget == nullptr ? 0 : widget->height();
}

void Toolkit::CreateMenuBar(int window) { impl_->CreateMenuBar(window); }
void Toolkit::MenuTitle(const std::string& title) { impl_->MenuTitle(title); }
void Toolkit::OpenSubMenu(const std::string& title) { impl_->OpenSubMenu(title); }
void Toolkit::CloseSubMenu() { impl_->CloseSubMenu(); }
void Toolkit::MenuItem(int item, const std::string& label) { impl_->MenuItem(item, label); }
void Toolkit::MenuSeparator() { impl_->MenuSeparator(); }
void Toolkit::CreatePopupMenu(int menu) { impl_->CreatePopupMenu(menu); }
void Toolkit::SetMenuItemEnabled(int menu, int item, bool enabled) {
  if (QAction* action = impl_->Action(menu, item)) action->setEnabled(enabled);
}
bool Toolkit::IsMenuItemEnabled(int menu, int item) const {
  const QAction* action = impl_->Action(menu, item);
  return action != nullptr && action->isEnabled();
}
void Toolkit::SetMenuItemChecked(int menu, int item, bool checked) {
  QAction* action = impl_->Action(menu, item);
  if (action == nullptr) return;
  const QSignalBlocker quiet(action);
  action->setCheckable(true);
  action->setChecked(checked);
}
bool Toolkit::IsMenuItemChecked(int menu, int item) const {
  const QAction* action = impl_->Action(menu, item);
  return action != nullptr && action->isChecked();
}
void Toolkit::ShowPopupMenu(int menu, int window) { impl_->ShowPopupMenu(menu, window); }
void Toolkit::AddShortcut(int window, Key key, int item) { impl_->AddShortcut(window, key, item); }

void Toolkit::AddControl(int window, int id, ControlKind kind, int x, int y, int width,
                         int height, const std::string& text, int minimum, int maximum) {
  impl_->AddControl(window, id, kind, x, y, width, height, text, minimum, maximum);
}
void Toolkit::AddListColumn(int id, const std::string& title, int width) {
  impl_->AddListColumn(id, title, width);
}
void Toolkit::SetEnabled(int id, bool enabled) {
  if (QWidget* widget = impl_->Widget(id)) widget->setEnabled(enabled);
}
bool Toolkit::IsEnabled(int id) const {
  const QWidget* widget = impl_->Widget(id);
  return widget != nullptr && widget->isEnabledTo(widget->parentWidget());
}
std::string Toolkit::Text(int id) const { return impl_->Text(id); }
void Toolkit::SetText(int id, const std::string& text) { impl_->SetText(id, text); }
int Toolkit::State(int id) const { return impl_->ControlState(id); }
void Toolkit::SetState(int id, int state) { impl_->SetState(id, state); }

void Toolkit::Move(int id, int x, int y, int width, int height) {
  QWidget* widget = impl_->Widget(id);
  if (widget == nullptr) return;
  const QRect old = widget->geometry();
  widget->setGeometry(x < 0 ? old.x() : x, y < 0 ? old.y() : y, width < 0 ? old.width() : width,
                      height < 0 ? old.height() : height);
}
void Toolkit::Geometry(int id, int& x, int& y, int& width, int& height) const {
  const QWidget* widget = impl_->Widget(id);
  const QRect rect = widget == nullptr ? QRect() : widget->geometry();
  x = rect.x();
  y = rect.y();
  width = rect.width();
  height = rect.height();
}
void Toolkit::SetFocus(int id) {
  if (QWidget* widget = impl_->Widget(id)) widget->setFocus(Qt::OtherFocusReason);
}
int Toolkit::FocusedControl(int window) const { return impl_->FocusedControl(window); }

void Toolkit::AddItem(int id, int index, const std::string& text) { impl_->AddItem(id, index, text); }
void Toolkit::RemoveItem(int id, int index) { impl_->RemoveItem(id, index); }
void Toolkit::ClearItems(int id) { impl_->ClearItems(id); }
int Toolkit::ItemCount(int id) const { return impl_->ItemCount(id); }
std::string Toolkit::ItemText(int id, int index, int column) const {
  return impl_->ItemText(id, index, column);
}
void Toolkit::SetItemText(int id, int index, int column, const std::string& text) {
  impl_->SetItemText(id, index, column, text);
}

void Toolkit::CreateStatusBar(int window, const std::vector<int>& widths) {
  impl_->CreateStatusBar(window, widths);
}
void Toolkit::SetStatusText(int field, const std::string& text, bool centred) {
  impl_->SetStatusText(field, text, centred);
}
std::string Toolkit::StatusText(int field) const { return impl_->StatusText(field); }

Event Toolkit::WaitEvent() { return impl_->WaitEvent(); }
bool Toolkit::PollEvent(Event& event) { return impl_->PollEvent(event); }
void Toolkit::PostEvent(const Event& event) { impl_->PostEvent(event); }
void Toolkit::PostWhenReadable(int fd, const Event& event) { impl_->PostWhenReadable(fd, event); }

QWidget* ToolkitAccess::Window(Toolkit& toolkit, int window) { return toolkit.impl_->Window(window); }
QWidget* ToolkitAccess::Control(Toolkit& toolkit, int id) { return toolkit.impl_->Widget(id); }
QAction* ToolkitAccess::MenuAction(Toolkit& toolkit, int menu, int item) {
  return toolkit.impl_->Action(menu, item);
}
QMenu* ToolkitAccess::PopupMenu(Toolkit& toolkit, int menu) { return toolkit.impl_->Popup(menu); }

std::string ExecutablePath() {
  if (QCoreApplication::instance() != nullptr) {
    const QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty()) return qtk::PathFromQt(path);
  }
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace vm
