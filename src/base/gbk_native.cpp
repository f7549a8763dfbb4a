// Native GBK conversion: two tables built once from iconv's CP936 plus the private-use cells.
#include "base/gbk.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

#include "base/gbk_pua.h"

namespace tovalux {
namespace {

constexpr char16_t kReplacement = u'?';

struct Tables {
  // Two-byte codes: lead 0x81..0xFE, trail 0x40..0xFE; 0 = no character.
  std::array<std::array<char16_t, 0xFF - 0x40>, 0xFF - 0x81> toUnicode{};
  // Every UTF-16 unit: its GBK bytes (one or two), 0 = not representable.
  std::array<uint16_t, 0x10000> toGbk{};

  Tables() {
    iconv_t decoder = iconv_open("UTF-16LE", "CP936");
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        char16_t unit = gbk_pua::fromGbk(lead, trail);
        if (unit == 0 && decoder != iconv_t(-1)) unit = decodePair(decoder, lead, trail);
        toUnicode[lead - 0x81][trail - 0x40] = unit;
      }
    }
    if (decoder != iconv_t(-1)) iconv_close(decoder);

    // Reverse from iconv's own encoder (GBK has a few characters with two codes; the encoder
    // chooses the one Windows chooses).
    iconv_t encoder = iconv_open("CP936", "UTF-16LE");
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
      if (unit < 0x80) {
        toGbk[unit] = uint16_t(unit);
        continue;
      }
      if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // surrogates never map
      if (uint16_t pua = gbk_pua::toGbk(char16_t(unit))) {
        toGbk[unit] = pua;
        continue;
      }
      if (unit == 0xF8F5) {  // Windows gives the lone byte 0xFF this character
        toGbk[unit] = 0xFF;
        continue;
      }
      if (encoder != iconv_t(-1)) toGbk[unit] = encodeUnit(encoder, char16_t(unit));
    }
    if (encoder != iconv_t(-1)) iconv_close(encoder);
  }

  static char16_t decodePair(iconv_t decoder, unsigned lead, unsigned trail) {
    char in[2] = {char(lead), char(trail)};
    unsigned char out[8];
    char* inPtr = in;
    size_t inLeft = 2;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    if (iconv(decoder, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0) return 0;
    if (sizeof out - outLeft != 2) return 0;  // only BMP characters exist in CP936
    return char16_t(out[0] | out[1] << 8);
  }

  static uint16_t encodeUnit(iconv_t encoder, char16_t unit) {
    unsigned char in[2] = {static_cast<unsigned char>(unit & 0xFF), static_cast<unsigned char>(unit >> 8)};
    unsigned char out[8];
    char* inPtr = reinterpret_cast<char*>(in);
    size_t inLeft = 2;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    iconv(encoder, nullptr, nullptr, nullptr, nullptr);
    if (iconv(encoder, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0) return 0;
    switch (sizeof out - outLeft) {
      case 1: return out[0];
      case 2: return uint16_t(out[0] << 8 | out[1]);
      default: return 0;
    }
  }
};

const Tables& tables() {
  static const std::unique_ptr<Tables> instance = std::make_unique<Tables>();
  return *instance;
}

}  // namespace

namespace gbk_detail {

void appendUtf16(std::string_view gbk, std::u16string& out) {
  const Tables& t = tables();
  out.reserve(out.size() + gbk.size());
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      out.push_back(char16_t(byte));
    } else if (byte == 0x80) {
      out.push_back(u'\u20AC');
    } else if (byte == 0xFF) {
      out.push_back(u'\uF8F5');
    } else if (i + 1 < gbk.size() && isGbkPair(byte, static_cast<unsigned char>(gbk[i + 1]))) {
      const auto trail = static_cast<unsigned char>(gbk[++i]);
      const char16_t unit = t.toUnicode[byte - 0x81][trail - 0x40];
      out.push_back(unit ? unit : kReplacement);
    } else {
      out.push_back(kReplacement);  // a lead byte alone: the next byte is read on its own
    }
  }
}

std::string toGbk(std::u16string_view utf16) {
  const Tables& t = tables();
  std::string out;
  out.reserve(utf16.size() * 2);
  for (char16_t unit : utf16) {
    const uint16_t code = t.toGbk[unit];
    if (code == 0 && unit != 0) {
      out.push_back('?');
    } else if (code > 0xFF) {
      out.push_back(char(code >> 8));
      out.push_back(char(code & 0xFF));
    } else {
      out.push_back(char(code));
    }
  }
  return out;
}

}  // namespace gbk_detail
}  // namespace tovalux
