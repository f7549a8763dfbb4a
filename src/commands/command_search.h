// The command box's rules apart from any window: the order it lists commands in for a query,
// and the key that focuses it (kept in Tovalux.ini, section "CommandBox", key "FocusKey").
// Portable; no state.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_match.h"

namespace tovalux::commands {

// --- ranking ---------------------------------------------------------------------------------

// The indexes of the names `query` matches, best first: by match tier, then by usage score
// (usageScore of each name's command), then the shorter name, then table order. An empty query
// lists every name, by usage score and then table order. At most `limit` (0: all of them).
std::vector<size_t> rankCommands(std::span<const PreparedText> names, std::span<const uint32_t> scores,
                                 const PreparedText& query, size_t limit = 0);

// --- the focus key ---------------------------------------------------------------------------

inline constexpr char kFocusKeyKey[] = "FocusKey";
inline constexpr char kDefaultFocusKey[] = "Ctrl+Shift+P";

struct HotKey {
  uint8_t key = 0;  // virtual-key number: 'A'..'Z', '0'..'9', 0x70.. for F1..F24
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  bool operator==(const HotKey&) const = default;
};

// "Ctrl+Shift+P", "alt + q", "F12": modifiers Ctrl (or Control), Shift and Alt in any order and
// case, then one key. A letter or digit needs Ctrl or Alt (else typing it anywhere would jump
// to the box); nullopt for anything else.
std::optional<HotKey> parseHotKey(std::string_view text);
std::string hotKeyText(const HotKey& key);

// The key an INI value names, unless it is one of the host's own shortcuts (a shortcut the menu
// table shows: Ctrl+O, F5, Ctrl+Shift+F...) or does not parse: then the default.
HotKey focusKeyFromSetting(std::string_view value);

}  // namespace tovalux::commands
