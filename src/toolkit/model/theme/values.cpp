// The value syntax of the theme files (FORMATS.md). Every parser takes the whole text or nothing:
// a value with anything left over is rejected, and the caller keeps what it had, so a typo in a
// theme file never half-applies. Pure functions except readFile, which reads one file.
#include "toolkit/model/theme/values.h"

#include <charconv>
#include <fstream>
#include <vector>

namespace tovalux::tk {

namespace {
// ASCII only: theme names are ASCII, and folding other letters would make GBK or UTF-16 text
// compare equal to text it is not.
template <class C>
C lowerAscii(C c) {
  return c >= 'A' && c <= 'Z' ? static_cast<C>(c + 32) : c;
}
template <class S>
bool equalsNoCaseT(S a, S b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}
}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) { return equalsNoCaseT(a, b); }
bool equalsNoCase(std::u16string_view a, std::u16string_view b) { return equalsNoCaseT(a, b); }

// Decimal, an optional sign, no trailing text; out of int32 range fails rather than wrapping.
std::optional<int32_t> parseInt(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<bool> parseBool(std::string_view text) {
  text = trim(text);
  if (equalsNoCase(text, "true") || text == "1" || equalsNoCase(text, "yes")) return true;
  if (equalsNoCase(text, "false") || text == "0" || equalsNoCase(text, "no")) return false;
  return std::nullopt;
}

namespace {
std::vector<std::string_view> splitList(std::string_view text, char sep) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == sep) {
      out.push_back(trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return out;
}
}  // namespace

// Each side is clamped into the coordinate range, so no later sum of sides can overflow.
std::optional<XRect> parseSides(std::string_view text) {
  auto parts = splitList(text, ',');
  if (parts.size() == 1) {
    auto v = parseInt(parts[0]);
    if (!v) return std::nullopt;
    int32_t c = clampCoord(*v);
    return XRect{c, c, c, c};
  }
  if (parts.size() != 4) return std::nullopt;
  int32_t v[4];
  for (int i = 0; i < 4; ++i) {
    auto p = parseInt(parts[i]);
    if (!p) return std::nullopt;
    v[i] = *p;
  }
  return XRect{clampCoord(v[0]), clampCoord(v[1]), clampCoord(v[2]), clampCoord(v[3])};
}

namespace {
int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::optional<ColorValue> parseColor(std::string_view text, bool allowReference) {
  text = trim(text);
  ColorValue out;
  if (!text.empty() && text.front() == '@') {
    if (!allowReference || text.size() == 1) return std::nullopt;
    out.reference = std::string(text.substr(1));
    return out;
  }
  // #RRGGBB[AA]: bytes in reading order, unlike COLORREF's 0x00BBGGRR.
  if (!text.empty() && text.front() == '#') {
    std::string_view hex = text.substr(1);
    if (hex.size() != 6 && hex.size() != 8) return std::nullopt;
    unsigned bytes[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < hex.size(); i += 2) {
      int hi = hexDigit(hex[i]), lo = hexDigit(hex[i + 1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      bytes[i / 2] = static_cast<unsigned>(hi * 16 + lo);
    }
    out.color = XRGB(bytes[0], bytes[1], bytes[2]);
    out.alpha = static_cast<uint8_t>(bytes[3]);
    return out;
  }
  bool rgba = text.starts_with("rgba(") || text.starts_with("RGBA(");
  bool rgb = text.starts_with("rgb(") || text.starts_with("RGB(");
  if ((rgb || rgba) && text.back() == ')') {
    auto inner = text.substr(rgba ? 5 : 4);
    inner.remove_suffix(1);
    auto parts = splitList(inner, ',');
    if (parts.size() != (rgba ? 4u : 3u)) return std::nullopt;
    int v[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < parts.size(); ++i) {
      auto p = parseInt(parts[i]);
      if (!p || *p < 0 || *p > 255) return std::nullopt;
      v[i] = *p;
    }
    out.color = XRGB(v[0], v[1], v[2]);
    out.alpha = static_cast<uint8_t>(v[3]);
    return out;
  }
  return std::nullopt;
}

std::optional<FontValue> parseFont(std::string_view text) {
  auto parts = splitList(text, ',');
  if (parts.size() < 2 || parts.size() > 3 || parts[0].empty()) return std::nullopt;
  FontValue out;
  out.face = utf8ToUtf16(parts[0]);
  auto size = parseInt(parts[1]);
  if (!size || *size <= 0 || *size > 500) return std::nullopt;
  out.size = *size;
  if (parts.size() == 3) {
    if (auto n = parseInt(parts[2])) {
      out.style = *n & 15;  // the four font_style_ bits; others mean nothing to a font
    } else {
      for (auto word : splitList(parts[2], '|')) {
        if (equalsNoCase(word, "bold"))
          out.style |= font_style_bold;
        else if (equalsNoCase(word, "italic"))
          out.style |= font_style_italic;
        else if (equalsNoCase(word, "underline"))
          out.style |= font_style_underline;
        else if (equalsNoCase(word, "strikeout"))
          out.style |= font_style_strikeout;
        else if (!equalsNoCase(word, "regular"))
          return std::nullopt;
      }
    }
  }
  return out;
}

// Theme files and callers write either separator; the path is built in the platform's own
// encoding (UTF-16 on Windows, UTF-8 here) so no code page is involved.
std::filesystem::path toPath(std::u16string_view text) {
#ifdef _WIN32
  std::wstring wide(text.begin(), text.end());
  for (auto& c : wide)
    if (c == L'/') c = L'\\';
  return std::filesystem::path(wide);
#else
  std::string utf8 = utf16ToUtf8(text);
  for (auto& c : utf8)
    if (c == '\\') c = '/';
  return std::filesystem::path(utf8);
#endif
}

std::filesystem::path toPath(std::string_view utf8) { return toPath(utf8ToUtf16(utf8)); }

// The size is checked before reading, so a huge file (or a device) is refused without being
// read; a file that changes size meanwhile fails rather than being cut.
std::optional<std::string> readFile(const std::filesystem::path& path, size_t limit) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > limit) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string data(static_cast<size_t>(size), '\0');
  in.read(data.data(), static_cast<std::streamsize>(size));
  if (static_cast<size_t>(in.gcount()) != size) return std::nullopt;
  return data;
}

}  // namespace tovalux::tk
