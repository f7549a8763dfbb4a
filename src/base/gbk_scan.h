// Character-wise scans of GBK text. A GBK trail byte runs from 0x40 to 0xFE, so it can equal
// '\\' (0x5C), '|' (0x7C), '[' (0x5B), ']' (0x5D) or '~' (0x7E): a byte-wise search for those
// splits characters such as 乗 (81 5C) or 東 (96 7C). These walk from the start of the text,
// taking a lead byte and the trail byte after it as one character (isGbkPair, the converter's
// rule): a lead byte before anything else is a character of its own.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "base/gbk.h"  // isGbkPair, gbkSafeCut

namespace tovalux {

// Length in bytes of the character that starts at `offset` (1 or 2; 1 for a lead byte at the end
// or before a byte that is no trail byte). Inline: searches call it for every character.
inline size_t gbkCharLength(std::string_view text, size_t offset) {
  return offset + 1 < text.size() &&
                 isGbkPair(static_cast<unsigned char>(text[offset]), static_cast<unsigned char>(text[offset + 1]))
             ? 2
             : 1;
}

// Position of the first / last single-byte character equal to `c`; npos when there is none.
size_t gbkFind(std::string_view text, char c, size_t from = 0);
size_t gbkFindLast(std::string_view text, char c);
// Position of the first occurrence of `needle` that starts on a character boundary.
size_t gbkFindText(std::string_view text, std::string_view needle, size_t from = 0);

// As gbkFindText, with ASCII letters matching in either case; a double-byte character matches only
// itself (its trail byte may be a letter). `from` must be a character boundary.
size_t gbkFindTextIgnoringCase(std::string_view text, std::string_view needle, size_t from = 0);

bool gbkEndsWith(std::string_view text, char c);

// The pieces between single-byte separators `c` (empty pieces kept).
std::vector<std::string_view> gbkSplit(std::string_view text, char c);

// The text after the last '\\' (a file name from a path); the whole text when it has none.
std::string_view gbkFileName(std::string_view path);

}  // namespace tovalux
