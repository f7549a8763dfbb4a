#include "commands/linker_rules.h"

#include "base/gbk_scan.h"

namespace tovalux::commands {
namespace {

std::string withQuotes(std::string_view marker) {
  std::string out;
  size_t i = 0;
  while (i < marker.size()) {
    if (marker.substr(i, kQuoteWord.size()) == kQuoteWord) {
      out += '"';
      i += kQuoteWord.size();
    } else {
      const size_t length = gbkCharLength(marker, i);
      out.append(marker.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace

std::string textBetween(std::string_view text, std::string_view start, std::string_view end) {
  const std::string startMarker = withQuotes(start);
  const std::string endMarker = withQuotes(end);
  const size_t at = gbkFindTextIgnoringCase(text, startMarker);
  if (at == std::string_view::npos) return {};
  const size_t from = at + startMarker.size();
  const size_t to = gbkFindTextIgnoringCase(text, endMarker, from);
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
