#include "base/gbk.h"

#include <gtest/gtest.h>

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
