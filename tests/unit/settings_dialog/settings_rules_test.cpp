// The settings file's numbers: a hand-edited value outside what the shell can draw with reads as
// the key's default, so no sum the shell forms with it can overflow.
#include <gtest/gtest.h>

#include <climits>

#include "settings/settings_rules.h"

namespace tovalux::setting_rules {
namespace {

TEST(SettingNumbers, OutOfRangeValuesReadAsTheDefault) {
  EXPECT_EQ(numberInRange("2147483647", kMenuButtonWidthRange), 58);
  EXPECT_EQ(numberInRange("99999999999999999999", kMenuButtonWidthRange), 58);  // saturates, then out
  EXPECT_EQ(numberInRange("-5", kMenuButtonWidthRange), 58);
  EXPECT_EQ(numberInRange("0", kFontSizeRange), 9);
  EXPECT_EQ(numberInRange("100000", kFontSizeRange), 9);
  EXPECT_EQ(numberInRange("", kFontSizeRange), 9);
  EXPECT_EQ(numberInRange("abc", kWindowWidthRange), 1100);
  EXPECT_EQ(numberInRange("40000", kWindowHeightRange), 800);
  // Inside the range the text's number, read as atoi reads it.
  EXPECT_EQ(numberInRange(" 12px", kFontSizeRange), 12);
  EXPECT_EQ(numberInRange("400", kMenuButtonWidthRange), 400);
  EXPECT_EQ(numberInRange("1", kMenuButtonWidthRange), 1);
  EXPECT_EQ(numberInRange("32767", kWindowWidthRange), 32767);
  // Every range leaves room for what the shell adds or doubles.
  for (const NumberRange range : {kFontSizeRange, kMenuButtonWidthRange, kWindowWidthRange, kWindowHeightRange}) {
    EXPECT_TRUE(inRange(range.fallback, range));
    EXPECT_LT(int64_t(range.maximum) * 2, int64_t(INT_MAX));
  }
}

}  // namespace
}  // namespace tovalux::setting_rules
