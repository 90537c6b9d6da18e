// Running the table: run-all, single step, the end of a step and Stop.
#include "app/batch/batch_state.h"
#include "app/batch/runner_events.h"
#include "app/ids.h"
#include "app/pattern_choice.h"
#include "common/parse_integer.h"
#include "signal/sound_output.h"

namespace vm {

void BatchController::Impl::SetWheelAndLoadEnabled(bool enabled) {
  SetWheelControlsEnabled(toolkit, wheel, enabled);
  toolkit.SetEnabled(StartStopButton, enabled);
  toolkit.SetMenuItemEnabled(MainMenu, ConfigLoadItem, enabled);
  toolkit.SetMenuItemEnabled(MainMenu, BatchLoadItem, enabled);
}

void BatchController::Impl::StartRun() {
  // Never beside the tone: a press queued before the tone disabled the button is dropped.
  if (toolkit.ItemCount(BatchList) == 0 || TonePlaying()) return;
  SetWheelAndLoadEnabled(false);
  toolkit.SetEnabled(StepButton, false);
  toolkit.SetText(BatchStartButton, "Stop");
  toolkit.SetFocus(BatchList);
  if (SelectedRow() < 0) toolkit.SetState(BatchList, 0);
  currentStep = SelectedRow();
  runAll = true;
  runState = BatchRunState::RunningAll;
  LaunchRunner(currentStep);
}

void BatchController::Impl::StepOnce() {
  // A second press queued while a step runs must not start a second runner.
  if (runState == BatchRunState::RunningAll || runState == BatchRunState::Stepping) return;
  if (toolkit.ItemCount(BatchList) == 0 || TonePlaying()) return;
  SetWheelAndLoadEnabled(false);
  toolkit.SetFocus(BatchList);
  if (SelectedRow() < 0) toolkit.SetState(BatchList, 0);
  currentStep = SelectedRow();
  runAll = false;
  runState = BatchRunState::Stepping;
  LaunchRunner(currentStep);
  toolkit.SetEnabled(StepButton, false);
  toolkit.SetText(BatchStartButton, "Stop");
}

void BatchController::Impl::StopRun() {
  RetireRunner();
  if (sound.HasSound()) sound.Stop();
  toolkit.SetStatusText(CountdownField, "", true);
  toolkit.SetState(BatchList, -1);
  toolkit.SetEnabled(StepButton, false);
  SetWheelAndLoadEnabled(true);
  toolkit.SetText(BatchStartButton, "Start");
  runState = BatchRunState::Idle;
}

void BatchController::Impl::OnStepDone() {
  if (runState != BatchRunState::RunningAll && runState != BatchRunState::Stepping) return;
  ++currentStep;
  if (currentStep == stepCount) {
    if (toolkit.State(LoopCheckBox) == 1) {
      currentStep = 0;
    } else {
      // Ends the run as a press of "Stop". It carries this run's generation, so that a
      // "Stop" and "Start" of the user's in between make it void instead of a new start.
      Event press = MakeEvent(ControlEvent, MainWindow, BatchStartButton);
      press.generation = liveGeneration;
      toolkit.PostEvent(press);
    }
  }
  if (currentStep >= stepCount) return;  // rows deleted during the run: it waits for "Stop"
  toolkit.SetState(BatchList, currentStep);
  if (runAll) {
    LaunchRunner(currentStep);
  } else {
    toolkit.SetEnabled(StepButton, true);
    runState = BatchRunState::StepPaused;
  }
}

void BatchController::Impl::LaunchRunner(int row) {
  RetireRunner();  // the previous step has posted its last event; this only joins it
  const BatchRow texts = Row(row);
  if (++lastGeneration == 0) ++lastGeneration;  // 0 marks events of no runner
  liveGeneration = lastGeneration;
  Toolkit* sink = &toolkit;
  runner = RunnerThread::Launch(
      ParseInteger32(texts[0]), ParseInteger32(texts[1]), ParseInteger32(texts[2]), liveGeneration,
      [sink](const RunnerReport& report) {
        for (const Event& event : RunnerEvents(report)) sink->PostEvent(event);
      },
      runnerClock);
  // No thread: nothing will come, and the run waits for "Stop" as it would for a step.
}

void BatchController::Impl::RetireRunner() {
  if (runner) runner->Stop();  // bounded; a runner let go can post nothing more
  runner.reset();
  liveGeneration = 0;
}

}  // namespace vm
