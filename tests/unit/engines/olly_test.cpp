// The OllyDbg-library style: every sample row in every option set, the errors and modes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine_samples.h"
#include "tovalux/x86/olly.h"

using namespace tovalux::olly;
using engine_samples::bytes;

namespace {

struct Result {
  TDisasm rec;
  uint32_t length;
};

// The bytes go into a buffer of exactly their size, so a read past srcsize trips ASan.
Result run(const std::vector<uint8_t>& code, uint32_t address, const Options& o, int mode = kCode,
           uint32_t size = ~0u) {
  const size_t n = size == ~0u ? code.size() : size;
  auto buf = std::make_unique<uint8_t[]>(n ? n : 1);
  std::memcpy(buf.get(), code.data(), std::min(n, code.size()));
  Result r;
  std::memset(&r.rec, 0x5A, sizeof r.rec);
  r.length = disasm(buf.get(), uint32_t(n), address, &r.rec, mode, o);
  return r;
}

Options opts(bool ideal, bool lower, bool tabs, bool seg) { return {ideal, lower, tabs, seg}; }

TEST(OllyStyle, SampleRowsInEveryOptionSet) {
  for (const auto& row : engine_samples::kOllyRows) {
    SCOPED_TRACE(row.hex);
    const auto code = bytes(row.hex);
    const struct {
      Options o;
      const char* text;
    } sets[] = {{opts(0, 0, 0, 1), row.withSeg},
                {opts(0, 0, 0, 0), row.noSeg},
                {opts(0, 1, 0, 0), row.lower},
                {opts(1, 0, 0, 1), row.ideal}};
    for (const auto& s : sets) {
      const Result r = run(code, row.address, s.o);
      EXPECT_STREQ(r.rec.result, s.text);
      EXPECT_STREQ(r.rec.dump, row.dump);
      EXPECT_EQ(r.length, code.size());
      EXPECT_EQ(r.rec.error, DAE_NOERR);
      EXPECT_EQ(r.rec.ip, row.address);
    }
  }
}

TEST(OllyStyle, TabulatedOperandsStartAtColumnEight) {
  for (const auto& row : engine_samples::kOllyTabRows) {
    const Result r = run(bytes(row.hex), row.address, opts(0, 0, 1, 1));
    EXPECT_STREQ(r.rec.result, row.text) << row.hex;
  }
}

TEST(OllyStyle, IdealLowercaseTabulatedTogether) {
  const Result r = run(bytes("C745FC00000000"), 0x401000, opts(1, 1, 1, 1));
  EXPECT_STREQ(r.rec.result, "mov     [dword ss:ebp-4],0");
}

TEST(OllyErrors, UnknownCommandIsOneOrTwoBytes) {
  const Result a = run(bytes("0F04"), 0x401000, opts(0, 0, 0, 1));
  EXPECT_EQ(a.length, 2u);
  EXPECT_STREQ(a.rec.result, "???");
  EXPECT_STREQ(a.rec.dump, "0F04");
  EXPECT_EQ(a.rec.error, DAE_BADCMD);
  EXPECT_EQ(a.rec.cmdtype, C_BAD);
  EXPECT_STREQ(a.rec.comment, "Unknown command");

  const Result b = run(bytes("D6"), 0x401000, opts(0, 0, 0, 1));  // SALC: not an Intel opcode
  EXPECT_EQ(b.length, 1u);
  EXPECT_STREQ(b.rec.dump, "D6");
  EXPECT_EQ(b.rec.error, DAE_BADCMD);

  const Result c = run(bytes("FFFF"), 0x401000, opts(0, 0, 0, 1));
  EXPECT_EQ(c.length, 2u);
  EXPECT_STREQ(c.rec.result, "???");
}

TEST(OllyErrors, TruncatedCommandCrossesTheBlock) {
  const Result a = run(bytes("C745FC000000"), 0x401000, opts(0, 0, 0, 1));
  EXPECT_EQ(a.length, 1u);
  EXPECT_EQ(a.rec.error, DAE_CROSS);
  EXPECT_STREQ(a.rec.dump, "C7");
  EXPECT_STREQ(a.rec.result, "???");
  EXPECT_STREQ(a.rec.comment, "Command crosses end of memory block");

  const Result b = run(bytes("F3"), 0x401000, opts(0, 0, 0, 1));
  EXPECT_EQ(b.length, 1u);
  EXPECT_EQ(b.rec.error, DAE_CROSS);
  EXPECT_STREQ(b.rec.dump, "F3:");

  const Result empty = run(bytes("90"), 0x401000, opts(0, 0, 0, 1), kCode, 0);
  EXPECT_EQ(empty.length, 0u);
  EXPECT_EQ(empty.rec.error, DAE_CROSS);
}

TEST(OllyErrors, RepeatedPrefixGroupIsACommandOfItsOwn) {
  const Result a = run(bytes("F3F3A5"), 0x401000, opts(0, 0, 0, 1));
  EXPECT_EQ(a.length, 1u);
  EXPECT_STREQ(a.rec.result, "PREFIX REPE:");
  EXPECT_STREQ(a.rec.dump, "F3:");
  EXPECT_EQ(a.rec.warnings, DAW_PREFIX);
  EXPECT_EQ(a.rec.cmdtype, C_RARE);
  EXPECT_STREQ(a.rec.comment, "Superfluous prefix");

  const Result b = run(bytes("666689C8"), 0x401000, opts(0, 1, 0, 1));
  EXPECT_EQ(b.length, 1u);
  EXPECT_STREQ(b.rec.result, "prefix datasize:");
}

TEST(OllyErrors, RegisterWhereMemoryIsRequired) {
  const Result a = run(bytes("8DC1"), 0x401000, opts(0, 0, 0, 1));  // LEA EAX,ECX
  EXPECT_EQ(a.rec.error, DAE_MEMORY);
  EXPECT_EQ(a.length, 2u);
  EXPECT_STREQ(a.rec.result, "???");
}

TEST(OllyModes, TextOnlyFromModeThreeOn) {
  const auto code = bytes("8B4508");
  for (int mode : {-1, 0, 1}) {
    const Result r = run(code, 0x401000, opts(0, 0, 0, 1), mode);
    EXPECT_EQ(r.length, 3u) << mode;
    EXPECT_EQ(r.rec.dump[0], 0x5A) << mode;    // untouched
    EXPECT_EQ(r.rec.result[0], 0x5A) << mode;  // untouched
    EXPECT_STREQ(r.rec.comment, "") << mode;   // always cleared
  }
  const Result file = run(code, 0x401000, opts(0, 0, 0, 1), kFile);
  const Result full = run(code, 0x401000, opts(0, 0, 0, 1), kCode);
  // VB callers pass the mode by reference: a stack address, far above 4.
  const Result byRef = run(code, 0x401000, opts(0, 0, 0, 1), 0x0019F2A4);
  EXPECT_STREQ(file.rec.result, full.rec.result);
  EXPECT_STREQ(byRef.rec.result, full.rec.result);
  EXPECT_STREQ(byRef.rec.dump, full.rec.dump);
}

TEST(OllyModes, AnalysisFieldsAreTheSameWithoutText) {
  std::vector<const char*> samples = {"8D4508",   "0F2800",       "F3A5", "AC",     "D7",
                                      "C5FC2800", "FF2500104000", "D3E0", "668908", "DD1C24"};
  for (const auto& row : engine_samples::kOllyRows) samples.push_back(row.hex);
  for (const char* hex : samples) {
    const auto code = bytes(hex);
    const Result size = run(code, 0x401000, opts(0, 0, 0, 1), kSize);
    const Result full = run(code, 0x401000, opts(0, 0, 0, 1), kCode);
    EXPECT_EQ(size.length, full.length) << hex;
    EXPECT_EQ(size.rec.cmdtype, full.rec.cmdtype) << hex;
    EXPECT_EQ(size.rec.memtype, full.rec.memtype) << hex;
    EXPECT_EQ(size.rec.warnings, full.rec.warnings) << hex;
  }
  // The size flag follows the text: spelled out for a lone memory operand, not when a
  // register of the same size tells it, never for SIMD.
  EXPECT_EQ(run(bytes("C745FC00000000"), 0, opts(0, 0, 0, 1), kSize).rec.cmdtype & C_EXPL, C_EXPL);
  EXPECT_EQ(run(bytes("8B4508"), 0, opts(0, 0, 0, 1), kSize).rec.cmdtype & C_EXPL, 0);
  EXPECT_EQ(run(bytes("0F2800"), 0, opts(0, 0, 0, 1), kSize).rec.cmdtype & C_EXPL, 0);
}

TEST(OllyRecord, CommentHoldsNoGarbageForImmediates) {
  // The published library left an uninitialised buffer in `comment` for immediates.
  for (const char* hex : {"68B39E4600", "C745FC00000000", "6AFF", "83EC08"}) {
    const Result r = run(bytes(hex), 0x401000, opts(0, 0, 0, 1));
    EXPECT_STREQ(r.rec.comment, "") << hex;
  }
}

TEST(OllyRecord, AnalysisFields) {
  const Options o = opts(0, 0, 0, 1);
  const Result call = run(bytes("E81F140000"), 0x450458, o);
  EXPECT_EQ(call.rec.jmpconst, 0x45187Cu);
  EXPECT_EQ(call.rec.cmdtype, C_CAL);

  const Result jcc = run(bytes("7572"), 0x4504A3, o);
  EXPECT_EQ(jcc.rec.cmdtype, C_JMC);
  EXPECT_EQ(jcc.rec.jmpconst, 0x450517u);

  const Result idx = run(bytes("8B4C8D10"), 0x401000, o);
  EXPECT_EQ(idx.rec.indexed, 4);
  EXPECT_EQ(idx.rec.adrconst, 0x10u);
  EXPECT_EQ(idx.rec.memtype, DEC_DWORD);

  const Result zero = run(bytes("C745FC00000000"), 0x401000, o);
  EXPECT_EQ(zero.rec.zeroconst, 1);
  EXPECT_EQ(zero.rec.immconst, 0u);
  EXPECT_EQ(zero.rec.cmdtype & C_EXPL, C_EXPL);

  const Result abs = run(bytes("A1DC464B00"), 0x401000, o);
  EXPECT_EQ(abs.rec.fixupoffset, 1);
  EXPECT_EQ(abs.rec.fixupsize, 4);
  EXPECT_EQ(abs.rec.adrconst, 0x4B46DCu);

  const Result table = run(bytes("FF248500204000"), 0x401000, o);  // JMP [EAX*4+402000]
  EXPECT_EQ(table.rec.jmptable, 0x402000u);
  EXPECT_EQ(table.rec.cmdtype, C_JMP);
  EXPECT_STREQ(table.rec.result, "JMP DS:[EAX*4+402000]");

  const Result lock = run(bytes("F00FC108"), 0x401000, o);
  EXPECT_EQ(lock.rec.warnings, DAW_LOCK);
  EXPECT_EQ(lock.rec.nprefix, 1);

  EXPECT_EQ(run(bytes("C3"), 0, o).rec.cmdtype, C_RET);
  EXPECT_EQ(run(bytes("55"), 0, o).rec.cmdtype, C_PSH);
  EXPECT_EQ(run(bytes("5D"), 0, o).rec.cmdtype, C_POP);
  EXPECT_EQ(run(bytes("D94508"), 0, o).rec.cmdtype & 0xF0, C_FLT);
  EXPECT_EQ(run(bytes("D94508"), 0, o).rec.memtype, DEC_FLOAT4);
  EXPECT_EQ(run(bytes("0F28C1"), 0, o).rec.cmdtype & 0xF0, C_MMX);
  EXPECT_EQ(run(bytes("F3A5"), 0, o).rec.cmdtype & 0xF0, C_REP);
  EXPECT_EQ(run(bytes("FA"), 0, o).rec.warnings, DAW_PRIV);
  EXPECT_EQ(run(bytes("EC"), 0, o).rec.warnings, DAW_IO);
}

TEST(OllyStyle, NewerInstructionsInTheSameStyle) {
  const Options o = opts(0, 0, 0, 1);
  struct {
    const char* hex;
    const char* dump;
    const char* text;
  } rows[] = {
      {"F30F7E45F0", "F3:0F7E45 F0", "MOVQ XMM0,QWORD PTR SS:[EBP-10]"},
      {"660FEFC0", "66:0FEFC0", "PXOR XMM0,XMM0"},
      {"F20F5905DC464B00", "F2:0F5905 DC464B00", "MULSD XMM0,QWORD PTR DS:[4B46DC]"},
      {"660F3A0FC108", "66:0F3A0FC1 08", "PALIGNR XMM0,XMM1,8"},
      {"C5FC28C1", "C5FC28C1", "VMOVAPS YMM0,YMM1"},
      {"0F0FC1B4", "0F0FC1 B4", "PFMUL MM0,MM1"},
      {"9BDBE2", "9BDBE2", "FCLEX"},
      {"DEC1", "DEC1", "FADDP ST(1),ST"},
      {"0FB6C0", "0FB6C0", "MOVZX EAX,AL"},
      {"0FB600", "0FB600", "MOVZX EAX,BYTE PTR DS:[EAX]"},
      {"D3E0", "D3E0", "SHL EAX,CL"},
      {"D320", "D320", "SHL DWORD PTR DS:[EAX],CL"},
      {"E2FE", "E2 FE", "LOOPD SHORT 00401000"},
      {"9A785634122301", "9A 78563412 2301", "CALL FAR 0123:12345678"},
      {"C8100001", "C8 1000 01", "ENTER 10,1"},
      {"83E4F8", "83E4 F8", "AND ESP,FFFFFFF8"},
      {"AC", "AC", "LODS BYTE PTR DS:[ESI]"},
      {"2EA5", "2E:A5", "MOVS DWORD PTR ES:[EDI],DWORD PTR CS:[ESI]"},
      {"D7", "D7", "XLAT BYTE PTR DS:[EBX+AL]"},
  };
  for (const auto& row : rows) {
    const Result r = run(bytes(row.hex), 0x401000, o);
    EXPECT_STREQ(r.rec.result, row.text) << row.hex;
    EXPECT_STREQ(r.rec.dump, row.dump) << row.hex;
  }
}

}  // namespace

namespace {

TEST(OllyStyle, WaitStaysVisibleBeforeOrdinaryX87Commands) {
  const Options o = opts(0, 0, 0, 1);
  const auto code = bytes("9BD94508");
  const Result wait = run(code, 0x401000, o);
  EXPECT_EQ(wait.length, 1u);
  EXPECT_STREQ(wait.rec.result, "WAIT");
  const Result clex = run(bytes("9BDBE2"), 0x401000, o);
  EXPECT_EQ(clex.length, 3u);
  EXPECT_STREQ(clex.rec.result, "FCLEX");
}

}  // namespace

namespace {

// The library command's loop: Disasm over 1024 bytes from each address, mode 4, the options
// set once at load (0,0,0,1); the next address is the answer added to the last.
TEST(OllyAsTheDisassemblyCommandUsesIt, LinearSweep) {
  std::vector<uint8_t> memory(1024, 0x90);
  const auto code = bytes("558BEC");
  std::copy(code.begin(), code.end(), memory.begin());
  const Options o = opts(0, 0, 0, 1);
  TDisasm rec;
  uint32_t at = 0;
  at += disasm(memory.data() + at, 1024 - at, 0x401000 + at, &rec, kCode, o);
  EXPECT_EQ(at, 1u);
  EXPECT_STREQ(rec.result, "PUSH EBP");
  at += disasm(memory.data() + at, 1024 - at, 0x401000 + at, &rec, kCode, o);
  EXPECT_EQ(at, 3u);
  EXPECT_STREQ(rec.result, "MOV EBP,ESP");
  EXPECT_STREQ(rec.dump, "8BEC");
}

}  // namespace
