#pragma once
// The batch table, its step dialog, batch files and run control, as the main loop calls them.
// All on the main thread, apart from the runner thread it starts.

#include <cstdint>
#include <memory>
#include <string>

#include "config/wheel_config.h"
#include "platform/toolkit.h"

namespace vm {

class Requesters;
class RunnerClock;
class SoundOutput;

class BatchController {
 public:
  // `exeDir` is the executable's folder ending in its separator; `wheel` is the App's record,
  // read for whether the wheel's controls apply.
  BatchController(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, std::string exeDir,
                  const WheelConfig& wheel);
  ~BatchController();  // stops a live runner (bounded) before anything else goes

  void ChooseAndLoadBatch();                   // MenuEvent 2
  void ChooseAndSaveBatch();                   // MenuEvent 3
  void EditStep();                             // MenuEvent 6
  void DeleteStep();                           // MenuEvent 7
  void InsertStep();                           // MenuEvent 8
  void AddStep();                              // MenuEvent 9
  void OnListEvent(int32_t subType);           // ControlEvent 11 (Change, RightClick, DoubleClick)
  void OnBatchStartButton();                   // ControlEvent 12
  void OnStepButton();                         // ControlEvent 14
  void OnStepDialogEvent(const Event& event);  // every event of StepDialog
  void OnStepDone();                           // EventStepDone of a live runner

  // Whether an event a runner posted (generation != 0) may still act; false once that
  // runner has been stopped or retired.
  bool IsLiveGeneration(uint32_t generation) const;
  bool BatchLoaded() const;
  void Shutdown();  // stop a live runner, bounded; idempotent
  // The clock and sleep of every runner started from now on; null: the steady clock. Tests
  // give one whose time they move on themselves.
  void SetRunnerClock(std::shared_ptr<RunnerClock> clock);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vm
