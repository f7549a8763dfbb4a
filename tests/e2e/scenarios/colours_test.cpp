// The host's own painting re-coloured, as the host sees it in ehost.exe with the real plug-in:
// the code view's colours, the task-comment lines, the code tip and the system colours it asks
// for, and all of it back to the host's own once the plug-in is shut down.
#include <windows.h>

#include <string>

#include "common/win32_support.h"
#include "scenario.h"

namespace tovalux::scenarios {
namespace {

using testing::fieldIs;

TEST(Colours, TheHostsPaintingIsDarkTaskCommentsMarkedAndTipsReColouredUntilShutDown) {
  const std::string ini = testing::winePath(TOVALUX_HOST_DIR "/lib/Tovalux/Tovalux.ini");
  DeleteFileA(ini.c_str());
  ASSERT_TRUE(WritePrivateProfileStringA("Theme", "CodeTip", "true", ini.c_str()));
  Session s("e2e_colours");
  ASSERT_TRUE(s.start());
  ASSERT_TRUE(s.act("start-page-close"));
  ASSERT_TRUE(s.act("project-open-sample"));
  ASSERT_TRUE(s.act("page-open \"程序集: 窗口程序集_启动窗口\" maximized=1"));

  size_t mark = s.mark();
  ASSERT_TRUE(s.act("paint-code"));
  auto painted = [&](const char* step) {
    for (const JournalEntry& e : s.entries("paint", mark))
      if (e.get("step") == step) return e;
    return JournalEntry{};
  };
  EXPECT_EQ(painted("bk-code").number("bk", 0), 0x262525);
  EXPECT_EQ(painted("text-blue").number("text", 0), 0xB0C94E);
  EXPECT_EQ(painted("text-grey").number("text", 0), 0x7F7F7F);
  // A task comment's line is marked; a text too short for the marker or drawn with no count is not.
  EXPECT_EQ(painted("todo").number("bk", 0), 0x65472D);
  EXPECT_EQ(painted("todo").number("text", 0), 0xC563BD);
  EXPECT_EQ(painted("nine-bytes").number("bk", 0), 0x111111);
  EXPECT_EQ(painted("count-zero").number("bk", 0), 0x111111);

  mark = s.mark();
  ASSERT_TRUE(s.act("tip-show"));
  const auto tip = s.waitFor("tip-paint", {}, 5000, mark);
  ASSERT_TRUE(tip);
  EXPECT_EQ(tip->number("text-after-black", 0), 0xC8C8C8);
  EXPECT_EQ(tip->number("text-after-red", 0), 0x0014E4);
  EXPECT_EQ(tip->number("bk", 0), 0x454242);
  EXPECT_EQ(tip->number("sys24", 0), 0x454242);
  EXPECT_EQ(tip->number("sys6", 0), 0x302D2D);
  EXPECT_EQ(tip->number("sys5", 0), static_cast<int64_t>(GetSysColor(COLOR_WINDOW))) << "the system's own";
  ASSERT_TRUE(s.act("tip-close"));

  // Notification 6: the host paints in its own colours again.
  ASSERT_TRUE(s.act("notify 6"));
  mark = s.mark();
  ASSERT_TRUE(s.act("paint-code"));
  EXPECT_EQ(painted("bk-code").number("bk", 0), 0xFFF1EB);
  EXPECT_EQ(painted("text-blue").number("text", 0), 0xFF0000);
  EXPECT_EQ(painted("todo").number("bk", 0), 0x111111);
  ASSERT_TRUE(s.act("close"));
  EXPECT_EQ(s.run().waitForExit(60000), 0);
  DeleteFileA(ini.c_str());
}

}  // namespace
}  // namespace tovalux::scenarios
