// The update answer comes from the network: any body must read to nothing or to an offer whose
// text shows as plain text within its bound and whose address opens only as a web page.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "update/update_rules.h"

using namespace tovalux;
using namespace tovalux::update;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_update: %s\n", what);
    std::abort();
  }
}

void checkUrl(std::string_view url) {
  if (!isOpenableUrl(url)) return;
  const std::string lower = asciiLower(url);
  require(lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0, "an address of another scheme opens");
  require(url.size() <= kMaxUrlLength, "an overlong address opens");
  for (char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    require(byte > 0x20 && byte < 0x7F && c != '"' && c != '\\', "an address with a blank, quote or control opens");
  }
}

void checkTip(std::string_view description) {
  const std::string shown = tipText(description);
  require(shown.size() <= kMaxTipTextBytes, "the tip text is longer than its bound");
  for (char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    require(byte >= 0x20 || c == '\r' || c == '\n', "the tip shows a control character");
    require(byte != 0x7F, "the tip shows DEL");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  if (const auto offer = readUpdateAnswer(body, "1.0.3")) {
    require(size <= kMaxAnswerBytes, "an oversized answer asked for a tip");
    checkUrl(offer->url);
    checkTip(offer->description);
  }
  // The raw bytes as an address and as a description too.
  checkUrl(body);
  checkTip(body);
  return 0;
}
