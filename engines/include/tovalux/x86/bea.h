// BeaEngine 4.1's interface (BeaEngine.dll: _Disasm@4 and the version strings), portable:
// the 32-bit DISASM record, its option bits, and the function the DLL export forwards to.
//
// Text conventions: lower case; mnemonic, one blank, operands separated by ", "; numbers in
// upper-case hex zero-padded to their width with an "h" suffix (or "0x" prefix); sizes as
// "dword ptr " (MASM), "dword " (NASM), "d " (GoAsm); AT&T reversed with size suffixes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tovalux/x86/decoder.h"

namespace tovalux::bea {

enum : int32_t { kUnknownOpcode = -1, kOutOfBlock = 0 };

enum OptionBits : uint64_t {
  NoTabulation = 0,
  Tabulation = 0x1,
  MasmSyntax = 0,
  GoAsmSyntax = 0x100,
  NasmSyntax = 0x200,
  ATSyntax = 0x400,
  SuffixedNumeral = 0,
  PrefixedNumeral = 0x10000,
  ShowSegmentRegs = 0x01000000,
};

enum class Syntax : uint8_t { masm, goasm, nasm, att };

struct Options {
  Syntax syntax = Syntax::masm;
  bool tabulation = false;
  bool prefixedNumeral = false;
  bool showSegmentRegs = false;

  // Each field is compared for equality within its byte, as the library does.
  static Options fromBits(uint64_t bits);
};

// Argument and instruction constants of the record.
enum ArgTypeBits : uint32_t {
  NO_ARGUMENT = 0x10000000,
  REGISTER_TYPE = 0x20000000,
  MEMORY_TYPE = 0x40000000,
  CONSTANT_TYPE = 0x80000000,
  MMX_REG = 0x10000,
  GENERAL_REG = 0x20000,
  FPU_REG = 0x40000,
  SSE_REG = 0x80000,
  CR_REG = 0x100000,
  DR_REG = 0x200000,
  SPECIAL_REG = 0x400000,
  SEGMENT_REG = 0x1000000,
  RELATIVE_ = 0x4000000,
  ABSOLUTE_ = 0x8000000,
};
enum AccessMode : uint32_t { READ = 1, WRITE = 2 };
enum SegmentReg : uint32_t { ESReg = 1, DSReg = 2, FSReg = 3, GSReg = 4, CSReg = 5, SSReg = 6 };
enum BranchType : int32_t {
  JO = 1,
  JC = 2,
  JE = 3,
  JA = 4,
  JS = 5,
  JP = 6,
  JL = 7,
  JG = 8,
  JB = 2,
  JECXZ = 10,
  JmpType = 11,
  CallType = 12,
  RetType = 13,
  JNO = -1,
  JNC = -2,
  JNE = -3,
  JNA = -4,
  JNS = -5,
  JNP = -6,
  JNL = -7,
  JNG = -8,
  JNB = -2,
};
enum Category : int32_t {
  GENERAL_PURPOSE_INSTRUCTION = 0x10000,
  FPU_INSTRUCTION = 0x20000,
  MMX_INSTRUCTION = 0x40000,
  SSE_INSTRUCTION = 0x80000,
  SYSTEM_INSTRUCTION = 0x2000000,
  AVX_INSTRUCTION = 0x8000000,
  DATA_TRANSFER = 1,
  ARITHMETIC_INSTRUCTION = 2,
  LOGICAL_INSTRUCTION = 3,
  SHIFT_ROTATE = 4,
  BIT_UINT8 = 5,
  CONTROL_TRANSFER = 6,
  STRING_INSTRUCTION = 7,
  InOutINSTRUCTION = 8,
  ENTER_LEAVE_INSTRUCTION = 9,
  FLAG_CONTROL_INSTRUCTION = 10,
  SEGMENT_REGISTER = 11,
  MISCELLANEOUS_INSTRUCTION = 12,
};
enum PrefixState : uint8_t {
  NotUsedPrefix = 0,
  InUsePrefix = 1,
  SuperfluousPrefix = 2,
  InvalidPrefix = 4,
  MandatoryPrefix = 8,
};

#pragma pack(push, 1)
struct EFLStruct {
  uint8_t OF_, SF_, ZF_, AF_, PF_, CF_, TF_, IF_, DF_, NT_, RF_, alignment;
};
struct MemoryType {
  int32_t BaseRegister;
  int32_t IndexRegister;
  int32_t Scale;
  int64_t Displacement;
};
struct InstrType {
  int32_t Category;
  int32_t Opcode;
  char Mnemonic[16];
  int32_t BranchType;
  EFLStruct Flags;
  uint64_t AddrValue;
  int64_t Immediat;
  uint32_t ImplicitModifiedRegs;
};
struct ArgType {
  char ArgMnemonic[64];
  int32_t ArgType;
  int32_t ArgSize;
  int32_t ArgPosition;
  uint32_t AccessMode;
  MemoryType Memory;
  uint32_t SegmentReg;
};
struct RexStruct {
  uint8_t W_, R_, X_, B_, state;
};
struct PrefixInfo {
  int32_t Number;
  int32_t NbUndefined;
  uint8_t LockPrefix, OperandSize, AddressSize, RepnePrefix, RepPrefix, FSPrefix, SSPrefix, GSPrefix, ESPrefix,
      CSPrefix, DSPrefix, BranchTaken, BranchNotTaken;
  RexStruct REX;
  char alignment[2];
};
// DISASM of the 32-bit library (EIP is a 32-bit pointer there).
struct Disasm32 {
  uint32_t EIP;
  uint64_t VirtualAddr;
  uint32_t SecurityBlock;
  char CompleteInstr[64];
  uint32_t Archi;
  uint64_t Options;
  InstrType Instruction;
  ArgType Argument1;
  ArgType Argument2;
  ArgType Argument3;
  PrefixInfo Prefix;
  uint32_t Reserved_[40];
};
#pragma pack(pop)

static_assert(sizeof(InstrType) == 60 && sizeof(ArgType) == 104 && sizeof(PrefixInfo) == 28);
static_assert(sizeof(Disasm32) == 652);
static_assert(offsetof(Disasm32, CompleteInstr) == 16 && offsetof(Disasm32, Archi) == 80 &&
              offsetof(Disasm32, Instruction) == 92 && offsetof(Disasm32, Argument1) == 152 &&
              offsetof(Disasm32, Argument2) == 256 && offsetof(Disasm32, Argument3) == 360 &&
              offsetof(Disasm32, Prefix) == 464 && offsetof(Disasm32, Reserved_) == 492);
static_assert(offsetof(ArgType, Memory) == 80 && offsetof(ArgType, SegmentReg) == 100);

// Decodes the instruction at `code` (the bytes EIP points at) into `rec`. Returns its length,
// kUnknownOpcode (-1, text "??? ") or kOutOfBlock (0) when it would read past
// code + SecurityBlock (0 = no limit; at most 15 bytes are ever read). An instruction that
// ends exactly at the end of the block decodes. Only 32-bit code: Archi 16 and 64 answer
// kUnknownOpcode.
int32_t disasm(Disasm32& rec, const uint8_t* code);

// CompleteInstr of a decoded instruction.
size_t formatInstruction(const x86::Instruction& ins, const Options& options, char* out, size_t cap);

const char* version();   // "4.1"
const char* revision();  // "175"

}  // namespace tovalux::bea
