#include "base/text.h"

#include <gtest/gtest.h>

#include <climits>

namespace tovalux {
namespace {

TEST(CAtoi, FollowsTheCLibrary) {
  EXPECT_EQ(cAtoi("12"), 12);
  EXPECT_EQ(cAtoi("  12px"), 12);
  EXPECT_EQ(cAtoi("\t\n+7"), 7);
  EXPECT_EQ(cAtoi("-3"), -3);
  EXPECT_EQ(cAtoi("abc"), 0);
  EXPECT_EQ(cAtoi(""), 0);
  EXPECT_EQ(cAtoi("- 3"), 0);
  EXPECT_EQ(cAtoi("0x10"), 0);
  EXPECT_EQ(cAtoi("１２"), 0);  // full-width digits are not digits
  EXPECT_EQ(cAtoi("99999999999999999999"), INT_MAX);
  EXPECT_EQ(cAtoi("-2147483648"), INT_MIN);
  EXPECT_EQ(cAtoi("-99999999999999999999"), INT_MIN);
  EXPECT_EQ(cAtoi("2147483647"), INT_MAX);
}

TEST(AsciiLower, LeavesTrailBytesAlone) {
  EXPECT_EQ(asciiLower("TRUE"), "true");
  EXPECT_EQ(asciiLower("FaSle"), "fasle");
  // "丄" is 0x81 0x41 in GBK: its trail byte is 'A' and must stay 'A'.
  const std::string upper = "丄";
  ASSERT_EQ(upper, "\x81\x41");
  EXPECT_EQ(asciiLower("ABC" + upper + "DEF"), "abc" + upper + "def");
  EXPECT_EQ(asciiLower("\x81"), "\x81");  // a lone lead byte at the end
}

TEST(Trim, BothEnds) {
  EXPECT_EQ(trim("  a b \r\n"), "a b");
  EXPECT_EQ(trim("\t\t"), "");
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim(" 测试 "), "测试");
}

TEST(Decimal, Signed) {
  EXPECT_EQ(decimal(0), "0");
  EXPECT_EQ(decimal(-12), "-12");
  EXPECT_EQ(decimal(4294967295LL), "4294967295");
}

TEST(ParentFolder, LastSeparatorOutsideDoubleByteCharacters) {
  EXPECT_EQ(parentFolder("C:\\E\\e.exe"), "C:\\E");
  EXPECT_EQ(parentFolder("Z:/build/host/ehost.exe"), "Z:/build/host");
  EXPECT_EQ(parentFolder("C:\\"), "C:");
  EXPECT_EQ(parentFolder("e.exe"), "e.exe");
  EXPECT_EQ(parentFolder(""), "");
  // "乗" is 81 5C in GBK: its trail byte is not a separator.
  EXPECT_EQ(parentFolder("C:\\乗\\乗.exe"), "C:\\乗");
  EXPECT_EQ(parentFolder("C:\\乗"), "C:");
}

}  // namespace
}  // namespace tovalux
