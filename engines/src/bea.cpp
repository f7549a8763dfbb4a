// BeaEngine 4.1's text style and record over the portable decoder.
#include "tovalux/x86/bea.h"

#include <cstring>

#include "engine_common.h"
#include "text.h"

namespace tovalux::bea {

using namespace x86;
using detail::isString;
using detail::Text;

Options Options::fromBits(uint64_t bits) {
  Options o;
  switch (bits & 0xFF00) {
    case GoAsmSyntax: o.syntax = Syntax::goasm; break;
    case NasmSyntax: o.syntax = Syntax::nasm; break;
    case ATSyntax: o.syntax = Syntax::att; break;
    default: o.syntax = Syntax::masm; break;
  }
  o.tabulation = (bits & 0xFF) == Tabulation;
  o.prefixedNumeral = (bits & 0xFF0000) == PrefixedNumeral;
  o.showSegmentRegs = (bits & 0xFF000000) == ShowSegmentRegs;
  return o;
}

namespace {

// Element size of a string command (its memory operand).
unsigned stringSize(const Instruction& ins) {
  for (unsigned k = 0; k < ins.operandCount; ++k)
    if (ins.op[k].kind == OpKind::mem) return ins.op[k].size;
  return 0;
}

// The mnemonic as the library spells it, suffix of string commands included.
void mnemonic(Text& t, const Instruction& ins) {
  using M = Mnemonic;
  if (isString(ins.mnemonic)) {
    t.put(mnemonicName(ins.mnemonic));
    const unsigned n = stringSize(ins);
    t.put(n == 1 ? 'b' : n == 2 ? 'w' : 'd');
    return;
  }
  const char* s;
  switch (ins.mnemonic) {
    case M::ret: s = ins.operandCount ? "retn" : "ret"; break;
    case M::pusha: s = "pushad"; break;
    case M::popa: s = "popad"; break;
    case M::pushf: s = "pushfd"; break;
    case M::popf: s = "popfd"; break;
    case M::iret: s = "iretd"; break;
    case M::xlat: s = "xlatb"; break;
    case M::fwait: s = "wait"; break;
    default: s = mnemonicName(ins.mnemonic); break;
  }
  t.put(s);
}

const char* sizeWord(Syntax syn, unsigned size) {
  // MASM, NASM, GoAsm. NASM's dword and dqword keywords are spelled out (the published
  // engine left them empty and so printed two blanks in a row).
  switch (size) {
    case 1: return syn == Syntax::masm ? "byte ptr " : syn == Syntax::nasm ? "byte " : "b ";
    case 2: return syn == Syntax::masm ? "word ptr " : syn == Syntax::nasm ? "word " : "w ";
    case 4: return syn == Syntax::masm ? "dword ptr " : syn == Syntax::nasm ? "dword " : "d ";
    case 6: return syn == Syntax::masm ? "fword ptr " : "";
    case 8: return syn == Syntax::masm ? "qword ptr " : syn == Syntax::nasm ? "qword " : "q ";
    case 10: return syn == Syntax::masm ? "tbyte ptr " : syn == Syntax::nasm ? "tword " : "t ";
    case 16: return syn == Syntax::masm ? "dqword ptr " : syn == Syntax::nasm ? "oword " : "";
    case 32: return syn == Syntax::masm ? "ymmword ptr " : syn == Syntax::nasm ? "yword " : "";
    default: return "";
  }
}

char attSuffix(unsigned size) {
  switch (size) {
    case 1: return 'b';
    case 2: return 'w';
    case 4: return 'l';
    case 8: return 'q';
    case 10: return 't';
    default: return 0;
  }
}

void regText(Text& t, Reg r, bool att) {
  if (att) t.put('%');
  if (r >= Reg::st0 && r <= Reg::st7) {
    t.put("st(");
    t.put(char('0' + unsigned(r) - unsigned(Reg::st0)));
    t.put(')');
    return;
  }
  t.put(regName(r));
}

struct Writer {
  const Instruction& ins;
  const Options& opt;
  Text& t;

  bool att() const { return opt.syntax == Syntax::att; }

  void number(uint32_t v, unsigned digits) {
    if (opt.prefixedNumeral) {
      t.put("0x");
      t.hex(v, digits);
    } else {
      t.hex(v, digits);
      t.put('h');
    }
  }

  void immediate(const Operand& o) {
    unsigned digits = o.immSize * 2;
    if (o.immSize == 1 && o.size > 1 && (o.imm & 0x80)) digits = o.size * 2;  // sign-extended
    uint32_t v = o.imm;
    if (digits == 2) v &= 0xFF;
    if (att()) t.put('$');
    if (o.immSize == 0) {
      t.put(char('0' + v));
      return;
    }
    number(v, digits ? digits : 2);
  }

  void displacement(const Operand& m, bool withSign) {
    const unsigned digits = m.dispSize * 2;
    if (withSign && m.disp < 0) {
      t.put('-');
      number(uint32_t(-int64_t(m.disp)), digits);
    } else {
      if (withSign) t.put('+');
      number(m.dispSize == 2 ? uint16_t(m.disp) : uint32_t(m.disp), digits);
    }
  }

  bool showSegment(const Operand& m) const { return opt.showSegmentRegs || m.seg == Reg::fs || m.seg == Reg::gs; }

  // Registers and displacement without decoration ("ebp+08h"), as ArgMnemonic holds it.
  void address(const Operand& m) {
    bool any = false;
    if (m.base != Reg::none) {
      t.put(regName(m.base));
      any = true;
    }
    if (m.index != Reg::none) {
      if (any) t.put('+');
      t.put(regName(m.index));
      if (m.scale > 1) {
        t.put('*');
        t.put(char('0' + m.scale));
      }
      any = true;
    }
    if (!any)
      displacement(m, false);
    else if (m.dispSize)
      displacement(m, true);
  }

  void memory(unsigned k) {
    const Operand& m = ins.op[k];
    if (att()) {
      if (showSegment(m)) {
        regText(t, m.seg, true);
        t.put(':');
      }
      if (m.base == Reg::none && m.index == Reg::none) {
        displacement(m, false);
        return;
      }
      if (m.dispSize) displacement(m, m.disp < 0);  // "-04h(%ebp)", "08h(%ebp)"
      t.put('(');
      if (m.base != Reg::none) regText(t, m.base, true);
      if (m.index != Reg::none) {
        t.put(',');
        regText(t, m.index, true);
        t.put(',');
        t.put(char('0' + m.scale));
      }
      t.put(')');
      return;
    }
    unsigned size = m.size;
    if (size == 0 && ins.mnemonic == Mnemonic::lea) size = ins.op[0].size;
    t.put(sizeWord(opt.syntax, size));
    const bool seg = showSegment(m);
    if (seg && opt.syntax != Syntax::nasm) {
      t.put(regName(m.seg));
      t.put(':');
    }
    t.put('[');
    if (seg && opt.syntax == Syntax::nasm) {
      t.put(regName(m.seg));
      t.put(':');
    }
    address(m);
    t.put(']');
  }

  void operand(unsigned k) {
    const Operand& o = ins.op[k];
    const bool indirect = att() && (ins.flow == Flow::jumpIndirect || ins.flow == Flow::callIndirect);
    switch (o.kind) {
      case OpKind::reg:
        if (indirect) t.put('*');
        regText(t, o.reg, att());
        break;
      case OpKind::mem:
        if (indirect) t.put('*');
        memory(k);
        break;
      case OpKind::imm: immediate(o); break;
      case OpKind::rel:
        if (att()) t.put('$');
        number(o.imm, 8);
        break;
      case OpKind::farPtr:
        if (att()) t.put('$');
        number(o.selector, 4);
        t.put(':');
        number(o.imm, 8);
        break;
      case OpKind::none: break;
    }
  }

  void run() {
    if (ins.prefixes & kPrefixLock) t.put("lock ");
    if (ins.repPrefix && isString(ins.mnemonic)) t.put(ins.repPrefix == 0xF2 ? "repne " : "rep ");
    mnemonic(t, ins);
    if (att() && !(ins.flags & (kInsMmx | kInsSse | kInsVex | kIns3DNow))) {
      unsigned size = 0;
      if (isString(ins.mnemonic))
        size = stringSize(ins);
      else if (ins.operandCount) {
        const Operand& o = ins.op[0];
        const bool fpuReg = o.kind == OpKind::reg && o.reg >= Reg::st0 && o.reg <= Reg::st7;
        if (!fpuReg && o.kind != OpKind::farPtr) size = o.size;
      }
      if (char c = attSuffix(size)) t.put(c);
    }
    const bool operands = ins.operandCount && !isString(ins.mnemonic) && ins.mnemonic != Mnemonic::xlat;
    if (!operands) {
      t.put(' ');
      return;
    }
    if (opt.tabulation && t.size() < 10)
      t.padTo(11);
    else
      t.put(' ');
    for (unsigned n = 0; n < ins.operandCount; ++n) {
      const unsigned k = att() ? ins.operandCount - 1 - n : n;
      if (n) t.put(", ");
      operand(k);
    }
  }
};

int32_t branchType(const Instruction& ins) {
  using M = Mnemonic;
  switch (ins.mnemonic) {
    case M::jo: return JO;
    case M::jno: return JNO;
    case M::jb: return JC;
    case M::jae: return JNC;
    case M::je: return JE;
    case M::jne: return JNE;
    case M::ja: return JA;
    case M::jbe: return JNA;
    case M::js: return JS;
    case M::jns: return JNS;
    case M::jp: return JP;
    case M::jnp: return JNP;
    case M::jl: return JL;
    case M::jge: return JNL;
    case M::jg: return JG;
    case M::jle: return JNG;
    case M::jecxz:
    case M::jcxz: return JECXZ;
    default: break;
  }
  switch (ins.flow) {
    case Flow::jump:
    case Flow::jumpIndirect: return JmpType;
    case Flow::call:
    case Flow::callIndirect: return CallType;
    case Flow::ret: return RetType;
    default: return 0;
  }
}

int32_t category(const Instruction& ins) {
  using M = Mnemonic;
  if (ins.flags & kInsVex) return AVX_INSTRUCTION;
  if (ins.flags & kInsSse) return SSE_INSTRUCTION;
  if (ins.flags & (kInsMmx | kIns3DNow)) return MMX_INSTRUCTION;
  if (ins.flags & kInsFpu) return FPU_INSTRUCTION;
  if (ins.flags & kInsPrivileged) return SYSTEM_INSTRUCTION;
  int32_t sub = MISCELLANEOUS_INSTRUCTION;
  switch (ins.mnemonic) {
    case M::mov:
    case M::movzx:
    case M::movsx:
    case M::push:
    case M::pop:
    case M::xchg:
    case M::lea:
    case M::pusha:
    case M::popa:
    case M::cwde:
    case M::cdq:
    case M::bswap:
    case M::xadd:
    case M::cmpxchg:
    case M::cmove:
    case M::cmovne: sub = DATA_TRANSFER; break;
    case M::add:
    case M::adc:
    case M::sub:
    case M::sbb:
    case M::inc:
    case M::dec:
    case M::neg:
    case M::mul:
    case M::imul:
    case M::div:
    case M::idiv:
    case M::cmp: sub = ARITHMETIC_INSTRUCTION; break;
    case M::and_:
    case M::or_:
    case M::xor_:
    case M::not_:
    case M::test: sub = LOGICAL_INSTRUCTION; break;
    case M::rol:
    case M::ror:
    case M::rcl:
    case M::rcr:
    case M::shl:
    case M::shr:
    case M::sar:
    case M::shld:
    case M::shrd: sub = SHIFT_ROTATE; break;
    case M::bt:
    case M::bts:
    case M::btr:
    case M::btc:
    case M::bsf:
    case M::bsr: sub = BIT_UINT8; break;
    case M::enter:
    case M::leave: sub = ENTER_LEAVE_INSTRUCTION; break;
    case M::in:
    case M::out: sub = InOutINSTRUCTION; break;
    case M::clc:
    case M::stc:
    case M::cmc:
    case M::cld:
    case M::std:
    case M::cli:
    case M::sti:
    case M::pushf:
    case M::popf:
    case M::sahf:
    case M::lahf: sub = FLAG_CONTROL_INSTRUCTION; break;
    default:
      if (isString(ins.mnemonic))
        sub = STRING_INSTRUCTION;
      else if (ins.flow != Flow::none)
        sub = CONTROL_TRANSFER;
      else if (mnemonicName(ins.mnemonic)[0] == 'c' && mnemonicName(ins.mnemonic)[1] == 'm' &&
               mnemonicName(ins.mnemonic)[2] == 'o')
        sub = DATA_TRANSFER;  // cmovcc
      else if (mnemonicName(ins.mnemonic)[0] == 's' && mnemonicName(ins.mnemonic)[1] == 'e')
        sub = BIT_UINT8;  // setcc
  }
  return GENERAL_PURPOSE_INSTRUCTION | sub;
}

int32_t regBits(Reg r) {
  const unsigned n = unsigned(r);
  if (r >= Reg::eax && r <= Reg::edi) return 1 << (n - unsigned(Reg::eax));
  if (r >= Reg::ax && r <= Reg::di) return 1 << (n - unsigned(Reg::ax));
  if (r >= Reg::al && r <= Reg::bh) return 1 << ((n - unsigned(Reg::al)) & 3);
  if (r >= Reg::es && r <= Reg::gs) return 1 << (n - unsigned(Reg::es));
  if (r >= Reg::st0 && r <= Reg::st7) return 1 << (n - unsigned(Reg::st0));
  if (r >= Reg::mm0 && r <= Reg::mm7) return 1 << (n - unsigned(Reg::mm0));
  if (r >= Reg::xmm0 && r <= Reg::xmm7) return 1 << (n - unsigned(Reg::xmm0));
  if (r >= Reg::ymm0 && r <= Reg::ymm7) return 1 << (n - unsigned(Reg::ymm0));
  if (r >= Reg::cr0 && r <= Reg::cr7) return 1 << (n - unsigned(Reg::cr0));
  if (r >= Reg::dr0 && r <= Reg::dr7) return 1 << (n - unsigned(Reg::dr0));
  return 0;
}

uint32_t regClass(Reg r) {
  if (r >= Reg::eax && r <= Reg::bh) return GENERAL_REG;
  if (r >= Reg::es && r <= Reg::seg7) return SEGMENT_REG;
  if (r >= Reg::st0 && r <= Reg::st7) return FPU_REG;
  if (r >= Reg::mm0 && r <= Reg::mm7) return MMX_REG;
  if (r >= Reg::xmm0 && r <= Reg::ymm7) return SSE_REG;
  if (r >= Reg::cr0 && r <= Reg::cr7) return CR_REG;
  if (r >= Reg::dr0 && r <= Reg::dr7) return DR_REG;
  return 0;
}

uint32_t segmentCode(Reg s) {
  switch (s) {
    case Reg::es: return ESReg;
    case Reg::cs: return CSReg;
    case Reg::ss: return SSReg;
    case Reg::fs: return FSReg;
    case Reg::gs: return GSReg;
    default: return DSReg;
  }
}

// The destination is written by most commands; these only read their first operand.
bool readsOnly(Mnemonic m) {
  switch (m) {
    case Mnemonic::cmp:
    case Mnemonic::test:
    case Mnemonic::push:
    case Mnemonic::bt:
    case Mnemonic::jmp:
    case Mnemonic::call:
    case Mnemonic::ret:
    case Mnemonic::int_:
    case Mnemonic::out:
    case Mnemonic::comiss:
    case Mnemonic::comisd:
    case Mnemonic::ucomiss:
    case Mnemonic::ucomisd:
    case Mnemonic::ptest: return true;
    default: return false;
  }
}

void fillArgument(ArgType& a, const Instruction& ins, unsigned k, const Options& opt) {
  const Operand& o = ins.op[k];
  {
    Text t(a.ArgMnemonic, sizeof a.ArgMnemonic);
    Options plain = opt;
    plain.syntax = Syntax::masm;
    Writer w{ins, plain, t};
    switch (o.kind) {
      case OpKind::reg: regText(t, o.reg, false); break;
      case OpKind::mem: w.address(o); break;
      default: w.operand(k); break;
    }
  }
  a.ArgSize = int32_t(o.size) * 8;
  a.AccessMode = (k == 0 && !readsOnly(ins.mnemonic) && ins.flow == Flow::none) ? WRITE : READ;
  switch (o.kind) {
    case OpKind::reg:
      a.ArgType = int32_t(REGISTER_TYPE | regClass(o.reg) | uint32_t(regBits(o.reg)));
      a.ArgPosition = (o.reg >= Reg::ah && o.reg <= Reg::bh) ? 1 : 0;
      break;
    case OpKind::mem:
      a.ArgType = int32_t(MEMORY_TYPE);
      a.Memory.BaseRegister = regBits(o.base);
      a.Memory.IndexRegister = regBits(o.index);
      a.Memory.Scale = o.scale;
      a.Memory.Displacement = o.disp;
      a.SegmentReg = segmentCode(o.seg);
      break;
    case OpKind::rel: a.ArgType = int32_t(CONSTANT_TYPE | RELATIVE_); break;
    default: a.ArgType = int32_t(CONSTANT_TYPE | ABSOLUTE_); break;
  }
}

void fillPrefixes(PrefixInfo& p, const Instruction& ins) {
  p.Number = ins.prefixCount;
  const uint8_t state = (ins.prefixes & kPrefixRepeated) ? SuperfluousPrefix : InUsePrefix;
  if (ins.prefixes & kPrefixLock) p.LockPrefix = state;
  if (ins.prefixes & kPrefixOpSize) p.OperandSize = ins.mandatoryPrefix == 0x66 ? uint8_t(MandatoryPrefix) : state;
  if (ins.prefixes & kPrefixAddrSize) p.AddressSize = state;
  if (ins.prefixes & kPrefixRepne) p.RepnePrefix = ins.mandatoryPrefix == 0xF2 ? uint8_t(MandatoryPrefix) : state;
  if (ins.prefixes & kPrefixRep) p.RepPrefix = ins.mandatoryPrefix == 0xF3 ? uint8_t(MandatoryPrefix) : state;
  switch (ins.segPrefix) {
    case Reg::fs: p.FSPrefix = state; break;
    case Reg::ss: p.SSPrefix = state; break;
    case Reg::gs: p.GSPrefix = state; break;
    case Reg::es: p.ESPrefix = state; break;
    case Reg::cs: p.CSPrefix = state; break;
    case Reg::ds: p.DSPrefix = state; break;
    default: break;
  }
  if (ins.flow == Flow::branch && ins.segPrefix == Reg::ds) p.BranchTaken = InUsePrefix;
  if (ins.flow == Flow::branch && ins.segPrefix == Reg::cs) p.BranchNotTaken = InUsePrefix;
}

void unknown(Disasm32& rec) {
  std::strcpy(rec.CompleteInstr, "??? ");
  std::strcpy(rec.Instruction.Mnemonic, "??? ");
}

}  // namespace

size_t formatInstruction(const Instruction& ins, const Options& options, char* out, size_t cap) {
  Text t(out, cap);
  Writer w{ins, options, t};
  w.run();
  return t.size();
}

int32_t disasm(Disasm32& rec, const uint8_t* code) {
  const uint32_t eip = rec.EIP;
  const uint64_t va = rec.VirtualAddr;
  const uint32_t block = rec.SecurityBlock;
  const uint32_t archi = rec.Archi;
  const uint64_t bits = rec.Options;
  std::memset(&rec.CompleteInstr, 0, sizeof rec.CompleteInstr);
  std::memset(&rec.Instruction, 0, sizeof rec.Instruction);
  std::memset(&rec.Argument1, 0, sizeof rec.Argument1 * 3);
  std::memset(&rec.Prefix, 0, sizeof rec.Prefix);
  rec.Argument1.ArgType = rec.Argument2.ArgType = rec.Argument3.ArgType = int32_t(NO_ARGUMENT);
  if (archi == 16 || archi == 64 || !code) {
    unknown(rec);
    return kUnknownOpcode;
  }
  const size_t avail = block ? block : 15;
  Instruction ins;
  const uint32_t address = va ? uint32_t(va) : eip;
  const Status st = detail::decodeForListing(code, avail, address, ins);
  if (st == Status::truncated) return kOutOfBlock;
  if (st != Status::ok) {
    unknown(rec);
    return kUnknownOpcode;
  }
  const Options opt = Options::fromBits(bits);
  formatInstruction(ins, opt, rec.CompleteInstr, sizeof rec.CompleteInstr);
  {
    Text t(rec.Instruction.Mnemonic, sizeof rec.Instruction.Mnemonic);
    mnemonic(t, ins);
    t.put(' ');
  }
  InstrType& in = rec.Instruction;
  in.Category = category(ins);
  in.Opcode = ins.map == 0   ? ins.opcode
              : ins.map == 1 ? 0x0F00 | ins.opcode
                             : (ins.map == 2 ? 0x0F3800 : 0x0F3A00) | ins.opcode;
  in.BranchType = branchType(ins);
  if (ins.relSize) in.AddrValue = ins.target;
  for (unsigned k = 0; k < ins.operandCount; ++k)
    if (ins.op[k].kind == OpKind::imm && ins.op[k].immSize) {
      in.Immediat = ins.op[k].size == 1   ? int8_t(ins.op[k].imm)
                    : ins.op[k].size == 2 ? int16_t(ins.op[k].imm)
                                          : int32_t(ins.op[k].imm);
      break;
    }
  ArgType* args[3] = {&rec.Argument1, &rec.Argument2, &rec.Argument3};
  for (unsigned k = 0; k < ins.operandCount && k < 3; ++k) fillArgument(*args[k], ins, k, opt);
  fillPrefixes(rec.Prefix, ins);
  return ins.length;
}

const char* version() { return "4.1"; }
const char* revision() { return "175"; }

}  // namespace tovalux::bea
