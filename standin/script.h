// Host scripts: one action per line (actions.h), run in order, plus these directives:
//
//   wait-journal KIND [field=value ...] [timeout=MS]   waits for a journal entry recorded after
//                                                      the previous wait's match (or after the
//                                                      script started); fails after MS (10000).
//                                                      Numbers match in any notation (0x80EE =
//                                                      33006)
//   journal-absent KIND [field=value ...]              fails when such an entry was recorded
//                                                      after the previous wait's match
//   sleep-ms MS                                        a pause, for demo pacing only
//   # ...                                              a comment; blank lines are skipped
//
// A failing action or wait ends the script as failed ("script-failed" in the journal); the end
// is journaled as "script-done". The runner never blocks: advance() runs lines until one has to
// wait, so ehost drives it from a timer (it keeps running inside a library's modal loop) and the
// in-process fixture from its own message pump. Script files are GBK like every text of the host;
// a file that starts with a UTF-8 byte-order mark is read as UTF-8.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

class Host;

class ScriptRunner {
 public:
  enum class State { kRunning, kWaiting, kDone, kFailed };

  ScriptRunner(Host& host, std::vector<std::string> lines);

  static std::vector<std::string> splitLines(const std::string& text);
  // The lines of a script file; nullopt when it cannot be read.
  static std::optional<std::vector<std::string>> readFile(const std::string& path);

  // Runs lines until one must wait or the script ends. Calls made while a line runs (a timer
  // dispatched by a modal loop inside an action) return at once.
  State advance();
  State state() const { return state_; }
  bool finished() const { return state_ == State::kDone || state_ == State::kFailed; }
  // While waiting: milliseconds to the wait's deadline (0 when it has passed).
  DWORD msUntilDeadline() const;
  const std::string& error() const { return error_; }
  // 1-based number of the line running or failed.
  size_t lineNumber() const { return index_; }

 private:
  struct Wait {
    bool forJournal = false;
    std::string kind;
    std::vector<std::pair<std::string, std::string>> fields;
    DWORD start = 0;
    DWORD duration = 0;
  };
  bool waitSatisfied();
  void fail(const std::string& why);

  Host& host_;
  std::vector<std::string> lines_;
  size_t index_ = 0;
  size_t cursor_ = 0;  // journal position after the previous wait's match
  std::optional<Wait> wait_;
  State state_ = State::kRunning;
  bool busy_ = false;
  std::string error_;
};

}  // namespace standin
