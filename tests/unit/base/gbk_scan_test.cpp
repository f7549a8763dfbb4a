// Scans of GBK text must never match a trail byte: 乗 is 81 5C ('\\'), 東 96 7C ('|'),
// 億 83 7C, and '[' ']' '~' occur as trail bytes too.
#include <gtest/gtest.h>

#include "base/gbk_scan.h"

#include "base/gbk.h"

namespace tovalux {
namespace {

const std::string kJou = "\x81\x5C";      // 乗
const std::string kTou = "\x96\x7C";      // 東
const std::string kBracket = "\x81\x5B";  // a character whose trail byte is '['

TEST(GbkScan, SeparatorsInsideCharactersAreNotFound) {
  const std::string path = "C:\\" + kJou + "\\a" + kTou + ".e";
  EXPECT_EQ(gbkFind(path, '\\'), 2u);
  EXPECT_EQ(gbkFindLast(path, '\\'), 5u);
  EXPECT_EQ(gbkFileName(path), "a" + kTou + ".e");
  EXPECT_EQ(gbkFind(kTou + kBracket, '|'), std::string::npos);
  EXPECT_EQ(gbkFind(kTou + kBracket, '['), std::string::npos);
  EXPECT_EQ(gbkFindLast(kJou, '\\'), std::string::npos);
  EXPECT_EQ(gbkFileName(kJou), kJou);  // no backslash of its own
  EXPECT_FALSE(gbkEndsWith("dir" + kJou, '\\'));
  EXPECT_TRUE(gbkEndsWith("dir" + kJou + "\\", '\\'));
  EXPECT_EQ(gbkFind("a|b", '|', 2), std::string::npos);
}

TEST(GbkScan, SplitKeepsCharactersWholeAndEmptyPieces) {
  const std::string text = kTou + "|" + kTou + "||x";
  const auto pieces = gbkSplit(text, '|');
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0], kTou);
  EXPECT_EQ(pieces[1], kTou);
  EXPECT_EQ(pieces[2], "");
  EXPECT_EQ(pieces[3], "x");
  EXPECT_EQ(gbkSplit("", '|').size(), 1u);
}

TEST(GbkScan, FindTextStartsOnCharacterBoundaries) {
  // "\x5C\x96" occurs across the boundary of 乗 and 東: not a match.
  const std::string text = kJou + kTou;
  EXPECT_EQ(gbkFindText(text, "\x5C\x96"), std::string::npos);
  EXPECT_EQ(gbkFindText(text, kTou), 2u);
  EXPECT_EQ(gbkFindText("abc", ""), 0u);
}

TEST(GbkScan, SafeCutNeverSplitsACharacter) {
  const std::string text = "ab" + kJou + kTou;  // 6 bytes
  EXPECT_EQ(gbkSafeCut(text, 3), 2u);
  EXPECT_EQ(gbkSafeCut(text, 4), 4u);
  EXPECT_EQ(gbkSafeCut(text, 5), 4u);
  EXPECT_EQ(gbkSafeCut(text, 100), 6u);
  // A trail byte that looks like a lead byte (0x81..0xFE) must not shift the scan: 0x96 0x96
  // is one character, so a cut at 3 of "\x96\x96\x96\x96" keeps 2.
  EXPECT_EQ(gbkSafeCut("\x96\x96\x96\x96", 3), 2u);
  // A lone lead byte at the end counts as one byte.
  EXPECT_EQ(gbkSafeCut("a\x81", 2), 2u);
}

// One pairing rule for the scans and the converter: a lead byte pairs only with a trail byte
// (0x40..0xFE without 0x7F), so a stray lead byte never hides the quote, separator or NUL after it.
TEST(GbkScan, ALeadByteBeforeANonTrailByteStandsAloneAsTheConverterReadsIt) {
  for (const char follower : {'"', ',', '\0', '0', '\x7F', '\t'}) {
    const std::string text = std::string("a\x81") + follower + "b";
    SCOPED_TRACE(static_cast<int>(follower));
    EXPECT_EQ(gbkCharLength(text, 1), 1u);
    EXPECT_EQ(gbkFind(text, follower), 2u);
    EXPECT_EQ(gbkSafeCut(text, 2), 2u);
    EXPECT_EQ(gbkToUtf16(text).size(), 4u);  // a, '?', the follower, b: four characters each way
    EXPECT_EQ(gbkToUtf16(text)[1], u'?');
  }
  // Trail bytes that are ASCII ('\\', '|', '@') still pair.
  for (const char trail : {'\\', '|', '@', '~'}) {
    const std::string text = std::string("\x81") + trail;
    EXPECT_EQ(gbkCharLength(text, 0), 2u);
    EXPECT_EQ(gbkToUtf16(text).size(), 1u);
  }
}

}  // namespace
}  // namespace tovalux
