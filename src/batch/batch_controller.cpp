#include "batch/batch_controller.h"

namespace vm {

struct BatchController::Impl {};

BatchController::BatchController(Toolkit&, SoundOutput&, Requesters&, std::string)
    : impl_(std::make_unique<Impl>()) {}
BatchController::~BatchController() = default;

void BatchController::ChooseAndLoadBatch() {}
void BatchController::ChooseAndSaveBatch() {}
void BatchController::EditStep() {}
void BatchController::DeleteStep() {}
void BatchController::InsertStep() {}
void BatchController::AddStep() {}
void BatchController::OnListEvent(int32_t) {}
void BatchController::OnBatchStartButton() {}
void BatchController::OnStepButton() {}
void BatchController::OnStepDialogEvent(const Event&) {}
void BatchController::OnStepDone() {}
bool BatchController::IsLiveGeneration(uint32_t) const { return false; }
bool BatchController::BatchLoaded() const { return false; }
void BatchController::Shutdown() {}

}  // namespace vm
