// Menus by number: the menu bar with submenus, popup menus, and window shortcuts that
// deliver a menu item's event.

#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>

#include "platform/qt_text.h"
#include "platform/toolkit_qt_state.h"

namespace vm::qtk {

void State::CreateMenuBar(int window) {
  WindowWidget* widget = Window(window);
  if (widget == nullptr) return;
  // The program has one menu bar, addressed as MainMenu.
  menus_[Number(MainMenu)] = MenuRecord{nullptr, window, {}};
  windows_[window].menu = Number(MainMenu);
  buildMenu_ = Number(MainMenu);
  buildBar_ = widget->menuBar();
  menuPath_.clear();
}

void State::MenuTitle(const std::string& title) {
  if (buildBar_ == nullptr) return;
  menuPath_.assign(1, buildBar_->addMenu(ToQt(title)));
}

void State::OpenSubMenu(const std::string& title) {
  if (menuPath_.empty() || menuPath_.back() == nullptr) return;
  menuPath_.push_back(menuPath_.back()->addMenu(ToQt(title)));
}

void State::CloseSubMenu() {
  if (menuPath_.size() > 1) menuPath_.pop_back();
}

void State::MenuItem(int item, const std::string& label) {
  if (menuPath_.empty() || menuPath_.back() == nullptr) return;
  // Text after "\t" is shown as the item's key; the key itself is an AddShortcut.
  QAction* action = menuPath_.back()->addAction(ToQt(label));
  const int menu = buildMenu_;
  QObject::connect(action, &QAction::triggered, action, [this, menu, item] {
    auto found = menus_.find(menu);
    if (found != menus_.end()) PushMenu(found->second.window, item);
  });
  menus_[menu].items[item] = action;
}

void State::MenuSeparator() {
  if (!menuPath_.empty() && menuPath_.back() != nullptr) menuPath_.back()->addSeparator();
}

void State::CreatePopupMenu(int menu) {
  auto found = menus_.find(menu);
  if (found != menus_.end() && found->second.popup != nullptr) delete found->second.popup;
  auto* popup = new QMenu();
  menus_[menu] = MenuRecord{popup, -1, {}};
  buildMenu_ = menu;
  buildBar_ = nullptr;
  menuPath_.assign(1, popup);
}

QAction* State::Action(int menu, int item) const {
  auto found = menus_.find(menu);
  if (found == menus_.end()) return nullptr;
  auto action = found->second.items.find(item);
  return action == found->second.items.end() ? nullptr : action->second.data();
}

QMenu* State::Popup(int menu) const {
  auto found = menus_.find(menu);
  return found == menus_.end() ? nullptr : found->second.popup.data();
}

void State::ShowPopupMenu(int menu, int window) {
  QMenu* popup = Popup(menu);
  if (popup == nullptr) return;
  menus_[menu].window = window;
  // Shown without waiting: the choice comes back through the event queue.
  popup->popup(QCursor::pos() - QPoint(1, 1));
}

void State::AddShortcut(int window, Key key, int item) { shortcuts_.push_back(ShortcutRecord{window, key, item}); }

namespace {

bool Matches(Key key, const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  switch (key) {
    case Key::Return:
      return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
    case Key::Delete: return event.key() == Qt::Key_Delete && modifiers == Qt::NoModifier;
    case Key::Insert: return event.key() == Qt::Key_Insert && modifiers == Qt::NoModifier;
    case Key::AltA: return event.key() == Qt::Key_A && modifiers == Qt::AltModifier;
  }
  return false;
}

}  // namespace

// A shortcut key belongs to its window: it is taken from whichever control has the focus
// there. While its menu item is disabled the key is swallowed and does nothing.
bool State::HandleShortcutKey(QWidget* target, const QKeyEvent& key) {
  const auto* top = dynamic_cast<const WindowWidget*>(target->window());
  if (top == nullptr) return false;
  const int window = top->number();
  for (const ShortcutRecord& shortcut : shortcuts_) {
    if (shortcut.window != window || !Matches(shortcut.key, key)) continue;
    auto record = windows_.find(window);
    const QAction* action = record == windows_.end() ? nullptr : Action(record->second.menu, shortcut.item);
    if (action == nullptr || action->isEnabled()) PushMenu(window, shortcut.item);
    return true;
  }
  return false;
}

}  // namespace vm::qtk
