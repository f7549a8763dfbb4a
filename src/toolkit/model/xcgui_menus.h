// Menu bars and pop-up menus, dock panes and frame docking, and the XDraw_ operations of draw
// events. Included by xcgui.h.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "toolkit/model/xcgui.h"

// Regions and brushes of a draw context. On Windows they have the HRGN/HBRUSH types, so code
// written for GDI-typed handles compiles unchanged, but they are toolkit objects: they belong
// to the draw context that made them, die with it, and mean nothing to GDI.
#ifdef _WIN32
struct HRGN__;
struct HBRUSH__;
using XHRGN = HRGN__*;
using XHBRUSH = HBRUSH__*;
#else
struct XHRGN__;
struct XHBRUSH__;
using XHRGN = XHRGN__*;
using XHBRUSH = XHBRUSH__*;
#endif

// --- drawing (inside draw events) ----------------------------------------------------------
// Coordinates are those of the event's records. Lines and text use the brush colour.
void XDraw_FillRectColor(HDRAW draw, const XRect* rect, XColor color, int alpha = 255);
void XDraw_SetBrushColor(HDRAW draw, XColor color, int alpha = 255);
// A 1-pixel line; the end point is not drawn.
void XDraw_DrawLine(HDRAW draw, int x1, int y1, int x2, int y2);
// fillMode: 1 alternate (even-odd), 2 winding. At least three points.
XHRGN XDraw_CreatePolygonRgn(HDRAW draw, const XPoint* points, int count, int fillMode);
XHBRUSH XDraw_CreateSolidBrush(HDRAW draw, XColor color, int alpha = 255);
void XDraw_FillRgn(HDRAW draw, XHRGN region, XHBRUSH brush);
// XTextAlign flags: 0 left/top, 1 centre, 2 right, 4 vertical centre, 8 bottom.
void XDraw_SetTextAlign(HDRAW draw, int flags);
// One line of text in `rect`, clipped to it; length < 0: up to the terminating 0.
void XDraw_DrawText(HDRAW draw, const XChar* text, int length, const XRect* rect);
// The image at its natural size with its top-left corner at (x, y).
void XDraw_Image(HDRAW draw, HIMAGE image, int x, int y);

template <class P>
concept XPointShaped = !std::is_same_v<P, XPoint> && requires(P p) {
  p.x;
  p.y;
};
template <XPointShaped P>
XHRGN XDraw_CreatePolygonRgn(HDRAW draw, const P* points, int count, int fillMode) {
  if (points == nullptr || count <= 0) return nullptr;
  std::vector<XPoint> pts(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) pts[static_cast<size_t>(i)] = {static_cast<int32_t>(points[i].x), static_cast<int32_t>(points[i].y)};
  return XDraw_CreatePolygonRgn(draw, pts.data(), count, fillMode);
}
template <XRectShaped R>
void XDraw_FillRectColor(HDRAW draw, const R* rect, XColor color, int alpha = 255) {
  if (rect == nullptr) return;
  XRect r = xcgui_detail::fromShaped(*rect);
  XDraw_FillRectColor(draw, &r, color, alpha);
}
template <XRectShaped R>
void XDraw_DrawText(HDRAW draw, const XChar* text, int length, const R* rect) {
  if (rect == nullptr) return;
  XRect r = xcgui_detail::fromShaped(*rect);
  XDraw_DrawText(draw, text, length, &r);
}
