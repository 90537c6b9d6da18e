#pragma once
// The batch format's seven-line example and the three rows it reads as: a comment line, a
// row with leading blanks and a trailing comment, an empty line, a row without a ramp, a row
// of no time and one that is not a number (both dropped), and a fourth column (ignored).

#include <vector>

#include "batch/batch_file.h"

namespace vm::test {

inline constexpr const char* kSevenLineBatch =
    "; warm-up and sweep\r\n"
    "   5000|1000|3000 ; ramp up\r\n"
    "\r\n"
    "2000|3000\r\n"
    "0|1000|2000\r\n"
    "x|1000|2000\r\n"
    "8000|3000|500|99\r\n";

inline const std::vector<BatchRow> kSevenLineBatchRows = {
    {"5000", "1000", "3000"}, {"2000", "3000", ""}, {"8000", "3000", "500"}};

}  // namespace vm::test
