// Types of the generated decoder tables (engines/generated/x86_tables.inc).
#pragma once

#include <cstdint>

namespace tovalux::x86::detail {

enum class NodeType : uint8_t {
  Invalid,
  Leaf,         // value = mnemonic
  SelPrefix,    // value = first of 4 children: none, 66, F3, F2
  SelVexW,      // 2 children
  SelVexL,      // 2 children
  SelMod,       // 2 children: memory, register
  SelReg,       // 8 children by ModRM.reg
  SelRm,        // 8 children by ModRM.rm
  SelOpSize,    // 2 children: 16-bit, 32-bit
  SelAddrSize,  // 2 children: 16-bit, 32-bit
};

enum NodeFlags : uint16_t {
  kModrm = 1 << 0,
  kLock = 1 << 1,
  kMandatory = 1 << 2,
  kPriv = 1 << 3,
  kIo = 1 << 4,
  kModIgnored = 1 << 5,  // MOV to/from CR/DR: ModRM.mod is ignored, the operand is a register
  kFpu = 1 << 6,
};

struct Node {
  NodeType type;
  uint16_t flags;
  uint16_t value;
  uint8_t ops[4];  // indexes into kOperandSpecs
};

enum class OpSpecKind : uint8_t {
  None,
  Rm,
  Reg,
  Vvvv,
  Is4,
  Imm,
  ImmSx,
  Imm2,
  Rel,
  Moffs,
  Far,
  Fixed,
  OpReg,
  StrSrc,
  StrDst,
  Xlat,
  One,
};

enum class RegClass : uint8_t { None, Gpr, Seg, Cr, Dr, St, Mm, Xmm };

enum OpSpecFlags : uint8_t { kOpRegOnly = 1, kOpMemOnly = 2 };

// Size codes above 0x80 depend on the prefixes or VEX.L.
enum : uint8_t {
  kSizeV = 0x81,     // operand size: 2 or 4
  kSizeX = 0x82,     // 16 or 32 (VEX.L)
  kSizeP = 0x83,     // far pointer: 4 or 6
  kSizeA = 0x84,     // BOUND pair: 4 or 8
  kSizeEnv = 0x85,   // FPU environment: 14 or 28
  kSizeSave = 0x86,  // FPU state: 94 or 108
};

struct OperandSpec {
  OpSpecKind kind;
  RegClass cls;
  uint8_t regSize;
  uint8_t memSize;
  uint8_t flags;
  uint8_t fixed;  // register number for Fixed
};

}  // namespace tovalux::x86::detail
