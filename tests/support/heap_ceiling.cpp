// Replaces every non-aligned form of operator new and delete with malloc and free plus a count
// of the bytes held, so that a test can make a large allocation fail. All forms are replaced
// together: the sanitizers report memory given by one family and returned to another.

#include "support/heap_ceiling.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace vm::test {
namespace {

std::atomic<size_t> inUse{0};
std::atomic<size_t> ceiling{0};  // 0: none

void* Allocate(size_t size) noexcept {
  const size_t limit = ceiling.load(std::memory_order_relaxed);
  if (limit != 0 && inUse.load(std::memory_order_relaxed) + size > limit) return nullptr;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p != nullptr) inUse.fetch_add(malloc_usable_size(p), std::memory_order_relaxed);
  return p;
}

void* AllocateOrThrow(size_t size) {
  void* p = Allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  inUse.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

size_t HeapInUse() { return inUse.load(); }

HeapCeiling::HeapCeiling(size_t bytes) { ceiling.store(inUse.load() + bytes); }
HeapCeiling::~HeapCeiling() { ceiling.store(0); }

}  // namespace vm::test

void* operator new(size_t size) { return vm::test::AllocateOrThrow(size); }
void* operator new[](size_t size) { return vm::test::AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return vm::test::Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return vm::test::Allocate(size); }
void operator delete(void* p) noexcept { vm::test::Release(p); }
void operator delete[](void* p) noexcept { vm::test::Release(p); }
void operator delete(void* p, size_t) noexcept { vm::test::Release(p); }
void operator delete[](void* p, size_t) noexcept { vm::test::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { vm::test::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { vm::test::Release(p); }
