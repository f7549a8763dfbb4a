#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/model/docking/dock_site.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/input.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using Log = std::vector<std::string>;

// The shell's twelve panes: a left group of four, a right pane (hidden), a bottom group of seven.
class PaneTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    frame = buildShellFrame(pane, &view, [this](HWINDOW f) {
      XWnd_RegEventC(f, XWM_DOCK_LAYOUT_CHANGE, [this](bool*) { return ++tabNotices, 0; });
    });
  }
  // A frame with the shell's panes docked as the shell docks them; `before` runs once the frame
  // exists, before any pane is made.
  template <class Before>
  static HWINDOW buildShellFrame(HELE (&panes)[12], HELE* viewOut, Before before) {
    HWINDOW f = XFrameWnd_CreateEx(0, u"Tovalux", u"易语言 - Tovalux IDE", 0, 0, 0, 1100, 800, nullptr, 47);
    XWnd_SetLayoutSize(f, 7, 117, 7, 32);
    HELE v = XLayout_Create(0, 0, 10, 10, f);
    XFrameWnd_SetView(f, v);
    if (viewOut != nullptr) *viewOut = v;
    before(f);
    const char16_t* titles[12] = {u"易支持库", u"项目结构", u"组件属性", u"常用模块",  u"系统组件",  u"帮助提示",
                                  u"调试输出", u"断点栈堆", u"变量监视", u"搜寻结果1", u"搜寻结果2", u"反汇编显示"};
    for (int i = 0; i < 12; ++i) {
      XSize size = i < 4 ? XSize{320, 260} : i == 4 ? XSize{260, 260} : XSize{260, 320};
      panes[i] = XPane_Create(titles[i], size.cx, size.cy, f);
      XEle_SetID(panes[i], 10000 + i + 1);
    }
    XFrameWnd_AddPane(f, 0, panes[0], pane_align_left);
    for (int i = 1; i <= 3; ++i) XFrameWnd_MergePane(f, panes[0], panes[i]);
    XFrameWnd_AddPane(f, 0, panes[4], pane_align_right);
    XFrameWnd_AddPane(f, 0, panes[5], pane_align_bottom);
    for (int i = 6; i <= 11; ++i) XFrameWnd_MergePane(f, panes[5], panes[i]);
    XPane_HidePane(panes[4]);
    XWnd_AdjustLayout(f);
    return f;
  }
  static XRect rectOf(HXCGUI e) {
    XRect r;
    XEle_GetClientRect(e, &r);
    XEle_RectClientToWndClient(e, &r);
    return r;
  }
  std::vector<HELE> tabBars() const {
    std::vector<HELE> out;
    for (int i = 0; i < XWnd_GetChildCount(frame); ++i)
      if (HXCGUI c = XWnd_GetChildByIndex(frame, i); XC_IsHXCGUI(c, XC_TABBAR)) out.push_back(c);
    return out;
  }
  // The tab label whose text is `title`, as the shell's activation by title finds it.
  HELE labelTitled(const XString& title) const {
    for (HELE bar : tabBars())
      for (int i = 0; i < XEle_GetChildCount(bar); ++i)
        if (HELE b = XEle_GetChildByIndex(bar, i); XBtn_GetText(b) == title) return b;
    return 0;
  }
  HELE labelOf(int index) const { return labelTitled(XPane_GetTitle(pane[index])); }
  void watchShow(Log& log) {
    for (int i = 0; i < 12; ++i)
      XEle_RegEventC(pane[i], XE_SHOW, [&log, i](bool shown, bool*) {
        return log.push_back(std::to_string(i) + (shown ? "+" : "-")), 0;
      });
  }
  tk::DockSplitter* splitter(int align, bool side) const {
    for (tk::Element* c : tk::getWindow(frame)->children())
      if (auto* s = dynamic_cast<tk::DockSplitter*>(c);
          s != nullptr && static_cast<int>(s->side) == align && (s->group == 0) == side && s->visible)
        return s;
    return nullptr;
  }

  HWINDOW frame = 0;
  HELE view = 0;
  HELE pane[12] = {};
  int tabNotices = 0;
};

TEST_F(PaneTest, TheShellsArrangement) {
  // Body: (7,117)-(1093,768). The left side (320) goes first and spans the full height; the
  // right one holds only a hidden pane and takes nothing; the bottom one (320) spans the rest.
  EXPECT_EQ(rectOf(pane[0]), (XRect{7, 117, 327, 768 - 24}));
  EXPECT_EQ(rectOf(pane[5]), (XRect{331, 448, 1093, 768 - 24}));
  EXPECT_EQ(rectOf(view), (XRect{331, 117, 1093, 444}));
  ASSERT_NE(splitter(pane_align_left, true), nullptr);
  EXPECT_EQ(splitter(pane_align_left, true)->windowRect(), (XRect{327, 117, 331, 768}));
  EXPECT_EQ(splitter(pane_align_bottom, true)->windowRect(), (XRect{331, 444, 1093, 448}));
  EXPECT_EQ(splitter(pane_align_right, true), nullptr);

  // Two tab bars among the frame's children, with check-type labels bound to the panes in order.
  std::vector<HELE> bars = tabBars();
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(rectOf(bars[0]), (XRect{7, 744, 327, 768}));
  EXPECT_EQ(XTabBar_GetLabelCount(bars[0]), 4);
  EXPECT_EQ(XTabBar_GetLabelCount(bars[1]), 7);
  for (int i = 0; i < 4; ++i) {
    HELE label = XTabBar_GetLabel(bars[0], i);
    EXPECT_EQ(XBtn_GetType(label), button_type_check);
    EXPECT_EQ(XBtn_GetBindEle(label), pane[i]);
    EXPECT_EQ(XBtn_GetText(label), XPane_GetTitle(pane[i]));
    EXPECT_EQ(XBtn_IsCheck(label), i == 0);  // merging keeps the first pane in front
  }
  EXPECT_EQ(tabNotices, 9);  // one per merge: every merge made a label

  EXPECT_EQ(XPane_GetState(pane[0]), pane_state_dock);
  EXPECT_EQ(XPane_GetState(pane[1]), pane_state_dock);
  EXPECT_EQ(XPane_GetState(pane[4]), pane_state_hidden);
  EXPECT_TRUE(XPane_IsShowPane(pane[1]));  // shown, behind a tab
  EXPECT_FALSE(XEle_IsShow(pane[1]));
  EXPECT_TRUE(XEle_IsShow(pane[0]));
  EXPECT_FALSE(XPane_IsShowPane(pane[4]));
  EXPECT_EQ(XEle_GetWindow(pane[7]), frame);
  // Caption: child 0 closes, child 1 undocks; the view fills the area under the caption.
  HXCGUI undock = XEle_GetChildByIndex(pane[0], 1);
  EXPECT_TRUE(XC_IsHXCGUI(undock, XC_BUTTON));
  EXPECT_EQ(rectOf(undock), (XRect{327 - 4 - 16 - 18, 117 + 4, 327 - 4 - 18, 117 + 20}));
  HELE content = XLayout_Create(0, 0, 5, 5, 0);
  XPane_SetView(pane[0], content);
  XEle_AdjustLayout(pane[0]);
  EXPECT_EQ(rectOf(content), (XRect{7, 117 + 24, 327, 744}));

  // Showing the right pane gives its side room, across the height the left side left.
  XPane_ShowPane(pane[4]);
  EXPECT_EQ(rectOf(pane[4]), (XRect{1093 - 260, 117, 1093, 768}));
  EXPECT_EQ(rectOf(view), (XRect{331, 117, 1093 - 264, 444}));
  EXPECT_EQ(rectOf(pane[5]).right, 1093 - 264);
}

TEST_F(PaneTest, TabsBringPanesForwardAndReportVisibility) {
  Log shows;
  watchShow(shows);
  std::vector<bool> checks;
  XEle_RegEventC(labelOf(6), XE_BUTTON_CHECK, [&](bool on, bool*) { return checks.push_back(on), 0; });
  // The user brings "调试输出" forward; activation by title brings "帮助提示" back.
  XEle_SendEvent(labelOf(6), XE_BNCLICK);
  EXPECT_EQ(shows, (Log{"5-", "6+"}));
  EXPECT_EQ(rectOf(pane[6]), (XRect{331, 448, 1093, 744}));
  XEle_SendEvent(labelTitled(u"帮助提示"), XE_BNCLICK);
  EXPECT_EQ(shows, (Log{"5-", "6+", "6-", "5+"}));
  EXPECT_EQ(checks, (std::vector<bool>{true, false}));
  EXPECT_EQ(tabNotices, 9);  // switching tabs makes no labels

  // Hiding the front pane brings its neighbour forward and hides its label; showing it again
  // puts it in front.
  shows.clear();
  XEle_SendEvent(XEle_GetChildByIndex(pane[5], 0), XE_BNCLICK);  // its close button
  EXPECT_EQ(shows, (Log{"5-", "6+"}));
  EXPECT_FALSE(XPane_IsShowPane(pane[5]));
  EXPECT_EQ(XPane_GetState(pane[5]), pane_state_hidden);
  EXPECT_FALSE(XEle_IsShow(labelOf(5)));
  EXPECT_TRUE(XBtn_IsCheck(labelOf(6)));
  XEle_SendEvent(labelOf(5), XE_BNCLICK);  // a hidden pane's tab does not bring it back
  EXPECT_EQ(shows.size(), 2u);
  XPane_ShowPane(pane[5]);
  EXPECT_EQ(shows, (Log{"5-", "6+", "6-", "5+"}));
  EXPECT_TRUE(XEle_IsShow(labelOf(5)));

  // With one pane of a group shown the tab bar goes; with none the side gives its room back.
  shows.clear();
  for (int i = 1; i <= 3; ++i) XPane_HidePane(pane[i]);
  EXPECT_FALSE(XEle_IsShow(tabBars()[0]));
  EXPECT_EQ(rectOf(pane[0]), (XRect{7, 117, 327, 768}));
  XPane_HidePane(pane[0]);
  EXPECT_EQ(shows, (Log{"0-"}));
  EXPECT_EQ(rectOf(view), (XRect{7, 117, 1093, 444}));
  EXPECT_EQ(rectOf(pane[5]).left, 7);
  EXPECT_EQ(splitter(pane_align_left, true), nullptr);
  XPane_ShowPane(pane[2]);
  EXPECT_EQ(shows, (Log{"0-", "2+"}));
  EXPECT_EQ(rectOf(pane[2]), (XRect{7, 117, 327, 768}));
}

TEST_F(PaneTest, PanesBesideOthersAndOnTheTop) {
  HELE extra = XPane_Create(u"extra", 200, 150, frame);
  HELE top = XPane_Create(u"top", 300, 90, frame);
  XFrameWnd_AddPane(frame, pane[0], extra, pane_align_bottom);  // after the left group, below it
  XFrameWnd_AddPane(frame, 0, top, pane_align_top);
  XWnd_AdjustLayout(frame);
  // Left side: the first group keeps its extent (260), the last one takes the rest.
  EXPECT_EQ(rectOf(pane[0]), (XRect{7, 117, 327, 117 + 260 - 24}));
  EXPECT_EQ(rectOf(extra), (XRect{7, 117 + 264, 327, 768}));
  EXPECT_EQ(splitter(pane_align_left, false)->windowRect(), (XRect{7, 377, 327, 381}));
  // The top side came last: it spans what the left side left, above the bottom side's room.
  EXPECT_EQ(rectOf(top), (XRect{331, 117, 1093, 207}));
  EXPECT_EQ(rectOf(view), (XRect{331, 211, 1093, 444}));
  // Docked before a pane's group, on that pane's side.
  HELE first = XPane_Create(u"first", 200, 100, frame);
  XFrameWnd_AddPane(frame, extra, first, pane_align_left);
  XWnd_AdjustLayout(frame);
  EXPECT_EQ(rectOf(first).top, 117 + 264);
  EXPECT_EQ(rectOf(extra).top, 117 + 264 + 100 + 4);
  // Moving a docked pane elsewhere takes it out of its group.
  XFrameWnd_AddPane(frame, 0, pane[3], pane_align_right);
  EXPECT_EQ(XTabBar_GetLabelCount(tabBars()[0]), 3);
  EXPECT_EQ(rectOf(pane[3]).right, 1093);
  EXPECT_EQ(XPane_GetState(pane[3]), pane_state_dock);

  // Wrong frames, wrong kinds and dead handles change nothing.
  HWINDOW other = XFrameWnd_CreateEx(0, u"", u"", 0, 0, 0, 500, 500, nullptr, 0);
  HELE stranger = XPane_Create(u"stranger", 100, 100, other);
  XFrameWnd_AddPane(frame, 0, stranger, pane_align_left);
  XFrameWnd_MergePane(frame, pane[0], stranger);
  EXPECT_EQ(XPane_GetState(stranger), pane_state_hidden);
  EXPECT_EQ(XPane_Create(u"x", 1, 1, XC_GetObjectByID(0, 12345)), 0u);
  HWINDOW plain = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 10, 10);
  EXPECT_EQ(XPane_Create(u"x", 1, 1, plain), 0u);
  XFrameWnd_MergePane(frame, stranger, pane[1]);  // not docked here: no group to join
  XFrameWnd_AddPane(frame, 0, pane[1], 7);
  EXPECT_EQ(XBtn_GetBindEle(labelOf(1)), pane[1]);
  EXPECT_EQ(XPane_GetState(view), 0);
  EXPECT_EQ(XPane_GetTitle(view), XString());
  XEle_Destroy(pane[2]);
  XWnd_AdjustLayout(frame);
  XPane_ShowPane(pane[1]);  // the next change drops the dead pane's tab
  EXPECT_EQ(XTabBar_GetLabelCount(tabBars()[0]), 2);
  EXPECT_EQ(labelOf(2), 0u);
}

TEST_F(PaneTest, FloatingAndDockingBack) {
  std::vector<std::pair<HWINDOW, HELE>> floated;
  XWnd_RegEventC(frame, XWM_FLOAT_PANE, [&](HWINDOW w, HELE p, bool*) {
    floated.emplace_back(w, p);
    // As the shell styles it: margins, a title band, caption buttons folded away.
    XWnd_SetLayoutSize(w, 1, 24, 1, 1);
    HELE title = XLayout_Create(0, 0, 10, 10, w);
    XShapeText_Create(0, 0, 100, 20, XPane_GetTitle(p).c_str(), title);
    XWnd_BindLayoutEle(w, bind_top, title);
    for (int i = 0; i < 3; ++i)
      if (HXCGUI b = XEle_GetChildByIndex(p, i); XC_IsHXCGUI(b, XC_BUTTON)) XEle_SetHeight(b, 0);
    XWnd_AdjustLayout(w);
    return 0;
  });
  Log shows;
  watchShow(shows);
  HELE oldLabel = labelOf(2);
  XEle_SendEvent(labelOf(2), XE_BNCLICK);
  shows.clear();
  XRect before = rectOf(pane[2]);
  XEle_SendEvent(XEle_GetChildByIndex(pane[2], 1), XE_BNCLICK);
  ASSERT_EQ(floated.size(), 1u);
  HWINDOW w = floated[0].first;
  EXPECT_EQ(floated[0].second, pane[2]);
  EXPECT_TRUE(XC_IsHWINDOW(w));
  EXPECT_EQ(XEle_GetWindow(pane[2]), w);
  EXPECT_EQ(XPane_GetState(pane[2]), pane_state_float);
  EXPECT_TRUE(XPane_IsShowPane(pane[2]));
  EXPECT_TRUE(tk::getWindow(w)->visible);
  XRect wr;
  XWnd_GetRect(w, &wr);
  EXPECT_EQ(wr, before);  // where it was (the frame is at the screen's origin)
  EXPECT_EQ(rectOf(pane[2]), (XRect{1, 24, before.width() - 1, before.height() - 1}));
  // The group goes on without it: its neighbour in front, its label gone.
  EXPECT_EQ(shows, (Log{"3+"}));
  EXPECT_FALSE(XC_IsHELE(oldLabel));
  EXPECT_EQ(XTabBar_GetLabelCount(tabBars()[0]), 3);
  EXPECT_EQ(tabNotices, 9);

  // Its window closing (event 16 not handled) docks it back in its place, in front.
  bool keepOpen = true;
  XWnd_RegEventC(w, 16, [&](bool* handled) { return *handled = keepOpen, 0; });
  tk::raiseEvent(w, 16, {});
  EXPECT_EQ(XPane_GetState(pane[2]), pane_state_float);
  keepOpen = false;
  shows.clear();
  tk::raiseEvent(w, 16, {});
  EXPECT_FALSE(XC_IsHWINDOW(w));
  EXPECT_EQ(XPane_GetState(pane[2]), pane_state_dock);
  EXPECT_EQ(XEle_GetWindow(pane[2]), frame);
  EXPECT_EQ(XTabBar_GetLabel(tabBars()[0], 2), labelOf(2));
  EXPECT_TRUE(XBtn_IsCheck(labelOf(2)));
  EXPECT_EQ(shows, (Log{"3-"}));  // pane 2 itself stayed visible throughout
  EXPECT_EQ(tabNotices, 10);      // a new label for the shell to style
  EXPECT_EQ(rectOf(pane[2]), before);
  // Its caption buttons are back, whatever height they were given while it floated.
  EXPECT_EQ(XEle_GetHeight(XEle_GetChildByIndex(pane[2], 1)), 16);

  // A pane alone in its group: the group goes, docking back makes it again on the same side.
  XPane_ShowPane(pane[4]);
  XPane_FloatPane(pane[4]);
  EXPECT_EQ(splitter(pane_align_right, true), nullptr);
  HWINDOW w4 = XEle_GetWindow(pane[4]);
  XEle_SendEvent(XEle_GetChildByIndex(pane[4], 1), XE_BNCLICK);  // the float button docks back
  EXPECT_FALSE(XC_IsHWINDOW(w4));
  EXPECT_EQ(rectOf(pane[4]), (XRect{1093 - 260, 117, 1093, 768}));
  EXPECT_EQ(tabNotices, 10);

  // Hiding a floating pane hides its window; a hidden pane does not float.
  XPane_FloatPane(pane[9]);
  HWINDOW w9 = XEle_GetWindow(pane[9]);
  shows.clear();
  XPane_HidePane(pane[9]);
  EXPECT_FALSE(tk::getWindow(w9)->visible);
  EXPECT_EQ(XPane_GetState(pane[9]), pane_state_hidden);
  EXPECT_EQ(shows, (Log{"9-"}));
  XPane_ShowPane(pane[9]);
  EXPECT_TRUE(tk::getWindow(w9)->visible);
  EXPECT_EQ(XPane_GetState(pane[9]), pane_state_float);
  XPane_HidePane(pane[10]);
  XPane_FloatPane(pane[10]);
  EXPECT_EQ(XEle_GetWindow(pane[10]), frame);
  // Docking a floating pane somewhere else closes its window too; the frame's end closes the rest.
  XFrameWnd_AddPane(frame, 0, pane[9], pane_align_top);
  EXPECT_FALSE(XC_IsHWINDOW(w9));
  XPane_FloatPane(pane[11]);
  HWINDOW w11 = XEle_GetWindow(pane[11]);
  XWnd_CloseWindow(frame);
  EXPECT_FALSE(XC_IsHWINDOW(w11));
  EXPECT_FALSE(XC_IsHELE(pane[11]));
  XPane_ShowPane(pane[11]);
  XPane_FloatPane(pane[0]);
}

TEST_F(PaneTest, SplittersDragWithinLimits) {
  tk::Window* w = tk::getWindow(frame);
  // The splitter right of the left side: the cursor shape, then a drag of 30 pixels.
  EXPECT_EQ(tk::dragEdgeAt(*w, {329, 300}), edge_right);
  tk::leftDown(*w, {329, 300}, 1);
  tk::mouseMove(*w, {359, 300}, 1);
  tk::leftUp(*w, {359, 300}, 0);
  EXPECT_EQ(rectOf(pane[0]).right, 357);
  EXPECT_EQ(rectOf(view).left, 361);
  // Never below the minimum, never over the view's last 40 pixels.
  tk::leftDown(*w, {359, 300}, 1);
  tk::mouseMove(*w, {0, 300}, 1);
  tk::leftUp(*w, {0, 300}, 0);
  EXPECT_EQ(rectOf(pane[0]).width(), tk::DockSite::kMinSide);
  tk::leftDown(*w, {49, 300}, 1);
  tk::mouseMove(*w, {2000, 300}, 1);
  tk::leftUp(*w, {2000, 300}, 0);
  EXPECT_EQ(rectOf(view).width(), tk::DockSite::kMinView);
  // The bottom side's splitter grows it upwards.
  XRect band = splitter(pane_align_bottom, true)->windowRect();
  tk::leftDown(*w, {1060, band.top + 1}, 1);
  tk::mouseMove(*w, {1060, band.top - 19}, 1);
  tk::leftUp(*w, {1060, band.top - 19}, 0);
  EXPECT_EQ(rectOf(pane[5]).top, 448 - 20);

  // Between two groups of a side: one gives what the other takes.
  HELE below = XPane_Create(u"below", 200, 100, frame);
  XFrameWnd_AddPane(frame, pane[0], below, pane_align_bottom);
  XWnd_AdjustLayout(frame);
  XRect between = splitter(pane_align_left, false)->windowRect();
  EXPECT_EQ(between.top, 117 + 260);
  tk::leftDown(*w, {20, between.top + 2}, 1);
  tk::mouseMove(*w, {20, between.top + 52}, 1);
  tk::leftUp(*w, {20, between.top + 52}, 0);
  EXPECT_EQ(rectOf(pane[0]).bottom, 117 + 310 - 24);
  EXPECT_EQ(rectOf(below).top, 117 + 314);
  EXPECT_EQ(rectOf(below).bottom, 768);

  // The split-bar colour.
  XFrameWnd_SetPaneSplitBarColor(frame, XRGB(45, 45, 48) | 0x7F000000u, 200);
  tk::RecordingCanvas canvas;
  tk::DockSplitter* left = splitter(pane_align_left, true);
  tk::paintElement(canvas, *left, {0, 0});
  XRect r = left->windowRect();
  EXPECT_EQ(r.width(), tk::DockSite::kSplitter);
  EXPECT_EQ(canvas.drawn().at(0),
            "fill " + std::to_string(r.left) + ",117-" + std::to_string(r.right) + ",768 #2D2D30/200");
}

TEST_F(PaneTest, FocusInsideAPaneMakesItActive) {
  Log focus;
  for (int i : {0, 5})
    for (int ev : {XE_SETFOCUS, XE_KILLFOCUS})
      XEle_RegEventC(pane[i], ev, [&focus, i, ev](bool*) {
        return focus.push_back(std::to_string(i) + ":" + std::to_string(ev)), 0;
      });
  HELE leftView = XLayout_Create(0, 0, 10, 10, 0), bottomView = XLayout_Create(0, 0, 10, 10, 0);
  HELE a = XBtn_Create(0, 0, 20, 20, u"a", leftView), b = XBtn_Create(0, 0, 20, 20, u"b", leftView);
  HELE c = XBtn_Create(0, 0, 20, 20, u"c", bottomView);
  XPane_SetView(pane[0], leftView);
  XPane_SetView(pane[5], bottomView);
  XWnd_AdjustLayout(frame);
  tk::Window* w = tk::getWindow(frame);
  auto activeLook = [](HELE p) { return (tk::getElement(p)->bkState() & XBK_PANE_ACTIVE) != 0; };
  EXPECT_EQ(tk::getElement(pane[0])->bkState(), XBK_NORMAL | XBK_CHECKED | XBK_PANE_INACTIVE);
  tk::setFocus(*w, a);
  EXPECT_EQ(focus, (Log{"0:31"}));
  EXPECT_TRUE(activeLook(pane[0]));
  EXPECT_FALSE(activeLook(pane[5]));
  tk::setFocus(*w, b);  // within the same pane: nothing for the pane
  EXPECT_EQ(focus.size(), 1u);
  tk::setFocus(*w, c);
  EXPECT_EQ(focus, (Log{"0:31", "0:32", "5:31"}));
  tk::setFocus(*w, pane[5]);  // from inside onto the pane itself: it only gets its own 31
  EXPECT_EQ(focus, (Log{"0:31", "0:32", "5:31"}));
  // A click on a caption focuses the pane.
  tk::leftDown(*w, {20, 117 + 10}, 1);
  tk::leftUp(*w, {20, 117 + 10}, 0);
  EXPECT_EQ(focus, (Log{"0:31", "0:32", "5:31", "5:32", "0:31"}));
  EXPECT_TRUE(activeLook(pane[0]));
  tk::setFocus(*w, 0);
  EXPECT_EQ(focus.back(), "0:32");
  EXPECT_FALSE(activeLook(pane[0]));
}

// --- the whole arrangement as a layout -----------------------------------------------------------

// The layout of one frame in terms of another frame's panes (made in the same order).
XDockLayout translated(XDockLayout l, const HELE (&from)[12], const HELE (&to)[12]) {
  auto map = [&](HELE h) {
    for (int i = 0; i < 12; ++i)
      if (from[i] == h) return to[i];
    return h;
  };
  for (XDockGroup& g : l.groups) g.front = map(g.front);
  for (XDockPane& p : l.panes) p.pane = map(p.pane);
  return l;
}

TEST_F(PaneTest, TheArrangementReadsAsALayout) {
  XDockLayout l;
  ASSERT_TRUE(XFrameWnd_GetDockLayout(frame, &l));
  EXPECT_EQ(l.sides[pane_align_left], (XDockSide{320, 1}));
  EXPECT_EQ(l.sides[pane_align_top], (XDockSide{0, 0}));
  EXPECT_EQ(l.sides[pane_align_right], (XDockSide{260, 2}));
  EXPECT_EQ(l.sides[pane_align_bottom], (XDockSide{320, 3}));
  ASSERT_EQ(l.groups.size(), 3u);
  EXPECT_EQ(l.groups[0], (XDockGroup{pane_align_left, 260, pane[0]}));
  EXPECT_EQ(l.groups[1], (XDockGroup{pane_align_right, 260, pane[4]}));
  EXPECT_EQ(l.groups[2], (XDockGroup{pane_align_bottom, 260, pane[5]}));
  ASSERT_EQ(l.panes.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    const int group = i < 4 ? 0 : i == 4 ? 1 : 2;
    const int index = i < 4 ? i : i == 4 ? 0 : i - 5;
    EXPECT_EQ(l.panes[i], (XDockPane{pane[i], i != 4, false, {}, l.groups[group].side, group, index})) << i;
  }
  XDockLayout none;
  EXPECT_FALSE(XFrameWnd_GetDockLayout(view, &none));
  EXPECT_FALSE(XFrameWnd_GetDockLayout(frame, nullptr));
  EXPECT_FALSE(XFrameWnd_SetDockLayout(view, &l));
  EXPECT_FALSE(XFrameWnd_SetDockLayout(frame, nullptr));
}

// What a user changes (a pane closed, one moved to another side, one floated and its window
// moved, a splitter dragged, a tab chosen), read from one frame and put on another: the same
// layout reads back and every pane stands where it stood.
TEST_F(PaneTest, ALayoutPutOnAnotherFrameArrangesItTheSame) {
  std::vector<HWINDOW> floated;
  XWnd_RegEventC(frame, XWM_FLOAT_PANE, [&](HWINDOW w, HELE, bool*) { return floated.push_back(w), 0; });
  XDockLayout defaults;
  ASSERT_TRUE(XFrameWnd_GetDockLayout(frame, &defaults));
  XEle_SendEvent(XEle_GetChildByIndex(pane[6], 0), XE_BNCLICK);  // closed
  XFrameWnd_AddPane(frame, 0, pane[8], pane_align_right);        // to the right side
  XEle_SendEvent(XEle_GetChildByIndex(pane[1], 1), XE_BNCLICK);  // floated
  ASSERT_EQ(floated.size(), 1u);
  const XRect moved{100, 120, 500, 520};
  XWnd_SetRect(floated[0], &moved);
  tk::Window* w = tk::getWindow(frame);
  tk::leftDown(*w, {329, 300}, 1);  // the left side's splitter, 30 pixels to the right
  tk::mouseMove(*w, {359, 300}, 1);
  tk::leftUp(*w, {359, 300}, 0);
  XEle_SendEvent(labelOf(9), XE_BNCLICK);  // a tab chosen
  XDockLayout changed;
  ASSERT_TRUE(XFrameWnd_GetDockLayout(frame, &changed));
  EXPECT_EQ(changed.sides[pane_align_left].size, 350);
  EXPECT_EQ(changed.panes[6].shown, false);
  EXPECT_EQ(changed.panes[8].side, pane_align_right);
  EXPECT_EQ(changed.panes[8].group, 3);  // a new group, last of all
  EXPECT_EQ(changed.groups[3], (XDockGroup{pane_align_right, 320, pane[8]}));
  EXPECT_EQ(changed.panes[1], (XDockPane{pane[1], true, true, moved, pane_align_left, 0, 1}));
  EXPECT_EQ(changed.groups[2].front, pane[9]);

  HELE other[12] = {};
  int otherFloats = 0, otherTabNotices = 0;
  Log shows;
  HWINDOW second = buildShellFrame(other, nullptr, [&](HWINDOW f) {
    XWnd_RegEventC(f, XWM_FLOAT_PANE, [&](bool*) { return ++otherFloats, 0; });
    XWnd_RegEventC(f, XWM_DOCK_LAYOUT_CHANGE, [&](bool*) { return ++otherTabNotices, 0; });
  });
  for (int i = 0; i < 12; ++i)
    XEle_RegEventC(other[i], XE_SHOW, [&shows, i](bool shown, bool*) {
      return shows.push_back(std::to_string(i) + (shown ? "+" : "-")), 0;
    });
  otherTabNotices = 0;
  const XDockLayout wanted = translated(changed, pane, other);
  ASSERT_TRUE(XFrameWnd_SetDockLayout(second, &wanted));
  XDockLayout read;
  ASSERT_TRUE(XFrameWnd_GetDockLayout(second, &read));
  EXPECT_EQ(read, wanted);
  // One change: the panes that went out of sight told first, the new tab bars announced once.
  EXPECT_EQ(shows, (Log{"5-", "9+", "8+", "1+"}));
  EXPECT_EQ(otherFloats, 1);
  EXPECT_EQ(otherTabNotices, 1);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(XPane_GetState(other[i]), XPane_GetState(pane[i])) << i;
    EXPECT_EQ(XEle_IsShow(other[i]), XEle_IsShow(pane[i])) << i;
    if (XPane_GetState(pane[i]) == pane_state_dock && XEle_IsShow(pane[i])) {
      EXPECT_EQ(rectOf(other[i]), rectOf(pane[i])) << i;
    }
  }
  XRect r;
  XWnd_GetRect(XEle_GetWindow(other[1]), &r);
  EXPECT_EQ(r, moved);
  EXPECT_TRUE(tk::getWindow(XEle_GetWindow(other[1]))->visible);
  // Docking the floated pane back puts it where it was in its group.
  XEle_SendEvent(XEle_GetChildByIndex(other[1], 1), XE_BNCLICK);
  ASSERT_TRUE(XFrameWnd_GetDockLayout(second, &read));
  EXPECT_EQ(read.panes[1].group, 0);
  EXPECT_EQ(read.panes[1].index, 1);

  // The defaults put back on the changed frame: the floating window closes, every pane goes home.
  tabNotices = 0;
  ASSERT_TRUE(XFrameWnd_SetDockLayout(frame, &defaults));
  EXPECT_FALSE(XC_IsHWINDOW(floated[0]));
  EXPECT_EQ(XEle_GetWindow(pane[1]), frame);
  ASSERT_TRUE(XFrameWnd_GetDockLayout(frame, &read));
  EXPECT_EQ(read, defaults);
  EXPECT_EQ(rectOf(pane[0]), (XRect{7, 117, 327, 768 - 24}));
  EXPECT_EQ(rectOf(pane[5]), (XRect{331, 448, 1093, 768 - 24}));
  EXPECT_EQ(tabNotices, 1);
  EXPECT_EQ(XTabBar_GetLabelCount(tabBars()[0]), 4);
}

// A layout that names what this frame does not have, names a pane twice, or puts one in no group
// leaves those panes out; a hidden floating pane gets its window, hidden.
TEST_F(PaneTest, WhatALayoutCannotPlaceIsLeftOut) {
  XDockLayout l;
  ASSERT_TRUE(XFrameWnd_GetDockLayout(frame, &l));
  HWINDOW otherFrame = XFrameWnd_CreateEx(0, u"", u"", 0, 0, 0, 500, 500, nullptr, 0);
  HELE stranger = XPane_Create(u"stranger", 100, 100, otherFrame);
  l.panes[3].group = 7;           // no such group
  l.panes[5].pane = stranger;     // another frame's pane; pane 5 itself is not named
  l.panes.push_back(l.panes[0]);  // pane 0 twice
  l.groups[1].side = 9;           // a group on no side: pane 4 in it goes nowhere
  l.groups[2].front = pane[0];    // not of that group: the first shown pane is in front
  l.panes[10].floating = true;    // floating, hidden, at an empty rectangle
  l.panes[10].shown = false;
  l.panes[10].floatRect = {};
  l.sides[pane_align_left].size = -50;
  l.sides[pane_align_bottom].order = 1;  // two sides first: the side's own number decides
  ASSERT_TRUE(XFrameWnd_SetDockLayout(frame, &l));
  for (int i : {0, 3, 4, 5}) EXPECT_EQ(XPane_GetState(pane[i]), pane_state_hidden) << i;
  EXPECT_EQ(XPane_GetState(stranger), pane_state_hidden);
  EXPECT_EQ(XPane_GetState(pane[10]), pane_state_hidden);
  HWINDOW w10 = XEle_GetWindow(pane[10]);
  ASSERT_NE(w10, frame);
  EXPECT_FALSE(tk::getWindow(w10)->visible);
  XPane_ShowPane(pane[10]);
  EXPECT_TRUE(tk::getWindow(w10)->visible);
  XDockLayout read;
  ASSERT_TRUE(XFrameWnd_GetDockLayout(frame, &read));
  EXPECT_EQ(read.sides[pane_align_left], (XDockSide{0, 1}));
  EXPECT_EQ(read.sides[pane_align_bottom], (XDockSide{320, 2}));
  ASSERT_EQ(read.groups.size(), 2u);  // the right group had nothing left
  EXPECT_EQ(read.groups[0].front, pane[1]);
  EXPECT_EQ(read.groups[1].front, pane[6]);
  EXPECT_EQ(read.panes[10].floating, true);
  EXPECT_EQ(read.panes[10].group, 1);
  // What was left out can be docked again as any new pane.
  XFrameWnd_AddPane(frame, 0, pane[4], pane_align_right);
  EXPECT_EQ(XPane_GetState(pane[4]), pane_state_hidden);  // still hidden, now in a group
  XPane_ShowPane(pane[4]);
  EXPECT_EQ(XPane_GetState(pane[4]), pane_state_dock);
}

}  // namespace
}  // namespace tovalux::testing
