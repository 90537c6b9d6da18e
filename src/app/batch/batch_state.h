#pragma once
// The batch subsystem's state on the main thread and the operations on it, split by concern
// over batch_table.cpp, step_dialog.cpp, batch_commands.cpp and run_control.cpp.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/batch/batch_controller.h"
#include "batch/batch_file.h"
#include "batch/runner_thread.h"

namespace vm {

enum class BatchRunState { Idle, RunningAll, Stepping, StepPaused };

struct BatchController::Impl {
  Impl(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, std::string exeDir, const WheelConfig& wheel);

  Toolkit& toolkit;
  SoundOutput& sound;
  Requesters& requesters;
  const std::string exeDir;
  const WheelConfig& wheel;

  // The table lives in BatchList itself; these follow it.
  int32_t stepCount = 0;
  int32_t editMode = 0;    // 1 while the step dialog edits a row
  int32_t dialogRow = -1;  // row the step dialog acts on; -1 appends
  bool batchLoaded = false;
  std::string batchPath;

  BatchRunState runState = BatchRunState::Idle;
  int32_t currentStep = 0;
  bool runAll = false;
  std::unique_ptr<RunnerThread> runner;
  uint32_t liveGeneration = 0;  // 0: no runner's events may act
  uint32_t lastGeneration = 0;
  std::shared_ptr<RunnerClock> runnerClock;  // null: the steady clock

  // batch_table.cpp
  int SelectedRow() const;
  BatchRow Row(int row) const;
  std::vector<BatchRow> Rows() const;
  void InsertRow(int index, const BatchRow& row);
  void ReplaceRow(int index, const BatchRow& row);
  void ReplaceTable(const std::vector<BatchRow>& rows);
  void DeleteSelectedRow();
  void SetStepItemsEnabled(bool enabled);  // Edit, Del, Ins of MainMenu
  bool TonePlaying() const;
  bool RunInProgress() const { return runState != BatchRunState::Idle; }

  // step_dialog.cpp
  void OpenStepDialog(bool edit);
  void ValidateStepDialog();
  void AcceptStepDialog();
  void StepReturn();

  // batch_commands.cpp
  void ChooseAndLoadBatch();
  void ChooseAndSaveBatch();

  // run_control.cpp
  void StartRun();
  void StepOnce();
  void StopRun();
  void OnStepDone();
  void LaunchRunner(int row);
  void RetireRunner();
  void SetWheelAndLoadEnabled(bool enabled);
};

}  // namespace vm
