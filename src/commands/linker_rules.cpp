#include "commands/linker_rules.h"

#include "base/gbk.h"

namespace tovalux::commands {
namespace {

constexpr char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool isLead(char c) { return isGbkLeadByte(static_cast<unsigned char>(c)); }

// Both texts start on a character boundary here, so their characters stay in step: a lead byte
// is compared with its trail exactly, a single byte with its ASCII case folded.
bool matchesAt(std::string_view text, size_t at, std::string_view what) {
  if (text.size() - at < what.size()) return false;
  for (size_t j = 0; j < what.size(); ++j) {
    const char a = text[at + j];
    const char b = what[j];
    if (isLead(b) && j + 1 < what.size()) {
      if (a != b || text[at + j + 1] != what[j + 1]) return false;
      ++j;
    } else if (foldAscii(a) != foldAscii(b)) {
      return false;
    }
  }
  return true;
}

std::string withQuotes(std::string_view marker) {
  std::string out;
  size_t i = 0;
  while (i < marker.size()) {
    if (marker.substr(i, kQuoteWord.size()) == kQuoteWord) {
      out += '"';
      i += kQuoteWord.size();
    } else if (isLead(marker[i]) && i + 1 < marker.size()) {
      out.append(marker.substr(i, 2));
      i += 2;
    } else {
      out += marker[i++];
    }
  }
  return out;
}

}  // namespace

size_t findIgnoringCase(std::string_view text, std::string_view what, size_t from) {
  if (from > text.size()) return std::string_view::npos;
  for (size_t i = from; i <= text.size(); ++i) {
    if (matchesAt(text, i, what)) return i;
    if (i < text.size() && isLead(text[i]) && i + 1 < text.size()) ++i;
  }
  return std::string_view::npos;
}

bool endsWithBackslash(std::string_view path) {
  bool last = false;
  for (size_t i = 0; i < path.size(); ++i) {
    if (isLead(path[i]) && i + 1 < path.size()) {
      ++i;
      last = false;
    } else {
      last = path[i] == '\\';
    }
  }
  return last;
}

std::string textBetween(std::string_view text, std::string_view start, std::string_view end) {
  const std::string startMarker = withQuotes(start);
  const std::string endMarker = withQuotes(end);
  const size_t at = findIgnoringCase(text, startMarker);
  if (at == std::string_view::npos) return {};
  const size_t from = at + startMarker.size();
  const size_t to = findIgnoringCase(text, endMarker, from);
  if (to == std::string_view::npos) return {};
  return std::string(text.substr(from, to - from));
}

std::string linkIniPath(std::string_view host) { return std::string(host) + "\\tools\\link.ini"; }

std::string linkerFolder(std::string_view host) { return std::string(host) + "\\linker"; }

std::string linkerExePath(std::string_view host, std::string_view name) {
  return linkerFolder(host) + "\\" + std::string(name) + "\\bin\\link.exe";
}

std::string linkerNameFromSetting(std::string_view host, std::string_view value) {
  return textBetween(value, linkerFolder(host) + "\\", "\\bin\\");
}

bool isListedFolderName(std::string_view name) { return !name.empty() && name.front() != '.'; }

std::string linkerMissingText(std::string_view host, std::string_view name) {
  return "无法切换链接器:" + std::string(name) + "\r\n无法找到 link.exe：" + linkerExePath(host, name);
}

std::string linkerWriteFailedText(std::string_view iniPath, std::string_view name, unsigned long error) {
  return "无法切换链接器:" + std::string(name) + "\r\n无法写入 " + std::string(iniPath) + " (错误 " +
         std::to_string(error) + ")，仍使用原链接器";
}

}  // namespace tovalux::commands
