// What the command box reads from outside: the usage record and the focus key as a user may
// edit them in Tovalux.ini, and names and queries in any bytes (recent-file names come from the
// registry). The record always reads back as it was written, within its bounds; a key that
// parses prints back to itself; a name always matches its own text exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "commands/command_match.h"
#include "commands/command_search.h"
#include "commands/command_usage.h"

using namespace tovalux::commands;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_command_box: %s\n", what);
    std::abort();
  }
}

void checkUsage(std::string_view value) {
  const std::vector<UsageEntry> entries = parseUsage(value);
  require(entries.size() <= kMaxUsageEntries, "more entries than the record keeps");
  std::set<std::string> keys;
  for (const UsageEntry& e : entries) {
    require(validUsageKey(e.key), "an entry with an invalid key");
    require(e.count >= 1 && e.count <= kMaxUsageCount, "a count outside its range");
    require(keys.insert(e.key).second, "a key twice");
  }
  require(parseUsage(formatUsage(entries)) == entries, "the record does not read back as written");
  const std::vector<UsageEntry> after = recordUse(entries, "m701");
  require(after.size() <= kMaxUsageEntries && !after.empty() && after.front().key == "m701",
          "a use not recorded first");
}

void checkHotKey(std::string_view text) {
  if (const auto key = parseHotKey(text)) require(parseHotKey(hotKeyText(*key)) == key, "a key that prints otherwise");
  const HotKey chosen = focusKeyFromSetting(text);
  require(chosen.key != 0 && (chosen.ctrl || chosen.alt || chosen.key >= 0x70), "a focus key that is no key");
}

void checkMatch(std::string_view text) {
  const PreparedText name = prepareName(text);
  require(name.units.size() <= kMaxNameUnits, "a name longer than its cut");
  const PreparedText query = prepareQuery(text);
  require(query.units.size() <= kMaxQueryUnits, "a query longer than its cut");
  (void)matchTier(name, query);
  // The name's own text, typed whole, is an exact match (a prefix when the query had to be cut).
  const PreparedText own = prepareQuery(normalizedName(text));
  if (!own.units.empty()) {
    const MatchTier tier = matchTier(name, own);
    require(name.units.size() <= kMaxQueryUnits ? tier == MatchTier::kExact : tier >= MatchTier::kPrefix,
            "a name that does not match its own text");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkUsage(text);
  checkHotKey(text.substr(0, 80));
  checkMatch(text.substr(0, 4096));
  return 0;
}
