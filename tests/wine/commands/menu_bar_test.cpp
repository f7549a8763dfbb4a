// The menu bar inside the stand-in: what the toolkit holds after buildMainMenu (ids, labels,
// flags, icons, button widths), and every pick reaching the host once.
#include <map>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/menu_table.h"
#include "commands_fixture.h"
#include "settings/settings.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "base/version.h"

namespace tovalux::testing {
namespace {

using commands::CommandAct;

class MenuBar : public CommandsTest {};

TEST_F(MenuBar, TheToolkitHoldsTheTable) {
  buildCommands();
  HELE bar = menuBar();
  ASSERT_TRUE(XC_IsHXCGUI(bar, XC_MENUBAR));
  int buttons = 0;
  for (int i = 0; i < XEle_GetChildCount(bar); ++i) {
    HXCGUI child = XEle_GetChildByIndex(bar, i);
    if (!XC_IsHXCGUI(child, XC_MENUBAR_BUTTON)) continue;
    EXPECT_EQ(XEle_GetWidth(child), buttons == 4 ? 58 + 16 : 58) << buttons;
    EXPECT_EQ(XC_wtoa(XBtn_GetText(static_cast<HELE>(child)).c_str()), commands::barMenu(buttons + 1).name);
    ++buttons;
  }
  EXPECT_EQ(buttons, 13);

  for (int m = 1; m <= 13; ++m) {
    const std::vector<commands::MenuRow> rows = commands::layoutMenu(m);
    const std::vector<ShownItem> shown = shownItems(m - 1);
    ASSERT_EQ(shown.size(), rows.size()) << m;
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(shown[i].id, rows[i].id) << m << ":" << i;
      EXPECT_EQ(shown[i].parentId, rows[i].parentId) << rows[i].id;
      // With no feedback address set (this test's settings file has none), its items are disabled.
      const int flags = rows[i].command.act == CommandAct::kContactLink ? menu_item_flag_disable : rows[i].flags;
      EXPECT_EQ(shown[i].flags, flags) << rows[i].id;
      EXPECT_EQ(shown[i].label, rows[i].label) << rows[i].id;
      EXPECT_EQ(shown[i].hasIcon, !rows[i].icon.empty()) << rows[i].id << " " << rows[i].icon;
    }
  }
}

TEST_F(MenuBar, EveryPickReachesTheHostOnce) {
  buildCommands();
  fixture().ui().answerAboutBox();
  for (int i = 0; i < 3; ++i) fixture().ui().answerShellExecute(true);
  const std::vector<int> silent = {105, 601, 704, 705, 900, 1300, 1301, 1302, 1303, 1200};
  for (int m = 1; m <= 13; ++m) {
    if (m == 10) continue;  // the pane toggles act inside the shell
    for (const commands::MenuRow& row : commands::layoutMenu(m)) {
      if (row.id == 0 || row.id == 400 || row.id == 707 || row.id == 108) continue;
      const size_t before = journalSize();
      pick(row.id);
      const std::vector<uint32_t> ide = ideCalls(before);
      const std::vector<uint32_t> sent = commandsSent(before);
      switch (row.command.act) {
        case CommandAct::kRunIdeFunction:
          EXPECT_EQ(ide, std::vector<uint32_t>{row.command.value}) << row.id;
          EXPECT_TRUE(sent.empty()) << row.id;
          break;
        case CommandAct::kSendCommand:
          EXPECT_TRUE(ide.empty()) << row.id;
          EXPECT_EQ(sent, std::vector<uint32_t>{row.command.value}) << row.id;
          break;
        default:
          EXPECT_TRUE(ide.empty() && sent.empty()) << row.id;
          EXPECT_NE(std::find(silent.begin(), silent.end(), row.id), silent.end()) << row.id;
      }
    }
  }
}

}  // namespace
}  // namespace tovalux::testing

namespace tovalux::testing {
namespace {

int gSettingsOpened = 0;
int gOutputCleared = 0;

TEST_F(MenuBar, ShellItemsPanesSettingsExitAndLinks) {
  buildCommands();
  editPeersForTests([](Peers& peers) { peers.openSettingsDialog = [] { ++gSettingsOpened; }; });
  // 1000..1010 toggle panes 0..10; twice restores the visibility.
  for (int id = 1000; id <= 1010; ++id) {
    HELE p = pane(id - 1000);
    const bool shown = XPane_IsShowPane(p);
    pick(id);
    EXPECT_NE(XPane_IsShowPane(p), shown) << id;
    pick(id);
    EXPECT_EQ(XPane_IsShowPane(p), shown) << id;
  }
  EXPECT_TRUE(ideCalls().empty());

  pick(1200);
  EXPECT_EQ(gSettingsOpened, 1);
  editPeersForTests([](Peers& peers) { peers.openSettingsDialog = nullptr; });
  pick(1200);  // nothing offered: nothing happens
  EXPECT_EQ(gSettingsOpened, 1);

  // 退出(X) (108 without recent files) takes the frame's own close path: its exit question,
  // answered No here, so nothing closes.
  ScriptedUi& ui = fixture().ui();
  ui.answerMessageBox(IDNO);
  const size_t start = journalSize();
  pick(108);
  settle();
  const auto questions = ui.calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].title, "Tovalux 提示");
  EXPECT_TRUE(shellExists());
  EXPECT_TRUE(ideCalls(start).empty());

  // 查看帮助 opens the help page shipped in lib\Tovalux\help; with no feedback address set,
  // 建议反馈 and 联系作者 open nothing (an unanswered launch would fail the fixture).
  ui.answerShellExecute(true);
  ui.answerAboutBox();
  for (int id : {1300, 1301, 1302, 1303}) pick(id);
  auto links = ui.calls(ScriptedUi::Kind::kShellExecute);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].text, helpPagePath());
  EXPECT_NE(links[0].text.find("\\lib\\Tovalux\\help\\index.html"), std::string::npos);
  EXPECT_EQ(links[0].title, "open");
  EXPECT_EQ(links[0].owner, nullptr);
  // A value that is no web address is not used; a web address is, by both items.
  ASSERT_TRUE(writeSetting(setting::kHelpSection, setting::kFeedbackUrl, "C:\\Windows\\notepad.exe"));
  pick(1301);
  EXPECT_EQ(ui.calls(ScriptedUi::Kind::kShellExecute).size(), 1u);
  ASSERT_TRUE(writeSetting(setting::kHelpSection, setting::kFeedbackUrl, "http://127.0.0.1/feedback"));
  for (int i = 0; i < 2; ++i) ui.answerShellExecute(true);
  for (int id : {1301, 1302}) pick(id);
  links = ui.calls(ScriptedUi::Kind::kShellExecute);
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[1].text, "http://127.0.0.1/feedback");
  EXPECT_EQ(links[2].text, links[1].text);
  writeSetting(setting::kHelpSection, setting::kFeedbackUrl, "");
  const auto about = ui.calls(ScriptedUi::Kind::kAboutBox);
  ASSERT_EQ(about.size(), 1u);
  EXPECT_EQ(about[0].title, "Tovalux IDE");
  EXPECT_EQ(about[0].text.rfind("易语言 - Tovalux IDE 预览版 v" TOVALUX_VERSION "\r\n", 0), 0u) << about[0].text;
  EXPECT_EQ(about[0].owner, frameWindow());
}

TEST_F(MenuBar, BuildOutputIsClearedByTheBuildButtonsOnly) {
  buildCommands();
  // Instead of the pane's, which start-up offered.
  editPeersForTests([](Peers& peers) { peers.clearBuildOutput = [] { ++gOutputCleared; }; });
  act("program-tree 3");
  syncToolBarState();
  HELE bar = static_cast<HELE>(frameElement("winToolBar0"));
  for (int position : {15, 16, 21}) XEle_SendEvent(XToolBar_GetEle(bar, position), XE_BNCLICK);
  EXPECT_EQ(gOutputCleared, 3);
  pick(700);  // the menu's 编译 runs the host command only
  EXPECT_EQ(gOutputCleared, 3);
}

}  // namespace
}  // namespace tovalux::testing
