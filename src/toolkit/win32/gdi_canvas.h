// The model's canvas on a 32-bit surface. Fills, lines, polygons and images are written straight
// into the surface's pixels (so alpha and premultiplied images blend exactly); text goes
// through GDI on the surface's DC, clipped by the same clip stack.
#pragma once

#include <vector>

#include "toolkit/model/core/canvas.h"
#include "toolkit/win32/gdi.h"

namespace tovalux::tk::win32 {

class GdiCanvas : public Canvas {
 public:
  // Paints into the `width` x `height` top-left corner of `surface`.
  GdiCanvas(Surface& surface, int width, int height);
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void fillRect(const XRect& rect, XColor color, uint8_t alpha) override;
  void frameRect(const XRect& rect, XColor color, uint8_t alpha, int width) override;
  void line(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) override;
  void fillPolygon(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode) override;
  void text(std::u16string_view text, const XRect& rect, int align, const Font& font, XColor color,
            uint8_t alpha) override;
  void image(const Image& image, const XRect& dest, ImageMode mode) override;
  void pushClip(const XRect& rect) override;
  void popClip() override;

 private:
  // Pixels are about to be touched directly: GDI must have finished its own writes.
  void syncPixels();
  void blend(int x, int y, uint32_t pixel, uint8_t alpha);

  Surface& surface_;
  XRect clip_;
  std::vector<XRect> saved_;
  bool gdiPending_ = false;
};

}  // namespace tovalux::tk::win32
