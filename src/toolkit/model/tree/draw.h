// Draw contexts (HDRAW): what owner-draw events (menu background 60 and items 61, list items
// 105, header items 107) hand their handlers, so that they paint with the XDraw_ functions.
//
// A context lives for one draw event: it wraps the canvas being painted, translates the
// handler's coordinates by `origin` (the position, in canvas coordinates, of the surface the
// event's records describe) and clips to an optional area. It keeps the state the XDraw_
// functions share: the brush colour (lines and text), the text alignment and the font.
// Regions and brushes made through a context are toolkit objects owned by it: they die with
// it, so a handler that never frees them (as GDI code would have to) leaks nothing, and a
// region or brush kept past its event is a stale handle that the XDraw_ functions ignore.
// UI thread only, inside the paint that raised the event.
#pragma once

#include <vector>

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/object.h"

namespace tovalux::tk {

class Font;

// Object types of the context's regions and brushes (never returned as HXCGUI to callers; the
// XDraw_ surface passes them as HRGN and HBRUSH).
constexpr int kDrawRegionType = 126;
constexpr int kDrawBrushType = 127;

class DrawRegion : public Object {
 public:
  DrawRegion() : Object(kDrawRegionType) {}
  std::vector<XPoint> points;  // canvas coordinates
  FillMode mode = FillMode::alternate;
};

class DrawBrush : public Object {
 public:
  DrawBrush() : Object(kDrawBrushType) {}
  XColor color = 0;
  uint8_t alpha = 255;
};

class DrawContext : public Object {
 public:
  DrawContext(Canvas& canvas, XPoint origin, const Font& font)
      : Object(XC_DRAW), canvas(canvas), origin(origin), font(&font) {}
  ~DrawContext() override;

  Canvas& canvas;
  const XPoint origin;
  const Font* font;
  XColor brushColor = 0;
  uint8_t brushAlpha = 255;
  int textAlign = 0;  // XTextAlign flags

  XRect toCanvas(const XRect& r) const {
    return {r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
  }
  XPoint toCanvas(XPoint p) const { return {p.x + origin.x, p.y + origin.y}; }

  HXCGUI addRegion(std::vector<XPoint> points, FillMode mode);
  HXCGUI addBrush(XColor color, uint8_t alpha);

 private:
  std::vector<HXCGUI> owned_;
};

// Creates a draw context for the length of a scope (one draw event) and destroys it, with its
// regions and brushes, at the end; `clip` (canvas coordinates) bounds what its handlers paint.
class DrawScope {
 public:
  DrawScope(Canvas& canvas, XPoint origin, const Font& font, const XRect* clip = nullptr);
  ~DrawScope();
  DrawScope(const DrawScope&) = delete;
  DrawScope& operator=(const DrawScope&) = delete;
  HDRAW handle() const { return handle_; }

 private:
  Canvas& canvas_;
  HDRAW handle_ = 0;
  bool clipped_ = false;
};

}  // namespace tovalux::tk
