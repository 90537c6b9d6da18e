#pragma once
// A whole program on offscreen widgets with scripted requesters and a real sound output on
// SDL's silent driver, and the user's hands: clicks, keys, typing and menu choices on the real
// controls, then the main loop's dispatch of what they queued. Every event dispatched is
// recorded, with whether the program acted on it.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/ids.h"
#include "batch/batch_file.h"
#include "platform/toolkit.h"
#include "platform/toolkit_qt.h"
#include "signal/sound_output.h"
#include "support/files.h"
#include "support/id_printing.h"
#include "support/scripted_requesters.h"

namespace vm::test {

// As the toolkit's, but a control event is a Change unless the test says otherwise.
inline Event UserEvent(EventKind kind, WindowId window, ControlId id = ControlId{0}, int32_t subType = Change) {
  return MakeEvent(kind, window, id, subType);
}
inline Event UserEvent(EventKind kind, WindowId window, ItemId item) { return MakeEvent(kind, window, item); }

// The program is started by StartApp, so that a test can write its settings file first;
// StartedProgram starts it before every test.
class ProgramFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void WriteSettings(const std::string& bytes) { WriteFile(exePath + ".ini", bytes); }
  void StartApp();

  // The dispatch of the main loop, for what is queued now; returns the events acted on.
  std::vector<Event> Pump();
  // Runs the loop until `done` holds or `seconds` pass; false on time-out.
  bool PumpUntil(const std::function<bool()>& done, double seconds = 10);
  void Post(const Event& event);  // queued as another thread would, then pumped

  QWidget* Widget(ControlId id) { return ToolkitAccess::Control(toolkit, id); }
  void Click(ControlId id);
  void DoubleClick(ControlId id);  // both presses queued before the first is handled, as a fast user's
  void Key(ControlId id, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);  // to the control
  void KeyInWindow(WindowId window, Qt::Key key);    // to whatever has the window's focus
  void Type(ControlId id, const std::string& text);  // replaces a field's text as the user would
  void Choose(ItemId item);                          // a main menu item, as if chosen; nothing when it is disabled

  // The batch list: rows as texts, and steps entered through the dialog.
  QRect RowRect(int row);
  void ClickRow(int row);
  // A step through the dialog, as the user adds it (StepAddItem), inserts it or edits it.
  void Step(ItemId item, const std::string& time, const std::string& rpm1, const std::string& rpm2 = "");
  void AddRows(const std::vector<BatchRow>& rows);
  std::vector<BatchRow> Rows();
  void LoadFile(const std::string& name);  // File > Batch > Load of a file in the scratch folder

  std::string Path(const std::string& name) const { return dir.Path(name); }

  ScratchDir dir;
  std::string exePath = dir.Path("velomira");
  Toolkit toolkit;
  SoundOutput sound;
  ScriptedRequesters requesters;
  std::unique_ptr<App> app;
  std::vector<Event> log;
  std::function<void(const Event&, bool acted)> onEvent;
};

class StartedProgram : public ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    StartApp();
  }
};

}  // namespace vm::test
