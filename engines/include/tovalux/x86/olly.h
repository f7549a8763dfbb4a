// The OllyDbg disassembler library's interface (olly.dll: Disasm, VB_SetOptions), portable:
// the record, the options, and the function the DLL export forwards to.
//
// Text conventions: upper case unless `lowercase`; "," between operands; constants in hex
// without prefix or suffix; SHORT on rel8 branches; memory as [SIZE PTR ][SEG:][regs±disp]
// (IDEAL: [SIZE SEG:regs±disp]); `dump` with ':' after every prefix byte and blanks before
// the displacement and each immediate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tovalux/x86/decoder.h"

namespace tovalux::olly {

// The four flags VB_SetOptions reaches; every other option of the library stays 0.
struct Options {
  bool ideal = false;         // IDEAL syntax: size and segment inside the brackets
  bool lowercase = false;     // lower-case mnemonics, registers and keywords (hex stays upper)
  bool tabarguments = false;  // operands start at column 8
  bool putdefseg = false;     // show the segment even when it is the default one
};

enum Mode : int { kSize = 0, kData = 1, kFile = 3, kCode = 4 };

enum CmdType : int32_t {
  C_CMD = 0x00,
  C_PSH = 0x10,
  C_POP = 0x20,
  C_MMX = 0x30,
  C_FLT = 0x40,
  C_JMP = 0x50,
  C_JMC = 0x60,
  C_CAL = 0x70,
  C_RET = 0x80,
  C_FLG = 0x90,
  C_RTF = 0xA0,
  C_REP = 0xB0,
  C_PRI = 0xC0,
  C_DAT = 0xD0,
  C_NOW = 0xE0,
  C_BAD = 0xF0,
  C_RARE = 0x08,
  C_EXPL = 0x01,
};

enum Error : int32_t {
  DAE_NOERR = 0,
  DAE_BADCMD = 1,
  DAE_CROSS = 2,
  DAE_BADSEG = 3,
  DAE_MEMORY = 4,
  DAE_REGISTER = 5,
  DAE_INTERN = 6,
};

enum Warning : int32_t {
  DAW_FARADDR = 0x1,
  DAW_SEGMENT = 0x2,
  DAW_PRIV = 0x4,
  DAW_IO = 0x8,
  DAW_SHIFT = 0x10,
  DAW_PREFIX = 0x20,
  DAW_LOCK = 0x40,
  DAW_STACK = 0x80,
};

enum MemType : int32_t {
  DEC_UNKNOWN = 0,
  DEC_BYTE = 1,
  DEC_WORD = 2,
  DEC_DWORD = 4,
  DEC_FLOAT4 = 5,
  DEC_FWORD = 6,
  DEC_FLOAT8 = 7,
  DEC_QWORD = 8,
  DEC_FLOAT10 = 9,
  DEC_TBYTE = 10,
  DEC_SSE = 14,
};

constexpr size_t kTextLen = 256;

// t_disasm of the 32-bit library: 824 bytes, every scalar 4 bytes, no padding.
struct TDisasm {
  uint32_t ip;
  char dump[kTextLen];
  char result[kTextLen];
  char comment[kTextLen];
  int32_t cmdtype;
  int32_t memtype;
  int32_t nprefix;
  int32_t indexed;
  uint32_t jmpconst;
  uint32_t jmptable;
  uint32_t adrconst;
  uint32_t immconst;
  int32_t zeroconst;
  int32_t fixupoffset;
  int32_t fixupsize;
  int32_t error;
  int32_t warnings;
};
static_assert(sizeof(TDisasm) == 824);
static_assert(offsetof(TDisasm, dump) == 4 && offsetof(TDisasm, result) == 260 && offsetof(TDisasm, comment) == 516 &&
              offsetof(TDisasm, cmdtype) == 772 && offsetof(TDisasm, error) == 816 &&
              offsetof(TDisasm, warnings) == 820);

// Disassembles the command at `src` (srcsize bytes readable, never more are read) located at
// `srcip`. Returns the bytes consumed. `mode` below kFile leaves dump and result untouched;
// any value from kFile on gives text (kCode and above give the same text: there is no symbol
// table to consult).
uint32_t disasm(const uint8_t* src, uint32_t srcsize, uint32_t srcip, TDisasm* out, int mode, const Options& options);

// The `result` text of a decoded instruction (what disasm() writes for a valid one).
size_t formatResult(const x86::Instruction& ins, const Options& options, char* out, size_t cap);

// The `dump` text: prefix bytes with ':', opcode/ModRM/SIB together, then displacement and
// immediates each after a blank. `bytes` are the instruction's bytes (ins.length of them).
size_t formatDump(const x86::Instruction& ins, const uint8_t* bytes, char* out, size_t cap);

}  // namespace tovalux::olly
