// The Windows converter against the digest the native one must also give.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/gbk_reference.h"

namespace tovalux {

TEST(GbkWin32, WholeRangeMatchesTheReference) {
  const uint64_t digest = testing::gbkConversionDigest();
  std::printf("gbk digest %016llx\n", static_cast<unsigned long long>(digest));
  EXPECT_EQ(digest, testing::kGbkReferenceDigest);
}

TEST(GbkWin32, ChineseRoundTrip) {
  const std::string text = "弹出菜单 : 3,7 微软雅黑";
  EXPECT_EQ(utf16ToGbk(gbkToUtf16(text)), text);
  EXPECT_EQ(gbkToUtf16("中"), u"中");
}

// The toolkit's and the W functions' wchar_t texts take the same conversion as char16_t ones.
TEST(GbkWin32, WideCharTextsConvertAsUtf16Does) {
  const std::string text = std::string("a\0\xD6\xD0\x81", 5) + "\"\x81\\\xFF";
  const std::u16string utf16 = gbkToUtf16(text);
  const std::wstring wide = gbkToUtf16<wchar_t>(text);
  EXPECT_EQ(wide, utf16Copy<wchar_t>(utf16));
  EXPECT_EQ(utf16ToGbk(wide), utf16ToGbk(utf16));
  EXPECT_EQ(gbkToUtf16<wchar_t>("plain ASCII 123"), L"plain ASCII 123");
  EXPECT_EQ(utf16SafeCut(std::wstring_view(L"a\xD83D\xDE00"), 2), 1u);
}

}  // namespace tovalux
