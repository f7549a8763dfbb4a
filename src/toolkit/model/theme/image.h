// Images as toolkit objects. The model only needs an image's size (read from the PNG
// or BMP header, so no window, GPU or decoder is involved); the backend decodes the bytes.
// UI thread only; reads the file it is given.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/model/core/object.h"

namespace tovalux::tk {

struct ImageInfo {
  enum class Format { png, bmp } format;
  int width;
  int height;
};
// Size and format from the file header; nullopt for anything else or a damaged header.
std::optional<ImageInfo> sniffImage(std::string_view bytes);

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

 private:
  ImageInfo info_;
  std::string bytes_;
  bool stretch_;
};

// Registers an image read from a file or memory; null when the data is not a PNG or BMP.
Image* loadImageFile(const std::filesystem::path& path, bool stretch);
Image* loadImageMemory(std::string_view bytes, bool stretch);

}  // namespace tovalux::tk
