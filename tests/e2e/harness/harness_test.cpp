// The end-to-end harness in use: ehost.exe driven over its control channel and by scripts,
// with and without the plug-in.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "common/e2e_runner.h"

namespace tovalux::testing {
namespace {

TEST(EhostRun, StartsAndClosesWithExactlyOneNotification6) {
  EhostRun run({.name = "e2e_close"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  EXPECT_NE(run.mainWindow(), nullptr);
  EXPECT_TRUE(run.screenshot("started"));
  EXPECT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(), 0);
  EXPECT_EQ(run.count("notify", fieldIs("code", 6)), 1u);
  EXPECT_EQ(run.journal().back().kind, "exit");
}

// Pages, project and run state, a pop-up announced to the plug-in, a screenshot, the close.
const char kScenario[] =
    "notepad-open\n"
    "page-open \"程序集: 窗口程序集_启动窗口\"\n"
    "page-open \"窗口: _启动窗口\"\n"
    "page-activate \"程序集: 窗口程序集_启动窗口\"\n"
    "run-state running\n"
    "popup 3 7\n"
    "wait-journal popup-menu p1=3\n"
    "screenshot e2e_scenario-pages\n"
    "window-state end\n"
    "close\n";

// Milliseconds from start to exit; 0 when the run failed.
DWORD timedRun(EhostOptions options) {
  const DWORD start = GetTickCount();
  EhostRun run(std::move(options));
  if (!run.start() || run.waitForExit(60000) != 0) return 0;
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(run.count("script-done"), 1u);
  EXPECT_EQ(run.count("action-failed"), 0u);
  return elapsed;
}

TEST(EhostRun, AScriptRunsTheSameWithAndWithoutThePlugin) {
  EhostRun run({.name = "e2e_scenario", .script = kScenario});
  ASSERT_TRUE(run.start());
  ASSERT_EQ(run.waitForExit(60000), 0);
  EXPECT_EQ(run.count("script-done"), 1u);
  EXPECT_EQ(run.count("notepad", fieldIs("text", "弹出菜单 : 3,7")), 1u);  // the plug-in's log line
  EXPECT_EQ(run.count("screenshot", fieldIs("saved", 1)), 1u);
  EXPECT_EQ(run.count("page-created"), 2u);

  // Figures, not assertions: the same script, twice each way, timed from start to exit.
  const DWORD with = timedRun({.name = "e2e_timed_with", .script = kScenario}) +
                     timedRun({.name = "e2e_timed_with", .script = kScenario});
  const DWORD without = timedRun({.name = "e2e_timed_without", .plugins = false, .script = kScenario}) +
                        timedRun({.name = "e2e_timed_without", .plugins = false, .script = kScenario});
  ASSERT_GT(with, 0u);
  ASSERT_GT(without, 0u);
  std::printf("scenario run: with the plug-in %lu ms, without %lu ms, ratio %.2f\n", with / 2, without / 2,
              static_cast<double>(with) / without);
}

TEST(EhostRun, AFailingScriptClosesTheHostWithCode3) {
  EhostRun run({.name = "e2e_failing", .script = "mark begin\nwait-journal never-recorded timeout=50\nmark end\n"});
  ASSERT_TRUE(run.start());
  EXPECT_EQ(run.waitForExit(), 3);
  const auto failed = run.waitForJournal("script-failed");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->number("line"), 2);
  EXPECT_EQ(run.count("mark", fieldIs("text", "end")), 0u);
  EXPECT_EQ(run.count("notify", fieldIs("code", 6)), 1u);  // still closed the normal way
}

TEST(EhostRun, TheControlChannelAnswersWhetherTheActionRan) {
  EhostRun run({.name = "e2e_channel", .plugins = false});
  ASSERT_TRUE(run.start());
  EXPECT_TRUE(run.send("mark hello"));
  EXPECT_FALSE(run.send("no-such-action"));
  EXPECT_FALSE(run.send("notify not-a-number"));
  EXPECT_TRUE(run.waitForJournal("mark", fieldIs("text", "hello")));
  EXPECT_EQ(run.count("action-failed"), 2u);
  EXPECT_EQ(run.count("library"), 0u);  // --no-plugins
  EXPECT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(), 0);
}

}  // namespace
}  // namespace tovalux::testing
