// GBK (code page 936) <-> UTF-16: the one conversion of the system, and cutting either kind of
// text on a character boundary.
//
// Texts inside the system are GBK; the toolkit, the W functions and BSTRs take UTF-16. Both builds
// give the same results: on Windows through MultiByteToWideChar / WideCharToMultiByte (code page
// 936, no best-fit substitutions), natively through iconv plus the user-defined areas Windows maps
// to the private-use range. Invalid input never fails: a bad sequence becomes '?', as Windows
// does. Both builds pair bytes by isGbkPair below, whatever the platform's converter would do. A
// NUL is a character like any other: texts convert whole, never up to their first NUL.
//
// Any thread: the converters keep no state but the tables they build once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

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

// A unit type that holds UTF-16: char16_t, and wchar_t where it is two bytes (Windows, where the
// toolkit's XChar, the W functions and BSTRs use it).
template <class Unit>
concept Utf16Unit = std::is_same_v<Unit, char16_t> ||(std::is_same_v<Unit, wchar_t> && sizeof(wchar_t) == 2);

namespace gbk_detail {
// The platform's part (gbk_native.cpp, gbk_win32.cpp): appends the UTF-16 of `gbk` to `out`.
void appendUtf16(std::string_view gbk, std::u16string& out);
std::string toGbk(std::u16string_view utf16);
#ifdef _WIN32
void appendUtf16(std::string_view gbk, std::wstring& out);
std::string toGbk(std::wstring_view utf16);
#endif
}  // namespace gbk_detail

// GBK to UTF-16, in char16_t by default; gbkToUtf16<XChar>(...) gives the toolkit's text and
// gbkToUtf16<wchar_t>(...) what a W function takes. One unit per character, one character per
// byte or pair.
template <Utf16Unit Unit = char16_t>
std::basic_string<Unit> gbkToUtf16(std::string_view gbk) {
  std::basic_string<Unit> out;
  gbk_detail::appendUtf16(gbk, out);
  return out;
}

// UTF-16 (either unit type) to GBK; a character GBK lacks becomes '?'.
inline std::string utf16ToGbk(std::u16string_view utf16) { return gbk_detail::toGbk(utf16); }
#ifdef _WIN32
inline std::string utf16ToGbk(std::wstring_view utf16) { return gbk_detail::toGbk(utf16); }
#endif

// The same UTF-16 text with another unit type (char16_t <-> wchar_t on Windows): a copy, unit for
// unit, for the portable rules that take std::u16string_view and the toolkit that takes XChar.
template <Utf16Unit To, class Text>
requires Utf16Unit<typename Text::value_type> std::basic_string<To> utf16Copy(const Text& text) {
  return std::basic_string<To>(text.begin(), text.end());
}

// The length of the longest prefix of at most `maxBytes` bytes that does not end between a lead
// byte and its trail byte (isGbkPair's characters; a lead byte standing alone is one character).
size_t gbkSafeCut(std::string_view text, size_t maxBytes);

// The length of the longest prefix of at most `maxUnits` units that does not end between the two
// halves of a surrogate pair (a lone half is one character).
size_t utf16SafeCut(std::u16string_view text, size_t maxUnits);
#ifdef _WIN32
size_t utf16SafeCut(std::wstring_view text, size_t maxUnits);
#endif

}  // namespace tovalux
