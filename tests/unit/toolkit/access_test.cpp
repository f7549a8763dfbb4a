// The accessible description of real toolkit objects built through the public functions: roles,
// names, values, states, places, children in visual order, ids that live as long as their object,
// hit testing, navigation, default actions that go the way of a click, and the notices.
#include <gtest/gtest.h>

// This program counts the allocations of painting with a replaced operator new (counted_heap.h);
// GCC takes every delete of an object made by `new` for a mismatch with it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "toolkit/model/access/accessible.h"
#include "toolkit/model/access/notices.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "../counted_heap.h"
#include "views_fixture.h"

namespace tovalux::testing {
namespace {

namespace ax = tk::access;
using ax::Ref;

// Narrow literals here are GBK (the sources' execution character set), as every text of the system.
std::string u8(const std::u16string& s) { return utf16ToGbk(s); }

// One line per object: role "name" [value] {states}, indented by depth.
std::string outline(const Ref& r, int depth = 0, int maxDepth = 8) {
  std::string line =
      std::string(static_cast<size_t>(depth) * 2, ' ') + ax::roleName(ax::role(r)) + " \"" + u8(ax::name(r)) + "\"";
  if (std::u16string v = ax::value(r); !v.empty()) line += " [" + u8(v) + "]";
  if (std::string s = ax::stateWords(ax::states(r) & ~ax::state_focusable & ~ax::state_selectable); !s.empty())
    line += " {" + s + "}";
  line += "\n";
  if (depth < maxDepth)
    for (const Ref& c : ax::children(r)) line += outline(c, depth + 1, maxDepth);
  return line;
}

std::vector<std::string> childNames(const Ref& r) {
  std::vector<std::string> out;
  for (const Ref& c : ax::children(r)) out.push_back(u8(ax::name(c)));
  return out;
}

Ref el(HXCGUI h) {
  auto r = ax::refOfHandle(h);
  EXPECT_TRUE(r.has_value()) << "handle " << h << " is not described";
  return r.value_or(Ref{});
}

void scrollTo(HELE view, int pos) { XSBar_ScrollPos(XSView_GetScrollBarV(view), pos); }

std::optional<Ref> childNamed(const Ref& parent, const std::u16string& name) {
  for (const Ref& c : ax::children(parent))
    if (ax::name(c) == name) return c;
  return std::nullopt;
}

class Access : public ViewsTest {
 protected:
  void TearDown() override {
    ax::stopNotices();
    ViewsTest::TearDown();
  }
  HWINDOW shownWindow(int width = 400, int height = 300) {
    HWINDOW w = window(width, height);
    XWnd_ShowWindow(w, 5);
    return w;
  }
  static std::vector<std::string> noticeLines() {
    std::vector<std::string> out;
    for (const ax::Notice& n : ax::takeNotices()) {
      std::string who = "window";
      if (n.id != 0) {
        auto r = ax::fromId(n.id);
        who = r ? std::string(ax::roleName(ax::role(*r))) + " " + u8(ax::name(*r)) : "dead";
      }
      out.push_back(std::string(ax::eventName(n.event)) + " " + who);
    }
    return out;
  }
};

// --- tool bars and buttons ------------------------------------------------------------------

TEST_F(Access, ToolBarButtonsAreNamedByTextOrTipAndCarryTheirStates) {
  HWINDOW w = shownWindow();
  HELE bar = XToolBar_Create(0, 0, 400, 30, w);
  HELE save = XBtn_Create(0, 0, 24, 24, u"", bar);
  XEle_SetToolTip(save, u"保存 (Ctrl+S)");
  HELE run = XBtn_Create(0, 0, 60, 24, u"运行", bar);
  XEle_SetToolTip(run, u"运行程序");
  HELE wrap = XBtn_Create(0, 0, 24, 24, u"", bar);
  XEle_SetToolTip(wrap, u"自动换行");
  XBtn_SetType(wrap, button_type_check);
  XBtn_SetCheck(wrap, true);
  HELE stop = XBtn_Create(0, 0, 24, 24, u"停止", bar);
  XEle_Enable(stop, false);
  HELE box = XBtn_Create(0, 0, 80, 24, u"显示行号", bar);
  XBtn_SetType(box, button_type_checkbox);
  XWnd_AdjustLayout(w);

  EXPECT_EQ(outline(ax::windowRef(w)),
            "window \"\"\n"
            "  tool-bar \"\"\n"
            "    push-button \"保存 (Ctrl+S)\"\n"
            "    push-button \"运行\"\n"
            "    push-button \"自动换行\" {checked}\n"
            "    push-button \"停止\" {unavailable}\n"
            "    check-box \"显示行号\"\n");
  EXPECT_EQ(u8(ax::description(el(run))), "运行程序");
  EXPECT_EQ(u8(ax::description(el(stop))), "");
  EXPECT_EQ(ax::location(el(run)), wrect(run));
  EXPECT_EQ(u8(ax::actionName(el(save))), "按下");
  EXPECT_EQ(u8(ax::actionName(el(box))), "选中");

  // The default action is a click: the click event and the kind's own behaviour.
  int clicks = 0;
  XEle_RegEventC(run, XE_BNCLICK, [&](bool*) { return ++clicks, 0; });
  EXPECT_TRUE(ax::doDefaultAction(el(run)));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(ax::doDefaultAction(el(box)));
  EXPECT_TRUE(XBtn_IsCheck(box));
  EXPECT_NE(ax::states(el(box)) & ax::state_checked, 0u);
  EXPECT_EQ(u8(ax::actionName(el(box))), "取消选中");
  EXPECT_TRUE(ax::doDefaultAction(el(wrap)));
  EXPECT_FALSE(XBtn_IsCheck(wrap));
  // Disabled: nothing happens.
  int stopClicks = 0;
  XEle_RegEventC(stop, XE_BNCLICK, [&](bool*) { return ++stopClicks, 0; });
  EXPECT_FALSE(ax::doDefaultAction(el(stop)));
  EXPECT_EQ(stopClicks, 0);
}

TEST_F(Access, HiddenAndCoveredElementsSayWhyAndAClickReachesOnlyWhatShows) {
  HWINDOW w = shownWindow(200, 100);
  HELE board = XEle_Create(0, 0, 200, 100, w);
  HELE away = XBtn_Create(300, 10, 40, 20, u"远处", board);  // outside the window
  HELE gone = XBtn_Create(10, 10, 40, 20, u"隐藏", board);
  XEle_Show(gone, false);
  HELE under = XBtn_Create(60, 10, 40, 20, u"下面", board);
  HELE over = XBtn_Create(60, 10, 40, 20, u"上面", board);  // covers `under`
  XWnd_AdjustLayout(w);
  EXPECT_NE(ax::states(el(away)) & ax::state_offscreen, 0u);
  EXPECT_NE(ax::states(el(gone)) & ax::state_invisible, 0u);
  EXPECT_EQ(ax::states(el(under)) & (ax::state_offscreen | ax::state_invisible), 0u);
  EXPECT_FALSE(ax::doDefaultAction(el(gone)));

  // A covered button gets its click without the one on top hearing anything.
  int overClicks = 0, underClicks = 0;
  XEle_RegEventC(over, XE_BNCLICK, [&](bool*) { return ++overClicks, 0; });
  XEle_RegEventC(under, XE_BNCLICK, [&](bool*) { return ++underClicks, 0; });
  EXPECT_TRUE(ax::doDefaultAction(el(under)));
  EXPECT_EQ(underClicks, 1);
  EXPECT_EQ(overClicks, 0);
  EXPECT_TRUE(ax::doDefaultAction(el(over)));
  EXPECT_EQ(overClicks, 1);
  // A window that is not shown describes everything in it as invisible.
  XWnd_ShowWindow(w, 0);
  EXPECT_NE(ax::states(el(over)) & ax::state_invisible, 0u);
  EXPECT_NE(ax::states(ax::windowRef(w)) & ax::state_invisible, 0u);
}

TEST_F(Access, ChildrenComeInVisualOrderThroughTransparentLayouts) {
  HWINDOW w = shownWindow(300, 200);
  XWnd_SetLayoutSize(w, 0, 30, 0, 20);
  // A free board whose buttons were made bottom-right first.
  HELE board = XEle_Create(0, 0, 300, 150, w);
  XEle_SetLayoutWidth(board, layout_size_fill, 0);
  XEle_SetLayoutHeight(board, layout_size_fill, 0);
  XBtn_Create(150, 60, 40, 20, u"右下", board);
  XBtn_Create(10, 60, 40, 20, u"左下", board);
  XBtn_Create(150, 5, 40, 20, u"右上", board);
  HELE group = XLayout_Create(10, 5, 100, 24, board);  // transparent: its buttons are the board's
  XBtn_Create(0, 0, 30, 20, u"甲", group);
  XBtn_Create(0, 0, 30, 20, u"乙", group);
  HELE top = XLayout_Create(0, 0, 300, 30, w);
  XShapeText_Create(0, 0, 100, 30, u"标题", top);
  XWnd_BindLayoutEle(w, bind_top, top);
  HELE bottom = XLayout_Create(0, 0, 300, 20, w);
  XShapeText_Create(0, 0, 100, 20, u"就绪", bottom);
  XWnd_BindLayoutEle(w, bind_bottom, bottom);
  XWnd_AdjustLayout(w);
  // The board is transparent too: everything lands on the window, bands first and last.
  EXPECT_EQ(childNames(ax::windowRef(w)),
            (std::vector<std::string>{"标题", "甲", "乙", "右上", "左下", "右下", "就绪"}));
  EXPECT_EQ(ax::role(*ax::childAt(ax::windowRef(w), 0)), ax::Role::text);
  // Layouts are no objects of their own; their children's parent is the window.
  EXPECT_FALSE(ax::refOfHandle(group).has_value());
  EXPECT_EQ(ax::parentOf(*ax::childAt(ax::windowRef(w), 1)), ax::windowRef(w));
  EXPECT_EQ(ax::childCount(ax::windowRef(w)), 7);
}

TEST_F(Access, ScrollBarsGiveTheirPositionAndArrowsRadiosCheckByTheirClick) {
  HWINDOW w = shownWindow(300, 100);
  HELE board = XEle_Create(0, 0, 300, 100, w);
  HELE bar = XSBar_Create(10, 10, 120, 16, board);
  XSBar_EnableHorizon(bar, true);
  XSBar_SetRange(bar, 200);
  XSBar_ScrollPos(bar, 50);
  HELE a = XBtn_Create(150, 10, 60, 20, u"管理员", board);
  HELE b = XBtn_Create(150, 40, 60, 20, u"用户", board);
  for (HELE r : {a, b}) XBtn_SetType(r, button_type_radio), XBtn_SetGroupID(r, 1);
  XBtn_SetCheck(a, true);
  XWnd_AdjustLayout(w);
  EXPECT_EQ(outline(el(bar)),
            "scroll-bar \"\" [25]\n"
            "  push-button \"左移\"\n"
            "  push-button \"右移\"\n");
  ASSERT_TRUE(ax::doDefaultAction(ax::children(el(bar))[1]));
  EXPECT_GT(XSBar_GetPos(bar), 50) << "the arrow's click steps";
  EXPECT_EQ(ax::role(el(b)), ax::Role::radioButton);
  ASSERT_TRUE(ax::doDefaultAction(el(b)));
  EXPECT_TRUE(XBtn_IsCheck(b));
  EXPECT_FALSE(XBtn_IsCheck(a)) << "its partner";
  EXPECT_EQ(ax::states(el(a)) & ax::state_checked, 0u);
}

// --- trees --------------------------------------------------------------------------------

class AccessTree : public Access {
 protected:
  void SetUp() override {
    Access::SetUp();
    w = shownWindow(300, 100);  // room for five rows of 20
    tree = XTree_Create(0, 0, 300, 100, w);
    ASSERT_TRUE(XTree_SetItemTemplateXML(tree, templateFile("item.xml", kTreeTemplate).c_str()));
    XEle_SetToolTip(tree, u"项目");
    root = XTree_InsertItemText(tree, u"程序");
    for (const char16_t* t : {u"窗口程序集_启动窗口", u"模块A", u"模块B"})
      kids.push_back(XTree_InsertItemText(tree, t, root));
    grand = XTree_InsertItemText(tree, u"子程序_按钮1_被单击", kids[0]);
    for (int i = 0; i < 10; ++i) XTree_InsertItemText(tree, (u"资源" + std::u16string(1, char16_t(u'0' + i))).c_str());
    XWnd_AdjustLayout(w);
    paint(w);
  }
  Ref item(int id) { return Ref{ax::Kind::treeItem, tree, id, 0}; }
  HWINDOW w = 0;
  HELE tree = 0;
  int root = 0, grand = 0;
  std::vector<int> kids;
};

TEST_F(AccessTree, ShownItemsAreFlatChildrenWithLevelsAndExpandStates) {
  Ref t = el(tree);
  EXPECT_EQ(ax::role(t), ax::Role::outline);
  EXPECT_EQ(u8(ax::name(t)), "项目");
  // The collapsed root and the ten resources, then the scroll bar they need.
  ASSERT_EQ(ax::childCount(t), 12);
  EXPECT_EQ(ax::role(*ax::childAt(t, 11)), ax::Role::scrollBar);
  EXPECT_EQ(outline(*ax::childAt(t, 0)), "outline-item \"程序\" [0] {collapsed}\n");
  EXPECT_EQ(outline(*ax::childAt(t, 1)), "outline-item \"资源0\" [0]\n");
  // Items past the viewport are offscreen.
  EXPECT_NE(ax::states(*ax::childAt(t, 9)) & ax::state_offscreen, 0u);
  EXPECT_EQ(ax::states(*ax::childAt(t, 1)) & ax::state_offscreen, 0u);

  // Expanding (the default action of an item with children) shows the children, one level down.
  EXPECT_EQ(u8(ax::actionName(item(root))), "展开");
  ASSERT_TRUE(ax::doDefaultAction(item(root)));
  EXPECT_TRUE(XTree_IsExpand(tree, root));
  EXPECT_EQ(u8(ax::actionName(item(root))), "折叠");
  std::vector<std::string> names = childNames(t);
  ASSERT_GE(names.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
            (std::vector<std::string>{"程序", "窗口程序集_启动窗口", "模块A", "模块B", "资源0"}));
  EXPECT_EQ(u8(ax::value(item(kids[0]))), "1");
  EXPECT_NE(ax::states(item(kids[0])) & ax::state_collapsed, 0u);
  EXPECT_EQ(ax::states(item(kids[1])) & (ax::state_collapsed | ax::state_expanded), 0u);
  EXPECT_EQ(ax::parentOf(item(kids[0])), t);

  // An item's place is its row: indented by its level, under the previous one.
  const XRect r0 = ax::location(item(root)), r1 = ax::location(item(kids[0]));
  EXPECT_EQ(r1.top, r0.bottom);
  EXPECT_GT(r1.left, r0.left);
  // Hidden under a collapsed parent: no place, no child of the tree, but alive.
  EXPECT_TRUE(ax::location(item(grand)).empty());
  EXPECT_TRUE(ax::alive(item(grand)));
}

TEST_F(AccessTree, ALeafIsSelectedByAClickAndHoldsFocusWhileTheTreeHasIt) {
  ASSERT_TRUE(ax::doDefaultAction(item(root)));  // expand
  paint(w);
  int selected = 0;
  XEle_RegEventC(tree, XE_TREE_SELECT, [&](int id, bool*) { return selected = id, 0; });
  EXPECT_EQ(u8(ax::actionName(item(kids[1]))), "选择");
  ASSERT_TRUE(ax::doDefaultAction(item(kids[1])));
  EXPECT_EQ(selected, kids[1]) << "the click's path raises the tree's selection event";
  EXPECT_NE(ax::states(item(kids[1])) & ax::state_selected, 0u);
  EXPECT_NE(ax::states(item(kids[1])) & ax::state_focused, 0u) << "the click gave the tree the focus";
  EXPECT_EQ(ax::focusOf(w), item(kids[1]));
  EXPECT_EQ(ax::selectionOf(el(tree)), (std::vector<Ref>{item(kids[1])}));

  // An item out of view is scrolled to before the click.
  const int last = XTree_GetFirstChildItem(tree, 0) + 14;  // 资源9
  ASSERT_EQ(XTree_GetItemText(tree, last, 0), XString(u"资源9"));
  ASSERT_NE(ax::states(item(last)) & ax::state_offscreen, 0u);
  ASSERT_TRUE(ax::doDefaultAction(item(last)));
  EXPECT_EQ(selected, last);
  EXPECT_EQ(ax::states(item(last)) & ax::state_offscreen, 0u);
}

TEST_F(AccessTree, IdsStayWithTheirItemsAndDieWithThem) {
  const int32_t id = ax::idOf(item(kids[2]));
  ASSERT_LT(id, 0);
  EXPECT_EQ(ax::idOf(item(kids[2])), id);
  XTree_ExpandItem(tree, root, true);
  paint(w);
  scrollTo(tree, 40);
  paint(w);
  EXPECT_EQ(ax::fromId(id), item(kids[2]));
  EXPECT_EQ(ax::idOf(item(kids[2])), id);
  // The tree's own id differs from every item's.
  EXPECT_NE(ax::idOf(el(tree)), id);
  XTree_DeleteItem(tree, kids[2]);
  EXPECT_FALSE(ax::fromId(id).has_value());
  EXPECT_EQ(ax::idOf(item(kids[2])), 0);
  // Another adapter: ids start again from 1 there, the old items' ids do not come back to life.
  const int32_t rootId = ax::idOf(item(root));
  XTree_CreateAdapter(tree);
  XTree_InsertItemText(tree, u"新的");
  EXPECT_TRUE(ax::alive(item(root))) << "id 1 exists again";
  EXPECT_FALSE(ax::fromId(rootId).has_value()) << "but it is another item";
  // The element itself.
  const int32_t treeId = ax::idOf(el(tree));
  XEle_Destroy(tree);
  EXPECT_FALSE(ax::fromId(treeId).has_value());
  EXPECT_EQ(ax::role(Ref{ax::Kind::element, tree, 0, 0}), ax::Role::none);
}

TEST_F(AccessTree, HitTestFindsItemsAndTheirPartsStandForThem) {
  XTree_ExpandItem(tree, root, true);
  paint(w);
  const XRect r = ax::location(item(kids[0]));
  EXPECT_EQ(ax::hitTest(w, {r.left + 40, r.top + 5}), item(kids[0]));
  // The expand button of the row is a part of the item.
  EXPECT_EQ(ax::hitTest(w, {r.left + 3, r.top + 5}), item(kids[0]));
  EXPECT_FALSE(ax::hitTest(w, {-1, 5}).has_value());
  EXPECT_EQ(ax::navigate(item(kids[0]), ax::Direction::next), item(kids[1]));
  EXPECT_EQ(ax::navigate(item(kids[0]), ax::Direction::up), item(root));
  EXPECT_FALSE(ax::navigate(item(root), ax::Direction::previous).has_value());
  EXPECT_EQ(ax::navigate(el(tree), ax::Direction::firstChild), item(root));
}

// --- lists --------------------------------------------------------------------------------

TEST_F(Access, ListRowsNameTheirCellsAndKeepTheirIdsWhenRowsAboveGo) {
  HWINDOW w = shownWindow(400, 200);
  HELE list = XList_Create(0, 0, 400, 200, w);
  XList_AddColumnText(list, 120, u"name1", u"名称");
  XList_AddColumnText(list, 200, u"name2", u"值");
  for (int i = 0; i < 5; ++i) {
    int row = XList_AddItemText(list, (u"变量" + std::u16string(1, char16_t(u'0' + i))).c_str());
    XList_SetItemText(list, row, 1, (u"值" + std::u16string(1, char16_t(u'0' + i))).c_str());
  }
  XWnd_AdjustLayout(w);
  paint(w);
  Ref l = el(list);
  EXPECT_EQ(ax::role(l), ax::Role::list);
  std::vector<Ref> kids = ax::children(l);
  ASSERT_GE(kids.size(), 7u);
  EXPECT_EQ(ax::role(kids[0]), ax::Role::columnHeader);
  EXPECT_EQ(u8(ax::name(kids[0])), "名称");
  EXPECT_EQ(u8(ax::name(kids[1])), "值");
  EXPECT_FALSE(ax::location(kids[1]).empty());
  EXPECT_EQ(ax::role(kids[2]), ax::Role::listItem);
  EXPECT_EQ(u8(ax::name(kids[2])), "变量0");
  EXPECT_EQ(u8(ax::value(kids[3])), "变量1\t值1");

  const int32_t third = ax::idOf(kids[4]), first = ax::idOf(kids[2]);
  XList_DeleteItem(list, 0);
  EXPECT_FALSE(ax::fromId(first).has_value()) << "the deleted row's id died";
  auto moved = ax::fromId(third);
  ASSERT_TRUE(moved.has_value());
  EXPECT_EQ(moved->a, 1) << "the row moved up and kept its id";
  EXPECT_EQ(u8(ax::name(*moved)), "变量2");
  // Ids given from the bottom up: a row moving up takes its place, whatever order they came in.
  const int32_t fourth = ax::idOf(Ref{ax::Kind::row, list, 3, 0});  // 变量4
  const int32_t lower = ax::idOf(Ref{ax::Kind::row, list, 2, 0});   // 变量3
  XList_DeleteItem(list, 2);
  EXPECT_FALSE(ax::fromId(lower).has_value());
  EXPECT_EQ(ax::idOf(Ref{ax::Kind::row, list, 2, 0}), fourth);
  EXPECT_EQ(u8(ax::name(*ax::fromId(fourth))), "变量4");
  XList_DeleteItemAll(list);
  XList_AddItemText(list, u"新");
  XList_AddItemText(list, u"新");
  EXPECT_FALSE(ax::fromId(third).has_value()) << "emptied and filled again: another row";
}

TEST_F(Access, AListBoxSelectionFollowsTheClickAndIsAnnounced) {
  HWINDOW w = shownWindow(200, 100);
  HELE box = XListBox_Create(0, 0, 200, 100, w);
  for (const char16_t* t : {u"甲", u"乙", u"丙"}) XListBox_AddItemText(box, t);
  XWnd_AdjustLayout(w);
  paint(w);
  int wakes = 0;
  static int* wakeCounter = nullptr;
  wakeCounter = &wakes;
  ax::startNotices([] { ++*wakeCounter; });
  Ref second{ax::Kind::row, box, 1, 0};
  ASSERT_TRUE(ax::doDefaultAction(second));
  EXPECT_EQ(XListBox_GetSelectItem(box), 1);
  EXPECT_EQ(wakes, 1) << "one wake for the burst";
  // The click gave the box the focus, then selected: the item is announced as selected and current.
  EXPECT_EQ(noticeLines(), (std::vector<std::string>{"focus list ", "selection list-item 乙", "focus list-item 乙"}));
  // Selecting in code is announced too; painting is not.
  XListBox_SetSelectItem(box, 2);
  paint(w);
  paint(w);
  EXPECT_EQ(noticeLines(), (std::vector<std::string>{"selection list-item 丙", "focus list-item 丙"}));
  EXPECT_EQ(wakes, 2);
}

// --- the pieces of a frame --------------------------------------------------------------

TEST_F(Access, PanesTabsAndCaptionButtonsOfAFrame) {
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"易语言 - Tovalux IDE", 0, 0, 0, 900, 600, nullptr, 47);
  XWnd_ShowWindow(frame, 5);
  XWnd_SetLayoutSize(frame, 4, 30, 4, 20);
  HELE view = XLayout_Create(0, 0, 10, 10, frame);
  XFrameWnd_SetView(frame, view);
  HELE status = XLayout_Create(0, 0, 10, 20, frame);
  XShapeText_Create(0, 0, 200, 20, u" 就绪\u3000", status);  // blanks for the look are not said
  XWnd_BindLayoutEle(frame, bind_bottom, status);
  HELE libs = XPane_Create(u"易支持库", 250, 300, frame);
  HELE project = XPane_Create(u"项目结构", 250, 300, frame);
  HELE output = XPane_Create(u"调试输出", 300, 150, frame);
  XFrameWnd_AddPane(frame, 0, libs, pane_align_left);
  XFrameWnd_MergePane(frame, libs, project);
  XFrameWnd_AddPane(frame, 0, output, pane_align_bottom);
  HELE edit = XEdit_Create(0, 0, 10, 10, output);
  XPane_SetView(output, edit);
  XEdit_SetText(edit, u"编译成功");
  XEdit_EnableReadOnly(edit, true);
  XWnd_AdjustLayout(frame);

  Ref f = ax::windowRef(frame);
  EXPECT_EQ(u8(ax::name(f)), "易语言 - Tovalux IDE");
  std::vector<Ref> top = ax::children(f);
  std::vector<std::string> roles;
  for (const Ref& r : top) roles.push_back(std::string(ax::roleName(ax::role(r))) + " " + u8(ax::name(r)));
  // By position: the left pane, the bottom pane, the left group's tabs under it; the pane behind
  // its tab after what shows; the status bar (the bottom band) last.
  EXPECT_EQ(roles, (std::vector<std::string>{"pane 易支持库", "pane 调试输出", "page-tab-list ", "pane 项目结构",
                                             "status-bar "}))
      << outline(f, 0, 1);
  EXPECT_NE(ax::states(el(project)) & ax::state_invisible, 0u) << "behind its tab";
  Ref tabs = top[2];
  EXPECT_EQ(childNames(tabs), (std::vector<std::string>{"易支持库", "项目结构"}));
  Ref projectTab = ax::children(tabs)[1];
  EXPECT_EQ(ax::role(projectTab), ax::Role::pageTab);
  EXPECT_EQ(ax::states(projectTab) & ax::state_selected, 0u);
  EXPECT_EQ(childNames(el(libs)), (std::vector<std::string>{"浮动", "关闭"}));
  Ref out = el(output);
  auto text = childNamed(out, u"调试输出");
  ASSERT_TRUE(text.has_value()) << outline(out);
  EXPECT_EQ(ax::role(*text), ax::Role::editableText);
  EXPECT_EQ(u8(ax::value(*text)), "编译成功");
  EXPECT_NE(ax::states(*text) & ax::state_readOnly, 0u);
  EXPECT_EQ(childNames(top[4]), (std::vector<std::string>{"就绪"}));

  // Switching tabs as a click does: the other pane comes to the front.
  ASSERT_TRUE(ax::doDefaultAction(projectTab));
  EXPECT_NE(ax::states(projectTab) & ax::state_selected, 0u);
  EXPECT_EQ(ax::states(el(project)) & ax::state_invisible, 0u);
  EXPECT_NE(ax::states(el(libs)) & ax::state_invisible, 0u);
  EXPECT_EQ(ax::selectionOf(tabs), (std::vector<Ref>{projectTab}));
  // The close button hides its pane.
  ASSERT_TRUE(ax::doDefaultAction(*childNamed(el(project), u"关闭")));
  EXPECT_FALSE(XPane_IsShowPane(project));
}

TEST_F(Access, MenusOpenCarryTheirItemsAndPickThroughTheClickPath) {
  HWINDOW w = shownWindow(600, 300);
  HELE bar = XMenuBar_Create(0, 0, 600, 24, w);
  XMenuBar_AddButton(bar, u"文件(F)");
  XMenuBar_AddButton(bar, u"编辑(E)");
  XWnd_AdjustLayout(w);
  HMENUX file = XMenuBar_GetMenu(bar, 0);
  XMenu_AddItem(file, 100, u"新建(N)      Ctrl+N");
  XMenu_AddItem(file, 0, u"", 0, menu_item_flag_separator);
  XMenu_AddItem(file, 102, u"关闭(C)", 0, menu_item_flag_disable);
  XMenu_AddItem(file, 107, u"最近打开");
  XMenu_AddItem(file, 1070, u"a.e", 107);
  // Labels padded to a fixed width: a long one keeps a single blank before its shortcut, and a
  // blank inside a name is no shortcut.
  XMenu_AddItem(file, 108, u"在模块或支持库搜索(F) Ctrl+Shift+F");
  XMenu_AddItem(file, 109, u"关于 Tovalux(A)");
  XMenu_AddItem(file, 110, u"删除行(D) F10");
  std::vector<int> picked;
  XEle_RegEventC(bar, XE_MENU_SELECT, [&](int id, bool*) { return picked.push_back(id), 0; });

  Ref b = el(bar);
  EXPECT_EQ(ax::role(b), ax::Role::menuBar);
  Ref fileButton = ax::children(b)[0];
  EXPECT_EQ(outline(fileButton), "menu-item \"文件(F)\" {has-popup}\n");
  EXPECT_EQ(u8(ax::actionName(fileButton)), "打开");
  ASSERT_TRUE(ax::doDefaultAction(fileButton));
  ASSERT_TRUE(tk::menuIsOpen());
  EXPECT_NE(ax::states(fileButton) & ax::state_expanded, 0u);
  Ref popup = ax::windowRef(tk::menuPopup(0));
  EXPECT_EQ(outline(popup),
            "menu \"文件(F)\"\n"
            "  menu-item \"新建(N)\"\n"
            "  separator \"\"\n"
            "  menu-item \"关闭(C)\" {unavailable}\n"
            "  menu-item \"最近打开\" {has-popup}\n"
            "  menu-item \"在模块或支持库搜索(F)\"\n"
            "  menu-item \"关于 Tovalux(A)\"\n"
            "  menu-item \"删除行(D)\"\n");
  std::vector<Ref> items = ax::children(popup);
  EXPECT_EQ(u8(ax::shortcut(items[0])), "Ctrl+N");
  EXPECT_EQ(u8(ax::shortcut(items[4])), "Ctrl+Shift+F");
  EXPECT_EQ(u8(ax::shortcut(items[5])), "");
  EXPECT_EQ(u8(ax::shortcut(items[6])), "F10");
  EXPECT_EQ(u8(ax::actionName(items[3])), "打开");
  EXPECT_FALSE(ax::doDefaultAction(items[2])) << "disabled";
  EXPECT_TRUE(ax::doDefaultAction(items[3]));
  EXPECT_NE(ax::states(items[3]) & ax::state_expanded, 0u) << "its submenu opened";
  EXPECT_EQ(u8(ax::name(ax::windowRef(tk::menuPopup(1)))), "最近打开");
  const int32_t itemId = ax::idOf(items[0]);
  ASSERT_TRUE(ax::doDefaultAction(items[0]));
  EXPECT_EQ(picked, (std::vector<int>{100}));
  EXPECT_FALSE(tk::menuIsOpen());
  EXPECT_FALSE(ax::fromId(itemId).has_value()) << "its pop-up closed";
}

TEST_F(Access, ComboBoxesOpenTheirDropDownAndTakeAChoice) {
  HWINDOW w = shownWindow(300, 200);
  HELE combo = XComboBox_Create(10, 10, 160, 22, w);
  XEle_SetToolTip(combo, u"链接器");
  for (const char16_t* t : {u"默认", u"LinkerA"}) XComboBox_AddItemText(combo, t);
  XComboBox_SetSelItem(combo, 0);
  XWnd_AdjustLayout(w);
  Ref c = el(combo);
  EXPECT_EQ(outline(c), "combo-box \"链接器\" [默认] {collapsed has-popup}\n");
  ASSERT_TRUE(ax::doDefaultAction(c));
  HWINDOW popup = XComboBox_GetPopupWindow(combo);
  ASSERT_NE(popup, 0u);
  EXPECT_NE(ax::states(c) & ax::state_expanded, 0u);
  paint(popup);
  Ref list = ax::children(ax::windowRef(popup)).at(0);
  EXPECT_EQ(ax::role(list), ax::Role::list);
  EXPECT_EQ(u8(ax::name(list)), "链接器");
  ASSERT_EQ(childNames(list), (std::vector<std::string>{"默认", "LinkerA"}));
  ASSERT_TRUE(ax::doDefaultAction(ax::children(list)[1]));
  EXPECT_EQ(XComboBox_GetPopupWindow(combo), 0u) << "a click on a row closes the drop-down";
  EXPECT_EQ(u8(ax::value(c)), "LinkerA");
}

// --- notices and their cost ----------------------------------------------------------------

TEST_F(AccessTree, NoticesFollowExpandSelectionAndDeathButNotPainting) {
  ax::startNotices(nullptr);
  // The click on the expand button: the focus goes into the item's row, the button and the item
  // change state (collapsing into one notice), the tree shows more items.
  ASSERT_TRUE(ax::doDefaultAction(item(root)));
  EXPECT_EQ(noticeLines(),
            (std::vector<std::string>{"focus outline-item 程序", "state outline-item 程序", "reorder outline 项目"}));
  EXPECT_EQ(ax::focusOf(w), item(root));
  EXPECT_NE(ax::states(item(root)) & ax::state_focused, 0u);
  // Scrolling and painting builds rows: no notice but the bar's value, no new id.
  scrollTo(tree, 20);
  paint(w);
  noticeLines();
  const size_t ids = ax::idsInUse();
  scrollTo(tree, 60);
  paint(w);
  scrollTo(tree, 0);
  paint(w);
  EXPECT_EQ(ax::idsInUse(), ids);
  for (const std::string& line : noticeLines()) EXPECT_EQ(line.rfind("value scroll-bar", 0), 0u) << line;
  // An element that had an id is announced as it goes.
  ax::idOf(el(tree));
  XEle_Destroy(tree);
  std::vector<std::string> gone = noticeLines();
  ASSERT_FALSE(gone.empty());
  EXPECT_EQ(gone.front(), "destroy dead");
}

// A fill of thousands of items says once that the tree's items changed and hands out no ids; an
// item a client holds is still announced when its name changes.
TEST_F(AccessTree, ABigFillIsOneReorderAndAHeldItemKeepsItsNameNotices) {
  ax::startNotices(nullptr);
  const Ref held = item(kids[1]);
  ASSERT_NE(ax::idOf(held), 0);
  ax::idOf(el(tree));
  noticeLines();
  const size_t ids = ax::idsInUse();
  for (int i = 0; i < 5000; ++i) {
    const int id = XTree_InsertItemText(tree, u"", root);
    XTree_SetItemText(tree, id, 0, u"子程序");
    XTree_SetItemText(tree, id, 1, u"12345");
  }
  EXPECT_EQ(noticeLines(), (std::vector<std::string>{"reorder outline 项目"}));
  EXPECT_EQ(ax::idsInUse(), ids);
  // Renamed twice while the notices wait: one notice, then the next burst is heard again.
  XTree_SetItemText(tree, kids[1], 0, u"模块乙");
  XTree_SetItemText(tree, kids[1], 0, u"模块丙");
  XTree_InsertItemText(tree, u"新", root);
  EXPECT_EQ(noticeLines(), (std::vector<std::string>{"name outline-item 模块丙", "reorder outline 项目"}));
  XTree_InsertItemText(tree, u"再", root);
  EXPECT_EQ(noticeLines(), (std::vector<std::string>{"reorder outline 项目"}));
  // Once the held item goes, its name changes have nobody to reach.
  XTree_DeleteItem(tree, kids[1]);
  noticeLines();
  EXPECT_FALSE(ax::fromId(ax::idOf(held)).has_value());
}

// With a screen reader listening and every item known by id, painting and scrolling a view
// allocates exactly what it does without accessibility.
TEST_F(AccessTree, PaintingAllocatesNothingMoreWithAccessibilityListening) {
  XTree_ExpandItem(tree, root, true);
  for (int i = 0; i < 200; ++i) XTree_InsertItemText(tree, u"行");
  XWnd_AdjustLayout(w);
  // Only the paints count: scrolling itself is a change a screen reader hears of.
  auto round = [&] {
    heap::allocations = 0;
    for (int step = 0; step < 20; ++step) {
      scrollTo(tree, step * 37);
      heap::counting = true;
      paint(w);
      heap::counting = false;
    }
    scrollTo(tree, 0);
    paint(w);
    return heap::allocations;
  };
  round();  // warm: caches, templates
  const size_t without = round();
  ax::startNotices(nullptr);
  for (const Ref& r : ax::children(el(tree))) ax::idOf(r);
  ax::takeNotices();
  round();
  ax::takeNotices();
  const size_t with = round();
  EXPECT_EQ(with, without);
  EXPECT_GT(without, 0u) << "the counter counts";
}

}  // namespace
}  // namespace tovalux::testing
