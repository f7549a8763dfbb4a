#include "commands/command_search.h"

#include <algorithm>

#include "base/text.h"
#include "commands/menu_table.h"

namespace tovalux::commands {
namespace {

struct Ranked {
  size_t index;
  MatchTier tier;
  uint32_t score;
  size_t length;
};

bool before(const Ranked& a, const Ranked& b) {
  if (a.tier != b.tier) return a.tier > b.tier;
  if (a.score != b.score) return a.score > b.score;
  if (a.length != b.length) return a.length < b.length;
  return a.index < b.index;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<uint8_t> keyOf(std::string_view name) {
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 'a' + 'A');
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c);
    return std::nullopt;
  }
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= 24) return static_cast<uint8_t>(0x70 + n - 1);
  }
  return std::nullopt;
}

bool isFunctionKey(uint8_t key) { return key >= 0x70 && key <= 0x87; }

}  // namespace

std::vector<size_t> rankCommands(std::span<const PreparedText> names, std::span<const uint32_t> scores,
                                 const PreparedText& query, size_t limit) {
  std::vector<Ranked> found;
  const bool all = query.units.empty();
  for (size_t i = 0; i < names.size(); ++i) {
    const MatchTier tier = all ? MatchTier::kExact : matchTier(names[i], query);
    if (tier == MatchTier::kNone) continue;
    found.push_back({i, tier, i < scores.size() ? scores[i] : 0, names[i].units.size()});
  }
  const size_t keep = limit == 0 ? found.size() : std::min(limit, found.size());
  std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(keep), found.end(), before);
  std::vector<size_t> order;
  order.reserve(keep);
  for (size_t i = 0; i < keep; ++i) order.push_back(found[i].index);
  return order;
}

std::optional<HotKey> parseHotKey(std::string_view text) {
  HotKey key;
  bool haveKey = false;
  if (text.size() > 64) return std::nullopt;
  const std::string lowered = asciiLower(text);
  std::string_view rest = lowered;
  while (true) {
    const size_t plus = rest.find('+');
    const std::string_view part = trimmed(rest.substr(0, plus));
    if (haveKey) return std::nullopt;  // the key must come last
    if (part == "ctrl" || part == "control") {
      if (key.ctrl) return std::nullopt;
      key.ctrl = true;
    } else if (part == "shift") {
      if (key.shift) return std::nullopt;
      key.shift = true;
    } else if (part == "alt") {
      if (key.alt) return std::nullopt;
      key.alt = true;
    } else if (const std::optional<uint8_t> k = keyOf(part)) {
      key.key = *k;
      haveKey = true;
    } else {
      return std::nullopt;
    }
    if (plus == std::string_view::npos) break;
    rest = rest.substr(plus + 1);
  }
  if (!haveKey) return std::nullopt;
  if (!isFunctionKey(key.key) && !key.ctrl && !key.alt) return std::nullopt;
  return key;
}

std::string hotKeyText(const HotKey& key) {
  std::string text;
  if (key.ctrl) text += "Ctrl+";
  if (key.shift) text += "Shift+";
  if (key.alt) text += "Alt+";
  if (isFunctionKey(key.key)) {
    text.push_back('F');
    text += std::to_string(key.key - 0x70 + 1);
  } else {
    text.push_back(static_cast<char>(key.key));
  }
  return text;
}

HotKey focusKeyFromSetting(std::string_view value) {
  const HotKey fallback = *parseHotKey(kDefaultFocusKey);
  const std::optional<HotKey> key = parseHotKey(value);
  if (!key) return fallback;
  // The host keeps the shortcuts its menus show: the box must not take one of them.
  for (const BarMenu& menu : barMenus()) {
    for (const MenuEntry& entry : menu.items) {
      for (const MenuEntry& item : entry.submenu.empty() ? std::span<const MenuEntry>(&entry, 1) : entry.submenu) {
        const MenuItemText fields = splitMenuItem(item.item);
        if (fields.pieces == 3 && parseHotKey(fields.shortcut) == key) return fallback;
      }
      if (!entry.submenu.empty()) {
        const MenuItemText fields = splitMenuItem(entry.item);
        if (fields.pieces == 3 && parseHotKey(fields.shortcut) == key) return fallback;
      }
    }
  }
  return *key;
}

}  // namespace tovalux::commands
