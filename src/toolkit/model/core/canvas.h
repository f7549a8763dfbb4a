// The drawing surface the model paints on. The Win32 backend implements it with GDI (and
// per-pixel alpha where needed); tests use RecordingCanvas. Coordinates are window-client pixels,
// colours COLORREF plus a separate alpha, as GDI and the XDraw_ functions take them. A canvas
// lives for one paint, on the UI thread; it never keeps the images or fonts it is given.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/types.h"

namespace tovalux::tk {

class Image;
class Font;

enum class ImageMode : uint8_t {
  natural,  // at the destination's top-left corner, natural size, clipped to the destination
  stretch,  // scaled to the destination rectangle
  tile,     // repeated from the destination's top-left corner, clipped to it
};

// Polygon fill rule, numbered as GDI's SetPolyFillMode (XDraw_CreatePolygonRgn passes it on).
enum class FillMode : uint8_t {
  alternate = 1,  // even-odd
  winding = 2,    // non-zero
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void fillRect(const XRect& rect, XColor color, uint8_t alpha) = 0;
  // A frame `width` pixels wide on the inside of `rect`.
  virtual void frameRect(const XRect& rect, XColor color, uint8_t alpha, int width = 1) = 0;
  // A 1-pixel line from (x1, y1) to (x2, y2), the end point excluded as GDI's LineTo does.
  virtual void line(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) = 0;
  // The polygon closes from the last point back to the first.
  virtual void fillPolygon(const XPoint* points, int count, XColor color, uint8_t alpha,
                           FillMode mode = FillMode::alternate) = 0;
  // Single-line text placed in `rect` by XTextAlign flags; clipped to `rect`.
  virtual void text(std::u16string_view text, const XRect& rect, int align, const Font& font, XColor color,
                    uint8_t alpha) = 0;
  virtual void image(const Image& image, const XRect& dest, ImageMode mode) = 0;
  // Clipping nests: every push intersects with the current clip; pop restores it.
  virtual void pushClip(const XRect& rect) = 0;
  virtual void popClip() = 0;
};

}  // namespace tovalux::tk
