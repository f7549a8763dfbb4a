// Combo-box drop-downs on screen: opened by a real click (72 with the pop-up window and its
// list), a pick raising 71 and setting the text unless handled, presses outside and on the box
// closing them, the keyboard, handlers resizing and refilling the pop-up, and placement above
// the box near the bottom of the screen.
#include <string>
#include <vector>

#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

class Combos : public ToolkitScreen {
 protected:
  void SetUp() override {
    ToolkitScreen::SetUp();
    g_ = showGallery();
    frame_ = XWnd_GetHWND(g_.frame);
    combo_ = g_.navVoid;
    ASSERT_TRUE(XC_IsHXCGUI(combo_, XC_COMBOBOX));
    XEle_RegEventC(combo_, XE_COMBOBOX_POPUP_LIST, [this](HWINDOW popup, HELE list, bool*) {
      events_.push_back("72");
      popup_ = popup;
      list_ = list;
      popupHwndAt72_ = XWnd_GetHWND(popup);
      return 0;
    });
    XEle_RegEventC(combo_, XE_COMBOBOX_SELECT, [this](int index, bool* handled) {
      events_.push_back("71:" + std::to_string(index));
      *handled = refuse_;
      return 0;
    });
  }
  std::string events() const { return spaced(events_); }
  HWND dropHwnd() { return XWnd_GetHWND(XComboBox_GetPopupWindow(combo_)); }
  // The centre of row `row` of the open drop-down, in its client coordinates.
  POINT rowPoint(int row) {
    RECT list = clientRect(list_);
    const int height = 22;  // ComboBoxListBoxItem.xml
    return {(list.left + list.right) / 2, list.top + row * height + height / 2};
  }

  gallery::Gallery g_;
  HWND frame_ = nullptr;
  HELE combo_ = 0;
  HWINDOW popup_ = 0;
  HELE list_ = 0;
  HWND popupHwndAt72_ = nullptr;
  bool refuse_ = false;
  std::vector<std::string> events_;
};

TEST_F(Combos, AClickOpensTheDropDownWithEvent72) {
  EXPECT_EQ(XComboBox_GetText(combo_), L"_按钮1_被单击");
  click(frame_, centre(combo_));
  EXPECT_EQ(events(), "72");
  ASSERT_TRUE(XC_IsHWINDOW(popup_));
  EXPECT_TRUE(XC_IsHXCGUI(list_, XC_LISTBOX));
  EXPECT_EQ(XComboBox_GetPopupWindow(combo_), popup_);
  HWND drop = dropHwnd();
  EXPECT_EQ(drop, popupHwndAt72_) << "the native window exists when 72 is raised";
  EXPECT_TRUE(IsWindowVisible(drop));
  EXPECT_EQ(GetForegroundWindow(), frame_) << "the drop-down takes no activation";
  EXPECT_EQ(GetWindow(drop, GW_OWNER), frame_);
  EXPECT_NE(GetWindowLongW(drop, GWL_EXSTYLE) & WS_EX_NOACTIVATE, 0);
  wchar_t name[64] = {};
  GetClassNameW(drop, name, 64);
  EXPECT_STREQ(name, L"TovaluxDropDown");
  // Under its box, as wide as it, one row per item.
  RECT box = clientRect(combo_), r{};
  MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&box), 2);
  GetWindowRect(drop, &r);
  EXPECT_EQ(r.left, box.left);
  EXPECT_EQ(r.top, box.bottom);
  EXPECT_EQ(r.right - r.left, box.right - box.left);
  EXPECT_EQ(r.bottom - r.top, 4 * 22);
  // The selected row carries the selection band.
  Capture shot(drop);
  EXPECT_EQ(shot.at(2, 22 + 2), RGB(0, 122, 204));
  EXPECT_NE(shot.at(2, 2), RGB(0, 122, 204));
  saveArtefact(drop, "toolkit-combo-dropdown");
}

TEST_F(Combos, PickingARowRaises71AndTakesItsText) {
  click(frame_, centre(combo_));
  HWND drop = dropHwnd();
  click(drop, rowPoint(3));
  EXPECT_EQ(events(), "72 71:3");
  EXPECT_EQ(XComboBox_GetPopupWindow(combo_), 0u);
  EXPECT_FALSE(IsWindow(drop));
  EXPECT_EQ(XComboBox_GetSelItem(combo_), 3);
  EXPECT_EQ(XComboBox_GetText(combo_), L"_时钟1_周期事件");

  // A handler that takes 71 keeps the box as it was.
  refuse_ = true;
  events_.clear();
  click(frame_, centre(combo_));
  click(dropHwnd(), rowPoint(0));
  EXPECT_EQ(events(), "72 71:0");
  EXPECT_EQ(XComboBox_GetSelItem(combo_), 3);
  EXPECT_EQ(XComboBox_GetText(combo_), L"_时钟1_周期事件");
}

TEST_F(Combos, PressesOutsideAndOnTheBoxClose) {
  int clicks = 0;
  XEle_RegEventC(g_.runButton, XE_BNCLICK, [&clicks](bool*) {
    ++clicks;
    return 0;
  });
  click(frame_, centre(combo_));
  ASSERT_NE(XComboBox_GetPopupWindow(combo_), 0u);
  click(frame_, centre(g_.runButton));
  EXPECT_EQ(XComboBox_GetPopupWindow(combo_), 0u);
  EXPECT_EQ(clicks, 0) << "the press that closes the drop-down goes no further";
  click(frame_, centre(combo_));
  ASSERT_NE(XComboBox_GetPopupWindow(combo_), 0u);
  click(frame_, centre(combo_));
  EXPECT_EQ(XComboBox_GetPopupWindow(combo_), 0u) << "the box's own click closes it";
  EXPECT_EQ(events(), "72 72");
  // Losing the activation closes it too.
  click(frame_, centre(combo_));
  HWINDOW other = XWnd_CreateEx(0, L"", L"other", 0, 10, 10, 200, 100, nullptr, 0);
  XWnd_ShowWindow(other, SW_SHOW);
  showInFront(XWnd_GetHWND(other));
  EXPECT_EQ(XComboBox_GetPopupWindow(combo_), 0u);
}

TEST_F(Combos, KeysMoveChooseAndClose) {
  click(frame_, centre(combo_));
  std::vector<int> selections;
  XEle_RegEventC(list_, XE_LISTBOX_SELECT, [&selections](int row, bool*) {
    selections.push_back(row);
    return 0;
  });
  key(VK_DOWN);
  key(VK_DOWN);
  key(VK_UP);
  EXPECT_EQ(selections, (std::vector<int>{2, 3, 2}));
  key(VK_RETURN);
  EXPECT_EQ(events(), "72 71:2");
  EXPECT_EQ(XComboBox_GetText(combo_), L"_按钮2_被单击");
  events_.clear();
  click(frame_, centre(combo_));
  key(VK_END);
  key(VK_ESCAPE);
  EXPECT_EQ(events(), "72");
  EXPECT_EQ(XComboBox_GetPopupWindow(combo_), 0u);
  EXPECT_EQ(XComboBox_GetSelItem(combo_), 2);
}

TEST_F(Combos, HandlersOf72RefillAndResize) {
  // As the shell does: the list is filled when it drops and the pop-up made wider.
  XEle_RegEventC(combo_, XE_COMBOBOX_POPUP_LIST, [this](HWINDOW popup, HELE list, bool*) {
    XComboBox_DeleteItemAll(combo_);
    for (int i = 0; i < 30; ++i) XComboBox_AddItemText(combo_, (L"项 " + std::to_wstring(i)).c_str());
    RECT r{};
    GetWindowRect(XWnd_GetHWND(popup), &r);
    MoveWindow(XWnd_GetHWND(popup), r.left, r.top, 318, 200, TRUE);
    XEle_SetWidth(list, 318);
    XEle_SetHeight(list, 200);
    XWnd_AdjustLayout(popup);
    return 0;
  });
  click(frame_, centre(combo_));
  HWND drop = dropHwnd();
  RECT r{};
  GetWindowRect(drop, &r);
  EXPECT_EQ(r.right - r.left, 318);
  EXPECT_EQ(r.bottom - r.top, 200);
  EXPECT_EQ(XComboBox_GetCount(combo_), 30);
  // The wheel scrolls the long list.
  HELE bar = XSView_GetScrollBarV(list_);
  ASSERT_TRUE(XC_IsHXCGUI(bar, XC_SCROLLBAR));
  wheel(drop, {100, 100}, -2);
  EXPECT_GT(XSBar_GetPos(bar), 0);
  click(drop, {100, 10});
  EXPECT_FALSE(IsWindow(drop));
  EXPECT_EQ(XComboBox_GetSelItem(combo_) > 0, true) << "a row further down was chosen";
}

TEST_F(Combos, OpensAboveWhenTheScreenHasNoRoomBelow) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(frame_, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT box = clientRect(combo_);
  // The frame moved so that the box ends 20 pixels above the bottom of the work area.
  RECT frameRect{};
  GetWindowRect(frame_, &frameRect);
  const int y = monitor.rcWork.bottom - 20 - box.bottom;
  MoveWindow(frame_, frameRect.left, y, frameRect.right - frameRect.left, frameRect.bottom - frameRect.top, TRUE);
  waitFor("the frame moved", [&] {
    RECT now{};
    GetWindowRect(frame_, &now);
    return now.top == y;
  });
  click(frame_, centre(combo_));
  HWND drop = dropHwnd();
  ASSERT_TRUE(IsWindow(drop));
  box = clientRect(combo_);
  MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&box), 2);
  RECT r{};
  GetWindowRect(drop, &r);
  EXPECT_EQ(r.bottom, box.top);
  EXPECT_LE(r.bottom, monitor.rcWork.bottom);
}

}  // namespace
}  // namespace tovalux::testing
