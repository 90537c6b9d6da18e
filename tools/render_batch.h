#pragma once
// velomira-render --batch FILE.rbt [...]: renders a batch run. `args` are all the
// arguments after the program name; gives the process exit code.

#include <string>
#include <vector>

namespace vm::render {

int RenderBatchCommand(const std::vector<std::string>& args);

}  // namespace vm::render
