// How a query typed into the command box matches a command's name. Both are GBK texts. A name
// is read as a row of units: ASCII letters and digits (compared without case), Chinese
// characters (matched by the character itself, or by a prefix of any of its pinyin readings:
// the initial "b", a part "bia", the syllable "bian"), and other characters (matched as they are).
// Menu markers are not part of a name: "(&F)", "(F)", "&", "..." and "…" are dropped, and so
// are blanks; other punctuation ("-" in "Windows-窗口程序") may be stepped over.
//
// A query matches when its units can be taken, in order, by units of the name, each unit taking
// one piece. How well it matches, best first:
//   exact        the query takes the whole name ("编译", "by" or "bianyi" for 编译(C))
//   prefix       the query spells the name's beginning as written ("编译" for 编译为易包(P))
//   start        the query takes the name's beginning, by pinyin ("jt" or "jt编" for 静态编译(S))
//   substring    the query takes units in a row elsewhere in the name ("yx" in 到现行执行位置(G)...)
//   scattered    the query takes units with gaps between them
// The reading of "ü" is written "v"; a "u" in the query matches it as well (lu finds 绿 and 路,
// nv and nu both find 女): a search box would rather show one command too many.
//
// Invalid GBK (a lone lead byte, 0x80, 0xFF) and control characters are skipped; a name beyond
// kMaxNameUnits units and a query beyond kMaxQueryUnits are cut there. Portable; no state.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "commands/pinyin.h"

namespace tovalux::commands {

inline constexpr size_t kMaxNameUnits = 64;
inline constexpr size_t kMaxQueryUnits = 48;

enum class MatchTier : uint8_t { kNone, kScattered, kSubstring, kStart, kPrefix, kExact };

struct MatchUnit {
  enum class Kind : uint8_t { kAscii, kHan, kOther };
  Kind kind = Kind::kAscii;
  uint8_t lead = 0;  // the ASCII byte (lower case), or the first GBK byte
  uint8_t trail = 0;
  bool skippable = false;  // punctuation of a name, which a contiguous match may step over
  Readings readings;       // kHan only
};

struct PreparedText {
  std::vector<MatchUnit> units;
  // Letters a query could need from this name: bit c - 'a' for every ASCII letter of it and
  // every letter of every reading of its characters; bit 26 when it holds a double-byte
  // character. A query needing a bit the name lacks cannot match (the quick test).
  uint32_t letters = 0;
  // One bit per double-byte character it holds (the code's bit c % 64): a query character can
  // only be taken by the same character, so a query bit the name lacks cannot match either.
  uint64_t characters = 0;
};

// A command name, markers dropped, blanks dropped, punctuation marked skippable.
PreparedText prepareName(std::string_view gbk);
// A query as typed: blanks and control characters dropped, nothing else.
PreparedText prepareQuery(std::string_view gbk);

// How well `query` matches `name`; kNone when it does not. An empty query matches nothing
// (the box lists every command for it without asking).
MatchTier matchTier(const PreparedText& name, const PreparedText& query);

// The name as the matcher reads it (markers and blanks gone, ASCII in lower case), for tests
// and for telling names apart: "关于tovalux" for "关于 Tovalux(A)".
std::string normalizedName(std::string_view gbk);

}  // namespace tovalux::commands
