#pragma once
// A pattern file read from the disk, refused unread when larger than any pattern file can be.

#include <string>

#include "pattern/pattern_reader.h"

namespace vm {

// Reads and parses the file at `path`. A file that cannot be read, is not a regular file or is
// too large gives an error at line 0 naming the problem.
PatternReading LoadPatternFile(const std::string& path);

}  // namespace vm
