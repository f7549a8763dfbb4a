// The Windows converter against the digest the native one must also give.
#include <gtest/gtest.h>

#include <cstdio>

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

}  // namespace tovalux
