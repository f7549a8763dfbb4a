#include "commands/command_usage.h"

#include <algorithm>

namespace tovalux::commands {
namespace {

constexpr uint32_t kScoreScale = 1024;

bool keyChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
}

// "12" -> 12; digits beyond the range hold at kMaxUsageCount; 0 for anything but digits.
uint32_t parseCount(std::string_view text) {
  if (text.empty()) return 0;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), kMaxUsageCount);
  }
  return static_cast<uint32_t>(value);
}

bool listed(const std::vector<UsageEntry>& entries, std::string_view key) {
  return std::any_of(entries.begin(), entries.end(), [&](const UsageEntry& e) { return e.key == key; });
}

}  // namespace

bool validUsageKey(std::string_view key) {
  return !key.empty() && key.size() <= kMaxUsageKeyLength && std::all_of(key.begin(), key.end(), keyChar);
}

std::vector<UsageEntry> parseUsage(std::string_view value) {
  std::vector<UsageEntry> entries;
  size_t start = 0;
  while (start <= value.size() && entries.size() < kMaxUsageEntries) {
    size_t end = value.find(';', start);
    if (end == std::string_view::npos) end = value.size();
    const std::string_view item = value.substr(start, end - start);
    start = end + 1;
    const size_t star = item.find('*');
    if (star == std::string_view::npos) continue;
    const std::string_view key = item.substr(0, star);
    const uint32_t count = parseCount(item.substr(star + 1));
    if (!validUsageKey(key) || count == 0 || listed(entries, key)) continue;
    entries.push_back({std::string(key), count});
  }
  return entries;
}

std::string formatUsage(std::span<const UsageEntry> entries) {
  std::string value;
  size_t written = 0;
  for (const UsageEntry& e : entries) {
    if (written == kMaxUsageEntries) break;
    if (!validUsageKey(e.key) || e.count == 0) continue;
    if (!value.empty()) value.push_back(';');
    value += e.key;
    value.push_back('*');
    value += std::to_string(std::min(e.count, kMaxUsageCount));
    ++written;
  }
  return value;
}

std::vector<UsageEntry> recordUse(std::span<const UsageEntry> entries, std::string_view key) {
  std::vector<UsageEntry> out(entries.begin(), entries.end());
  if (!validUsageKey(key)) return out;
  uint32_t count = 1;
  const auto it = std::find_if(out.begin(), out.end(), [&](const UsageEntry& e) { return e.key == key; });
  if (it != out.end()) {
    count = std::min(it->count, kMaxUsageCount - 1) + 1;
    out.erase(it);
  }
  out.insert(out.begin(), {std::string(key), count});
  if (out.size() > kMaxUsageEntries) out.resize(kMaxUsageEntries);
  return out;
}

uint32_t usageScore(std::span<const UsageEntry> entries, std::string_view key) {
  const size_t limit = std::min(entries.size(), kMaxUsageEntries);
  for (size_t rank = 0; rank < limit; ++rank) {
    if (entries[rank].key != key) continue;
    // Recency divides, frequency multiplies (held at 1000 uses): the latest command of a
    // session comes first, a command run every day stays near the top when others come between.
    const uint32_t uses = std::clamp<uint32_t>(entries[rank].count, 1, 1000);
    return uses * kScoreScale / static_cast<uint32_t>(rank + 2);
  }
  return 0;
}

}  // namespace tovalux::commands
