#include "debugging/disassembly_commands.h"

namespace tovalux {

void __cdecl disassembleWithOlly(void*, int32_t, CommandArgument*) {}
void __cdecl disassembleWithBea(void*, int32_t, CommandArgument*) {}

}  // namespace tovalux
