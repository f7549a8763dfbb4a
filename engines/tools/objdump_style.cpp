#include "objdump_style.h"

#include <cstdio>
#include <cstring>

namespace tovalux::x86 {
namespace {

std::string hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%x", v);
  return b;
}

const char* sizeWord(unsigned size, bool fpu) {
  switch (size) {
    case 1: return "BYTE PTR ";
    case 2: return "WORD PTR ";
    case 4: return "DWORD PTR ";
    case 6: return "FWORD PTR ";
    case 8: return "QWORD PTR ";
    case 10: return "TBYTE PTR ";
    case 16: return fpu ? "" : "XMMWORD PTR ";
    case 32: return "YMMWORD PTR ";
    default: return "";
  }
}

std::string reg(Reg r) {
  if (r >= Reg::st0 && r <= Reg::st7) return "st(" + std::to_string(unsigned(r) - unsigned(Reg::st0)) + ")";
  if (r >= Reg::seg6 && r <= Reg::seg7) return "?";
  return regName(r);
}

std::string memory(const Instruction& ins, const Operand& o) {
  std::string s = sizeWord(o.size, ins.flags & kInsFpu);
  switch (ins.mnemonic) {
    case Mnemonic::lea:
    case Mnemonic::lddqu:
    case Mnemonic::sgdt:
    case Mnemonic::sidt:
    case Mnemonic::lgdt:
    case Mnemonic::lidt:
    case Mnemonic::wrssd:
    case Mnemonic::wrussd: s.clear(); break;
    default:
      if (!ins.hasModrm && !o.implicit) s.clear();
  }
  const bool eiz = ins.hasSib && !o.implicit && o.index == Reg::none && ins.hasModrm && (ins.modrm >> 6) != 3 &&
                   !(o.base == Reg::esp && (ins.sib >> 6) == 0);
  if (o.base == Reg::none && o.index == Reg::none && !eiz) {
    s += hex(o.dispSize == 2 ? uint16_t(o.disp) : uint32_t(o.disp));
    return s;
  }
  s += "[";
  bool any = false;
  if (o.base != Reg::none) {
    s += regName(o.base);
    any = true;
  }
  if (o.index != Reg::none) {
    if (any) s += "+";
    s += regName(o.index);
    if (ins.addressSize == 4) s += "*" + std::to_string(o.scale);
    any = true;
  } else if (eiz) {
    // binutils names the empty SIB index "eiz" unless the SIB only serves ESP.
    if (any) s += "+";
    s += "eiz*" + std::to_string(1u << (ins.sib >> 6));
    any = true;
  }
  if (o.dispSize) {
    int32_t d = o.disp;
    if (o.base == Reg::none && o.index == Reg::none && !eiz && o.dispSize == 4) {
      s += "+" + hex(uint32_t(d));
    } else if (d < 0) {
      s += "-" + hex(uint32_t(-int64_t(d)));
    } else {
      s += "+" + hex(uint32_t(d));
    }
  }
  s += "]";
  return s;
}

}  // namespace

std::string objdumpStyle(const Instruction& ins) {
  std::string s = mnemonicName(ins.mnemonic);
  for (unsigned k = 0; k < ins.operandCount; ++k) {
    const Operand& o = ins.op[k];
    s += k == 0 ? " " : ",";
    switch (o.kind) {
      case OpKind::reg:
        if (o.reg == Reg::st0 && o.implicit) {
          s += "st";
        } else {
          s += reg(o.reg);
        }
        break;
      case OpKind::mem: s += memory(ins, o); break;
      case OpKind::imm: s += o.immSize == 0 ? std::to_string(o.imm) : hex(o.imm); break;
      case OpKind::rel: s += hex(o.imm); break;
      case OpKind::farPtr: s += hex(o.selector) + ":" + hex(o.imm); break;
      case OpKind::none: break;
    }
  }
  return s;
}

std::string normaliseObjdump(const std::string& text) {
  static const char* const prefixWords[] = {"lock",   "rep",    "repz",   "repnz",   "repe",     "repne",    "data16",
                                            "data32", "addr16", "addr32", "cs",      "ds",       "es",       "ss",
                                            "fs",     "gs",     "bnd",    "notrack", "xacquire", "xrelease", "fwait"};
  static const char* const notes[] = {"(8087 only)", "(287 only)"};
  std::string s;
  // Collapse blanks.
  for (char c : text) {
    if (c == '\t') c = ' ';
    if (c == ' ' && (s.empty() || s.back() == ' ')) continue;
    s += c;
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  // Drop leading prefix words (but keep a lone one: "fwait" alone is the instruction).
  for (;;) {
    bool dropped = false;
    for (const char* w : prefixWords) {
      const size_t n = std::strlen(w);
      if (s.size() > n && s.compare(0, n, w) == 0 && s[n] == ' ') {
        s.erase(0, n + 1);
        dropped = true;
      }
    }
    if (!dropped) break;
  }
  for (const char* n : notes)
    if (size_t at = s.find(n); at != std::string::npos) s.erase(at, std::strlen(n));
  // binutils marks 16-bit segment pushes and the 32-bit descriptor-table forms.
  for (const char* w : {"sgdtd ", "sidtd ", "lgdtd ", "lidtd "})
    if (s.rfind(w, 0) == 0) s.erase(4, 1);
  if (s.rfind("pushw ", 0) == 0 || s.rfind("popw ", 0) == 0) s.erase(s.find(' ') - 1, 1);
  // Drop segment names in operands.
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (i + 2 < s.size() && s[i + 2] == ':' && std::strchr("cdefgs", s[i]) && s[i + 1] == 's' &&
        (i == 0 || s[i - 1] == ' ' || s[i - 1] == ',')) {
      i += 2;
      continue;
    }
    out += s[i];
  }
  return out;
}

}  // namespace tovalux::x86
