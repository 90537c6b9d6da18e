// Windows by number: opening, placing, size bounds, closing, and the status bar.

#include <QCloseEvent>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>

#include "platform/qt_text.h"
#include "platform/toolkit_qt_state.h"

namespace vm::qtk {

WindowWidget::WindowWidget(State& state, int number, QWidget* owner, Qt::WindowFlags flags)
    : QMainWindow(owner, flags), state_(state), number_(number), area_(new QWidget(this)) {
  setCentralWidget(area_);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The close box only asks; the program decides and closes the window itself.
  event->ignore();
  state_.Push(MakeEvent(CloseEvent, WindowId{number_}));
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Only a size the user (or the window manager) gave: the program's own sizing is quiet.
  if (state_.programResizing || !isVisible() || !event->oldSize().isValid() || event->oldSize() == event->size()) {
    return;
  }
  state_.Push(MakeEvent(SizeEvent, WindowId{number_}));
}

namespace {

constexpr int kWindowFontPixels = 11;

Qt::WindowFlags FlagsFor(unsigned flags) {
  Qt::WindowFlags qt = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (flags & WindowSystemMenu) qt |= Qt::WindowSystemMenuHint;
  if (flags & WindowCloseBox) qt |= Qt::WindowCloseButtonHint;
  return qt;
}

// Centre of the screen's free area, or of the owner's inner area.
QPoint CentreFor(const QWidget* owner) {
  if (owner != nullptr) return owner->geometry().center();
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry().center() : QPoint(400, 300);
}

}  // namespace

bool State::OpenWindow(int window, const std::string& title, int innerWidth, int innerHeight, unsigned flags,
                       int ownerWindow) {
  if (Window(window) != nullptr) CloseWindow(window);
  WindowWidget* owner = Window(ownerWindow);
  auto* widget = new WindowWidget(*this, window, owner, FlagsFor(flags));
  windows_[window] = WindowRecord{widget, nullptr, owner != nullptr ? ownerWindow : -1, -1};
  // "[*]" would be taken as the modified-mark placeholder; doubled it shows as written.
  // The layouts give pixel sizes made for a small dialog font; a desktop's larger default
  // font would cut the labels short.
  QFont font = widget->font();
  font.setFamilies({"Arial", "Liberation Sans", "Nimbus Sans", "Helvetica", font.family()});
  font.setPixelSize(kWindowFontPixels);
  widget->setFont(font);
  widget->setWindowTitle(Shown(title).replace("[*]", "[*][*]"));
  programResizing = true;
  widget->resize(innerWidth, innerHeight);
  if (!(flags & WindowSizable)) widget->setFixedSize(innerWidth, innerHeight);
  PlaceWindow(*widget, flags, ownerWindow);
  widget->show();
  programResizing = false;
  widget->raise();
  widget->activateWindow();
  return true;
}

void State::PlaceWindow(WindowWidget& widget, unsigned flags, int ownerWindow) {
  const bool onOwner = (flags & WindowCentreOwner) && Window(ownerWindow) != nullptr;
  if (!onOwner && !(flags & WindowCentreScreen)) return;
  const QPoint centre = CentreFor(onOwner ? Window(ownerWindow) : nullptr);
  widget.move(centre.x() - widget.width() / 2, centre.y() - widget.height() / 2);
}

WindowWidget* State::Window(int window) const {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second.widget.data();
}

void State::ForgetWindow(int window) {
  for (auto it = controls_.begin(); it != controls_.end();) {
    it = it->second.window == window ? controls_.erase(it) : std::next(it);
  }
  auto found = windows_.find(window);
  if (found != windows_.end() && found->second.menu >= 0) menus_.erase(found->second.menu);
  windows_.erase(window);
  // A timer event still queued is of the closed window; a window opened again under its
  // number starts afresh.
  timerWaiting_.erase(window);
}

void State::CloseWindow(int window) {
  WindowWidget* widget = Window(window);
  // Owned windows go with their owner (Qt deletes children), so forget them first.
  std::vector<int> owned;
  for (const auto& [number, record] : windows_) {
    if (record.owner == window) owned.push_back(number);
  }
  for (int number : owned) CloseWindow(number);
  ForgetWindow(window);
  delete widget;
}

void State::SetWindowSizeBounds(int window, int minWidth, int minHeight, int maxWidth, int maxHeight) {
  WindowWidget* widget = Window(window);
  if (widget == nullptr) return;
  programResizing = true;
  widget->setMinimumSize(std::max(minWidth, 0), std::max(minHeight, 0));
  widget->setMaximumSize(maxWidth < 0 ? QWIDGETSIZE_MAX : maxWidth, maxHeight < 0 ? QWIDGETSIZE_MAX : maxHeight);
  programResizing = false;
}

void State::CreateStatusBar(int window, const std::vector<int>& widths) {
  WindowWidget* widget = Window(window);
  if (widget == nullptr) return;
  QStatusBar* bar = widget->statusBar();
  statusFields_.clear();
  for (int width : widths) {
    auto* field = new QLabel(bar);
    field->setFixedWidth(width);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    field->setTextFormat(Qt::PlainText);  // a wheel's name is shown as typed, never as markup
    bar->addWidget(field);
    statusFields_.push_back(field);
  }
}

void State::SetStatusText(int field, const std::string& text, bool centred) {
  if (field < 0 || field >= static_cast<int>(statusFields_.size())) return;
  QLabel* label = statusFields_[static_cast<size_t>(field)];
  if (label == nullptr) return;
  label->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
  label->setText(Shown(text));
}

std::string State::StatusText(int field) const {
  if (field < 0 || field >= static_cast<int>(statusFields_.size())) return {};
  const QLabel* label = statusFields_[static_cast<size_t>(field)];
  return label == nullptr ? std::string() : FromQt(label->text());
}

}  // namespace vm::qtk
