#include "hooks/engine/trampoline.h"

#include <cstring>

#include "tovalux/x86/decoder.h"

namespace tovalux::hooks {
namespace {

void putInt32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool endsFlow(x86::Flow flow) {
  return flow == x86::Flow::jump || flow == x86::Flow::jumpIndirect || flow == x86::Flow::ret ||
         flow == x86::Flow::interrupt;
}

bool isUnmovableBranch(const x86::Instruction& ins) {
  // loop, loopcc and jecxz only exist with an 8-bit displacement; xbegin's abort address is
  // kept by the processor.
  using x86::Mnemonic;
  switch (ins.mnemonic) {
    case Mnemonic::loop:
    case Mnemonic::loope:
    case Mnemonic::loopne:
    case Mnemonic::jecxz:
    case Mnemonic::jcxz:
    case Mnemonic::xbegin: return true;
    default:
      // With a 66 prefix even a rel8 branch wraps the instruction pointer to 16 bits.
      return ins.relSize == 2 || ins.operandSize == 2;
  }
}

}  // namespace

std::array<uint8_t, kJumpLength> encodeJump(uint32_t from, uint32_t to) {
  std::array<uint8_t, kJumpLength> jump{kJumpOpcode};
  putInt32(jump.data() + 1, to - (from + kJumpLength));
  return jump;
}

const char* toString(PrologueStatus status) {
  switch (status) {
    case PrologueStatus::ok: return "ok";
    case PrologueStatus::badCount: return "byte count out of range";
    case PrologueStatus::undecodable: return "entry is not decodable";
    case PrologueStatus::endsTooSoon: return "function ends inside the patch";
    case PrologueStatus::unmovableBranch: return "entry holds a branch that cannot be moved";
    case PrologueStatus::branchIntoPatch: return "a branch lands inside the patch";
  }
  return "?";
}

std::optional<size_t> Trampoline::trampolineOffsetOf(size_t targetOffset) const {
  for (size_t i = 0; i < boundaryCount; ++i)
    if (boundaries[i].targetOffset == targetOffset) return boundaries[i].trampolineOffset;
  return std::nullopt;
}

std::optional<size_t> Trampoline::targetOffsetOf(size_t trampolineOffset) const {
  for (size_t i = 0; i < boundaryCount; ++i)
    if (boundaries[i].trampolineOffset == trampolineOffset) return boundaries[i].targetOffset;
  return std::nullopt;
}

Trampoline buildTrampoline(const uint8_t* code, size_t available, uint32_t targetAddress, uint32_t trampolineAddress,
                           size_t requestedCount) {
  Trampoline t;
  if (requestedCount < kJumpLength || requestedCount > kMaxByteCount) {
    t.status = PrologueStatus::badCount;
    return t;
  }

  // Pass 1: find the instructions that cover the requested bytes.
  x86::Instruction moved[kMaxByteCount];
  size_t count = 0;
  size_t offset = 0;
  while (offset < requestedCount) {
    x86::Instruction& ins = moved[count];
    if (offset >= available || x86::decode(code + offset, available - offset,
                                           targetAddress + static_cast<uint32_t>(offset), ins) != x86::Status::ok) {
      t.status = PrologueStatus::undecodable;
      return t;
    }
    ++count;
    offset += ins.length;
    if (endsFlow(ins.flow) && offset < requestedCount) {
      t.status = PrologueStatus::endsTooSoon;
      return t;
    }
  }
  t.movedCount = offset;

  // Pass 2: refuse what cannot move, then copy with re-targeted branches.
  for (size_t i = 0; i < count; ++i) {
    const x86::Instruction& ins = moved[i];
    if (ins.relSize == 0) continue;
    if (isUnmovableBranch(ins)) {
      t.status = PrologueStatus::unmovableBranch;
      return t;
    }
    if (ins.target - targetAddress < t.movedCount) {
      t.status = PrologueStatus::branchIntoPatch;
      return t;
    }
  }

  size_t out = 0;
  size_t source = 0;
  for (size_t i = 0; i < count; ++i) {
    const x86::Instruction& ins = moved[i];
    t.boundaries[t.boundaryCount++] = {static_cast<uint8_t>(source), static_cast<uint8_t>(out)};
    const uint8_t* bytes = code + source;
    if (ins.relSize == 0) {
      std::memcpy(t.code.data() + out, bytes, ins.length);
      out += ins.length;
    } else if (ins.relSize == 4) {
      std::memcpy(t.code.data() + out, bytes, ins.length);
      const uint32_t here = trampolineAddress + static_cast<uint32_t>(out);
      putInt32(t.code.data() + out + ins.relOffset, ins.target - (here + ins.length));
      out += ins.length;
    } else {
      // rel8 jmp (EB) or jcc (70..7F): keep any prefixes, widen to E9 / 0F 80+cc with rel32.
      std::memcpy(t.code.data() + out, bytes, ins.opcodeOffset);
      out += ins.opcodeOffset;
      if (ins.opcode == 0xEB) {
        t.code[out++] = 0xE9;
      } else {
        t.code[out++] = 0x0F;
        t.code[out++] = static_cast<uint8_t>(0x80 | (ins.opcode & 0x0F));
      }
      const uint32_t end = trampolineAddress + static_cast<uint32_t>(out + 4);
      putInt32(t.code.data() + out, ins.target - end);
      out += 4;
    }
    source += ins.length;
  }

  t.boundaries[t.boundaryCount++] = {static_cast<uint8_t>(t.movedCount), static_cast<uint8_t>(out)};
  const auto back =
      encodeJump(trampolineAddress + static_cast<uint32_t>(out), targetAddress + static_cast<uint32_t>(t.movedCount));
  std::memcpy(t.code.data() + out, back.data(), back.size());
  t.size = out + back.size();
  t.status = PrologueStatus::ok;
  return t;
}

}  // namespace tovalux::hooks
