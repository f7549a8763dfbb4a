// GBK <-> UTF-16 for the reader and writer: tables filled once from base/gbk.h, so every result
// is the one gbkToUtf16 and utf16ToGbk give, without a string per call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovalux::json_detail {

struct GbkCodec {
  // A byte on its own.
  char16_t single[256];
  // A lead byte 0x81..0xFE with the byte after it; 0 when the two are not read as one character
  // (then the lead byte is read on its own). A lead byte takes a NUL never.
  char16_t pair[0xFF - 0x81][256];
  // Every UTF-16 unit: its GBK bytes, two (lead << 8 | trail) when above 0xFF, otherwise one.
  uint16_t encode[0x10000];

  // True when p[0] and p[1] are one character: p + 1 must be inside the text.
  bool isPair(unsigned char lead, unsigned char trail) const {
    return lead >= 0x81 && lead <= 0xFE && pair[lead - 0x81][trail] != 0;
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
