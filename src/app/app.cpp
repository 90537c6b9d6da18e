#include "app/app.h"

#include "app/dialogs.h"
#include "app/ids.h"
#include "app/main_window.h"
#include "app/pattern_choice.h"
#include "app/settings_path.h"
#include "app/signal_dialog.h"
#include "config/config_commands.h"
#include "config/wheel_config_file.h"
#include "pattern/pattern_library.h"
#include "platform/requesters.h"

namespace vm {

App::App(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, std::string exePath)
    : toolkit_(toolkit),
      sound_(sound),
      requesters_(requesters),
      exePath_(std::move(exePath)),
      exeDir_(ExecutableFolder(exePath_)),
      batch_(toolkit, sound, requesters, exeDir_, config_),
      tone_(toolkit, sound, config_, pattern_),
      live_(toolkit, sound, config_, tone_) {}

void App::Start() {
  settingsPath_ = SettingsLocation(exePath_);
  LoadWheelConfig(settingsPath_, config_);
  BuildMainWindow(toolkit_);
  ApplyWheelConfig(toolkit_, config_);
  TakeChosenPattern();
}

void App::RunMainLoop() {
  do { Dispatch(toolkit_.WaitEvent()); } while (!quitRequested_);
}

void App::End() {
  // A live runner must not touch the window or the sound once they are gone.
  batch_.Shutdown();
  PrepareSettingsFolder(exePath_, settingsPath_);
  // A failed save is silent; the old file stays.
  static_cast<void>(SaveWheelConfig(settingsPath_, config_, PresetItems()));
  toolkit_.CloseWindow(PatternDialog);
  live_.Close();
  toolkit_.CloseWindow(CamDialog);
  toolkit_.CloseWindow(StepDialog);
  toolkit_.CloseWindow(NameDialog);
  toolkit_.CloseWindow(MainWindow);
}

// The items of the preset list are what the settings and config files keep, never the
// text typed into its field.
std::vector<std::string> App::PresetItems() const {
  std::vector<std::string> items;
  for (int i = 0; i < toolkit_.ItemCount(RpmCombo); ++i) items.push_back(toolkit_.ItemText(RpmCombo, i));
  return items;
}

bool App::Drops(const Event& event) const {
  return event.generation != 0 && !batch_.IsLiveGeneration(event.generation);
}

void App::Dispatch(const Event& event) {
  if (Drops(event)) return;
  switch (event.kind) {
    case RunnerSetSliderEvent: toolkit_.SetState(RpmSlider, event.value); return;
    case RunnerStatusTextEvent: toolkit_.SetStatusText(event.field(), event.text, true); return;
    default: break;
  }
  switch (event.window) {
    case MainWindow: DispatchMainWindow(event); break;
    case NameDialog: DispatchNameDialog(event); break;
    case StepDialog: batch_.OnStepDialogEvent(event); break;
    case CamDialog: OnCamDialogEvent(toolkit_, event, config_.Signal); break;
    case PatternDialog: OnPatternDialogEvent(event); break;
    case LiveViewWindow: live_.OnEvent(event); break;
    default: break;
  }
}

void App::DispatchMainWindow(const Event& event) {
  switch (event.kind) {
    case EventStepDone: batch_.OnStepDone(); break;
    case MenuEvent: DispatchMenu(event.item()); break;
    case ControlEvent: DispatchMainControl(event); break;
    case SizeEvent: LayOutBatchControls(); break;
    case CloseEvent: quitRequested_ = true; break;
    default: break;
  }
}

void App::DispatchMenu(ItemId item) {
  switch (item) {
    case ConfigLoadItem:
      if (ChooseAndLoadConfig(requesters_, exeDir_, config_)) {
        ApplyWheelConfig(toolkit_, config_);
        TakeChosenPattern();
        live_.Update();
      }
      break;
    case ConfigSaveItem: ChooseAndSaveConfig(requesters_, exeDir_, config_, PresetItems()); break;
    case BatchLoadItem: batch_.ChooseAndLoadBatch(); break;
    case BatchSaveItem: batch_.ChooseAndSaveBatch(); break;
    case ExitItem: {
      // The close itself happens when this event comes back, as for the close box.
      toolkit_.PostEvent(MakeEvent(CloseEvent, MainWindow));
      break;
    }
    case NameItem: nameOpening_ = OpenNameDialog(toolkit_, config_.Type); break;
    case StepEditItem: batch_.EditStep(); break;
    case StepDeleteItem: batch_.DeleteStep(); break;
    case StepInsertItem: batch_.InsertStep(); break;
    case StepAddItem: batch_.AddStep(); break;
    case AboutItem: ShowAbout(requesters_); break;
    case ExactSpeedItem: ToggleExactSpeed(); break;
    case CamSignalItem: OpenCamDialog(toolkit_, config_.Signal); break;
    case WheelPatternItem:
      OpenPatternDialog(toolkit_, patternDialog_, config_, config_.Signal.pattern, PatternFolders(exePath_));
      break;
    case ShowSignalItem: live_.Open(); break;
    default: break;
  }
}

void App::DispatchMainControl(const Event& event) {
  switch (event.control()) {
    case TeethSpin: config_.AvailableTeeth = toolkit_.State(TeethSpin); break;
    case MissingSpin: config_.MissingTeeth = toolkit_.State(MissingSpin); break;
    case CamshaftOption: config_.WheelAt = Camshaft; break;
    case CrankshaftOption: config_.WheelAt = Crankshaft; break;
    case StartStopButton: tone_.OnStartStopButton(); break;
    case RpmSlider: tone_.OnSlider(); break;
    case RpmCombo:
      if (event.subType == Change) tone_.OnRpmCombo();
      break;
    case SetButton: tone_.OnSetButton(); break;
    case BatchList:
      if (event.subType == Change || event.subType == RightClick || event.subType == DoubleClick) {
        batch_.OnListEvent(event.subType);
      }
      break;
    case BatchStartButton: batch_.OnBatchStartButton(); break;
    case StepButton: batch_.OnStepButton(); break;
    default: break;  // labels and the check box have no handler
  }
}

void App::DispatchNameDialog(const Event& event) {
  // A press queued for a dialog that has gone since (a fast double click on "Ok") does nothing.
  if (!toolkit_.IsWindowOpen(NameDialog)) return;
  if (event.kind == ControlEvent && event.control() == NameOkButton) {
    AcceptNameDialog(toolkit_, config_, nameOpening_);
    if (pattern_) toolkit_.SetStatusText(NameField, pattern_->name, true);  // the wheel's name waits behind it
  } else if ((event.kind == ControlEvent && event.control() == NameCancelButton) || event.kind == CloseEvent) {
    toolkit_.CloseWindow(NameDialog);
  }
}

// Takes effect at once: a playing tone, or a batch run's, goes on at the rate of the other
// kind from its current position.
void App::ToggleExactSpeed() {
  config_.Signal.exactSpeed = !config_.Signal.exactSpeed;
  toolkit_.SetMenuItemChecked(MainMenu, ExactSpeedItem, config_.Signal.exactSpeed);
  tone_.OnExactSpeedChanged();
}

// The pattern the record names, read now for the next Start. One that cannot be read (a file
// gone since the settings were written) gives way to the window's wheel, and the user is told.
void App::TakeChosenPattern() {
  ChosenPattern chosen = ReadChosenPattern(config_.Signal.pattern, PatternFolders(exePath_));
  if (!chosen.pattern && PatternChosen(config_)) {
    requesters_.MessageBox("Wheel pattern",
                           "The pattern \"" + config_.Signal.pattern + "\" cannot be read (" + chosen.error +
                               "): the window's wheel plays instead.",
                           true, MainWindow);
    config_.Signal.pattern.clear();
  }
  pattern_ = std::move(chosen.pattern);
  // The wheel's controls are free unless the tone or a batch run holds them.
  const bool idle = toolkit_.IsEnabled(StartStopButton) && toolkit_.Text(StartStopButton) == "Start";
  ShowWhatPlays(toolkit_, config_, pattern_, idle);
}

void App::OnPatternDialogEvent(const Event& event) {
  std::string choice;
  if (!vm::OnPatternDialogEvent(toolkit_, requesters_, event, patternDialog_, choice)) return;
  config_.Signal.pattern = choice;
  TakeChosenPattern();
}

// Once a batch file with steps has been loaded, the list and its buttons follow the
// window's height; before that they keep their places.
void App::LayOutBatchControls() {
  if (!batch_.BatchLoaded()) return;
  const int height = toolkit_.WindowHeight(MainWindow);
  toolkit_.Move(BatchList, -1, -1, -1, height - 90);
  for (ControlId id : {BatchStartButton, LoopCheckBox, StepButton}) toolkit_.Move(id, -1, height - 70, -1, -1);
}

}  // namespace vm
