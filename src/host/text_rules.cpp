#include "host/text_rules.h"

#include "base/gbk_scan.h"
#include "base/text.h"

namespace tovalux {

std::string elideWindowText(std::string_view text, size_t reportedLength) {
  if (reportedLength <= kWindowTextLimit) return std::string(text.substr(0, gbkSafeCut(text, reportedLength)));
  std::string out(text.substr(0, gbkSafeCut(text, kWindowTextLimit)));
  out += "...后面略掉";
  out += decimal(static_cast<int64_t>(reportedLength - kWindowTextLimit));
  out += "个字符...";
  return out;
}

std::string oneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace tovalux
