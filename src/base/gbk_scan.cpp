#include "base/gbk_scan.h"

namespace tovalux {

size_t gbkFind(std::string_view text, char c, size_t from) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t length = gbkCharLength(text, i);
    if (length == 1 && i >= from && text[i] == c) return i;
    i += length;
  }
  return std::string_view::npos;
}

size_t gbkFindLast(std::string_view text, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); i += gbkCharLength(text, i))
    if (gbkCharLength(text, i) == 1 && text[i] == c) found = i;
  return found;
}

size_t gbkFindText(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= text.size(); i += gbkCharLength(text, i))
    if (i >= from && text.compare(i, needle.size(), needle) == 0) return i;
  return std::string_view::npos;
}

namespace {

constexpr char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// Both texts start on a character boundary here, so their characters stay in step.
bool matchesIgnoringCaseAt(std::string_view text, size_t at, std::string_view needle) {
  if (text.size() - at < needle.size()) return false;
  for (size_t j = 0; j < needle.size(); j += gbkCharLength(needle, j)) {
    if (gbkCharLength(needle, j) == 2) {
      if (text.compare(at + j, 2, needle.substr(j, 2)) != 0) return false;
    } else if (foldAscii(text[at + j]) != foldAscii(needle[j])) {
      return false;
    }
  }
  return true;
}

}  // namespace

size_t gbkFindTextIgnoringCase(std::string_view text, std::string_view needle, size_t from) {
  if (from > text.size()) return std::string_view::npos;
  for (size_t i = from; i <= text.size(); i += i < text.size() ? gbkCharLength(text, i) : 1)
    if (matchesIgnoringCaseAt(text, i, needle)) return i;
  return std::string_view::npos;
}

bool gbkEndsWith(std::string_view text, char c) { return !text.empty() && gbkFindLast(text, c) == text.size() - 1; }

std::vector<std::string_view> gbkSplit(std::string_view text, char c) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); i += gbkCharLength(text, i)) {
    if (gbkCharLength(text, i) == 1 && text[i] == c) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string_view gbkFileName(std::string_view path) {
  const size_t slash = gbkFindLast(path, '\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace tovalux
