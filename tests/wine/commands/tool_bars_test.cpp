// The tool bars inside the stand-in: the elements at every position (13 a combo box before and
// after the linker selector takes it), the state table cell by cell, redraws only on change,
// the designer bar, and clicks reaching the host with the button's name in the Notepad log.
#include <string>
#include <vector>

#include "commands/blackmoon.h"
#include "commands/commands.h"
#include "shell/host_mirrors.h"
#include "shell/toolbar_builder.h"
#include "commands/toolbar_table.h"
#include "commands_fixture.h"
#include "common/win32_support.h"
#include "shell/run_state.h"
#include "shell/part.h"
#include "shell/shell.h"

namespace tovalux::testing {
namespace {

DWORD WINAPI requestSyncs(void*) {
  for (int i = 0; i < 100; ++i) requestToolBarSync();
  return 0;
}

enum Column { kNoProject, kProject, kRunning, kPaused, kNoMarker };

class ToolBars : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    buildCommands();
  }
  void enter(Column c) {
    act(c != kNoProject ? "program-tree 3" : "program-tree 0");
    setDebugging(c == kRunning || c == kPaused || c == kNoMarker);
    const std::string path = "C:\\EProjects\\demo.e";
    setCaption(c == kNoProject ? "易语言"
               : c == kRunning ? "易语言 - " + path + " - [正在运行]"
               : c == kPaused  ? "易语言 - " + path + " - [运行暂停]"
                               : "易语言 - " + path);
  }
  HELE at(int bar, int position) { return toolBarElement(toolBar(bar), position); }
  std::string enabledRow() {
    std::string row;
    for (int i = 0; i < XToolBar_GetEleCount(toolBar(0)); ++i) row += XEle_IsEnable(at(0, i)) ? '1' : '0';
    return row;
  }
};

TEST_F(ToolBars, EveryPositionHoldsItsElement) {
  ASSERT_EQ(XToolBar_GetEleCount(toolBar(0)), commands::kMainToolBarCount);
  ASSERT_EQ(XToolBar_GetEleCount(toolBar(1)), commands::kDesignerToolBarCount);
  std::vector<commands::ToolButton> main(commands::mainToolBarFirstGroup().begin(),
                                         commands::mainToolBarFirstGroup().end());
  main.push_back({"", ""});  // position 13
  main.insert(main.end(), commands::mainToolBarSecondGroup().begin(), commands::mainToolBarSecondGroup().end());
  for (int i = 0; i < commands::kMainToolBarCount; ++i) {
    HELE e = at(0, i);
    if (i == commands::kLinkerPosition) {
      EXPECT_TRUE(XC_IsHXCGUI(e, XC_COMBOBOX));
      EXPECT_EQ(toolBarSlot13(), e);
    } else if (main[i].tooltip == commands::kToolSeparator) {
      EXPECT_FALSE(XC_IsHXCGUI(e, XC_BUTTON)) << i;
      EXPECT_EQ(XEle_GetWidth(e), 2) << i;
    } else {
      EXPECT_TRUE(XC_IsHXCGUI(e, XC_BUTTON)) << i;
      EXPECT_EQ(XC_wtoa(XEle_GetToolTip(e).c_str()), main[i].tooltip) << i;
    }
  }
  const auto designer = commands::designerToolBar();
  for (int i = 0; i < commands::kDesignerToolBarCount; ++i)
    EXPECT_EQ(XC_IsHXCGUI(at(1, i), XC_BUTTON), designer[i].tooltip != commands::kToolSeparator) << i;
  // Built in the host's state: no project, no page.
  EXPECT_TRUE(XEle_IsEnable(at(0, 4)));
  EXPECT_FALSE(XEle_IsEnable(at(0, 21)));
  EXPECT_FALSE(XEle_IsEnable(at(1, 0)));
}

TEST_F(ToolBars, EveryCellOfTheStateTable) {
  // One character per position 0..40: '1' enabled, '0' disabled, '-' a separator (left alone).
  const char* expected[] = {
      "00-110-00000-0-000-0-0000000000-0-0000-01",  // no project
      "11-111-11111-1-111-1-1011010000-1-1111-11",  // project
      "11-111-01000-1-000-1-0111010000-1-1111-01",  // running
      "11-111-01000-1-000-1-1111111111-1-1111-01",  // paused
      "11-111-01000-1-000-1-0111111111-1-1111-01",  // debugging, neither marker
  };
  for (int c = kNoProject; c <= kNoMarker; ++c) {
    enter(static_cast<Column>(c));
    syncToolBarState();
    const std::string row = enabledRow();
    for (int i = 0; i < 41; ++i) {
      if (expected[c][i] == '-') continue;
      EXPECT_EQ(row[i], expected[c][i]) << "position " << i << " in column " << c << ": " << row;
    }
  }
}

TEST_F(ToolBars, RedrawsOnlyWhenAStateChanged) {
  enter(kProject);
  syncToolBarState();
  const int first = toolBarRedrawCount();
  for (int i = 0; i < 50; ++i) syncToolBarState();
  EXPECT_EQ(toolBarRedrawCount(), first) << "nothing changed";
  enter(kRunning);
  syncToolBarState();
  EXPECT_EQ(toolBarRedrawCount(), first + 1);
  enter(kRunning);
  syncToolBarState();
  EXPECT_EQ(toolBarRedrawCount(), first + 1);
  // The combo box's text: bright with a project, dim without.
  enter(kNoProject);
  syncToolBarState();
  EXPECT_EQ(toolBarRedrawCount(), first + 2);
  EXPECT_FALSE(XEle_IsEnable(toolBarSlot13()));

  // Requests from another thread coalesce into one sync on the UI thread. The host's own 0x362
  // would apply the new state at once: the state changes here with that path unplugged.
  editPeersForTests([](Peers& peers) { peers.syncToolBarState = nullptr; });
  enter(kProject);
  settle();
  editPeersForTests([](Peers& peers) { peers.syncToolBarState = &syncToolBarState; });
  const int before = toolBarRedrawCount();
  HANDLE thread = CreateThread(nullptr, 0, &requestSyncs, nullptr, 0, nullptr);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  ASSERT_TRUE(fixture().pumpUntil([&] { return toolBarRedrawCount() > before; }));
  settle();
  EXPECT_EQ(toolBarRedrawCount(), before + 1);
  EXPECT_TRUE(XEle_IsEnable(at(0, 15)));
}

TEST_F(ToolBars, DesignerBarFollowsThePageAndTheRun) {
  auto allEnabled = [&](bool on) {
    for (int i = 0; i < commands::kDesignerToolBarCount; ++i)
      if (XC_IsHXCGUI(at(1, i), XC_BUTTON) && XEle_IsEnable(at(1, i)) != on) return false;
    return true;
  };
  syncDesignerToolBar(true);
  EXPECT_TRUE(allEnabled(true));
  setDebugging(true);
  syncDesignerToolBar(true);
  EXPECT_TRUE(allEnabled(false));
  setDebugging(false);
  syncDesignerToolBar(false);
  EXPECT_TRUE(allEnabled(false));
}

TEST_F(ToolBars, Position13TakesTheLinkerSelector) {
  HELE placeholder = toolBarSlot13();
  HELE linker = XComboBox_Create(0, 0, 160, 22, toolBar(0));
  ASSERT_TRUE(replaceToolBarPosition13(linker));
  EXPECT_FALSE(XC_IsHELE(placeholder)) << "the placeholder is gone";
  EXPECT_EQ(toolBarSlot13(), linker);
  EXPECT_TRUE(XC_IsHXCGUI(at(0, 13), XC_COMBOBOX));
  EXPECT_EQ(XToolBar_GetEleCount(toolBar(0)), 41);
  EXPECT_EQ(XC_wtoa(XEle_GetToolTip(at(0, 14 + 1)).c_str()), "编译(F7)") << "later positions stay";
  EXPECT_FALSE(XEle_IsEnable(linker)) << "the run state applies to the new element";
  enter(kProject);
  syncToolBarState();
  EXPECT_TRUE(XEle_IsEnable(linker));
  EXPECT_FALSE(replaceToolBarPosition13(0));
}

TEST_F(ToolBars, ClicksReachTheHostAndTheLogOncePerPress) {
  act("notepad-open");
  enter(kProject);
  syncToolBarState();
  struct Press {
    int bar, position;
    uint32_t function;
    const char* name;
  };
  const Press presses[] = {
      {0, 0, 0x01010043, "跳回前跳转处"},  {0, 1, 0x0101002F, "跳到调用命令处"}, {0, 3, 0x03010001, "新建"},
      {0, 4, 0x03010002, "打开"},          {0, 8, 0x02030001, "复制"},           {0, 16, 0x05020007, "静态编译"},
      {0, 21, 0x05020002, "运行"},         {0, 25, 0x05010005, "查看"},          {0, 40, 0x04020010, "系统设置"},
      {1, 11, 0x02020064, "组件垂直居中"}, {1, 13, 0x02020064, "垂直平均分布"},  {1, 0, 0x0402000E, "预览窗口设计"},
  };
  XPane_HidePane(pane(kPaneDebugOutput));
  for (const Press& p : presses) {
    const size_t before = journalSize();
    XEle_SendEvent(at(p.bar, p.position), XE_BNCLICK);
    settle();
    EXPECT_EQ(ideCalls(before), std::vector<uint32_t>{p.function}) << p.name;
    const auto lines = fixture().entries("notepad", before);
    ASSERT_EQ(lines.size(), 1u) << p.name;
    EXPECT_EQ(lines[0].get("text"), std::string(p.name));
  }
  EXPECT_TRUE(XPane_IsShowPane(pane(kPaneDebugOutput))) << "静态编译 brings the build output forward";
}

TEST_F(ToolBars, BlackMoonNeedsItsPlugin) {
  const size_t before = journalSize();
  fixture().ui().answerMessageBox(IDOK);
  XEle_SendEvent(at(0, 17), XE_BNCLICK);
  settle();
  const auto boxes = fixture().ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kBlackMoonMissingText);
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes[0].owner, frameWindow());
  EXPECT_FALSE(blackMoonBuildPending());
  EXPECT_TRUE(commandsSent(before).empty());

  // Any module loaded under the plug-in's name counts as the plug-in.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string copy = std::string(temp) + "BlackMoon.fne";
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(), copy.c_str(), FALSE));
  HMODULE module = LoadLibraryA(copy.c_str());
  ASSERT_NE(module, nullptr);
  XEle_SendEvent(at(0, 17), XE_BNCLICK);
  EXPECT_TRUE(commandsSent(before).empty()) << "posted, not sent";
  settle();
  EXPECT_EQ(commandsSent(before), std::vector<uint32_t>{0x9001});
  EXPECT_TRUE(blackMoonBuildPending());
  EXPECT_EQ(fixture().ui().calls(ScriptedUi::Kind::kMessageBox).size(), 1u) << "no second box";
  setBlackMoonBuildPending(false);
  FreeLibrary(module);
  DeleteFileA(copy.c_str());
}

}  // namespace
}  // namespace tovalux::testing
