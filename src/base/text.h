// Small text helpers shared by every subsystem. All work on GBK bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovalux {

// The C library's atoi: leading blanks skipped, an optional sign, decimal digits as far as they
// go; text without a leading number gives 0. Out-of-range values saturate, as the Windows C
// runtime does, instead of overflowing.
int32_t cAtoi(std::string_view text);

// Lower-cases ASCII letters only. A double-byte GBK character is copied whole, so a trail byte
// that happens to equal 'A'..'Z' (0x41..0x5A) is never changed.
std::string asciiLower(std::string_view text);

// Drops spaces, tabs, carriage returns and line feeds at both ends. Safe on GBK: those bytes
// are never the trail byte of a double-byte character.
std::string_view trim(std::string_view text);

// Decimal text of a signed 64-bit value ("-12", "0").
std::string decimal(int64_t value);

// The path up to its last '\\' or '/', without it; the whole path when it has none. Walks
// characters, not bytes: '\\' (0x5C) can be the trail byte of a GBK character.
std::string_view parentFolder(std::string_view path);

// UTF-8 <-> UTF-16 (beyond the BMP as surrogate pairs); malformed sequences and lone
// surrogates become U+FFFD, never an error.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

}  // namespace tovalux
