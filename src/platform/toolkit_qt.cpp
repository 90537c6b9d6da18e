// vm::Toolkit on Qt Widgets: each call goes to the state object of toolkit_qt_state.h.

#include <QCoreApplication>
#include <QSignalBlocker>

#include <filesystem>
#include <system_error>

#include "platform/qt_text.h"
#include "platform/toolkit_qt.h"
#include "platform/toolkit_qt_picture.h"
#include "platform/toolkit_qt_state.h"

namespace vm {

struct Toolkit::Impl : qtk::State {};

Toolkit::Toolkit() : impl_(std::make_unique<Impl>()) {}
Toolkit::~Toolkit() = default;

bool Toolkit::OpenWindow(WindowId window, const std::string& title, int innerWidth, int innerHeight, unsigned flags,
                         WindowId ownerWindow) {
  return impl_->OpenWindow(Number(window), title, innerWidth, innerHeight, flags, Number(ownerWindow));
}
void Toolkit::CloseWindow(WindowId window) { impl_->CloseWindow(Number(window)); }
bool Toolkit::IsWindowOpen(WindowId window) const { return impl_->Window(Number(window)) != nullptr; }
void Toolkit::SetWindowSizeBounds(WindowId window, int minWidth, int minHeight, int maxWidth, int maxHeight) {
  impl_->SetWindowSizeBounds(Number(window), minWidth, minHeight, maxWidth, maxHeight);
}
int Toolkit::WindowWidth(WindowId window) const {
  const QWidget* widget = impl_->Window(Number(window));
  return widget == nullptr ? 0 : widget->width();
}
int Toolkit::WindowHeight(WindowId window) const {
  const QWidget* widget = impl_->Window(Number(window));
  return widget == nullptr ? 0 : widget->height();
}

void Toolkit::CreateMenuBar(WindowId window) { impl_->CreateMenuBar(Number(window)); }
void Toolkit::MenuTitle(const std::string& title) { impl_->MenuTitle(title); }
void Toolkit::OpenSubMenu(const std::string& title) { impl_->OpenSubMenu(title); }
void Toolkit::CloseSubMenu() { impl_->CloseSubMenu(); }
void Toolkit::MenuItem(ItemId item, const std::string& label) { impl_->MenuItem(Number(item), label); }
void Toolkit::MenuSeparator() { impl_->MenuSeparator(); }
void Toolkit::CreatePopupMenu(MenuId menu) { impl_->CreatePopupMenu(Number(menu)); }
void Toolkit::SetMenuItemEnabled(MenuId menu, ItemId item, bool enabled) {
  if (QAction* action = impl_->Action(Number(menu), Number(item))) action->setEnabled(enabled);
}
bool Toolkit::IsMenuItemEnabled(MenuId menu, ItemId item) const {
  const QAction* action = impl_->Action(Number(menu), Number(item));
  return action != nullptr && action->isEnabled();
}
void Toolkit::SetMenuItemChecked(MenuId menu, ItemId item, bool checked) {
  QAction* action = impl_->Action(Number(menu), Number(item));
  if (action == nullptr) return;
  const QSignalBlocker quiet(action);
  action->setCheckable(true);
  action->setChecked(checked);
}
bool Toolkit::IsMenuItemChecked(MenuId menu, ItemId item) const {
  const QAction* action = impl_->Action(Number(menu), Number(item));
  return action != nullptr && action->isChecked();
}
void Toolkit::ShowPopupMenu(MenuId menu, WindowId window) { impl_->ShowPopupMenu(Number(menu), Number(window)); }
void Toolkit::AddShortcut(WindowId window, Key key, ItemId item) {
  impl_->AddShortcut(Number(window), key, Number(item));
}

void Toolkit::AddControl(WindowId window, ControlId id, ControlKind kind, int x, int y, int width, int height,
                         const std::string& text, int minimum, int maximum) {
  impl_->AddControl(Number(window), Number(id), kind, x, y, width, height, text, minimum, maximum);
}
void Toolkit::AddListColumn(ControlId id, const std::string& title, int width) {
  impl_->AddListColumn(Number(id), title, width);
}
void Toolkit::SetEnabled(ControlId id, bool enabled) {
  if (QWidget* widget = impl_->Widget(Number(id))) widget->setEnabled(enabled);
}
bool Toolkit::IsEnabled(ControlId id) const {
  const QWidget* widget = impl_->Widget(Number(id));
  return widget != nullptr && widget->isEnabledTo(widget->parentWidget());
}
std::string Toolkit::Text(ControlId id) const { return impl_->Text(Number(id)); }
void Toolkit::SetText(ControlId id, const std::string& text) { impl_->SetText(Number(id), text); }
int Toolkit::State(ControlId id) const { return impl_->ControlState(Number(id)); }
void Toolkit::SetState(ControlId id, int state) { impl_->SetState(Number(id), state); }

void Toolkit::Move(ControlId id, int x, int y, int width, int height) {
  QWidget* widget = impl_->Widget(Number(id));
  if (widget == nullptr) return;
  const QRect old = widget->geometry();
  widget->setGeometry(x < 0 ? old.x() : x, y < 0 ? old.y() : y, width < 0 ? old.width() : width,
                      height < 0 ? old.height() : height);
}
void Toolkit::Geometry(ControlId id, int& x, int& y, int& width, int& height) const {
  const QWidget* widget = impl_->Widget(Number(id));
  const QRect rect = widget == nullptr ? QRect() : widget->geometry();
  x = rect.x();
  y = rect.y();
  width = rect.width();
  height = rect.height();
}
void Toolkit::SetFocus(ControlId id) {
  if (QWidget* widget = impl_->Widget(Number(id))) widget->setFocus(Qt::OtherFocusReason);
}
ControlId Toolkit::FocusedControl(WindowId window) const { return ControlId{impl_->FocusedControl(Number(window))}; }

void Toolkit::SetPicture(ControlId id, const Picture& picture) {
  if (auto* view = dynamic_cast<qtk::PictureView*>(impl_->Widget(Number(id)))) view->SetPicture(picture);
}
void Toolkit::SetPictureMarker(ControlId id, int32_t x) {
  if (auto* view = dynamic_cast<qtk::PictureView*>(impl_->Widget(Number(id)))) view->SetMarker(x);
}
int32_t Toolkit::PictureMarker(ControlId id) const {
  const auto* view = dynamic_cast<const qtk::PictureView*>(impl_->Widget(Number(id)));
  return view == nullptr ? -1 : view->marker();
}

void Toolkit::AddItem(ControlId id, int index, const std::string& text) { impl_->AddItem(Number(id), index, text); }
void Toolkit::RemoveItem(ControlId id, int index) { impl_->RemoveItem(Number(id), index); }
void Toolkit::ClearItems(ControlId id) { impl_->ClearItems(Number(id)); }
int Toolkit::ItemCount(ControlId id) const { return impl_->ItemCount(Number(id)); }
std::string Toolkit::ItemText(ControlId id, int index, int column) const {
  return impl_->ItemText(Number(id), index, column);
}
void Toolkit::SetItemText(ControlId id, int index, int column, const std::string& text) {
  impl_->SetItemText(Number(id), index, column, text);
}

void Toolkit::CreateStatusBar(WindowId window, const std::vector<int>& widths) {
  impl_->CreateStatusBar(Number(window), widths);
}
void Toolkit::SetStatusText(FieldId field, const std::string& text, bool centred) {
  impl_->SetStatusText(Number(field), text, centred);
}
std::string Toolkit::StatusText(FieldId field) const { return impl_->StatusText(Number(field)); }

Event Toolkit::WaitEvent() { return impl_->WaitEvent(); }
bool Toolkit::PollEvent(Event& event) { return impl_->PollEvent(event); }
void Toolkit::PostEvent(const Event& event) { impl_->PostEvent(event); }
void Toolkit::PostWhenReadable(int fd, const Event& event) { impl_->PostWhenReadable(fd, event); }

void Toolkit::SetTimer(WindowId window, int periodMs) { impl_->SetTimer(Number(window), periodMs); }

QWidget* ToolkitAccess::Window(Toolkit& toolkit, WindowId window) { return toolkit.impl_->Window(Number(window)); }
QWidget* ToolkitAccess::Control(Toolkit& toolkit, ControlId id) { return toolkit.impl_->Widget(Number(id)); }
QAction* ToolkitAccess::MenuAction(Toolkit& toolkit, MenuId menu, ItemId item) {
  return toolkit.impl_->Action(Number(menu), Number(item));
}
QMenu* ToolkitAccess::PopupMenu(Toolkit& toolkit, MenuId menu) { return toolkit.impl_->Popup(Number(menu)); }

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
