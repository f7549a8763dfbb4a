// Every non-aligned form of operator new and delete, so that each allocation and its release meet
// in malloc and free and are counted there.
#include "counted_heap.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace tovalux::testing::heap {

bool counting = false;
size_t allocations = 0;

namespace {
size_t gAlive = 0;
}  // namespace

size_t aliveBytes() { return gAlive; }

void* counted(size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) return nullptr;
  gAlive += malloc_usable_size(p);
  if (counting) ++allocations;
  return p;
}

void released(void* p) {
  if (p == nullptr) return;
  gAlive -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace tovalux::testing::heap

using tovalux::testing::heap::counted;
using tovalux::testing::heap::released;

void* operator new(size_t size) {
  if (void* p = counted(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  if (void* p = counted(size)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void operator delete(void* p) noexcept { released(p); }
void operator delete[](void* p) noexcept { released(p); }
void operator delete(void* p, size_t) noexcept { released(p); }
void operator delete[](void* p, size_t) noexcept { released(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { released(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { released(p); }
