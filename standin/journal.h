// The stand-in IDE's journal: every notification it sends and its answer, every call the
// plug-in makes into the host, every IDE function, WM_COMMAND and private message, in order.
// Tests read it in-process (entries()) or from the file named by TOVALUX_JOURNAL / --journal,
// one flat JSON object per line.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

struct JournalEntry {
  std::string kind;
  std::vector<std::pair<std::string, std::string>> fields;  // values as text

  std::optional<std::string> get(const std::string& name) const;
  // The field as a number (decimal or 0x-hex); `fallback` when absent or not a number.
  int64_t number(const std::string& name, int64_t fallback = -1) const;
  std::string toJsonLine() const;
};

// Parses one line written by toJsonLine (flat object, string and integer values).
std::optional<JournalEntry> parseJournalLine(const std::string& line);

// The entry has `kind` and every field of `fields` with exactly that text.
bool entryMatches(const JournalEntry& entry, const std::string& kind,
                  const std::vector<std::pair<std::string, std::string>>& fields);

// Safe from any thread (the debugger thread and library workers record too).
class Journal {
 public:
  Journal();
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  void openFile(const std::string& path);
  const std::string& filePath() const { return filePath_; }
  void record(JournalEntry entry);
  std::vector<JournalEntry> entries() const;
  std::vector<JournalEntry> entriesOfKind(const std::string& kind) const;
  // Entries from position `first` on (positions count from the last clear).
  std::vector<JournalEntry> entriesFrom(size_t first) const;
  // Positions recorded since the last clear, including those no longer kept in memory.
  size_t size() const;
  // Keeps only the newest `count` entries in memory (the file still gets every one), so that a
  // long run's own bookkeeping does not grow the process it measures. 0 keeps all.
  void keepAtMost(size_t count);
  void clear();
  // An auto-reset event set by every record: a waiter sleeps on it together with its messages.
  void* changeEvent() const { return changed_; }

 private:
  mutable std::mutex mutex_;  // never held while calling out
  std::deque<JournalEntry> entries_;
  size_t dropped_ = 0;  // positions before entries_.front()
  size_t keep_ = 0;
  std::string filePath_;
  void* file_ = nullptr;  // HANDLEs; the header stays free of <windows.h>
  void* changed_ = nullptr;
};

// Builds an entry field by field: entry("notify").add("code", 1).add("answer", 1).
class EntryBuilder {
 public:
  explicit EntryBuilder(std::string kind) { entry_.kind = std::move(kind); }
  EntryBuilder& add(const std::string& name, const std::string& value);
  EntryBuilder& add(const std::string& name, const char* value) { return add(name, std::string(value)); }
  EntryBuilder& add(const std::string& name, int64_t value);
  EntryBuilder& addHex(const std::string& name, uint32_t value);
  JournalEntry build() { return std::move(entry_); }
  operator JournalEntry() { return build(); }

 private:
  JournalEntry entry_;
};

}  // namespace standin
