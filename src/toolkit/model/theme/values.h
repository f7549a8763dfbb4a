// Text conversions, coordinate and rectangle helpers, and the value syntax shared by the theme
// files (see FORMATS.md): integers, bools, four-side lists, colours, fonts, file paths.
// Pure functions (readFile excepted), safe on any thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/text.h"
#include "toolkit/types.h"

namespace tovalux::tk {

using ::tovalux::utf16ToUtf8;
using ::tovalux::utf8ToUtf16;

// XChar texts of the public surface <-> the model's char16_t texts (both UTF-16).
inline std::u16string fromX(const XChar* text) {
  if (text == nullptr) return {};
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}
inline XString toX(std::u16string_view text) { return XString(text.begin(), text.end()); }

using ::tovalux::trim;
bool equalsNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::u16string_view a, std::u16string_view b);

std::optional<int32_t> parseInt(std::string_view text);

// Coordinates and sizes are kept within +-2^20 pixels so that no sum of them can overflow.
constexpr int32_t kMaxCoord = 1 << 20;
constexpr int32_t clampCoord(int64_t v) { return v < -kMaxCoord ? -kMaxCoord : v > kMaxCoord ? kMaxCoord : int32_t(v); }
constexpr int32_t clampSize(int64_t v) { return v < 0 ? 0 : v > kMaxCoord ? kMaxCoord : int32_t(v); }
// Rectangles hold their left and top edges, not their right and bottom ones.
constexpr bool contains(const XRect& r, XPoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
constexpr bool encloses(const XRect& outer, const XRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
constexpr XRect intersect(const XRect& a, const XRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
std::optional<bool> parseBool(std::string_view text);
// "l,t,r,b" or a single value for all four.
std::optional<XRect> parseSides(std::string_view text);

struct ColorValue {
  XColor color = 0;
  uint8_t alpha = 255;
  std::string reference;  // "@NAME": resolved later against the resource package
};
// "#RRGGBB", "#RRGGBBAA", "rgb(r,g,b)", "rgba(r,g,b,a)"; "@NAME" when references are allowed.
std::optional<ColorValue> parseColor(std::string_view text, bool allowReference);

struct FontValue {
  std::u16string face;
  int size = 9;
  int style = 0;
};
// "face,size[,style]" with style a number or bold|italic|underline|strikeout.
std::optional<FontValue> parseFont(std::string_view text);

// A file path from a theme text or a public-surface text: '\' and '/' both separate folders.
std::filesystem::path toPath(std::u16string_view text);
std::filesystem::path toPath(std::string_view utf8);

// Reads a whole file, at most `limit` bytes; nullopt when missing, unreadable or larger.
std::optional<std::string> readFile(const std::filesystem::path& path, size_t limit);

}  // namespace tovalux::tk
