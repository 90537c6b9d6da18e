// Creating controls of every kind, each reporting only the user's own actions as events.

#include <QButtonGroup>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>

#include "platform/qt_text.h"
#include "platform/toolkit_qt_picture.h"
#include "platform/toolkit_qt_state.h"

namespace vm::qtk {

ReadOnlySpin::ReadOnlySpin(QWidget* parent) : QSpinBox(parent) {
  lineEdit()->setReadOnly(true);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

ListView::ListView(QWidget* parent, std::function<void()> onDoubleClick)
    : QTreeWidget(parent), onDoubleClick_(std::move(onDoubleClick)) {}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) onDoubleClick_();
}

namespace {

// The combo box's field. When it loses the focus, Qt picks the list item equal to its text and
// reports that as `activated`; that pick is no choice of the user's (a click on another
// control), so the combo box raises no event for it.
class ComboField : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;
  bool Leaving() const { return leaving_; }

 protected:
  void focusOutEvent(QFocusEvent* event) override {
    leaving_ = true;
    QLineEdit::focusOutEvent(event);
    leaving_ = false;
  }

 private:
  bool leaving_ = false;
};

// Layouts give fixed pixel widths; a caption a little too wide for this desktop's font is
// drawn a pixel or two smaller rather than cut off.
void FitTextToWidth(QWidget& widget, int width) {
  constexpr int kSmallestPixels = 9;
  QFont font = widget.font();
  while (widget.sizeHint().width() > width && font.pixelSize() > kSmallestPixels) {
    font.setPixelSize(font.pixelSize() - 1);
    widget.setFont(font);
  }
}

// Options of one group share the smallest font any of them needed.
void MatchGroupFont(QAbstractButton& option) {
  if (option.group() == nullptr) return;
  QFont smallest = option.font();
  for (const QAbstractButton* other : option.group()->buttons()) {
    if (other->font().pixelSize() < smallest.pixelSize()) smallest = other->font();
  }
  for (QAbstractButton* other : option.group()->buttons()) other->setFont(smallest);
}

}  // namespace

void State::AddControl(int window, int id, ControlKind kind, int x, int y, int width, int height,
                       const std::string& text, int minimum, int maximum) {
  WindowWidget* owner = Window(window);
  if (owner == nullptr) return;
  if (const ControlRecord* old = Control(id)) delete old->widget.data();
  controls_[id] = ControlRecord{window, kind, nullptr, -1};
  QWidget* widget = CreateWidget(window, id, kind, owner->area(), text, minimum, maximum);
  controls_[id].widget = widget;
  widget->setGeometry(x, y, width, height);
  if (kind == ControlKind::Label || kind == ControlKind::Option || kind == ControlKind::CheckBox) {
    FitTextToWidth(*widget, width);
  }
  if (kind == ControlKind::Option) MatchGroupFont(*static_cast<QAbstractButton*>(widget));
  widget->show();
  lastCreatedWindow_ = window;
  lastCreatedKind_ = kind;
}

QWidget* State::CreateWidget(int window, int id, ControlKind kind, QWidget* parent, const std::string& text,
                             int minimum, int maximum) {
  const QString label = ToQt(text);
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::CentredLabel: {
      auto* widget = new QLabel(Shown(text), parent);
      widget->setTextFormat(Qt::PlainText);
      widget->setAlignment((kind == ControlKind::CentredLabel ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
      return widget;
    }
    case ControlKind::Spin: {
      auto* widget = new ReadOnlySpin(parent);
      widget->setRange(minimum, maximum);
      QObject::connect(widget, &QSpinBox::valueChanged, widget, [this, id] { PushControl(id, Change); });
      return widget;
    }
    case ControlKind::Option: return CreateOption(window, id, parent, text);
    case ControlKind::Button: {
      auto* widget = new QPushButton(label, parent);
      widget->setAutoDefault(false);
      QObject::connect(widget, &QPushButton::clicked, widget, [this, id] { PushControl(id, Change); });
      return widget;
    }
    case ControlKind::Slider: {
      auto* widget = new QSlider(Qt::Horizontal, parent);
      widget->setRange(minimum, maximum);
      QObject::connect(widget, &QSlider::valueChanged, widget, [this, id] { PushControl(id, Change); });
      return widget;
    }
    case ControlKind::Combo: return CreateCombo(id, parent);
    case ControlKind::List: return CreateList(id, parent);
    case ControlKind::CheckBox: {
      auto* widget = new QCheckBox(label, parent);
      QObject::connect(widget, &QCheckBox::clicked, widget, [this, id] { PushControl(id, Change); });
      return widget;
    }
    case ControlKind::TextField:
    case ControlKind::DigitsField: {
      auto* widget = new QLineEdit(label, parent);
      if (kind == ControlKind::DigitsField) {
        widget->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), widget));
      }
      QObject::connect(widget, &QLineEdit::textEdited, widget, [this, id] { PushControl(id, Change); });
      return widget;
    }
    case ControlKind::Picture: return new PictureView(parent);
  }
  return new QWidget(parent);
}

QWidget* State::CreateOption(int window, int id, QWidget* parent, const std::string& text) {
  auto* widget = new QRadioButton(ToQt(text), parent);
  const bool continuesGroup = lastCreatedWindow_ == window && lastCreatedKind_ == ControlKind::Option &&
                              optionGroup_ != nullptr;
  if (!continuesGroup) optionGroup_ = new QButtonGroup(parent);
  optionGroup_->addButton(widget);
  QObject::connect(widget, &QRadioButton::clicked, widget, [this, id] { PushControl(id, Change); });
  return widget;
}

QWidget* State::CreateCombo(int id, QWidget* parent) {
  auto* widget = new QComboBox(parent);
  widget->setEditable(true);
  auto* field = new ComboField(widget);
  widget->setLineEdit(field);
  // The field holds whatever the user types: no completion, no adding to the list.
  widget->setInsertPolicy(QComboBox::NoInsert);
  widget->setCompleter(nullptr);
  QObject::connect(widget, &QComboBox::activated, widget, [this, id, field](int index) {
    if (field->Leaving()) return;
    if (ControlRecord* control = Control(id)) control->comboSelected = index;
    PushControl(id, Change);
  });
  QObject::connect(widget->lineEdit(), &QLineEdit::textEdited, widget, [this, id] {
    if (ControlRecord* control = Control(id)) control->comboSelected = -1;
    PushControl(id, Change);
  });
  return widget;
}

QWidget* State::CreateList(int id, QWidget* parent) {
  auto* widget = new ListView(parent, [this, id] { PushControl(id, DoubleClick); });
  widget->setRootIsDecorated(false);
  widget->setItemsExpandable(false);
  widget->setUniformRowHeights(true);
  widget->setSelectionMode(QAbstractItemView::SingleSelection);
  widget->setSelectionBehavior(QAbstractItemView::SelectRows);
  widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
  widget->setAllColumnsShowFocus(true);
  widget->setColumnCount(0);
  widget->header()->setStretchLastSection(false);
  widget->header()->setSectionsMovable(false);
  // The selected row stays highlighted while another control has the focus.
  QPalette palette = widget->palette();
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  widget->setPalette(palette);
  widget->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(widget, &QTreeWidget::customContextMenuRequested, widget,
                   [this, id] { PushControl(id, RightClick); });
  QObject::connect(widget, &QTreeWidget::itemSelectionChanged, widget, [this, id] { PushControl(id, Change); });
  return widget;
}

void State::AddListColumn(int id, const std::string& title, int width) {
  auto* list = qobject_cast<QTreeWidget*>(Widget(id));
  if (list == nullptr) return;
  const int column = list->columnCount();
  list->setColumnCount(column + 1);
  list->headerItem()->setText(column, ToQt(title));
  list->setColumnWidth(column, width);
}

ControlRecord* State::Control(int id) {
  auto found = controls_.find(id);
  return found == controls_.end() || found->second.widget == nullptr ? nullptr : &found->second;
}

const ControlRecord* State::Control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() || found->second.widget == nullptr ? nullptr : &found->second;
}

QWidget* State::Widget(int id) const {
  const ControlRecord* control = Control(id);
  return control == nullptr ? nullptr : control->widget.data();
}

int State::FocusedControl(int window) const {
  const WindowWidget* owner = Window(window);
  if (owner == nullptr) return -1;
  // The focus may sit on a part of a control, such as the field of a combo box.
  for (const QWidget* focus = owner->focusWidget(); focus != nullptr && focus != owner; focus = focus->parentWidget()) {
    for (const auto& [id, control] : controls_) {
      if (control.window == window && control.widget == focus) return id;
    }
  }
  return -1;
}

}  // namespace vm::qtk
