// Host answers the commands read without trusting the host: the help-tip text (a record the
// host fills in two calls) and recent-file values from the registry (raw bytes of any type).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovalux::commands {

// The record of the help-tip text query as the commands see it; the Win32 side packs it into
// the host's four int32 values {first, second, text address, text length}.
struct HelpTipQuery {
  int32_t first = -1;
  int32_t second = -1;
  char* text = nullptr;
  int32_t length = 0;
};

// The help-tip text: call 1 with no buffer asks the length; when it is above 0, call 2 gets
// length + 1 zeroed bytes (the length capped at `capBytes`, and the capped length is what the
// record tells the host), so a host that ends the text with a NUL stays inside. The buffer is
// ours and freed here; the text ends at the first NUL or at the length.
inline constexpr size_t kHelpTipTextCap = 64 * 1024;
std::string readHelpTipText(const std::function<void(HelpTipQuery&)>& query, size_t capBytes = kHelpTipTextCap);

// A registry value as read: its type and the bytes the registry gave (no terminator assumed).
inline constexpr uint32_t kRegString = 1;        // REG_SZ
inline constexpr uint32_t kRegExpandString = 2;  // REG_EXPAND_SZ
inline constexpr size_t kRecentPathCap = 32 * 1024;

// The path a recent-file value holds: the bytes up to the first NUL (or all of them when the
// value was stored without one), at most `capBytes`; nothing for a value that is not a string.
std::optional<std::string> recentPathFromValue(uint32_t type, std::string_view bytes, size_t capBytes = kRecentPathCap);

}  // namespace tovalux::commands
