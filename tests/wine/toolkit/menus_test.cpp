// Pop-up menus on screen: the gallery's owner-drawn menu bar opened by real clicks, hover and
// submenus, picks raising 59 after 62, disabled items, the keyboard, sliding along the bar,
// presses outside, free context menus, and pop-ups kept on the screen.
#include <string>
#include <vector>

#include "toolkit/model/menus/menu.h"
#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

// Ids of the gallery's menus: 文件(F) 100 新建, 101 打开, 102 关闭 (disabled), 103 保存, 104 另存为,
// 105 打印 (disabled), 106 配置, 107 最近打开 (submenu 1070, 1071), 108 退出; 调试(R) 600 运行 ...
constexpr int kOpen = 101, kClose = 102, kRecent = 107, kSecondRecent = 1071;

class Menus : public ToolkitScreen {
 protected:
  void SetUp() override {
    ToolkitScreen::SetUp();
    g_ = showGallery();
    frame_ = XWnd_GetHWND(g_.frame);
    ASSERT_TRUE(XC_IsHXCGUI(g_.menuBar, XC_MENUBAR));
    auto note = [this](const std::string& s) { events_.push_back(s); };
    XEle_RegEventC1(g_.menuBar, XE_MENU_POPUP, [note](HELE, HMENUX, bool*) {
      note("57");
      return 0;
    });
    XEle_RegEventC1(g_.menuBar, XE_MENU_POPUP_WND, [this, note](HELE, XMenuPopupInfo* info, bool*) {
      note("58:" + std::to_string(info->parentId));
      popupHwnd_ = XWnd_GetHWND(info->window);  // the native window exists already
      return 0;
    });
    XEle_RegEventC1(g_.menuBar, XE_MENU_EXIT, [note](HELE, bool*) {
      note("62");
      return 0;
    });
    XEle_RegEventC1(g_.menuBar, XE_MENU_SELECT, [note](HELE, int id, bool*) {
      note("59:" + std::to_string(id));
      return 0;
    });
  }

  HELE barButton(int index) { return XEle_GetChildByIndex(g_.menuBar, index); }
  HWND popup(int depth) { return XWnd_GetHWND(tk::menuPopup(depth)); }
  tk::MenuWindow* level(int depth) { return tk::context().registry.get<tk::MenuWindow>(tk::menuPopup(depth)); }
  // The centre of the row showing item `id` in pop-up `depth`, in that pop-up's client coordinates.
  POINT rowOf(int depth, int id) {
    tk::MenuWindow* w = level(depth);
    auto* menu = w != nullptr ? tk::context().registry.get<tk::Menu>(w->menu) : nullptr;
    if (menu == nullptr) return {-1, -1};
    for (const auto& row : w->rows)
      if (const tk::MenuItem* item = menu->byKey(row.key); item != nullptr && item->id == id)
        return {(row.rect.left + row.rect.right) / 2, (row.rect.top + row.rect.bottom) / 2};
    return {-1, -1};
  }
  std::string events() const { return spaced(events_); }

  gallery::Gallery g_;
  HWND frame_ = nullptr;
  HWND popupHwnd_ = nullptr;
  std::vector<std::string> events_;
};

TEST_F(Menus, ABarClickOpensAnOwnerDrawnPopupThatTakesNoActivation) {
  click(frame_, centre(barButton(0)));
  ASSERT_TRUE(tk::menuIsOpen());
  EXPECT_EQ(events(), "57 58:-1");
  HWND p = popup(0);
  ASSERT_TRUE(IsWindow(p));
  EXPECT_EQ(p, popupHwnd_);
  EXPECT_TRUE(IsWindowVisible(p));
  EXPECT_EQ(GetForegroundWindow(), frame_) << "the frame stays active";
  EXPECT_EQ(GetWindow(p, GW_OWNER), frame_);
  EXPECT_EQ(GetWindowLongW(p, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_NE(GetWindowLongW(p, GWL_EXSTYLE) & WS_EX_NOACTIVATE, 0);
  wchar_t name[64] = {};
  GetClassNameW(p, name, 64);
  EXPECT_STRNE(name, L"Tovalux");
  EXPECT_NE(GetClassLongW(p, GCL_STYLE) & CS_DROPSHADOW, 0u) << "set by the 58 handler";
  EXPECT_EQ(GetClassLongW(frame_, GCL_STYLE) & CS_DROPSHADOW, 0u) << "the pop-ups' class is theirs alone";

  // Below its button, left edges aligned.
  RECT button = clientRect(barButton(0)), r{};
  MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&button), 2);
  GetWindowRect(p, &r);
  EXPECT_EQ(r.left, button.left);
  EXPECT_EQ(r.top, button.bottom);
  // The owner drawing: a 1-pixel frame around the dark fill, the frame's top line erased
  // under the open button; the open button in its pressed look.
  Capture shot(p);
  const int buttonWidth = XEle_GetWidth(barButton(0));
  EXPECT_EQ(shot.at(0, 40), RGB(51, 51, 51));
  EXPECT_EQ(shot.at(5, 40), RGB(27, 27, 28));
  EXPECT_EQ(shot.at(5, 0), RGB(27, 27, 28));
  EXPECT_EQ(shot.at(buttonWidth + 4, 0), RGB(51, 51, 51));
  RECT b = clientRect(barButton(0));
  EXPECT_EQ(Capture(frame_).at(b.left + 4, b.top + 4), RGB(27, 27, 28)) << "descriptor of the open button";
}

TEST_F(Menus, HoverThenClickPicksWith59After62) {
  click(frame_, centre(barButton(0)));
  HWND p = popup(0);
  POINT open = rowOf(0, kOpen);
  ASSERT_GE(open.y, 0);
  moveTo(p, open);
  EXPECT_EQ(level(0)->hot, 1);
  EXPECT_EQ(Capture(p).at(open.x, open.y - 8), RGB(51, 51, 52)) << "the hot row's fill";
  events_.clear();
  click(p, open);
  EXPECT_EQ(events(), "62 59:101");
  EXPECT_FALSE(tk::menuIsOpen());
  EXPECT_FALSE(IsWindow(p));
  RECT b = clientRect(barButton(0));
  EXPECT_TRUE(pumpUntil([&] { return Capture(frame_).at(b.left + 4, b.top + 1) != RGB(27, 27, 28); }))
      << "the bar button is back to its closed look";
}

TEST_F(Menus, SubmenusOpenBesideTheirParent) {
  click(frame_, centre(barButton(0)));
  HWND root = popup(0);
  moveTo(root, rowOf(0, kRecent));
  ASSERT_NE(tk::menuPopup(1), 0u);
  EXPECT_EQ(events(), "57 58:-1 58:107");
  HWND sub = popup(1);
  RECT rootRect{}, subRect{};
  GetWindowRect(root, &rootRect);
  GetWindowRect(sub, &subRect);
  EXPECT_EQ(subRect.left, rootRect.right);
  // The parent row keeps its hot look while the pointer is in the submenu.
  POINT second = rowOf(1, kSecondRecent);
  moveTo(sub, second);
  EXPECT_EQ(level(0)->hot, 9);
  events_.clear();
  click(sub, second);
  EXPECT_EQ(events(), "62 59:1071");
  EXPECT_FALSE(IsWindow(sub));
  EXPECT_FALSE(IsWindow(root));
}

TEST_F(Menus, DisabledItemsParentsAndSeparatorsPickNothing) {
  click(frame_, centre(barButton(0)));
  HWND p = popup(0);
  events_.clear();
  click(p, rowOf(0, kClose));
  POINT separator = rowOf(0, kOpen);
  separator.y = level(0)->rows[3].rect.top + 3;  // the separator after 关闭(C)
  click(p, separator);
  click(p, rowOf(0, kRecent));  // a submenu parent opens its submenu, picks nothing
  EXPECT_EQ(events(), "58:107");
  EXPECT_TRUE(tk::menuIsOpen());
  // Disabled items are drawn grey by the owner.
  POINT close = rowOf(0, kClose);
  int grey = 0;
  Capture shot(p);
  for (int x = 36; x < 120; ++x)
    for (int y = close.y - 6; y < close.y + 6; ++y) grey += shot.at(x, y) == RGB(100, 100, 100);
  EXPECT_GT(grey, 5);
}

TEST_F(Menus, KeyboardMovesOpensAndPicks) {
  click(frame_, centre(barButton(0)));
  events_.clear();
  key(VK_DOWN);  // 新建
  key(VK_DOWN);  // 打开
  EXPECT_EQ(level(0)->hot, 1);
  key(VK_UP);
  key(VK_UP);  // wraps to the last item, 退出
  EXPECT_EQ(level(0)->hot, static_cast<int>(level(0)->rows.size()) - 1);
  key(VK_RIGHT);  // no submenu here: the next bar menu
  EXPECT_EQ(events(), "62 57 58:-1");
  EXPECT_EQ(tk::menuOpenButton(), barButton(1));
  key(VK_LEFT);
  EXPECT_EQ(tk::menuOpenButton(), barButton(0));
  events_.clear();
  for (int i = 0; i < 7; ++i) key(VK_DOWN);  // down to 最近打开(R), skipping separators
  ASSERT_EQ(level(0)->hot, 9);
  key(VK_RIGHT);
  ASSERT_NE(tk::menuPopup(1), 0u);
  EXPECT_EQ(level(1)->hot, 0) << "opened from the keyboard, its first item is hot";
  key(VK_ESCAPE);  // closes the submenu only
  EXPECT_EQ(tk::menuPopup(1), 0u);
  EXPECT_TRUE(tk::menuIsOpen());
  key(VK_UP);
  key(VK_RETURN);  // 配置(U)
  EXPECT_EQ(events(), "58:107 62 59:106");
  // The keys went to the menu, not on to the frame.
  click(frame_, centre(barButton(0)));
  events_.clear();
  key(VK_ESCAPE);
  EXPECT_EQ(events(), "62");
  EXPECT_TRUE(IsWindow(frame_));
}

TEST_F(Menus, SlidingAlongTheBarAndPressingOutside) {
  click(frame_, centre(barButton(0)));
  events_.clear();
  moveTo(frame_, centre(barButton(5)));  // 调试(R)
  EXPECT_EQ(events(), "62 57 58:-1");
  EXPECT_EQ(tk::menuOpenButton(), barButton(5));
  // A press outside every pop-up closes without a pick; the press goes no further.
  HELE arrow = XSBar_GetButtonDown(g_.scrollBarV);  // far from the menu
  int clicks = 0;
  XEle_RegEventC(arrow, XE_BNCLICK, [&clicks](bool*) {
    ++clicks;
    return 0;
  });
  events_.clear();
  click(frame_, centre(arrow));
  EXPECT_EQ(events(), "62");
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(tk::menuIsOpen());
  click(frame_, centre(arrow));
  EXPECT_EQ(clicks, 1) << "with the menu closed, clicks arrive again";
  // The open button's own click closes its menu.
  click(frame_, centre(barButton(5)));
  ASSERT_TRUE(tk::menuIsOpen());
  events_.clear();
  click(frame_, centre(barButton(5)));
  EXPECT_EQ(events(), "62");
  EXPECT_FALSE(tk::menuIsOpen());
}

TEST_F(Menus, FreeContextMenusAndScreenEdges) {
  HELE receiver = g_.codeTabs;
  std::vector<int> picked;
  int exits = 0;
  XEle_RegEventC(receiver, XE_MENU_SELECT, [&picked](int id, bool*) {
    picked.push_back(id);
    return 0;
  });
  XEle_RegEventC(receiver, XE_MENU_EXIT, [&exits](bool*) {
    ++exits;
    return 0;
  });
  HMENUX menu = XMenu_Create();
  XMenu_AddItem(menu, 7, L"复制", 0, 0);
  XMenu_AddItem(menu, -1, L"", 0, menu_item_flag_separator);
  XMenu_AddItem(menu, 8, L"关闭其它", 0, 0);
  // Opened at the bottom-right corner of the screen: kept on the work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(frame_, MONITOR_DEFAULTTONEAREST), &monitor);
  ASSERT_TRUE(XMenu_Popup(menu, frame_, monitor.rcWork.right - 5, monitor.rcWork.bottom - 5, receiver));
  HWND p = popup(0);
  RECT r{};
  GetWindowRect(p, &r);
  EXPECT_LE(r.right, monitor.rcWork.right);
  EXPECT_LE(r.bottom, monitor.rcWork.bottom);
  EXPECT_GT(r.right - r.left, 100);
  click(p, rowOf(0, 8));
  EXPECT_EQ(picked, std::vector<int>{8});
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(XC_IsHXCGUI(menu, XC_MENU)) << "a free menu lives for one pop-up";
  // Closing its owner closes an open menu.
  HMENUX again = XMenu_Create();
  XMenu_AddItem(again, 9, L"项", 0, 0);
  ASSERT_TRUE(XMenu_Popup(again, frame_, 300, 300, receiver));
  XWnd_CloseWindow(g_.frame);
  waitFor("the frame closed", [&] { return IsWindow(frame_) == FALSE; });
  EXPECT_FALSE(tk::menuIsOpen());
  EXPECT_EQ(picked.size(), 1u);
}

}  // namespace
}  // namespace tovalux::testing
