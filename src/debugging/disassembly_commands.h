// The two library commands. A program under debugging calls them; they disassemble a range of
// its memory and send the text to the IDE's disassembly pane. The descriptor publishes their
// addresses.
#pragma once

#include <cstdint>

#include "host/library_info.h"

namespace tovalux {

void __cdecl disassembleWithOlly(void* result, int32_t argumentCount, CommandArgument* arguments) noexcept;
void __cdecl disassembleWithBea(void* result, int32_t argumentCount, CommandArgument* arguments) noexcept;

}  // namespace tovalux
