// The model's canvas on a 32-bit surface. Fills, lines, polygons and images are written straight
// into the surface's pixels (so alpha and premultiplied images blend exactly); text goes
// through GDI on the surface's DC, clipped by the same clip stack.
//
// The model draws in 96-dpi units; the canvas is where they become device pixels for the
// window's scale (model/core/scale.h): coordinates and clips edge by edge, rules and frames
// as thicknesses, text with the font made at the window's DPI (hinted at its size, never
// stretched), images from the rendition that matches the scaled size, 1:1 when one does.
#pragma once

#include <vector>

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/held_fills.h"
#include "toolkit/model/core/scale.h"
#include "toolkit/win32/gdi.h"

namespace tovalux::tk::win32 {

struct Pixels;

class GdiCanvas : public Canvas {
 public:
  // Paints into the `width` x `height` (device pixels) top-left corner of `surface`.
  GdiCanvas(Surface& surface, int width, int height, Scale scale = Scale());
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;
  ~GdiCanvas() override { finish(); }

  void fillRect(const XRect& rect, XColor color, uint8_t alpha) override;
  void frameRect(const XRect& rect, XColor color, uint8_t alpha, int width) override;
  void line(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) override;
  void fillPolygon(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode) override;
  void text(std::u16string_view text, const XRect& rect, int align, const Font& font, XColor color,
            uint8_t alpha) override;
  void image(const Image& image, const XRect& dest, ImageMode mode) override;
  void pushClip(const XRect& rect) override;
  void popClip() override;
  // Narrows the clip to a rectangle of device pixels (the area a paint covers).
  void pushDeviceClip(const XRect& device);
  const Scale& scale() const { return scale_; }
  // Writes the fills still held back: the surface then shows everything painted.
  void finish();

 private:
  void fillDevice(const XRect& rect, XColor color, uint8_t alpha);
  void lineDevice(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha);
  void imageDevice(const Pixels& pixels, const XRect& dest, ImageMode mode);
  void polygonDevice(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode);
  // Pixels of `area` are about to be touched: the fills held back there are written first.
  void touch(const XRect& area);
  void writeFill(const XRect& rect, uint32_t pixel);
  // Pixels are about to be touched directly: GDI must have finished its own writes.
  void syncPixels();
  void blend(int x, int y, uint32_t pixel, uint8_t alpha);

  Surface& surface_;
  Scale scale_;
  XRect clip_;  // device pixels
  std::vector<XRect> saved_;
  bool gdiPending_ = false;
  HeldFills held_;
};

}  // namespace tovalux::tk::win32
