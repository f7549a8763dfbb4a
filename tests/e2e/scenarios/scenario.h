// A user's session in ehost.exe with the real Tovalux.fne from H\lib: host-side actions and the
// user's clicks and keys (SendInput, placed through the accessible tree as a screen reader reads
// the screen) go over the control channel one at a time, and what the user sees is read back
// from the same tree ("ui-found" entries), what the host received from the journal.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/e2e_runner.h"

namespace tovalux::scenarios {

using standin::JournalEntry;

// A journal of its own for each test case: e2e_<program>_<test>.
inline std::string journalName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string("e2e_") + test->test_suite_name() + "_" + test->name();
}

class Session {
 public:
  explicit Session(std::string name, std::vector<std::string> arguments = {"--host-start"})
      : run_({.name = std::move(name), .arguments = std::move(arguments)}) {}

  // Started, its start-up done (the host's "started" and the frame built).
  ::testing::AssertionResult start() {
    if (!run_.start()) return ::testing::AssertionFailure() << "ehost did not start";
    if (!run_.waitForJournal("started")) return ::testing::AssertionFailure() << "ehost never said it started";
    return ::testing::AssertionSuccess();
  }

  // One action; a failure says what the host journaled about it.
  ::testing::AssertionResult act(const std::string& line, DWORD timeoutMs = 30000) {
    const size_t before = run_.journal().size();
    if (run_.send(line, timeoutMs)) return ::testing::AssertionSuccess();
    std::string why = "no answer";
    const auto& entries = run_.journal();
    for (size_t i = before; i < entries.size(); ++i)
      if (entries[i].kind == "action-failed") why = entries[i].get("error").value_or("");
    return ::testing::AssertionFailure() << "\"" << line << "\" failed: " << why;
  }

  // What the user sees: the object ui-find found (role, name, value, states, place), or nothing.
  std::optional<JournalEntry> find(const std::string& what, DWORD timeoutMs = 3000) {
    const size_t before = run_.journal().size();
    if (!run_.send("ui-find " + what + " shown=1 timeout=" + std::to_string(timeoutMs))) return std::nullopt;
    const auto& entries = run_.journal();
    for (size_t i = entries.size(); i > before; --i)
      if (entries[i - 1].kind == "ui-found") return entries[i - 1];
    return std::nullopt;
  }
  static bool has(const JournalEntry& e, const std::string& state) {
    const std::string states = " " + e.get("states").value_or("") + " ";
    return states.find(" " + state + " ") != std::string::npos;
  }

  // The journal from `since` on, of one kind.
  std::vector<JournalEntry> entries(const std::string& kind, size_t since = 0) {
    std::vector<JournalEntry> out;
    const auto& all = run_.journal();
    for (size_t i = since; i < all.size(); ++i)
      if (all[i].kind == kind) out.push_back(all[i]);
    return out;
  }
  size_t mark() { return run_.journal().size(); }
  std::optional<JournalEntry> waitFor(const std::string& kind, const testing::JournalPredicate& predicate = {},
                                      DWORD timeoutMs = 20000, size_t since = 0) {
    return run_.waitForJournal(kind, predicate, timeoutMs, since);
  }

  // The user closes the IDE from the frame and answers yes; the host exits 0.
  ::testing::AssertionResult closeNormally() {
    if (!run_.send("close")) return ::testing::AssertionFailure() << "close refused";
    const int code = run_.waitForExit(60000);
    if (code != 0) return ::testing::AssertionFailure() << "ehost exited " << code;
    return ::testing::AssertionSuccess();
  }

  testing::EhostRun& run() { return run_; }

 private:
  testing::EhostRun run_;
};

}  // namespace tovalux::scenarios
