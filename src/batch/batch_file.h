#pragma once
// Batch files as bytes: rows of three column texts ("Time (ms)", "RPM 1", "RPM 2") to the
// text written, and any bytes read back to rows. No file access here; see batch_file_io.h.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

using BatchRow = std::array<std::string, 3>;

// One line per row, "a|b|c" with every "|" at both ends removed, each ending in CR LF.
// No rows give no bytes.
std::string BatchFileText(const std::vector<BatchRow>& rows);

// The rows a file of these bytes holds: byte-order marks, every line end, spaces at both
// ends, ";" comments, and only lines whose leading number is above 0.
std::vector<BatchRow> ReadBatchRows(std::string_view bytes);
// The same, taking the bytes over: they are converted where they lie, so a file read whole
// needs no second copy of its size.
std::vector<BatchRow> TakeBatchRows(std::string bytes);

// The bytes after a byte-order mark, as 8-bit text (UTF-8 and UTF-16 LE converted), made in
// the bytes' own storage: no conversion makes a text longer.
std::string BatchFileTo8Bit(std::string bytes);

// A saved batch file's name ends in ".rbt", in any case; otherwise ".rbt" is appended.
std::string WithBatchExtension(std::string path);

}  // namespace vm
