// Device pixels from the toolkit's units. The model lays everything out at 96 dpi (layouts,
// style sheets, settings and the shell give 96-dpi sizes); the backend scales by the DPI of each
// native window at one place, with these rules, so that painting, hit-testing, caret places and
// the accessible locations agree to the pixel.
//
//   lengths      round half away from zero (1.5 -> 2, -1.5 -> -2): a 1-unit rule at 150 % is two
//                pixels, never zero;
//   rectangles   each edge is scaled as a coordinate, never left + scaled width, so elements
//                that share an edge share it on the device too (no gap, no overlap);
//   back         unscale() is the inverse for everything scale() produced (scale >= 1), so a
//                rectangle that went to the device and came back is the one that went;
//   covering     an area to repaint grows to whole units (floor the top-left, ceil the bottom-
//                right), so every device pixel it holds is painted.
#pragma once

#include <algorithm>
#include <cstdint>

#include "toolkit/types.h"

namespace tovalux::tk {

inline constexpr int kBaseDpi = 96;

class Scale {
 public:
  constexpr Scale() = default;
  constexpr explicit Scale(int dpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}
  constexpr int dpi() const { return dpi_; }
  constexpr bool identity() const { return dpi_ == kBaseDpi; }
  constexpr double factor() const { return dpi_ / double(kBaseDpi); }

  constexpr int scale(int v) const { return divideRounded(int64_t(v) * dpi_, kBaseDpi); }
  constexpr int unscale(int v) const { return divideRounded(int64_t(v) * kBaseDpi, dpi_); }
  // A thickness (pen width, border): at least one device pixel when the length is not zero.
  constexpr int thickness(int v) const { return v > 0 ? std::max(1, scale(v)) : 0; }

  constexpr XRect scale(const XRect& r) const { return {scale(r.left), scale(r.top), scale(r.right), scale(r.bottom)}; }
  constexpr XRect unscale(const XRect& r) const {
    return {unscale(r.left), unscale(r.top), unscale(r.right), unscale(r.bottom)};
  }
  constexpr XPoint scale(XPoint p) const { return {scale(p.x), scale(p.y)}; }
  constexpr XPoint unscale(XPoint p) const { return {unscale(p.x), unscale(p.y)}; }
  // The units that cover a device rectangle (for repainting).
  constexpr XRect covering(const XRect& device) const {
    return {floorDiv(int64_t(device.left) * kBaseDpi, dpi_), floorDiv(int64_t(device.top) * kBaseDpi, dpi_),
            -floorDiv(-int64_t(device.right) * kBaseDpi, dpi_), -floorDiv(-int64_t(device.bottom) * kBaseDpi, dpi_)};
  }
  // Device pixels for a unit length measured on the device (a text extent): rounded up, so that
  // what was measured always fits in the units given for it.
  constexpr int unscaleUp(int v) const { return -floorDiv(-int64_t(v) * kBaseDpi, dpi_); }

  constexpr bool operator==(const Scale&) const = default;

 private:
  static constexpr int divideRounded(int64_t n, int64_t d) {
    return static_cast<int>(n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d)));
  }
  static constexpr int floorDiv(int64_t n, int64_t d) { return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d)); }

  int dpi_ = kBaseDpi;
};

// The rendition of a picture to draw when it is wanted `wanted` device pixels wide: the one of
// exactly that width, else the smallest wider one (scaled down), else the widest. `widths` are
// the renditions' widths in any order; answers an index into them (-1 when there are none).
inline int pickRendition(const int* widths, int count, int wanted) {
  int exact = -1, wider = -1, widest = -1;
  for (int i = 0; i < count; ++i) {
    if (widths[i] == wanted && exact < 0) exact = i;
    if (widths[i] > wanted && (wider < 0 || widths[i] < widths[wider])) wider = i;
    if (widest < 0 || widths[i] > widths[widest]) widest = i;
  }
  return exact >= 0 ? exact : wider >= 0 ? wider : widest;
}

}  // namespace tovalux::tk
