#include "script.h"

#include <fstream>
#include <iterator>

#include "base/gbk.h"
#include "base/text.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr DWORD kDefaultWaitMs = 10000;

class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

ScriptRunner::ScriptRunner(Host& host, std::vector<std::string> lines)
    : host_(host), lines_(std::move(lines)), cursor_(host.journal().size()) {}

std::vector<std::string> ScriptRunner::splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::optional<std::vector<std::string>> ScriptRunner::readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text = tovalux::utf16ToGbk(tovalux::utf8ToUtf16(text.substr(3)));
  return splitLines(text);
}

DWORD ScriptRunner::msUntilDeadline() const {
  if (!wait_) return 0;
  const DWORD elapsed = GetTickCount() - wait_->start;
  return elapsed >= wait_->duration ? 0 : wait_->duration - elapsed;
}

bool ScriptRunner::waitSatisfied() {
  if (!wait_->forJournal) return GetTickCount() - wait_->start >= wait_->duration;
  const std::vector<JournalEntry> recent = host_.journal().entriesFrom(cursor_);
  for (size_t i = 0; i < recent.size(); ++i) {
    if (entryMatches(recent[i], wait_->kind, wait_->fields)) {
      cursor_ += i + 1;
      return true;
    }
  }
  return false;
}

void ScriptRunner::fail(const std::string& why) {
  state_ = State::kFailed;
  error_ = why;
  wait_.reset();
  host_.journal().record(EntryBuilder("script-failed")
                             .add("line", static_cast<int64_t>(index_))
                             .add("text", index_ && index_ <= lines_.size() ? lines_[index_ - 1] : "")
                             .add("error", why));
}

ScriptRunner::State ScriptRunner::advance() {
  if (busy_ || finished()) return state_;
  BusyScope busy(busy_);
  for (;;) {
    if (wait_) {
      if (waitSatisfied()) {
        wait_.reset();
        state_ = State::kRunning;
      } else if (msUntilDeadline() == 0) {
        if (!wait_->forJournal) {
          wait_.reset();
          state_ = State::kRunning;
        } else {
          fail("no journal entry \"" + wait_->kind + "\" within " + std::to_string(wait_->duration) + " ms");
          return state_;
        }
      } else {
        return state_ = State::kWaiting;
      }
    }
    if (index_ >= lines_.size()) {
      state_ = State::kDone;
      host_.journal().record(EntryBuilder("script-done").add("lines", static_cast<int64_t>(lines_.size())));
      return state_;
    }
    const std::string line(tovalux::trim(lines_[index_++]));
    if (line.empty() || line[0] == '#') continue;
    std::string error;
    const std::optional<ActionArgs> args = ActionArgs::parse(line, &error);
    if (!args) {
      fail(error);
      return state_;
    }
    if (args->name() == "wait-journal") {
      if (args->text(0).empty()) {
        fail("wait-journal KIND [field=value ...] [timeout=MS]");
        return state_;
      }
      Wait wait;
      wait.forJournal = true;
      wait.kind = args->text(0);
      for (const auto& [name, value] : args->options())
        if (name != "timeout") wait.fields.emplace_back(name, value);
      wait.start = GetTickCount();
      wait.duration = static_cast<DWORD>(args->optionNumber("timeout", kDefaultWaitMs));
      wait_ = wait;
    } else if (args->name() == "journal-absent") {
      // Nothing like this since the point the waits have reached.
      std::vector<std::pair<std::string, std::string>> fields(args->options().begin(), args->options().end());
      for (const JournalEntry& entry : host_.journal().entriesFrom(cursor_))
        if (entryMatches(entry, args->text(0), fields)) {
          fail("journal-absent: there is an entry \"" + args->text(0) + "\" that should not be");
          return state_;
        }
    } else if (args->name() == "sleep-ms") {
      Wait wait;
      wait.start = GetTickCount();
      wait.duration = static_cast<DWORD>(args->number(0));
      wait_ = wait;
    } else {
      const ActionResult result = host_.runAction(line);
      if (!result.ok) {
        fail(result.error);
        return state_;
      }
    }
  }
}

}  // namespace standin
