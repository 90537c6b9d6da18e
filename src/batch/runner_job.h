#pragma once
// The record one batch step runs from. The main thread fills it before the runner thread
// starts; afterwards it only raises `stop`. Atomics, because both threads touch it.

#include <atomic>
#include <cstdint>

namespace vm {

struct RunnerJob {
  std::atomic<int32_t> durationMs{0};
  std::atomic<int32_t> rpm1{0};
  std::atomic<int32_t> rpm2{0};  // 0: hold rpm1 for the whole step
  std::atomic<int32_t> stop{0};  // 0 while the step may run; 1 ends it early
  // Stamped on everything the runner posts, so the main loop can drop what a stopped
  // runner posted late. Written before the thread starts, never after.
  std::atomic<uint32_t> generation{0};
};

}  // namespace vm
