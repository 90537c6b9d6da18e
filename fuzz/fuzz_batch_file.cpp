// Feeds any bytes to the batch file reader, then writes the rows and reads them back: no row
// may be lost and every number the runner would read must stay the same. (Texts may lose
// spaces at the end of a line, which the reader trims.)

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "batch/batch_file.h"
#include "common/parse_integer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto rows = vm::ReadBatchRows(bytes);
  const auto again = vm::ReadBatchRows(vm::BatchFileText(rows));
  if (again.size() != rows.size()) std::abort();
  for (size_t row = 0; row < rows.size(); ++row) {
    if (vm::ParseInteger(rows[row][0]) <= 0) std::abort();
    for (size_t column = 0; column < 3; ++column) {
      if (vm::ParseInteger(rows[row][column]) != vm::ParseInteger(again[row][column])) std::abort();
    }
  }
  return 0;
}
