#include "toolkit/win32/gallery/screen_shot.h"

#include <vector>

#include "base/screenshot.h"
#include "base/win32_handles.h"

namespace tovalux::gallery {

namespace {

struct Collect {
  DWORD process;
  RECT area;
  std::vector<HWND> windows;  // top of the z-order first
};

BOOL CALLBACK collect(HWND hwnd, LPARAM data) {
  auto* c = reinterpret_cast<Collect*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  RECT r, overlap;
  // Layered windows (drop shadows) have no pixels of their own to read back.
  if (process == c->process && IsWindowVisible(hwnd) && !(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) &&
      GetWindowRect(hwnd, &r) && IntersectRect(&overlap, &r, &c->area))
    c->windows.push_back(hwnd);
  return TRUE;
}

}  // namespace

bool saveScreenPng(HWND window, const std::string& path, int margin) {
  RECT area;
  if (!IsWindow(window) || !GetWindowRect(window, &area)) return false;
  InflateRect(&area, margin, margin);
  const int width = area.right - area.left, height = area.bottom - area.top;
  Collect c{GetCurrentProcessId(), area, {}};
  EnumWindows(&collect, reinterpret_cast<LPARAM>(&c));

  WindowDc screen(nullptr);
  MemoryDc memory(screen.get());
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap) return false;
  {
    Selection select(memory.get(), bitmap.get());
    RECT all{0, 0, width, height};
    GdiObject<HBRUSH> back(CreateSolidBrush(RGB(20, 20, 20)));
    FillRect(memory.get(), &all, back.get());
    // Bottom of the z-order first; only `window` and what lies above it.
    bool above = false;
    for (auto it = c.windows.rbegin(); it != c.windows.rend(); ++it) {
      above = above || *it == window;
      if (!above) continue;
      RECT r;
      GetWindowRect(*it, &r);
      WindowDc source(*it, WindowDc::kWholeWindow);
      if (!source) continue;
      BitBlt(memory.get(), r.left - area.left, r.top - area.top, r.right - r.left, r.bottom - r.top, source.get(), 0, 0,
             SRCCOPY);
    }
  }

  return saveBitmapPng(bitmap.get(), path);
}

}  // namespace tovalux::gallery
