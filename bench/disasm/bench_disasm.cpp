// Decode and decode+format throughput of our decoder against Zydis and Capstone, on the code
// sections of the 32-bit Wine DLLs, all in one run. Each figure is the best of five sweeps;
// every engine walks the code by its own lengths (one byte on an invalid encoding).
//
//   bench_disasm [MEGABYTES]     (default 16 MB of code)
#include <Zydis/Zydis.h>
#include <capstone/capstone.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tovalux/x86/bea.h"
#include "tovalux/x86/decoder.h"
#include "tovalux/x86/olly.h"
#include "bench_report.h"

namespace fs = std::filesystem;
using namespace tovalux;

namespace {

struct Chunk {
  uint32_t address;
  std::vector<uint8_t> bytes;
};

uint32_t rd32(const std::vector<uint8_t>& f, size_t o) {
  return o + 4 <= f.size() ? uint32_t(f[o]) | f[o + 1] << 8 | f[o + 2] << 16 | uint32_t(f[o + 3]) << 24 : 0;
}

// Code sections of PE32 DLLs until `limit` bytes are collected.
std::vector<Chunk> loadCode(size_t limit, size_t& total, size_t& files) {
  std::vector<std::string> paths;
  std::error_code ec;
  for (auto& e : fs::directory_iterator("/usr/lib/i386-linux-gnu/wine/i386-windows", ec))
    if (e.path().extension() == ".dll") paths.push_back(e.path());
  std::sort(paths.begin(), paths.end());
  std::vector<Chunk> out;
  total = files = 0;
  for (const auto& p : paths) {
    if (total >= limit) break;
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), {});
    if (f.size() < 0x40) continue;
    const uint32_t pe = rd32(f, 0x3C);
    if (rd32(f, pe) != 0x4550) continue;
    const unsigned nsec = f[pe + 6] | f[pe + 7] << 8, opt = f[pe + 20] | f[pe + 21] << 8;
    const uint32_t base = rd32(f, pe + 24 + 28);
    size_t sh = pe + 24 + opt;
    for (unsigned k = 0; k < nsec; ++k, sh += 40) {
      const uint32_t vsize = rd32(f, sh + 8), rva = rd32(f, sh + 12), raw = rd32(f, sh + 16), ptr = rd32(f, sh + 20),
                     ch = rd32(f, sh + 36);
      if (!(ch & 0x20000020)) continue;
      const uint32_t n = std::min(vsize ? vsize : raw, raw);
      if (ptr + uint64_t(n) > f.size() || n == 0) continue;
      out.push_back({base + rva, std::vector<uint8_t>(f.begin() + ptr, f.begin() + ptr + n)});
      total += n;
    }
    ++files;
  }
  return out;
}

struct Figure {
  double seconds = 0;
  uint64_t instructions = 0;
  uint64_t checksum = 0;  // keeps the work observable to the optimiser
};

// One engine step: decode (and format) at p, return the bytes consumed (0 = invalid).
using Step = std::function<size_t(const uint8_t*, size_t, uint32_t, uint64_t&)>;

Figure measure(const std::vector<Chunk>& code, const Step& step) {
  Figure best;
  for (int round = 0; round < 5; ++round) {
    Figure f;
    const auto t0 = std::chrono::steady_clock::now();
    for (const Chunk& c : code) {
      const uint8_t* p = c.bytes.data();
      const size_t n = c.bytes.size();
      for (size_t at = 0; at < n;) {
        const size_t len = step(p + at, n - at, c.address + uint32_t(at), f.checksum);
        at += len ? len : 1;
        ++f.instructions;
      }
    }
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (round == 0 || f.seconds < best.seconds) best = f;
  }
  return best;
}

// A peer's line carries the ratio of its time to ours (above 1: we are faster), against each
// of our figures passed in `ours`.
void print(const char* name, const Figure& f, size_t bytes, std::initializer_list<const Figure*> ours = {}) {
  const double mbs = bytes / 1e6 / f.seconds, mis = f.instructions / 1e6 / f.seconds;
  std::printf("  %-44s %9.1f MB/s %8.2f M instr/s", name, mbs, mis);
  const char* sep = "   ours faster by ";
  for (const Figure* o : ours) {
    std::printf("%s%.2fx", sep, f.seconds / o->seconds);
    sep = " / ";
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 16;
  size_t total = 0, files = 0;
  const auto code = loadCode(mb * 1000 * 1000, total, files);
  if (code.empty()) {
    std::fprintf(stderr, "no 32-bit Wine DLLs found (install wine32)\n");
    return 1;
  }
  std::printf("code: %.1f MB from %zu Wine DLLs (32-bit, compiler output), best of 5 sweeps\n", total / 1e6, files);

  // --- decode only ---
  const Figure ours = measure(code, [](const uint8_t* p, size_t n, uint32_t a, uint64_t& sum) -> size_t {
    x86::Instruction ins;
    const auto st = x86::decode(p, n, a, ins);
    sum += unsigned(ins.mnemonic);
    return st == x86::Status::ok ? ins.length : 0;
  });
  ZydisDecoder zdec;
  ZydisDecoderInit(&zdec, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);
  const Figure zydisFull = measure(code, [&](const uint8_t* p, size_t n, uint32_t, uint64_t& sum) -> size_t {
    ZydisDecodedInstruction in;
    ZydisDecodedOperand ops[ZYDIS_MAX_OPERAND_COUNT];
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zdec, p, n, &in, ops))) return 0;
    sum += in.mnemonic;
    return in.length;
  });
  const Figure zydisInstr = measure(code, [&](const uint8_t* p, size_t n, uint32_t, uint64_t& sum) -> size_t {
    ZydisDecodedInstruction in;
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zdec, nullptr, p, n, &in))) return 0;
    sum += in.mnemonic;
    return in.length;
  });
  std::printf("\ndecode only (length, mnemonic, operands, prefixes)\n");
  print("tovalux decoder", ours, total);
  print("Zydis 4 DecodeFull (with operands)", zydisFull, total, {&ours});
  print("Zydis 4 DecodeInstruction (no operands)", zydisInstr, total, {&ours});

  // --- decode + format ---
  olly::Options oo{false, false, false, true};
  const Figure oursOlly = measure(code, [&](const uint8_t* p, size_t n, uint32_t a, uint64_t& sum) -> size_t {
    x86::Instruction ins;
    if (x86::decode(p, n, a, ins) != x86::Status::ok) return 0;
    char buf[256];
    sum += olly::formatResult(ins, oo, buf, sizeof buf);
    return ins.length;
  });
  bea::Options bo;
  const Figure oursBea = measure(code, [&](const uint8_t* p, size_t n, uint32_t a, uint64_t& sum) -> size_t {
    x86::Instruction ins;
    if (x86::decode(p, n, a, ins) != x86::Status::ok) return 0;
    char buf[64];
    sum += bea::formatInstruction(ins, bo, buf, sizeof buf);
    return ins.length;
  });
  const Figure oursOllyRecord = measure(code, [&](const uint8_t* p, size_t n, uint32_t a, uint64_t& sum) -> size_t {
    olly::TDisasm rec;
    const uint32_t len = olly::disasm(p, uint32_t(n), a, &rec, olly::kCode, oo);
    sum += uint8_t(rec.result[0]);
    return rec.error ? 0 : len;
  });
  ZydisFormatter zfmt;
  ZydisFormatterInit(&zfmt, ZYDIS_FORMATTER_STYLE_INTEL);
  const Figure zydisFmt = measure(code, [&](const uint8_t* p, size_t n, uint32_t a, uint64_t& sum) -> size_t {
    ZydisDecodedInstruction in;
    ZydisDecodedOperand ops[ZYDIS_MAX_OPERAND_COUNT];
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&zdec, p, n, &in, ops))) return 0;
    char buf[256];
    ZydisFormatterFormatInstruction(&zfmt, &in, ops, in.operand_count_visible, buf, sizeof buf, a, nullptr);
    sum += uint8_t(buf[0]);
    return in.length;
  });
  csh cs;
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &cs) != CS_ERR_OK) return 1;
  cs_insn* insn = cs_malloc(cs);
  const Figure capstone = measure(code, [&](const uint8_t* p, size_t n, uint32_t a, uint64_t& sum) -> size_t {
    const uint8_t* q = p;
    size_t left = n;
    uint64_t addr = a;
    if (!cs_disasm_iter(cs, &q, &left, &addr, insn)) return 0;
    sum += uint8_t(insn->mnemonic[0]);
    return insn->size;
  });
  cs_free(insn, 1);
  cs_close(&cs);
  std::printf("\ndecode + format (one line of text per instruction)\n");
  print("tovalux, OllyDbg-library text", oursOlly, total);
  print("tovalux, BeaEngine MASM text", oursBea, total);
  print("tovalux, olly Disasm() full record + dump", oursOllyRecord, total);
  print("Zydis 4 DecodeFull + Intel formatter", zydisFmt, total, {&oursOlly, &oursBea});
  print("Capstone 4 cs_disasm_iter (no detail)", capstone, total, {&oursOlly, &oursBea});
  std::printf("\n(ratios: the peer's time over ours, against our OllyDbg-style / BeaEngine-style text)\n");
  tovalux::bench::reportFigure("decoder_mbs", total / 1e6 / ours.seconds, "MB/s",
                               tovalux::bench::format("decode only, %.1f MB of DLL code, best of 5", total / 1e6));
  tovalux::bench::reportFigure(
      "decoder_text_mbs", total / 1e6 / oursOlly.seconds, "MB/s",
      tovalux::bench::format("decode + OllyDbg-style text, Zydis %.2fx slower", zydisFmt.seconds / oursOlly.seconds));
  std::printf("checksums: %llx %llx %llx\n", (unsigned long long)ours.checksum, (unsigned long long)zydisFull.checksum,
              (unsigned long long)capstone.checksum);
  return 0;
}
