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

// Only what a browser opens reaches the system's "open": a program path, a file or script
// address, or a text that could split into arguments would start something else.
TEST(SettingsRules, OnlyAWebAddressIsAFeedbackAddress) {
  for (const char* good :
       {"https://127.0.0.1/feedback", "HTTP://127.0.0.1", "https://127.0.0.1:8443/a?b=c#d", "https://127.0.0.1/反馈"})
    EXPECT_TRUE(isWebAddress(good)) << good;
  for (const char* bad :
       {"", "https://", "http:///path", "127.0.0.1", "file:///C:/Windows/notepad.exe", "C:\\Windows\\notepad.exe",
        "javascript:alert(1)", "https://127.0.0.1 b", "https://127.0.0.1\"b", "https://127.0.0.1\tb",
        "https://127.0.0.1\\b", "https://127.0.0.1<b>", " https://127.0.0.1", "ftp://127.0.0.1"})
    EXPECT_FALSE(isWebAddress(bad)) << bad;
}

}  // namespace
}  // namespace tovalux::setting_rules
