#pragma once
// velomira-render's pattern modes:
//   --pattern NAME|FILE --image FILE       the pattern's wave image, one cycle
//   --pattern NAME|FILE --picture OUT.svg  the picture of one cycle
//   --pattern NAME|FILE --rpm R --seconds S [--exact-speed] [--device-rate HZ] --out FILE
//       what the sound card is handed, at the exact speed
//   --list-patterns                        the library, one pattern a line

#include <string>
#include <vector>

namespace vm::render {

int RenderPatternCommand(const std::vector<std::string>& args);
int ListPatternsCommand(const std::vector<std::string>& args);

}  // namespace vm::render
