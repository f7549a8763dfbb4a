#include "commands/command_match.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace tovalux::commands {
namespace {

using Kind = MatchUnit::Kind;

// A name longer than this many units is cut before its markers are looked for (a hostile
// recent-file name); kMaxNameUnits cuts it again afterwards.
constexpr size_t kMaxRawUnits = 4 * kMaxNameUnits;
constexpr uint32_t kDoubleByteBit = 1u << 26;

bool isLead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
bool isTrail(uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
bool isAsciiAlnum(uint8_t b) { return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }
uint8_t lower(uint8_t b) { return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b - 'A' + 'a') : b; }

constexpr uint16_t code(uint8_t lead, uint8_t trail) { return static_cast<uint16_t>(lead << 8 | trail); }
constexpr uint16_t kIdeographicSpace = code(0xA1, 0xA1);
constexpr uint16_t kEllipsis = code(0xA1, 0xAD);       // …
constexpr uint16_t kWideOpen = code(0xA3, 0xA8);       // （
constexpr uint16_t kWideClose = code(0xA3, 0xA9);      // ）
constexpr uint16_t kWideAmpersand = code(0xA3, 0xA6);  // ＆

uint16_t codeOf(const MatchUnit& u) { return u.kind == Kind::kAscii ? u.lead : code(u.lead, u.trail); }

// The units of a GBK text, blanks, control characters and invalid bytes left out.
std::vector<MatchUnit> tokenize(std::string_view text, size_t cap, bool name) {
  std::vector<MatchUnit> units;
  units.reserve(std::min(text.size(), cap));
  for (size_t i = 0; i < text.size() && units.size() < cap;) {
    const auto b = static_cast<uint8_t>(text[i]);
    if (b < 0x80) {
      ++i;
      if (b <= ' ' || b == 0x7F) continue;  // blanks and control characters
      MatchUnit u;
      u.lead = lower(b);
      u.skippable = name && !isAsciiAlnum(b);
      units.push_back(u);
      continue;
    }
    if (!isLead(b) || i + 1 >= text.size() || !isTrail(static_cast<uint8_t>(text[i + 1]))) {
      ++i;  // 0x80, 0xFF, or a lead byte without its trail byte
      continue;
    }
    const auto trail = static_cast<uint8_t>(text[i + 1]);
    i += 2;
    if (code(b, trail) == kIdeographicSpace) continue;
    MatchUnit u;
    u.lead = b;
    u.trail = trail;
    u.readings = pinyinReadings(b, trail);
    u.kind = u.readings.count > 0 ? Kind::kHan : Kind::kOther;
    u.skippable = name && u.kind == Kind::kOther;
    units.push_back(u);
  }
  return units;
}

bool isOpen(const MatchUnit& u) { return codeOf(u) == '(' || codeOf(u) == kWideOpen; }
bool isClose(const MatchUnit& u) { return codeOf(u) == ')' || codeOf(u) == kWideClose; }
bool isAmpersand(const MatchUnit& u) { return codeOf(u) == '&' || codeOf(u) == kWideAmpersand; }
bool isAccessKey(const MatchUnit& u) { return u.kind == Kind::kAscii && isAsciiAlnum(u.lead); }

// Drops the menu markers: "(F)", "(&F)", "&", "..." and "…".
std::vector<MatchUnit> dropMarkers(const std::vector<MatchUnit>& in) {
  std::vector<MatchUnit> out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size();) {
    auto at = [&](size_t k) -> const MatchUnit* { return i + k < in.size() ? &in[i + k] : nullptr; };
    if (isOpen(in[i])) {
      const size_t amp = at(1) != nullptr && isAmpersand(*at(1)) ? 1 : 0;
      const MatchUnit* key = at(1 + amp);
      const MatchUnit* close = at(2 + amp);
      if (key != nullptr && isAccessKey(*key) && close != nullptr && isClose(*close)) {
        i += 3 + amp;
        continue;
      }
    }
    if (isAmpersand(in[i]) || codeOf(in[i]) == kEllipsis) {
      ++i;
      continue;
    }
    if (codeOf(in[i]) == '.' && at(1) != nullptr && codeOf(*at(1)) == '.' && at(2) != nullptr &&
        codeOf(*at(2)) == '.') {
      i += 3;
      continue;
    }
    out.push_back(in[i++]);
  }
  return out;
}

uint32_t letterBit(char c) { return c >= 'a' && c <= 'z' ? 1u << (c - 'a') : 0; }

uint32_t lettersOf(const std::vector<MatchUnit>& units, bool name) {
  uint32_t letters = 0;
  for (const MatchUnit& u : units) {
    if (u.kind == Kind::kAscii) {
      letters |= letterBit(static_cast<char>(u.lead));
      continue;
    }
    letters |= kDoubleByteBit;
    if (!name) continue;
    for (uint8_t r = 0; r < u.readings.count; ++r)
      for (char c : syllableText(u.readings.syllables[r])) letters |= letterBit(c) | (c == 'v' ? letterBit('u') : 0);
  }
  return letters;
}

uint64_t charactersOf(const std::vector<MatchUnit>& units) {
  uint64_t bits = 0;
  for (const MatchUnit& u : units)
    if (u.kind != Kind::kAscii) bits |= uint64_t{1} << (code(u.lead, u.trail) % 64);
  return bits;
}

// --- the match --------------------------------------------------------------------------
// A row of states per name unit and query position: which ways of having taken the query up to
// that position are possible, as a set of flag combinations (bit f for flags f).
constexpr uint8_t kNotLiteral = 1;  // some piece was pinyin
constexpr uint8_t kNotAtStart = 2;  // the first piece came after a name unit that was passed over
constexpr uint8_t kGap = 4;         // a name unit was passed over between two pieces

// kWith[x][set]: every combination of `set` with the flags x added.
constexpr auto kWith = [] {
  std::array<std::array<uint8_t, 256>, 8> table{};
  for (int x = 0; x < 8; ++x)
    for (int set = 0; set < 256; ++set)
      for (int f = 0; f < 8; ++f)
        if (set >> f & 1) table[x][set] |= static_cast<uint8_t>(1 << (f | x));
  return table;
}();

MatchTier tierOf(uint8_t flags, bool restSkippable) {
  if (flags & kGap) return MatchTier::kScattered;
  if (flags & kNotAtStart) return MatchTier::kSubstring;
  if (restSkippable) return MatchTier::kExact;
  return flags & kNotLiteral ? MatchTier::kStart : MatchTier::kPrefix;
}

MatchTier bestTier(uint8_t set, bool restSkippable) {
  MatchTier best = MatchTier::kNone;
  for (uint8_t f = 0; f < 8; ++f)
    if (set >> f & 1) best = std::max(best, tierOf(f, restSkippable));
  return best;
}

bool sameUnit(const MatchUnit& name, const MatchUnit& query) {
  return name.kind == Kind::kAscii ? query.kind == Kind::kAscii && query.lead == name.lead
                                   : query.kind != Kind::kAscii && query.lead == name.lead && query.trail == name.trail;
}

// A query letter against a reading's letter: "u" stands for "ü" (written v) as well.
bool letterMatches(uint8_t query, char reading) {
  return query == static_cast<uint8_t>(reading) || (query == 'u' && reading == 'v');
}

}  // namespace

PreparedText prepareName(std::string_view gbk) {
  PreparedText prepared;
  prepared.units = dropMarkers(tokenize(gbk, kMaxRawUnits, true));
  if (prepared.units.size() > kMaxNameUnits) prepared.units.resize(kMaxNameUnits);
  prepared.letters = lettersOf(prepared.units, true);
  prepared.characters = charactersOf(prepared.units);
  return prepared;
}

PreparedText prepareQuery(std::string_view gbk) {
  PreparedText prepared;
  prepared.units = tokenize(gbk, kMaxQueryUnits, false);
  prepared.letters = lettersOf(prepared.units, false);
  prepared.characters = charactersOf(prepared.units);
  return prepared;
}

MatchTier matchTier(const PreparedText& name, const PreparedText& query) {
  const size_t n = name.units.size();
  const size_t m = query.units.size();
  if (m == 0 || n == 0 || (query.letters & ~name.letters) != 0 || (query.characters & ~name.characters) != 0)
    return MatchTier::kNone;
  const size_t stride = m + 1;
  uint8_t states[(kMaxNameUnits + 1) * (kMaxQueryUnits + 1)];
  bool restSkippable[kMaxNameUnits + 1];
  std::memset(states, 0, (n + 1) * stride);
  restSkippable[n] = true;
  for (size_t i = n; i-- > 0;) restSkippable[i] = restSkippable[i + 1] && name.units[i].skippable;

  states[0] = 1;  // nothing taken, no flags
  MatchTier best = MatchTier::kNone;
  for (size_t i = 0; i <= n; ++i) {
    uint8_t* row = states + i * stride;
    uint8_t* next = row + stride;
    for (size_t p = 0; p <= m; ++p) {
      const uint8_t set = row[p];
      if (set == 0) continue;
      if (p == m) {
        best = std::max(best, bestTier(set, restSkippable[i]));
        if (best == MatchTier::kExact) return best;
        continue;
      }
      if (i == n) continue;
      const MatchUnit& unit = name.units[i];
      // Passing the unit over.
      next[p] |= unit.skippable ? set : kWith[p == 0 ? kNotAtStart : kGap][set];
      // Taking the unit as written.
      if (sameUnit(unit, query.units[p])) next[p + 1] |= set;
      // Taking a Chinese character by a prefix of one of its readings.
      if (unit.kind != Kind::kHan) continue;
      const uint8_t pinyin = kWith[kNotLiteral][set];
      for (uint8_t r = 0; r < unit.readings.count; ++r) {
        const std::string_view syllable = syllableText(unit.readings.syllables[r]);
        for (size_t k = 0; k < syllable.size() && p + k < m; ++k) {
          const MatchUnit& q = query.units[p + k];
          if (q.kind != Kind::kAscii || !letterMatches(q.lead, syllable[k])) break;
          next[p + k + 1] |= pinyin;
        }
      }
    }
  }
  return best;
}

std::string normalizedName(std::string_view gbk) {
  std::string text;
  for (const MatchUnit& u : prepareName(gbk).units) {
    text.push_back(static_cast<char>(u.lead));
    if (u.kind != Kind::kAscii) text.push_back(static_cast<char>(u.trail));
  }
  return text;
}

}  // namespace tovalux::commands
