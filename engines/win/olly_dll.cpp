// olly.dll: the OllyDbg disassembler library's exports over our decoder.
#include <atomic>
#include <cstdint>

#include "tovalux/x86/olly.h"

namespace {
// The library's option globals: zero until VB_SetOptions. One atomic value, so a Disasm on
// another thread sees the flags of one VB_SetOptions call, never a mix of two.
std::atomic<tovalux::olly::Options> g_options{};
static_assert(std::atomic<tovalux::olly::Options>::is_always_lock_free);
}  // namespace

extern "C" {

uint32_t __stdcall Disasm(char* src, uint32_t srcsize, uint32_t srcip, tovalux::olly::TDisasm* disasm, int disasmmode) {
  const tovalux::olly::Options options = g_options.load(std::memory_order_relaxed);
  return tovalux::olly::disasm(reinterpret_cast<const uint8_t*>(src), srcsize, srcip, disasm, disasmmode, options);
}

// Any non-zero value switches a flag on: VB callers that pass an argument by reference send
// its address.
void __stdcall VB_SetOptions(int isIdeal, int isLower, int DoTabs, int DispSeg) {
  g_options.store({isIdeal != 0, isLower != 0, DoTabs != 0, DispSeg != 0}, std::memory_order_relaxed);
}

}  // extern "C"
