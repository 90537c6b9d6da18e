#include "render_batch.h"

#include "render_args.h"

namespace vm::render {

int RenderBatchCommand(const std::vector<std::string>&) { return Fail("--batch is not available in this build"); }

}  // namespace vm::render
