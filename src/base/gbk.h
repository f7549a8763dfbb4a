// GBK (code page 936) <-> UTF-16 conversion.
//
// Texts inside the system are GBK; the toolkit takes UTF-16. Both builds give the same results:
// on Windows through MultiByteToWideChar / WideCharToMultiByte (code page 936, no best-fit
// substitutions), natively through iconv plus the user-defined areas Windows maps to the
// private-use range. Invalid input never fails: a bad sequence becomes '?', as Windows does.
#pragma once

#include <string>
#include <string_view>

namespace tovalux {

// True for a byte that starts a two-byte GBK character (0x81..0xFE).
constexpr bool isGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::u16string gbkToUtf16(std::string_view gbk);
std::string utf16ToGbk(std::u16string_view utf16);

}  // namespace tovalux
