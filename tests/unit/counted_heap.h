// For a test program that measures what code allocates: counted_heap.cpp, linked into it,
// replaces operator new and delete with malloc and free and counts as they go. Native only.
#pragma once

#include <cstddef>

namespace tovalux::testing::heap {

// Bytes alive (as the allocator rounds them), counted always.
size_t aliveBytes();
// Allocations made while `counting` is set.
extern bool counting;
extern size_t allocations;

}  // namespace tovalux::testing::heap
