// The recording canvas: each operation becomes a CanvasOp, described in one line so a failing
// test prints what was drawn. Colours print as #RRGGBB, in reading order, not COLORREF's.
#include "toolkit/model/theme/recording_canvas.h"

#include <cstdio>

#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

namespace {
std::string rectText(const XRect& r) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d,%d-%d,%d", r.left, r.top, r.right, r.bottom);
  return buf;
}
std::string colorText(XColor c, uint8_t a) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X/%u", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, a);
  return buf;
}
CanvasOp makeOp(CanvasOp::Kind kind, const XRect& rect = {}, XColor color = 0, uint8_t alpha = 0) {
  CanvasOp op;
  op.kind = kind, op.rect = rect, op.color = color, op.alpha = alpha;
  return op;
}
}  // namespace

std::string CanvasOp::describe() const {
  switch (kind) {
    case Kind::fill: return "fill " + rectText(rect) + " " + colorText(color, alpha);
    case Kind::frame:
      return "frame " + rectText(rect) + " " + colorText(color, alpha) +
             (width != 1 ? " w" + std::to_string(width) : "");
    case Kind::line: return "line " + rectText(rect) + " " + colorText(color, alpha);
    case Kind::polygon: {
      std::string out = "polygon";
      for (const XPoint& p : points) out += " " + std::to_string(p.x) + "," + std::to_string(p.y);
      return out + " " + colorText(color, alpha) + (fillMode == FillMode::winding ? " winding" : "");
    }
    case Kind::text:
      return "text \"" + utf16ToUtf8(text) + "\" " + rectText(rect) + " " + colorText(color, alpha) + " a" +
             std::to_string(align);
    case Kind::image: {
      const char* m = mode == ImageMode::natural ? "natural" : mode == ImageMode::stretch ? "stretch" : "tile";
      return "image " + utf16ToUtf8(text) + " " + rectText(rect) + " " + m;
    }
    case Kind::pushClip: return "clip " + rectText(rect);
    case Kind::popClip: return "unclip";
  }
  return {};
}

void RecordingCanvas::fillRect(const XRect& rect, XColor color, uint8_t alpha) {
  ops.push_back(makeOp(CanvasOp::Kind::fill, rect, color, alpha));
}

void RecordingCanvas::frameRect(const XRect& rect, XColor color, uint8_t alpha, int width) {
  CanvasOp op = makeOp(CanvasOp::Kind::frame, rect, color, alpha);
  op.width = width;
  ops.push_back(op);
}

void RecordingCanvas::line(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) {
  ops.push_back(makeOp(CanvasOp::Kind::line, {x1, y1, x2, y2}, color, alpha));
}

void RecordingCanvas::fillPolygon(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode) {
  CanvasOp op = makeOp(CanvasOp::Kind::polygon, {}, color, alpha);
  op.fillMode = mode;
  if (points != nullptr && count > 0) op.points.assign(points, points + count);
  ops.push_back(std::move(op));
}

void RecordingCanvas::text(std::u16string_view text, const XRect& rect, int align, const Font&, XColor color,
                           uint8_t alpha) {
  CanvasOp op = makeOp(CanvasOp::Kind::text, rect, color, alpha);
  op.align = align;
  op.text = std::u16string(text);
  ops.push_back(std::move(op));
}

void RecordingCanvas::image(const Image& image, const XRect& dest, ImageMode mode) {
  CanvasOp op = makeOp(CanvasOp::Kind::image, dest);
  op.image = image.handle();
  op.mode = mode;
  op.text = image.source;
  ops.push_back(std::move(op));
}

void RecordingCanvas::pushClip(const XRect& rect) {
  ++depth_;
  ops.push_back(makeOp(CanvasOp::Kind::pushClip, rect));
}

void RecordingCanvas::popClip() {
  --depth_;
  ops.push_back(makeOp(CanvasOp::Kind::popClip));
}

std::vector<std::string> RecordingCanvas::drawn() const {
  std::vector<std::string> out;
  for (const CanvasOp& op : ops)
    if (op.kind != CanvasOp::Kind::pushClip && op.kind != CanvasOp::Kind::popClip) out.push_back(op.describe());
  return out;
}

}  // namespace tovalux::tk
