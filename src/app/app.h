#pragma once
// The program's shell: the start and end sequences around the main loop, and the dispatch of
// every event to its handler. All on the main thread.

#include <string>

#include "app/batch/batch_controller.h"
#include "app/dialogs.h"
#include "app/live_view.h"
#include "app/pattern_dialog.h"
#include "app/tone_control.h"
#include "config/wheel_config.h"
#include "platform/toolkit.h"

namespace vm {

class Requesters;
class SoundOutput;

class App {
 public:
  // `sound` must be open already (RunProgram opens it).
  App(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, std::string exePath);
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Reads the settings file, builds the main window and shows the record in it.
  void Start();
  // Runs events until the main window has been closed (close box or File > Exit).
  void RunMainLoop();
  // Stops a batch run, writes the settings file, closes the windows. The caller closes the
  // sound afterwards.
  void End();

  void Dispatch(const Event& event);
  // Whether Dispatch drops `event`: whatever a stopped or retired runner posted, so that it can
  // never restart the tone or advance a finished run.
  bool Drops(const Event& event) const;
  bool QuitRequested() const { return quitRequested_; }

  WheelConfig& config() { return config_; }
  BatchController& batch() { return batch_; }
  const std::string& settingsPath() const { return settingsPath_; }

 private:
  void DispatchMainWindow(const Event& event);
  void DispatchMenu(ItemId item);
  void DispatchMainControl(const Event& event);
  void DispatchNameDialog(const Event& event);
  void LayOutBatchControls();
  void ToggleExactSpeed();
  void TakeChosenPattern();
  void OnPatternDialogEvent(const Event& event);
  std::vector<std::string> PresetItems() const;

  Toolkit& toolkit_;
  SoundOutput& sound_;
  Requesters& requesters_;
  const std::string exePath_;
  const std::string exeDir_;
  std::string settingsPath_;
  WheelConfig config_;              // created empty; the settings file fills it at Start
  std::optional<Pattern> pattern_;  // config_.Signal.pattern as read: what the next Start plays
  PatternDialogState patternDialog_;
  bool quitRequested_ = false;
  NameDialogOpening nameOpening_;  // what the name dialog opened with
  BatchController batch_;
  ToneControl tone_;
  LiveView live_;
};

// The whole run: opens the sound (or shows the "Error" box and returns at once, touching no
// settings file), starts, runs the loop, ends, closes the sound. Always returns 0.
// A quit signal written to `quitDescriptor` (-1: none) gives up the output's open.
int RunProgram(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, const std::string& exePath,
               int quitDescriptor = -1);

}  // namespace vm
