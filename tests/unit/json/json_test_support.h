// Helpers of the JSON tests: fixtures read as GBK, and an allocator that counts and can refuse.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>

#include "base/gbk.h"
#include "base/text.h"
#include "json/json_document.h"

namespace tovalux::testing {

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
