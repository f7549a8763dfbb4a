// The stand-in IDE's journal: every notification it sends and its answer, every call the
// plug-in makes into the host, every IDE function, WM_COMMAND and private message, in order.
// Tests read it in-process (entries()) or from the file named by TOVALUX_JOURNAL / --journal,
// one flat JSON object per line.
#pragma once

#include <cstdint>
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

class Journal {
 public:
  void openFile(const std::string& path);
  void record(JournalEntry entry);
  std::vector<JournalEntry> entries() const;
  std::vector<JournalEntry> entriesOfKind(const std::string& kind) const;
  void clear();

 private:
  mutable std::mutex mutex_;  // the debugger thread records too; never held while calling out
  std::vector<JournalEntry> entries_;
  std::string filePath_;
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
