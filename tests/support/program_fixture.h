#pragma once
// A whole program on offscreen widgets with silent audio, and the user's hands: clicks,
// keys and menu choices on the real controls, then the main loop's dispatch of what they
// queued. Every event dispatched is recorded.

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "batch/ids.h"
#include "batch/batch_file.h"
#include "platform/toolkit.h"
#include "platform/toolkit_qt.h"
#include "signal/sound_output.h"
#include "support/scripted_requesters.h"

namespace vm::test {

class BatchGui : public testing::Test {
 protected:
  BatchGui() : dir_(MakeDir()), app(toolkit, sound, requesters, dir_ + "velomira") {}
  ~BatchGui() override {
    app.End();
    std::filesystem::remove_all(dir_);
  }
  void SetUp() override {
    ASSERT_TRUE(sound.Open());
    app.Start();
    Pump();
  }

  // The dispatch of the main loop, for what is queued now; returns the events handled.
  std::vector<Event> Pump() {
    std::vector<Event> handled;
    Event event;
    while (toolkit.PollEvent(event)) {
      const bool acted = event.generation == 0 || app.batch().IsLiveGeneration(event.generation);
      if (onEvent) onEvent(event, acted);
      app.Dispatch(event);
      if (acted) handled.push_back(event);
      log.push_back(event);
    }
    return handled;
  }
  // Runs the loop until `done` holds or `seconds` pass; false on time-out.
  bool PumpUntil(const std::function<bool()>& done, double seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Pump();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }

  QWidget* Widget(int id) { return ToolkitAccess::Control(toolkit, id); }
  void Click(int id) {
    QTest::mouseClick(Widget(id), Qt::LeftButton);
    Pump();
  }
  void Choose(int item) {  // a main menu item, as if chosen; nothing when it is disabled
    QAction* action = ToolkitAccess::MenuAction(toolkit, MainMenu, item);
    if (action != nullptr && action->isEnabled()) action->trigger();
    Pump();
  }
  void Type(int id, const std::string& text) {
    auto* edit = static_cast<QLineEdit*>(Widget(id));
    edit->setFocus();
    edit->selectAll();
    if (text.empty()) QTest::keyClick(edit, Qt::Key_Backspace);
    else QTest::keyClicks(edit, QString::fromStdString(text));
    Pump();
  }
  void Key(int window, Qt::Key key) {
    QWidget* target = ToolkitAccess::Window(toolkit, window)->focusWidget();
    if (target == nullptr) target = ToolkitAccess::Window(toolkit, window);
    QTest::keyClick(target, key);
    Pump();
  }
  QRect RowRect(int row) {
    auto* list = static_cast<QTreeWidget*>(Widget(BatchList));
    return list->visualItemRect(list->topLevelItem(row));
  }
  void ClickRow(int row) {
    auto* list = static_cast<QTreeWidget*>(Widget(BatchList));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowRect(row).center());
    Pump();
  }

  // A step through the dialog, as the user adds it (item 9), inserts it (8) or edits (6).
  void Step(int item, const std::string& time, const std::string& rpm1, const std::string& rpm2 = "") {
    Choose(item);
    Type(TimeEdit, time);
    Type(Rpm1Edit, rpm1);
    Type(Rpm2Edit, rpm2);
    Click(StepOkButton);
  }
  void AddRows(const std::vector<BatchRow>& rows) {
    for (const BatchRow& row : rows) Step(StepAddItem, row[0], row[1], row[2]);
  }
  std::vector<BatchRow> Rows() {
    std::vector<BatchRow> rows;
    for (int i = 0; i < toolkit.ItemCount(BatchList); ++i)
      rows.push_back({toolkit.ItemText(BatchList, i, 0), toolkit.ItemText(BatchList, i, 1), toolkit.ItemText(BatchList, i, 2)});
    return rows;
  }

  // Files in this test's own folder.
  std::string Path(const std::string& name) const { return dir_ + name; }
  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void LoadFile(const std::string& name) {
    requesters.openAnswers.push_back(Path(name));
    Choose(BatchLoadItem);
  }

  Toolkit toolkit;
  SoundOutput sound;
  ScriptedRequesters requesters;
  std::vector<Event> log;
  std::function<void(const Event&, bool acted)> onEvent;

 private:
  static std::string MakeDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velomira-batch-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    return made == nullptr ? std::string("/tmp/") : std::string(made) + "/";
  }
  std::string dir_;

 protected:
  App app;
};

}  // namespace vm::test
