#include "toolkit/win32/gdi_canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <cstring>

#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/win32/fonts.h"
#include "toolkit/win32/images.h"

namespace tovalux::tk::win32 {

bool Surface::ensure(int width, int height) {
  width = std::max(width, 1), height = std::max(height, 1);
  if (bits_ != nullptr && width <= width_ && height <= height_) return true;
  // Grow with some room, so that resizing a window does not make a bitmap per step.
  const int w = std::max(width, width_ + width_ / 4), h = std::max(height, height_ + height_ / 4);
  release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDc dc(nullptr);
  if (!bitmap || !dc || bits == nullptr) return false;
  original_ = SelectObject(dc.get(), bitmap.get());
  bitmap_ = std::move(bitmap);
  dc_ = std::move(dc);
  bits_ = static_cast<uint32_t*>(bits);
  width_ = w, height_ = h;
  return true;
}

void Surface::release() {
  if (dc_ && original_ != nullptr) SelectObject(dc_.get(), original_);
  original_ = nullptr;
  dc_.reset();
  bitmap_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
}

namespace {
// Held fills smaller than this many units squared are written at once (held_fills.h): about an
// icon button's area, a few per cent of the frame's pixels written twice.
constexpr int kMinHeldSide = 22;
}  // namespace

GdiCanvas::GdiCanvas(Surface& surface, int width, int height, Scale scale)
    : surface_(surface),
      scale_(scale),
      clip_{0, 0, std::min(width, surface.width()), std::min(height, surface.height())},
      held_(int64_t(scale.scale(kMinHeldSide)) * scale.scale(kMinHeldSide)) {}

void GdiCanvas::finish() {
  held_.takeAll([this](const XRect& r, uint32_t pixel) { writeFill(r, pixel); });
}

void GdiCanvas::touch(const XRect& area) {
  held_.take(area, [this](const XRect& r, uint32_t pixel) { writeFill(r, pixel); });
}

void GdiCanvas::writeFill(const XRect& r, uint32_t pixel) {
  syncPixels();
  uint32_t* row = surface_.bits() + static_cast<size_t>(r.top) * surface_.width() + r.left;
  for (int y = r.top; y < r.bottom; ++y, row += surface_.width()) {
#if defined(__i386__)
    // The processor's string store writes whole cache lines without reading them first; a 200 %
    // frame has four times the pixels to fill.
    uint32_t* at = row;
    size_t count = static_cast<size_t>(r.width());
    __asm__ volatile("rep stosl" : "+D"(at), "+c"(count) : "a"(pixel) : "memory");
#else
    std::fill(row, row + r.width(), pixel);
#endif
  }
}

void GdiCanvas::syncPixels() {
  if (gdiPending_) GdiFlush();
  gdiPending_ = false;
}

namespace {
inline uint32_t mix(uint32_t src, uint32_t dst, unsigned a) {
  const unsigned na = 255 - a;
  auto channel = [&](int shift) {
    unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    return ((s * a + d * na + 127) / 255) << shift;
  };
  return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

// Premultiplied source over an opaque destination.
inline uint32_t over(uint32_t src, uint32_t dst) {
  const unsigned sa = src >> 24;
  if (sa == 255) return src | 0xFF000000u;
  if (sa == 0 && (src & 0xFFFFFF) == 0) return dst;
  const unsigned na = 255 - sa;
  auto channel = [&](int shift) {
    unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    return std::min(255u, s + (d * na + 127) / 255) << shift;
  };
  return 0xFF000000u | channel(16) | channel(8) | channel(0);
}
}  // namespace

void GdiCanvas::blend(int x, int y, uint32_t pixel, uint8_t alpha) {
  uint32_t& d = surface_.bits()[static_cast<size_t>(y) * surface_.width() + x];
  d = alpha == 255 ? pixel : mix(pixel, d, alpha);
}

void GdiCanvas::fillRect(const XRect& rect, XColor color, uint8_t alpha) {
  fillDevice(scale_.scale(rect), color, alpha);
}

void GdiCanvas::fillDevice(const XRect& rect, XColor color, uint8_t alpha) {
  XRect r = intersect(rect, clip_);
  if (r.empty() || alpha == 0) return;
  const uint32_t pixel = toPixel(color);
  if (alpha == 255) return held_.add(r, pixel, [this](const XRect& r, uint32_t pixel) { writeFill(r, pixel); });
  touch(r);
  syncPixels();
  for (int y = r.top; y < r.bottom; ++y) {
    uint32_t* row = surface_.bits() + static_cast<size_t>(y) * surface_.width();
    for (int x = r.left; x < r.right; ++x) row[x] = mix(pixel, row[x], alpha);
  }
}

void GdiCanvas::frameRect(const XRect& rect, XColor color, uint8_t alpha, int width) {
  if (rect.empty() || width <= 0) return;
  // The sides are the units' strips scaled edge by edge, so a frame meets the fills beside it.
  const XRect r = scale_.scale(rect);
  width = std::min(width, std::min((rect.width() + 1) / 2, (rect.height() + 1) / 2));
  const int w = std::min({scale_.thickness(width), (r.width() + 1) / 2, (r.height() + 1) / 2});
  fillDevice({r.left, r.top, r.right, r.top + w}, color, alpha);
  fillDevice({r.left, r.bottom - w, r.right, r.bottom}, color, alpha);
  fillDevice({r.left, r.top + w, r.left + w, r.bottom - w}, color, alpha);
  fillDevice({r.right - w, r.top + w, r.right, r.bottom - w}, color, alpha);
}

namespace {
// The one-wide strip an axis-parallel line from (x1, y1) to (x2, y2) covers, its end point left
// out as LineTo leaves it.
XRect axisStrip(int x1, int y1, int x2, int y2) {
  XRect r{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (x1 == x2)
    r.right = r.left + 1, r.top = y1 < y2 ? y1 : y2 + 1, r.bottom = y1 < y2 ? y2 : y1 + 1;
  else
    r.bottom = r.top + 1, r.left = x1 < x2 ? x1 : x2 + 1, r.right = x1 < x2 ? x2 : x1 + 1;
  return r;
}
}  // namespace

void GdiCanvas::line(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) {
  if (alpha == 0) return;
  if (scale_.identity()) return lineDevice(x1, y1, x2, y2, color, alpha);
  if (x1 == x2 || y1 == y2) {
    // The unit-wide strip the line covers, scaled as any rectangle (the end point left out).
    fillRect(axisStrip(x1, y1, x2, y2), color, alpha);
    return;
  }
  // A slanted line: a band as thick as a scaled unit between the scaled end points.
  const XPoint a = scale_.scale(XPoint{x1, y1}), b = scale_.scale(XPoint{x2, y2});
  const int t = scale_.thickness(1);
  if (t <= 1) return lineDevice(a.x, a.y, b.x, b.y, color, alpha);
  const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
  const double nx = -dy / length * t / 2, ny = dx / length * t / 2;
  const double cx = 0.5, cy = 0.5;  // through the pixel centres, as the 1-pixel line goes
  auto at = [](double v) { return static_cast<int>(std::lround(v)); };
  const XPoint band[4] = {{at(a.x + cx + nx), at(a.y + cy + ny)},
                          {at(b.x + cx + nx), at(b.y + cy + ny)},
                          {at(b.x + cx - nx), at(b.y + cy - ny)},
                          {at(a.x + cx - nx), at(a.y + cy - ny)}};
  polygonDevice(band, 4, color, alpha, FillMode::winding);
}

void GdiCanvas::lineDevice(int x1, int y1, int x2, int y2, XColor color, uint8_t alpha) {
  if (x1 == x2 || y1 == y2) {
    // Axis-parallel: a one-pixel rectangle, the end point left out as LineTo does.
    fillDevice(axisStrip(x1, y1, x2, y2), color, alpha);
    return;
  }
  touch(intersect({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1}, clip_));
  syncPixels();
  const uint32_t pixel = toPixel(color);
  int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  int x = x1, y = y1;
  while (x != x2 || y != y2) {
    if (contains(clip_, {x, y})) blend(x, y, pixel, alpha);
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, x += sx;
    if (e2 <= dx) err += dx, y += sy;
  }
}

void GdiCanvas::fillPolygon(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode) {
  if (points == nullptr || count < 3 || alpha == 0) return;
  if (scale_.identity()) return polygonDevice(points, count, color, alpha, mode);
  std::vector<XPoint> device(points, points + count);
  for (XPoint& p : device) p = scale_.scale(p);
  polygonDevice(device.data(), count, color, alpha, mode);
}

void GdiCanvas::polygonDevice(const XPoint* points, int count, XColor color, uint8_t alpha, FillMode mode) {
  XRect box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (int i = 1; i < count; ++i) {
    box.left = std::min(box.left, points[i].x), box.right = std::max(box.right, points[i].x);
    box.top = std::min(box.top, points[i].y), box.bottom = std::max(box.bottom, points[i].y);
  }
  box = intersect(box, clip_);
  if (box.empty()) return;
  touch(box);
  syncPixels();
  const uint32_t pixel = toPixel(color);
  struct Crossing {
    double x;
    int direction;
  };
  std::vector<Crossing> xs;
  // Sampled at pixel centres, as GDI fills polygon regions.
  for (int y = box.top; y < box.bottom; ++y) {
    const double cy = y + 0.5;
    xs.clear();
    for (int i = 0; i < count; ++i) {
      const XPoint& a = points[i];
      const XPoint& b = points[(i + 1) % count];
      if ((a.y <= cy) == (b.y <= cy)) continue;
      xs.push_back({a.x + (cy - a.y) * (b.x - a.x) / double(b.y - a.y), b.y > a.y ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
    int winding = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += xs[i].direction;
      const bool inside = mode == FillMode::winding ? winding != 0 : (i % 2) == 0;
      if (!inside) continue;
      int from = std::max(box.left, static_cast<int>(std::ceil(xs[i].x - 0.5)));
      int to = std::min(box.right, static_cast<int>(std::ceil(xs[i + 1].x - 0.5)));
      for (int x = from; x < to; ++x) blend(x, y, pixel, alpha);
    }
  }
}

void GdiCanvas::text(std::u16string_view text, const XRect& rect, int align, const Font& font, XColor color,
                     uint8_t alpha) {
  if (text.empty() || alpha == 0) return;
  const XRect device = scale_.scale(rect);
  XRect visible = intersect(device, clip_);
  if (visible.empty()) return;
  touch(visible);
  HDC dc = surface_.dc();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
  SelectObject(dc, fontFor(font, scale_));
  SetTextColor(dc, color);
  SetBkMode(dc, TRANSPARENT);
  UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
  if (align & text_align_center)
    format |= DT_CENTER;
  else if (align & text_align_right)
    format |= DT_RIGHT;
  if (align & text_align_vcenter)
    format |= DT_VCENTER;
  else if (align & text_align_bottom)
    format |= DT_BOTTOM;
  RECT r{device.left, device.top, device.right, device.bottom};
  const int length = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFF));
  DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.data()), length, &r, format);
  RestoreDC(dc, saved);
  gdiPending_ = true;
}

void GdiCanvas::image(const Image& img, const XRect& units, ImageMode mode) {
  XRect dest = scale_.scale(units);
  // The size it is wanted at on the device: natural and tiled images at their own size scaled,
  // stretched ones at the destination's. The rendition of that width is drawn 1:1.
  const XRect natural = scale_.scale(XRect{units.left, units.top, units.left + img.width(), units.top + img.height()});
  const int wanted = mode == ImageMode::stretch ? dest.width() : natural.width();
  const Pixels* src = pixelsOf(img, scale_.identity() ? -1 : renditionFor(img, wanted));
  if (src == nullptr || src->width <= 0 || src->height <= 0) return;
  if (mode == ImageMode::natural && (src->width != natural.width() || src->height != natural.height())) {
    // No rendition of the scaled size: the nearest one stretched to it, clipped to the destination.
    pushDeviceClip(dest);
    imageDevice(*src, natural, ImageMode::stretch);
    popClip();
    return;
  }
  imageDevice(*src, dest, mode);
}

void GdiCanvas::imageDevice(const Pixels& pixels, const XRect& dest, ImageMode mode) {
  const Pixels* src = &pixels;
  XRect area = intersect(dest, clip_);
  if (area.empty()) return;
  touch(area);
  syncPixels();
  const int width = surface_.width();
  uint32_t* bits = surface_.bits();
  const int dw = dest.width(), dh = dest.height();
  if (mode == ImageMode::stretch && (dw != src->width || dh != src->height)) {
    // A small image (the tab strips' close buttons, on every paint) is stretched once per size.
    if (const Pixels* scaled = stretchedPixelsOf(*src, dw, dh)) {
      for (int y = area.top; y < area.bottom; ++y) {
        const uint32_t* from = scaled->argb.data() + static_cast<size_t>(y - dest.top) * dw + (area.left - dest.left);
        uint32_t* to = bits + static_cast<size_t>(y) * width + area.left;
        for (int n = area.width(); n > 0; --n, ++from, ++to) *to = over(*from, *to);
      }
      return;
    }
    // Larger ones are stretched as drawn, a row of the area at a time.
    std::vector<uint32_t> row(static_cast<size_t>(area.width()));
    for (int y = area.top; y < area.bottom; ++y) {
      const XRect line{area.left - dest.left, y - dest.top, area.right - dest.left, y - dest.top + 1};
      stretchPart(*src, dw, dh, line, row.data(), area.width());
      uint32_t* to = bits + static_cast<size_t>(y) * width + area.left;
      for (size_t n = 0; n < row.size(); ++n) to[n] = over(row[n], to[n]);
    }
    return;
  }
  if (mode != ImageMode::tile) {
    // 1:1, row by row (icons at every scale come here): transparent pixels skipped, opaque ones
    // copied, only the edges blended.
    const int left = std::max(area.left, dest.left), right = std::min(area.right, dest.left + src->width);
    const int top = std::max(area.top, dest.top), bottom = std::min(area.bottom, dest.top + src->height);
    for (int y = top; y < bottom; ++y) {
      const uint32_t* from = src->argb.data() + static_cast<size_t>(y - dest.top) * src->width + (left - dest.left);
      uint32_t* to = bits + static_cast<size_t>(y) * width + left;
      for (int n = right - left; n > 0; --n, ++from, ++to) {
        const uint32_t p = *from;
        if (p == 0) continue;
        *to = (p >> 24) == 255 ? p : over(p, *to);
      }
    }
    return;
  }
  // Tiled from the destination's corner (the area lies inside it): the source column steps along
  // with the row instead of being divided out at every pixel.
  for (int y = area.top; y < area.bottom; ++y) {
    const uint32_t* row = src->argb.data() + static_cast<size_t>((y - dest.top) % src->height) * src->width;
    uint32_t* to = bits + static_cast<size_t>(y) * width + area.left;
    for (int x = area.left, sx = (area.left - dest.left) % src->width; x < area.right; ++x, ++to) {
      const uint32_t p = row[sx];
      if (p != 0) *to = (p >> 24) == 255 ? p : over(p, *to);
      if (++sx == src->width) sx = 0;
    }
  }
}

void GdiCanvas::pushClip(const XRect& rect) { pushDeviceClip(scale_.scale(rect)); }

void GdiCanvas::pushDeviceClip(const XRect& device) {
  saved_.push_back(clip_);
  clip_ = intersect(clip_, device);
  if (clip_.empty()) clip_ = {clip_.left, clip_.top, clip_.left, clip_.top};
}

void GdiCanvas::popClip() {
  if (saved_.empty()) return;
  clip_ = saved_.back();
  saved_.pop_back();
}

}  // namespace tovalux::tk::win32
