#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

class InputTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    wnd = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 400, 300);
    w = tk::getWindow(wnd);
  }
  // Records "<name>:<event>" for the listed events of `h`.
  void watch(HELE h, const std::string& name, std::initializer_list<int> events) {
    for (int ev : events)
      XEle_RegEventC(h, ev, [this, name, ev](bool*) { return log.push_back(name + ":" + std::to_string(ev)), 0; });
  }
  HWINDOW wnd = 0;
  tk::Window* w = nullptr;
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(InputTest, HoverLeavesTheOldElementBeforeEnteringTheNew) {
  HELE bar = XTabBar_Create(0, 0, 400, 26, wnd);
  XTabBar_EnableClose(bar, true);
  XTabBar_AddLabel(bar, u"abcdef");
  XWnd_AdjustLayout(wnd);
  HELE label = XTabBar_GetLabel(bar, 0), close = XTabBar_GetLabelClose(bar, 0);
  watch(label, "label", {XE_MOUSESTAY, XE_MOUSELEAVE});
  watch(close, "close", {XE_MOUSESTAY, XE_MOUSELEAVE});
  HELE leftFor = 0;
  XEle_RegEventC(label, XE_MOUSELEAVE, [&](HELE onto, bool*) { return leftFor = onto, 0; });
  XRect c;
  XEle_GetClientRect(close, &c);
  XEle_RectClientToWndClient(close, &c);
  tk::mouseMove(*w, {3, 10}, 0);
  tk::mouseMove(*w, {4, 11}, 0);  // still on the label: nothing new
  tk::mouseMove(*w, {c.left + 2, c.top + 2}, 0);
  tk::mouseMove(*w, {3, 10}, 0);
  tk::mouseLeave(*w);
  EXPECT_EQ(log, (Log{"label:6", "label:8", "close:6", "close:8", "label:6", "label:8"}));
  EXPECT_EQ(leftFor, 0u);  // the last leave went nowhere
  EXPECT_FALSE(tk::getElement(label)->hovered);
}

TEST_F(InputTest, ClickSequenceAndCapture) {
  HELE b = XBtn_Create(10, 10, 50, 20, u"ok", wnd);
  XBtn_SetType(b, button_type_check);
  XWnd_AdjustLayout(wnd);
  tk::getElement(b)->rect = {10, 10, 60, 30};
  watch(b, "b", {XE_LBUTTONDOWN, XE_LBUTTONUP, XE_BNCLICK, XE_BUTTON_CHECK, XE_SETFOCUS});
  tk::leftDown(*w, {20, 20}, tk::mk_lbutton);
  EXPECT_TRUE(tk::getElement(b)->pressed);
  tk::leftUp(*w, {21, 21}, 0);
  EXPECT_EQ(log, (Log{"b:31", "b:10", "b:11", "b:34", "b:35"}));
  EXPECT_TRUE(XBtn_IsCheck(b));
  // Released elsewhere: the up still goes to the pressed button, the click does not.
  log.clear();
  tk::leftDown(*w, {20, 20}, tk::mk_lbutton);
  tk::mouseMove(*w, {300, 200}, tk::mk_lbutton);
  tk::leftUp(*w, {300, 200}, 0);
  EXPECT_EQ(log, (Log{"b:10", "b:11"}));
  EXPECT_TRUE(XBtn_IsCheck(b));
  // Disabled: nothing at all.
  log.clear();
  XEle_Enable(b, false);
  tk::leftDown(*w, {20, 20}, tk::mk_lbutton);
  tk::leftUp(*w, {20, 20}, 0);
  tk::rightUp(*w, {20, 20}, 0);
  EXPECT_TRUE(log.empty());
}

TEST_F(InputTest, MouseThroughAndShapesLetTheParentBeHit) {
  HELE bar = XToolBar_Create(0, 0, 200, 28, wnd);
  HELE sep = XEle_Create(0, 0, 2, 21, 0);
  XToolBar_InsertEle(bar, sep, -1);
  XEle_EnableMouseThrough(sep, true);
  HSHAPE text = XShapeText_Create(0, 0, 40, 20, u"t", bar);
  tk::getElement(text)->floating = true;
  tk::getElement(text)->rect = {100, 0, 140, 20};
  XWnd_AdjustLayout(wnd);
  EXPECT_EQ(tk::hitTest(*w, {1, 10})->handle(), bar);
  EXPECT_EQ(tk::hitTest(*w, {110, 10})->handle(), bar);
  XEle_EnableMouseThrough(sep, false);
  EXPECT_EQ(tk::hitTest(*w, {1, 10})->handle(), sep);
  EXPECT_EQ(tk::hitTest(*w, {399, 299}), nullptr);
}

TEST_F(InputTest, FocusMovesWithClicksAndDoubleClickRaises14) {
  HELE a = XBtn_Create(0, 0, 50, 20, u"a", wnd), b = XBtn_Create(0, 0, 50, 20, u"b", wnd);
  XWnd_AdjustLayout(wnd);  // a at 0..50, b at 50..100
  watch(a, "a", {XE_SETFOCUS, XE_KILLFOCUS, XE_LBUTTONDBCLICK});
  watch(b, "b", {XE_SETFOCUS, XE_KILLFOCUS, XE_RBUTTONUP});
  tk::leftDown(*w, {5, 5}, tk::mk_lbutton);
  tk::leftUp(*w, {5, 5}, 0);
  tk::leftDown(*w, {55, 5}, tk::mk_lbutton);
  tk::leftUp(*w, {55, 5}, 0);
  tk::rightUp(*w, {55, 5}, 0);
  tk::leftDoubleClick(*w, {5, 5}, tk::mk_lbutton);
  tk::leftUp(*w, {5, 5}, 0);
  EXPECT_EQ(log, (Log{"a:31", "a:32", "b:31", "b:13", "a:14", "b:32", "a:31"}));
}

TEST_F(InputTest, SliderDragTrackPagingAndWheel) {
  HELE view = XSView_Create(0, 0, 200, 117, wnd);
  XSView_SetScrollBarSize(view, 17);
  XSView_SetTotalSize(view, 100, 1117);
  XWnd_AdjustLayout(wnd);
  HELE bar = XSView_GetScrollBarV(view);
  ASSERT_TRUE(XEle_IsShow(bar));
  EXPECT_EQ(XSBar_GetRange(bar), 1000);
  std::vector<int> positions;
  XEle_RegEventC(bar, XE_SBAR_SCROLL, [&](int pos, bool*) { return positions.push_back(pos), 0; });
  // Track 17..100 (83 px), slider 83 * 117 / 1117 = 8 -> 10 (minimum) px: travel 73.
  XRect s;
  XEle_GetClientRect(XSBar_GetButtonSlider(bar), &s);
  XEle_RectClientToWndClient(XSBar_GetButtonSlider(bar), &s);
  EXPECT_EQ(s, (XRect{183, 17, 200, 27}));
  tk::leftDown(*w, {190, 20}, tk::mk_lbutton);  // grab 3 px below the slider's top
  tk::mouseMove(*w, {190, 20 + 73}, tk::mk_lbutton);
  EXPECT_EQ(XSBar_GetPos(bar), 1000);
  tk::mouseMove(*w, {190, 20 + 36}, tk::mk_lbutton);
  EXPECT_EQ(XSBar_GetPos(bar), (36 * 1000 + 36) / 73);
  tk::leftUp(*w, {190, 56}, 0);
  int at = XSBar_GetPos(bar);
  tk::leftDown(*w, {190, 98}, tk::mk_lbutton);  // on the track below the slider: a page down
  tk::leftUp(*w, {190, 98}, 0);
  EXPECT_EQ(XSBar_GetPos(bar), at + 117);
  tk::mouseWheel(*w, {50, 50}, 120);  // one notch up: 3 lines of 20
  EXPECT_EQ(XSBar_GetPos(bar), at + 117 - 60);
  EXPECT_EQ(positions.back(), at + 117 - 60);
}

TEST_F(InputTest, DragBorderResizesWithinMinimumsAndMovesTheBoundNeighbour) {
  // Two panels side by side as in the library browser: the left one's right edge is dragged.
  HELE row = XLayout_Create(0, 0, 0, 0, wnd);
  XEle_SetLayoutWidth(row, layout_size_fill, 0);
  XEle_SetLayoutHeight(row, layout_size_fill, 0);
  XLayout_SetSpace(row, 5);
  HELE left = XLayout_Create(0, 0, 150, 0, row), right = XLayout_Create(0, 0, 0, 0, row);
  XEle_SetLayoutHeight(left, layout_size_fill, 0);
  XEle_SetLayoutWidth(right, layout_size_fill, 0);
  XEle_SetLayoutHeight(right, layout_size_fill, 0);
  for (HELE e : {left, right}) XEle_SetMinSize(e, 80, 100);
  XEle_SetBorderSize(left, 0, 0, 5, 0);
  XEle_SetDragBorder(left, edge_right);
  XEle_SetDragBorderBindEle(left, edge_right, right, 5);
  XWnd_AdjustLayout(wnd);
  EXPECT_EQ(tk::dragEdgeAt(*w, {147, 50}), edge_right);
  EXPECT_EQ(tk::dragEdgeAt(*w, {140, 50}), 0);
  tk::leftDown(*w, {147, 50}, tk::mk_lbutton);
  tk::mouseMove(*w, {197, 50}, tk::mk_lbutton);
  EXPECT_EQ(XEle_GetWidth(left), 200);
  EXPECT_EQ(XEle_GetWidth(right), 400 - 200 - 5);
  tk::mouseMove(*w, {0, 50}, tk::mk_lbutton);  // not below the minimum
  EXPECT_EQ(XEle_GetWidth(left), 80);
  tk::mouseMove(*w, {390, 50}, tk::mk_lbutton);  // nor squeezing the neighbour below its own
  EXPECT_EQ(XEle_GetWidth(right), 80);
  EXPECT_EQ(XEle_GetWidth(left), 400 - 5 - 80);
  tk::leftUp(*w, {390, 50}, 0);
  tk::mouseMove(*w, {100, 50}, 0);
  EXPECT_EQ(XEle_GetWidth(left), 315);
}

TEST_F(InputTest, HitTestingFollowsTheScrollOffset) {
  HELE view = XSView_Create(0, 0, 100, 100, wnd);
  XSView_SetTotalSize(view, 80, 400);
  HELE deep = XBtn_Create(0, 250, 60, 20, u"", view);
  XWnd_AdjustLayout(wnd);
  EXPECT_NE(tk::hitTest(*w, {10, 255}), tk::getElement(deep));  // outside the view
  XSBar_ScrollPos(XSView_GetScrollBarV(view), 200);
  EXPECT_EQ(tk::hitTest(*w, {10, 55}), tk::getElement(deep));
  XSBar_ScrollPos(XSView_GetScrollBarV(view), 0);
  EXPECT_NE(tk::hitTest(*w, {10, 55}), tk::getElement(deep));
}

TEST_F(InputTest, HandlerDestroyingTheWindowDuringAClickIsSafe) {
  HELE b = XBtn_Create(0, 0, 50, 20, u"x", wnd);
  XWnd_AdjustLayout(wnd);
  XEle_RegEventC(b, XE_BNCLICK, [&](bool*) { return XWnd_CloseWindow(wnd), 0; });
  tk::leftDown(*w, {5, 5}, tk::mk_lbutton);
  tk::leftUp(*w, {5, 5}, 0);
  EXPECT_FALSE(XC_IsHWINDOW(wnd));
}

}  // namespace
}  // namespace tovalux::testing
