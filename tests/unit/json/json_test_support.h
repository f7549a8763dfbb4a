// Helpers of the JSON tests: fixtures read as GBK, and an allocator that counts and can refuse.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>

#include "base/gbk.h"
#include "json/json_document.h"

namespace tovalux::testing {

// UTF-8 to UTF-16 (characters beyond the BMP as surrogate pairs).
inline std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3F);
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(char16_t(0xD800 + (code >> 10)));
      out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(char16_t(code));
    }
  }
  return out;
}

// A UTF-8 file under tests/unit/json/data as GBK (characters GBK lacks become '?').
inline std::string gbkFixture(const std::string& name) {
  std::ifstream file(std::string(TOVALUX_SOURCE_DIR) + "/tests/unit/json/data/" + name, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return utf16ToGbk(utf8ToUtf16(content.str()));
}

// Counts what a document holds and refuses once `budget` bytes would be live.
class CountingAllocator final : public JsonAllocator {
 public:
  size_t budget = std::numeric_limits<size_t>::max();
  size_t live = 0;
  size_t peak = 0;
  size_t refusals = 0;

  void* allocate(size_t bytes) noexcept override {
    if (bytes > budget - live) {
      ++refusals;
      return nullptr;
    }
    live += bytes;
    peak = std::max(peak, live);
    return std::malloc(bytes);
  }
  void deallocate(void* block, size_t bytes) noexcept override {
    live -= bytes;
    std::free(block);
  }
};

}  // namespace tovalux::testing
