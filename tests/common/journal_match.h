// Predicates over stand-in journal entries, for waitForJournal and count of the in-process
// fixture and the end-to-end runner.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "journal.h"

namespace tovalux::testing {

using JournalPredicate = std::function<bool(const standin::JournalEntry&)>;

// The field has this text.
inline JournalPredicate fieldIs(const std::string& name, const std::string& value) {
  return [name, value](const standin::JournalEntry& entry) { return entry.get(name) == value; };
}
inline JournalPredicate fieldIs(const std::string& name, const char* value) {
  return fieldIs(name, std::string(value));
}

// The field is this number (decimal or 0x-hex in the journal).
inline JournalPredicate fieldIs(const std::string& name, int64_t value) {
  return [name, value](const standin::JournalEntry& entry) {
    return entry.get(name).has_value() && entry.number(name, value - 1) == value;
  };
}
inline JournalPredicate fieldIs(const std::string& name, int value) {
  return fieldIs(name, static_cast<int64_t>(value));
}

// Both predicates hold.
inline JournalPredicate both(JournalPredicate first, JournalPredicate second) {
  return [first, second](const standin::JournalEntry& entry) { return first(entry) && second(entry); };
}

}  // namespace tovalux::testing
