// ehost.exe as a separate process, the way end-to-end tests run the plug-in.
//
//   EhostRun run({.name = "e2e_close"});          // with the plug-in from H\lib
//   ASSERT_TRUE(run.start());
//   ASSERT_TRUE(run.waitForJournal("started"));
//   EXPECT_TRUE(run.send("close"));               // a named action over the control channel
//   EXPECT_EQ(run.waitForExit(), 0);
//   EXPECT_EQ(run.count("notify", fieldIs("code", 6)), 1u);
//
// The run writes its journal to <name>_journal.txt in the artefacts folder (and its script, when
// given, to <name>_script.txt); the runner reads the file as it grows. Screenshots go to
// <name>-<step>.png there. Windows of the host are found through the journal ("main-window",
// "control-window"), never by class: a library moves the main window into a frame of its own.
// A run still alive when the runner goes away, or past its timeout in waitForExit, is killed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/journal_match.h"
#include "journal.h"

namespace tovalux::testing {

// ARTEFACTS as Wine sees it: $TOVALUX_ARTEFACTS, or build/artefacts.
std::string artefactsFolder();

struct EhostOptions {
  std::string name = "ehost";               // names the artefacts
  bool plugins = true;                      // false: --no-plugins, the same run without any library
  std::string script = "";                  // script text; empty: no script
  bool watchdog = true;                     // --watchdog: dialog boxes nobody expected get closed
  std::vector<std::string> arguments = {};  // more ehost.exe arguments
  bool keepLayout = false;                  // false: H\lib\Tovalux\Layout.json removed first (the default layout)
};

// A file of the stand-in IDE's folder H, as Wine sees it (tools\link.ini).
std::string hostFile(const std::string& relative);
// A whole file's bytes; empty when it cannot be read.
std::string readWholeFile(const std::string& path);
// The linkers a test seeded under H\linker (LinkerA, LinkerB, Broken, .hidden) and tools\link.ini
// removed again: H is shared by every run of the stand-in. Folders that hold more stay.
void removeSeededLinkers();
// edisasm.exe sending a disassembly block to the IDE's window `ide` from a process of its own,
// as a debugged program would (its arguments after the window); its exit code (0: sent).
DWORD sendDisassemblyBlock(HWND ide, const std::string& arguments);

class EhostRun {
 public:
  static constexpr int kKilled = -1;

  explicit EhostRun(EhostOptions options);
  ~EhostRun();
  EhostRun(const EhostRun&) = delete;
  EhostRun& operator=(const EhostRun&) = delete;

  bool start();
  bool running() const;
  DWORD processId() const { return process_.dwProcessId; }
  const std::string& journalPath() const { return journalPath_; }
  std::string artefact(const std::string& file) const { return artefactsFolder() + "\\" + file; }

  // Everything the journal file holds so far.
  const std::vector<standin::JournalEntry>& journal();
  size_t count(const std::string& kind, const JournalPredicate& predicate = {});
  // Pumps this process's messages while the file grows, until an entry of `kind` matching
  // `predicate` (at or after position `since`) is there; nullopt after `timeoutMs` or when the
  // host ended without it.
  std::optional<standin::JournalEntry> waitForJournal(const std::string& kind, const JournalPredicate& predicate = {},
                                                      DWORD timeoutMs = 20000, size_t since = 0);

  HWND mainWindow(DWORD timeoutMs = 20000);
  HWND controlWindow(DWORD timeoutMs = 20000);

  // Runs a named action in the host; true when the host ran it successfully.
  bool send(const std::string& action, DWORD timeoutMs = 30000);
  // Saves ARTEFACTS\<name>-<step>.png of the host's window (the window holding its main window).
  bool screenshot(const std::string& step);

  // The exit code, or kKilled when the host was still running after `timeoutMs` and was killed.
  int waitForExit(DWORD timeoutMs = 30000);

 private:
  void readJournal();
  HWND windowFromJournal(const char* kind, DWORD timeoutMs);

  EhostOptions options_;
  std::string journalPath_;
  PROCESS_INFORMATION process_{};
  int exitCode_ = kKilled;
  bool exited_ = false;
  std::vector<standin::JournalEntry> entries_;
  unsigned long long readOffset_ = 0;
  std::string partialLine_;
};

}  // namespace tovalux::testing
