#include "base/screenshot.h"

#include <gdiplus.h>

#include <optional>
#include <vector>

#include "base/gbk.h"
#include "base/win32_handles.h"

namespace tovalux {
namespace {

// GDI+ starts on the first picture and stays up until the process ends: these helpers serve
// programs (the demo, on-screen tests), where starting and stopping it around every picture only
// costs time.
bool gdiplusStarted() {
  static const bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

std::optional<CLSID> findPngEncoder() {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return std::nullopt;
  std::vector<unsigned char> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return std::nullopt;
  for (UINT i = 0; i < count; ++i)
    if (encoders[i].MimeType != nullptr && std::wstring(encoders[i].MimeType) == L"image/png") return encoders[i].Clsid;
  return std::nullopt;
}

}  // namespace

bool saveWindowPng(HWND window, const std::string& path) {
  RECT rect;
  if (!IsWindow(window) || !GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  WindowDc source(window, WindowDc::kWholeWindow);
  if (!source) return false;
  MemoryDc memory(source.get());
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(source.get(), width, height));
  if (!memory || !bitmap) return false;
  {
    Selection select(memory.get(), bitmap.get());
    if (!select) return false;
    BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
  }
  return saveBitmapPng(bitmap.get(), path);
}

bool saveBitmapPng(HBITMAP bitmap, const std::string& path) {
  if (bitmap == nullptr || path.empty() || !gdiplusStarted()) return false;
  static const std::optional<CLSID> png = findPngEncoder();
  if (!png) return false;
  const std::wstring widePath = gbkToUtf16<wchar_t>(path);
  if (widePath.empty()) return false;
  Gdiplus::Bitmap image(bitmap, nullptr);
  if (image.GetLastStatus() != Gdiplus::Ok) return false;
  return image.Save(widePath.c_str(), &*png, nullptr) == Gdiplus::Ok;
}

}  // namespace tovalux
