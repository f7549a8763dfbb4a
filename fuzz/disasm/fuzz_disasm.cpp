// Arbitrary bytes and lengths through the decoder and every formatter: no crash, no read past
// the length given (the bytes sit in a buffer of exactly that size), no length above 15 or
// above the input, the same answer when only the instruction's own bytes are given.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tovalux/x86/bea.h"
#include "tovalux/x86/decoder.h"
#include "tovalux/x86/olly.h"

using namespace tovalux;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

std::unique_ptr<uint8_t[]> exactCopy(const uint8_t* p, size_t n) {
  auto b = std::make_unique<uint8_t[]>(n ? n : 1);
  if (n) std::memcpy(b.get(), p, n);
  return b;
}

bool terminated(const char* s, size_t cap) { return std::memchr(s, 0, cap) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t control = data[0], control2 = data[1];
  data += 2;
  size -= 2;
  // Sometimes cut the code shorter than what the fuzzer gave.
  const size_t n = (control & 0x80) ? size : std::min<size_t>(size, control & 0x0F);
  auto code = exactCopy(data, n);
  const uint32_t address = 0x401000u + control2 * 0x1011u;

  x86::Instruction ins;
  const x86::Status st = x86::decode(code.get(), n, address, ins);
  check(ins.length <= 15 && ins.length <= n);
  check(x86::instructionLength(code.get(), n) == (st == x86::Status::ok ? ins.length : 0u));
  if (st == x86::Status::ok) {
    check(ins.length >= 1 && ins.operandCount <= 4);
    check(ins.relSize == 0 || ins.relOffset + ins.relSize <= ins.length);
    // The instruction's own bytes are enough, and give the same instruction.
    auto own = exactCopy(code.get(), ins.length);
    x86::Instruction again;
    check(x86::decode(own.get(), ins.length, address, again) == x86::Status::ok);
    check(again.length == ins.length && again.mnemonic == ins.mnemonic && again.target == ins.target);

    char small[72];
    const size_t smallCap = 1 + (control2 & 0x3F);  // cut anywhere, down to nothing
    for (int k = 0; k < 16; ++k) {
      const olly::Options oo{bool(k & 1), bool(k & 2), bool(k & 4), bool(k & 8)};
      char text[olly::kTextLen];
      olly::formatResult(ins, oo, text, sizeof text);
      check(terminated(text, sizeof text));
      olly::formatResult(ins, oo, small, smallCap);
      check(terminated(small, smallCap));
    }
    char dump[olly::kTextLen];
    olly::formatDump(ins, code.get(), dump, sizeof dump);
    check(terminated(dump, sizeof dump));
    for (int k = 0; k < 32; ++k) {
      bea::Options bo;
      bo.syntax = bea::Syntax(k & 3);
      bo.tabulation = k & 4;
      bo.prefixedNumeral = k & 8;
      bo.showSegmentRegs = k & 16;
      char text[64];
      bea::formatInstruction(ins, bo, text, sizeof text);
      check(terminated(text, sizeof text));
    }
  }

  // The engines' records.
  for (int mode : {olly::kSize, olly::kData, olly::kFile, olly::kCode}) {
    olly::TDisasm rec;
    const olly::Options oo{bool(control2 & 1), bool(control2 & 2), bool(control2 & 4), bool(control2 & 8)};
    const uint32_t len = olly::disasm(code.get(), uint32_t(n), address, &rec, mode, oo);
    check(len <= n && len <= 15);
    check(n == 0 || len >= 1);
    if (mode >= olly::kFile) check(terminated(rec.dump, sizeof rec.dump) && terminated(rec.result, sizeof rec.result));
    check(terminated(rec.comment, sizeof rec.comment));
  }
  if (n) {
    bea::Disasm32 rec{};
    rec.EIP = address;
    rec.SecurityBlock = uint32_t(n);
    rec.Options =
        uint64_t(control2) << 8 | (control & 1) | uint64_t(control & 0x40) << 10 | uint64_t(control & 0x20) << 19;
    const int32_t r = bea::disasm(rec, code.get());
    check(r == bea::kUnknownOpcode || (r >= 0 && r <= int32_t(n) && r <= 15));
    check(terminated(rec.CompleteInstr, sizeof rec.CompleteInstr));
    check(terminated(rec.Instruction.Mnemonic, sizeof rec.Instruction.Mnemonic));
  }
  // No block: the engine may read up to 15 bytes and no more.
  {
    uint8_t fifteen[15] = {};
    std::memcpy(fifteen, data, std::min<size_t>(size, 15));
    auto window = exactCopy(fifteen, 15);
    bea::Disasm32 rec{};
    rec.Options = uint64_t(control & 0x07) << 8;
    const int32_t r = bea::disasm(rec, window.get());
    check(r == bea::kUnknownOpcode || (r >= 1 && r <= 15));
  }
  return 0;
}
