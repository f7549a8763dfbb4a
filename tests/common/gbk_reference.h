// One digest of the GBK conversion over every input that matters: every single byte, every
// lead byte with every following byte, and every UTF-16 unit. The native and the Windows
// converter must both produce kGbkReferenceDigest.
#pragma once

#include <cstdint>
#include <string>

#include "base/gbk.h"

namespace tovalux::testing {

// Measured from Windows' code page 936 (under Wine, with WC_NO_BEST_FIT_CHARS), with the system's
// pairing rule on top (base/gbk.h: a lead byte takes only a trail byte).
inline constexpr uint64_t kGbkReferenceDigest = 0x7C19C50823A31803ULL;

class Fnv64 {
 public:
  void add(uint64_t value) {
    for (int i = 0; i < 8; ++i) {
      hash_ ^= (value >> (i * 8)) & 0xFF;
      hash_ *= 0x100000001B3ULL;
    }
  }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ULL;
};

inline uint64_t gbkConversionDigest() {
  Fnv64 digest;
  auto addWide = [&](const std::u16string& s) {
    digest.add(s.size());
    for (char16_t c : s) digest.add(c);
  };
  auto addNarrow = [&](const std::string& s) {
    digest.add(s.size());
    for (char c : s) digest.add(static_cast<unsigned char>(c));
  };
  for (unsigned byte = 0; byte < 256; ++byte) addWide(gbkToUtf16(std::string(1, char(byte))));
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0; trail < 256; ++trail) addWide(gbkToUtf16(std::string{char(lead), char(trail)}));
  for (unsigned unit = 0; unit < 0x10000; ++unit) addNarrow(utf16ToGbk(std::u16string(1, char16_t(unit))));
  return digest.value();
}

}  // namespace tovalux::testing
