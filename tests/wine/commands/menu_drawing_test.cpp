// The owner drawing of open bar menus, read back as pixels from the screen: the frame and fill,
// the line erased under the open button, disabled text and arrows, hot rows, the blue arrow of
// a hot submenu parent, separators; the bar buttons' looks while a menu is open.
#include <string>

#include "commands/commands.h"
#include "commands/menu_drawing.h"
#include "commands_fixture.h"
#include "shell/descriptors.h"
#include "shell/run_state.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "wine/toolkit/toolkit_screen.h"

namespace tovalux::testing {
namespace {

class MenuDrawing : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    parkCursor();
    buildCommands();
  }
  void TearDown() override {
    if (tk::menuIsOpen()) tk::menuDismiss();
    CommandsTest::TearDown();
  }
  HELE barButton(int index) { return static_cast<HELE>(XEle_GetChildByIndex(menuBar(), index)); }
  HWND popup(int depth) { return XWnd_GetHWND(tk::menuPopup(depth)); }
  void open(int index) {
    click(frameWindow(), centre(barButton(index)));
    ASSERT_TRUE(tk::menuIsOpen());
  }
  // The row of item `id` in pop-up `depth`, in that pop-up's client coordinates.
  RECT rowOf(int depth, int id) {
    auto* w = tk::context().registry.get<tk::MenuWindow>(tk::menuPopup(depth));
    auto* menu = w != nullptr ? tk::context().registry.get<tk::Menu>(w->menu) : nullptr;
    if (menu != nullptr)
      for (const auto& row : w->rows)
        if (const tk::MenuItem* item = menu->byKey(row.key); item != nullptr && item->id == id)
          return {row.rect.left, row.rect.top, row.rect.right, row.rect.bottom};
    return {-1, -1, -1, -1};
  }
  static std::string descriptorOf(HXCGUI e) {
    auto* bkm = tk::context().registry.get<tk::BkManager>(XEle_GetBkManager(e));
    return bkm != nullptr ? XC_wtoa(reinterpret_cast<const XChar*>(bkm->text().c_str())) : std::string();
  }
  static POINT middle(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  static RECT textArea(const RECT& r) { return {r.left + 36, r.top + 2, r.left + 160, r.bottom - 2}; }
  static RECT arrowArea(const RECT& r) { return {r.right - 12, r.top + 5, r.right - 7, r.top + 15}; }
};

TEST_F(MenuDrawing, FrameFillButtonLineAndDisabledItems) {
  open(5);  // 调试(R), no project: every item disabled
  HWND p = popup(0);
  Capture shot(p);
  saveArtefact(p, "commands-menu-debug-no-project");
  saveArtefact(frameWindow(), "commands-frame-menu-open");
  const int buttonWidth = XEle_GetWidth(barButton(5));
  EXPECT_EQ(shot.at(0, 40), RGB(51, 51, 51)) << "the 1-pixel frame";
  EXPECT_EQ(shot.at(5, 40), RGB(27, 27, 28)) << "the fill";
  EXPECT_EQ(shot.at(5, 0), RGB(27, 27, 28)) << "the top line erased under the open button";
  EXPECT_EQ(shot.at(buttonWidth + 4, 0), RGB(51, 51, 51)) << "beyond the button the frame stays";

  const RECT run = rowOf(0, 600);
  EXPECT_GT(shot.count(textArea(run), RGB(100, 100, 100)), 5) << "disabled text is grey";
  EXPECT_EQ(shot.count(textArea(run), RGB(241, 241, 241)), 0);
  const RECT runAs = rowOf(0, 601);
  EXPECT_GT(shot.count(arrowArea(runAs), RGB(100, 100, 100)), 10) << "a disabled submenu parent keeps a grey arrow";
  EXPECT_EQ(itemFlags(5, 601), 20);

  // The separator after 终止(E): a line at mid height from x = 32.
  RECT sep = rowOf(0, 602);
  const int y = sep.bottom + 2;  // inside the separator row below 终止
  int line = 0;
  for (int dy = -3; dy <= 3; ++dy) line += shot.at(40, y + dy) == RGB(51, 51, 52);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(shot.at(20, y), RGB(27, 27, 28)) << "nothing left of x = 32";

  // The open button in its pressed look.
  const RECT b = clientRect(barButton(5));
  EXPECT_EQ(Capture(frameWindow()).at(b.left + 4, b.top + 4), RGB(27, 27, 28));
}

TEST_F(MenuDrawing, HotRowsAndAHotSubmenuParent) {
  act("program-tree 3");
  open(5);
  HWND p = popup(0);
  const RECT run = rowOf(0, 600);
  moveTo(p, middle(run));
  Capture hot(p);
  EXPECT_EQ(hot.at(run.left + 30, run.top + 2), RGB(51, 51, 52)) << "hot fill";
  EXPECT_GT(hot.count(textArea(run), RGB(241, 241, 241)), 5) << "enabled text";

  const RECT runAs = rowOf(0, 601);
  moveTo(p, middle(runAs));
  ASSERT_NE(tk::menuPopup(1), 0u) << "the submenu opened";
  Capture parent(p);
  saveArtefact(p, "commands-menu-debug-hot-parent");
  EXPECT_GT(parent.count(arrowArea(runAs), RGB(0, 122, 204)), 10) << "blue arrow";
  EXPECT_EQ(parent.at(runAs.left + 30, runAs.top + 2), RGB(51, 51, 52));
  // The submenu keeps its whole top line: it is no bar button's pop-up.
  EXPECT_EQ(Capture(popup(1)).at(5, 0), RGB(51, 51, 51));
}

TEST_F(MenuDrawing, BarButtonsIgnoreHoverWhileAMenuIsOpen) {
  open(0);
  const RECT other = clientRect(barButton(2));
  moveTo(frameWindow(), {other.left + 3, other.top + 3});  // sliding along the bar opens 查看(V)
  ASSERT_TRUE(tk::menuIsOpen());
  EXPECT_TRUE(mainMenuOpen());
  EXPECT_EQ(Capture(frameWindow()).at(other.left + 4, other.top + 4), RGB(27, 27, 28));
  EXPECT_NE(Capture(frameWindow()).at(clientRect(barButton(0)).left + 4, other.top + 4), RGB(27, 27, 28));
  tk::menuDismiss();
  settle();
  EXPECT_FALSE(mainMenuOpen());
  for (int i = 0; i < 13; ++i)
    EXPECT_EQ(descriptorOf(barButton(i)), descriptor::kMenuBarButtonClosed) << "button " << i;
  const RECT away = clientRect(barButton(7));
  EXPECT_EQ(Capture(frameWindow()).at(away.left + 4, away.top + 4), RGB(45, 45, 48));
}

}  // namespace
}  // namespace tovalux::testing

namespace tovalux::testing {
namespace {

// The project tree's context menu look, on a free menu popped up for an element.
TEST_F(MenuDrawing, ContextMenuVariant) {
  HMENUX menu = XMenu_Create();
  XMenu_SetItemHeight(menu, 22);
  XMenu_EnableDrawBackground(menu, true);
  XMenu_EnableDrawItem(menu, true);
  XMenu_AddItem(menu, 1, XC_AnsiToUnicode("新建文件夹").c_str(), 0, 0);
  XMenu_AddItem(menu, 2, XC_AnsiToUnicode("删除所选的项目(D)").c_str(), 0, 16);
  XMenu_AddItem(menu, -1, XC_AnsiToUnicode("").c_str(), 0, 8);
  XMenu_AddItem(menu, 3, XC_AnsiToUnicode("插入").c_str(), 0, 4);
  XMenu_AddItem(menu, 30, XC_AnsiToUnicode("子程序").c_str(), 3, 0);
  HELE receiver = XEle_GetParentEle(menuBar());  // the menu-bar row stands in for the project tree
  ASSERT_TRUE(XC_IsHELE(receiver));
  attachContextMenuLook(receiver);
  attachContextMenuLook(receiver);  // once per element

  HMENUX file = XMenuBar_GetMenu(menuBar(), 0);
  XMenu_SetItemFlags(file, 102, 0);  // the sync runs when the context menu pops up too
  int draws = 0;
  XEle_RegEventC(receiver, XE_MENU_DRAWITEM, [&](HDRAW, XMenuDrawItemInfo*, bool*) {
    ++draws;
    return 0;
  });
  RECT frame{};
  GetWindowRect(frameWindow(), &frame);
  ASSERT_TRUE(XMenu_Popup(menu, frameWindow(), frame.left + 300, frame.top + 300, receiver, 0));
  settle();
  HWND p = popup(0);
  ASSERT_TRUE(IsWindow(p));
  EXPECT_EQ(itemFlags(0, 102), 16);
  EXPECT_NE(GetClassLongA(p, GCL_STYLE) & CS_DROPSHADOW, 0u);
  EXPECT_EQ(draws, 4) << "each top-level item drawn once: the look was registered once";

  Capture shot(p);
  saveArtefact(p, "commands-context-menu");
  EXPECT_EQ(shot.at(5, 0), RGB(51, 51, 51)) << "no open-button line";
  EXPECT_EQ(shot.at(5, 20), RGB(27, 27, 28));
  EXPECT_GT(shot.count(textArea(rowOf(0, 2)), RGB(101, 101, 101)), 5) << "disabled text";
  EXPECT_GT(shot.count(textArea(rowOf(0, 1)), RGB(241, 241, 241)), 5);
  EXPECT_GT(shot.count(arrowArea(rowOf(0, 3)), RGB(153, 153, 153)), 10) << "arrow of a state-4 parent";
}

}  // namespace
}  // namespace tovalux::testing
