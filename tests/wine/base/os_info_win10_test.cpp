// The same program as the shell's Windows 10 checks see it: run in the Windows 10 prefix.
#include <gtest/gtest.h>

#include "base/os_info.h"

namespace tovalux {
namespace {

TEST(OsInfoWindows10, TheWmiCaptionNamesWindows10) {
  EXPECT_NE(osCaption().find("Windows 10"), std::string::npos) << osCaption();
  EXPECT_TRUE(isWindows10());
  EXPECT_EQ(wmiConnectCount(), 1);
}

}  // namespace
}  // namespace tovalux
