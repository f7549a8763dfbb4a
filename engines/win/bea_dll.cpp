// BeaEngine.dll: BeaEngine 4.1's exports over our decoder (32-bit record, stdcall Disasm).
#include <cstdint>

#include "tovalux/x86/bea.h"

extern "C" {

int32_t __stdcall Disasm(tovalux::bea::Disasm32* rec) {
  if (!rec) return tovalux::bea::kUnknownOpcode;
  return tovalux::bea::disasm(*rec, reinterpret_cast<const uint8_t*>(uintptr_t(rec->EIP)));
}

// No arguments: the stdcall and cdecl names reach the same code safely.
const char* __stdcall BeaEngineVersion() { return tovalux::bea::version(); }
const char* __stdcall BeaEngineRevision() { return tovalux::bea::revision(); }

}  // extern "C"
