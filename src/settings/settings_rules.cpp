#include "settings/settings_rules.h"

#include "base/text.h"

namespace tovalux::setting_rules {

bool inRange(int32_t value, NumberRange range) { return value >= range.minimum && value <= range.maximum; }

int32_t numberInRange(std::string_view text, NumberRange range) {
  const int32_t value = cAtoi(text);
  return inRange(value, range) ? value : range.fallback;
}

bool isWebAddress(std::string_view text) {
  const auto startsWith = [&](std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
      char c = text[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != prefix[i]) return false;
    }
    return true;
  };
  size_t hostStart = 0;
  if (startsWith("https://"))
    hostStart = 8;
  else if (startsWith("http://"))
    hostStart = 7;
  else
    return false;
  if (text.size() == hostStart || text[hostStart] == '/') return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\' || c == '`')
      return false;
  }
  return true;
}

}  // namespace tovalux::setting_rules
