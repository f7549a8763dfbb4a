// The host hooks of the real Tovalux.fne inside ehost.exe: the host's own banner against ours,
// the tool bar's command, the module-list message, and hostile disassembly blocks sent from
// another process, after which the host still works and closes normally.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/e2e_runner.h"
#include "common/win32_support.h"

namespace tovalux::testing {
namespace {

TEST(HooksEndToEnd, TheHostsBannerIsItsOwnWithoutThePlugInAndOursWithIt) {
  EhostRun alone({.name = "e2e_hooks_alone", .plugins = false});
  ASSERT_TRUE(alone.start());
  ASSERT_TRUE(alone.waitForJournal("started"));
  ASSERT_TRUE(alone.send("bitmap-620"));
  auto banner = alone.waitForJournal("bitmap");
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->number("width"), 64);
  EXPECT_EQ(banner->number("height"), 32);
  ASSERT_TRUE(alone.send("close"));
  EXPECT_EQ(alone.waitForExit(), 0);

  EhostRun run({.name = "e2e_hooks"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  ASSERT_TRUE(run.send("bitmap-620 count=3"));
  banner = run.waitForJournal("bitmap");
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->number("width"), 500);
  EXPECT_EQ(banner->number("height"), 300);
  EXPECT_EQ(banner->number("distinct"), 3);
  EXPECT_EQ(banner->number("deleted"), 3);

  // The host shows its tool bar: its command is posted once.
  ASSERT_TRUE(run.send("toolbar show"));
  EXPECT_TRUE(run.waitForJournal("command", fieldIs("id", 0x80C3)));

  // A window outside the system asks for the module list to be read again.
  ASSERT_TRUE(run.send("notepad-open"));
  ASSERT_TRUE(run.send("send-main 9909 1 1"));
  const std::string main = std::to_string(reinterpret_cast<intptr_t>(run.mainWindow()));
  EXPECT_TRUE(run.waitForJournal("notepad", fieldIs("text", main + " 收到模块管理")));

  // Hostile blocks while nothing is debugged, from another process: answered, nothing breaks.
  for (const char* block : {"8 0", "8 3", "8 1073741824", "8 8 address=freed", "8 8 address=zero", "4 4"})
    EXPECT_EQ(sendDisassemblyBlock(run.mainWindow(), block), 0u) << block;
  ASSERT_TRUE(run.send("window-state after-blocks"));
  EXPECT_TRUE(run.waitForJournal("window-state", fieldIs("label", "after-blocks")));
  ASSERT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(), 0);
  EXPECT_EQ(run.count("notify", fieldIs("code", 6)), 1u);
}

}  // namespace
}  // namespace tovalux::testing
