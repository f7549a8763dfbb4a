// The library descriptor the host reads through GetNewInf.
#pragma once

#include "host/library_info.h"

namespace tovalux {

// Builds the record on the first call and answers the same address on every call.
const LibraryInfo* libraryDescriptor();

// The two library commands (their work runs inside a program under debugging).
void __cdecl disassembleWithOlly(void* result, int32_t argumentCount, CommandArgument* arguments);
void __cdecl disassembleWithBea(void* result, int32_t argumentCount, CommandArgument* arguments);

}  // namespace tovalux

// The library's only export.
extern "C" const tovalux::LibraryInfo* __stdcall GetNewInf();
