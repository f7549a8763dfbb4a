#include "commands/host_queries.h"

#include <cstring>
#include <vector>

#include "base/gbk_scan.h"

namespace tovalux::commands {

std::string readHelpTipText(const std::function<void(HelpTipQuery&)>& query, size_t capBytes) {
  HelpTipQuery record;
  query(record);
  if (record.length <= 0 || capBytes == 0) return {};
  const size_t length = static_cast<uint64_t>(record.length) < capBytes ? static_cast<size_t>(record.length) : capBytes;
  std::vector<char> buffer(length + 1, '\0');
  HelpTipQuery fill;
  fill.text = buffer.data();
  fill.length = static_cast<int32_t>(length);
  query(fill);
  buffer[length] = '\0';
  const std::string_view text(buffer.data(), strnlen(buffer.data(), length));
  return std::string(text.substr(0, gbkSafeCut(text, text.size())));
}

std::optional<std::string> recentPathFromValue(uint32_t type, std::string_view bytes, size_t capBytes) {
  if (type != kRegString && type != kRegExpandString) return std::nullopt;
  const size_t nul = bytes.find('\0');
  std::string_view text = bytes.substr(0, nul);
  text = text.substr(0, gbkSafeCut(text, capBytes));
  return std::string(text);
}

}  // namespace tovalux::commands
