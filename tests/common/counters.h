// The resource counters tests read before and after repeating an operation (the stand-in's own,
// standin/resource_counts.h, which ehost journals for long runs).
#pragma once

#include "resource_counts.h"

namespace tovalux::testing {

using standin::countResources;
using standin::describe;
using standin::gdiObjectCount;
using standin::handleCount;
using standin::privateByteCount;
using standin::ResourceCounts;
using standin::threadCount;
using standin::userObjectCount;

}  // namespace tovalux::testing
