// The BlackMoon build inside the stand-in with its BlackMoon.fne (`blackmoon-load`): the command
// posted to the host, the result line watched in the host's output box, the routine at offset
// 0x16D0 called once with the path (journaled by the stand-in as "blackmoon-routine"), and the
// cases where it must not be called: no path in the line, another plug-in version, a plug-in gone
// by then, and an ordinary build the shell started after a BlackMoon build that never ended.
#include <string>
#include <vector>

#include "commands/blackmoon.h"
#include "commands/blackmoon_rules.h"
#include "commands/commands.h"
#include "commands/toolbar_table.h"
#include "commands_fixture.h"
#include "common/win32_support.h"
#include "debugging/debug_output.h"
#include "shell/toolbar_builder.h"

namespace tovalux::testing {
namespace {

constexpr int kBlackMoonButton = 17;
constexpr int kStaticCompileButton = 16;
constexpr char kDemoTarget[] = "C:\\EProjects\\demo_bm.exe";

class BlackMoon : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    buildCommands();
    setBlackMoonBuildPending(false);
  }
  void TearDown() override {
    setBlackMoonBuildPending(false);
    CommandsTest::TearDown();
  }
  void load(const std::string& version = "3.66") {
    act("blackmoon-load version=" + version + " from=\"" + winePath(TOVALUX_HOST_DIR) + "\"");
  }
  void press(int position) {
    XEle_SendEvent(toolBarElement(toolBar(0), position), XE_BNCLICK);
    settle();
  }
  std::vector<std::string> routineCalls(size_t since) {
    std::vector<std::string> paths;
    for (const standin::JournalEntry& e : fixture().entries("blackmoon-routine", since)) {
      paths.push_back(e.get("path").value_or("?"));
      EXPECT_EQ(e.get("second").value_or("?"), "0");
      EXPECT_EQ(e.get("thread").value_or("?"), "ui");
    }
    return paths;
  }
  std::string pane() { return editText(buildOutputEdit()); }
  void outputLine(const std::string& quotedText) { act("output-line " + quotedText); }
};

TEST_F(BlackMoon, TheStandInsRoutineSitsAtItsOffsetInCode) {
  load();
  const auto loaded = fixture().entries("blackmoon-loaded");
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].get("routine-offset").value_or("?"), "0x000016D0");
  HMODULE module = GetModuleHandleA(kBlackMoonModule);
  ASSERT_NE(module, nullptr);
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  EXPECT_TRUE(commands::rvaInExecutableSection(base, 0x1000, commands::kBlackMoonRoutineOffset));
  const uint8_t first = base[commands::kBlackMoonRoutineOffset];
  EXPECT_TRUE(first == 0xE9 || first == 0xEB) << "a jump to the recording body, not " << int(first);
}

TEST_F(BlackMoon, WithoutThePluginTheBoxAndNothingPosted) {
  const size_t before = journalSize();
  fixture().ui().answerMessageBox(IDOK);
  pick(707);
  const auto boxes = fixture().ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kBlackMoonMissingText);
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(commandsSent(before).empty());
  EXPECT_FALSE(blackMoonBuildPending());
}

TEST_F(BlackMoon, TheQuotedPathGoesToTheRoutineOnce) {
  load();
  const size_t before = journalSize();
  press(kBlackMoonButton);
  EXPECT_EQ(commandsSent(before), std::vector<uint32_t>{0x9001});
  ASSERT_EQ(fixture().count("blackmoon-build", both(fieldIs("loaded", 1), fieldIs("sent", 0)), before), 1u)
      << "posted to the host, run on its UI thread";
  EXPECT_EQ(routineCalls(before), std::vector<std::string>{kDemoTarget}) << pane();
  EXPECT_FALSE(blackMoonBuildPending());
  EXPECT_NE(pane().find(std::string("写出可执行文件\"") + kDemoTarget + "\"成功"), std::string::npos)
      << "the pane copied the line first";
  // The same line again without a new start passes nothing.
  outputLine(R"("黑月编译: 写出可执行文件\"C:\\EProjects\\demo_bm.exe\"成功")");
  settle();
  EXPECT_EQ(routineCalls(before).size(), 1u);
  // The menu starts it as well.
  pick(707);
  EXPECT_EQ(routineCalls(before).size(), 2u);
}

TEST_F(BlackMoon, AResultLineWithoutQuotesWritesTheFailureLine) {
  load();
  act("blackmoon-mode no-quotes");
  const size_t before = journalSize();
  press(kBlackMoonButton);
  EXPECT_TRUE(routineCalls(before).empty());
  EXPECT_FALSE(blackMoonBuildPending());
  EXPECT_NE(pane().find(std::string(commands::kBlackMoonNoPathLine) + "\r\n"), std::string::npos) << pane();
}

TEST_F(BlackMoon, AnotherVersionIsNotCalled) {
  load("3.70");
  const size_t before = journalSize();
  press(kBlackMoonButton);
  ASSERT_EQ(fixture().count("blackmoon-build", fieldIs("loaded", 1), before), 1u);
  EXPECT_TRUE(routineCalls(before).empty());
  EXPECT_FALSE(blackMoonBuildPending());
  EXPECT_NE(pane().find("黑月编译插件为V3.70,需要 V3.66"), std::string::npos) << pane();
  EXPECT_NE(pane().find(kDemoTarget), std::string::npos);
}

TEST_F(BlackMoon, AShellBuildAfterASilentStartHandsNothingToThePlugin) {
  load();
  act("blackmoon-mode silent");
  act("program-tree 3");  // a project: the build buttons are enabled
  syncToolBarState();
  const size_t before = journalSize();
  press(kBlackMoonButton);
  ASSERT_EQ(fixture().count("blackmoon-build", fieldIs("loaded", 1), before), 1u);
  EXPECT_TRUE(blackMoonBuildPending()) << "the plug-in wrote no result line";
  // 静态编译 from the tool bar: the host's own build writes the same form of result line.
  press(kStaticCompileButton);
  EXPECT_FALSE(blackMoonBuildPending());
  act("compile static");
  settle();
  EXPECT_NE(pane().find("写出可执行文件\""), std::string::npos) << pane();
  EXPECT_TRUE(routineCalls(before).empty());

  // The same from the menu bar.
  press(kBlackMoonButton);
  EXPECT_TRUE(blackMoonBuildPending());
  int staticCompileId = 0;
  for (int m = 0; m < 13 && staticCompileId == 0; ++m)
    for (const ShownItem& item : shownItems(m))
      if (item.label.rfind("静态编译(S)", 0) == 0) staticCompileId = item.id;
  ASSERT_NE(staticCompileId, 0);
  pick(staticCompileId);
  EXPECT_FALSE(blackMoonBuildPending());
  act("compile static");
  settle();
  EXPECT_TRUE(routineCalls(before).empty());

  // A result line no build start came before (the box was not emptied) ends a silent BlackMoon build.
  press(kBlackMoonButton);
  outputLine(R"("写出可执行文件\"C:\\EProjects\\other.exe\"成功")");
  settle();
  EXPECT_EQ(routineCalls(before), std::vector<std::string>{"C:\\EProjects\\other.exe"});
}

TEST_F(BlackMoon, ARoutineOffsetOutsideTheCodeIsNotCalled) {
  load("3.66-nocode");
  HMODULE module = GetModuleHandleA(kBlackMoonModule);
  ASSERT_NE(module, nullptr);
  EXPECT_FALSE(commands::rvaInExecutableSection(reinterpret_cast<const uint8_t*>(module), 0x1000,
                                                commands::kBlackMoonRoutineOffset));
  const size_t before = journalSize();
  press(kBlackMoonButton);
  EXPECT_TRUE(routineCalls(before).empty());
  EXPECT_FALSE(blackMoonBuildPending());
  EXPECT_NE(pane().find("黑月编译插件的处理程序不在其可执行代码中"), std::string::npos) << pane();
}

TEST_F(BlackMoon, APluginGoneBeforeTheResultIsNotCalled) {
  load();
  act("blackmoon-mode silent");
  const size_t before = journalSize();
  press(kBlackMoonButton);
  ASSERT_TRUE(blackMoonBuildPending());
  act("blackmoon-unload");
  outputLine(R"("写出可执行文件\"C:\\EProjects\\late.exe\"成功")");
  settle();
  EXPECT_TRUE(routineCalls(before).empty());
  EXPECT_FALSE(blackMoonBuildPending());
  EXPECT_NE(pane().find("黑月编译插件已不在"), std::string::npos) << pane();
}

}  // namespace
}  // namespace tovalux::testing
