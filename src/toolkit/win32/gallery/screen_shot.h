// A picture of what the user sees of a window: the window and, above it, the process's other
// visible top-level windows that overlap it (menus, drop-down lists, tooltips, floating panes),
// each read from its own DC and laid over the others in z-order. Independent of the screen's
// own pixels, which a headless display may not keep.
#pragma once

#include <windows.h>

#include <string>

namespace tovalux::gallery {

// The area of `window`'s rectangle grown by `margin` on every side, saved as a PNG file.
bool saveScreenPng(HWND window, const std::string& path, int margin = 0);

}  // namespace tovalux::gallery
