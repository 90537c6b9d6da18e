#include "batch/batch_file_io.h"

#include "platform/atomic_file.h"

namespace vm {

std::optional<std::vector<BatchRow>> LoadBatchFile(const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) == FileAccess::None) return std::nullopt;
  return ReadBatchRows(bytes);
}

bool SaveBatchFile(const std::string& path, const std::vector<BatchRow>& rows) {
  return ReplaceFile(path, BatchFileText(rows));
}

}  // namespace vm
