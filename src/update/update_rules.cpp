#include "update/update_rules.h"

#include "base/gbk_scan.h"
#include "base/text.h"
#include "json/json_document.h"

namespace tovalux::update {

std::string updateAddress() { return std::string("http://") + kUpdateHost + kUpdatePath; }

std::optional<UpdateOffer> readUpdateAnswer(std::string_view body, std::string_view ownVersion) {
  if (body.empty() || body.size() > kMaxAnswerBytes) return std::nullopt;
  JsonDocument document;
  if (!document.parse(body, kJsonDecodeUnicodeEscapes)) return std::nullopt;
  const std::string versionCode = document.getText("versionCode");
  if (versionCode.empty() || versionCode == ownVersion) return std::nullopt;
  return UpdateOffer{document.getText("des"), document.getText("url")};
}

std::string tipText(std::string_view description) {
  std::string text;
  text.reserve(description.size() < kMaxTipTextBytes ? description.size() : kMaxTipTextBytes);
  for (size_t i = 0; i < description.size(); i += gbkCharLength(description, i)) {
    const auto byte = static_cast<unsigned char>(description[i]);
    if (gbkCharLength(description, i) == 2) {
      text.append(description.substr(i, 2));
    } else if (byte == '\r' || byte == '\n') {
      text += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      text += ' ';
    } else {
      text += static_cast<char>(byte);
    }
  }
  if (text.size() > kMaxTipTextBytes) {
    text.resize(gbkSafeCut(text, kMaxTipTextBytes - 3));
    text += "…";
  }
  return text;
}

namespace {

bool isHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == ':' || c == '[' || c == ']';
}

}  // namespace

bool isOpenableUrl(std::string_view url) {
  if (url.size() > kMaxUrlLength) return false;
  for (char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    // Controls, blanks and anything beyond ASCII (a GBK trail byte can be '\\'); quotes and
    // backslashes have no place in a web address and change how a command line splits.
    if (byte <= 0x20 || byte >= 0x7F || c == '\\' || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`')
      return false;
  }
  const std::string lower = asciiLower(url);
  size_t rest = 0;
  if (lower.starts_with("http://"))
    rest = 7;
  else if (lower.starts_with("https://"))
    rest = 8;
  else
    return false;
  size_t end = url.find_first_of("/?#", rest);
  if (end == std::string_view::npos) end = url.size();
  if (end == rest) return false;  // no host: "http:///c:/..."
  for (size_t i = rest; i < end; ++i)
    if (!isHostCharacter(url[i])) return false;  // user names ("@") and the like
  return true;
}

}  // namespace tovalux::update
