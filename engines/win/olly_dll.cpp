// olly.dll: the OllyDbg disassembler library's exports over our decoder.
#include <cstdint>

#include "tovalux/x86/olly.h"

namespace {
// The library's option globals: zero until VB_SetOptions. Written once by the loader of the
// DLL in practice; a torn read can only mix old and new flags of one call.
tovalux::olly::Options g_options;
}  // namespace

extern "C" {

uint32_t __stdcall Disasm(char* src, uint32_t srcsize, uint32_t srcip, tovalux::olly::TDisasm* disasm, int disasmmode) {
  return tovalux::olly::disasm(reinterpret_cast<const uint8_t*>(src), srcsize, srcip, disasm, disasmmode, g_options);
}

// Any non-zero value switches a flag on: VB callers that pass an argument by reference send
// its address.
void __stdcall VB_SetOptions(int isIdeal, int isLower, int DoTabs, int DispSeg) {
  g_options = {isIdeal != 0, isLower != 0, DoTabs != 0, DispSeg != 0};
}

}  // extern "C"
