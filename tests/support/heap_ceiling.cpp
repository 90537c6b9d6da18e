// Every non-aligned operator new and delete on malloc and free, counting the bytes held. All
// forms at once: the sanitizers report memory returned to another family than it came from.

#include "support/heap_ceiling.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> held{0};
std::atomic<size_t> ceiling{0};  // 0: none

void* Allocate(size_t size) noexcept {
  const size_t limit = ceiling.load();
  if (limit != 0 && held.load() + size > limit) return nullptr;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p != nullptr) held += malloc_usable_size(p);
  return p;
}

void* AllocateOrThrow(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

void Release(void* p) noexcept {
  if (p != nullptr) held -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

vm::test::HeapCeiling::HeapCeiling(size_t bytes) { ceiling = held + bytes; }
vm::test::HeapCeiling::~HeapCeiling() { ceiling = 0; }

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
