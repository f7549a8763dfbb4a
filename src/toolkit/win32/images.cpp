#include "toolkit/win32/images.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "base/win32_handles.h"
#include "toolkit/model/theme/image.h"

namespace tovalux::tk::win32 {

namespace {

ULONG_PTR gToken = 0;
// Handle -> pixels; an entry without pixels remembers that decoding failed.
std::unordered_map<HXCGUI, std::unique_ptr<Pixels>> gCache;

std::unique_ptr<Pixels> decode(const std::string& bytes) {
  if (gToken == 0 || bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
  ComPtr<IStream> stream(
      SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
  if (!stream) return nullptr;
  std::unique_ptr<Pixels> out;
  {
    Gdiplus::Bitmap bitmap(stream.get());
    const int w = static_cast<int>(bitmap.GetWidth()), h = static_cast<int>(bitmap.GetHeight());
    if (bitmap.GetLastStatus() == Gdiplus::Ok && w > 0 && h > 0) {
      Gdiplus::Rect all(0, 0, w, h);
      Gdiplus::BitmapData data{};
      if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) == Gdiplus::Ok) {
        out = std::make_unique<Pixels>();
        out->width = w, out->height = h;
        out->argb.resize(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
          auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
          std::copy(row, row + w, out->argb.begin() + static_cast<ptrdiff_t>(y) * w);
        }
        bitmap.UnlockBits(&data);
      }
    }
  }
  return out;
}

}  // namespace

bool startImageDecoding() {
  if (gToken != 0) return true;
  Gdiplus::GdiplusStartupInput input;
  return Gdiplus::GdiplusStartup(&gToken, &input, nullptr) == Gdiplus::Ok;
}

void stopImageDecoding() {
  gCache.clear();
  if (gToken != 0) Gdiplus::GdiplusShutdown(gToken);
  gToken = 0;
}

const Pixels* pixelsOf(const Image& image) {
  auto it = gCache.find(image.handle());
  if (it == gCache.end()) it = gCache.emplace(image.handle(), decode(image.bytes())).first;
  return it->second.get();
}

}  // namespace tovalux::tk::win32
