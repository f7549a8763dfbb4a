// Decoder edge cases: lengths of the awkward encodings, the 15-byte and end-of-buffer limits,
// invalid encodings, and what the hook engine reads to move relative branches.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine_samples.h"
#include "tovalux/x86/decoder.h"

using namespace tovalux::x86;
using engine_samples::bytes;

namespace {

// Decodes from a heap copy of exactly `size` bytes, so any read past it trips ASan.
Status decodeExact(const std::vector<uint8_t>& code, size_t size, uint32_t address, Instruction& ins) {
  auto buf = std::make_unique<uint8_t[]>(size ? size : 1);
  std::memcpy(buf.get(), code.data(), std::min(size, code.size()));
  return decode(buf.get(), size, address, ins);
}

Instruction ok(const char* hex, uint32_t address = 0x401000) {
  const auto code = bytes(hex);
  Instruction ins;
  EXPECT_EQ(decodeExact(code, code.size(), address, ins), Status::ok) << hex;
  EXPECT_EQ(ins.length, code.size()) << hex;
  return ins;
}

Status status(const char* hex) {
  const auto code = bytes(hex);
  Instruction ins;
  return decodeExact(code, code.size(), 0, ins);
}

TEST(DecoderLength, AddressingForms) {
  ok("8B0424");          // [esp]: SIB, no displacement
  ok("8B042500104000");  // SIB without base: disp32
  ok("8B4424FC");        // [esp-4]
  ok("8B0500104000");    // absolute
  ok("678B4608");        // 16-bit [bp+8]
  ok("678B063412");      // 16-bit absolute: disp16
  ok("678B803412");      // 16-bit [bx+si+disp16]
}

TEST(DecoderLength, OperandAndAddressSizePrefixes) {
  ok("66B83412");        // mov ax, imm16
  ok("6681C03412");      // add ax, imm16
  ok("66830001");        // add word [eax], imm8
  ok("67A13412");        // moffs16
  ok("A100104000");      // moffs32
  ok("C8100000");        // enter iw, ib
  ok("EA785634122301");  // jmp ptr16:32
  ok("66EA34122301");    // jmp ptr16:16
  ok("66E83412");        // call rel16
}

TEST(DecoderLength, MapsAndExtensions) {
  const Instruction vz = ok("C5F877");
  EXPECT_EQ(vz.mnemonic, Mnemonic::vzeroupper);
  EXPECT_TRUE(vz.flags & kInsVex);
  EXPECT_EQ(ok("C4E27918 00").mnemonic, Mnemonic::vbroadcastss);
  EXPECT_EQ(ok("C4E3714AC230").mnemonic, Mnemonic::vblendvps);
  EXPECT_EQ(ok("0F0FC1B4").mnemonic, Mnemonic::pfmul);
  EXPECT_EQ(ok("660F3A0FC108").mnemonic, Mnemonic::palignr);
  EXPECT_EQ(ok("660F3A44C101").mnemonic, Mnemonic::pclmulqdq);
  EXPECT_EQ(ok("660F38DCC1").mnemonic, Mnemonic::aesenc);
  EXPECT_EQ(ok("F20F38F1C1").mnemonic, Mnemonic::crc32);
  EXPECT_EQ(ok("F30FB8C1").mnemonic, Mnemonic::popcnt);
  EXPECT_EQ(ok("0F20C0").mnemonic, Mnemonic::mov);  // mov eax,cr0: mod is ignored
  EXPECT_EQ(ok("0F2000").length, 3);
  EXPECT_EQ(ok("9BDBE2").mnemonic, Mnemonic::fclex);  // FWAIT belongs to the x87 command
  EXPECT_EQ(ok("DBE2").mnemonic, Mnemonic::fnclex);
}

TEST(DecoderLength, LesAndVexShareC4) {
  // In 32-bit mode C4/C5 with a memory ModRM are LES/LDS; a register ModRM makes VEX.
  EXPECT_EQ(ok("C400").mnemonic, Mnemonic::les);
  EXPECT_EQ(ok("C500").mnemonic, Mnemonic::lds);
  EXPECT_EQ(ok("C5F828C1").mnemonic, Mnemonic::vmovaps);
}

TEST(DecoderLimits, FifteenBytesAtMost) {
  // 14 prefixes + NOP = 15 bytes: an instruction. One more prefix: too long.
  std::string fourteen(28, '6');
  for (size_t k = 1; k < fourteen.size(); k += 2) fourteen[k] = '6';
  const Instruction ins = ok((fourteen + "90").c_str());
  EXPECT_EQ(ins.length, 15);
  EXPECT_EQ(status((fourteen + "6690").c_str()), Status::tooLong);
  // A long one with a long immediate running past 15.
  EXPECT_EQ(status("66666666666666666681840000000000000000"), Status::tooLong);
}

TEST(DecoderLimits, EveryCutIsTruncatedAndNothingIsReadPastIt) {
  const char* samples[] = {"C745FC00000000", "8184000100000078563412", "0F8CAFFEFFFF",
                           "C4E3714AC230",   "660F3A0FC108",           "EA785634122301",
                           "F3A5",           "64A100000000",           "678B063412"};
  for (const char* hex : samples) {
    const auto code = bytes(hex);
    for (size_t n = 0; n < code.size(); ++n) {
      Instruction ins;
      const Status st = decodeExact(code, n, 0, ins);
      EXPECT_EQ(st, Status::truncated) << hex << " cut at " << n;
      EXPECT_LE(ins.length, n) << hex;
    }
  }
}

TEST(DecoderInvalid, ReportedNotGuessed) {
  EXPECT_EQ(status("0F04"), Status::undefined);
  EXPECT_EQ(status("D6"), Status::undefined);          // SALC is not in the Intel maps
  EXPECT_EQ(status("8EC8"), Status::undefined);        // mov cs, eax
  EXPECT_EQ(status("8CF0"), Status::undefined);        // segment register 6
  EXPECT_EQ(status("0F22C8"), Status::undefined);      // cr1
  EXPECT_EQ(status("FFFF"), Status::undefined);        // FF /7
  EXPECT_EQ(status("F040"), Status::badLock);          // lock inc eax
  EXPECT_EQ(status("F001C0"), Status::badLock);        // lock add eax,eax: register target
  EXPECT_EQ(status("F08B00"), Status::badLock);        // mov is not lockable
  EXPECT_EQ(status("8DC1"), Status::registerForm);     // lea eax,ecx
  EXPECT_EQ(status("0FC7C8"), Status::registerForm);   // cmpxchg8b eax
  EXPECT_EQ(status("F20F28C1"), Status::undefined);    // movaps has no F2 form
  EXPECT_EQ(status("C5F96EC0"), Status::ok);           // vmovd xmm0,eax
  EXPECT_EQ(status("C5E96EC0"), Status::undefined);    // vvvv must be 1111b there
  EXPECT_EQ(status("C5FD6EC0"), Status::undefined);    // VEX.256 vmovd
  EXPECT_EQ(status("66C5F828C1"), Status::undefined);  // 66 before VEX
  EXPECT_EQ(status("0F0FC100"), Status::undefined);    // 3DNow! suffix 00
  EXPECT_EQ(status("F0FE00"), Status::ok);             // lock inc byte [eax]
}

TEST(DecoderInvalid, UndefinedFormsStillReportTheirLength) {
  // A sweep steps over them whole when the encoding's shape is known.
  Instruction ins;
  auto code = bytes("8CB0DA2D7BA8");  // mov [eax+disp32], seg6
  EXPECT_EQ(decodeExact(code, code.size(), 0, ins), Status::undefined);
  EXPECT_EQ(ins.length, 6);
  code = bytes("F30FAE00");  // F3 on fxsave
  EXPECT_EQ(decodeExact(code, code.size(), 0, ins), Status::undefined);
  EXPECT_EQ(ins.length, 4);
  code = bytes("0F2400");  // mov from a test register
  EXPECT_EQ(decodeExact(code, code.size(), 0, ins), Status::undefined);
  EXPECT_EQ(ins.length, 3);
}

TEST(DecoderInvalid, FamiliesLeftAloneStillHaveTheirLength) {
  Instruction ins;
  const struct {
    const char* hex;
    uint8_t length;
  } cases[] = {
      {"62F17C4858C1", 6}, {"62F1FC835B8B04297768", 10}, {"62F37D48044020FF", 8}, {"8FE878C0C805", 6},
      {"8FE9781200", 5},   {"8FEA78100078563412", 9},  // XOP map 10 (bextr): imm32
      {"C5F841C2", 4},     {"C4E3F968C120", 6},        // FMA4 vfmaddps: is4 byte
  };
  for (const auto& c : cases) {
    const auto code = bytes(c.hex);
    ASSERT_EQ(decodeExact(code, code.size(), 0, ins), Status::unsupported) << c.hex;
    EXPECT_EQ(ins.length, c.length) << c.hex;
    EXPECT_EQ(instructionLength(code.data(), code.size()), 0u) << c.hex;
  }
  EXPECT_EQ(ok("6200").mnemonic, Mnemonic::bound);  // memory ModRM: still BOUND
  EXPECT_EQ(ok("8F00").mnemonic, Mnemonic::pop);    // reg field 0: still POP
}

TEST(DecoderOperands, MemoryAndPrefixState) {
  const Instruction a = ok("648B4C8D10");
  EXPECT_EQ(a.mnemonic, Mnemonic::mov);
  EXPECT_EQ(a.op[1].kind, OpKind::mem);
  EXPECT_EQ(a.op[1].base, Reg::ebp);
  EXPECT_EQ(a.op[1].index, Reg::ecx);
  EXPECT_EQ(a.op[1].scale, 4);
  EXPECT_EQ(a.op[1].disp, 0x10);
  EXPECT_EQ(a.op[1].seg, Reg::fs);
  EXPECT_EQ(a.prefixCount, 1);
  EXPECT_TRUE(a.prefixes & kPrefixSeg);
  EXPECT_EQ(a.dispOffset, 4);

  const Instruction b = ok("8B4508");
  EXPECT_EQ(b.op[1].seg, Reg::ss);  // EBP-based: SS by default
  const Instruction c = ok("83C4F8");
  EXPECT_EQ(c.op[1].imm, 0xFFFFFFF8u);
  EXPECT_EQ(c.op[1].size, 4);
  EXPECT_EQ(c.op[1].immSize, 1);

  const Instruction sse = ok("F20F5905DC464B00");
  EXPECT_EQ(sse.mandatoryPrefix, 0xF2);
  EXPECT_EQ(sse.repPrefix, 0);  // the F2 is the opcode's, not a REPNE
  EXPECT_EQ(sse.op[1].size, 8);
  EXPECT_EQ(ok("66F30FB8C1").op[0].reg, Reg::ax);  // popcnt ax,cx: 66 still sizes

  const Instruction str = ok("F3A5");
  EXPECT_EQ(str.repPrefix, 0xF3);
  EXPECT_EQ(str.op[0].seg, Reg::es);
  EXPECT_TRUE(str.op[0].implicit);
}

TEST(DecoderBranches, WhatTheHookEngineNeeds) {
  struct Row {
    const char* hex;
    Flow flow;
    uint8_t relOffset, relSize;
    uint32_t target;
  } rows[] = {
      {"EB05", Flow::jump, 1, 1, 0x401007},           {"EBFE", Flow::jump, 1, 1, 0x401000},
      {"E9FBFFFFFF", Flow::jump, 1, 4, 0x401000},     {"7405", Flow::branch, 1, 1, 0x401007},
      {"0F8500010000", Flow::branch, 2, 4, 0x401106}, {"E800000000", Flow::call, 1, 4, 0x401005},
      {"E2FE", Flow::branch, 1, 1, 0x401000},          // loop
      {"E3FE", Flow::branch, 1, 1, 0x401000},          // jecxz
      {"67E3FD", Flow::branch, 2, 1, 0x401000},        // jcxz
      {"66E9FDFF", Flow::jump, 2, 2, 0x1001},          // jmp rel16: IP wraps to 16 bits
      {"3E7405", Flow::branch, 2, 1, 0x401008},        // branch hint prefix
      {"C7F800000000", Flow::branch, 2, 4, 0x401006},  // xbegin
  };
  for (const Row& r : rows) {
    const Instruction ins = ok(r.hex);
    EXPECT_EQ(ins.flow, r.flow) << r.hex;
    EXPECT_EQ(ins.relOffset, r.relOffset) << r.hex;
    EXPECT_EQ(ins.relSize, r.relSize) << r.hex;
    EXPECT_EQ(ins.target, r.target) << r.hex;
  }
  for (const char* hex : {"FF2500104000", "FFE0", "FF15DC464B00", "C3", "C20800", "8BFF", "CC"}) {
    const Instruction ins = ok(hex);
    EXPECT_EQ(ins.relSize, 0) << hex;
  }
  EXPECT_EQ(ok("FF2500104000").flow, Flow::jumpIndirect);
  EXPECT_EQ(ok("FF15DC464B00").flow, Flow::callIndirect);
  EXPECT_EQ(ok("C20800").flow, Flow::ret);
  EXPECT_EQ(ok("CC").flow, Flow::interrupt);

  // instructionLength(): a typical prologue, and 0 for what is not an instruction.
  const auto prologue = bytes("8BFF558BEC83EC10");
  size_t at = 0, count = 0;
  while (at < prologue.size()) {
    const size_t n = instructionLength(prologue.data() + at, prologue.size() - at);
    ASSERT_GT(n, 0u);
    at += n;
    ++count;
  }
  EXPECT_EQ(count, 4u);
  const auto bad = bytes("0F04");
  EXPECT_EQ(instructionLength(bad.data(), bad.size()), 0u);
  EXPECT_EQ(instructionLength(prologue.data(), 1), 0u);
}

TEST(DecoderNames, TablesOfNames) {
  EXPECT_STREQ(mnemonicName(Mnemonic::cvtsi2sd), "cvtsi2sd");
  EXPECT_STREQ(mnemonicName(Mnemonic::and_), "and");
  EXPECT_STREQ(regName(Reg::xmm7), "xmm7");
  EXPECT_STREQ(regName(Reg::dr7), "dr7");
  EXPECT_STREQ(statusName(Status::badLock), "LOCK not allowed");
}

}  // namespace
