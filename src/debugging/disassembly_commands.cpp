// The two library commands. A program under debugging calls them; they disassemble a range of
// its memory and send the text to the IDE's disassembly pane.
#include "host/descriptor.h"

namespace tovalux {

void __cdecl disassembleWithOlly(void*, int32_t, CommandArgument*) {}
void __cdecl disassembleWithBea(void*, int32_t, CommandArgument*) {}

}  // namespace tovalux
