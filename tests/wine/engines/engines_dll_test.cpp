// olly.dll and BeaEngine.dll as a caller sees them: loaded by name, reached through
// GetProcAddress, answering exactly as the decoder linked into this program does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "engine_samples.h"
#include "tovalux/x86/bea.h"
#include "tovalux/x86/olly.h"

using engine_samples::bytes;
namespace olly = tovalux::olly;
namespace bea = tovalux::bea;

namespace {

using DisasmFn = ULONG(__stdcall*)(char*, ULONG, ULONG, olly::TDisasm*, int);
using SetOptionsFn = void(__stdcall*)(int, int, int, int);
using BeaDisasmFn = int(__stdcall*)(bea::Disasm32*);
using StringFn = const char*(__stdcall*)();

template <class F>
F proc(HMODULE dll, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

class EngineDlls : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Copied next to this program at build time; found by the normal DLL search.
    ollyDll = LoadLibraryA("olly.dll");
    beaDll = LoadLibraryA("BeaEngine.dll");
  }
  static void TearDownTestSuite() {
    if (ollyDll) FreeLibrary(ollyDll);
    if (beaDll) FreeLibrary(beaDll);
  }
  void SetUp() override {
    ASSERT_NE(ollyDll, nullptr);
    ASSERT_NE(beaDll, nullptr);
    disasm = proc<DisasmFn>(ollyDll, "Disasm");
    setOptions = proc<SetOptionsFn>(ollyDll, "VB_SetOptions");
    beaDisasm = proc<BeaDisasmFn>(beaDll, "_Disasm@4");
    ASSERT_NE(disasm, nullptr);
    ASSERT_NE(setOptions, nullptr);
    ASSERT_NE(beaDisasm, nullptr);
  }

  // The DLL's record and the in-process one, both from the same garbage.
  void compareOlly(const uint8_t* p, ULONG n, ULONG ip, const olly::Options& o, int mode, olly::TDisasm& viaDll) {
    olly::TDisasm local;
    std::memset(&viaDll, 0x5A, sizeof viaDll);
    std::memset(&local, 0x5A, sizeof local);
    const ULONG a = disasm(reinterpret_cast<char*>(const_cast<uint8_t*>(p)), n, ip, &viaDll, mode);
    const ULONG b = olly::disasm(p, n, ip, &local, mode, o);
    ASSERT_EQ(a, b);
    ASSERT_EQ(std::memcmp(&viaDll, &local, sizeof local), 0) << local.result;
  }

  void compareBea(const uint8_t* p, uint64_t options, uint32_t block, bea::Disasm32& viaDll) {
    bea::Disasm32 local;
    std::memset(&viaDll, 0, sizeof viaDll);
    viaDll.EIP = uint32_t(reinterpret_cast<uintptr_t>(p));
    viaDll.Options = options;
    viaDll.SecurityBlock = block;
    local = viaDll;
    const int a = beaDisasm(&viaDll);
    const int b = bea::disasm(local, p);
    ASSERT_EQ(a, b);
    ASSERT_EQ(std::memcmp(&viaDll, &local, sizeof local), 0) << local.CompleteInstr;
  }

  static HMODULE ollyDll, beaDll;
  DisasmFn disasm = nullptr;
  SetOptionsFn setOptions = nullptr;
  BeaDisasmFn beaDisasm = nullptr;
};

HMODULE EngineDlls::ollyDll = nullptr;
HMODULE EngineDlls::beaDll = nullptr;

TEST_F(EngineDlls, ExportsByTheirPublishedNames) {
  auto version = proc<StringFn>(beaDll, "BeaEngineVersion");
  auto revision = proc<StringFn>(beaDll, "BeaEngineRevision");
  ASSERT_NE(version, nullptr);
  ASSERT_NE(revision, nullptr);
  EXPECT_STREQ(version(), "4.1");
  EXPECT_STREQ(revision(), "175");
  EXPECT_NE(GetProcAddress(beaDll, "_BeaEngineVersion@0"), nullptr);
  EXPECT_NE(GetProcAddress(beaDll, "_BeaEngineRevision@0"), nullptr);
  // Ordinals of the published library.
  EXPECT_EQ(proc<DisasmFn>(ollyDll, MAKEINTRESOURCEA(2)), disasm);
  EXPECT_EQ(proc<SetOptionsFn>(ollyDll, MAKEINTRESOURCEA(5)), setOptions);
  // Statically linked: no compiler runtime DLL came along.
  EXPECT_EQ(GetModuleHandleA("libstdc++-6.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("libgcc_s_dw2-1.dll"), nullptr);
}

TEST_F(EngineDlls, OllySampleRows) {
  const struct { int ideal, lower, tabs, seg; } sets[] = {{0, 0, 0, 1}, {0, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 1}};
  for (const auto& row : engine_samples::kOllyRows) {
    const auto code = bytes(row.hex);
    const char* expected[] = {row.withSeg, row.noSeg, row.lower, row.ideal};
    for (int k = 0; k < 4; ++k) {
      const auto& s = sets[k];
      setOptions(s.ideal, s.lower, s.tabs, s.seg);
      olly::TDisasm rec;
      compareOlly(code.data(), ULONG(code.size()), row.address, {s.ideal != 0, s.lower != 0, s.tabs != 0, s.seg != 0},
                  olly::kCode, rec);
      EXPECT_STREQ(rec.result, expected[k]) << row.hex;
      EXPECT_STREQ(rec.dump, row.dump) << row.hex;
    }
  }
}

TEST_F(EngineDlls, OllyAsVisualBasicCallsIt) {
  // VB passes doTabs and the mode by reference: two stack addresses.
  int byRef = 0;
  setOptions(0, 0, static_cast<int>(reinterpret_cast<intptr_t>(&byRef)), 1);
  const auto code = bytes("8B4508");
  olly::TDisasm rec;
  compareOlly(code.data(), 3, 0x401000, {false, false, true, true},
              static_cast<int>(reinterpret_cast<intptr_t>(&byRef)), rec);
  EXPECT_STREQ(rec.result, "MOV     EAX,SS:[EBP+8]");
  setOptions(0, 0, 0, 1);
}

TEST_F(EngineDlls, BeaSampleRows) {
  for (const auto& row : engine_samples::kBeaRows) {
    const auto code = bytes(row.hex);
    const struct {
      uint64_t options;
      const char* text;
    } sets[] = {{bea::MasmSyntax, row.masm}, {bea::NasmSyntax, row.nasm},          {bea::GoAsmSyntax, row.goasm},
                {bea::ATSyntax, row.att},    {bea::PrefixedNumeral, row.prefixed}, {bea::ShowSegmentRegs, row.segs}};
    for (const auto& s : sets) {
      // Branch targets are relative to where the bytes are: give them their address.
      bea::Disasm32 viaDll{};
      viaDll.EIP = uint32_t(reinterpret_cast<uintptr_t>(code.data()));
      viaDll.VirtualAddr = row.address;
      viaDll.Options = s.options;
      bea::Disasm32 local = viaDll;
      ASSERT_EQ(beaDisasm(&viaDll), int(code.size())) << row.hex;
      ASSERT_EQ(bea::disasm(local, code.data()), int(code.size()));
      EXPECT_EQ(std::memcmp(&viaDll, &local, sizeof local), 0) << row.hex;
      EXPECT_STREQ(viaDll.CompleteInstr, s.text) << row.hex;
    }
  }
}

TEST_F(EngineDlls, BeaBlockLimitAndUnknownOpcode) {
  const auto code = bytes("83EC08");
  bea::Disasm32 rec;
  compareBea(code.data(), 0, 3, rec);
  EXPECT_STREQ(rec.CompleteInstr, "sub esp, 08h");
  compareBea(code.data(), 0, 2, rec);
  EXPECT_EQ(rec.CompleteInstr[0], 0);
  const auto bad = bytes("0F04");
  compareBea(bad.data(), 0, 2, rec);
  EXPECT_STREQ(rec.CompleteInstr, "??? ");
}

// A sweep over real compiled code (this program's own), every option: the DLLs and the
// linked decoder agree record for record.
TEST_F(EngineDlls, SweepOfThisProgramsCode) {
  const auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* sec = IMAGE_FIRST_SECTION(nt);
  const uint8_t* code = base + sec->VirtualAddress;
  const uint32_t size = std::min<uint32_t>(sec->Misc.VirtualSize, 48 * 1024);
  setOptions(0, 0, 0, 1);
  unsigned count = 0;
  for (uint32_t at = 0; at < size; ++count) {
    olly::TDisasm rec;
    compareOlly(code + at, size - at, uint32_t(reinterpret_cast<uintptr_t>(code + at)), {false, false, false, true},
                olly::kCode, rec);
    if (HasFatalFailure()) return;
    bea::Disasm32 b;
    compareBea(code + at, bea::NasmSyntax + 0x10001 + (count % 4 == 0 ? uint64_t(bea::ShowSegmentRegs) : uint64_t(0)),
               size - at, b);
    if (HasFatalFailure()) return;
    const ULONG n = disasm(reinterpret_cast<char*>(const_cast<uint8_t*>(code + at)), size - at, 0, &rec, olly::kSize);
    at += n ? n : 1;
  }
  EXPECT_GT(count, 5000u);
}

}  // namespace
