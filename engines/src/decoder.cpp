// Table-driven x86-32 decoder: prefixes, opcode maps, the selector tree of the generated
// tables, then ModRM/SIB/displacement and immediates in encoding order.
#include "tovalux/x86/decoder.h"

#include "x86_internal.h"

namespace tovalux::x86 {
namespace detail {
#include "x86_tables.inc"
}  // namespace detail

using namespace detail;

namespace {

constexpr const char* kMnemonicNames[] = {
#define TOVALUX_X86_MNEMONIC(id, text) text,
#include "x86_mnemonics.inc"
#undef TOVALUX_X86_MNEMONIC
};

constexpr const char* kRegNames[] = {
    "",     "eax",  "ecx",  "edx",  "ebx",  "esp",  "ebp",  "esi",  "edi",  "ax",   "cx",   "dx",   "bx",   "sp",
    "bp",   "si",   "di",   "al",   "cl",   "dl",   "bl",   "ah",   "ch",   "dh",   "bh",   "es",   "cs",   "ss",
    "ds",   "fs",   "gs",   "seg6", "seg7", "st0",  "st1",  "st2",  "st3",  "st4",  "st5",  "st6",  "st7",  "mm0",
    "mm1",  "mm2",  "mm3",  "mm4",  "mm5",  "mm6",  "mm7",  "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6",
    "xmm7", "ymm0", "ymm1", "ymm2", "ymm3", "ymm4", "ymm5", "ymm6", "ymm7", "cr0",  "cr1",  "cr2",  "cr3",  "cr4",
    "cr5",  "cr6",  "cr7",  "dr0",  "dr1",  "dr2",  "dr3",  "dr4",  "dr5",  "dr6",  "dr7",
};
static_assert(sizeof(kRegNames) / sizeof(kRegNames[0]) == size_t(Reg::count_));

// Prefix groups: 1 lock/rep, 2 segment, 3 operand size, 4 address size.
constexpr uint8_t prefixGroup(uint8_t b) {
  switch (b) {
    case 0xF0:
    case 0xF2:
    case 0xF3: return 1;
    case 0x26:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x64:
    case 0x65: return 2;
    case 0x66: return 3;
    case 0x67: return 4;
    default: return 0;
  }
}

constexpr auto kPrefixGroup = [] {
  struct {
    uint8_t v[256];
  } t{};
  for (int b = 0; b < 256; ++b) t.v[b] = prefixGroup(uint8_t(b));
  return t;
}();

constexpr Reg segFromPrefix(uint8_t b) {
  switch (b) {
    case 0x26: return Reg::es;
    case 0x2E: return Reg::cs;
    case 0x36: return Reg::ss;
    case 0x3E: return Reg::ds;
    case 0x64: return Reg::fs;
    default: return Reg::gs;
  }
}

Reg regOf(RegClass cls, unsigned n, unsigned size) {
  n &= 7;
  switch (cls) {
    case RegClass::Gpr:
      if (size == 1) return Reg(unsigned(Reg::al) + n);
      if (size == 2) return Reg(unsigned(Reg::ax) + n);
      return Reg(unsigned(Reg::eax) + n);
    case RegClass::Seg: return Reg(unsigned(Reg::es) + n);
    case RegClass::Cr: return Reg(unsigned(Reg::cr0) + n);
    case RegClass::Dr: return Reg(unsigned(Reg::dr0) + n);
    case RegClass::St: return Reg(unsigned(Reg::st0) + n);
    case RegClass::Mm: return Reg(unsigned(Reg::mm0) + n);
    case RegClass::Xmm: return Reg(unsigned(size == 32 ? Reg::ymm0 : Reg::xmm0) + n);
    case RegClass::None: break;
  }
  return Reg::none;
}

uint32_t readLe(const uint8_t* p, unsigned n) {
  switch (n) {
    case 1: return p[0];
    case 2: return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    case 4: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    default: return 0;
  }
}

uint32_t signExtend(uint32_t v, unsigned bytes) {
  if (bytes == 1) return uint32_t(int32_t(int8_t(v)));
  if (bytes == 2) return uint32_t(int32_t(int16_t(v)));
  return v;
}

Flow flowOf(Mnemonic m, bool relative) {
  using M = Mnemonic;
  switch (m) {
    case M::jmp: return relative ? Flow::jump : Flow::jumpIndirect;
    case M::call: return relative ? Flow::call : Flow::callIndirect;
    case M::jo:
    case M::jno:
    case M::jb:
    case M::jae:
    case M::je:
    case M::jne:
    case M::jbe:
    case M::ja:
    case M::js:
    case M::jns:
    case M::jp:
    case M::jnp:
    case M::jl:
    case M::jge:
    case M::jle:
    case M::jg:
    case M::loop:
    case M::loope:
    case M::loopne:
    case M::jecxz:
    case M::jcxz:
    case M::xbegin: return Flow::branch;
    case M::ret:
    case M::retf:
    case M::iret:
    case M::iretw:
    case M::sysexit:
    case M::sysret: return Flow::ret;
    case M::int_:
    case M::int3:
    case M::into:
    case M::int1:
    case M::ud0:
    case M::ud1:
    case M::ud2:
    case M::syscall:
    case M::sysenter:
    case M::hlt: return Flow::interrupt;
    default: return Flow::none;
  }
}

// FWAIT followed by an x87 control instruction is one instruction (9B DB E2 = FCLEX).
Mnemonic waitForm(Mnemonic m) {
  switch (m) {
    case Mnemonic::fnclex: return Mnemonic::fclex;
    case Mnemonic::fninit: return Mnemonic::finit;
    case Mnemonic::fnstsw: return Mnemonic::fstsw;
    case Mnemonic::fnstenv: return Mnemonic::fstenv;
    case Mnemonic::fnstcw: return Mnemonic::fstcw;
    case Mnemonic::fnsave: return Mnemonic::fsave;
    default: return Mnemonic::invalid;
  }
}

struct Decoder {
  const uint8_t* code;
  size_t limit;
  size_t i = 0;
  Instruction& ins;

  // Prefixes.
  bool has66 = false, has67 = false;
  uint8_t lastRep = 0;  // F2 or F3, whichever came last
  bool wait = false;    // an FWAIT that belongs to the x87 instruction after it
  // Opcode map and VEX.
  const uint16_t* root = kRoot1;
  uint8_t opcode = 0;
  bool vex = false, vexPrefixed = false;
  unsigned vexPp = 0, vexV = 0;
  // Selector walk.
  Status deferred = Status::ok;  // undefined, but parse on so that the length is known
  unsigned pfxSlot = 0;
  bool repIgnored = false;  // F2/F3 where the row allows no prefix: parsed without it
  bool memForm = false;

  Status fail(Status s) {
    size_t len = i == 0 ? 1 : i;
    if (len > limit) len = limit;
    ins.length = uint8_t(len);
    ins.mnemonic = Mnemonic::invalid;
    ins.operandCount = 0;
    ins.flow = Flow::none;
    ins.relSize = ins.relOffset = 0;
    return s;
  }
  // Status when byte i is needed but not there: the instruction either runs past the bytes
  // given or past the architectural 15.
  Status shortStatus() const { return i >= 15 ? Status::tooLong : Status::truncated; }
  // Whether `n` more bytes are there; when not, i moves to where they run out (the bytes
  // given or the architectural 15), the length fail() reports.
  bool have(size_t n) {
    if (i + n <= limit) return true;
    i = i + n > 15 ? 15 : limit;
    return false;
  }
  // EVEX (62 with a register-form next byte) and XOP (8F with a map from 8) instead of BOUND
  // and POP; i is just past the escape byte.
  bool startsExtended(uint8_t b) const {
    if (i >= limit) return false;
    return (b == 0x62 && (code[i] & 0xC0) == 0xC0) || (b == 0x8F && (code[i] & 0x1F) >= 8);
  }

  // The steps of run(), in encoding order. Each answers ok or the status run() fails with.
  Status run();
  Status readPrefixes();
  Status readOpcode(uint8_t b);
  Status readVex(uint8_t escape);
  Status selectForm(const Node*& leaf);
  bool memoryFormExists(const Node* sel) const;
  Status readLeafModrm(const Node& leaf);
  Status readOperands(const Node& leaf, unsigned& count, bool& relative);
  Status readImmediate(Operand& o, const OperandSpec& s, bool& relative);
  Status finish(const Node& leaf, unsigned count, bool relative);
  unsigned resolveSize(uint8_t code8) const;
  void setReg(Operand& o, const OperandSpec& s, unsigned number) const;

  Status extended(uint8_t escape);
  Status decodeModrmMemory(Operand& m, unsigned memSize);
};

Status Decoder::decodeModrmMemory(Operand& m, unsigned memSize) {
  const unsigned mod = ins.modrm >> 6, rm = ins.modrm & 7;
  m.kind = OpKind::mem;
  m.size = uint8_t(memSize);
  bool ssDefault = false;
  unsigned dispBytes = 0;
  if (ins.addressSize == 4) {
    if (rm == 4) {
      if (i >= limit) return shortStatus();
      const uint8_t sib = code[i++];
      ins.hasSib = true;
      ins.sib = sib;
      const unsigned base = sib & 7, index = (sib >> 3) & 7;
      if (index != 4) {
        m.index = Reg(unsigned(Reg::eax) + index);
        m.scale = uint8_t(1u << (sib >> 6));
      }
      if (base == 5 && mod == 0) {
        dispBytes = 4;
      } else {
        m.base = Reg(unsigned(Reg::eax) + base);
        ssDefault = base == 4 || base == 5;
      }
    } else if (rm == 5 && mod == 0) {
      dispBytes = 4;
    } else {
      m.base = Reg(unsigned(Reg::eax) + rm);
      ssDefault = rm == 5;
    }
    if (mod == 1) dispBytes = 1;
    if (mod == 2) dispBytes = 4;
  } else {
    static constexpr Reg base16[8] = {Reg::bx, Reg::bx, Reg::bp, Reg::bp, Reg::si, Reg::di, Reg::bp, Reg::bx};
    static constexpr Reg index16[8] = {Reg::si, Reg::di, Reg::si, Reg::di, Reg::none, Reg::none, Reg::none, Reg::none};
    if (rm == 6 && mod == 0) {
      dispBytes = 2;
    } else {
      m.base = base16[rm];
      m.index = index16[rm];
      if (m.index != Reg::none) m.scale = 1;
      ssDefault = m.base == Reg::bp;
    }
    if (mod == 1) dispBytes = 1;
    if (mod == 2) dispBytes = 2;
  }
  if (dispBytes) {
    if (!have(dispBytes)) return shortStatus();
    ins.dispOffset = uint8_t(i);
    ins.dispSize = uint8_t(dispBytes);
    m.dispSize = uint8_t(dispBytes);
    m.disp = int32_t(signExtend(readLe(code + i, dispBytes), dispBytes));
    i += dispBytes;
  }
  m.seg = ins.segPrefix != Reg::none ? ins.segPrefix : ssDefault ? Reg::ss : Reg::ds;
  return Status::ok;
}

// EVEX (62) and XOP (8F): only their length. Both are prefix, two or three payload bytes,
// opcode, ModRM with the usual SIB/displacement, then an immediate fixed by the map.
Status Decoder::extended(uint8_t escape) {
  const size_t payload = escape == 0x62 ? 3 : 2;
  if (!have(payload)) return fail(shortStatus());
  const uint8_t p0 = code[i];
  const unsigned map = escape == 0x62 ? p0 & 7 : p0 & 0x1F;
  if (escape == 0x62 && (!(code[i + 1] & 4) || map == 0 || map == 4 || map == 7)) return fail(Status::undefined);
  if (escape == 0x8F && map > 10) return fail(Status::undefined);
  i += payload;
  if (!have(2)) return fail(shortStatus());
  const uint8_t op = code[i++];
  ins.opcode = op;
  ins.modrm = code[i++];
  ins.hasModrm = true;
  if ((ins.modrm >> 6) != 3) {
    Operand scratch;
    if (Status st = decodeModrmMemory(scratch, 0); st != Status::ok) return fail(st);
  }
  unsigned imm = 0;
  if (escape == 0x62) {
    if (map == 3 || (map == 1 && ((op >= 0x70 && op <= 0x73) || op == 0xC2 || (op >= 0xC4 && op <= 0xC6)))) imm = 1;
  } else {
    imm = map == 8 ? 1 : map == 10 ? 4 : 0;
  }
  if (!have(imm)) return fail(shortStatus());
  i += imm;
  ins.length = uint8_t(i);
  return fail(Status::unsupported);
}

Status Decoder::run() {
  if (limit == 0) {
    ins.length = 0;
    return Status::truncated;
  }
  if (Status st = readPrefixes(); st != Status::ok) return fail(st);
  ins.opcodeOffset = uint8_t(i);
  const uint8_t b = code[i++];
  if (startsExtended(b)) return extended(b);
  if (Status st = readOpcode(b); st != Status::ok) return fail(st);
  const Node* leaf = nullptr;
  if (Status st = selectForm(leaf); st != Status::ok) return fail(st);
  if (Status st = readLeafModrm(*leaf); st != Status::ok) return fail(st);
  unsigned count = 0;
  bool relative = false;
  if (Status st = readOperands(*leaf, count, relative); st != Status::ok) return fail(st);
  return finish(*leaf, count, relative);
}

// Legacy prefixes, and an FWAIT that belongs to the x87 instruction after it.
Status Decoder::readPrefixes() {
  uint8_t groupsSeen = 0;
  for (;;) {
    if (i >= limit) return shortStatus();
    const uint8_t b = code[i];
    const uint8_t g = kPrefixGroup.v[b];
    if (!g) {
      // FWAIT before an x87 instruction belongs to it, as binutils and the FNxxx/Fxxx
      // pairs of the manuals have it (9B DB E2 is FCLEX).
      if (b != 0x9B) break;
      size_t k = i + 1;
      while (k < limit && (kPrefixGroup.v[code[k]] || code[k] == 0x9B)) ++k;
      if (k >= limit || code[k] < 0xD8 || code[k] > 0xDF) break;
      wait = true;
      ++i;
      continue;
    }
    if (groupsSeen & (1u << g)) ins.prefixes |= kPrefixRepeated;
    groupsSeen |= uint8_t(1u << g);
    switch (b) {
      case 0xF0: ins.prefixes |= kPrefixLock; break;
      case 0xF2:
        ins.prefixes |= kPrefixRepne;
        lastRep = b;
        break;
      case 0xF3:
        ins.prefixes |= kPrefixRep;
        lastRep = b;
        break;
      case 0x66:
        ins.prefixes |= kPrefixOpSize;
        has66 = true;
        break;
      case 0x67:
        ins.prefixes |= kPrefixAddrSize;
        has67 = true;
        break;
      default:
        ins.prefixes |= kPrefixSeg;
        ins.segPrefix = segFromPrefix(b);
        break;
    }
    ++i;
    ins.prefixCount = uint8_t(i);
  }
  ins.prefixCount = uint8_t(i);
  ins.repPrefix = lastRep;
  ins.addressSize = has67 ? 2 : 4;
  return Status::ok;
}

// The opcode map (one byte, 0F, 0F 38, 0F 3A or VEX) and the opcode byte; `b` is the byte
// after the prefixes, i just past it.
Status Decoder::readOpcode(uint8_t b) {
  if (b == 0x0F) {
    if (i >= limit) return shortStatus();
    b = code[i++];
    ins.map = 1;
    root = kRoot0F;
    if (b == 0x38 || b == 0x3A) {
      if (i >= limit) return shortStatus();
      ins.map = b == 0x38 ? 2 : 3;
      root = b == 0x38 ? kRoot0F38 : kRoot0F3A;
      b = code[i++];
    }
    opcode = b;
  } else if ((b == 0xC4 || b == 0xC5) && i < limit && (code[i] & 0xC0) == 0xC0) {
    // VEX: in 32-bit mode the byte after C4/C5 would be a register ModRM for LES/LDS,
    // which those do not allow, so it is a VEX prefix instead.
    if (Status st = readVex(b); st != Status::ok) return st;
  } else {
    opcode = b;
  }
  ins.opcode = opcode;
  has66 = has66 && !vex;
  pfxSlot = vex ? vexPp : lastRep == 0xF3 ? 2 : lastRep == 0xF2 ? 3 : has66 ? 1 : 0;
  if (vexPrefixed) deferred = Status::undefined;
  return Status::ok;
}

// The two- or three-byte VEX prefix and the opcode after it.
Status Decoder::readVex(uint8_t escape) {
  vex = true;
  if (escape == 0xC5) {
    const uint8_t v1 = code[i++];
    ins.map = 1;
    vexV = (~v1 >> 3) & 0xF;
    ins.vexL = (v1 >> 2) & 1;
    vexPp = v1 & 3;
  } else {
    const uint8_t v1 = code[i++];
    if (i >= limit) return shortStatus();
    const uint8_t v2 = code[i++];
    ins.map = v1 & 0x1F;
    ins.vexW = v2 >> 7;
    vexV = (~v2 >> 3) & 0xF;
    ins.vexL = (v2 >> 2) & 1;
    vexPp = v2 & 3;
  }
  if (i >= limit) return shortStatus();
  opcode = code[i++];
  if (ins.map < 1 || ins.map > 3) return Status::undefined;
  root = ins.map == 1 ? kRootV1 : ins.map == 2 ? kRootV2 : kRootV3;
  ins.flags |= kInsVex;
  // A legacy 66/F2/F3/LOCK before VEX is #UD.
  if (ins.prefixes & (kPrefixLock | kPrefixRep | kPrefixRepne | kPrefixOpSize)) vexPrefixed = true;
  return Status::ok;
}

// Whether the memory form of this ModRM is an instruction (then the register form is the error
// "register where memory is required", as for LEA EAX,ECX).
bool Decoder::memoryFormExists(const Node* sel) const {
  const Node* m = &kNodes[sel->value];
  for (;;) {
    switch (m->type) {
      case NodeType::Leaf: return true;
      case NodeType::SelReg: m = &kNodes[m->value + ((ins.modrm >> 3) & 7)]; break;
      case NodeType::SelRm: m = &kNodes[m->value + (ins.modrm & 7)]; break;
      case NodeType::SelOpSize: m = &kNodes[m->value + (has66 ? 0 : 1)]; break;
      case NodeType::SelAddrSize: m = &kNodes[m->value + (has67 ? 0 : 1)]; break;
      default: return false;
    }
  }
}

// Walks the selector tree of the generated tables from the opcode to its leaf, reading the
// ModRM byte when a selector needs it.
Status Decoder::selectForm(const Node*& leaf) {
  const Node* n = &kNodes[root[opcode]];
  bool regSlot = false;
  const Node* pfxNode = nullptr;
  const Node* modNode = nullptr;
  unsigned pfxPick = 0;
  for (;;) {
    unsigned pick;
    switch (n->type) {
      case NodeType::Leaf: leaf = n; return Status::ok;
      case NodeType::Invalid:
        if (pfxNode && pfxPick != 0) {
          // A prefix with no form of its own under this opcode (F3 0F AE /0, 66 0F C7
          // /3): #UD, but the prefix-less form still tells the length.
          n = &kNodes[pfxNode->value];
          pfxPick = 0;
          deferred = Status::undefined;
          continue;
        }
        return regSlot && memoryFormExists(modNode) ? Status::registerForm : Status::undefined;
      case NodeType::SelPrefix:
        pick = pfxSlot;
        pfxNode = n;
        // F2/F3 on a row marked for no prefix: #UD ("NP" in the manuals), but parse on
        // the prefix-less form so that the length is still known.
        if (pick >= 2 && kNodes[n->value + pick].type == NodeType::Invalid &&
            kNodes[n->value].type != NodeType::Invalid) {
          pick = 0;
          repIgnored = true;
        }
        pfxPick = pick;
        break;
      case NodeType::SelVexW: pick = ins.vexW; break;
      case NodeType::SelVexL: pick = ins.vexL; break;
      case NodeType::SelOpSize: pick = has66 ? 0 : 1; break;
      case NodeType::SelAddrSize: pick = has67 ? 0 : 1; break;
      default:
        if (!ins.hasModrm) {
          if (i >= limit) return shortStatus();
          ins.modrm = code[i++];
          ins.hasModrm = true;
        }
        if (n->type == NodeType::SelMod) {
          pick = (ins.modrm >> 6) == 3;
          regSlot = pick == 1;
          modNode = n;
        } else {
          pick = n->type == NodeType::SelReg ? (ins.modrm >> 3) & 7 : ins.modrm & 7;
        }
        break;
    }
    n = &kNodes[n->value + pick];
  }
}

// What the leaf settles: the mnemonic, a mandatory prefix, the operand size, the instruction's
// flags, and the ModRM byte when no selector read it yet.
Status Decoder::readLeafModrm(const Node& leaf) {
  ins.mnemonic = Mnemonic(leaf.value);
  if (repIgnored) {
    deferred = Status::undefined;
  } else if ((leaf.flags & kMandatory) && pfxSlot && !vex) {
    ins.mandatoryPrefix = pfxSlot == 1 ? 0x66 : pfxSlot == 2 ? 0xF3 : 0xF2;
    ins.flags |= kInsMandatory;
    if (pfxSlot == 1)
      has66 = false;
    else
      ins.repPrefix = 0;
  }
  ins.operandSize = has66 ? 2 : 4;
  if ((leaf.flags & kModrm) && !ins.hasModrm) {
    if (i >= limit) return shortStatus();
    ins.modrm = code[i++];
    ins.hasModrm = true;
  }
  memForm = ins.hasModrm && (ins.modrm >> 6) != 3 && !(leaf.flags & kModIgnored);
  if (leaf.flags & kPriv) ins.flags |= kInsPrivileged;
  if (leaf.flags & kIo) ins.flags |= kInsIo;
  if (leaf.flags & kFpu) ins.flags |= kInsFpu;
  if (wait) {
    ins.flags |= kInsWait;
    if (Mnemonic w = waitForm(ins.mnemonic); w != Mnemonic::invalid) ins.mnemonic = w;
  }
  return Status::ok;
}

unsigned Decoder::resolveSize(uint8_t code8) const {
  const unsigned osz = ins.operandSize;
  switch (code8) {
    case kSizeV: return osz;
    case kSizeX: return ins.vexL ? 32 : 16;
    case kSizeP: return osz + 2;
    case kSizeA: return osz * 2;
    case kSizeEnv: return osz == 2 ? 14 : 28;
    case kSizeSave: return osz == 2 ? 94 : 108;
    default: return code8;
  }
}

// A register operand of the table entry's class and size, numbered by `number`'s low three bits.
void Decoder::setReg(Operand& o, const OperandSpec& s, unsigned number) const {
  o.kind = OpKind::reg;
  o.size = uint8_t(resolveSize(s.regSize));
  o.reg = regOf(s.cls, number, o.size);
}

// Operands, in encoding order: ModRM memory first (its displacement precedes any immediate),
// then the immediates as the operand list names them.
Status Decoder::readOperands(const Node& leaf, unsigned& count, bool& relative) {
  for (unsigned k = 0; k < 4 && leaf.ops[k]; ++k) {
    const OperandSpec& s = kOperandSpecs[leaf.ops[k]];
    Operand& o = ins.op[count++];
    switch (s.kind) {
      case OpSpecKind::Rm:
        if (memForm) {
          if (s.flags & kOpRegOnly) deferred = Status::undefined;
          if (Status st = decodeModrmMemory(o, resolveSize(s.memSize)); st != Status::ok) return st;
        } else {
          if (s.flags & kOpMemOnly) return Status::registerForm;
          setReg(o, s, ins.modrm);
        }
        break;
      case OpSpecKind::Reg: {
        const unsigned r = (ins.modrm >> 3) & 7;
        // Segment registers 6 and 7 do not exist and CS cannot be loaded by MOV.
        if ((s.cls == RegClass::Seg && (r > 5 || (r == 1 && count == 1))) ||
            (s.cls == RegClass::Cr && (r == 1 || r > 4)))
          deferred = Status::undefined;
        setReg(o, s, r);
        break;
      }
      case OpSpecKind::Vvvv: setReg(o, s, vexV); break;
      case OpSpecKind::Fixed:
        setReg(o, s, s.fixed);
        o.implicit = true;
        break;
      case OpSpecKind::OpReg: setReg(o, s, opcode); break;
      case OpSpecKind::One:
        o.kind = OpKind::imm;
        o.size = 1;
        o.imm = 1;
        break;
      case OpSpecKind::StrSrc:
      case OpSpecKind::StrDst:
      case OpSpecKind::Xlat: {
        o.kind = OpKind::mem;
        o.implicit = true;
        o.size = uint8_t(resolveSize(s.memSize));
        const bool a16 = ins.addressSize == 2;
        if (s.kind == OpSpecKind::StrDst) {
          o.base = a16 ? Reg::di : Reg::edi;
          o.seg = Reg::es;
        } else {
          o.base = s.kind == OpSpecKind::Xlat ? (a16 ? Reg::bx : Reg::ebx) : (a16 ? Reg::si : Reg::esi);
          o.seg = ins.segPrefix != Reg::none ? ins.segPrefix : Reg::ds;
        }
        break;
      }
      default:
        if (Status st = readImmediate(o, s, relative); st != Status::ok) return st;
        break;
    }
    if (o.kind == OpKind::reg) {
      if (s.cls == RegClass::Mm) ins.flags |= kInsMmx;
      if (s.cls == RegClass::Xmm && !vex) ins.flags |= kInsSse;
    }
  }
  return Status::ok;
}

// Immediates, relative targets, moffs, far pointers and is4: the bytes after ModRM.
Status Decoder::readImmediate(Operand& o, const OperandSpec& s, bool& relative) {
  const unsigned osz = ins.operandSize;
  unsigned bytes;
  switch (s.kind) {
    case OpSpecKind::ImmSx: bytes = 1; break;
    case OpSpecKind::Moffs: bytes = ins.addressSize; break;
    case OpSpecKind::Far: bytes = osz; break;
    case OpSpecKind::Is4: bytes = 1; break;
    default: bytes = resolveSize(s.regSize); break;
  }
  if (!have(bytes)) return shortStatus();
  const uint32_t raw = readLe(code + i, bytes);
  if (s.kind == OpSpecKind::Moffs) {
    o.kind = OpKind::mem;
    o.size = uint8_t(resolveSize(s.memSize));
    o.disp = int32_t(raw);
    o.dispSize = uint8_t(bytes);
    o.seg = ins.segPrefix != Reg::none ? ins.segPrefix : Reg::ds;
    ins.dispOffset = uint8_t(i);
    ins.dispSize = uint8_t(bytes);
  } else if (s.kind == OpSpecKind::Rel) {
    o.kind = OpKind::rel;
    o.size = uint8_t(osz);
    o.immSize = uint8_t(bytes);
    o.imm = signExtend(raw, bytes);  // made absolute in finish(), once the length is known
    ins.relOffset = uint8_t(i);
    ins.relSize = uint8_t(bytes);
    relative = true;
  } else if (s.kind == OpSpecKind::Is4) {
    setReg(o, s, raw >> 4);
    ins.immOffset = uint8_t(i);
    ins.immSize = 1;
  } else {
    o.kind = s.kind == OpSpecKind::Far ? OpKind::farPtr : OpKind::imm;
    o.immSize = uint8_t(bytes);
    o.size = uint8_t(s.kind == OpSpecKind::ImmSx ? osz : bytes);
    o.imm = s.kind == OpSpecKind::ImmSx ? signExtend(raw, 1) & (osz == 2 ? 0xFFFF : ~0u) : raw;
    if (ins.immOffset == 0) {
      ins.immOffset = uint8_t(i);
      ins.immSize = uint8_t(bytes);
    } else {
      ins.imm2Offset = uint8_t(i);
      ins.imm2Size = uint8_t(bytes);
    }
  }
  i += bytes;
  if (s.kind == OpSpecKind::Far) {
    if (!have(2)) return shortStatus();
    o.selector = uint16_t(readLe(code + i, 2));
    ins.imm2Offset = uint8_t(i);
    ins.imm2Size = 2;
    i += 2;
  }
  return Status::ok;
}

// The checks that need the whole instruction, the length, absolute branch targets and the flow.
Status Decoder::finish(const Node& leaf, unsigned count, bool relative) {
  // Rows the table keeps only to know their length.
  if (ins.mnemonic == Mnemonic::invalid) deferred = Status::undefined;
  if (ins.mnemonic == Mnemonic::unsupported) deferred = Status::unsupported;
  if (deferred != Status::ok) return fail(deferred);
  // A VEX instruction without a vvvv operand must leave the field at 1111b.
  if (vex && vexV != 0) {
    bool usesV = false;
    for (unsigned k = 0; k < 4 && leaf.ops[k]; ++k) usesV |= kOperandSpecs[leaf.ops[k]].kind == OpSpecKind::Vvvv;
    if (!usesV) return fail(Status::undefined);
  }
  if (ins.mnemonic == Mnemonic::amd3dnow) {
    // 0F 0F /r ib: the trailing byte names the operation.
    ins.mnemonic = Mnemonic(k3DNow[ins.op[2].imm & 0xFF]);
    count = 2;
    ins.flags = uint16_t((ins.flags & ~kInsMmx) | kIns3DNow);
    if (ins.mnemonic == Mnemonic::invalid) return fail(Status::undefined);
  }
  ins.operandCount = uint8_t(count);
  ins.length = uint8_t(i);

  if (ins.prefixes & kPrefixLock) {
    if (!(leaf.flags & kLock) || ins.op[0].kind != OpKind::mem) return fail(Status::badLock);
  }
  if (relative) {
    for (unsigned k = 0; k < count; ++k) {
      Operand& o = ins.op[k];
      if (o.kind != OpKind::rel) continue;
      uint32_t t = ins.address + ins.length + o.imm;
      if (ins.operandSize == 2) t &= 0xFFFF;
      o.imm = t;
      ins.target = t;
    }
  }
  ins.flow = flowOf(ins.mnemonic, relative);
  return Status::ok;
}

}  // namespace

const char* mnemonicName(Mnemonic m) {
  return unsigned(m) < unsigned(Mnemonic::count_) ? kMnemonicNames[unsigned(m)] : "invalid";
}

const char* regName(Reg r) { return unsigned(r) < unsigned(Reg::count_) ? kRegNames[unsigned(r)] : ""; }

const char* statusName(Status s) {
  switch (s) {
    case Status::ok: return "ok";
    case Status::undefined: return "undefined opcode";
    case Status::badLock: return "LOCK not allowed";
    case Status::registerForm: return "register where memory is required";
    case Status::truncated: return "truncated";
    case Status::tooLong: return "longer than 15 bytes";
    case Status::unsupported: return "family not decoded (AVX-512, XOP, FMA4)";
  }
  return "?";
}

Status decode(const uint8_t* code, size_t size, uint32_t address, Instruction& ins) {
  ins = Instruction{};
  ins.address = address;
  Decoder d{code, size < 15 ? size : 15, 0, ins};
  return d.run();
}

size_t instructionLength(const uint8_t* code, size_t size) {
  Instruction ins;
  return decode(code, size, 0, ins) == Status::ok ? ins.length : 0;
}

}  // namespace tovalux::x86
