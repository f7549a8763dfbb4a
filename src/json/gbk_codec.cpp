#include "json/gbk_codec.h"

#include <cstring>
#include <memory>

#include "base/gbk.h"

namespace tovalux::json_detail {
namespace {

std::unique_ptr<GbkCodec> buildCodec() {
  auto codec = std::make_unique<GbkCodec>();
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::u16string unit = gbkToUtf16(std::string(1, char(byte)));
    codec->single[byte] = unit.size() == 1 ? unit[0] : u'?';
  }
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    codec->pair[lead - 0x81][0] = 0;
    for (unsigned trail = 1; trail < 256; ++trail) {
      const std::u16string unit = gbkToUtf16(std::string{char(lead), char(trail)});
      codec->pair[lead - 0x81][trail] = unit.size() == 1 ? unit[0] : 0;
    }
  }
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    if (unit < 0x80) {
      codec->encode[unit] = uint16_t(unit);
      continue;
    }
    const std::string bytes = utf16ToGbk(std::u16string(1, char16_t(unit)));
    if (bytes.size() == 2)
      codec->encode[unit] = uint16_t(uint8_t(bytes[0]) << 8 | uint8_t(bytes[1]));
    else
      codec->encode[unit] = bytes.size() == 1 ? uint8_t(bytes[0]) : uint16_t('?');
  }
  codec->pairAsOne = utf16ToGbk(u"\U0001F600").size() == 1;
  return codec;
}

}  // namespace

const GbkCodec& gbkCodec() {
  static const std::unique_ptr<GbkCodec> codec = buildCodec();
  return *codec;
}

size_t decodeGbk(const GbkCodec& codec, const char* text, const char* end, char16_t* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const auto* e = reinterpret_cast<const unsigned char*>(end);
  char16_t* o = out;
  while (p < e) {
    // Eight ASCII bytes at a time: the common case in keys and Latin text.
    if (e - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        for (int i = 0; i < 8; ++i) o[i] = p[i];
        p += 8;
        o += 8;
        continue;
      }
    }
    if (*p < 0x80)
      *o++ = *p++;
    else
      p += codec.decodeAt(p, e, *o++);
  }
  return size_t(o - out);
}

size_t countGbkUnits(const GbkCodec& codec, const char* text, const char* end) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const auto* e = reinterpret_cast<const unsigned char*>(end);
  size_t units = 0;
  while (p < e) {
    p += codec.widthAt(p, e);
    ++units;
  }
  return units;
}

size_t encodeGbk(const GbkCodec& codec, const char16_t* text, size_t units, char* out) {
  char* o = out;
  for (size_t i = 0; i < units;) {
    if (text[i] < 0x80)
      *o++ = char(text[i++]);
    else
      i += codec.encodeAt(text, i, units, o);
  }
  return size_t(o - out);
}

std::u16string gbkToUtf16Fast(std::string_view gbk) {
  std::u16string out(gbk.size(), u'\0');
  out.resize(decodeGbk(gbkCodec(), gbk.data(), gbk.data() + gbk.size(), out.data()));
  return out;
}

std::string utf16ToGbkFast(std::u16string_view text) {
  std::string out(text.size() * 2, '\0');
  out.resize(encodeGbk(gbkCodec(), text.data(), text.size(), out.data()));
  return out;
}

}  // namespace tovalux::json_detail
