// x86-32 instruction decoder: one call turns the bytes at an address into an Instruction.
//
// Portable (no Windows headers), allocation-free and thread-safe: the tables are constant and
// every call works only on the caller's Instruction. The decoder never reads more than
// min(size, 15) bytes from the pointer it is given.
//
// For the hook engine, which relocates the first instructions of a function:
//
//   Instruction ins;
//   if (decode(p, n, address, ins) != Status::ok) refuse;     // undefined, truncated, ...
//   ins.length                      bytes the instruction occupies (1..15)
//   ins.relSize / ins.relOffset     a relative branch (jmp/jcc/call rel8/rel16/rel32, loop,
//                                   loopcc, jecxz, xbegin): size of the displacement field
//                                   (1, 2 or 4) and its offset from the first byte; 0 if none
//   ins.target                      the branch destination computed from `address`
//   ins.flow                        what the instruction does to control flow
//
// Re-targeting a relative branch: copy the instruction, then write (target - newAddress -
// length) into the relSize bytes at relOffset; a rel8 branch whose new displacement does not
// fit must be widened by the caller (jmp/jcc/call rel32 forms, loop/jecxz have none).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovalux::x86 {

enum class Mnemonic : uint16_t {
#define TOVALUX_X86_MNEMONIC(id, text) id,
#include "x86_mnemonics.inc"
#undef TOVALUX_X86_MNEMONIC
  count_
};

// Lower-case name as Intel and binutils spell it ("mov", "cvtsi2sd"); "invalid" for none.
const char* mnemonicName(Mnemonic m);

enum class Status : uint8_t {
  ok,
  undefined,     // no instruction has this encoding (the CPU raises #UD)
  badLock,       // LOCK on an instruction or operand that does not allow it
  registerForm,  // a register where only memory is allowed (LEA EAX,ECX and the like)
  truncated,     // the bytes end inside the instruction
  tooLong,       // more than 15 bytes
  unsupported,   // a valid encoding of a family this decoder leaves alone (EVEX/AVX-512,
                 // AMD XOP and FMA4); ins.length is still its length
};

const char* statusName(Status s);

// Registers, numbered so that each class is a contiguous run in encoding order.
enum class Reg : uint8_t {
  none,
  eax,
  ecx,
  edx,
  ebx,
  esp,
  ebp,
  esi,
  edi,
  ax,
  cx,
  dx,
  bx,
  sp,
  bp,
  si,
  di,
  al,
  cl,
  dl,
  bl,
  ah,
  ch,
  dh,
  bh,
  es,
  cs,
  ss,
  ds,
  fs,
  gs,
  seg6,
  seg7,
  st0,
  st1,
  st2,
  st3,
  st4,
  st5,
  st6,
  st7,
  mm0,
  mm1,
  mm2,
  mm3,
  mm4,
  mm5,
  mm6,
  mm7,
  xmm0,
  xmm1,
  xmm2,
  xmm3,
  xmm4,
  xmm5,
  xmm6,
  xmm7,
  ymm0,
  ymm1,
  ymm2,
  ymm3,
  ymm4,
  ymm5,
  ymm6,
  ymm7,
  cr0,
  cr1,
  cr2,
  cr3,
  cr4,
  cr5,
  cr6,
  cr7,
  dr0,
  dr1,
  dr2,
  dr3,
  dr4,
  dr5,
  dr6,
  dr7,
  count_
};

const char* regName(Reg r);  // lower case: "eax", "st0", "xmm1", "cr0"

enum class OpKind : uint8_t {
  none,
  reg,
  mem,
  imm,     // immediate; `imm` holds the value already sign- or zero-extended to `size`
  rel,     // relative branch; `imm` holds the absolute target
  farPtr,  // ptr16:32 / ptr16:16 immediate; `imm` offset, `selector`
};

struct Operand {
  OpKind kind = OpKind::none;
  uint8_t size = 0;       // bytes: 1, 2, 4, 6, 8, 10, 16, 32, or 0 when the operand has none
                          // (LEA's address, FXSAVE's area)
  Reg reg = Reg::none;    // reg
  Reg base = Reg::none;   // mem
  Reg index = Reg::none;  // mem
  uint8_t scale = 0;      // mem: 1, 2, 4, 8 when there is an index, else 0
  Reg seg = Reg::none;    // mem: the segment used (override or default)
  uint8_t dispSize = 0;   // mem: encoded displacement bytes (0, 1, 2, 4)
  uint8_t immSize = 0;    // imm/rel: encoded bytes
  bool implicit = false;  // string-instruction operands, XLAT's table, implied AL/eAX/CL
  uint16_t selector = 0;  // far
  int32_t disp = 0;       // mem
  uint32_t imm = 0;       // imm, rel (target), far (offset)
};

enum class Flow : uint8_t {
  none,
  jump,          // jmp rel
  jumpIndirect,  // jmp r/m, jmp far
  branch,        // jcc, loop, loopcc, jecxz, xbegin: conditional, rel
  call,          // call rel
  callIndirect,  // call r/m, call far
  ret,           // ret, retf, iret
  interrupt,     // int, int3, into, int1, syscall, sysenter, ud0/1/2 and the like
};

// Prefix bytes seen before the opcode (and before VEX).
enum PrefixBits : uint16_t {
  kPrefixLock = 1 << 0,
  kPrefixRep = 1 << 1,     // F3
  kPrefixRepne = 1 << 2,   // F2
  kPrefixOpSize = 1 << 3,  // 66
  kPrefixAddrSize = 1 << 4,
  kPrefixSeg = 1 << 5,       // any segment override; Instruction::segPrefix tells which
  kPrefixRepeated = 1 << 6,  // a prefix group appeared more than once
};

enum InstrFlags : uint16_t {
  kInsPrivileged = 1 << 0,
  kInsIo = 1 << 1,
  kInsFpu = 1 << 2,
  kInsMmx = 1 << 3,  // uses MMX registers
  kInsSse = 1 << 4,  // uses XMM registers (legacy encoding)
  kInsVex = 1 << 5,
  kIns3DNow = 1 << 6,
  kInsMandatory = 1 << 7,  // a 66/F2/F3 byte belongs to the opcode, not to the prefixes
  kInsWait = 1 << 8,       // FWAIT folded into the x87 instruction (fclex, finit, fstsw...)
};

struct Instruction {
  uint32_t address = 0;
  uint8_t length = 0;
  Mnemonic mnemonic = Mnemonic::invalid;
  uint8_t operandCount = 0;
  Operand op[4];

  // Prefixes: bits, how many bytes they took, the segment override in effect, the 66/F2/F3
  // that became part of the opcode (0 if none) and the group-1 prefix byte last seen.
  uint16_t prefixes = 0;
  uint8_t prefixCount = 0;
  Reg segPrefix = Reg::none;
  uint8_t mandatoryPrefix = 0;
  uint8_t repPrefix = 0;

  // Layout of the bytes: where the opcode begins (after prefixes, VEX included), the opcode
  // map (0 one-byte, 1 0F, 2 0F38, 3 0F3A), the opcode byte, ModRM, and the offsets/sizes of
  // displacement and immediates (offset 0 = absent). Formatters that dump bytes use these.
  uint8_t opcodeOffset = 0;
  uint8_t map = 0;
  uint8_t opcode = 0;
  uint8_t modrm = 0;
  uint8_t sib = 0;
  bool hasModrm = false;
  bool hasSib = false;
  uint8_t dispOffset = 0, dispSize = 0;
  uint8_t immOffset = 0, immSize = 0;
  uint8_t imm2Offset = 0, imm2Size = 0;
  uint8_t operandSize = 4;  // 2 or 4
  uint8_t addressSize = 4;  // 2 or 4
  uint8_t vexL = 0, vexW = 0;

  Flow flow = Flow::none;
  uint8_t relOffset = 0, relSize = 0;
  uint32_t target = 0;
  uint16_t flags = 0;
};

// Decodes one instruction from `code` (at most `size` bytes are available) located at
// `address`. Returns Status::ok or the reason it is not an instruction. On every status
// ins.length holds the bytes the decoder looked at (at least 1 when size > 0; the whole
// encoding when its shape is known, as for Status::unsupported), so a linear sweep can step
// over what it could not decode.
Status decode(const uint8_t* code, size_t size, uint32_t address, Instruction& ins);

// Length of the valid instruction at `code`, or 0 when it is not one (see decode()).
size_t instructionLength(const uint8_t* code, size_t size);

}  // namespace tovalux::x86
