// Images as toolkit objects. The model only needs an image's size (read from the PNG
// or BMP header, so no window, GPU or decoder is involved); the backend decodes the bytes.
// UI thread only; reads the file it is given.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/model/core/object.h"

namespace tovalux::tk {

struct ImageInfo {
  enum class Format { png, bmp } format;
  int width;
  int height;
};
// Size and format from the file header; nullopt for anything else or a damaged header.
std::optional<ImageInfo> sniffImage(std::string_view bytes);

// The same picture drawn for another pixel size: a theme icon ships at 16, 24 and 32 pixels, and
// the backend draws the rendition that matches the window's scale instead of stretching one.
struct ImageRendition {
  ImageInfo info;
  std::string bytes;
};

class Image : public Object {
 public:
  Image(ImageInfo info, std::string bytes, bool stretch)
      : Object(XC_IMAGE), info_(info), bytes_(std::move(bytes)), stretch_(stretch) {}
  int width() const { return info_.width; }
  int height() const { return info_.height; }
  ImageInfo::Format format() const { return info_.format; }
  const std::string& bytes() const { return bytes_; }
  bool stretch() const { return stretch_; }
  // Where it came from, for diagnostics and test records ("cd.png", a file path, or empty).
  std::u16string source;
  // Larger renditions found beside a file (see loadImageFile); the image's own size stays the
  // 96-dpi size layouts use. They are looked for when first asked: at 100 % nothing needs them,
  // and the two extra folders cost more than the image's own read at start-up.
  const std::vector<ImageRendition>& renditions() const;
  void setRenditionSource(std::filesystem::path file) { renditionSource_ = std::move(file); }

 private:
  ImageInfo info_;
  std::string bytes_;
  bool stretch_;
  std::filesystem::path renditionSource_;
  mutable std::optional<std::vector<ImageRendition>> renditions_;
};

// Folders beside an image file that hold its larger renditions, named for the icon size they
// serve ("24/name.png" is name.png drawn at 1.5 times its size, "32/name.png" at twice it).
inline constexpr int kRenditionSizes[] = {24, 32};
inline constexpr int kRenditionBase = 16;

// Registers an image read from a file or memory; null when the data is not a PNG or BMP. A file
// also brings (when first asked) the renditions found in the folders of kRenditionSizes beside it
// whose size is the file's scaled by size / 16 (others are ignored).
Image* loadImageFile(const std::filesystem::path& path, bool stretch);
Image* loadImageMemory(std::string_view bytes, bool stretch);

}  // namespace tovalux::tk
