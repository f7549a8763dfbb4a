// Image objects from files and memory. Only the header is read for the size (sniffImage), and
// sizes are bounded, so a damaged or hostile file gives no image instead of a huge allocation;
// the pixels are the backend's to decode.
#include "toolkit/model/theme/image.h"

#include <cstdint>

#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/values.h"

namespace tovalux::tk {

namespace {
constexpr size_t kMaxImageFile = 64u << 20;
constexpr int kMaxSide = 1 << 15;  // larger sides are refused: no theme needs them, GDI may not cope

uint32_t be32(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
         uint8_t(b[at + 3]);
}
uint32_t le32(std::string_view b, size_t at) {
  return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t le16(std::string_view b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
}  // namespace

std::optional<ImageInfo> sniffImage(std::string_view b) {
  static constexpr std::string_view kPng("\x89PNG\r\n\x1a\n", 8);
  if (b.size() >= 24 && b.substr(0, 8) == kPng && b.substr(12, 4) == "IHDR") {
    uint32_t w = be32(b, 16), h = be32(b, 20);
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) return std::nullopt;
    return ImageInfo{ImageInfo::Format::png, int(w), int(h)};
  }
  if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
    uint32_t header = le32(b, 14);
    int64_t w, h;
    // The info header's size tells its kind: the old core header has 16-bit sizes, the others
    // 32-bit ones, with a negative height for rows stored top-down.
    if (header == 12) {  // BITMAPCOREHEADER: 16-bit sizes
      w = le16(b, 18), h = le16(b, 20);
    } else if (header >= 40) {
      w = int32_t(le32(b, 18)), h = int32_t(le32(b, 22));
      if (h < 0) h = -h;  // top-down rows
    } else {
      return std::nullopt;
    }
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return std::nullopt;
    return ImageInfo{ImageInfo::Format::bmp, int(w), int(h)};
  }
  return std::nullopt;
}

Image* loadImageFile(const std::filesystem::path& path, bool stretch) {
  auto data = readFile(path, kMaxImageFile);
  if (!data) return nullptr;
  auto info = sniffImage(*data);
  if (!info) return nullptr;
  Image* image = context().registry.create<Image>(*info, std::move(*data), stretch);
  image->setRenditionSource(path);
#ifdef _WIN32
  std::wstring wide = path.wstring();
  image->source = std::u16string(wide.begin(), wide.end());
#else
  image->source = utf8ToUtf16(path.string());
#endif
  return image;
}

const std::vector<ImageRendition>& Image::renditions() const {
  if (renditions_) return *renditions_;
  renditions_.emplace();
  if (renditionSource_.empty()) return *renditions_;
  for (int size : kRenditionSizes) {
    const auto sibling = renditionSource_.parent_path() / std::to_string(size) / renditionSource_.filename();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(sibling, ec)) continue;
    auto bytes = readFile(sibling, kMaxImageFile);
    auto found = bytes ? sniffImage(*bytes) : std::nullopt;
    const auto expected = [&](int side) { return (side * size + kRenditionBase / 2) / kRenditionBase; };
    if (found && found->width == expected(info_.width) && found->height == expected(info_.height))
      renditions_->push_back({*found, std::move(*bytes)});
  }
  return *renditions_;
}

Image* loadImageMemory(std::string_view bytes, bool stretch) {
  auto info = sniffImage(bytes);
  if (!info) return nullptr;
  return context().registry.create<Image>(*info, std::string(bytes), stretch);
}

}  // namespace tovalux::tk
