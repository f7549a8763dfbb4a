// The library descriptor the host reads through GetNewInf: the record, its category list and the
// library commands with their entry points.
#pragma once

#include "host/library_info.h"

namespace tovalux {

// Builds the record on the first call and answers the same address on every call.
const LibraryInfo* libraryDescriptor();

}  // namespace tovalux

// The library's only export.
extern "C" const tovalux::LibraryInfo* __stdcall GetNewInf() noexcept;
