// Draw contexts: a context owns the regions and brushes made through it, so they die with it at
// the end of its draw event whatever the handler did with them.
#include "toolkit/model/tree/draw.h"

#include "toolkit/model/core/context.h"

namespace tovalux::tk {

DrawContext::~DrawContext() {
  Registry& registry = context().registry;
  for (HXCGUI h : owned_) registry.erase(h);
}

HXCGUI DrawContext::addRegion(std::vector<XPoint> points, FillMode mode) {
  DrawRegion* region = context().registry.create<DrawRegion>();
  region->points = std::move(points);
  region->mode = mode;
  owned_.push_back(region->handle());
  return region->handle();
}

HXCGUI DrawContext::addBrush(XColor color, uint8_t alpha) {
  DrawBrush* brush = context().registry.create<DrawBrush>();
  brush->color = color;
  brush->alpha = alpha;
  owned_.push_back(brush->handle());
  return brush->handle();
}

DrawScope::DrawScope(Canvas& canvas, XPoint origin, const Font& font, const XRect* clip) : canvas_(canvas) {
  handle_ = context().registry.create<DrawContext>(canvas, origin, font)->handle();
  if (clip != nullptr) {
    canvas.pushClip(*clip);
    clipped_ = true;
  }
}

DrawScope::~DrawScope() {
  if (clipped_) canvas_.popClip();
  context().registry.erase(handle_);
}

}  // namespace tovalux::tk
