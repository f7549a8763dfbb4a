// Real mouse and keyboard input raising the toolkit's events in the right order: clicks
// (10, 11, 34), stay and leave (6, 8), double and right clicks (14, 13), focus (31, 32), size
// and show (36, 37), check buttons and radio groups (35), the wheel, typing into an edit, and
// tooltips.
#include <string>
#include <vector>

#include "toolkit/win32/tooltip.h"
#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

using Input = ToolkitScreen;

struct Log {
  std::vector<std::string> lines;
  void add(const std::string& line) { lines.push_back(line); }
  std::string joined() const { return spaced(lines); }
};

// Records the mouse events of an element under a short name.
void record(HELE element, const std::string& name, Log& log) {
  XEle_RegEventC(element, XE_MOUSESTAY, [&log, name](int, POINT*, bool*) {
    log.add(name + ":6");
    return 0;
  });
  XEle_RegEventC(element, XE_MOUSELEAVE, [&log, name](HELE, bool*) {
    log.add(name + ":8");
    return 0;
  });
  XEle_RegEventC(element, XE_LBUTTONDOWN, [&log, name](int, POINT*, bool*) {
    log.add(name + ":10");
    return 0;
  });
  XEle_RegEventC(element, XE_LBUTTONUP, [&log, name](int, POINT*, bool*) {
    log.add(name + ":11");
    return 0;
  });
  XEle_RegEventC(element, XE_BNCLICK, [&log, name](bool*) {
    log.add(name + ":34");
    return 0;
  });
  XEle_RegEventC(element, XE_LBUTTONDBCLICK, [&log, name](int, POINT*, bool*) {
    log.add(name + ":14");
    return 0;
  });
  XEle_RegEventC(element, XE_RBUTTONUP, [&log, name](int, POINT*, bool*) {
    log.add(name + ":13");
    return 0;
  });
}

// A window and the board its test elements go on.
std::pair<HWINDOW, HELE> testWindow(int width, int height) {
  HWINDOW w = XWnd_CreateEx(0, L"", L"input", 0, 150, 120, width, height, nullptr, 0);
  return {w, board(w)};
}

TEST_F(Input, ClicksRaiseDownUpClickInOrder) {
  auto [w, board] = testWindow(300, 120);
  HELE a = XBtn_Create(10, 10, 80, 30, L"A", board);
  HELE b = XBtn_Create(120, 10, 80, 30, L"B", board);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  Log log;
  record(a, "a", log);
  record(b, "b", log);

  click(hwnd, {40, 25});
  EXPECT_EQ(log.joined(), "a:6 a:10 a:11 a:34");
  log.lines.clear();
  // Released over another element: the pressed one gets the button-up, nobody a click, and
  // the hover moves only once the button is up. (Pressed away from the first click, which
  // would otherwise make a double click.)
  press(hwnd, {70, 15});
  moveTo(hwnd, {150, 25});
  release();
  EXPECT_EQ(log.joined(), "a:10 a:8 a:11 b:6");
  log.lines.clear();
  // Released outside the window: the capture still brings the button-up.
  press(hwnd, {180, 35});
  moveTo(hwnd, {150, 200});
  release();
  EXPECT_EQ(log.joined(), "b:10 b:8 b:11");
}

TEST_F(Input, StayAndLeaveFollowTheCursorAndTheWindowEdge) {
  auto [w, board] = testWindow(300, 120);
  HELE a = XBtn_Create(10, 10, 80, 30, L"A", board);
  HELE b = XBtn_Create(90, 10, 80, 30, L"B", board);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  Log log;
  record(a, "a", log);
  record(b, "b", log);
  moveTo(hwnd, {20, 20});
  moveTo(hwnd, {30, 20});  // moving inside raises nothing new
  moveTo(hwnd, {100, 20});
  EXPECT_EQ(log.joined(), "a:6 a:8 b:6") << "leave on the old element, then stay on the new";
  log.lines.clear();
  moveTo(hwnd, {100, 60});  // onto the window's own background
  EXPECT_EQ(log.joined(), "b:8");
  log.lines.clear();
  moveTo(hwnd, {100, 20});
  parkCursor();  // out of the window: its leave message (a moment later) ends the hover
  EXPECT_TRUE(pumpUntil([&] { return log.lines.size() >= 2; }));
  EXPECT_EQ(log.joined(), "b:6 b:8");
  EXPECT_EQ(XWnd_GetHWND(w), hwnd);
}

TEST_F(Input, DoubleAndRightClicks) {
  auto [w, board] = testWindow(300, 120);
  HELE a = XBtn_Create(10, 10, 80, 30, L"A", board);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  Log log;
  record(a, "a", log);
  moveTo(hwnd, {40, 25});
  log.lines.clear();
  doubleClick(hwnd, {40, 25});
  EXPECT_EQ(log.joined(), "a:10 a:11 a:34 a:14 a:10 a:11 a:34");
  log.lines.clear();
  rightClick(hwnd, {40, 25});
  EXPECT_EQ(log.joined(), "a:13");
}

TEST_F(Input, FocusMovesBetweenElements) {
  auto [w, board] = testWindow(300, 120);
  HELE a = XEdit_Create(10, 10, 120, 30, board);
  HELE b = XEdit_Create(150, 10, 120, 30, board);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  Log log;
  for (auto [e, name] : {std::pair{a, "a"}, std::pair{b, "b"}}) {
    std::string n = name;
    XEle_RegEventC(e, XE_SETFOCUS, [&log, n](bool*) {
      log.add(n + ":31");
      return 0;
    });
    XEle_RegEventC(e, XE_KILLFOCUS, [&log, n](bool*) {
      log.add(n + ":32");
      return 0;
    });
  }
  click(hwnd, {40, 25});
  click(hwnd, {200, 25});
  click(hwnd, {200, 25});  // no change, no event
  EXPECT_EQ(log.joined(), "a:31 a:32 b:31");
  EXPECT_EQ(GetFocus(), hwnd) << "an edit takes the keyboard for its window";
}

TEST_F(Input, CheckButtonsToggleAndRadiosKeepOneOfTheirGroup) {
  auto [w, board] = testWindow(360, 120);
  HELE check = XBtn_Create(10, 10, 90, 24, L"check", board);
  XBtn_SetType(check, button_type_checkbox);
  HELE radios[3];
  for (int i = 0; i < 3; ++i) {
    radios[i] = XBtn_Create(110 + 80 * i, 10, 70, 24, L"radio", board);
    XBtn_SetType(radios[i], button_type_radio);
    XBtn_SetGroupID(radios[i], 7);
  }
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  Log log;
  auto watch = [&log](HELE e, const std::string& name) {
    XEle_RegEventC(e, XE_BUTTON_CHECK, [&log, name](bool checked, bool*) {
      log.add(name + (checked ? ":on" : ":off"));
      return 0;
    });
  };
  watch(check, "c");
  watch(radios[0], "r0");
  watch(radios[1], "r1");
  watch(radios[2], "r2");
  click(hwnd, centre(check));
  click(hwnd, centre(check));
  EXPECT_EQ(log.joined(), "c:on c:off");
  log.lines.clear();
  click(hwnd, centre(radios[0]));
  click(hwnd, centre(radios[2]));
  click(hwnd, centre(radios[2]));
  EXPECT_EQ(log.joined(), "r0:on r0:off r2:on");
  EXPECT_FALSE(XBtn_IsCheck(radios[0]));
  EXPECT_FALSE(XBtn_IsCheck(radios[1]));
  EXPECT_TRUE(XBtn_IsCheck(radios[2]));
}

TEST_F(Input, SizeAndShowEvents) {
  auto [w, board] = testWindow(300, 200);
  XEle_Destroy(board);
  HELE fill = XLayout_Create(0, 0, 10, 10, w);
  XEle_SetLayoutWidth(fill, layout_size_fill, 0);
  XEle_SetLayoutHeight(fill, layout_size_fill, 0);
  HELE inner = XEle_Create(0, 0, 50, 50, fill);
  show(w);
  Log log;
  XEle_RegEventC(fill, XE_SIZE, [&log](int, bool*) {
    log.add("36");
    return 0;
  });
  XEle_RegEventC(inner, XE_SHOW, [&log](bool shown, bool*) {
    log.add(shown ? "37:on" : "37:off");
    return 0;
  });
  MoveWindow(XWnd_GetHWND(w), 150, 120, 340, 220, TRUE);
  waitFor("the size event", [&] { return !log.lines.empty(); });
  EXPECT_EQ(XEle_GetWidth(fill), 340);
  XEle_Show(inner, false);
  XEle_Show(inner, true);
  EXPECT_EQ(log.joined(), "36 37:off 37:on");
}

TEST_F(Input, WheelScrollsTheViewUnderTheCursor) {
  auto [w, board] = testWindow(300, 200);
  HELE edit = XEdit_Create(0, 0, 300, 200, board);
  XEle_SetLayoutWidth(edit, layout_size_fill, 0);
  XEle_SetLayoutHeight(edit, layout_size_fill, 0);
  XEdit_EnableMultiLine(edit, true);
  std::wstring text;
  for (int i = 0; i < 60; ++i) text += L"line " + std::to_wstring(i) + L"\n";
  XEdit_SetText(edit, text.c_str());
  show(w);
  HELE bar = XSView_GetScrollBarV(edit);
  ASSERT_TRUE(XC_IsHXCGUI(bar, XC_SCROLLBAR));
  ASSERT_GT(XSBar_GetRange(bar), 0);
  std::vector<int> positions;
  XEle_RegEventC(bar, XE_SBAR_SCROLL, [&positions](int pos, bool*) {
    positions.push_back(pos);
    return 0;
  });
  wheel(XWnd_GetHWND(w), {100, 100}, -2);  // towards the user: down
  ASSERT_EQ(positions.size(), 1u);
  EXPECT_GT(positions[0], 0);
  wheel(XWnd_GetHWND(w), {100, 100}, 1);
  ASSERT_EQ(positions.size(), 2u);
  EXPECT_LT(positions[1], positions[0]);
}

TEST_F(Input, TypingEditsTheFocusedEdit) {
  auto [w, board] = testWindow(320, 100);
  HELE edit = XEdit_Create(10, 10, 200, 28, board);
  HELE readOnly = XEdit_Create(10, 50, 200, 28, board);
  XEdit_SetText(readOnly, L"fixed");
  XEdit_EnableReadOnly(readOnly, true);
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  click(hwnd, centre(edit));
  type(L"abc");
  EXPECT_EQ(XEdit_GetText(edit), L"abc");
  key(VK_BACK);
  key(VK_LEFT);
  type(L"X易");
  EXPECT_EQ(XEdit_GetText(edit), L"aX易b");
  key(VK_HOME);
  key(VK_DELETE);
  key(VK_END);
  type(L"!");
  EXPECT_EQ(XEdit_GetText(edit), L"X易b!");
  key(VK_RETURN);  // a single-line edit takes no line break
  EXPECT_EQ(XEdit_GetText(edit), L"X易b!");

  click(hwnd, centre(readOnly));
  type(L"zz");
  key(VK_BACK);
  EXPECT_EQ(XEdit_GetText(readOnly), L"fixed");
}

TEST_F(Input, ArrowsMoveTheSelectionOfListsAndTrees) {
  auto [w, board] = testWindow(520, 240);
  const std::wstring theme = themeFolder();
  HELE listBox = XListBox_Create(10, 10, 150, 200, board);
  XListBox_SetItemTemplateXML(listBox, (theme + L"\\searchResultListBoxItem.xml").c_str());
  XListBox_CreateAdapter(listBox);
  for (int i = 0; i < 30; ++i) XListBox_AddItemText(listBox, (L"行 " + std::to_wstring(i)).c_str());
  HELE tree = XTree_Create(180, 10, 150, 200, board);
  XTree_SetItemTemplateXML(tree, (theme + L"\\LibsTreeItem.xml").c_str());
  XTree_CreateAdapter(tree);
  const int a = XTree_InsertItemText(tree, L"a");
  const int a1 = XTree_InsertItemText(tree, L"a1", a);
  XTree_InsertItemText(tree, L"a2", a);
  const int b = XTree_InsertItemText(tree, L"b");
  HELE list = XList_Create(350, 10, 160, 200, board);
  XList_SetItemTemplateXML(list, (theme + L"\\ListItem.xml").c_str());
  XList_CreateAdapterHeader(list);
  XList_CreateAdapter(list);
  XList_AddColumnText(list, 150, L"name1", L"名称");
  for (int i = 0; i < 5; ++i) XList_AddItemText(list, (L"r" + std::to_wstring(i)).c_str());
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  std::vector<int> listEvents, treeSelects, treeExpands;
  XEle_RegEventC(listBox, XE_LISTBOX_SELECT, [&listEvents](int row, bool*) {
    listEvents.push_back(row);
    return 0;
  });
  XEle_RegEventC(tree, XE_TREE_SELECT, [&treeSelects](int id, bool*) {
    treeSelects.push_back(id);
    return 0;
  });
  XEle_RegEventC(tree, XE_TREE_EXPAND, [&treeExpands](int id, bool*) {
    treeExpands.push_back(id);
    return 0;
  });

  click(hwnd, {60, 20});  // row 0
  EXPECT_EQ(XListBox_GetSelectItem(listBox), 0);
  EXPECT_EQ(GetFocus(), hwnd);
  key(VK_DOWN);
  key(VK_DOWN);
  key(VK_UP);
  EXPECT_EQ(XListBox_GetSelectItem(listBox), 1);
  key(VK_END);
  EXPECT_EQ(XListBox_GetSelectItem(listBox), 29);
  EXPECT_GT(XSBar_GetPos(XSView_GetScrollBarV(listBox)), 0) << "scrolled to show the selection";
  key(VK_HOME);
  EXPECT_EQ(listEvents, (std::vector<int>{0, 1, 2, 1, 29, 0}));

  click(hwnd, {240, 20});  // the tree's first item, a (collapsed)
  ASSERT_EQ(XTree_GetSelectItem(tree), a);
  key(VK_DOWN);
  EXPECT_EQ(XTree_GetSelectItem(tree), b) << "a's children are not shown";
  key(VK_UP);
  key(VK_RIGHT);  // expands a
  EXPECT_TRUE(XTree_IsExpand(tree, a));
  key(VK_RIGHT);  // to its first child
  EXPECT_EQ(XTree_GetSelectItem(tree), a1);
  key(VK_LEFT);  // a leaf: to the parent
  EXPECT_EQ(XTree_GetSelectItem(tree), a);
  key(VK_LEFT);  // collapses
  EXPECT_FALSE(XTree_IsExpand(tree, a));
  EXPECT_EQ(treeSelects, (std::vector<int>{a, b, a, a1, a}));
  EXPECT_EQ(treeExpands, (std::vector<int>{a, a}));

  click(hwnd, {400, 40});  // below the header: row 0 or 1
  const int first = XList_GetSelectItem(list);
  ASSERT_GE(first, 0);
  key(VK_DOWN);
  EXPECT_EQ(XList_GetSelectItem(list), first + 1);
  key(VK_END);
  EXPECT_EQ(XList_GetSelectItem(list), 4);
}

TEST_F(Input, ToolTipsShowAfterRestingAndGoOnLeave) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  EXPECT_EQ(XEle_GetToolTip(g.runButton), L"运行");
  moveTo(frame, centre(g.runButton));
  ASSERT_TRUE(pumpUntil([] { return win32::toolTipWindow() != nullptr && IsWindowVisible(win32::toolTipWindow()); }));
  HWND tip = win32::toolTipWindow();
  wchar_t text[64] = {};
  GetWindowTextW(tip, text, 64);
  EXPECT_STREQ(text, L"运行");
  RECT tipRect{}, buttonRect = clientRect(g.runButton);
  GetWindowRect(tip, &tipRect);
  MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&buttonRect), 2);
  EXPECT_GT(tipRect.top, buttonRect.top) << "below the cursor";
  EXPECT_NE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  // The tip is the toolkit's own drawing: its dark background and border.
  Capture shot(tip);
  EXPECT_EQ(shot.at(0, 0), RGB(0x3F, 0x3F, 0x46));
  EXPECT_EQ(shot.at(3, 3), RGB(0x25, 0x25, 0x26));
  saveArtefact(tip, "toolkit-tooltip");

  // Onto an element without a tooltip: gone.
  moveTo(frame, centre(XC_GetObjectByName(L"winTitle")));
  EXPECT_FALSE(IsWindowVisible(tip));
  // A press hides it too.
  moveTo(frame, centre(g.stopButton));
  ASSERT_TRUE(pumpUntil([tip] { return IsWindowVisible(tip) != FALSE; }));
  GetWindowTextW(tip, text, 64);
  EXPECT_STREQ(text, L"终止") << "disabled elements keep their tooltip";
  click(frame, centre(g.runButton));
  EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(Input, AToolTipStillWaitingForItsDelayIsDroppedWhenTheMouseMovesOffItsElement) {
  // The button straight on the window: the window's body around it is no element at all.
  HWINDOW w = XWnd_CreateEx(0, L"", L"input", 0, 150, 120, 300, 120, nullptr, 0);
  HELE button = XBtn_Create(10, 10, 80, 30, L"A", w);
  XEle_SetToolTip(button, L"提示");
  show(w);
  HWND hwnd = XWnd_GetHWND(w);
  // The test plays the delay itself: the tip's own timer is taken away as soon as the tip
  // waits for it (stopping it also proves that it was waiting), and its end is sent by hand.
  moveTo(hwnd, centre(button));
  HWND tip = win32::toolTipWindow();
  ASSERT_NE(tip, nullptr);
  ASSERT_TRUE(KillTimer(tip, win32::ToolTip::kShowTimer)) << "the tip is not waiting for its delay";
  moveTo(hwnd, {250, 100});  // off the element, onto none
  SendMessageW(tip, WM_TIMER, win32::ToolTip::kShowTimer, 0);
  EXPECT_FALSE(IsWindowVisible(tip)) << "the delay ended after the mouse had left";

  // The same delay ending while the mouse still rests on the element shows the tip.
  moveTo(hwnd, centre(button));
  ASSERT_TRUE(KillTimer(tip, win32::ToolTip::kShowTimer));
  SendMessageW(tip, WM_TIMER, win32::ToolTip::kShowTimer, 0);
  EXPECT_TRUE(IsWindowVisible(tip));
}

TEST_F(Input, LeavingAWindowForAnotherKeepsTheOtherWindowsToolTip) {
  HWINDOW first = XWnd_CreateEx(0, L"", L"first", 0, 150, 120, 200, 100, nullptr, 0);
  HWINDOW second = XWnd_CreateEx(0, L"", L"second", 0, 350, 120, 200, 100, nullptr, 0);
  HELE a = XBtn_Create(10, 10, 80, 30, L"A", first);
  HELE b = XBtn_Create(10, 10, 80, 30, L"B", second);
  XEle_SetToolTip(a, L"甲");
  XEle_SetToolTip(b, L"乙");
  show(first);
  show(second);
  // The first window's leave message comes a moment after the move under Wine, before or after
  // the second tip shows: seen by a handler of the first window (it runs before the toolkit's
  // own handling, which is over when the dispatch returns).
  bool firstLeft = false;
  XWnd_RegEventC(first, WM_MOUSELEAVE, [&firstLeft](WPARAM, LPARAM, bool*) {
    firstLeft = true;
    return 0;
  });
  moveTo(XWnd_GetHWND(first), centre(a));
  moveTo(XWnd_GetHWND(second), centre(b));  // straight from one window's button to the other's
  auto tipShown = [] { return win32::toolTipWindow() != nullptr && IsWindowVisible(win32::toolTipWindow()); };
  // Once the leave has been handled, the second window's tip must (still) show.
  ASSERT_TRUE(waitFor("the first window's leave and the second tip", [&] { return firstLeft && tipShown(); }));
  wchar_t text[16] = {};
  GetWindowTextW(win32::toolTipWindow(), text, 16);
  EXPECT_STREQ(text, L"乙");
}

}  // namespace
}  // namespace tovalux::testing
