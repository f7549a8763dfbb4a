#include "base/screenshot.h"

#include <gdiplus.h>

#include <memory>
#include <vector>

#include "base/gbk.h"

namespace tovalux {
namespace {

bool pngEncoder(CLSID& clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(encoders[i].MimeType) == L"image/png") {
      clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

}  // namespace

bool saveWindowPng(HWND window, const std::string& path) {
  RECT rect;
  if (!IsWindow(window) || !GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(window, source);

  const bool saved = saveBitmapPng(bitmap, path);
  DeleteObject(bitmap);
  return saved;
}

bool saveBitmapPng(HBITMAP bitmap, const std::string& path) {
  if (bitmap == nullptr) return false;
  bool saved = false;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    {
      Gdiplus::Bitmap image(bitmap, nullptr);
      CLSID clsid;
      const std::u16string widePath = gbkToUtf16(path);
      if (pngEncoder(clsid))
        saved = image.Save(reinterpret_cast<const wchar_t*>(widePath.c_str()), &clsid, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
  }
  return saved;
}

}  // namespace tovalux
