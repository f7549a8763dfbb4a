// Owners of GDI objects and device contexts, so that every exit path of painting code gives
// them back (a leaked DC or bitmap inside the host's process is never recovered).
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace tovalux::tk::win32 {

// A GDI object (bitmap, font, brush, region) deleted with DeleteObject.
template <class T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T handle) : handle_(handle) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(T handle = nullptr) {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = nullptr;
};

// A memory DC (CreateCompatibleDC), deleted with DeleteDC.
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() { reset(); }
  MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  MemoryDc& operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
};

// GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

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
