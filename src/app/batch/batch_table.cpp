// The batch table: the rows of BatchList, its selection and the Edit/Del/Ins items.
#include "app/batch/batch_state.h"
#include "app/ids.h"

namespace vm {
namespace {

std::string RowText(const BatchRow& row) { return row[0] + "\n" + row[1] + "\n" + row[2]; }

}  // namespace

int BatchController::Impl::SelectedRow() const { return toolkit.State(BatchList); }

BatchRow BatchController::Impl::Row(int row) const {
  return {toolkit.ItemText(BatchList, row, 0), toolkit.ItemText(BatchList, row, 1),
          toolkit.ItemText(BatchList, row, 2)};
}

std::vector<BatchRow> BatchController::Impl::Rows() const {
  std::vector<BatchRow> rows;
  const int count = toolkit.ItemCount(BatchList);
  for (int row = 0; row < count; ++row) rows.push_back(Row(row));
  return rows;
}

void BatchController::Impl::InsertRow(int index, const BatchRow& row) {
  toolkit.AddItem(BatchList, index, RowText(row));
  ++stepCount;
}

void BatchController::Impl::ReplaceRow(int index, const BatchRow& row) {
  for (int column = 0; column < 3; ++column)
    toolkit.SetItemText(BatchList, index, column, row[static_cast<size_t>(column)]);
}

void BatchController::Impl::ReplaceTable(const std::vector<BatchRow>& rows) {
  toolkit.ClearItems(BatchList);
  for (const BatchRow& row : rows) toolkit.AddItem(BatchList, -1, RowText(row));
  toolkit.SetState(BatchList, rows.empty() ? -1 : 0);
  stepCount = toolkit.ItemCount(BatchList);
}

void BatchController::Impl::DeleteSelectedRow() {
  int row = SelectedRow();
  if (row < 0) return;
  toolkit.RemoveItem(BatchList, row);
  --stepCount;
  if (row == stepCount) --row;  // the last row went: select the new last one
  toolkit.SetState(BatchList, row);
  if (stepCount > 0) return;
  SetStepItemsEnabled(false);
  // During a run the button reads "Stop" and is the only way to end it, so it stays usable.
  if (!RunInProgress()) toolkit.SetEnabled(BatchStartButton, false);
  toolkit.SetEnabled(LoopCheckBox, false);
  toolkit.SetEnabled(StepButton, false);
}

void BatchController::Impl::SetStepItemsEnabled(bool enabled) {
  for (ItemId item : {StepEditItem, StepDeleteItem, StepInsertItem})
    toolkit.SetMenuItemEnabled(MainMenu, item, enabled);
}

bool BatchController::Impl::TonePlaying() const { return toolkit.Text(StartStopButton) != "Start"; }

}  // namespace vm
