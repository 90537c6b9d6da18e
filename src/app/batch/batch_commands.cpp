// File > Batch > "Load..." and "Save...".
#include "app/batch/batch_state.h"
#include "app/ids.h"
#include "batch/batch_file_io.h"
#include "platform/requesters.h"

namespace vm {
namespace {

constexpr const char* BatchFilter = "RPM batch (*.rbt)|*.rbt";

}  // namespace

void BatchController::Impl::ChooseAndLoadBatch() {
  batchPath = requesters.OpenFile(FileRequest{"Load batch file", exeDir + "*.rbt", BatchFilter, 0});
  if (batchPath.empty()) return;
  // A file that cannot be read leaves the table as it was.
  if (const auto rows = LoadBatchFile(batchPath)) ReplaceTable(*rows);
  stepCount = toolkit.ItemCount(BatchList);
  if (stepCount == 0 || batchLoaded) return;
  batchLoaded = true;
  SetStepItemsEnabled(true);
  for (ControlId id : {BatchStartButton, LoopCheckBox, StepButton}) toolkit.SetEnabled(id, true);
}

void BatchController::Impl::ChooseAndSaveBatch() {
  if (batchPath.empty()) batchPath = exeDir + "*.rbt";
  batchPath = requesters.SaveFile(FileRequest{"Save batch file", batchPath, BatchFilter, 0});
  if (batchPath.empty()) return;
  batchPath = WithBatchExtension(batchPath);
  static_cast<void>(SaveBatchFile(batchPath, Rows()));  // a failed save is silent; the old file stays
}

}  // namespace vm
