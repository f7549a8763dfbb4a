#include "journal.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace standin {

std::optional<std::string> JournalEntry::get(const std::string& name) const {
  for (const auto& [key, value] : fields)
    if (key == name) return value;
  return std::nullopt;
}

int64_t JournalEntry::number(const std::string& name, int64_t fallback) const {
  const std::optional<std::string> text = get(name);
  if (!text || text->empty()) return fallback;
  char* end = nullptr;
  const long long value = std::strtoll(text->c_str(), &end, 0);
  return end && *end == '\0' ? value : fallback;
}

namespace {

void appendEscaped(std::string& out, const std::string& text) {
  out += '"';
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;  // GBK bytes pass through: the journal is GBK text
    }
  }
  out += '"';
}

bool parseString(const std::string& line, size_t& i, std::string& out) {
  if (i >= line.size() || line[i] != '"') return false;
  for (++i; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      ++i;
      return true;
    }
    if (c == '\\') {
      if (++i >= line.size()) return false;
      c = line[i];
      if (c == 'u') {
        if (i + 4 >= line.size()) return false;
        out += static_cast<char>(std::strtol(line.substr(i + 1, 4).c_str(), nullptr, 16));
        i += 4;
        continue;
      }
    }
    out += c;
  }
  return false;
}

}  // namespace

std::string JournalEntry::toJsonLine() const {
  std::string out = "{\"kind\":";
  appendEscaped(out, kind);
  for (const auto& [key, value] : fields) {
    out += ',';
    appendEscaped(out, key);
    out += ':';
    appendEscaped(out, value);
  }
  out += '}';
  return out;
}

std::optional<JournalEntry> parseJournalLine(const std::string& line) {
  JournalEntry entry;
  size_t i = 0;
  if (line.empty() || line[i++] != '{') return std::nullopt;
  while (i < line.size() && line[i] != '}') {
    std::string key, value;
    if (!parseString(line, i, key) || i >= line.size() || line[i++] != ':') return std::nullopt;
    if (!parseString(line, i, value)) return std::nullopt;
    if (key == "kind" && entry.kind.empty())  // the first "kind" names the entry
      entry.kind = value;
    else
      entry.fields.emplace_back(std::move(key), std::move(value));
    if (i < line.size() && line[i] == ',') ++i;
  }
  if (entry.kind.empty()) return std::nullopt;
  return entry;
}

namespace {
// A whole number as the journal writes them: decimal, or 0x-hex (function numbers, codes).
std::optional<long long> wholeNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
  if (end == nullptr || *end != '\0' || end == text.c_str() + (hex ? 2 : 0)) return std::nullopt;
  return value;
}
}  // namespace

bool entryMatches(const JournalEntry& entry, const std::string& kind,
                  const std::vector<std::pair<std::string, std::string>>& fields) {
  if (entry.kind != kind) return false;
  for (const auto& [name, value] : fields) {
    const std::optional<std::string> field = entry.get(name);
    if (field == value) continue;
    // 0x80EE and 33006 are one number.
    const auto wanted = wholeNumber(value);
    if (!field || !wanted || wholeNumber(*field) != wanted) return false;
  }
  return true;
}

Journal::Journal() : changed_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

Journal::~Journal() {
  if (file_) CloseHandle(file_);
  if (changed_) CloseHandle(changed_);
}

void Journal::openFile(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (file_) CloseHandle(file_);
  filePath_ = path;
  // Readers (a test's runner) open it while the host writes; each line goes out in one
  // unbuffered write, so a reader sees every line even if the host crashes.
  file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) file_ = nullptr;
}

void Journal::record(JournalEntry entry) {
  std::lock_guard lock(mutex_);
  if (file_) {
    const std::string line = entry.toJsonLine() + "\n";
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  entries_.push_back(std::move(entry));
  while (keep_ != 0 && entries_.size() > keep_) {
    entries_.pop_front();
    ++dropped_;
  }
  if (changed_) SetEvent(changed_);
}

void Journal::keepAtMost(size_t count) {
  std::lock_guard lock(mutex_);
  keep_ = count;
}

std::vector<JournalEntry> Journal::entries() const {
  std::lock_guard lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

std::vector<JournalEntry> Journal::entriesOfKind(const std::string& kind) const {
  std::lock_guard lock(mutex_);
  std::vector<JournalEntry> out;
  for (const JournalEntry& entry : entries_)
    if (entry.kind == kind) out.push_back(entry);
  return out;
}

std::vector<JournalEntry> Journal::entriesFrom(size_t first) const {
  std::lock_guard lock(mutex_);
  const size_t from = first > dropped_ ? first - dropped_ : 0;
  if (from >= entries_.size()) return {};
  return std::vector<JournalEntry>(entries_.begin() + static_cast<std::ptrdiff_t>(from), entries_.end());
}

size_t Journal::size() const {
  std::lock_guard lock(mutex_);
  return dropped_ + entries_.size();
}

void Journal::clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  dropped_ = 0;
}

EntryBuilder& EntryBuilder::add(const std::string& name, const std::string& value) {
  entry_.fields.emplace_back(name, value);
  return *this;
}

EntryBuilder& EntryBuilder::add(const std::string& name, int64_t value) { return add(name, std::to_string(value)); }

EntryBuilder& EntryBuilder::addHex(const std::string& name, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return add(name, std::string(text));
}

}  // namespace standin
