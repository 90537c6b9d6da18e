// The one event queue: the user's actions are appended as the widgets report them; events
// from the program and from other threads travel through Qt's posted-event queue first, so
// that they keep their order with one another.

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QSocketNotifier>

#include <unistd.h>

#include "platform/toolkit_qt_state.h"

namespace vm::qtk {

namespace {

QEvent::Type PostedType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

class PostedEvent : public QEvent {
 public:
  explicit PostedEvent(const Event& event) : QEvent(PostedType()), event_(event) {}
  const Event& event() const { return event_; }

 private:
  Event event_;
};

class Receiver : public QObject {
 public:
  explicit Receiver(State& state) : state_(state) {}
  bool event(QEvent* event) override {
    if (event->type() != PostedType()) return QObject::event(event);
    state_.Push(static_cast<PostedEvent*>(event)->event());
    return true;
  }

 private:
  State& state_;
};

class KeyFilter : public QObject {
 public:
  explicit KeyFilter(State& state) : state_(state) {}
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !object->isWidgetType()) return false;
    return state_.HandleShortcutKey(static_cast<QWidget*>(object), *static_cast<QKeyEvent*>(event));
  }

 private:
  State& state_;
};

// Objects deleted "later" are otherwise never freed: the program runs no Qt event loop.
void DeleteDeferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

State::State() : receiver_(new Receiver(*this)), keyFilter_(new KeyFilter(*this)) {
  PostedType();
  if (QCoreApplication::instance() != nullptr) { QCoreApplication::instance()->installEventFilter(keyFilter_.get()); }
}

State::~State() {
  if (QCoreApplication::instance() != nullptr) { QCoreApplication::instance()->removeEventFilter(keyFilter_.get()); }
  std::vector<int> open;
  for (const auto& [number, record] : windows_) {
    if (record.owner < 0) open.push_back(number);
  }
  for (int number : open) CloseWindow(number);
  for (auto& [number, menu] : menus_) delete menu.popup;
  QCoreApplication::removePostedEvents(receiver_.get());
}

void State::Push(const Event& event) { queue_.push_back(event); }

void State::PushControl(int id, int32_t subType) {
  const ControlRecord* control = Control(id);
  if (control == nullptr) return;
  Push(MakeEvent(ControlEvent, WindowId{control->window}, ControlId{id}, subType));
}

void State::PushMenu(int window, int item) { Push(MakeEvent(MenuEvent, WindowId{window}, ItemId{item})); }

Event State::WaitEvent() {
  while (queue_.empty()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    DeleteDeferred();
  }
  Event event = queue_.front();
  queue_.pop_front();
  return event;
}

bool State::PollEvent(Event& event) {
  if (queue_.empty()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    DeleteDeferred();
  }
  if (queue_.empty()) return false;
  event = queue_.front();
  queue_.pop_front();
  return true;
}

void State::PostWhenReadable(int fd, const Event& event) {
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this, notifier, fd, event] {
    char bytes[64];
    ssize_t n = 0;
    while ((n = ::read(fd, bytes, sizeof bytes)) > 0) {}
    // Closed at the other end: nothing more can come, and it must not wake the loop forever.
    if (n == 0) notifier->setEnabled(false);
    PostEvent(event);
    // A modal requester would hold the event until the user answers it: it goes as its
    // Cancel would, so that a quit signal ends a program that waits for the user.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  fdWatchers_.emplace_back(notifier);
}

void State::PostEvent(const Event& event) {
  // postEvent is thread-safe and keeps the order of events posted to one receiver.
  QCoreApplication::postEvent(receiver_.get(), new PostedEvent(event));
}

}  // namespace vm::qtk
