// Which commands the user ran from the command box, most recent first, with how often: kept in
// Tovalux.ini as one value, section "CommandBox", key "Usage":
//
//   Usage=m701*3;t0.21*12;x*1
//
// Each entry is a command's usage key (letters, digits, '.', '-' and '_', at most 24), '*', and
// its count (1 to 999999). At most 50 entries; the first is the most recent. Reading is
// forgiving: an entry that does not have this form is dropped, a count beyond the range is
// held at its end, a key seen twice keeps its first (more recent) place, and the value's length
// is not trusted (it is walked once). Portable; no state of its own.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovalux::commands {

inline constexpr char kCommandBoxSection[] = "CommandBox";
inline constexpr char kUsageKey[] = "Usage";
inline constexpr size_t kMaxUsageEntries = 50;
inline constexpr size_t kMaxUsageKeyLength = 24;
inline constexpr uint32_t kMaxUsageCount = 999999;

struct UsageEntry {
  std::string key;
  uint32_t count = 0;
  bool operator==(const UsageEntry&) const = default;
};

// The entries of an INI value, most recent first (at most kMaxUsageEntries).
std::vector<UsageEntry> parseUsage(std::string_view value);
// The value that parseUsage reads back as `entries` (entries with invalid keys left out).
std::string formatUsage(std::span<const UsageEntry> entries);
// The record after the command `key` ran once more: first place, count + 1, the oldest entry
// dropped beyond kMaxUsageEntries. An invalid key leaves the record as it is.
std::vector<UsageEntry> recordUse(std::span<const UsageEntry> entries, std::string_view key);

// Whether a key may stand in the record.
bool validUsageKey(std::string_view key);

// How strongly the record recommends `key`: 0 when it is not in the record, else higher the
// more recently (rank 0 is the latest) and the more often it ran.
uint32_t usageScore(std::span<const UsageEntry> entries, std::string_view key);

}  // namespace tovalux::commands
