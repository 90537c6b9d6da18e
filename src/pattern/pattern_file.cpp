#include "pattern/pattern_file.h"

#include <filesystem>
#include <system_error>

#include "platform/atomic_file.h"

namespace vm {

PatternReading LoadPatternFile(const std::string& path) {
  PatternReading reading;
  std::error_code failed;
  const auto size = std::filesystem::file_size(path, failed);
  // Checked before reading, so a huge file is never loaded into memory.
  if (!failed && size > kMaxPatternFileBytes) {
    reading.error = {1, 1, "a file of at most " + std::to_string(kMaxPatternFileBytes) + " bytes"};
    return reading;
  }
  std::string bytes;
  if (failed || ReadWholeFile(path, bytes) == FileAccess::None) {
    reading.error = {0, 0, "a readable pattern file at " + path};
    return reading;
  }
  return ReadPattern(bytes);
}

}  // namespace vm
