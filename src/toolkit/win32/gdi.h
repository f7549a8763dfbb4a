// The back buffer windows paint into, and pixel helpers. The owners of GDI objects and device
// contexts it builds on (GdiObject, MemoryDc, WindowDc, Selection) are base's.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/win32_handles.h"

namespace tovalux::tk::win32 {

// A top-down 32-bit DIB section selected into its own memory DC: the back buffer windows paint
// into, and the pixels the canvas writes directly (B, G, R, A bytes per pixel).
class Surface {
 public:
  Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  // Makes the surface at least `width` x `height`; false when GDI refuses.
  bool ensure(int width, int height);
  void release();
  HDC dc() const { return dc_.get(); }
  uint32_t* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  MemoryDc dc_;
  GdiObject<HBITMAP> bitmap_;
  HGDIOBJ original_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
};

inline uint32_t toPixel(COLORREF c) {
  return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

}  // namespace tovalux::tk::win32
