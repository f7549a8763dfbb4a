#include "toolkit/win32/images.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <map>

#include "base/win32_handles.h"
#include "toolkit/model/core/scale.h"
#include "toolkit/model/theme/image.h"

namespace tovalux::tk::win32 {

namespace {

ULONG_PTR gToken = 0;
// (handle, rendition) -> pixels; an entry without pixels remembers that decoding failed.
std::map<std::pair<HXCGUI, int>, std::unique_ptr<Pixels>> gCache;

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

const Pixels* pixelsOf(const Image& image, int rendition) {
  if (rendition >= 0 && rendition >= static_cast<int>(image.renditions().size())) rendition = -1;
  const std::pair key{image.handle(), rendition};
  auto it = gCache.find(key);
  if (it == gCache.end())
    it = gCache.emplace(key, decode(rendition < 0 ? image.bytes() : image.renditions()[rendition].bytes)).first;
  return it->second.get();
}

int renditionFor(const Image& image, int width) {
  // Every rendition is wider than the image: one wanted at its size or smaller is the image, and
  // its renditions are not looked for.
  if (width <= image.width()) return -1;
  // Index 0 is the image itself, 1.. its renditions.
  std::vector<int> widths{image.width()};
  for (const ImageRendition& r : image.renditions()) widths.push_back(r.info.width);
  return pickRendition(widths.data(), static_cast<int>(widths.size()), width) - 1;
}

}  // namespace tovalux::tk::win32
