// Saves what a window shows as a PNG file (Windows only). Reads the window's own DC, so it
// works while another window covers it; used by the demo and by on-screen tests. For programs:
// GDI+, started by the first picture, stays up until the process ends.
#pragma once

#include <windows.h>

#include <string>

namespace tovalux {

// The whole window, frame included. False when the window or the file cannot be used.
bool saveWindowPng(HWND window, const std::string& path);

// A device-dependent bitmap (not selected into any DC) as a PNG file at a GBK path.
bool saveBitmapPng(HBITMAP bitmap, const std::string& path);

}  // namespace tovalux
