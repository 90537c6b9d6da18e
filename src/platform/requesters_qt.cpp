// Message boxes and file requesters on Qt Widgets.

#include "platform/requesters_qt.h"

#include <QFileDialog>
#include <QMessageBox>

#include "platform/qt_text.h"
#include "platform/toolkit_qt.h"

namespace vm {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Qt reads the patterns from the last parentheses of an entry; a label that already
// shows its pattern that way is kept as it is.
std::string Entry(const std::string& label, const std::string& pattern) {
  std::string patterns = pattern;
  for (char& c : patterns) {
    if (c == ';') c = ' ';
  }
  const std::string shown = "(" + patterns + ")";
  if (label.size() >= shown.size() && label.compare(label.size() - shown.size(), shown.size(), shown) == 0) {
    return label;
  }
  return label + " " + shown;
}

std::string Run(QWidget* owner, const FileRequest& request, QFileDialog::AcceptMode mode) {
  std::string selected;
  const std::string filters = QtFilterList(request.filter, request.filterIndex, &selected);
  QFileDialog dialog(owner, qtk::ToQt(request.title));
  dialog.setAcceptMode(mode);
  // The chosen file need not exist, only its folder; a replaced file is not asked about.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilter(qtk::ToQt(filters));
  if (!selected.empty()) dialog.selectNameFilter(qtk::ToQt(selected));
  const QString initial = qtk::PathToQt(request.initialPath);
  const QFileInfo info(initial);
  if (initial.endsWith('/') || info.isDir()) {
    dialog.setDirectory(initial);
  } else {
    dialog.setDirectory(info.path());
    if (!info.fileName().contains('*')) dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return qtk::PathFromQt(dialog.selectedFiles().first());
}

}  // namespace

std::string QtFilterList(const std::string& filter, int filterIndex, std::string* selected) {
  if (filter.empty()) return {};
  const std::vector<std::string> parts = Split(filter, '|');
  std::string list;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string entry = Entry(parts[i], parts[i + 1]);
    if (!list.empty()) list += ";;";
    list += entry;
    if (selected != nullptr && static_cast<int>(i / 2) == filterIndex) *selected = entry;
  }
  return list;
}

void QtRequesters::MessageBox(const std::string& title, const std::string& text, bool icon, WindowId ownerWindow) {
  QMessageBox box(icon ? QMessageBox::Critical : QMessageBox::NoIcon, qtk::ToQt(title), qtk::ToQt(text),
                  QMessageBox::Ok, ToolkitAccess::Window(toolkit_, ownerWindow));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

std::string QtRequesters::OpenFile(const FileRequest& request) {
  return Run(ToolkitAccess::Window(toolkit_, WindowId{0}), request, QFileDialog::AcceptOpen);
}

std::string QtRequesters::SaveFile(const FileRequest& request) {
  return Run(ToolkitAccess::Window(toolkit_, WindowId{0}), request, QFileDialog::AcceptSave);
}

}  // namespace vm
