#include "toolkit/win32/images.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "base/win32_handles.h"
#include "toolkit/model/core/scale.h"
#include "toolkit/model/theme/image.h"

namespace tovalux::tk::win32 {

namespace {

ULONG_PTR gToken = 0;
// (handle, rendition) -> pixels; an entry without pixels remembers that decoding failed.
std::map<std::pair<HXCGUI, int>, std::unique_ptr<Pixels>> gCache;
// (decoded pixels, width, height) -> those pixels stretched; the decoded pixels live as long as
// gCache, and both go together.
std::map<std::tuple<const Pixels*, int, int>, std::unique_ptr<Pixels>> gStretched;
size_t gStretchedPixels = 0;
constexpr size_t kMaxStretchedPixels = 1 << 20;  // 4 MB of kept pixels at most

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
  gStretched.clear();
  gStretchedPixels = 0;
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

void stretchPart(const Pixels& source, int width, int height, const XRect& part, uint32_t* out, int stride) {
  const Pixels* src = &source;
  const int dw = width, dh = height;
  // Bilinear over premultiplied pixels: no dark fringes at transparent edges.
  for (int y = part.top; y < part.bottom; ++y) {
    double fy = (y + 0.5) * src->height / dh - 0.5;
    int y0 = std::clamp(static_cast<int>(std::floor(fy)), 0, src->height - 1);
    int y1 = std::min(y0 + 1, src->height - 1);
    double wy = std::clamp(fy - y0, 0.0, 1.0);
    uint32_t* row = out + static_cast<size_t>(y - part.top) * stride;
    for (int x = part.left; x < part.right; ++x) {
      double fx = (x + 0.5) * src->width / dw - 0.5;
      int x0 = std::clamp(static_cast<int>(std::floor(fx)), 0, src->width - 1);
      int x1 = std::min(x0 + 1, src->width - 1);
      double wx = std::clamp(fx - x0, 0.0, 1.0);
      uint32_t p00 = src->at(x0, y0), p10 = src->at(x1, y0), p01 = src->at(x0, y1), p11 = src->at(x1, y1);
      uint32_t out32 = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        double v = ((p00 >> shift) & 0xFF) * (1 - wx) * (1 - wy) + ((p10 >> shift) & 0xFF) * wx * (1 - wy) +
                   ((p01 >> shift) & 0xFF) * (1 - wx) * wy + ((p11 >> shift) & 0xFF) * wx * wy;
        out32 |= static_cast<uint32_t>(std::clamp(v + 0.5, 0.0, 255.0)) << shift;
      }
      row[x - part.left] = out32;
    }
  }
}

const Pixels* stretchedPixelsOf(const Pixels& source, int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<size_t>(width) * height > kMaxStretchedSide * kMaxStretchedSide)
    return nullptr;
  const std::tuple key{&source, width, height};
  if (auto it = gStretched.find(key); it != gStretched.end()) return it->second.get();
  const size_t count = static_cast<size_t>(width) * height;
  if (gStretchedPixels + count > kMaxStretchedPixels) {
    gStretched.clear();
    gStretchedPixels = 0;
  }
  auto out = std::make_unique<Pixels>();
  out->width = width, out->height = height;
  out->argb.resize(count);
  stretchPart(source, width, height, {0, 0, width, height}, out->argb.data(), width);
  gStretchedPixels += count;
  return gStretched.emplace(key, std::move(out)).first->second.get();
}

}  // namespace tovalux::tk::win32
