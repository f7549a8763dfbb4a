// GBK <-> UTF-16 for the reader and writer: tables filled once from base/gbk.h, so every result
// is the one gbkToUtf16 and utf16ToGbk give, without a string per call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/gbk.h"

namespace tovalux::json_detail {

struct GbkCodec {
  // A byte on its own.
  char16_t single[256];
  // A lead byte 0x81..0xFE with the byte after it; 0 when the two are not read as one character
  // (then the lead byte is read on its own). A lead byte takes a NUL never.
  char16_t pair[0xFF - 0x81][256];
  // Every UTF-16 unit: its GBK bytes, two (lead << 8 | trail) when above 0xFF, otherwise one.
  uint16_t encode[0x10000];
  // Whether the shared converter writes a surrogate pair as one '?' (Windows does) rather than
  // one for each half.
  bool pairAsOne;

  // Writes text[i] (at or above 0x80) to out; answers the units taken, two for a surrogate pair
  // that the converter writes as one character.
  size_t encodeAt(const char16_t* text, size_t i, size_t size, char*& out) const {
    const char16_t unit = text[i];
    if (pairAsOne && unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      *out++ = '?';
      return 2;
    }
    const uint16_t code = encode[unit];
    if (code > 0xFF) {
      *out++ = char(code >> 8);
      *out++ = char(code & 0xFF);
    } else {
      *out++ = char(code);
    }
    return 1;
  }

  // True when p[0] and p[1] are one character: p + 1 must be inside the text.
  bool isPair(unsigned char lead, unsigned char trail) const {
    return isGbkLeadByte(lead) && pair[lead - 0x81][trail] != 0;
  }

  // The bytes the character at p takes (p < end): two for a pair, otherwise one.
  size_t widthAt(const unsigned char* p, const unsigned char* end) const {
    return (p + 1 < end && isPair(p[0], p[1])) ? 2 : 1;
  }

  // Decodes the character at p (p < end) into out; answers the bytes it took.
  size_t decodeAt(const unsigned char* p, const unsigned char* end, char16_t& out) const {
    if (p + 1 < end && isPair(p[0], p[1])) {
      out = pair[p[0] - 0x81][p[1]];
      return 2;
    }
    out = single[p[0]];
    return 1;
  }
};

const GbkCodec& gbkCodec();

// Decodes [text, end) into out, which has room for one unit per byte; answers the units written.
size_t decodeGbk(const GbkCodec& codec, const char* text, const char* end, char16_t* out);
// The number of UTF-16 units the bytes [text, end) decode to.
size_t countGbkUnits(const GbkCodec& codec, const char* text, const char* end);
// Encodes into out, which has room for two bytes per unit; answers the bytes written.
size_t encodeGbk(const GbkCodec& codec, const char16_t* text, size_t units, char* out);

std::u16string gbkToUtf16Fast(std::string_view gbk);
std::string utf16ToGbkFast(std::u16string_view text);

}  // namespace tovalux::json_detail
