// Pixels of the model's images: PNG and BMP bytes decoded once with GDI+ into premultiplied
// 32-bit pixels, kept per image handle and rendition (handles are never reused, so a cached entry can never
// stand for another image).
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/types.h"

namespace tovalux::tk {
class Image;
}

namespace tovalux::tk::win32 {

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;  // premultiplied, top-down, 0xAARRGGBB
  uint32_t at(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// GDI+ for the toolkit's lifetime (XInitXCGUI to XExitXCGUI).
bool startImageDecoding();
void stopImageDecoding();

// The decoded pixels of `image` (rendition -1) or of one of its renditions, or null when the
// bytes do not decode.
const Pixels* pixelsOf(const Image& image, int rendition = -1);
// The rendition to draw `image` from when it is wanted `width` device pixels wide (-1: the
// image itself): the one of that width, else the nearest wider, else the widest.
int renditionFor(const Image& image, int width);
// The pixels `part` (a rectangle of the width x height result) of `source` stretched to
// width x height, bilinear over premultiplied pixels, written to `out` rows `stride` apart.
void stretchPart(const Pixels& source, int width, int height, const XRect& part, uint32_t* out, int stride);
// `source` stretched (bilinear, premultiplied) to width x height, made once and kept while the
// decoded pixels are; null for a size past kMaxStretchedSide squared, which is stretched as drawn.
inline constexpr size_t kMaxStretchedSide = 256;
const Pixels* stretchedPixelsOf(const Pixels& source, int width, int height);

}  // namespace tovalux::tk::win32
