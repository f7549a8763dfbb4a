// Opaque fills held back until something needs their pixels, for a canvas that writes pixels
// itself. An element's background is usually covered by opaque children (a window's surface by
// its panes, a pane's by its view, a view's by its rows), and at 200 % every layer costs four
// times the pixels; held back, a later opaque fill takes over the pixels it shares with earlier
// ones, so each pixel of a stack of opaque layers is written once. Before anything else touches
// pixels (blends, text, images, lines) the canvas takes out the held fills of that area and
// writes them; at the end of the paint, all that are left. The result is the same, pixel for
// pixel, as writing every fill at once: a held pixel is either written before anything else
// touches it or replaced, unread, by a later opaque fill. Device pixels; UI thread only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "toolkit/types.h"

namespace tovalux::tk {

class HeldFills {
 public:
  struct Fill {
    XRect rect;
    uint32_t value = 0;
  };

  // Every operation looks through the held fills, so there are never many: pieces smaller than
  // `minArea` pixels (slivers left around a text or an icon) are written at once, and past
  // `maxHeld` fills the smaller half is written.
  explicit HeldFills(int64_t minArea = 0, size_t maxHeld = 256) : minArea_(minArea), maxHeld_(maxHeld) {}

  // An opaque fill of `rect` (already clipped) with `value`: what was held under it never shows.
  // `write(const XRect&, uint32_t)` writes pixels.
  template <class Write>
  void add(const XRect& rect, uint32_t value, Write&& write);
  // Writes the held fills within `area` and holds the rest of them.
  template <class Write>
  void take(const XRect& area, Write&& write);
  // Writes every held fill.
  template <class Write>
  void takeAll(Write&& write);
  bool empty() const { return fills_.empty(); }
  const std::vector<Fill>& held() const { return fills_; }

 private:
  static int64_t pixels(const XRect& r) { return int64_t(r.width()) * r.height(); }
  // Puts `from` less `hole` (which overlaps it) in place of fills_[index]: up to four bands, the
  // first in its place, the others at the end; small ones written. False when nothing is left.
  template <class Write>
  bool replaceByRest(size_t index, const XRect& hole, Write& write);
  void dropEmpty();
  template <class Write>
  void keepFew(Write& write);

  std::vector<Fill> fills_;  // disjoint
  int64_t minArea_;
  size_t maxHeld_;
};

inline bool overlaps(const XRect& a, const XRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

template <class Write>
bool HeldFills::replaceByRest(size_t index, const XRect& hole, Write& write) {
  const Fill from = fills_[index];
  const XRect& r = from.rect;
  const int top = std::max(r.top, hole.top), bottom = std::min(r.bottom, hole.bottom);
  const XRect bands[4] = {{r.left, r.top, r.right, hole.top},
                          {r.left, hole.bottom, r.right, r.bottom},
                          {r.left, top, hole.left, bottom},
                          {hole.right, top, r.right, bottom}};
  bool placed = false;
  for (const XRect& band : bands) {
    if (band.empty()) continue;
    if (pixels(band) < minArea_) {
      write(band, from.value);
    } else if (!placed) {
      fills_[index].rect = band, placed = true;
    } else {
      fills_.push_back({band, from.value});
    }
  }
  if (!placed) fills_[index].rect = {};
  return placed;
}

template <class Write>
void HeldFills::add(const XRect& rect, uint32_t value, Write&& write) {
  if (rect.empty()) return;
  bool dropped = false;
  // The pieces appended here lie outside `rect`: only the fills held before are looked at.
  for (size_t i = 0, n = fills_.size(); i < n; ++i)
    if (overlaps(fills_[i].rect, rect)) dropped |= !replaceByRest(i, rect, write);
  if (dropped) dropEmpty();
  if (pixels(rect) < minArea_) return write(rect, value);
  fills_.push_back({rect, value});
  keepFew(write);
}

template <class Write>
void HeldFills::keepFew(Write& write) {
  if (fills_.size() <= maxHeld_) return;
  const auto half = fills_.begin() + fills_.size() / 2;
  std::nth_element(fills_.begin(), half, fills_.end(),
                   [](const Fill& a, const Fill& b) { return pixels(a.rect) < pixels(b.rect); });
  for (auto f = fills_.begin(); f != half; ++f) write(f->rect, f->value);
  fills_.erase(fills_.begin(), half);
}

template <class Write>
void HeldFills::take(const XRect& area, Write&& write) {
  if (area.empty()) return;
  bool dropped = false;
  for (size_t i = 0, n = fills_.size(); i < n; ++i) {
    const Fill f = fills_[i];
    if (!overlaps(f.rect, area)) continue;
    const XRect shared{std::max(f.rect.left, area.left), std::max(f.rect.top, area.top),
                       std::min(f.rect.right, area.right), std::min(f.rect.bottom, area.bottom)};
    // Most of it wanted (a row's background under its text): written whole, so the held list
    // stays short; a pixel written early is only one that a later opaque fill might have spared.
    if (pixels(shared) * 2 >= pixels(f.rect)) {
      write(f.rect, f.value);
      fills_[i].rect = {}, dropped = true;
      continue;
    }
    write(shared, f.value);
    dropped |= !replaceByRest(i, shared, write);
  }
  if (dropped) dropEmpty();
  keepFew(write);
}

template <class Write>
void HeldFills::takeAll(Write&& write) {
  for (const Fill& f : fills_) write(f.rect, f.value);
  fills_.clear();
}

}  // namespace tovalux::tk
