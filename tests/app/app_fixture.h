#pragma once
// A started program on real widgets, headless, with scripted requesters and a real sound
// output on SDL's silent driver. Tests act as the user and then let the main loop run.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QAction>
#include <QTest>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/app.h"
#include "batch/ids.h"
#include "platform/toolkit.h"
#include "platform/toolkit_qt.h"
#include "signal/sound_output.h"
#include "support/scripted_requesters.h"

namespace vm::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

// As the toolkit's, but a control event is a Change unless the test says otherwise.
inline Event UserEvent(int32_t kind, int window, int id = 0, int32_t subType = Change) {
  return MakeEvent(kind, window, id, subType);
}

class AppFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    exePath = dir.filePath("velomira").toStdString();
    ASSERT_TRUE(sound.Open());
  }
  void TearDown() override {
    app.reset();
    sound.Close();
  }

  // Writes a settings file beside the executable before the program starts.
  void WriteSettings(const std::string& bytes) { WriteFile(exePath + ".ini", bytes); }

  void StartApp() {
    app = std::make_unique<App>(tk, sound, requesters, exePath);
    app->Start();
    app->ProcessPending();
  }

  QWidget* W(int id) { return ToolkitAccess::Control(tk, id); }
  QComboBox* Combo() { return static_cast<QComboBox*>(W(RpmCombo)); }

  void Click(int id) {
    QTest::mouseClick(W(id), Qt::LeftButton);
    app->ProcessPending();
  }
  void Key(int id, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(W(id), key, modifiers);
    app->ProcessPending();
  }
  // Replaces the field's text by typing, as the user would.
  void TypeRpm(const std::string& text) {
    Combo()->lineEdit()->selectAll();
    QTest::keyClick(Combo()->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(Combo()->lineEdit(), QString::fromStdString(text));
    app->ProcessPending();
  }
  void Post(const Event& event) {
    tk.PostEvent(event);
    app->ProcessPending();
  }
  // Chooses a main-menu item as the user would; a disabled item does nothing.
  void Menu(int item) {
    ToolkitAccess::MenuAction(tk, MainMenu, item)->trigger();
    app->ProcessPending();
  }

  QTemporaryDir dir;
  std::string exePath;
  Toolkit tk;
  ScriptedRequesters requesters;
  SoundOutput sound;
  std::unique_ptr<App> app;
};

}  // namespace vm::test
