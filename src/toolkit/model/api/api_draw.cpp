// Public surface: the XDraw_ operations of draw events.
// UI thread only; every handle is validated first (api_support.h).
#include <algorithm>

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/tree/draw.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;

namespace {
DrawContext* drawOf(HDRAW h) { return context().initialized ? context().registry.get<DrawContext>(h) : nullptr; }
uint8_t alphaOf(int alpha) { return static_cast<uint8_t>(std::clamp(alpha, 0, 255)); }
XRect clampRect(const XRect& r) {
  return {clampCoord(r.left), clampCoord(r.top), clampCoord(r.right), clampCoord(r.bottom)};
}
// Regions and brushes cross the surface as pointer-typed handles holding the toolkit handle.
template <class P>
P toPointer(HXCGUI h) {
  return reinterpret_cast<P>(static_cast<uintptr_t>(h));
}
template <class P>
HXCGUI fromPointer(P p) {
  uintptr_t v = reinterpret_cast<uintptr_t>(p);
  return v > UINT32_MAX ? 0 : static_cast<HXCGUI>(v);
}
}  // namespace

void XDraw_FillRectColor(HDRAW draw, const XRect* rect, XColor color, int alpha) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr || rect == nullptr) return;
  XRect r = d->toCanvas(clampRect(*rect));
  if (!r.empty()) d->canvas.fillRect(r, color & 0xFFFFFF, alphaOf(alpha));
}

void XDraw_SetBrushColor(HDRAW draw, XColor color, int alpha) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr) return;
  d->brushColor = color & 0xFFFFFF;
  d->brushAlpha = alphaOf(alpha);
}

void XDraw_DrawLine(HDRAW draw, int x1, int y1, int x2, int y2) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr) return;
  XPoint a = d->toCanvas(XPoint{clampCoord(x1), clampCoord(y1)}),
         b = d->toCanvas(XPoint{clampCoord(x2), clampCoord(y2)});
  d->canvas.line(a.x, a.y, b.x, b.y, d->brushColor, d->brushAlpha);
}

XHRGN XDraw_CreatePolygonRgn(HDRAW draw, const XPoint* points, int count, int fillMode) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr || points == nullptr || count < 3 || count > 65536) return nullptr;
  std::vector<XPoint> pts;
  pts.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) pts.push_back(d->toCanvas(XPoint{clampCoord(points[i].x), clampCoord(points[i].y)}));
  FillMode mode = fillMode == 2 ? FillMode::winding : FillMode::alternate;
  return toPointer<XHRGN>(d->addRegion(std::move(pts), mode));
}

XHBRUSH XDraw_CreateSolidBrush(HDRAW draw, XColor color, int alpha) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr) return nullptr;
  return toPointer<XHBRUSH>(d->addBrush(color & 0xFFFFFF, alphaOf(alpha)));
}

void XDraw_FillRgn(HDRAW draw, XHRGN region, XHBRUSH brush) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr) return;
  Registry& registry = context().registry;
  const DrawRegion* r = registry.get<DrawRegion>(fromPointer(region));
  const DrawBrush* b = registry.get<DrawBrush>(fromPointer(brush));
  if (r == nullptr || b == nullptr) return;
  d->canvas.fillPolygon(r->points.data(), static_cast<int>(r->points.size()), b->color, b->alpha, r->mode);
}

void XDraw_SetTextAlign(HDRAW draw, int flags) {
  DrawContext* d = drawOf(draw);
  if (d != nullptr) d->textAlign = flags & 15;
}

void XDraw_DrawText(HDRAW draw, const XChar* text, int length, const XRect* rect) {
  DrawContext* d = drawOf(draw);
  if (d == nullptr || text == nullptr || rect == nullptr) return;
  std::u16string s;
  for (int i = 0; (length < 0 || i < length) && text[i] != 0; ++i) s.push_back(static_cast<char16_t>(text[i]));
  XRect r = d->toCanvas(clampRect(*rect));
  if (s.empty() || r.empty()) return;
  d->canvas.text(s, r, d->textAlign, *d->font, d->brushColor, d->brushAlpha);
}

void XDraw_Image(HDRAW draw, HIMAGE image, int x, int y) {
  DrawContext* d = drawOf(draw);
  const Image* img = d != nullptr ? context().registry.get<Image>(image) : nullptr;
  if (img == nullptr) return;
  XPoint at = d->toCanvas(XPoint{clampCoord(x), clampCoord(y)});
  d->canvas.image(*img, {at.x, at.y, at.x + img->width(), at.y + img->height()}, ImageMode::natural);
}
