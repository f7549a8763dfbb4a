// Cutting GBK and UTF-16 texts on a character boundary (the conversions are the platform's:
// gbk_native.cpp, gbk_win32.cpp).
#include "base/gbk.h"

namespace tovalux {
namespace {

constexpr bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

template <class Unit>
size_t safeUtf16Cut(std::basic_string_view<Unit> text, size_t maxUnits) {
  if (maxUnits >= text.size()) return text.size();
  // Only a cut right after the first half of a pair splits it.
  if (maxUnits > 0 && isHighSurrogate(text[maxUnits - 1]) && isLowSurrogate(text[maxUnits])) return maxUnits - 1;
  return maxUnits;
}

}  // namespace

size_t gbkSafeCut(std::string_view text, size_t maxBytes) {
  if (maxBytes >= text.size()) return text.size();
  size_t at = 0;
  while (at < maxBytes) {
    const bool pair = at + 1 < text.size() &&
                      isGbkPair(static_cast<unsigned char>(text[at]), static_cast<unsigned char>(text[at + 1]));
    const size_t length = pair ? 2 : 1;
    if (at + length > maxBytes) break;
    at += length;
  }
  return at;
}

size_t utf16SafeCut(std::u16string_view text, size_t maxUnits) { return safeUtf16Cut(text, maxUnits); }
#ifdef _WIN32
size_t utf16SafeCut(std::wstring_view text, size_t maxUnits) { return safeUtf16Cut(text, maxUnits); }
#endif

}  // namespace tovalux
