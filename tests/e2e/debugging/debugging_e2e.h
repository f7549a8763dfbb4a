// Helpers of the debugging end-to-end tests: one debugging run of e-sample.exe in an ehost.exe,
// and what the run reported.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "common/e2e_runner.h"
#include "common/win32_support.h"

namespace tovalux::testing {

inline bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string hexAddress(uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(address));
  return text;
}

// The address column of a disassembly line.
inline std::string addressOf(const std::string& line) { return line.substr(0, line.find(" |")); }

inline std::vector<standin::JournalEntry> entriesOf(EhostRun& run, const std::string& kind, size_t since = 0) {
  std::vector<standin::JournalEntry> found;
  const auto& journal = run.journal();
  for (size_t i = since; i < journal.size(); ++i)
    if (journal[i].kind == kind) found.push_back(journal[i]);
  return found;
}

inline int64_t hostPid(EhostRun& run) {
  for (const auto& entry : run.journal())
    if (entry.kind == "host-start") return entry.number("pid");
  return -1;
}

// One run of e-sample under the host's debugger, from its launch to its end.
struct DebugRun {
  bool ended = false;
  int64_t pid = -1;
  int64_t exitCode = -1;
  std::string name;                         // e_<host pid>_<n>.tmp
  std::vector<std::string> reports;         // the program's "esample ..." lines, in order
  std::map<std::string, uint32_t> symbols;  // code, bad, av, int3, edge, buf

  uint32_t symbol(const std::string& name) const {
    const auto found = symbols.find(name);
    return found == symbols.end() ? 0 : found->second;
  }
  // How long each command call took inside the program ("olly returned ms=...").
  std::vector<double> commandMilliseconds() const {
    std::vector<double> ms;
    for (const std::string& report : reports) {
      const size_t at = report.find(" returned ms=");
      if (at != std::string::npos) ms.push_back(std::atof(report.c_str() + at + 13));
    }
    return ms;
  }
};

// Quotes a text for an action line.
inline std::string quoted(const std::string& text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') result += '\\';
    result += c;
  }
  return result + "\"";
}

inline DebugRun debugSample(EhostRun& ide, const std::string& script, const std::string& runAction = "debug-run",
                            DWORD timeoutMs = 60000) {
  DebugRun run;
  const size_t since = ide.journal().size();
  if (!ide.send("debuggee-script " + quoted(script)) || !ide.send(runAction)) return run;
  const auto launched = ide.waitForJournal("debug-launch", {}, timeoutMs, since);
  if (!launched) return run;
  run.pid = launched->number("pid");
  run.name = launched->get("name").value_or("");
  const auto ended = ide.waitForJournal("debug-ended", {}, timeoutMs, since);
  if (!ended) return run;
  run.ended = true;
  run.exitCode = ended->number("exit-code");
  for (const auto& entry : entriesOf(ide, "debug-string", since)) {
    std::string text = entry.get("text").value_or("");
    if (text.rfind("esample ", 0) != 0) continue;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    run.reports.push_back(text.substr(8));
    // "name=0x..." words are symbols.
    size_t at = 0;
    while ((at = text.find("=0x", at)) != std::string::npos) {
      const size_t start = text.rfind(' ', at) + 1;
      run.symbols[text.substr(start, at - start)] =
          static_cast<uint32_t>(std::strtoul(text.c_str() + at + 1, nullptr, 16));
      at += 3;
    }
  }
  return run;
}

}  // namespace tovalux::testing
