// Pixels of the model's images: PNG and BMP bytes decoded once with GDI+ into premultiplied
// 32-bit pixels, kept per image handle (handles are never reused, so a cached entry can never
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

// The decoded pixels of `image`, or null when its bytes do not decode.
const Pixels* pixelsOf(const Image& image);

}  // namespace tovalux::tk::win32
