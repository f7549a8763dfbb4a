// The stand-in IDE in this test process, with the plug-in linked in: the way every in-process
// test of a shell feature plays the host.
//
//   TEST(Shell, HidesTheDockBars) {
//     tovalux::testing::HostFixture host;   // window tree made, plug-in added (GetNewInf)
//     ASSERT_EQ(host.startShell(), 1);      // notification 1 with the host's function
//     EXPECT_EQ(host.host().dockBarsVisible(), "0000");
//   }                                       // notification 6 (if still running), windows gone
//
// Construction resets the host (the stand-in is one per process), creates the window tree, adds
// the plug-in, installs a ScriptedUi for the plug-in's message boxes and dialogs, and starts the
// dialog watchdog. Destruction sends notification 6 when the host's libraries still run,
// destroys the windows, stops the plug-in's worker threads (failing the test if one does not end
// within 5 s), puts the real UI back, clears an elevation override, and fails the test for every
// dead-handle entry in the journal, every dialog the watchdog had to close and every unscripted
// UI call (each can be allowed in the options).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/journal_match.h"
#include "common/scripted_ui.h"
#include "standin_host.h"

namespace tovalux::testing {

struct HostOptions {
  bool createWindows = true;  // false: no main window yet (notification 1 before the tree)
  bool addPlugin = true;      // the plug-in linked into the test, its GetNewInf called directly
  bool watchdog = true;
  DWORD dialogGraceMs = 1000;  // how long a real, unexpected dialog stays before it is closed
  bool allowDeadHandles = false;
  bool allowForcedDialogs = false;
  bool allowUnscriptedUi = false;
  // The window layout an earlier shell of this program saved is removed first, so that every test
  // starts from the default arrangement; true keeps it (a test of the layout coming back).
  bool keepLayout = false;
};

class HostFixture {
 public:
  explicit HostFixture(HostOptions options = {});
  ~HostFixture();
  HostFixture(const HostFixture&) = delete;
  HostFixture& operator=(const HostFixture&) = delete;

  standin::Host& host() { return standin::Host::instance(); }
  const standin::WindowTree& tree() { return host().tree(); }
  HWND mainWindow() { return host().mainWindow(); }
  standin::HostModel& model() { return host().model(); }
  standin::Journal& journal() { return host().journal(); }
  ScriptedUi& ui() { return *ui_; }
  standin::DialogWatchdog& watchdog() { return host().watchdog(); }

  // Creates the window tree later (with HostOptions::createWindows false).
  bool createWindows();

  // Notifications as the host sends them; each answers the plug-in's answer.
  int32_t startShell();  // 1, with the host's function
  int32_t freeLibraryData() { return notify(6); }
  int32_t restore() { return notify(17); }
  int32_t checkForUpdate() { return notify(18); }
  int32_t popupMenu(int32_t first, int32_t second) { return notify(19, first, second); }
  int32_t notify(int32_t code, int32_t param1 = 0, int32_t param2 = 0);

  // A named host action, as ehost's control channel and scripts run it.
  standin::ActionResult action(const std::string& line) { return host().runAction(line); }
  // Runs a script (script.h) to its end, pumping messages while it waits.
  bool runScript(const std::string& text, std::string* error = nullptr, DWORD timeoutMs = 60000);

  // The journal: positions count from the fixture's start.
  size_t journalSize() { return journal().size(); }
  std::vector<standin::JournalEntry> entries(const std::string& kind, size_t since = 0);
  size_t count(const std::string& kind, const JournalPredicate& predicate = {}, size_t since = 0);
  // Pumps messages until an entry of `kind` matching `predicate` (recorded at or after `since`)
  // is there; nullopt after `timeoutMs`.
  std::optional<standin::JournalEntry> waitForJournal(const std::string& kind, const JournalPredicate& predicate = {},
                                                      DWORD timeoutMs = 5000, size_t since = 0);

  // Pumps messages until `condition` holds; false after `timeoutMs`.
  bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
  // Handles every message waiting now.
  void pump();

  // Called after each fixture's teardown, once the windows are gone: the place where a layer
  // that keeps process-wide state (the plug-in's lifecycle) puts itself back for the next test.
  static void setAfterTeardown(std::function<void()> hook);

 private:
  HostOptions options_;
  std::unique_ptr<ScriptedUi> ui_;
  UiSeams* previousSeams_ = nullptr;
};

// A GoogleTest fixture holding a HostFixture as `host`.
class HostTest : public ::testing::Test {
 protected:
  HostFixture host;
};

}  // namespace tovalux::testing
