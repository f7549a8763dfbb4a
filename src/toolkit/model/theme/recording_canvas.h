// A canvas that records its operations instead of drawing: the model's tests assert on them.
// Built into the model, not the tests, so that the Wine tests and the fuzz targets can record too.
#pragma once

#include <string>
#include <vector>

#include "toolkit/model/core/canvas.h"

namespace tovalux::tk {

struct CanvasOp {
  enum class Kind { fill, frame, line, polygon, text, image, pushClip, popClip } kind = Kind::fill;
  XRect rect;  // fill, frame, text, image, pushClip; line: (x1, y1, x2, y2)
  XColor color = 0;
  uint8_t alpha = 0;
  int width = 0;                            // frame width
  int align = 0;                            // text
  FillMode fillMode = FillMode::alternate;  // polygon
  std::u16string text;
  HIMAGE image = 0;
  ImageMode mode = ImageMode::natural;
  std::vector<XPoint> points;

  // "fill 0,0-10,10 #RRGGBB/255", "image cd.png 3,3-10,10 natural"...: one line per op, for
  // readable assertions and failure messages.
  std::string describe() const;
};

class RecordingCanvas : public Canvas {
 public:
  void fillRect(const XRect& rect, XColor color, uint8_t alpha) override;
  void frameRect(const XRect& rect, XColor color, uint8_t alpha, int width) override;
  void line(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) override;
  void fillPolygon(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode) override;
  void text(std::u16string_view text, const XRect& rect, int align, const Font& font, XColor color,
            uint8_t alpha) override;
  void image(const Image& image, const XRect& dest, ImageMode mode) override;
  void pushClip(const XRect& rect) override;
  void popClip() override;

  std::vector<CanvasOp> ops;
  // The drawing operations only (no clip bookkeeping), described.
  std::vector<std::string> drawn() const;
  int clipDepth() const { return depth_; }

 private:
  int depth_ = 0;
};

}  // namespace tovalux::tk
