// The pinyin readings of Chinese characters in GBK, from the table scripts/gen_pinyin.py
// generates out of Unicode's Unihan data (generated/pinyin_table.inc): toneless, lower case, ü
// written "v". A polyphonic character has every reading the modern dictionaries give it, the
// customary one first (长: zhang, chang). Portable; the table is constant data.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tovalux::commands {

inline constexpr size_t kMaxReadings = 4;  // the most any GBK character has (checked at compile time)

struct Readings {
  std::array<uint16_t, kMaxReadings> syllables{};  // indexes for syllableText
  uint8_t count = 0;
};

// The readings of the double-byte GBK character lead, trail; none for a code that is not a
// Chinese character (punctuation, letters of other scripts, unassigned or invalid codes).
Readings pinyinReadings(uint8_t lead, uint8_t trail);

// "bian" for the syllable index a Readings holds; empty for an index out of range.
std::string_view syllableText(uint16_t syllable);
size_t syllableCount();

}  // namespace tovalux::commands
