#pragma once
// Batch files on disk: whole-file reads, and saves that never destroy the file they replace.

#include <optional>
#include <string>
#include <vector>

#include "batch/batch_file.h"

namespace vm {

// The rows of the file, or nothing when it cannot be opened for reading or does not fit in
// memory. Reading takes memory of about the file's size, once.
[[nodiscard]] std::optional<std::vector<BatchRow>> LoadBatchFile(const std::string& path);

// Replaces the file by the rows' text; false (old file untouched) when that fails.
[[nodiscard]] bool SaveBatchFile(const std::string& path, const std::vector<BatchRow>& rows);

}  // namespace vm
