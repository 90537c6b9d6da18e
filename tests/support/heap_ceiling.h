#pragma once
// A ceiling on what operator new may hold, for tests of running out of memory. The batch test
// program replaces operator new and delete (heap_ceiling.cpp) to count the bytes they hold;
// memory Qt and C libraries take with malloc is not counted.

#include <cstddef>

namespace vm::test {

size_t HeapInUse();

// While it lives, operator new throws std::bad_alloc (nothrow forms give null) for any
// request that would hold more than `bytes` beyond what was held when it was made.
class HeapCeiling {
 public:
  explicit HeapCeiling(size_t bytes);
  ~HeapCeiling();
  HeapCeiling(const HeapCeiling&) = delete;
  HeapCeiling& operator=(const HeapCeiling&) = delete;
};

}  // namespace vm::test
