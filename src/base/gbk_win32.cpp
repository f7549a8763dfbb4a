// Windows GBK conversion: the system's own code page 936 tables.
#include <windows.h>

#include <algorithm>

#include "base/gbk.h"

namespace tovalux::gbk_detail {
namespace {

constexpr UINT kGbkCodePage = 936;

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A run the pairing rule left whole: every lead byte in it has its trail byte.
template <class Text>
void appendConverted(std::string_view gbk, Text& out) {
  if (gbk.empty()) return;
  const int size = static_cast<int>(gbk.size());
  const int needed = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, nullptr, 0);
  if (needed <= 0) return;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(needed));
  const int written =
      MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, reinterpret_cast<wchar_t*>(out.data() + at), needed);
  out.resize(at + static_cast<size_t>(written > 0 ? written : 0));
}

template <class Text>
void appendUtf16Of(std::string_view gbk, Text& out) {
  // Most texts of the panes (names, numbers, addresses) are plain ASCII: they widen as they are.
  if (isAscii(gbk)) {
    out.append(gbk.begin(), gbk.end());
    return;
  }
  // The system's pairing rule (isGbkPair), not the platform's: a lead byte that is not followed by
  // a trail byte becomes '?' on its own, and the text around it is converted as it stands.
  size_t start = 0;
  for (size_t i = 0; i < gbk.size();) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (!isGbkLeadByte(byte)) {
      ++i;
      continue;
    }
    if (i + 1 < gbk.size() && isGbkTrailByte(static_cast<unsigned char>(gbk[i + 1]))) {
      i += 2;
      continue;
    }
    appendConverted(gbk.substr(start, i - start), out);
    out.push_back(u'?');
    start = ++i;
  }
  appendConverted(gbk.substr(start), out);
}

std::string toGbkOf(const wchar_t* wide, size_t units) {
  if (units == 0) return {};
  const int size = static_cast<int>(units);
  // No best fit: a character GBK lacks becomes '?', never a look-alike that changes the text.
  const int needed = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, size, out.data(), needed, nullptr, nullptr);
  return out;
}

}  // namespace

void appendUtf16(std::string_view gbk, std::u16string& out) { appendUtf16Of(gbk, out); }
void appendUtf16(std::string_view gbk, std::wstring& out) { appendUtf16Of(gbk, out); }

std::string toGbk(std::u16string_view utf16) {
  return toGbkOf(reinterpret_cast<const wchar_t*>(utf16.data()), utf16.size());
}
std::string toGbk(std::wstring_view utf16) { return toGbkOf(utf16.data(), utf16.size()); }

}  // namespace tovalux::gbk_detail
