#pragma once
// While it lives, operator new fails (std::bad_alloc; null for the nothrow forms) for a request
// that would hold more than `bytes` beyond what was held when it was made. Only what operator
// new holds is counted (heap_ceiling.cpp replaces it); what Qt takes with malloc is not.

#include <cstddef>

namespace vm::test {

struct HeapCeiling {
  explicit HeapCeiling(size_t bytes);
  ~HeapCeiling();
};

}  // namespace vm::test
