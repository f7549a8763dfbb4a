#include "commands/pinyin.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace tovalux::commands {
namespace {

struct MoreReading {
  uint16_t code;
  uint16_t syllable;
};

#include "commands/generated/pinyin_table.inc"

constexpr uint16_t kHasMore = 0x8000;
constexpr int kTrailCount = 190;  // 0x40..0x7E and 0x80..0xFE

constexpr bool moreReadingsFit() {
  size_t run = 0;
  for (size_t i = 0; i < std::size(kMoreReadings); ++i) {
    run = i > 0 && kMoreReadings[i].code == kMoreReadings[i - 1].code ? run + 1 : 1;
    if (run + 1 > kMaxReadings) return false;
    if (i > 0 && kMoreReadings[i].code < kMoreReadings[i - 1].code) return false;  // searched by halves
  }
  return true;
}
static_assert(moreReadingsFit(), "kMaxReadings is below what the generated table holds");

// The code's index in kFirstReading; -1 for bytes that are no double-byte GBK code.
int codeIndex(uint8_t lead, uint8_t trail) {
  if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail == 0x7F || trail > 0xFE) return -1;
  return (lead - 0x81) * kTrailCount + (trail < 0x7F ? trail - 0x40 : trail - 0x41);
}

}  // namespace

Readings pinyinReadings(uint8_t lead, uint8_t trail) {
  Readings readings;
  const int index = codeIndex(lead, trail);
  if (index < 0) return readings;
  const uint16_t first = kFirstReading[index];
  if (first == 0) return readings;
  readings.syllables[readings.count++] = static_cast<uint16_t>((first & ~kHasMore) - 1);
  if ((first & kHasMore) == 0) return readings;
  const auto* begin = std::begin(kMoreReadings);
  const auto* end = std::end(kMoreReadings);
  const auto* at = std::lower_bound(begin, end, index, [](const MoreReading& r, int code) { return r.code < code; });
  for (; at != end && at->code == index && readings.count < kMaxReadings; ++at)
    readings.syllables[readings.count++] = at->syllable;
  return readings;
}

std::string_view syllableText(uint16_t syllable) {
  return syllable < std::size(kSyllables) ? kSyllables[syllable] : std::string_view();
}

size_t syllableCount() { return std::size(kSyllables); }

}  // namespace tovalux::commands
