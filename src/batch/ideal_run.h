#pragma once
// A batch run as the sound would follow it on an ideal clock: every sleep exactly 1 ms, so
// every tick exactly on time and each next step starting the moment the last one ends.
// It drives the runner's own RunStep, so the ramp is the program's, not a copy.

#include <cstdint>
#include <vector>

#include "batch/batch_file.h"

namespace vm {

struct SliderMove {
  uint64_t atMs = 0;     // from the start of the run
  int32_t position = 0;  // as the runner sets it, before the slider holds it to its range
};

struct IdealRun {
  std::vector<SliderMove> moves;
  uint64_t lengthMs = 0;  // to the end of the last step, where the run stops the sound
};

// How long `passes` passes over the rows last: each step its duration, at least 1 ms.
uint64_t IdealRunLength(const std::vector<BatchRow>& rows, uint64_t passes);

// The rows run `passes` times in order, as with "Loop" ticked for that many passes.
IdealRun RunIdeally(const std::vector<BatchRow>& rows, uint64_t passes);

}  // namespace vm
