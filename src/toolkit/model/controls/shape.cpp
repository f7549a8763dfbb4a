// Text and picture shapes, the text-alignment words, and the image placement buttons share.
#include "toolkit/model/controls/shape.h"

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"

namespace tovalux::tk {

std::optional<int> parseTextAlign(std::string_view value) {
  if (auto n = parseInt(value)) return *n & 15;
  int flags = 0;
  size_t start = 0;
  for (size_t i = 0; i <= value.size(); ++i) {
    if (i != value.size() && value[i] != '|') continue;
    std::string_view word = trim(value.substr(start, i - start));
    start = i + 1;
    if (equalsNoCase(word, "left") || equalsNoCase(word, "top")) continue;  // the zero flags
    if (equalsNoCase(word, "center"))
      flags |= text_align_center;
    else if (equalsNoCase(word, "right"))
      flags |= text_align_right;
    else if (equalsNoCase(word, "vcenter"))
      flags |= text_align_vcenter;
    else if (equalsNoCase(word, "bottom"))
      flags |= text_align_bottom;
    else
      return std::nullopt;
  }
  return flags;
}

XRect innerRect(const Element& e, const XRect& abs) {
  return {abs.left + e.padding.left, abs.top + e.padding.top, abs.right - e.padding.right,
          abs.bottom - e.padding.bottom};
}

void drawImageIn(Canvas& canvas, const Image& image, const XRect& area, bool center) {
  if (image.stretch()) {
    canvas.image(image, area, ImageMode::stretch);
    return;
  }
  int x = area.left, y = area.top;
  if (center) {
    x += (area.width() - image.width()) / 2;
    y += (area.height() - image.height()) / 2;
  }
  canvas.image(image, {x, y, x + image.width(), y + image.height()}, ImageMode::natural);
}

XSize ShapeText::contentSize() {
  XSize t = context().measurer().measure(text, effectiveFont());
  return {t.cx + padding.left + padding.right, t.cy + padding.top + padding.bottom};
}

void ShapeText::paintContent(Canvas& canvas, const XRect& abs) {
  if (text.empty()) return;
  auto [color, alpha] = effectiveTextColor();
  canvas.text(text, innerRect(*this, abs), textAlign, effectiveFont(), color, alpha);
}

bool ShapeText::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "text") {
    text = utf8ToUtf16(value);
    return true;
  }
  if (name == "textAlign") {
    if (auto a = parseTextAlign(value)) textAlign = *a;
    return true;
  }
  return false;
}

XSize ShapePicture::contentSize() {
  XSize s{padding.left + padding.right, padding.top + padding.bottom};
  if (const Image* img = context().registry.get<Image>(image)) s.cx += img->width(), s.cy += img->height();
  return s;
}

void ShapePicture::paintContent(Canvas& canvas, const XRect& abs) {
  if (const Image* img = context().registry.get<Image>(image)) drawImageIn(canvas, *img, innerRect(*this, abs), false);
}

void ShapePicture::applyImageAttribute(std::string_view name, HIMAGE picture) {
  if (name == "image") image = picture;
}

}  // namespace tovalux::tk
