// The owner drawing of open bar menus, read back as pixels from the screen: the frame and fill,
// the line erased under the open button, disabled text and arrows, hot rows, the blue arrow of
// a hot submenu parent, separators; the bar buttons' looks while a menu is open.
#include <string>

#include "commands/commands.h"
#include "commands/menu_drawing.h"
#include "commands_fixture.h"
#include "shell/descriptors.h"
#include "shell/run_state.h"
#include "toolkit/model/descriptor.h"
#include "toolkit/model/context.h"
#include "toolkit/model/menu.h"
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
  setProjectLoaded(true);
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
