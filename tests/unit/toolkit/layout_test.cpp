#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "toolkit/model/core/platform.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/model/tree/window.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using LayoutTest = ToolkitTest;

XRect inWindow(HXCGUI e) {
  XRect r;
  XEle_GetClientRect(e, &r);
  XEle_RectClientToWndClient(e, &r);
  return r;
}

TEST_F(LayoutTest, RowWithFixedAutoFillAndWeights) {
  HELE row = XLayout_Create(0, 0, 300, 40, 0);
  XEle_SetPadding(row, 5, 4, 5, 4);
  XLayout_SetSpace(row, 10);
  HELE fixed = XEle_Create(0, 0, 30, 20, row);
  HSHAPE text = XShapeText_Create(0, 0, 0, 0, u"abcd", row);  // 4 units x 8 = 32 wide
  XEle_SetLayoutWidth(text, layout_size_auto, 0);
  XEle_SetLayoutHeight(text, layout_size_auto, 0);
  HELE one = XEle_Create(0, 0, 0, 10, row);
  XEle_SetLayoutWidth(one, layout_size_weight, 1);
  HELE two = XEle_Create(0, 0, 0, 10, row);
  XEle_SetLayoutWidth(two, layout_size_weight, 2);
  XEle_SetLayoutHeight(two, layout_size_fill, 0);
  XEle_AdjustLayout(row);
  // Inner width 290; fixed 30 + auto 32 + 3 gaps of 10 = 92; 198 shared 1:2 = 66 / 132.
  EXPECT_EQ(rectOf(fixed), (XRect{5, 4, 35, 24}));
  EXPECT_EQ(rectOf(text), (XRect{45, 4, 77, 20}));
  EXPECT_EQ(rectOf(one), (XRect{87, 4, 153, 14}));
  EXPECT_EQ(rectOf(two), (XRect{163, 4, 295, 36}));
}

TEST_F(LayoutTest, WeightRemainderGoesToTheFirstAndMinimumsHold) {
  HELE row = XLayout_Create(0, 0, 100, 10, 0);
  HELE a = XEle_Create(0, 0, 0, 10, row), b = XEle_Create(0, 0, 0, 10, row), c = XEle_Create(0, 0, 0, 10, row);
  for (HELE e : {a, b, c}) XEle_SetLayoutWidth(e, layout_size_fill, 0);
  XEle_AdjustLayout(row);
  EXPECT_EQ(XEle_GetWidth(a), 34);
  EXPECT_EQ(XEle_GetWidth(b), 33);
  EXPECT_EQ(XEle_GetWidth(c), 33);
  EXPECT_EQ(rectOf(c).right, 100);
  XEle_SetMinSize(c, 60, 0);
  XEle_AdjustLayout(row);
  EXPECT_EQ(XEle_GetWidth(c), 60);
  // A fixed child larger than the row leaves nothing to share, never a negative width.
  XEle_SetWidth(a, 500);
  XEle_AdjustLayout(row);
  EXPECT_EQ(XEle_GetWidth(b), 0);
}

TEST_F(LayoutTest, ColumnAlignmentAndCentring) {
  HELE col = XLayout_Create(0, 0, 100, 100, 0);
  XLayout_EnableHorizon(col, false);
  XLayout_SetAlignH(col, align_center_h);
  XLayout_SetAlignV(col, align_bottom);
  HELE a = XEle_Create(0, 0, 20, 10, col);
  HELE b = XEle_Create(0, 0, 40, 30, col);
  XEle_AdjustLayout(col);
  // Run of 40 pixels pushed to the bottom; each child centred across.
  EXPECT_EQ(rectOf(a), (XRect{40, 60, 60, 70}));
  EXPECT_EQ(rectOf(b), (XRect{30, 70, 70, 100}));
  // The proposed "vertical alignment centre (4)" in a row.
  HELE row = XLayout_Create(0, 0, 100, 24, 0);
  XLayout_SetAlignV(row, 4);
  HELE btn = XBtn_Create(0, 0, 16, 16, u"", row);
  XEle_AdjustLayout(row);
  EXPECT_EQ(rectOf(btn), (XRect{0, 4, 16, 20}));
}

TEST_F(LayoutTest, HiddenAndFloatingChildrenStayOutOfTheFlow) {
  HELE row = XLayout_Create(0, 0, 100, 20, 0);
  HELE a = XEle_Create(0, 0, 10, 10, row);
  HELE hidden = XEle_Create(0, 0, 10, 10, row);
  HELE b = XEle_Create(0, 0, 10, 10, row);
  XEle_Show(hidden, false);
  XEle_AdjustLayout(row);
  EXPECT_EQ(rectOf(b).left, 10);
  auto* f = tk::getElement(b);
  f->floating = true;
  f->rect = {70, 5, 80, 15};
  XEle_AdjustLayout(row);
  EXPECT_EQ(rectOf(b), (XRect{70, 5, 80, 15}));
  EXPECT_EQ(rectOf(a).left, 0);
}

TEST_F(LayoutTest, AutoSizedContainerMeasuresItsChildren) {
  HELE outer = XLayout_Create(0, 0, 400, 100, 0);
  HELE inner = XLayout_Create(0, 0, 0, 0, outer);
  XEle_SetLayoutWidth(inner, layout_size_auto, 0);
  XEle_SetLayoutHeight(inner, layout_size_auto, 0);
  XEle_SetPadding(inner, 2, 3, 2, 3);
  XLayout_SetSpace(inner, 4);
  XEle_Create(0, 0, 10, 12, inner);
  XEle_Create(0, 0, 20, 8, inner);
  XEle_AdjustLayout(outer);
  EXPECT_EQ(rectOf(inner), (XRect{0, 0, 2 + 10 + 4 + 20 + 2, 3 + 12 + 3}));
}

TEST_F(LayoutTest, WindowBandsViewAndClientConversion) {
  HWINDOW frame = XFrameWnd_CreateEx(0, u"Tovalux", u"", 0, 0, 0, 1100, 800, nullptr, 47);
  XWnd_SetLayoutSize(frame, 7, 117, 7, 32);
  HELE top = XLayout_Create(0, 0, 1, 1, frame), left = XLayout_Create(0, 0, 1, 1, frame);
  HELE right = XLayout_Create(0, 0, 1, 1, frame), bottom = XLayout_Create(0, 0, 1, 1, frame);
  HELE view = XLayout_Create(0, 0, 1, 1, frame);
  XWnd_BindLayoutEle(frame, bind_top, top);
  XWnd_BindLayoutEle(frame, bind_left, left);
  XWnd_BindLayoutEle(frame, bind_right, right);
  XWnd_BindLayoutEle(frame, bind_bottom, bottom);
  XFrameWnd_SetView(frame, view);
  HELE code = XLayout_Create(0, 0, 0, 0, view);
  XEle_SetLayoutWidth(code, layout_size_fill, 0);
  XEle_SetLayoutHeight(code, layout_size_fill, 0);
  XEle_SetPadding(view, 3, 2, 0, 0);
  XWnd_AdjustLayout(frame);
  EXPECT_EQ(rectOf(top), (XRect{0, 0, 1100, 117}));
  EXPECT_EQ(rectOf(bottom), (XRect{0, 768, 1100, 800}));
  EXPECT_EQ(rectOf(left), (XRect{0, 117, 7, 768}));
  EXPECT_EQ(rectOf(right), (XRect{1093, 117, 1100, 768}));
  EXPECT_EQ(rectOf(view), (XRect{7, 117, 1093, 768}));
  EXPECT_EQ(rectOf(code), (XRect{3, 2, 1086, 651}));
  EXPECT_EQ(inWindow(code), (XRect{10, 119, 1093, 768}));
  // The edge elements are children of the window.
  EXPECT_EQ(XWnd_GetChildCount(frame), 5);
  XRect draw;
  XWnd_GetDrawRect(frame, &draw);
  EXPECT_EQ(draw, (XRect{0, 0, 1100, 800}));
}

TEST_F(LayoutTest, SizeEventFollowsEveryRectangleChangeIncludingMoves) {
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 200, 100);
  XWnd_SetLayoutSize(w, 10, 10, 10, 10);
  HELE box = XLayout_Create(0, 0, 0, 0, w);
  XEle_SetLayoutWidth(box, layout_size_fill, 0);
  XEle_SetLayoutHeight(box, layout_size_fill, 0);
  HELE pad = XEle_Create(0, 0, 20, 20, box);
  HELE watched = XEle_Create(0, 0, 30, 30, box);
  static int sizes = 0;
  sizes = 0;
  XEle_RegEventC(
      watched, XE_SIZE, +[](int, bool*) { return ++sizes, 0; });
  XWnd_AdjustLayout(w);
  EXPECT_EQ(sizes, 1);
  XWnd_AdjustLayout(w);
  EXPECT_EQ(sizes, 1);     // nothing changed
  XEle_SetWidth(pad, 25);  // moves `watched` 5 pixels without resizing it
  XWnd_AdjustLayout(w);
  EXPECT_EQ(sizes, 2);
  XWnd_SetLayoutSize(w, 12, 10, 10, 10);  // the whole box moves
  XWnd_AdjustLayout(w);
  EXPECT_EQ(sizes, 3);
}

TEST_F(LayoutTest, WindowBodyFlowsFreeChildren) {
  HWINDOW w = XWnd_CreateEx(0, u"", u"", 0, 0, 0, 501, 30);
  HELE strip = XLayout_Create(0, 0, 0, 0, w);
  XEle_SetLayoutWidth(strip, layout_size_fill, 0);
  XEle_SetLayoutHeight(strip, layout_size_fill, 0);
  XEle_SetPadding(strip, 4, 0, 0, 0);
  XLayout_SetSpace(strip, 4);
  XLayout_SetAlignV(strip, align_center_v);
  HELE b1 = XBtn_Create(0, 0, 24, 24, u"", strip);
  HELE b2 = XBtn_Create(0, 0, 24, 24, u"", strip);
  XWnd_AdjustLayout(w);
  EXPECT_EQ(rectOf(strip), (XRect{0, 0, 501, 30}));
  EXPECT_EQ(rectOf(b1), (XRect{4, 3, 28, 27}));
  EXPECT_EQ(rectOf(b2), (XRect{32, 3, 56, 27}));
}

// What the platform is asked to repaint (under Wine every request is a server call).
class RecordingPlatform : public tk::Platform {
 public:
  void invalidate(tk::Window&, const XRect& area, bool immediate) override { requests.emplace_back(area, immediate); }
  std::vector<std::pair<XRect, bool>> requests;
};

TEST_F(LayoutTest, RepaintsPendingOrAskedForWhilePaintingReachThePlatformOnce) {
  RecordingPlatform platform;
  tk::Platform* const previous = std::exchange(tk::context().platform, &platform);
  tk::Window* window = tk::getWindow(XWnd_CreateEx(0, u"", u"", 0, 0, 0, 400, 300));
  ASSERT_NE(window, nullptr);
  window->takeDirty();
  platform.requests.clear();
  window->invalidate({0, 0, 200, 100}, false);
  window->invalidate({10, 10, 50, 50}, false);
  window->invalidate({0, 0, 200, 100}, false);
  EXPECT_EQ(platform.requests.size(), 1u);
  // One to be painted at once still goes; one reaching past every pending one goes.
  window->invalidate({10, 10, 50, 50}, true);
  ASSERT_EQ(platform.requests.size(), 2u);
  EXPECT_TRUE(platform.requests.back().second);
  window->invalidate({150, 50, 250, 150}, false);
  EXPECT_EQ(platform.requests.size(), 3u);
  // A paint answers them all: the same area asked again goes again.
  window->takeDirty();
  window->invalidate({10, 10, 50, 50}, false);
  EXPECT_EQ(platform.requests.size(), 4u);

  // Past 32 pending areas they merge, and the platform is asked for the whole bounding box, so an
  // area in a gap between two of them, now taken as pending, is still repainted.
  window->takeDirty();
  platform.requests.clear();
  for (int k = 0; k < 33; ++k) window->invalidate({k * 6, 0, k * 6 + 3, 5}, false);
  ASSERT_EQ(platform.requests.size(), 33u);
  EXPECT_EQ(platform.requests.back().first, (XRect{0, 0, 195, 5}));
  window->invalidate({4, 1, 5, 3}, false);
  EXPECT_EQ(platform.requests.size(), 33u);

  // While the window paints, requests are held; its end asks once, for their bounding box, and
  // a paint inside the paint does not end the holding.
  window->takeDirty();
  platform.requests.clear();
  window->holdRequests();
  window->holdRequests();
  for (int row = 0; row < 20; ++row) window->invalidate({0, row * 10, 300, row * 10 + 10}, row == 3);
  window->releaseRequests();
  EXPECT_TRUE(platform.requests.empty());
  window->releaseRequests();
  ASSERT_EQ(platform.requests.size(), 1u);
  EXPECT_EQ(platform.requests.back().first, (XRect{0, 0, 300, 200}));
  window->invalidate({0, 20, 300, 30}, false);
  EXPECT_EQ(platform.requests.size(), 1u);
  window->releaseRequests();  // unbalanced: nothing more
  EXPECT_EQ(platform.requests.size(), 1u);
  tk::context().platform = previous;
}

}  // namespace
}  // namespace tovalux::testing
