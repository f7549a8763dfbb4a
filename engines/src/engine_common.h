// What the two engine styles share on top of the decoder.
#pragma once

#include "tovalux/x86/decoder.h"

namespace tovalux::x86::detail {

// The decoder folds FWAIT into the x87 command after it (binutils does, and 9B DB E2 is
// FCLEX). The engines list a lone WAIT before any other x87 command, as their published
// versions did, so that no WAIT disappears from the listing.
inline Status decodeForListing(const uint8_t* code, size_t size, uint32_t address, Instruction& ins) {
  const Status st = decode(code, size, address, ins);
  if (st != Status::ok || !(ins.flags & kInsWait)) return st;
  switch (ins.mnemonic) {
    case Mnemonic::fclex:
    case Mnemonic::finit:
    case Mnemonic::fstsw:
    case Mnemonic::fstenv:
    case Mnemonic::fstcw:
    case Mnemonic::fsave: return st;
    default: break;
  }
  size_t wait = 0;
  while (wait < ins.opcodeOffset && code[wait] != 0x9B) ++wait;
  return decode(code, wait + 1, address, ins);
}

// String commands: their REP prefixes and element sizes print differently from other commands.
inline bool isString(Mnemonic m) {
  switch (m) {
    case Mnemonic::movs:
    case Mnemonic::cmps:
    case Mnemonic::stos:
    case Mnemonic::lods:
    case Mnemonic::scas:
    case Mnemonic::ins:
    case Mnemonic::outs: return true;
    default: return false;
  }
}

}  // namespace tovalux::x86::detail
