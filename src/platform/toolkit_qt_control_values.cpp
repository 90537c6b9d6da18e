// Reading and setting a control's text and state. Every setter blocks the widget's
// signals: what the program sets never comes back as an event.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include "platform/qt_text.h"
#include "platform/toolkit_qt_state.h"

namespace vm::qtk {

namespace {

int SelectedRow(const QTreeWidget& list) {
  const QList<QTreeWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? -1 : list.indexOfTopLevelItem(selected.first());
}

void SelectRow(QTreeWidget& list, int row) {
  QTreeWidgetItem* item = row >= 0 ? list.topLevelItem(row) : nullptr;
  if (item == nullptr) {
    list.clearSelection();
    return;
  }
  list.setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list.scrollToItem(item);
}

// An exclusive group refuses to clear its checked button; clearing is allowed here.
void SetChecked(QAbstractButton& button, bool checked) {
  QButtonGroup* group = button.group();
  const bool exclusive = group != nullptr && group->exclusive();
  if (exclusive && !checked) group->setExclusive(false);
  button.setChecked(checked);
  if (exclusive && !checked) group->setExclusive(true);
}

}  // namespace

std::string State::Text(int id) const {
  const ControlRecord* control = Control(id);
  if (control == nullptr) return {};
  QWidget* widget = control->widget;
  QString text;
  if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
  else if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
  else if (auto* combo = qobject_cast<QComboBox*>(widget)) text = combo->currentText();
  else if (auto* edit = qobject_cast<QLineEdit*>(widget)) text = edit->text();
  else if (auto* spin = qobject_cast<QSpinBox*>(widget)) text = QString::number(spin->value());
  return FromQt(text);
}

void State::SetText(int id, const std::string& value) {
  const ControlRecord* control = Control(id);
  if (control == nullptr) return;
  QWidget* widget = control->widget;
  const QSignalBlocker blocker(widget);
  const QString text = ToQt(value);
  if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(Shown(value));
  else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(text);
  else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    const QSignalBlocker editBlocker(combo->lineEdit());
    combo->setEditText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(text);
}

int State::ControlState(int id) const {
  const ControlRecord* control = Control(id);
  if (control == nullptr) return 0;
  QWidget* widget = control->widget;
  if (auto* spin = qobject_cast<QSpinBox*>(widget)) return spin->value();
  if (auto* slider = qobject_cast<QSlider*>(widget)) return slider->value();
  if (qobject_cast<QComboBox*>(widget) != nullptr) return control->comboSelected;
  if (auto* list = qobject_cast<QTreeWidget*>(widget)) return SelectedRow(*list);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->isChecked() ? 1 : 0;
  return 0;
}

void State::SetState(int id, int state) {
  ControlRecord* control = Control(id);
  if (control == nullptr) return;
  QWidget* widget = control->widget;
  const QSignalBlocker blocker(widget);
  if (auto* spin = qobject_cast<QSpinBox*>(widget)) spin->setValue(state);          // clamps
  else if (auto* slider = qobject_cast<QSlider*>(widget)) slider->setValue(state);  // clamps
  else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    const bool valid = state >= 0 && state < combo->count();
    combo->setCurrentIndex(valid ? state : -1);
    control->comboSelected = valid ? state : -1;
  } else if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
    SelectRow(*list, state);  // its selection signal comes from the blocked widget
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    if (button->isCheckable()) SetChecked(*button, state != 0);
  }
}

}  // namespace vm::qtk
