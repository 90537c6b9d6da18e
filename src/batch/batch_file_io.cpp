#include "batch/batch_file_io.h"

#include <new>

#include "platform/atomic_file.h"

namespace vm {

std::optional<std::vector<BatchRow>> LoadBatchFile(const std::string& path) {
  try {
    std::string bytes;
    if (ReadWholeFile(path, bytes) == FileAccess::None) return std::nullopt;
    return TakeBatchRows(std::move(bytes));
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // the table stays as it was
  }
}

bool SaveBatchFile(const std::string& path, const std::vector<BatchRow>& rows) {
  return ReplaceFile(path, BatchFileText(rows));
}

}  // namespace vm
