#include "debugging/disassembly_commands.h"

#include "base/guard.h"

namespace tovalux {

// Both run inside the debugged program, on its thread: nothing may unwind into it.
void __cdecl disassembleWithOlly(void*, int32_t, CommandArgument*) noexcept {
  guarded(GuardSite::kCommand, [] {});
}
void __cdecl disassembleWithBea(void*, int32_t, CommandArgument*) noexcept {
  guarded(GuardSite::kCommand, [] {});
}

}  // namespace tovalux
