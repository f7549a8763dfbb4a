#include <gtest/gtest.h>

#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/draw.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

using Ops = std::vector<std::string>;

class DrawTest : public ToolkitTest {
 protected:
  tk::RecordingCanvas canvas;
  const tk::Font& font() { return tk::context().fallbackFont(); }
};

// Win32-shaped structs (LONG members) go through the template overloads.
struct WinRect {
  long left, top, right, bottom;
};
struct WinPoint {
  long x, y;
};

TEST_F(DrawTest, FillsLinesAndTextUseTheContextOriginAndBrush) {
  tk::DrawScope scope(canvas, {100, 50}, font());
  HDRAW d = scope.handle();
  XRect r{0, 0, 10, 5};
  XDraw_FillRectColor(d, &r, XRGB(1, 2, 3), 300);               // alpha clamps to 255
  XDraw_FillRectColor(d, &r, 0xAB000000u | XRGB(1, 2, 3), -4);  // stray high byte dropped, alpha 0
  XRect empty{5, 5, 5, 9};
  XDraw_FillRectColor(d, &empty, 0, 255);  // nothing to fill
  XDraw_DrawLine(d, 0, 0, 4, 0);           // default brush: black, opaque
  XDraw_SetBrushColor(d, XRGB(241, 241, 241), 255);
  XDraw_DrawLine(d, 1, 2, 3, 4);
  XDraw_SetTextAlign(d, 2 | 4 | 0x70);  // bits beyond the four flags are dropped
  WinRect wr{36, 0, 200, 22};
  XDraw_DrawText(d, u"Open(O)   Ctrl+O", 7, &wr);  // a length cuts the text
  XDraw_DrawText(d, u"Ctrl+O", -1, &wr);
  XDraw_DrawText(d, u"ab\0cd", 5, &wr);  // never past the terminating 0
  XDraw_DrawText(d, u"", -1, &wr);
  EXPECT_EQ(canvas.drawn(),
            (Ops{"fill 100,50-110,55 #010203/255", "fill 100,50-110,55 #010203/0", "line 100,50-104,50 #000000/255",
                 "line 101,52-103,54 #F1F1F1/255", "text \"Open(O)\" 136,50-300,72 #F1F1F1/255 a6",
                 "text \"Ctrl+O\" 136,50-300,72 #F1F1F1/255 a6", "text \"ab\" 136,50-300,72 #F1F1F1/255 a6"}));
}

TEST_F(DrawTest, PolygonRegionsAndBrushesBelongToTheirContext) {
  size_t objectsBefore = tk::context().registry.size();
  XHRGN kept = nullptr;
  XHBRUSH keptBrush = nullptr;
  {
    tk::DrawScope scope(canvas, {0, 10}, font());
    HDRAW d = scope.handle();
    // The submenu arrow of an owner-drawn item: a triangle, fill mode 1.
    WinPoint tri[3] = {{88, 5}, {88, 15}, {93, 10}};
    XHRGN rgn = XDraw_CreatePolygonRgn(d, tri, 3, 1);
    XHBRUSH grey = XDraw_CreateSolidBrush(d, XRGB(153, 153, 153), 255);
    XHBRUSH blue = XDraw_CreateSolidBrush(d, XRGB(0, 122, 204), 255);
    ASSERT_NE(rgn, nullptr);
    ASSERT_NE(grey, nullptr);
    XDraw_FillRgn(d, rgn, grey);
    XDraw_FillRgn(d, rgn, blue);
    XPoint star[5] = {{0, 0}, {4, 8}, {8, 0}, {0, 5}, {8, 5}};
    XDraw_FillRgn(d, XDraw_CreatePolygonRgn(d, star, 5, 2), grey);
    EXPECT_EQ(XDraw_CreatePolygonRgn(d, star, 2, 1), nullptr);  // two points enclose nothing
    XDraw_FillRgn(d, rgn, nullptr);
    XDraw_FillRgn(d, nullptr, grey);
    XDraw_FillRgn(d, reinterpret_cast<XHRGN>(grey), grey);  // a brush is not a region
    kept = rgn, keptBrush = grey;
    EXPECT_EQ(canvas.drawn(), (Ops{"polygon 88,15 88,25 93,20 #999999/255", "polygon 88,15 88,25 93,20 #007ACC/255",
                                   "polygon 0,10 4,18 8,10 0,15 8,15 #999999/255 winding"}));
  }
  // Everything the context made went with it; kept handles are stale in the next context.
  EXPECT_EQ(tk::context().registry.size(), objectsBefore);
  canvas.ops.clear();
  tk::DrawScope next(canvas, {0, 0}, font());
  XDraw_FillRgn(next.handle(), kept, keptBrush);
  EXPECT_TRUE(canvas.drawn().empty());
}

TEST_F(DrawTest, ImagesClipAndStaleContexts) {
  std::string png = pngBytes(16, 12);
  HIMAGE img = XImage_LoadMemory(png.data(), static_cast<int>(png.size()));
  HDRAW stale;
  {
    XRect clip{0, 0, 50, 40};
    tk::DrawScope scope(canvas, {3, 4}, font(), &clip);
    stale = scope.handle();
    EXPECT_TRUE(XC_IsHXCGUI(stale, XC_DRAW));
    XDraw_Image(stale, img, 10, 3);
    XDraw_Image(stale, 0, 10, 3);
    XDraw_Image(stale, stale, 10, 3);  // not an image
  }
  EXPECT_FALSE(XC_IsHXCGUI(stale, XC_DRAW));
  ASSERT_EQ(canvas.ops.size(), 3u);
  EXPECT_EQ(canvas.ops[0].describe(), "clip 0,0-50,40");
  EXPECT_EQ(canvas.ops[1].rect, (XRect{13, 7, 29, 19}));
  EXPECT_EQ(canvas.ops[1].mode, tk::ImageMode::natural);
  EXPECT_EQ(canvas.ops[2].describe(), "unclip");
  // A context that is gone, or a handle that never was one, draws nothing and does not crash.
  XRect r{0, 0, 5, 5};
  XDraw_FillRectColor(stale, &r, 0, 255);
  XDraw_SetBrushColor(stale, 0, 255);
  XDraw_DrawLine(stale, 0, 0, 1, 1);
  XDraw_SetTextAlign(stale, 4);
  XDraw_DrawText(stale, u"x", -1, &r);
  XDraw_Image(stale, img, 0, 0);
  EXPECT_EQ(XDraw_CreateSolidBrush(stale, 0, 255), nullptr);
  XPoint pts[3] = {{0, 0}, {1, 0}, {0, 1}};
  EXPECT_EQ(XDraw_CreatePolygonRgn(img, pts, 3, 1), nullptr);
  EXPECT_EQ(canvas.ops.size(), 3u);
}

}  // namespace
}  // namespace tovalux::testing
