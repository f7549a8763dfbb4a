// The linker selector and the BlackMoon build in ehost.exe, the plug-in loaded from lib\ as the
// host loads it, pressed with real clicks at window coordinates of the 1100 x 800 frame: the main
// tool bar's row is at y 72, the linker combo box at x 320, "黑月静态编译" at x 461.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/e2e_runner.h"
#include "common/win32_support.h"

namespace tovalux::testing {
namespace {

TEST(LinkerAndBlackMoon, PickedAndPressedInTheRunningIde) {
  removeSeededLinkers();
  EhostRun ide({.name = "e2e_linker"});
  ASSERT_TRUE(ide.start());
  ASSERT_TRUE(ide.waitForJournal("started"));
  ASSERT_TRUE(ide.send("project-open-sample"));
  ASSERT_TRUE(ide.send("project \"C:\\EProjects\\demo.e\" create=1"));  // the bar's buttons enabled
  // LinkerB is the only linker listed once the drop-down refills: its one item is the pick.
  ASSERT_TRUE(ide.send("linker-seed"));
  ASSERT_TRUE(ide.send("linker-remove LinkerA"));
  ASSERT_TRUE(ide.send("click 320 72"));
  EXPECT_TRUE(ide.screenshot("dropdown"));
  ASSERT_TRUE(ide.send("click 320 94"));
  EXPECT_NE(readWholeFile(hostFile("tools\\link.ini")).find("linker\\LinkerB\\bin\\link.exe"), std::string::npos)
      << readWholeFile(hostFile("tools\\link.ini"));
  EXPECT_TRUE(ide.screenshot("picked"));

  ASSERT_TRUE(ide.send("blackmoon-load"));
  ASSERT_TRUE(ide.send("click 461 72"));
  const auto routine = ide.waitForJournal("blackmoon-routine");
  ASSERT_TRUE(routine.has_value());
  EXPECT_EQ(routine->get("path").value_or("?"), "C:\\EProjects\\demo_bm.exe");
  EXPECT_EQ(ide.count("command", fieldIs("id", 0x9001)), 1u);

  EXPECT_TRUE(ide.send("close"));
  EXPECT_EQ(ide.waitForExit(), 0);
  EXPECT_EQ(ide.count("blackmoon-routine"), 1u);
  EXPECT_EQ(ide.count("dialog"), 0u) << "no box was needed";
  removeSeededLinkers();
}

}  // namespace
}  // namespace tovalux::testing
