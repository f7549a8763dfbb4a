// GBK (code page 936) <-> UTF-16 conversion.
//
// Texts inside the system are GBK; the toolkit takes UTF-16. Both builds give the same results:
// on Windows through MultiByteToWideChar / WideCharToMultiByte (code page 936, no best-fit
// substitutions), natively through iconv plus the user-defined areas Windows maps to the
// private-use range. Invalid input never fails: a bad sequence becomes '?', as Windows does.
// Both builds pair bytes by isGbkPair below, whatever the platform's converter would do.
#pragma once

#include <string>
#include <string_view>

namespace tovalux {

// True for a byte that starts a two-byte GBK character (0x81..0xFE).
constexpr bool isGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
// True for a byte that can end one (0x40..0xFE without 0x7F).
constexpr bool isGbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// The one pairing rule of the system, shared by the converters, the scans (gbk_scan.h) and the
// JSON reader: a lead byte and a trail byte after it are one character; a lead byte before any
// other byte (a quote, a NUL, the end) stands alone and converts to '?', and the byte after it is
// read on its own. A damaged name therefore never swallows the quote or separator after it.
constexpr bool isGbkPair(unsigned char lead, unsigned char trail) {
  return isGbkLeadByte(lead) && isGbkTrailByte(trail);
}

std::u16string gbkToUtf16(std::string_view gbk);
std::string utf16ToGbk(std::u16string_view utf16);

}  // namespace tovalux
