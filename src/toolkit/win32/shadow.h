// The drop shadow of a top-level toolkit window: a layered, click-through window of its own,
// kept just below its window in the z-order and `size` pixels larger on every side. (The
// window itself cannot carry the shadow in per-pixel alpha: a window updated with
// UpdateLayeredWindow shows no child windows, and the frame hosts the IDE's main window.)
//
// Pixels: alpha falls from `depth` at the window's edge to 0 at `size` pixels out (smoothly,
// squared); corners are square with right-angle corners, else rounded with `cornerSize`.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/model/tree/window.h"
#include "toolkit/win32/gdi.h"

namespace tovalux::tk::win32 {

class ShadowWindow {
 public:
  ShadowWindow() = default;
  ~ShadowWindow();
  ShadowWindow(const ShadowWindow&) = delete;
  ShadowWindow& operator=(const ShadowWindow&) = delete;

  // Places the shadow around `target` (shown) or hides it; `restack` puts it back just below
  // its window even when nothing else changed (the window moved in the z-order).
  void update(HWND target, const Window::Shadow& look, bool show, bool restack);
  void hide();
  HWND hwnd() const { return hwnd_; }
  // Premultiplied 0xAARRGGBB of the shadow bitmap at (x, y) (shadow-window coordinates); 0
  // outside it or before it was drawn.
  uint32_t pixel(int x, int y) const;

 private:
  void render(int width, int height, const Window::Shadow& look);

  HWND hwnd_ = nullptr;
  Surface surface_;
  int width_ = 0, height_ = 0;
  Window::Shadow drawn_{};
  bool valid_ = false;
  RECT placed_{};  // the target's rectangle when last placed
};

}  // namespace tovalux::tk::win32
