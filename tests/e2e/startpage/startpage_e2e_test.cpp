// The start page with the real Tovalux.fne inside ehost.exe: the splash covered, the page's web
// view styled once with our script after its document completed, and the host closing normally
// with the watcher gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/e2e_runner.h"
#include "common/win32_support.h"
#include "hooks/host/start_page_script.h"

namespace tovalux::testing {
namespace {

TEST(StartPageEndToEnd, TheSplashIsCoveredAndThePageStyledOnceItHasLoaded) {
  EhostRun run({.name = "e2e_startpage"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));

  ASSERT_TRUE(run.send("splash"));
  const auto splash = run.waitForJournal("splash");
  ASSERT_TRUE(splash);
  HWND window = reinterpret_cast<HWND>(splash->number("hwnd"));
  RECT r{};
  ASSERT_TRUE(GetWindowRect(window, &r));
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.left, (screenWidth - 680) / 2);
  EXPECT_EQ(r.top, (screenHeight - 420) / 2);
  EXPECT_EQ(r.right - r.left, 680);
  EXPECT_EQ(r.bottom - r.top, 420);
  HWND centre = WindowFromPoint(POINT{screenWidth / 2, screenHeight / 2});
  EXPECT_EQ(GetParent(centre), window);
  EXPECT_TRUE(run.screenshot("splash"));

  ASSERT_TRUE(run.send("page-open 起始页"));
  ASSERT_TRUE(run.send("start-page web-view=later web-view-ms=300 ready-ms=600"));
  const auto script = run.waitForJournal("page-script", {}, 15000);
  ASSERT_TRUE(script);
  EXPECT_EQ(script->get("script"), startpage::startPageScript());
  EXPECT_EQ(script->get("language"), "JavaScript");
  EXPECT_EQ(script->get("state"), "complete");
  EXPECT_GE(run.count("page-request", fieldIs("state", "loading")), 1u);
  EXPECT_TRUE(run.screenshot("start-page"));

  ASSERT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(), 0);
  EXPECT_EQ(run.count("page-script"), 1u);
}

}  // namespace
}  // namespace tovalux::testing
