#include "base/gbk.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/gbk_pua.h"
#include "common/gbk_reference.h"

namespace tovalux {
namespace {

TEST(Gbk, WholeRangeMatchesWindows) {
  // The same digest the Windows converter gives under Wine (tests/wine/base).
  EXPECT_EQ(testing::gbkConversionDigest(), testing::kGbkReferenceDigest);
}

TEST(Gbk, EveryGbkCharacterRoundTrips) {
  int characters = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string code{char(lead), char(trail)};
      const std::u16string wide = gbkToUtf16(code);
      ASSERT_EQ(wide.size(), 1u);
      if (wide[0] == u'?') continue;
      ++characters;
      EXPECT_EQ(utf16ToGbk(wide), code) << std::hex << lead << trail;
    }
  }
  // GBK's 21,886 characters plus the user-defined cells Windows maps to the private-use area.
  EXPECT_EQ(characters, 23940);
}

TEST(Gbk, PrivateUseCellsMapBothWays) {
  for (char16_t unit = gbk_pua::kFirst; unit <= gbk_pua::kLast; ++unit) {
    const uint16_t code = gbk_pua::toGbk(unit);
    ASSERT_NE(code, 0);
    EXPECT_EQ(gbk_pua::fromGbk(code >> 8, code & 0xFF), unit);
  }
}

TEST(Gbk, InvalidSequencesBecomeQuestionMarks) {
  EXPECT_EQ(gbkToUtf16("\x81"), u"?");                                           // lead byte at the end
  EXPECT_EQ(gbkToUtf16(std::string("\x81\0A", 3)), std::u16string(u"?\0A", 3));  // before a NUL
  EXPECT_EQ(gbkToUtf16("\x81\x30z"), u"?0z");  // no trail byte: the lead byte alone is '?', then '0'
  EXPECT_EQ(gbkToUtf16("\x80\xFF"), u"\u20AC\uF8F5");
  EXPECT_EQ(utf16ToGbk(u"\xD800\xDC00"), "??");  // no characters beyond the BMP
  EXPECT_EQ(utf16ToGbk(u"\u00B2"), "?");         // no best fit: '²' is not turned into '2'
}

TEST(Gbk, LoneLeadAndInvalidBytesTakeOneQuestionMarkEach) {
  // A lead byte before a byte that cannot end it: '?' for the lead, the next byte read alone.
  EXPECT_EQ(gbkToUtf16("\x81\x7F"), u"?\x7F");
  EXPECT_EQ(gbkToUtf16("\x81\xFF"), u"?\uF8F5");
  EXPECT_EQ(gbkToUtf16("\xD6\xD0\x81"), u"中?");      // a character, then a lead byte at the end
  EXPECT_EQ(gbkToUtf16("\x81\x81\x81"), u"\u4E96?");  // the second byte is a trail: one pair, one lone lead
  // What comes back from the lone bytes is text the converter reads the same way again.
  const std::string damaged = "a\x81\"b\x81";
  EXPECT_EQ(utf16ToGbk(gbkToUtf16(damaged)), "a?\"b?");
}

TEST(Gbk, EmbeddedNulsConvertLikeAnyCharacter) {
  const std::string text("a\0\xD6\xD0\0", 5);
  const std::u16string wide = gbkToUtf16(text);
  EXPECT_EQ(wide, std::u16string(u"a\0中\0", 4));
  EXPECT_EQ(utf16ToGbk(wide), text);
  EXPECT_EQ(utf16ToGbk(std::u16string(u"\0\0", 2)), std::string("\0\0", 2));
}

// Every cut of a text mixing ASCII, pairs whose trail byte is ASCII ('\\', '|'), pairs whose trail
// byte looks like a lead byte, single-byte specials and a private-use cell.
TEST(Gbk, AGbkCutAtAnyPositionKeepsWholeCharacters) {
  const std::string text =
      "a\x81\\\x96\x96"
      "b\x96|\x80\xAA\xA1\xD6\xD0"
      "z\xFF";
  const std::u16string whole = gbkToUtf16(text);
  ASSERT_EQ(whole.size(), 10u);
  ASSERT_EQ(whole.find(u'?'), std::u16string::npos);
  for (size_t limit = 0; limit <= text.size() + 1; ++limit) {
    SCOPED_TRACE(limit);
    const size_t cut = gbkSafeCut(text, limit);
    EXPECT_LE(cut, limit);
    EXPECT_GE(cut + 1, std::min(limit, text.size()));  // at most the lead byte of one pair goes
    const std::string prefix = text.substr(0, cut);
    const std::u16string converted = gbkToUtf16(prefix);
    EXPECT_EQ(converted, whole.substr(0, converted.size()));  // no '?' from a split pair
    EXPECT_EQ(utf16ToGbk(converted), prefix);
  }
  EXPECT_EQ(gbkSafeCut("", 0), 0u);
  EXPECT_EQ(gbkSafeCut("", 5), 0u);
  EXPECT_EQ(gbkSafeCut("\x81", 0), 0u);
  EXPECT_EQ(gbkSafeCut(std::string("\x81\0", 2), 1), 1u);  // a lead byte before a NUL stands alone
}

TEST(Gbk, AUtf16CutAtAnyPositionKeepsSurrogatePairsWhole) {
  const std::u16string text = u"a\U0001F600中\U0001F601\U0001F602b";
  for (size_t limit = 0; limit <= text.size() + 1; ++limit) {
    SCOPED_TRACE(limit);
    const size_t cut = utf16SafeCut(text, limit);
    EXPECT_LE(cut, limit);
    EXPECT_GE(cut + 1, std::min(limit, text.size()));
    if (cut > 0 && cut < text.size()) {
      const bool splits = text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF && text[cut] >= 0xDC00;
      EXPECT_FALSE(splits);
    }
  }
  // A lone half is a character of its own: cut after it as after any other unit.
  EXPECT_EQ(utf16SafeCut(u"a\xD800"
                         "b",
                         2),
            2u);
  EXPECT_EQ(utf16SafeCut(u"a\xDC00"
                         "b",
                         2),
            2u);
  EXPECT_EQ(utf16SafeCut(u"\xD83D\xDE00", 1), 0u);
  EXPECT_EQ(utf16SafeCut(u"", 3), 0u);
}

TEST(Gbk, UnitTypesCopyUnitForUnit) {
  const std::u16string text = u"中\0\U0001F600";
  EXPECT_EQ(utf16Copy<char16_t>(text), text);
  EXPECT_EQ(utf16Copy<char16_t>(std::u16string_view(text).substr(1)), text.substr(1));
}

TEST(Gbk, MixedText) {
  const std::string text = "易语言 IDE: C:\\temp\\新建.ec";
  const std::u16string wide = gbkToUtf16(text);
  EXPECT_EQ(wide, u"易语言 IDE: C:\\temp\\新建.ec");
  EXPECT_EQ(utf16ToGbk(wide), text);
  EXPECT_TRUE(gbkToUtf16("").empty());
  EXPECT_TRUE(utf16ToGbk(u"").empty());
}

}  // namespace
}  // namespace tovalux
