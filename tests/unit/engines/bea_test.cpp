// The BeaEngine style and record: every sample row in every syntax and option, the block
// limit, the side fields.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine_samples.h"
#include "tovalux/x86/bea.h"

using namespace tovalux::bea;
using engine_samples::bytes;

namespace {

struct Result {
  Disasm32 rec;
  int32_t ret;
};

Result run(const std::vector<uint8_t>& code, uint32_t address, uint64_t options, uint32_t block = 0,
           uint32_t archi = 0) {
  // Exactly sized, so that a read past the block (or past 15 without one) trips ASan.
  const size_t n = block ? std::min<size_t>(block, code.size()) : code.size();
  auto buf = std::make_unique<uint8_t[]>(n ? n : 1);
  std::memcpy(buf.get(), code.data(), n);
  Result r;
  std::memset(&r.rec, 0, sizeof r.rec);
  r.rec.EIP = address;
  r.rec.SecurityBlock = block;
  r.rec.Archi = archi;
  r.rec.Options = options;
  r.ret = disasm(r.rec, buf.get());
  return r;
}

TEST(BeaStyle, SampleRowsInEverySyntaxAndOption) {
  for (const auto& row : engine_samples::kBeaRows) {
    SCOPED_TRACE(row.hex);
    const auto code = bytes(row.hex);
    const struct {
      uint64_t options;
      const char* text;
    } sets[] = {{MasmSyntax, row.masm},
                {NasmSyntax, row.nasm},
                {GoAsmSyntax, row.goasm},
                {ATSyntax, row.att},
                {MasmSyntax | PrefixedNumeral, row.prefixed},
                {MasmSyntax | ShowSegmentRegs, row.segs}};
    for (const auto& s : sets) {
      const Result r = run(code, row.address, s.options);
      EXPECT_STREQ(r.rec.CompleteInstr, s.text) << std::hex << s.options;
      EXPECT_EQ(r.ret, int32_t(code.size()));
    }
  }
}

TEST(BeaStyle, AttForms) {
  for (const auto& row : engine_samples::kBeaAttRows) {
    const Result r = run(bytes(row.hex), row.address, ATSyntax);
    EXPECT_STREQ(r.rec.CompleteInstr, row.text) << row.hex;
  }
  EXPECT_STREQ(run(bytes("F2AE"), 0, MasmSyntax).rec.CompleteInstr, "repne scasb ");
  EXPECT_STREQ(run(bytes("26A5"), 0, MasmSyntax).rec.CompleteInstr, "movsd ");
  EXPECT_STREQ(run(bytes("8B048D00104000"), 0, ATSyntax).rec.CompleteInstr, "movl 00401000h(,%ecx,4), %eax");
  EXPECT_STREQ(run(bytes("FFE0"), 0, ATSyntax).rec.CompleteInstr, "jmpl *%eax");
}

TEST(BeaStyle, TabulationPutsOperandsAtColumnEleven) {
  EXPECT_STREQ(run(bytes("8BEC"), 0, Tabulation).rec.CompleteInstr, "mov        ebp, esp");
  EXPECT_STREQ(run(bytes("55"), 0, Tabulation).rec.CompleteInstr, "push       ebp");
  EXPECT_STREQ(run(bytes("F00FC108"), 0, Tabulation).rec.CompleteInstr, "lock xadd  dword ptr [eax], ecx");
  EXPECT_STREQ(run(bytes("C3"), 0, Tabulation).rec.CompleteInstr, "ret ");
  // What the disassembly command asks for: syntax + tabulation + prefixed numerals.
  EXPECT_STREQ(run(bytes("8B4508"), 0, NasmSyntax + 0x10001).rec.CompleteInstr, "mov        eax, dword [ebp+0x08]");
  EXPECT_STREQ(run(bytes("8B4508"), 0, ATSyntax + 0x10001).rec.CompleteInstr, "movl       0x08(%ebp), %eax");
  // Only the exact field value switches an option on.
  EXPECT_STREQ(run(bytes("8BEC"), 0, 0x2).rec.CompleteInstr, "mov ebp, esp");
}

TEST(BeaStyle, NasmSegmentsGoInsideTheBrackets) {
  EXPECT_STREQ(run(bytes("8B4508"), 0, NasmSyntax | ShowSegmentRegs).rec.CompleteInstr, "mov eax, dword [ss:ebp+08h]");
  EXPECT_STREQ(run(bytes("8B4508"), 0, ATSyntax | ShowSegmentRegs).rec.CompleteInstr, "movl %ss:08h(%ebp), %eax");
}

TEST(BeaRecord, UnknownOpcode) {
  const Result r = run(bytes("0F04"), 0, MasmSyntax);
  EXPECT_EQ(r.ret, kUnknownOpcode);
  EXPECT_STREQ(r.rec.CompleteInstr, "??? ");
  EXPECT_STREQ(r.rec.Instruction.Mnemonic, "??? ");
}

TEST(BeaRecord, SecurityBlockEndsAfterTheLastReadableByte) {
  // The published engine answered 0 when the block ended exactly at the instruction's end.
  for (const char* hex : {"83EC08", "C745FC00000000", "E81F140000", "A1DC464B00", "C20800"}) {
    const auto code = bytes(hex);
    const uint32_t n = uint32_t(code.size());
    EXPECT_EQ(run(code, 0x401000, 0, n).ret, int32_t(n)) << hex;
    EXPECT_EQ(run(code, 0x401000, 0, n - 1).ret, kOutOfBlock) << hex;
    EXPECT_EQ(run(code, 0x401000, 0, 0).ret, int32_t(n)) << hex;
  }
}

TEST(BeaRecord, ArchitectureField) {
  EXPECT_EQ(run(bytes("8BEC"), 0, 0, 0, 0).ret, 2);
  EXPECT_EQ(run(bytes("8BEC"), 0, 0, 0, 32).ret, 2);
  EXPECT_EQ(run(bytes("8BEC"), 0, 0, 0, 64).ret, kUnknownOpcode);
  EXPECT_EQ(run(bytes("8BEC"), 0, 0, 0, 16).ret, kUnknownOpcode);
}

TEST(BeaRecord, SideFields) {
  const Result mov = run(bytes("8B4508"), 0x401000, 0);
  EXPECT_STREQ(mov.rec.Instruction.Mnemonic, "mov ");
  EXPECT_STREQ(mov.rec.Argument1.ArgMnemonic, "eax");
  EXPECT_STREQ(mov.rec.Argument2.ArgMnemonic, "ebp+08h");
  EXPECT_EQ(mov.rec.Instruction.Opcode, 0x8B);
  EXPECT_EQ(mov.rec.Instruction.Category, 0x10001);
  EXPECT_EQ(uint32_t(mov.rec.Argument1.ArgType), REGISTER_TYPE | GENERAL_REG | 0x1u);
  EXPECT_EQ(mov.rec.Argument1.ArgSize, 32);
  EXPECT_EQ(mov.rec.Argument1.AccessMode, WRITE);
  EXPECT_EQ(uint32_t(mov.rec.Argument2.ArgType), MEMORY_TYPE);
  EXPECT_EQ(mov.rec.Argument2.Memory.BaseRegister, 0x20);  // REG5 = EBP
  EXPECT_EQ(int64_t(mov.rec.Argument2.Memory.Displacement), 8);
  EXPECT_EQ(mov.rec.Argument2.SegmentReg, SSReg);
  EXPECT_EQ(uint32_t(mov.rec.Argument3.ArgType), NO_ARGUMENT);

  const Result call = run(bytes("E81F140000"), 0x450458, 0);
  EXPECT_EQ(call.rec.Instruction.BranchType, CallType);
  EXPECT_EQ(uint64_t(call.rec.Instruction.AddrValue), 0x45187Cu);
  EXPECT_EQ(uint32_t(call.rec.Argument1.ArgType), 0x84000000u);

  const Result jne = run(bytes("7572"), 0x4504A3, 0);
  EXPECT_EQ(jne.rec.Instruction.BranchType, JNE);

  const Result imm = run(bytes("83C4F8"), 0, 0);
  EXPECT_EQ(int64_t(imm.rec.Instruction.Immediat), -8);

  const Result lock = run(bytes("F00FC108"), 0, 0);
  EXPECT_EQ(lock.rec.Prefix.Number, 1);
  EXPECT_EQ(lock.rec.Prefix.LockPrefix, InUsePrefix);

  const Result sse = run(bytes("F20F59C1"), 0, 0);
  EXPECT_EQ(sse.rec.Prefix.RepnePrefix, MandatoryPrefix);
  EXPECT_EQ(sse.rec.Instruction.Opcode, 0x0F59);
  EXPECT_STREQ(sse.rec.CompleteInstr, "mulsd xmm0, xmm1");
}

TEST(BeaRecord, VirtualAddressMovesTheTargets) {
  Disasm32 rec{};
  const auto code = bytes("E81F140000");
  rec.EIP = 0x1000;
  rec.VirtualAddr = 0x450458;
  ASSERT_EQ(disasm(rec, code.data()), 5);
  EXPECT_STREQ(rec.CompleteInstr, "call 0045187Ch");
  EXPECT_STREQ(version(), "4.1");
  EXPECT_STREQ(revision(), "175");
}

}  // namespace

namespace {

TEST(BeaStyle, WaitStaysVisibleBeforeOrdinaryX87Commands) {
  const Result wait = run(bytes("9BD94508"), 0x401000, MasmSyntax);
  EXPECT_EQ(wait.ret, 1);
  EXPECT_STREQ(wait.rec.CompleteInstr, "wait ");
  EXPECT_STREQ(run(bytes("9BDFE0"), 0, MasmSyntax).rec.CompleteInstr, "fstsw ax");
}

}  // namespace

namespace {

// The library command's loop: Options = syntax + 0x10001, SecurityBlock 0, EIP advanced by
// each answer; it stops at -1 or 0.
TEST(BeaAsTheDisassemblyCommandUsesIt, LinearSweep) {
  std::vector<uint8_t> memory(32, 0);
  const auto code = bytes("558BEC0578563412FFFF");
  std::copy(code.begin(), code.end(), memory.begin());
  const char* expected[] = {"push       ebp", "mov        ebp, esp", "add        eax, 0x12345678"};
  Disasm32 rec{};
  rec.Options = NasmSyntax + 0x10001;
  size_t at = 0;
  for (const char* text : expected) {
    rec.EIP = 0x401000 + uint32_t(at);
    const int32_t n = disasm(rec, memory.data() + at);
    ASSERT_GT(n, 0);
    EXPECT_STREQ(rec.CompleteInstr, text);
    at += size_t(n);
  }
  EXPECT_EQ(at, 8u);
  rec.EIP = 0x401000 + uint32_t(at);
  EXPECT_EQ(disasm(rec, memory.data() + at), kUnknownOpcode);  // FF FF: the loop ends here
}

}  // namespace
