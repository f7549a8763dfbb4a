// The toolkit's windows as a screen reader gets them: AccessibleObjectFromWindow on each window
// gives an IAccessible tree whose objects say, for every element kind, what the element is
// (role, name, value, states, place on the screen, children), whose default actions do what a
// click does, and whose changes arrive as win events (a hook in this process) for focus,
// selection and expansion. Objects of elements that died answer "not connected".
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/model/menus/menu.h"
#include "accessible_reader.h"
#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

RECT screenRect(HELE element) {
  RECT r = clientRect(element);
  MapWindowPoints(XEle_GetHWND(element), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Win events of this process, as a screen reader's hook receives them.
struct Heard {
  DWORD event;
  HWND window;
  LONG object, child;
};
std::vector<Heard>& heard() {
  static std::vector<Heard> events;
  return events;
}
void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  heard().push_back({event, window, object, child});
}

// The object an event names, as a screen reader asks for it.
Acc objectOf(const Heard& h) {
  IAccessible* p = nullptr;
  VARIANT child;
  VariantInit(&child);
  if (FAILED(
          AccessibleObjectFromEvent(h.window, static_cast<DWORD>(h.object), static_cast<DWORD>(h.child), &p, &child)) ||
      p == nullptr)
    return {};
  // Our objects come back as objects of their own (child id CHILDID_SELF).
  EXPECT_EQ(V_VT(&child), VT_I4);
  EXPECT_EQ(V_I4(&child), CHILDID_SELF);
  return Acc(p);
}

class Accessibility : public ToolkitScreen {
 protected:
  void SetUp() override {
    com_ = CoInitialize(nullptr);
    ToolkitScreen::SetUp();
    heard().clear();
  }
  void TearDown() override {
    if (hook_ != nullptr) UnhookWinEvent(hook_);
    ToolkitScreen::TearDown();
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  void listen() {
    hook_ =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, nullptr, onWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  }
  // The first event heard of `event` whose object is named `name`.
  bool heardOf(DWORD event, const std::wstring& name) {
    // A copy: asking for an object serves messages, and more events may come meanwhile.
    const std::vector<Heard> events = heard();
    for (const Heard& h : events)
      if (h.event == event)
        if (Acc a = objectOf(h); a && a.name() == name) return true;
    return false;
  }

  HRESULT com_ = E_FAIL;
  HWINEVENTHOOK hook_ = nullptr;
};

TEST_F(Accessibility, EveryElementKindSaysWhatItIsWhereItIsAndWhatItHolds) {
  HWINDOW w = XWnd_CreateEx(0, L"", L"无障碍", 0, 40, 40, 640, 420);
  HELE b = board(w);
  HELE bar = XToolBar_Create(0, 0, 640, 28, b);
  HELE save = XBtn_Create(0, 0, 24, 24, L"", bar);
  XEle_SetToolTip(save, L"保存");
  HELE wrap = XBtn_Create(0, 0, 24, 24, L"", bar);
  XEle_SetToolTip(wrap, L"切换自动换行");
  XBtn_SetType(wrap, button_type_check);
  XBtn_SetCheck(wrap, true);
  HELE stop = XBtn_Create(0, 0, 50, 24, L"停止", bar);
  XEle_Enable(stop, false);
  HELE tabs = XTabBar_Create(0, 30, 300, 24, b);
  XTabBar_AddLabel(tabs, L"窗口程序集_启动窗口");
  XTabBar_AddLabel(tabs, L"模块");
  XTabBar_SetSelect(tabs, 0);
  HELE combo = XComboBox_Create(310, 30, 160, 22, b);
  XEle_SetToolTip(combo, L"链接器");
  XComboBox_AddItemText(combo, L"默认");
  XComboBox_AddItemText(combo, L"LinkerA");
  XComboBox_SetSelItem(combo, 0);
  HELE tree = XTree_Create(0, 60, 300, 200, b);
  XEle_SetToolTip(tree, L"项目");
  XTree_InsertItemText(tree, L"窗口程序集_启动窗口", XTree_InsertItemText(tree, L"程序"));
  HELE list = XList_Create(310, 60, 320, 200, b);
  XList_AddColumnText(list, 120, L"name1", L"名称");
  XList_AddColumnText(list, 150, L"name2", L"值");
  XList_SetItemText(list, XList_AddItemText(list, L"变量1"), 1, L"123");
  HELE edit = XEdit_Create(0, 270, 500, 100, b);
  XEdit_SetText(edit, L"编译成功");
  HELE box = XBtn_Create(510, 270, 110, 20, L"显示行号", b);
  XBtn_SetType(box, button_type_checkbox);
  XBtn_SetCheck(box, true);
  HELE radio = XBtn_Create(510, 295, 110, 20, L"管理员", b);
  XBtn_SetType(radio, button_type_radio);
  XShapeText_Create(510, 320, 110, 20, L"就绪", b);
  HELE sbar = XSBar_Create(510, 345, 110, 16, b);
  XSBar_EnableHorizon(sbar, true);
  XSBar_SetRange(sbar, 200);
  XSBar_ScrollPos(sbar, 100);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);

  Acc root = clientOf(hwnd);
  ASSERT_TRUE(root);
  EXPECT_EQ(root.role(), ROLE_SYSTEM_WINDOW);
  EXPECT_EQ(root.name(), L"无障碍");
  RECT client{};
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_TRUE(sameRect(root.bounds(), client));

  // Tool bar: icon buttons are named by their tooltip; states as the buttons are.
  Acc toolBar = root.children().at(0);
  EXPECT_EQ(toolBar.role(), ROLE_SYSTEM_TOOLBAR);
  EXPECT_EQ(toolBar.childNames(), (std::vector<std::wstring>{L"保存", L"切换自动换行", L"停止"}));
  Acc saveAcc = toolBar.children()[0];
  EXPECT_EQ(saveAcc.role(), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(saveAcc.description(), L"保存");
  EXPECT_TRUE(sameRect(saveAcc.bounds(), screenRect(save))) << "screen coordinates";
  EXPECT_NE(toolBar.children()[1].state() & STATE_SYSTEM_CHECKED, 0);
  EXPECT_NE(toolBar.children()[2].state() & STATE_SYSTEM_UNAVAILABLE, 0);

  // Tabs, the combo box, the tree with its items, the list with its headings and rows, the edit.
  Acc tabList = root.find(ROLE_SYSTEM_PAGETABLIST, L"");
  ASSERT_TRUE(tabList);
  EXPECT_EQ(tabList.childNames(), (std::vector<std::wstring>{L"窗口程序集_启动窗口", L"模块"}));
  EXPECT_NE(tabList.children()[0].state() & STATE_SYSTEM_SELECTED, 0);
  Acc comboAcc = root.find(ROLE_SYSTEM_COMBOBOX, L"链接器");
  ASSERT_TRUE(comboAcc);
  EXPECT_EQ(comboAcc.value(), L"默认");
  EXPECT_NE(comboAcc.state() & STATE_SYSTEM_COLLAPSED, 0);
  Acc treeAcc = root.find(ROLE_SYSTEM_OUTLINE, L"项目");
  ASSERT_TRUE(treeAcc);
  Acc program = treeAcc.children().at(0);
  EXPECT_EQ(program.role(), ROLE_SYSTEM_OUTLINEITEM);
  EXPECT_EQ(program.name(), L"程序");
  EXPECT_EQ(program.value(), L"0") << "its level";
  EXPECT_NE(program.state() & STATE_SYSTEM_COLLAPSED, 0);
  Acc listAcc = root.find(ROLE_SYSTEM_LIST, L"");
  ASSERT_TRUE(listAcc);
  std::vector<Acc> rows = listAcc.children();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0].role(), ROLE_SYSTEM_COLUMNHEADER);
  EXPECT_EQ(rows[0].name(), L"名称");
  EXPECT_EQ(rows[2].role(), ROLE_SYSTEM_LISTITEM);
  EXPECT_EQ(rows[2].value(), L"变量1\t123");
  Acc editAcc = root.find(ROLE_SYSTEM_TEXT, L"");
  ASSERT_TRUE(editAcc);
  EXPECT_EQ(editAcc.value(), L"编译成功");

  Acc boxAcc = root.find(ROLE_SYSTEM_CHECKBUTTON, L"显示行号");
  ASSERT_TRUE(boxAcc);
  EXPECT_NE(boxAcc.state() & STATE_SYSTEM_CHECKED, 0);
  EXPECT_EQ(boxAcc.action(), L"取消选中");
  EXPECT_TRUE(sameRect(boxAcc.bounds(), screenRect(box)));
  Acc radioAcc = root.find(ROLE_SYSTEM_RADIOBUTTON, L"管理员");
  ASSERT_TRUE(radioAcc);
  EXPECT_EQ(radioAcc.state() & STATE_SYSTEM_CHECKED, 0);
  ASSERT_EQ(radioAcc.press(), S_OK);
  waitFor("the radio checked", [&] { return XBtn_IsCheck(radio); });
  EXPECT_NE(radioAcc.state() & STATE_SYSTEM_CHECKED, 0);
  EXPECT_TRUE(root.find(ROLE_SYSTEM_STATICTEXT, L"就绪"));
  Acc sbarAcc = root.find(ROLE_SYSTEM_SCROLLBAR, L"");
  ASSERT_TRUE(sbarAcc);
  EXPECT_EQ(sbarAcc.value(), L"50") << "the position in percent";
  EXPECT_EQ(sbarAcc.childNames(), (std::vector<std::wstring>{L"左移", L"右移"}));

  // Hit testing and navigation.
  const RECT s = screenRect(stop);
  VARIANT hit;
  VariantInit(&hit);
  ASSERT_EQ(root.get()->accHitTest((s.left + s.right) / 2, (s.top + s.bottom) / 2, &hit), S_OK);
  ASSERT_EQ(V_VT(&hit), VT_DISPATCH);
  IAccessible* hitAcc = nullptr;
  V_DISPATCH(&hit)->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&hitAcc));
  VariantClear(&hit);
  EXPECT_EQ(Acc(hitAcc).name(), L"停止");
  VARIANT next;
  VariantInit(&next);
  ASSERT_EQ(saveAcc.get()->accNavigate(NAVDIR_NEXT, self(), &next), S_OK);
  ASSERT_EQ(V_VT(&next), VT_DISPATCH);
  IAccessible* nextAcc = nullptr;
  V_DISPATCH(&next)->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&nextAcc));
  VariantClear(&next);
  EXPECT_EQ(Acc(nextAcc).name(), L"切换自动换行");
}

TEST_F(Accessibility, DefaultActionsDoWhatAClickDoesAndDeadObjectsSaySo) {
  HWINDOW w = XWnd_CreateEx(0, L"", L"", 0, 40, 40, 500, 320);
  HELE b = board(w);
  HELE bar = XMenuBar_Create(0, 0, 500, 24, b);
  XMenuBar_AddButton(bar, L"文件(F)");
  HMENUX file = XMenuBar_GetMenu(bar, 0);
  XMenu_AddItem(file, 100, L"新建(N)");
  XMenu_AddItem(file, 101, L"打开(O)");
  std::vector<int> picked;
  XEle_RegEventC(bar, XE_MENU_SELECT, [&](int id, bool*) { return picked.push_back(id), 0; });
  HELE run = XBtn_Create(10, 40, 60, 24, L"运行", b);
  int runs = 0;
  XEle_RegEventC(run, XE_BNCLICK, [&](bool*) { return ++runs, 0; });
  HELE tree = XTree_Create(10, 80, 300, 200, b);
  const int root = XTree_InsertItemText(tree, L"程序");
  XTree_InsertItemText(tree, L"模块", root);
  HELE combo = XComboBox_Create(320, 40, 160, 22, b);
  XComboBox_AddItemText(combo, L"默认");
  XComboBox_AddItemText(combo, L"LinkerA");
  show(w);
  Acc client = clientOf(XWnd_GetHWND(w));

  // A button: its click event.
  Acc runAcc = client.find(ROLE_SYSTEM_PUSHBUTTON, L"运行");
  ASSERT_TRUE(runAcc);
  EXPECT_EQ(runAcc.action(), L"按下");
  ASSERT_EQ(runAcc.press(), S_OK);
  waitFor("the click", [&] { return runs == 1; });

  // A tree item with children: expands.
  Acc program = client.find(ROLE_SYSTEM_OUTLINEITEM, L"程序");
  ASSERT_TRUE(program);
  EXPECT_EQ(program.action(), L"展开");
  ASSERT_EQ(program.press(), S_OK);
  waitFor("the item expanded", [&] { return XTree_IsExpand(tree, root); });
  EXPECT_NE(program.state() & STATE_SYSTEM_EXPANDED, 0);
  EXPECT_TRUE(client.find(ROLE_SYSTEM_OUTLINEITEM, L"模块"));

  // A combo box opens its drop-down, a native pop-up of its own read the same way.
  Acc comboAcc = client.find(ROLE_SYSTEM_COMBOBOX, L"");
  ASSERT_EQ(comboAcc.press(), S_OK);
  waitFor("the drop-down", [&] { return XComboBox_GetPopupWindow(combo) != 0; });
  Acc dropDown = clientOf(XWnd_GetHWND(XComboBox_GetPopupWindow(combo)));
  Acc linker = dropDown.find(ROLE_SYSTEM_LISTITEM, L"LinkerA");
  ASSERT_TRUE(linker);
  ASSERT_EQ(linker.press(), S_OK);
  waitFor("the choice", [&] { return XComboBox_GetPopupWindow(combo) == 0 && XComboBox_GetText(combo) == L"LinkerA"; });
  EXPECT_EQ(comboAcc.value(), L"LinkerA");

  // A menu: the bar button opens it; its pop-up lists the items; an item picks.
  Acc fileAcc = client.find(ROLE_SYSTEM_MENUITEM, L"文件(F)");
  ASSERT_TRUE(fileAcc);
  ASSERT_EQ(fileAcc.press(), S_OK);
  waitFor("the menu", [] { return tk::menuIsOpen(); });
  Acc popup = clientOf(XWnd_GetHWND(tk::menuPopup(0)));
  EXPECT_EQ(popup.role(), ROLE_SYSTEM_MENUPOPUP);
  EXPECT_EQ(popup.childNames(), (std::vector<std::wstring>{L"新建(N)", L"打开(O)"}));
  Acc open = popup.children().at(1);
  EXPECT_EQ(open.role(), ROLE_SYSTEM_MENUITEM);
  ASSERT_EQ(open.press(), S_OK);
  waitFor("the pick", [&] { return picked == std::vector<int>{101}; });
  // The pop-up's objects died with it.
  BSTR name = nullptr;
  EXPECT_EQ(open.get()->get_accName(self(), &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(popup.get()->get_accName(self(), &name), CO_E_OBJNOTCONNECTED);

  // An element destroyed: its object answers "not connected", never a dangling pointer.
  XEle_Destroy(run);
  EXPECT_EQ(runAcc.get()->get_accName(self(), &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(runAcc.press(), CO_E_OBJNOTCONNECTED);
  long count = 0;
  EXPECT_EQ(runAcc.get()->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
}

TEST_F(Accessibility, AScreenReaderHearsFocusSelectionAndExpansion) {
  listen();
  ASSERT_NE(hook_, nullptr);
  HWINDOW w = XWnd_CreateEx(0, L"", L"", 0, 40, 40, 500, 320);
  HELE b = board(w);
  HELE box = XListBox_Create(10, 10, 200, 120, b);
  for (const wchar_t* t : {L"甲", L"乙", L"丙"}) XListBox_AddItemText(box, t);
  HELE tree = XTree_Create(220, 10, 260, 200, b);
  const int root = XTree_InsertItemText(tree, L"程序");
  XTree_InsertItemText(tree, L"模块", root);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);

  // A click on a row: the list takes the keyboard, the row is selected and has the focus.
  Acc client = clientOf(hwnd);
  const RECT row = [&] {
    RECT r = clientRect(box);
    return RECT{r.left, r.top + 20, r.right, r.top + 40};  // the second row of 20
  }();
  click(hwnd, {(row.left + row.right) / 2, (row.top + row.bottom) / 2});
  waitFor("the selection heard", [&] { return heardOf(EVENT_OBJECT_SELECTION, L"乙"); });
  waitFor("the focus heard", [&] { return heardOf(EVENT_OBJECT_FOCUS, L"乙"); });
  VARIANT focus;
  VariantInit(&focus);
  ASSERT_EQ(client.get()->get_accFocus(&focus), S_OK);
  ASSERT_EQ(V_VT(&focus), VT_DISPATCH);
  IAccessible* focusAcc = nullptr;
  V_DISPATCH(&focus)->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&focusAcc));
  VariantClear(&focus);
  Acc focused(focusAcc);
  EXPECT_EQ(focused.name(), L"乙");
  EXPECT_NE(focused.state() & STATE_SYSTEM_FOCUSED, 0);
  EXPECT_NE(focused.state() & STATE_SYSTEM_SELECTED, 0);

  // The keyboard moves the selection: heard the same way.
  heard().clear();
  key(VK_DOWN);
  waitFor("the next selection heard", [&] { return heardOf(EVENT_OBJECT_SELECTION, L"丙"); });

  // Expanding a tree item is a state change of the item.
  heard().clear();
  Acc program = client.find(ROLE_SYSTEM_OUTLINEITEM, L"程序");
  ASSERT_TRUE(program);
  ASSERT_EQ(program.press(), S_OK);
  waitFor("the expansion heard", [&] { return heardOf(EVENT_OBJECT_STATECHANGE, L"程序"); });
  EXPECT_NE(program.state() & STATE_SYSTEM_EXPANDED, 0);
}

TEST_F(Accessibility, TheGalleryFrameIsReadWholeAndItsTipToo) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  Acc root = clientOf(frame);
  ASSERT_TRUE(root);
  size_t objects = 0;
  std::vector<std::wstring> panes, buttons;
  std::function<void(const Acc&)> walk = [&](const Acc& a) {
    ++objects;
    if (a.role() == ROLE_SYSTEM_PANE) panes.push_back(a.name());
    if (a.role() == ROLE_SYSTEM_PUSHBUTTON) buttons.push_back(a.name());
    for (const Acc& c : a.children()) walk(c);
  };
  walk(root);
  std::printf("gallery frame: %zu accessible objects\n", objects);
  EXPECT_GT(objects, 100u);
  EXPECT_TRUE(root.find(ROLE_SYSTEM_MENUBAR, L""));
  EXPECT_TRUE(root.find(ROLE_SYSTEM_MENUITEM, L"文件(F)"));
  EXPECT_TRUE(root.find(ROLE_SYSTEM_STATUSBAR, L""));
  EXPECT_TRUE(root.find(ROLE_SYSTEM_PUSHBUTTON, L"切换自动换行"));
  EXPECT_EQ(panes.size(), 12u);
  for (const std::wstring& b : buttons) EXPECT_FALSE(b.empty()) << "every button has a name";

  // The tooltip pop-up: a tool tip object named by what it shows.
  const POINT at = centre(g.runButton);
  moveTo(frame, at);
  waitFor("the tooltip", [] { return win32::toolTipWindow() != nullptr && IsWindowVisible(win32::toolTipWindow()); });
  Acc tip = clientOf(win32::toolTipWindow());
  ASSERT_TRUE(tip);
  EXPECT_EQ(tip.role(), ROLE_SYSTEM_TOOLTIP);
  EXPECT_EQ(tip.name(), std::wstring(XEle_GetToolTip(g.runButton).c_str()));
}

}  // namespace
}  // namespace tovalux::testing
