// Windows GBK conversion: the system's own code page 936 tables.
#include <windows.h>

#include "base/gbk.h"

namespace tovalux {

constexpr UINT kGbkCodePage = 936;

std::u16string gbkToUtf16(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int size = static_cast<int>(gbk.size());
  const int needed = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::u16string out(static_cast<size_t>(needed), u'\0');
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, reinterpret_cast<wchar_t*>(out.data()), needed);
  return out;
}

std::string utf16ToGbk(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const auto* wide = reinterpret_cast<const wchar_t*>(utf16.data());
  // No best fit: a character GBK lacks becomes '?', never a look-alike that changes the text.
  const int needed = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, size, out.data(), needed, nullptr, nullptr);
  return out;
}

}  // namespace tovalux
