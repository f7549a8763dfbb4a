// Differential run of the decoder against binutils objdump (the oracle none of us wrote).
//
//   decoder-oracle --full                 every 32-bit Wine DLL's code + 1,000,000 random cases
//   decoder-oracle --slice                a few DLLs and 20,000 random cases (CI, seconds)
//   decoder-oracle [--dll FILE]... [--random N] [--seed S] [--max-kb K] [--examples N]
//
// Real code: objdump sweeps each code section; we decode at every offset where objdump
// starts an instruction, so one disagreement never shifts the rest. Random cases: each case
// is 16 random bytes followed by 16 NOPs, so objdump's sweep is back in step at the next
// case; only the instruction at the start of each case is compared.
//
// Exit status 1 when a length disagrees on real code or on a random case objdump decodes.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "objdump_style.h"
#include "tovalux/x86/decoder.h"

using namespace tovalux::x86;
namespace fs = std::filesystem;

namespace {

constexpr const char* kWineDir = "/usr/lib/i386-linux-gnu/wine/i386-windows";

struct Section {
  uint32_t vma = 0;
  std::vector<uint8_t> bytes;
};

uint32_t rd32(const std::vector<uint8_t>& f, size_t o) {
  return o + 4 <= f.size() ? uint32_t(f[o]) | f[o + 1] << 8 | f[o + 2] << 16 | uint32_t(f[o + 3]) << 24 : 0;
}
uint16_t rd16(const std::vector<uint8_t>& f, size_t o) {
  return o + 2 <= f.size() ? uint16_t(f[o] | f[o + 1] << 8) : 0;
}

// The executable sections of a PE32 image.
std::vector<Section> codeSections(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), {});
  std::vector<Section> out;
  if (f.size() < 0x40 || f[0] != 'M' || f[1] != 'Z') return out;
  const uint32_t pe = rd32(f, 0x3C);
  if (rd32(f, pe) != 0x4550 || rd16(f, pe + 4) != 0x14C) return out;
  const unsigned nsec = rd16(f, pe + 6), optSize = rd16(f, pe + 20);
  const uint32_t imageBase = rd32(f, pe + 24 + 28);
  size_t sh = pe + 24 + optSize;
  for (unsigned k = 0; k < nsec; ++k, sh += 40) {
    const uint32_t vsize = rd32(f, sh + 8), rva = rd32(f, sh + 12), rawSize = rd32(f, sh + 16),
                   rawPtr = rd32(f, sh + 20), chars = rd32(f, sh + 36);
    if (!(chars & 0x20000020)) continue;  // code / executable
    const uint32_t n = std::min(vsize ? vsize : rawSize, rawSize);
    if (rawPtr + uint64_t(n) > f.size()) continue;
    out.push_back({imageBase + rva, std::vector<uint8_t>(f.begin() + rawPtr, f.begin() + rawPtr + n)});
  }
  return out;
}

struct Line {
  uint32_t offset;
  unsigned length;
  std::string text;
};

// Runs objdump over raw bytes; returns one Line per instruction.
std::vector<Line> objdump(const std::vector<uint8_t>& bytes, uint32_t vma) {
  char path[] = "/tmp/decoder-oracle-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  FILE* f = fdopen(fd, "wb");
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  char cmd[512];
  std::snprintf(cmd, sizeof cmd, "objdump -D -z -b binary -m i386 -M intel --insn-width=16 --adjust-vma=0x%x %s", vma,
                path);
  FILE* p = popen(cmd, "r");
  std::vector<Line> lines;
  char buf[1024];
  while (p && std::fgets(buf, sizeof buf, p)) {
    // "  401000:\t55                   \tpush   ebp"
    char* colon = std::strchr(buf, ':');
    char* tab1 = std::strchr(buf, '\t');
    if (!colon || !tab1 || colon > tab1) continue;
    char* end = nullptr;
    const unsigned long addr = std::strtoul(buf, &end, 16);
    if (end != colon) continue;
    char* tab2 = std::strchr(tab1 + 1, '\t');
    std::string hexes(tab1 + 1, tab2 ? tab2 : tab1 + std::strlen(tab1));
    unsigned len = 0;
    for (size_t k = 0; k + 1 < hexes.size(); ++k)
      if (std::isxdigit(uint8_t(hexes[k])) && std::isxdigit(uint8_t(hexes[k + 1]))) {
        ++len;
        ++k;
      }
    std::string text = tab2 ? tab2 + 1 : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    lines.push_back({uint32_t(addr - vma), len, text});
  }
  if (p) pclose(p);
  std::remove(path);
  return lines;
}

std::string hexBytes(const uint8_t* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t k = 0; k < n; ++k) {
    std::snprintf(b, sizeof b, "%02x ", p[k]);
    s += b;
  }
  if (!s.empty()) s.pop_back();
  return s;
}

struct Tally {
  uint64_t compared = 0, lengthAgree = 0, textAgree = 0, bothInvalid = 0;
  uint64_t lengthDisagree = 0;  // on instructions objdump decodes
  uint64_t unsupported = 0;     // of which in the families of unsupportedFamily()
  std::map<std::string, uint64_t> classes;
  std::map<std::string, std::vector<std::string>> examples;
  unsigned maxExamples = 3;

  void add(const std::string& cls, const std::string& example) {
    ++classes[cls];
    auto& v = examples[cls];
    if (v.size() < maxExamples) v.push_back(example);
  }
};

// Families the decoder leaves undecoded on purpose: AVX-512 (EVEX and the VEX opmask
// instructions), AMD FMA4/XOP, VIA PadLock. Random streams hit them; compiled 32-bit code
// for Windows does not.
bool unsupportedFamily(const std::string& s) {
  if (s.find('{') != std::string::npos || s.find("zmm") != std::string::npos) return true;
  static const char* const names[] = {"kand",   "kor",      "kxor",    "kxnor",         "knot",    "kadd",    "kmov",
                                      "kunpck", "kortest",  "ktest",   "kshift",        "xcrypt",  "xsha",    "montmul",
                                      "xstore", "vpdpb",    "vpdpw",   "vpmadd52",      "vpcmov",  "vpperm",  "vprot",
                                      "vpsha",  "vpshl",    "vfrcz",   "vpcom",         "vpmacs",  "vpmadcs", "vphadd",
                                      "vphsub", "vpermil2", "vbcstne", "vcvtneps2bf16", "vsha512", "vsm"};
  for (const char* n : names)
    if (s.rfind(n, 0) == 0) return true;
  // FMA4 names carry no 132/213/231 order digits.
  if (s.rfind("vfm", 0) == 0 || s.rfind("vfnm", 0) == 0)
    return s.find("132") == std::string::npos && s.find("213") == std::string::npos &&
           s.find("231") == std::string::npos;
  return false;
}

// The first word of objdump's normalised text, for naming a class.
std::string firstWord(const std::string& s) { return s.substr(0, s.find(' ')); }

void compare(Tally& t, const uint8_t* p, size_t avail, uint32_t address, const Line& l) {
  Instruction ins;
  const Status st = decode(p, avail, address, ins);
  const std::string theirs = normaliseObjdump(l.text);
  const bool theirBad = theirs.find("(bad)") != std::string::npos || theirs.rfind(".byte", 0) == 0;
  ++t.compared;
  const std::string ex = hexBytes(p, std::min<size_t>(avail, std::max<unsigned>(l.length, ins.length))) +
                         "  | objdump: " + l.text +
                         " | ours: " + (st == Status::ok ? objdumpStyle(ins) : std::string(statusName(st)));
  if (theirBad) {
    if (st != Status::ok) {
      ++t.bothInvalid;
      ++t.lengthAgree;
      ++t.textAgree;
    } else {
      t.add("objdump (bad), we decode " + std::string(mnemonicName(ins.mnemonic)), ex);
    }
    return;
  }
  if (st != Status::ok) {
    // Encodings the CPU refuses (#UD) that binutils prints anyway: a disagreement on
    // validity, not on length, when our length matches.
    const bool sameLength = ins.length == l.length;
    const bool family = st == Status::unsupported || (!sameLength && unsupportedFamily(theirs));
    if (sameLength)
      ++t.lengthAgree;
    else if (family && st != Status::unsupported)
      ++t.unsupported;
    else
      ++t.lengthDisagree;
    t.add(std::string(family ? "not decoded on purpose (" : "we reject (") + statusName(st) +
              (sameLength ? ", same length" : "") + "): " + firstWord(theirs),
          ex);
    return;
  }
  if (ins.length != l.length) {
    ++t.lengthDisagree;
    t.add("length: " + firstWord(theirs), ex);
    return;
  }
  ++t.lengthAgree;
  const std::string ours = objdumpStyle(ins);
  if (ours == theirs) {
    ++t.textAgree;
    return;
  }
  t.add("text: " + firstWord(theirs) + (firstWord(ours) == firstWord(theirs) ? " (operands)" : " (mnemonic)"), ex);
}

void runCode(Tally& t, const std::vector<Section>& secs, size_t maxBytes) {
  for (const Section& s : secs) {
    std::vector<uint8_t> b = s.bytes;
    if (maxBytes && b.size() > maxBytes) b.resize(maxBytes);
    for (const Line& l : objdump(b, s.vma)) {
      if (l.offset >= b.size()) continue;
      compare(t, b.data() + l.offset, b.size() - l.offset, s.vma + l.offset, l);
    }
  }
}

void runRandom(Tally& t, uint64_t cases, uint64_t seed) {
  constexpr size_t kStride = 32, kBatch = 50000;
  std::mt19937_64 rng(seed);
  for (uint64_t done = 0; done < cases;) {
    const size_t n = size_t(std::min<uint64_t>(kBatch, cases - done));
    std::vector<uint8_t> buf(n * kStride, 0x90);
    for (size_t c = 0; c < n; ++c) {
      uint8_t* p = &buf[c * kStride];
      for (int k = 0; k < 16; ++k) p[k] = uint8_t(rng());
      // Steer a share of the cases into the multi-byte maps and VEX.
      switch (rng() % 8) {
        case 0: p[0] = 0x0F; break;
        case 1:
          p[0] = 0x0F;
          p[1] = rng() & 1 ? 0x38 : 0x3A;
          break;
        case 2:
          p[0] = "\x66\xF2\xF3"[rng() % 3];
          p[1] = 0x0F;
          break;
        case 3:
          p[0] = rng() & 1 ? 0xC4 : 0xC5;
          p[1] |= 0xC0;
          break;
        case 4: p[0] = uint8_t(0xD8 + rng() % 8); break;
        default: break;
      }
    }
    const uint32_t vma = 0x10000000;
    for (const Line& l : objdump(buf, vma)) {
      if (l.offset % kStride) continue;
      compare(t, &buf[l.offset], kStride, vma + l.offset, l);
    }
    done += n;
  }
}

void report(const char* title, const Tally& t) {
  std::printf("== %s\n", title);
  std::printf("instructions compared: %" PRIu64 "\n", t.compared);
  std::printf("lengths agree:         %" PRIu64 " (%.4f %%)\n", t.lengthAgree,
              t.compared ? 100.0 * t.lengthAgree / t.compared : 0.0);
  std::printf("text agrees:           %" PRIu64 " (%.4f %%)\n", t.textAgree,
              t.compared ? 100.0 * t.textAgree / t.compared : 0.0);
  std::printf("both invalid:          %" PRIu64 "\n", t.bothInvalid);
  std::printf("length disagreements where objdump decodes: %" PRIu64 " (and %" PRIu64
              " in families not decoded on purpose)\n",
              t.lengthDisagree, t.unsupported);
  std::vector<std::pair<uint64_t, std::string>> v;
  for (auto& [k, n] : t.classes) v.push_back({n, k});
  std::sort(v.rbegin(), v.rend());
  for (auto& [n, k] : v) {
    std::printf("  %8" PRIu64 "  %s\n", n, k.c_str());
    for (auto& e : t.examples.at(k)) std::printf("              %s\n", e.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> dlls;
  uint64_t randomCases = 0, seed = 1;
  size_t maxBytes = 0;
  unsigned examples = 3;
  bool all = false;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    auto next = [&] { return k + 1 < argc ? std::string(argv[++k]) : std::string(); };
    if (a == "--full") {
      all = true;
      randomCases = 1000000;
    } else if (a == "--slice") {
      dlls = {std::string(kWineDir) + "/msvcrt.dll", std::string(kWineDir) + "/kernelbase.dll"};
      maxBytes = 96 * 1024;
      randomCases = 20000;
    } else if (a == "--dll") {
      dlls.push_back(next());
    } else if (a == "--random") {
      randomCases = std::strtoull(next().c_str(), nullptr, 10);
    } else if (a == "--seed") {
      seed = std::strtoull(next().c_str(), nullptr, 10);
    } else if (a == "--max-kb") {
      maxBytes = std::strtoull(next().c_str(), nullptr, 10) * 1024;
    } else if (a == "--examples") {
      examples = unsigned(std::strtoul(next().c_str(), nullptr, 10));
    } else {
      std::fprintf(stderr,
                   "usage: %s [--full|--slice] [--dll F]... [--random N] [--seed S] "
                   "[--max-kb K] [--examples N]\n",
                   argv[0]);
      return 2;
    }
  }
  if (all) {
    std::error_code ec;
    for (auto& e : fs::directory_iterator(kWineDir, ec))
      if (e.path().extension() == ".dll") dlls.push_back(e.path());
    std::sort(dlls.begin(), dlls.end());
  }
  bool failed = false;
  if (!dlls.empty()) {
    Tally t;
    t.maxExamples = examples;
    uint64_t bytes = 0;
    size_t withoutCode = 0;
    for (auto& d : dlls) {
      auto secs = codeSections(d);
      if (secs.empty()) {
        // Resource-only and forwarding DLLs have none; a named one must.
        ++withoutCode;
        if (!all) {
          std::fprintf(stderr, "no code section in %s\n", d.c_str());
          failed = true;
        }
      }
      for (auto& s : secs) bytes += maxBytes ? std::min(maxBytes, s.bytes.size()) : s.bytes.size();
      runCode(t, secs, maxBytes);
    }
    char title[128];
    std::snprintf(title, sizeof title, "real code: %zu DLLs (%zu without code), %.1f MB", dlls.size(), withoutCode,
                  bytes / 1e6);
    report(title, t);
    failed |= t.lengthDisagree != 0 || t.compared == 0;
  }
  if (randomCases) {
    Tally t;
    t.maxExamples = examples;
    runRandom(t, randomCases, seed);
    char title[128];
    std::snprintf(title, sizeof title, "random cases: %" PRIu64 " (seed %" PRIu64 ")", randomCases, seed);
    report(title, t);
    failed |= t.lengthDisagree != 0 || t.compared == 0;
  }
  return failed ? 1 : 0;
}
