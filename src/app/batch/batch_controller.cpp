#include "app/batch/batch_controller.h"

#include "app/batch/batch_state.h"
#include "app/ids.h"

namespace vm {

BatchController::Impl::Impl(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, std::string exeDir,
                            const WheelConfig& wheel)
    : toolkit(toolkit), sound(sound), requesters(requesters), exeDir(std::move(exeDir)), wheel(wheel) {}

BatchController::BatchController(Toolkit& toolkit, SoundOutput& sound, Requesters& requesters, std::string exeDir,
                                 const WheelConfig& wheel)
    : impl_(std::make_unique<Impl>(toolkit, sound, requesters, std::move(exeDir), wheel)) {}

BatchController::~BatchController() { Shutdown(); }

void BatchController::ChooseAndLoadBatch() { impl_->ChooseAndLoadBatch(); }
void BatchController::ChooseAndSaveBatch() { impl_->ChooseAndSaveBatch(); }

void BatchController::EditStep() {
  const int row = impl_->SelectedRow();
  if (row < 0) return;
  impl_->editMode = 1;
  impl_->dialogRow = row;
  impl_->OpenStepDialog(true);
}

void BatchController::DeleteStep() { impl_->DeleteSelectedRow(); }

void BatchController::InsertStep() {
  impl_->editMode = 0;
  impl_->dialogRow = impl_->SelectedRow();
  impl_->OpenStepDialog(false);
}

void BatchController::AddStep() {
  impl_->editMode = 0;
  impl_->dialogRow = -1;
  impl_->OpenStepDialog(false);
}

void BatchController::OnListEvent(int32_t subType) {
  Toolkit& toolkit = impl_->toolkit;
  const bool selected = impl_->SelectedRow() >= 0;
  if (subType == Change) {
    const BatchRunState state = impl_->runState;
    // While a step runs, Step stays off, so there is never a second runner.
    if (state != BatchRunState::RunningAll && state != BatchRunState::Stepping)
      toolkit.SetEnabled(StepButton, selected);
  } else if (subType == RightClick) {
    const bool rows = toolkit.ItemCount(BatchList) > 0;
    for (ItemId item : {StepEditItem, StepDeleteItem, StepInsertItem})
      toolkit.SetMenuItemEnabled(BatchPopupMenu, item, rows);
    toolkit.ShowPopupMenu(BatchPopupMenu, MainWindow);
  } else if (subType == DoubleClick && selected) {
    toolkit.PostEvent(MakeEvent(MenuEvent, MainWindow, StepEditItem));
  }
}

void BatchController::OnBatchStartButton() {
  if (impl_->toolkit.Text(BatchStartButton) == "Start") impl_->StartRun();
  else impl_->StopRun();
}

void BatchController::OnStepButton() { impl_->StepOnce(); }

void BatchController::OnStepDialogEvent(const Event& event) {
  Toolkit& toolkit = impl_->toolkit;
  if (event.kind == MenuEvent && event.item() == StepReturnItem) {
    impl_->StepReturn();
  } else if (event.kind == ControlEvent && event.subType == Change &&
             (event.control() == TimeEdit || event.control() == Rpm1Edit || event.control() == Rpm2Edit)) {
    impl_->ValidateStepDialog();
  } else if (event.kind == ControlEvent && event.control() == StepOkButton) {
    // A press posted by Return may arrive after the dialog has gone.
    if (toolkit.IsWindowOpen(StepDialog)) impl_->AcceptStepDialog();
  } else if ((event.kind == ControlEvent && event.control() == StepCancelButton) || event.kind == CloseEvent) {
    toolkit.CloseWindow(StepDialog);
  }
}

void BatchController::OnStepDone() { impl_->OnStepDone(); }

bool BatchController::IsLiveGeneration(uint32_t generation) const {
  return generation != 0 && generation == impl_->liveGeneration;
}

bool BatchController::BatchLoaded() const { return impl_->batchLoaded; }

void BatchController::Shutdown() { impl_->RetireRunner(); }

void BatchController::SetRunnerClock(std::shared_ptr<RunnerClock> clock) { impl_->runnerClock = std::move(clock); }

}  // namespace vm
