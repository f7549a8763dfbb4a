#include "toolkit/win32/shadow.h"

#include <algorithm>
#include <cmath>

#include "toolkit/win32/backend.h"

namespace tovalux::tk::win32 {

namespace {
bool sameLook(const Window::Shadow& a, const Window::Shadow& b) {
  return a.size == b.size && a.depth == b.depth && a.cornerSize == b.cornerSize && a.rightAngle == b.rightAngle &&
         a.color == b.color;
}
}  // namespace

ShadowWindow::~ShadowWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void ShadowWindow::hide() {
  if (hwnd_ != nullptr && IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
  placed_ = {};
}

uint32_t ShadowWindow::pixel(int x, int y) const {
  if (!valid_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  GdiFlush();
  return surface_.bits()[static_cast<size_t>(y) * surface_.width() + x];
}

void ShadowWindow::render(int width, int height, const Window::Shadow& look) {
  if (valid_ && width == width_ && height == height_ && sameLook(look, drawn_)) return;
  valid_ = false;
  if (!surface_.ensure(width, height)) return;
  width_ = width, height_ = height, drawn_ = look;
  const int s = look.size;
  // The window's own rectangle inside the bitmap, with its corner radius.
  const double left = s, top = s, right = width - s, bottom = height - s;
  const double radius =
      look.rightAngle ? 0.0 : std::min<double>(look.cornerSize, std::min(right - left, bottom - top) / 2);
  const unsigned r = GetRValue(look.color), g = GetGValue(look.color), b = GetBValue(look.color);
  uint32_t* bits = surface_.bits();
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      // Distance to the (rounded) rectangle; 0 inside it.
      const double dx = std::max({left + radius - px, 0.0, px - (right - radius)});
      const double dy = std::max({top + radius - py, 0.0, py - (bottom - radius)});
      double d = look.rightAngle ? std::max(dx, dy) : std::hypot(dx, dy) - radius;
      uint32_t out = 0;
      if (d > 0 && d < s) {
        const double t = 1.0 - d / s;
        const unsigned a = static_cast<unsigned>(std::lround(look.depth * t * t));
        out = a << 24 | (r * a / 255) << 16 | (g * a / 255) << 8 | (b * a / 255);
      }
      bits[static_cast<size_t>(y) * surface_.width() + x] = out;
    }
  }
  valid_ = true;
}

void ShadowWindow::update(HWND target, const Window::Shadow& look, bool show, bool restack) {
  if (!show || look.size <= 0 || look.depth <= 0 || target == nullptr) {
    hide();
    return;
  }
  RECT rect;
  if (!GetWindowRect(target, &rect)) return;
  const int s = look.size;
  const int width = rect.right - rect.left + 2 * s, height = rect.bottom - rect.top + 2 * s;
  const bool same = valid_ && EqualRect(&rect, &placed_) && IsWindowVisible(hwnd_) && sameLook(look, drawn_);
  if (same && !restack) return;
  if (hwnd_ == nullptr) {
    Backend* backend = Backend::running();
    if (backend == nullptr || !backend->ensureClass(kShadowClass, 0)) return;
    // Owned like its window, so it stays in the same band of the z-order; click-through.
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kShadowClass, L"",
                            WS_POPUP, 0, 0, 1, 1, GetWindow(target, GW_OWNER), nullptr, moduleInstance(), nullptr);
    if (hwnd_ == nullptr) return;
  }
  render(width, height, look);
  if (!valid_) return;
  POINT position{rect.left - s, rect.top - s};
  SIZE size{width, height};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  WindowDc screen(nullptr);
  UpdateLayeredWindow(hwnd_, screen.get(), &position, &size, surface_.dc(), &origin, 0, &blend, ULW_ALPHA);
  // Just below its window.
  SetWindowPos(hwnd_, target, position.x, position.y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  placed_ = rect;
}

}  // namespace tovalux::tk::win32
