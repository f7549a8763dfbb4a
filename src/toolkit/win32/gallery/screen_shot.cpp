#include "toolkit/win32/gallery/screen_shot.h"

#include <gdiplus.h>

#include <vector>

#include "base/gbk.h"
#include "toolkit/win32/gdi.h"

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

bool pngEncoder(CLSID& clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i)
    if (std::wstring(encoders[i].MimeType) == L"image/png") {
      clsid = encoders[i].Clsid;
      return true;
    }
  return false;
}

}  // namespace

bool saveScreenPng(HWND window, const std::string& path, int margin) {
  RECT area;
  if (!IsWindow(window) || !GetWindowRect(window, &area)) return false;
  InflateRect(&area, margin, margin);
  const int width = area.right - area.left, height = area.bottom - area.top;
  Collect c{GetCurrentProcessId(), area, {}};
  EnumWindows(&collect, reinterpret_cast<LPARAM>(&c));

  tk::win32::WindowDc screen(nullptr);
  tk::win32::MemoryDc memory(screen.get());
  tk::win32::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap) return false;
  {
    tk::win32::Selection select(memory.get(), bitmap.get());
    RECT all{0, 0, width, height};
    tk::win32::GdiObject<HBRUSH> back(CreateSolidBrush(RGB(20, 20, 20)));
    FillRect(memory.get(), &all, back.get());
    // Bottom of the z-order first; only `window` and what lies above it.
    bool above = false;
    for (auto it = c.windows.rbegin(); it != c.windows.rend(); ++it) {
      above = above || *it == window;
      if (!above) continue;
      RECT r;
      GetWindowRect(*it, &r);
      HDC source = GetWindowDC(*it);
      BitBlt(memory.get(), r.left - area.left, r.top - area.top, r.right - r.left, r.bottom - r.top, source, 0, 0,
             SRCCOPY);
      ReleaseDC(*it, source);
    }
  }

  bool saved = false;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    {
      Gdiplus::Bitmap image(bitmap.get(), nullptr);
      CLSID clsid;
      const std::u16string wide = gbkToUtf16(path);
      if (pngEncoder(clsid))
        saved = image.Save(reinterpret_cast<const wchar_t*>(wide.c_str()), &clsid, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
  }
  return saved;
}

}  // namespace tovalux::gallery
