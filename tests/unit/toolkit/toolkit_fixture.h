// Shared setup of the toolkit unit tests: an initialised toolkit with a deterministic text
// measurer, a scratch folder for theme files, and small PNG/BMP writers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/core/text_measure.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/xcgui.h"

namespace tovalux::testing {

// Every UTF-16 unit is 8 pixels wide; a line is the point size + 7 pixels high.
class FixedMeasurer : public tk::TextMeasurer {
 public:
  XSize measure(std::u16string_view text, const tk::Font& font) override {
    return {static_cast<int32_t>(text.size() * 8), font.size() + 7};
  }
};

inline std::string pngBytes(uint32_t width, uint32_t height) {
  std::string b("\x89PNG\r\n\x1a\n", 8);
  b += std::string("\0\0\0\x0dIHDR", 8);
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<char>((v >> shift) & 0xFF));
  b += std::string("\x08\x06\0\0\0", 5);
  b += std::string(4, '\0');  // CRC: the model reads no further than the size
  return b;
}

inline std::string bmpBytes(int32_t width, int32_t height) {
  std::string b = "BM";
  b += std::string(12, '\0');
  auto le32 = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  le32(40);
  le32(static_cast<uint32_t>(width));
  le32(static_cast<uint32_t>(height));
  b += std::string(28, '\0');
  return b;
}

// An element's rectangle in its parent's coordinates (XEle_GetRect).
inline XRect rectOf(HXCGUI e) {
  XRect r;
  XEle_GetRect(e, &r);
  return r;
}

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInitXCGUI("Tovalux"));
    tk::context().measurerOverride = &measurer_;
    dir_ = std::filesystem::temp_directory_path() / ("tovalux-tk-" + std::to_string(::getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    XExitXCGUI();
    tk::context().measurerOverride = nullptr;
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path write(const std::string& name, std::string_view content) {
    std::filesystem::path p = dir_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    return p;
  }
  static XString x(const std::filesystem::path& p) { return tk::toX(p.u16string()); }

  std::filesystem::path dir_;
  FixedMeasurer measurer_;
};

}  // namespace tovalux::testing
