// Router row 6: the host's code-completion pop-up restyled when it is handed its image lists.
// Also built as wine_hooks_host_win10, where the pop-up becomes layered.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/os_info.h"
#include "hooks_test.h"
#include "shell/shell.h"

namespace tovalux::testing {
namespace {

TEST_F(HooksTest, TheCompletionListIsRestyledWithoutItsStrip) {
  ASSERT_TRUE(action("complete-show images=2").ok);
  const auto shown = lastEntry("completion");
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->number("list-x"), 0);
  EXPECT_EQ(shown->number("list-y"), 0);
  EXPECT_EQ(shown->number("list-width"), 501);
  EXPECT_EQ(shown->number("list-height"), 221);
  EXPECT_EQ(shown->number("popup-width"), 501);
  EXPECT_EQ(shown->number("popup-height"), 221);
  EXPECT_EQ(shown->number("popup-children"), 1);
  EXPECT_EQ(shown->number("drop-shadow"), 1);
  EXPECT_EQ(shown->number("list-bk"), 0x262525);
  EXPECT_EQ(shown->number("list-text"), 0xF0F0F0);
  EXPECT_EQ(hostHookCounters().completionStrips, 0u);
}

TEST_F(HooksTest, WithCodeTreeOneStripPerPopupHoweverOftenTheImageListsCome) {
  start({.codeTip = true, .codeTree = true, .gridFont = 1});
#ifdef TOVALUX_WINDOWS10_PREFIX
  ASSERT_TRUE(isWindows10());
#endif
  ASSERT_TRUE(action("complete-show images=2").ok);
  auto shown = lastEntry("completion");
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->number("list-width"), 501 + GetSystemMetrics(SM_CXVSCROLL) + 4);
  EXPECT_EQ(shown->number("list-height"), 191);
  EXPECT_EQ(shown->number("popup-width"), 501);
  EXPECT_EQ(shown->number("popup-height"), 221);
  EXPECT_EQ(shown->number("popup-children"), 2);
  EXPECT_EQ(shown->number("popup-layered"), isWindows10() ? 1 : 0);
  ASSERT_TRUE(action("complete-show images=1").ok);  // the host reuses the pop-up
  EXPECT_EQ(lastEntry("completion")->number("popup-children"), 2);
  EXPECT_EQ(lastEntry("completion")->number("popup-layered"), isWindows10() ? 1 : 0);
  EXPECT_EQ(hostHookCounters().completionStrips, 1u);
  ASSERT_TRUE(action("complete-close").ok);
  ASSERT_TRUE(action("complete-show images=2").ok);  // a new pop-up gets a strip of its own
  EXPECT_EQ(lastEntry("completion")->number("popup-children"), 2);
  EXPECT_EQ(hostHookCounters().completionStrips, 2u);
}

}  // namespace
}  // namespace tovalux::testing
