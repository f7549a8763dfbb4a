// The menu bar inside the stand-in: what the toolkit holds after buildMainMenu (ids, labels,
// flags, icons, button widths), and every pick reaching the host once.
#include <map>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/menu_table.h"
#include "commands_fixture.h"

namespace tovalux::testing {
namespace {

using commands::MenuActionKind;

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
      EXPECT_EQ(shown[i].flags, rows[i].flags) << rows[i].id;
      EXPECT_EQ(shown[i].label, rows[i].label) << rows[i].id;
      EXPECT_EQ(shown[i].hasIcon, !rows[i].icon.empty()) << rows[i].id << " " << rows[i].icon;
    }
  }
}

TEST_F(MenuBar, EveryPickReachesTheHostOnce) {
  buildCommands();
  const std::vector<int> silent = {105, 601, 704, 705, 900, 1300, 1301, 1302, 1303, 1200};
  for (int m = 1; m <= 13; ++m) {
    if (m == 10) continue;  // the pane toggles act inside the shell
    for (const commands::MenuRow& row : commands::layoutMenu(m)) {
      if (row.id == 0 || row.id == 400 || row.id == 707 || row.id == 108) continue;
      const size_t before = journalSize();
      pick(row.id);
      const std::vector<uint32_t> ide = ideCalls(before);
      const std::vector<uint32_t> sent = commandsSent(before);
      switch (row.action.kind) {
        case MenuActionKind::kRunIdeFunction:
          EXPECT_EQ(ide, std::vector<uint32_t>{row.action.value}) << row.id;
          EXPECT_TRUE(sent.empty()) << row.id;
          break;
        case MenuActionKind::kSendCommand:
          EXPECT_TRUE(ide.empty()) << row.id;
          EXPECT_EQ(sent, std::vector<uint32_t>{row.action.value}) << row.id;
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
