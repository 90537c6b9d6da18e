// Items of combo boxes and rows of lists. A list row arrives as one text whose columns are
// separated by "\n".

#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/qt_text.h"
#include "platform/toolkit_qt_state.h"

namespace vm::qtk {

namespace {

QStringList Columns(const std::string& text, int columnCount) {
  QStringList parts = ToQt(text).split('\n');
  while (parts.size() > std::max(columnCount, 1)) parts.removeLast();
  return parts;
}

int InsertPosition(int index, int count) { return index < 0 || index > count ? count : index; }

void AddComboItem(QComboBox& combo, ControlRecord& control, int index, const std::string& text) {
  const QSignalBlocker editBlocker(combo.lineEdit());
  const QString field = combo.currentText();
  combo.insertItem(InsertPosition(index, combo.count()), ToQt(text));
  // Qt selects the first item put into an empty list; the program's lists start with none
  // selected, so that nothing is chosen until the user chooses it.
  if (control.comboSelected < 0) {
    combo.setCurrentIndex(-1);
    combo.setEditText(field);
  } else {
    control.comboSelected = combo.currentIndex();
  }
}

}  // namespace

void State::AddItem(int id, int index, const std::string& text) {
  ControlRecord* control = Control(id);
  if (control == nullptr) return;
  const QSignalBlocker blocker(control->widget);
  if (auto* combo = qobject_cast<QComboBox*>(control->widget)) {
    AddComboItem(*combo, *control, index, text);
  } else if (auto* list = qobject_cast<QTreeWidget*>(control->widget)) {
    auto* item = new QTreeWidgetItem(Columns(text, list->columnCount()));
    list->insertTopLevelItem(InsertPosition(index, list->topLevelItemCount()), item);
  }
}

void State::RemoveItem(int id, int index) {
  ControlRecord* control = Control(id);
  if (control == nullptr || index < 0) return;
  const QSignalBlocker blocker(control->widget);
  if (auto* combo = qobject_cast<QComboBox*>(control->widget)) {
    if (index >= combo->count()) return;
    const QSignalBlocker editBlocker(combo->lineEdit());
    const QString field = combo->currentText();
    combo->removeItem(index);
    if (control->comboSelected == index) control->comboSelected = -1;
    else if (control->comboSelected > index) --control->comboSelected;
    combo->setCurrentIndex(control->comboSelected);
    combo->setEditText(field);  // the field keeps the text the user sees
  } else if (auto* list = qobject_cast<QTreeWidget*>(control->widget)) {
    QTreeWidgetItem* removed = list->topLevelItem(index);
    const bool wasSelected = removed != nullptr && removed->isSelected();
    delete list->takeTopLevelItem(index);
    // Qt passes the selection on to a neighbour; a deleted selected row leaves none selected,
    // so the next action does not fall on a row the user never chose.
    if (wasSelected) list->clearSelection();
  }
}

void State::ClearItems(int id) {
  ControlRecord* control = Control(id);
  if (control == nullptr) return;
  const QSignalBlocker blocker(control->widget);
  if (auto* combo = qobject_cast<QComboBox*>(control->widget)) {
    const QSignalBlocker editBlocker(combo->lineEdit());
    combo->clear();
    combo->clearEditText();
    control->comboSelected = -1;
  } else if (auto* list = qobject_cast<QTreeWidget*>(control->widget)) {
    list->clear();
  }
}

int State::ItemCount(int id) const {
  QWidget* widget = Widget(id);
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->count();
  if (auto* list = qobject_cast<QTreeWidget*>(widget)) return list->topLevelItemCount();
  return 0;
}

std::string State::ItemText(int id, int index, int column) const {
  QWidget* widget = Widget(id);
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (index < 0 || index >= combo->count() || column != 0) return {};
    return FromQt(combo->itemText(index));
  }
  if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
    const QTreeWidgetItem* item = index >= 0 ? list->topLevelItem(index) : nullptr;
    if (item == nullptr || column < 0 || column >= list->columnCount()) return {};
    return FromQt(item->text(column));
  }
  return {};
}

void State::SetItemText(int id, int index, int column, const std::string& text) {
  ControlRecord* control = Control(id);
  if (control == nullptr) return;
  const QSignalBlocker blocker(control->widget);
  if (auto* combo = qobject_cast<QComboBox*>(control->widget)) {
    if (index >= 0 && index < combo->count() && column == 0) { combo->setItemText(index, ToQt(text)); }
  } else if (auto* list = qobject_cast<QTreeWidget*>(control->widget)) {
    QTreeWidgetItem* item = index >= 0 ? list->topLevelItem(index) : nullptr;
    if (item != nullptr && column >= 0 && column < list->columnCount()) { item->setText(column, ToQt(text)); }
  }
}

}  // namespace vm::qtk
