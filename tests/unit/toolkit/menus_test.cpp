#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/model/menus/menu.h"
#include "toolkit/model/menus/menubar.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/input.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using Log = std::vector<std::string>;
constexpr int kDown = 0x28, kUp = 0x26, kLeft = 0x25, kRight = 0x27, kReturn = 0x0D, kEscape = 0x1B;

class MenuTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    wnd = XWnd_CreateEx(0, u"", u"", 0, 100, 50, 800, 600);
    bar = XMenuBar_Create(0, 0, 800, 24, wnd);
    XMenuBar_SetButtonHeight(bar, 18);
    XMenuBar_AddButton(bar, u"File");
    XMenuBar_AddButton(bar, u"Edit");
    XEle_SetWidth(XEle_GetChildByIndex(bar, 0), 58);
    XEle_SetWidth(XEle_GetChildByIndex(bar, 1), 74);
    XWnd_AdjustLayout(wnd);
    file = XMenuBar_GetMenu(bar, 0);
    edit = XMenuBar_GetMenu(bar, 1);
    // File: two items, a separator, a submenu parent with three children (one disabled).
    XMenu_AddItem(file, 100, u"New", 0, 0);
    XMenu_AddItemIcon(file, 101, u"Open", 0, image(16, 16), 0);
    XMenu_AddItem(file, 0, u"", 0, menu_item_flag_separator);
    XMenu_AddItem(file, 601, u"Run as", 0, 0);
    XMenu_SetItemFlags(file, 601, menu_item_flag_popup);
    XMenu_AddItem(file, 6010, u"EXE", 601, 0);
    XMenu_AddItem(file, 6011, u"DLL", 601, menu_item_flag_disable);
    XMenu_AddItem(file, 6012, u"ECOM", 601, 0);
    XMenu_AddItem(edit, 200, u"Undo", 0, 0);
    XMenu_AddItem(edit, 201, u"Redo", 0, 0);
    for (int ev : {XE_MENU_POPUP, XE_MENU_EXIT})
      XEle_RegEventC1(bar, ev, [this, ev](HELE self, intptr_t arg, bool*) {
        EXPECT_EQ(self, bar);
        log.push_back(std::to_string(ev) +
                      (ev == XE_MENU_POPUP ? (arg == static_cast<intptr_t>(file) ? " file" : " edit") : ""));
        return 0;
      });
    XEle_RegEventC1(bar, XE_MENU_POPUP_WND, [this](HELE, XMenuPopupInfo* info, bool*) {
      log.push_back("58 " + std::to_string(info->parentId));
      return 0;
    });
    XEle_RegEventC1(bar, XE_MENU_SELECT,
                    [this](HELE, int id, bool*) { return log.push_back("59 " + std::to_string(id)), 0; });
  }
  HIMAGE image(int w, int h) {
    std::string png = pngBytes(w, h);
    return XImage_LoadMemory(png.data(), static_cast<int>(png.size()));
  }
  HELE button(int i) { return XEle_GetChildByIndex(bar, i); }
  static tk::MenuWindow& popup(int depth) {
    auto* w = tk::context().registry.get<tk::MenuWindow>(tk::menuPopup(depth));
    EXPECT_NE(w, nullptr);
    return *w;
  }
  // The centre of item `id` in the pop-up of `depth` (pop-up client coordinates).
  static XPoint at(int depth, int id) {
    tk::MenuWindow& w = popup(depth);
    const auto* m = tk::context().registry.get<tk::Menu>(w.menu);
    for (const auto& row : w.rows)
      if (m->byKey(row.key)->id == id)
        return {(row.rect.left + row.rect.right) / 2, (row.rect.top + row.rect.bottom) / 2};
    ADD_FAILURE() << "no item " << id;
    return {};
  }
  static int hotId(int depth) {
    tk::MenuWindow& w = popup(depth);
    if (w.hot < 0) return -1;
    return tk::context().registry.get<tk::Menu>(w.menu)->byKey(w.rows[static_cast<size_t>(w.hot)].key)->id;
  }

  HWINDOW wnd = 0;
  HELE bar = 0;
  HMENUX file = 0, edit = 0;
  Log log;
};

TEST_F(MenuTest, ItemIdsFlagsAndParents) {
  // Separators share ids; an id names its first item; parents 0 and -1 are the top level.
  XMenu_AddItem(file, 0, u"", -1, menu_item_flag_separator);
  XMenu_AddItem(file, 102, u"Close", -1, menu_item_flag_hot | menu_item_flag_disable);
  XMenu_AddItem(file, 103, u"Lost", 999, 0);  // unknown parent
  XMenu_AddItem(file, 104, u"Lost", 0 /*root*/, 0);
  XMenu_AddItem(file, -1, u"", 0, menu_item_flag_separator);
  XMenu_AddItem(file, 105, u"Lost", -1 /*root, not the separator -1*/, 0);
  XMenu_AddItem(file, 7, u"", 6010, menu_item_flag_separator);
  XMenu_AddItem(file, 106, u"Under a separator", 7, 0);
  auto* m = tk::context().registry.get<tk::Menu>(file);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(XMenu_GetItemText(file, 101), XString(u"Open"));
  EXPECT_EQ(XMenu_GetItemText(file, 0), XString());
  EXPECT_EQ(XMenu_GetItemText(file, 103), XString());
  EXPECT_EQ(XMenu_GetParentItem(file, 6011), 601);
  EXPECT_EQ(XMenu_GetParentItem(file, 100), -1);
  EXPECT_EQ(XMenu_GetParentItem(file, 105), -1);
  EXPECT_EQ(XMenu_GetParentItem(file, 7), 6010);
  EXPECT_EQ(XMenu_GetParentItem(file, 106), -1);  // never added
  EXPECT_EQ(XMenu_GetParentItem(file, 4242), -1);
  EXPECT_EQ(m->find(102)->flags, menu_item_flag_disable);  // hot is a state, not a flag
  XMenu_SetItemFlags(file, 601, menu_item_flag_popup | menu_item_flag_disable);
  EXPECT_EQ(m->find(601)->flags, 20);
  EXPECT_EQ(m->level(0).size(), 9u);
  EXPECT_EQ(XMenu_GetLeftWidth(file), 28);
  // Stale and foreign handles.
  HELE first = button(0);
  XEle_Destroy(first);
  EXPECT_FALSE(XC_IsHXCGUI(file, XC_MENU));  // the button's menu went with it
  EXPECT_EQ(XMenuBar_GetMenu(bar, 0), edit);
  EXPECT_EQ(XMenu_GetItemText(file, 101), XString());
  EXPECT_EQ(XMenu_GetParentItem(file, 6011), -1);
  EXPECT_EQ(XMenu_GetLeftWidth(bar), 0);
  XMenu_AddItem(file, 1, u"x", 0, 0);
  XMenu_SetItemFlags(bar, 1, 0);
  EXPECT_FALSE(XMenu_Popup(file, nullptr, 0, 0, bar, 0));
  EXPECT_FALSE(XMenu_Popup(edit, nullptr, 0, 0, file /*not an element*/, 0));
}

TEST_F(MenuTest, BarButtonsAndTheirLayout) {
  EXPECT_EQ(XMenuBar_AddButton(bar, u"View"), 2);
  EXPECT_EQ(XMenuBar_AddButton(wnd, u"x"), -1);
  EXPECT_EQ(XEle_GetChildCount(bar), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(XC_IsHXCGUI(button(i), XC_MENUBAR_BUTTON));
    EXPECT_TRUE(XC_IsHXCGUI(button(i), XC_BUTTON));
    EXPECT_TRUE(XC_IsHXCGUI(XMenuBar_GetMenu(bar, i), XC_MENU));
  }
  EXPECT_EQ(XC_GetObjectType(bar), XC_MENUBAR);
  EXPECT_NE(XMenuBar_GetMenu(bar, 2), XMenuBar_GetMenu(bar, 1));
  EXPECT_EQ(XMenuBar_GetMenu(bar, 3), 0u);
  EXPECT_EQ(XMenuBar_GetMenu(bar, -1), 0u);
  XEle_AdjustLayout(bar);
  XRect r;
  XEle_GetRect(button(0), &r);
  EXPECT_EQ(r, (XRect{0, 3, 58, 21}));  // fixed width, height 18 centred in 24
  XEle_GetRect(button(1), &r);
  EXPECT_EQ(r, (XRect{58, 3, 132, 21}));
  XEle_GetRect(button(2), &r);
  EXPECT_EQ(r, (XRect{132, 3, 132 + 8 + 32 + 8, 21}));  // auto: padding and text
  XMenuBar_SetButtonHeight(bar, 20);
  XEle_AdjustLayout(bar);
  EXPECT_EQ(XEle_GetHeight(button(2)), 20);

  // The layout tag.
  auto path = write(
      "top.xml",
      R"(<layout width="400" height="30"><menuBar name="winMainTopMenu" width="fill" height="24" buttonHeight="18"/></layout>)");
  HXCGUI root = XC_LoadLayout(x(path).c_str(), 0);
  HXCGUI loaded = XC_GetObjectByName(u"winMainTopMenu");
  ASSERT_TRUE(XC_IsHXCGUI(loaded, XC_MENUBAR));
  EXPECT_EQ(XEle_GetParentEle(loaded), root);
  EXPECT_EQ(XMenuBar_AddButton(loaded, u"文件(F)"), 0);
  EXPECT_EQ(XEle_GetHeight(XEle_GetChildByIndex(loaded, 0)), 18);
}

TEST_F(MenuTest, ClickHoverSubmenuAndPick) {
  XEle_SendEvent(button(0), XE_BNCLICK);
  EXPECT_EQ(log, (Log{"57 file", "58 -1"}));
  ASSERT_TRUE(tk::menuIsOpen());
  EXPECT_EQ(tk::menuOpenButton(), button(0));
  EXPECT_TRUE(tk::getElement(button(0))->bkState() & XBK_PRESSED);
  // Below the button, left edges aligned, in screen coordinates.
  tk::MenuWindow& root = popup(0);
  EXPECT_EQ(root.rect.left, 100);
  EXPECT_EQ(root.rect.top, 50 + 21);
  EXPECT_TRUE(root.visible);
  EXPECT_EQ(root.rect.height(), 2 + 22 + 22 + 7 + 22 + 2);

  // Hovering the submenu parent opens its pop-up beside it; another item closes it again.
  log.clear();
  tk::menuMouseMove(root, at(0, 601));
  EXPECT_EQ(log, (Log{"58 601"}));
  HWINDOW sub = tk::menuPopup(1);
  ASSERT_NE(sub, 0u);
  EXPECT_EQ(popup(1).rect.left, popup(0).rect.right);
  EXPECT_EQ(popup(1).rect.top, popup(0).rect.top + 2 + 22 + 22 + 7 - 2);  // first item beside its parent
  tk::menuMouseMove(popup(0), {5, 2 + 22 + 22 + 3});                      // the separator: the parent stays hot
  EXPECT_EQ(hotId(0), 601);
  EXPECT_TRUE(XC_IsHWINDOW(sub));
  tk::menuMouseMove(popup(0), at(0, 100));
  EXPECT_FALSE(XC_IsHWINDOW(sub));
  EXPECT_EQ(hotId(0), 100);
  tk::menuMouseLeave(popup(0));
  EXPECT_EQ(hotId(0), -1);

  // Clicks on a disabled item or on a parent pick nothing; an enabled item closes and picks.
  log.clear();
  tk::menuLeftUp(popup(0), at(0, 601));
  EXPECT_EQ(log, (Log{"58 601"}));
  tk::menuLeftUp(popup(1), at(1, 6011));
  EXPECT_EQ(hotId(1), 6011);  // disabled items still light up (state 17)
  EXPECT_EQ(log.size(), 1u);
  tk::menuLeftUp(popup(1), at(1, 6012));
  EXPECT_EQ(log, (Log{"58 601", "62", "59 6012"}));
  EXPECT_FALSE(tk::menuIsOpen());
  EXPECT_EQ(tk::menuPopup(0), 0u);
  EXPECT_FALSE(tk::getElement(button(0))->bkState() & XBK_PRESSED);
  EXPECT_TRUE(XC_IsHXCGUI(file, XC_MENU));  // a bar's menu outlives its pop-ups
}

TEST_F(MenuTest, BarButtonsToggleAndSlide) {
  XEle_SendEvent(button(0), XE_BNCLICK);
  XEle_SendEvent(button(0), XE_BNCLICK);  // its own menu open: closes
  EXPECT_EQ(log, (Log{"57 file", "58 -1", "62"}));
  EXPECT_FALSE(tk::menuIsOpen());
  // Without an open menu, hovering a button does nothing; with one, the hovered button's menu
  // replaces it (ordinary window input reaches the bar).
  log.clear();
  tk::Window* w = tk::getWindow(wnd);
  tk::mouseMove(*w, {70, 10}, 0);
  EXPECT_TRUE(log.empty());
  tk::mouseMove(*w, {10, 10}, 0);
  XEle_SendEvent(button(0), XE_BNCLICK);
  tk::mouseMove(*w, {70, 10}, 0);
  EXPECT_EQ(log, (Log{"57 file", "58 -1", "62", "57 edit", "58 -1"}));
  EXPECT_EQ(tk::menuOpenButton(), button(1));
  EXPECT_EQ(popup(0).rect.left, 100 + 58);
  log.clear();
  tk::menuDismiss();
  EXPECT_EQ(log, (Log{"62"}));
  tk::menuDismiss();  // nothing open: nothing raised
  EXPECT_EQ(log.size(), 1u);
  // A disabled button opens nothing.
  XEle_Enable(button(1), false);
  XEle_SendEvent(button(1), XE_BNCLICK);
  EXPECT_FALSE(tk::menuIsOpen());
}

TEST_F(MenuTest, KeyboardNavigation) {
  tk::openBarMenu(*tk::context().registry.get<tk::MenuBarButton>(button(0)), true);
  EXPECT_EQ(hotId(0), 100);  // opened from the keyboard: the first item is hot
  tk::menuKeyDown(kDown);
  tk::menuKeyDown(kDown);  // skips the separator
  EXPECT_EQ(hotId(0), 601);
  tk::menuKeyDown(kDown);
  EXPECT_EQ(hotId(0), 100);  // wraps
  tk::menuKeyDown(kUp);
  EXPECT_EQ(hotId(0), 601);
  log.clear();
  tk::menuKeyDown(kRight);
  EXPECT_EQ(log, (Log{"58 601"}));
  EXPECT_EQ(hotId(1), 6010);
  tk::menuKeyDown(kLeft);  // closes the submenu only
  EXPECT_EQ(tk::menuPopup(1), 0u);
  EXPECT_EQ(hotId(0), 601);
  tk::menuKeyDown(kReturn);  // a parent opens
  tk::menuKeyDown(kEscape);  // and escape closes it again
  EXPECT_EQ(tk::menuPopup(1), 0u);
  tk::menuKeyDown(kUp);
  log.clear();
  tk::menuKeyDown(kRight);  // not a parent: the next bar menu
  EXPECT_EQ(log, (Log{"62", "57 edit", "58 -1"}));
  EXPECT_EQ(hotId(0), 200);
  tk::menuKeyDown(kRight);  // wraps round the bar
  EXPECT_EQ(tk::menuOpenButton(), button(0));
  tk::menuKeyDown(kLeft);
  EXPECT_EQ(tk::menuOpenButton(), button(1));
  log.clear();
  tk::menuKeyDown(kDown);
  tk::menuKeyDown(kReturn);
  EXPECT_EQ(log, (Log{"62", "59 201"}));
  EXPECT_FALSE(tk::menuKeyDown(kDown));  // nothing open
  tk::openBarMenu(*tk::context().registry.get<tk::MenuBarButton>(button(0)), false);
  EXPECT_EQ(hotId(0), -1);  // opened by the mouse: nothing hot
  tk::menuKeyDown(kEscape);
  EXPECT_FALSE(tk::menuIsOpen());
}

// A receiver that owner-draws the way the shell's menus do: a frame, items with their states.
TEST_F(MenuTest, OwnerDrawingRecordsAndDefaultLook) {
  HELE tree = XEle_Create(0, 30, 200, 300, wnd);
  HMENUX menu = XMenu_Create();
  HIMAGE icon = image(16, 16);
  XMenu_AddItemIcon(menu, 1000, u"New class", 0, icon, 0);
  XMenu_AddItem(menu, -1, u"", 0, menu_item_flag_separator);
  XMenu_AddItem(menu, 1001, u"Delete", 0, menu_item_flag_disable);
  XMenu_AddItem(menu, 1002, u"More", 0, menu_item_flag_popup);
  XMenu_AddItem(menu, 10020, u"Sub", 1002, 0);
  XMenu_SetItemHeight(menu, 24);
  XMenu_EnableDrawBackground(menu, true);
  XMenu_EnableDrawItem(menu, true);
  std::vector<XMenuDrawBackgroundInfo> backgrounds;
  struct Item {
    int id, state;
    XRect rect;
    HIMAGE icon;
    XString text;
  };
  std::vector<Item> items;
  HDRAW seen = 0;
  XEle_RegEventC(tree, XE_MENU_DRAW_BACKGROUND, [&](HDRAW d, XMenuDrawBackgroundInfo* info, bool*) {
    backgrounds.push_back(*info);
    XRect r;
    XWnd_GetDrawRect(info->window, &r);
    XDraw_FillRectColor(d, &r, XRGB(51, 51, 51), 255);
    seen = d;
    return 0;
  });
  XEle_RegEventC(tree, XE_MENU_DRAWITEM, [&](HDRAW d, XMenuDrawItemInfo* info, bool*) {
    items.push_back({info->id, info->state, info->rect, info->icon, info->text});
    if (info->state == menu_item_flag_separator) {
      XDraw_SetBrushColor(d, XRGB(51, 51, 52), 255);
      int y = info->rect.top + (info->rect.bottom - info->rect.top) / 2;
      XDraw_DrawLine(d, 32, y, info->rect.right - 6, y);
    }
    return 0;
  });
  std::vector<int> picked;
  XEle_RegEventC1(tree, XE_MENU_SELECT, [&](HELE, int id, bool*) { return picked.push_back(id), 0; });

  ASSERT_TRUE(XMenu_Popup(menu, nullptr, 500, 400, tree, menu_popup_position_right_bottom));
  tk::MenuWindow& w = popup(0);
  EXPECT_EQ(w.rect.right, 500);  // the point is the pop-up's lower right corner
  EXPECT_EQ(w.rect.bottom, 400);
  tk::menuMouseMove(w, at(0, 1001));
  tk::RecordingCanvas canvas;
  w.paint(canvas);
  ASSERT_EQ(backgrounds.size(), 1u);
  EXPECT_EQ(backgrounds[0].menu, menu);
  EXPECT_EQ(backgrounds[0].window, w.handle());
  EXPECT_EQ(backgrounds[0].parentId, -1);
  EXPECT_FALSE(XC_IsHXCGUI(seen, XC_DRAW));  // the context lived for the paint only
  const int width = w.rect.width();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].id, 1000);
  EXPECT_EQ(items[0].state, 0);
  EXPECT_EQ(items[0].rect, (XRect{2, 2, width - 2, 26}));
  EXPECT_EQ(items[0].icon, icon);
  EXPECT_EQ(items[0].text, XString(u"New class"));
  EXPECT_EQ(items[1].state, menu_item_flag_separator);
  EXPECT_EQ(items[1].rect, (XRect{2, 26, width - 2, 33}));
  EXPECT_EQ(items[2].state, menu_item_flag_disable | menu_item_flag_hot);
  EXPECT_EQ(items[3].state, menu_item_flag_popup);
  EXPECT_EQ(items[3].icon, 0u);
  // Only what the handlers drew: no look of the toolkit's own under or over it.
  EXPECT_EQ(canvas.drawn(), (std::vector<std::string>{"fill 0,0-" + std::to_string(width) + "," +
                                                          std::to_string(w.rect.height()) + " #333333/255",
                                                      "line 32,29-" + std::to_string(width - 8) + ",29 #333334/255"}));
  EXPECT_EQ(canvas.clipDepth(), 0);

  // The hot submenu parent reports 5; its own pop-up reports its parent id.
  items.clear();
  backgrounds.clear();
  tk::menuMouseMove(w, at(0, 1002));
  canvas.ops.clear();
  popup(0).paint(canvas);
  EXPECT_EQ(items[3].state, menu_item_flag_popup | menu_item_flag_hot);
  popup(1).paint(canvas);
  EXPECT_EQ(backgrounds.back().parentId, 1002);

  // Owner drawing off: the toolkit's look, and no events.
  XMenu_EnableDrawBackground(menu, false);
  XMenu_EnableDrawItem(menu, false);
  items.clear();
  canvas.ops.clear();
  popup(0).paint(canvas);
  EXPECT_TRUE(items.empty());
  std::vector<std::string> drawn = canvas.drawn();
  ASSERT_GE(drawn.size(), 4u);
  EXPECT_EQ(drawn[0], "fill 0,0-" + std::to_string(width) + "," + std::to_string(w.rect.height()) + " #1B1B1C/255");
  EXPECT_EQ(canvas.ops[3].kind, tk::CanvasOp::Kind::image);
  EXPECT_EQ(canvas.ops[3].rect, (XRect{2 + 6, 2 + 4, 2 + 6 + 16, 2 + 4 + 16}));
  EXPECT_EQ(canvas.ops[4].text, u"New class");

  // A free menu is gone once its pop-up closes; the pick reaches the receiver.
  tk::menuLeftUp(popup(1), at(1, 10020));
  EXPECT_EQ(picked, std::vector<int>{10020});
  EXPECT_FALSE(XC_IsHXCGUI(menu, XC_MENU));
}

TEST_F(MenuTest, HandlersThatCloseOrDestroyThingsMidway) {
  // 58 closing the menu: the session ends cleanly (57, 58, 62) and nothing stays open.
  bool closeIn58 = true;
  XEle_RegEventC1(bar, XE_MENU_POPUP_WND, [&](HELE, XMenuPopupInfo* info, bool*) {
    if (closeIn58) XWnd_CloseWindow(info->window);
    return 0;
  });
  XEle_SendEvent(button(0), XE_BNCLICK);
  EXPECT_EQ(log, (Log{"57 file", "58 -1", "62"}));
  EXPECT_FALSE(tk::menuIsOpen());
  closeIn58 = false;

  // An item handler that closes the menu while the pop-up paints: painting stops, clips balance.
  XMenu_EnableDrawItem(file, true);
  int drawn = 0;
  XEle_RegEventC(bar, XE_MENU_DRAWITEM, [&](HDRAW, XMenuDrawItemInfo*, bool*) {
    if (++drawn == 2) tk::menuDismiss();
    return 0;
  });
  XEle_SendEvent(button(0), XE_BNCLICK);
  HWINDOW root = tk::menuPopup(0);
  tk::RecordingCanvas canvas;
  tk::getWindow(root)->paint(canvas);
  EXPECT_EQ(drawn, 2);
  EXPECT_FALSE(XC_IsHWINDOW(root));
  EXPECT_EQ(canvas.clipDepth(), 0);

  // A selection handler may open the next menu at once.
  XEle_RegEventC1(bar, XE_MENU_SELECT, [&](HELE, int id, bool*) {
    if (id == 100) XEle_SendEvent(button(1), XE_BNCLICK);
    return 0;
  });
  XEle_SendEvent(button(0), XE_BNCLICK);
  tk::menuLeftUp(popup(0), at(0, 100));
  EXPECT_EQ(tk::menuOpenButton(), button(1));

  // The receiver dies with the menu open: input and painting go on harmlessly, 62 goes nowhere.
  tk::MenuWindow& w = popup(0);
  XEle_Destroy(bar);
  log.clear();
  tk::menuMouseMove(w, {10, 10});  // the bar's menu died with it: the session ends
  EXPECT_FALSE(tk::menuIsOpen());
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace tovalux::testing
