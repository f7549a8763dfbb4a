// The OllyDbg library's text style and record over the portable decoder.
#include "tovalux/x86/olly.h"

#include "engine_common.h"
#include "text.h"

namespace tovalux::olly {

using namespace x86;
using detail::isString;
using detail::Text;

namespace {

bool isShift(Mnemonic m) {
  switch (m) {
    case Mnemonic::rol:
    case Mnemonic::ror:
    case Mnemonic::rcl:
    case Mnemonic::rcr:
    case Mnemonic::shl:
    case Mnemonic::shr:
    case Mnemonic::sar: return true;
    default: return false;
  }
}

// Immediates the library prints unsigned whatever their value (its IMU/IMS/IM2 types):
// logical masks, shift counts, ENTER/RET sizes, interrupt and port numbers, SIMD selectors.
bool unsignedImmediate(const Instruction& ins) {
  switch (ins.mnemonic) {
    case Mnemonic::and_:
    case Mnemonic::or_:
    case Mnemonic::xor_:
    case Mnemonic::test:
    case Mnemonic::enter:
    case Mnemonic::ret:
    case Mnemonic::retf:
    case Mnemonic::int_:
    case Mnemonic::in:
    case Mnemonic::out:
    case Mnemonic::aam:
    case Mnemonic::aad:
    case Mnemonic::bt:
    case Mnemonic::bts:
    case Mnemonic::btr:
    case Mnemonic::btc:
    case Mnemonic::shld:
    case Mnemonic::shrd: return true;
    default: return isShift(ins.mnemonic) || (ins.flags & (kInsMmx | kInsSse | kInsVex));
  }
}

const char* mnemonicText(const Instruction& ins) {
  using M = Mnemonic;
  switch (ins.mnemonic) {
    case M::jne: return "jnz";
    case M::jae: return "jnb";
    case M::jp: return "jpe";
    case M::jnp: return "jpo";
    case M::setae: return "setnb";
    case M::setp: return "setpe";
    case M::setnp: return "setpo";
    case M::cmovae: return "cmovnb";
    case M::cmovp: return "cmovpe";
    case M::cmovnp: return "cmovpo";
    case M::ret: return "retn";
    case M::pusha: return "pushad";
    case M::pushaw: return "pusha";
    case M::popa: return "popad";
    case M::popaw: return "popa";
    case M::pushf: return "pushfd";
    case M::popf: return "popfd";
    case M::iret: return "iretd";
    case M::iretw: return "iret";
    case M::fwait: return "wait";
    case M::loop: return ins.addressSize == 4 ? "loopd" : "loopw";
    case M::loope: return ins.addressSize == 4 ? "loopde" : "loopwe";
    case M::loopne: return ins.addressSize == 4 ? "loopdne" : "loopwne";
    default: return mnemonicName(ins.mnemonic);
  }
}

const char* sizeName(unsigned size) {
  switch (size) {
    case 1: return "byte";
    case 2: return "word";
    case 4: return "dword";
    case 6: return "fword";
    case 8: return "qword";
    case 10: return "tbyte";
    case 16: return "dqword";
    case 32: return "qqword";
    default: return nullptr;
  }
}

const char* prefixName(uint8_t b) {
  switch (b) {
    case 0xF0: return "lock";
    case 0xF2: return "repne";
    case 0xF3: return "repe";
    case 0x2E: return "cs";
    case 0x36: return "ss";
    case 0x3E: return "ds";
    case 0x26: return "es";
    case 0x64: return "fs";
    case 0x65: return "gs";
    case 0x66: return "datasize";
    case 0x67: return "addrsize";
    default: return "???";
  }
}

// Whether the memory operand `k` needs its size spelled out: it does unless another operand
// is a general register of the same size that already tells it.
bool showSize(const Instruction& ins, unsigned k) {
  const Operand& m = ins.op[k];
  if (!sizeName(m.size) || ins.mnemonic == Mnemonic::lea) return false;
  if (ins.flags & (kInsFpu | kInsMmx | kInsSse | kInsVex | kIns3DNow)) return true;
  if (m.implicit) return true;  // string commands, XLAT
  if (ins.flow == Flow::jumpIndirect || ins.flow == Flow::callIndirect) return m.size == 6;
  for (unsigned j = 0; j < ins.operandCount; ++j) {
    if (j == k || (j > 0 && isShift(ins.mnemonic))) continue;
    const Operand& o = ins.op[j];
    if (o.kind == OpKind::reg && o.reg >= Reg::eax && o.reg <= Reg::bh && o.size == m.size) return false;
  }
  return true;
}

Reg defaultSegment(const Operand& m) {
  switch (m.base) {
    case Reg::ebp:
    case Reg::esp:
    case Reg::bp:
    case Reg::sp: return Reg::ss;
    default: return Reg::ds;
  }
}

// -16384 < v < 0 prints as -X, as the library does for its signed constants.
void signedHex(Text& t, int32_t v, bool leadingPlus) {
  if (v < 0 && v > -16384) {
    t.put('-');
    t.hex(uint32_t(-v));
  } else {
    if (leadingPlus) t.put('+');
    t.hex(uint32_t(v));
  }
}

struct Writer {
  const Instruction& ins;
  const Options& opt;
  Text& t;

  bool upper() const { return !opt.lowercase; }
  void word(const char* s) { t.word(s, upper()); }

  void reg(Reg r) {
    if (r >= Reg::st0 && r <= Reg::st7) {
      const unsigned n = unsigned(r) - unsigned(Reg::st0);
      word("st");
      if (n) {
        t.put('(');
        t.put(char('0' + n));
        t.put(')');
      }
      return;
    }
    word(regName(r));
  }

  void memory(unsigned k) {
    const Operand& m = ins.op[k];
    const bool sized = showSize(ins, k);
    const bool seg = opt.putdefseg || m.seg != defaultSegment(m);
    if (!opt.ideal) {
      if (sized) {
        word(sizeName(m.size));
        word(" ptr ");
      }
      if (seg) {
        word(regName(m.seg));
        t.put(':');
      }
      t.put('[');
    } else {
      t.put('[');
      if (sized) {
        word(sizeName(m.size));
        t.put(' ');
      }
      if (seg) {
        word(regName(m.seg));
        t.put(':');
      }
    }
    bool any = false;
    if (m.base != Reg::none) {
      reg(m.base);
      any = true;
    }
    if (ins.mnemonic == Mnemonic::xlat) {
      t.put('+');
      word("al");
    }
    if (m.index != Reg::none) {
      if (any) t.put('+');
      reg(m.index);
      if (m.scale > 1) {
        t.put('*');
        t.put(char('0' + m.scale));
      }
      any = true;
    }
    if (!any) {
      t.hex(m.dispSize == 2 ? uint16_t(m.disp) : uint32_t(m.disp));
    } else if (m.disp) {
      signedHex(t, m.disp, true);
    }
    t.put(']');
  }

  void operand(unsigned k) {
    const Operand& o = ins.op[k];
    switch (o.kind) {
      case OpKind::reg: reg(o.reg); break;
      case OpKind::mem: memory(k); break;
      case OpKind::imm:
        if (!unsignedImmediate(ins) && o.size >= 2)
          signedHex(t, o.size == 2 ? int16_t(o.imm) : int32_t(o.imm), false);
        else
          t.hex(o.imm);
        break;
      case OpKind::rel:
        if (o.immSize == 1) word("short ");
        t.hex(o.imm, 8);
        break;
      case OpKind::farPtr:
        word("far ");
        t.hex(o.selector, 4);
        t.put(':');
        t.hex(o.imm, 8);
        break;
      case OpKind::none: break;
    }
  }

  // Operands the library leaves out: the accumulator of STOS/LODS/SCAS.
  bool hidden(unsigned k) const {
    const Operand& o = ins.op[k];
    if (o.kind != OpKind::reg || !o.implicit) return false;
    switch (ins.mnemonic) {
      case Mnemonic::stos:
      case Mnemonic::lods:
      case Mnemonic::scas: return true;
      default: return false;
    }
  }

  void run() {
    const bool str = isString(ins.mnemonic);
    const size_t start = t.size();
    bool padded = false;
    if (ins.repPrefix && (str || !(ins.flags & kInsMandatory))) {
      const bool cmp = ins.mnemonic == Mnemonic::cmps || ins.mnemonic == Mnemonic::scas;
      word(ins.repPrefix == 0xF2 ? "repne" : cmp ? "repe" : "rep");
      if (opt.tabarguments) t.padTo(start + 7);
      t.put(' ');
      padded = true;
    }
    if (ins.prefixes & kPrefixLock) word("lock ");
    word(mnemonicText(ins));
    bool first = true;
    for (unsigned k = 0; k < ins.operandCount; ++k) {
      if (hidden(k)) continue;
      if (first) {
        if (opt.tabarguments && !padded) t.padTo(start + 7);
        t.put(' ');
        first = false;
      } else {
        t.put(',');
      }
      operand(k);
    }
  }
};

void hexByte(Text& t, uint8_t b) { t.hex(b, 2); }

int32_t memType(const Instruction& ins) {
  for (unsigned k = 0; k < ins.operandCount; ++k) {
    const Operand& o = ins.op[k];
    if (o.kind != OpKind::mem) continue;
    const bool fpuFloat = (ins.flags & kInsFpu) && mnemonicName(ins.mnemonic)[1] != 'i';
    switch (o.size) {
      case 1: return DEC_BYTE;
      case 2: return DEC_WORD;
      case 4: return fpuFloat ? DEC_FLOAT4 : DEC_DWORD;
      case 6: return DEC_FWORD;
      case 8: return fpuFloat ? DEC_FLOAT8 : DEC_QWORD;
      case 10: return fpuFloat ? DEC_FLOAT10 : DEC_TBYTE;
      case 16:
      case 32: return DEC_SSE;
      default: return DEC_UNKNOWN;
    }
  }
  return DEC_UNKNOWN;
}

// Whether the text spells out the size of a memory operand (C_EXPL); SIMD operands do not count.
bool explicitSize(const Instruction& ins) {
  if (ins.flags & (kInsMmx | kInsSse | kInsVex | kIns3DNow)) return false;
  for (unsigned k = 0; k < ins.operandCount; ++k)
    if (ins.op[k].kind == OpKind::mem && showSize(ins, k)) return true;
  return false;
}

int32_t cmdType(const Instruction& ins) {
  using M = Mnemonic;
  int32_t t = C_CMD;
  switch (ins.flow) {
    case Flow::jump:
    case Flow::jumpIndirect: t = C_JMP; break;
    case Flow::branch: t = C_JMC; break;
    case Flow::call:
    case Flow::callIndirect: t = C_CAL; break;
    case Flow::ret: t = (ins.mnemonic == M::iret || ins.mnemonic == M::iretw) ? C_RTF : C_RET; break;
    default: break;
  }
  if (t == C_CMD) {
    if (ins.flags & kIns3DNow)
      t = C_NOW;
    else if (ins.flags & (kInsMmx | kInsSse | kInsVex))
      t = C_MMX;
    else if (ins.flags & kInsFpu)
      t = C_FLT;
    else if (ins.flags & kInsPrivileged)
      t = C_PRI;
    else if (ins.repPrefix && isString(ins.mnemonic))
      t = C_REP;
    else if (ins.mnemonic == M::push)
      t = C_PSH;
    else if (ins.mnemonic == M::pop)
      t = C_POP;
    else if (ins.mnemonic == M::popf || ins.mnemonic == M::popfw || ins.mnemonic == M::sahf)
      t = C_FLG;
  }
  switch (ins.mnemonic) {
    case M::daa:
    case M::das:
    case M::aaa:
    case M::aas:
    case M::aam:
    case M::aad:
    case M::into:
    case M::bound:
    case M::arpl:
    case M::xlat:
    case M::les:
    case M::lds:
    case M::lss:
    case M::lfs:
    case M::lgs:
    case M::hlt:
    case M::in:
    case M::out:
    case M::ins:
    case M::outs:
    case M::int1: t |= C_RARE; break;
    default: break;
  }
  if (explicitSize(ins) && (t & 0xF0) != C_MMX) t |= C_EXPL;
  return t;
}

void clearRecord(TDisasm* out, uint32_t ip) {
  out->ip = ip;
  out->comment[0] = 0;
  out->cmdtype = C_BAD;
  out->memtype = DEC_UNKNOWN;
  out->nprefix = 0;
  out->indexed = 0;
  out->jmpconst = out->jmptable = out->adrconst = out->immconst = 0;
  out->zeroconst = 0;
  out->fixupoffset = out->fixupsize = 0;
  out->error = DAE_NOERR;
  out->warnings = 0;
}

void setText(char* field, const char* s) {
  Text t(field, kTextLen);
  t.put(s);
}

// Hex of bytes [from, to) with ':' after those below `prefixEnd`.
void rawDump(char* field, const uint8_t* p, size_t from, size_t to, size_t prefixEnd) {
  Text t(field, kTextLen);
  for (size_t k = from; k < to; ++k) {
    hexByte(t, p[k]);
    if (k < prefixEnd) t.put(':');
  }
}

}  // namespace

size_t formatResult(const Instruction& ins, const Options& options, char* out, size_t cap) {
  Text t(out, cap);
  Writer w{ins, options, t};
  w.run();
  return t.size();
}

size_t formatDump(const Instruction& ins, const uint8_t* bytes, char* out, size_t cap) {
  Text t(out, cap);
  size_t k = 0;
  for (; k < ins.opcodeOffset; ++k) {
    hexByte(t, bytes[k]);
    // FWAIT folded into an x87 command is part of the command, not a prefix.
    if (!(bytes[k] == 0x9B && (ins.flags & kInsWait))) t.put(':');
  }
  struct Field {
    uint8_t offset, size;
  } fields[4] = {{ins.dispOffset, ins.dispSize},
                 {ins.relOffset, ins.relSize},
                 {ins.immOffset, ins.immSize},
                 {ins.imm2Offset, ins.imm2Size}};
  size_t opcodeEnd = ins.length;
  for (const Field& f : fields)
    if (f.size && f.offset < opcodeEnd) opcodeEnd = f.offset;
  for (; k < opcodeEnd; ++k) hexByte(t, bytes[k]);
  // The fields follow in the order they are encoded.
  for (size_t at = opcodeEnd; at < ins.length;) {
    const Field* next = nullptr;
    for (const Field& f : fields)
      if (f.size && f.offset == at) next = &f;
    t.put(' ');
    const size_t n = next ? next->size : ins.length - at;
    for (size_t j = 0; j < n; ++j) hexByte(t, bytes[at + j]);
    at += n;
  }
  return t.size();
}

uint32_t disasm(const uint8_t* src, uint32_t srcsize, uint32_t srcip, TDisasm* out, int mode, const Options& options) {
  if (!out) return 0;
  clearRecord(out, srcip);
  const bool text = mode >= kFile;
  if (!src || srcsize == 0) {
    out->error = DAE_CROSS;
    if (text) {
      out->dump[0] = 0;
      setText(out->result, "???");
      setText(out->comment, "Command crosses end of memory block");
    }
    return 0;
  }
  Instruction ins;
  const Status st = detail::decodeForListing(src, srcsize, srcip, ins);

  // Two prefixes of one group: the first one is a command of its own.
  if ((ins.prefixes & kPrefixRepeated) && st != Status::truncated) {
    out->cmdtype = C_RARE;
    out->nprefix = 1;
    out->warnings = DAW_PREFIX;
    if (text) {
      rawDump(out->dump, src, 0, 1, 1);
      Text t(out->result, kTextLen);
      t.word("prefix ", !options.lowercase);
      t.word(prefixName(src[0]), !options.lowercase);
      t.put(':');
      setText(out->comment, "Superfluous prefix");
    }
    return 1;
  }
  if (st != Status::ok) {
    uint32_t len;
    const char* comment;
    if (st == Status::truncated) {
      out->error = DAE_CROSS;
      comment = "Command crosses end of memory block";
      len = 1;
    } else if (st == Status::registerForm) {
      out->error = DAE_MEMORY;
      comment = "Register where only memory is allowed";
      len = ins.length;
    } else {
      out->error = DAE_BADCMD;
      comment = "Unknown command";
      const uint8_t first = ins.opcodeOffset < srcsize ? src[ins.opcodeOffset] : 0;
      len = ins.opcodeOffset + ((first == 0x0F || first == 0xFF) ? 2 : 1);
      // Known shapes are skipped whole: a bad LOCK, or an AVX-512/XOP command.
      if (st == Status::badLock || st == Status::unsupported) len = ins.length;
    }
    if (len > srcsize) len = srcsize;
    out->cmdtype = C_BAD;
    if (text) {
      rawDump(out->dump, src, 0, len, ins.prefixCount < len ? ins.prefixCount : len);
      setText(out->result, "???");
      setText(out->comment, comment);
    }
    return len;
  }

  // Analysis (every mode).
  out->nprefix = ins.prefixCount;
  out->memtype = memType(ins);
  if (ins.relSize) out->jmpconst = ins.target;
  bool haveImm = false;
  for (unsigned k = 0; k < ins.operandCount; ++k) {
    const Operand& o = ins.op[k];
    if (o.kind == OpKind::mem && !o.implicit) {
      out->adrconst = uint32_t(o.disp);
      if (o.index != Reg::none) out->indexed = o.scale;
      if (o.dispSize == 4 && o.base == Reg::none) {
        out->fixupoffset = ins.dispOffset;
        out->fixupsize = 4;
      }
      if (ins.flow == Flow::jumpIndirect && o.base == Reg::none && o.index != Reg::none && o.scale == 4)
        out->jmptable = uint32_t(o.disp);
    } else if (o.kind == OpKind::imm && ins.immSize) {
      if (!haveImm) out->immconst = o.imm;
      haveImm = true;
      if (o.imm == 0) out->zeroconst = 1;
    }
  }
  int32_t warnings = 0;
  if (ins.prefixes & kPrefixLock) warnings |= DAW_LOCK;
  if (ins.flags & kInsPrivileged) warnings |= DAW_PRIV;
  if (ins.flags & kInsIo) warnings |= DAW_IO;
  if (ins.op[0].kind == OpKind::farPtr ||
      ((ins.flow == Flow::jumpIndirect || ins.flow == Flow::callIndirect) && ins.op[0].size == 6))
    warnings |= DAW_FARADDR;
  if ((ins.mnemonic == Mnemonic::mov && ins.op[0].kind == OpKind::reg && ins.op[0].reg >= Reg::es &&
       ins.op[0].reg <= Reg::gs) ||
      (ins.mnemonic == Mnemonic::pop && ins.op[0].reg >= Reg::es && ins.op[0].reg <= Reg::gs))
    warnings |= DAW_SEGMENT;
  if ((ins.mnemonic == Mnemonic::push || ins.mnemonic == Mnemonic::pop) && ins.operandSize == 2) warnings |= DAW_STACK;
  if (isShift(ins.mnemonic) && ins.operandCount == 2 && ins.op[1].kind == OpKind::imm &&
      (ins.op[1].imm == 0 || ins.op[1].imm > 31))
    warnings |= DAW_SHIFT;
  out->warnings = warnings;

  if (text) {
    formatResult(ins, options, out->result, kTextLen);
    formatDump(ins, src, out->dump, kTextLen);
    const char* comment = warnings & DAW_PRIV ? "Privileged command"
                          : warnings & DAW_IO ? "I/O command"
                          : warnings & DAW_FARADDR
                              ? (ins.flow == Flow::call || ins.flow == Flow::callIndirect ? "Far call" : "Far jump")
                          : warnings & DAW_LOCK  ? "LOCK prefix"
                          : warnings & DAW_STACK ? "Unaligned stack operation"
                          : warnings & DAW_SHIFT ? "Shift constant out of range 1..31"
                                                 : "";
    setText(out->comment, comment);
  }
  out->cmdtype = cmdType(ins);
  return ins.length;
}

}  // namespace tovalux::olly
