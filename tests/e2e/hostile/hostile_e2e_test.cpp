// Other programs sending the IDE every message the plug-in takes from outside: 89963 (a
// disassembly block), 89757 (re-fit), 9909 (module list changed), 99999 (start-page styling),
// 0x362 (caption), and WM_COPYDATA (taken by nobody: passed to the host). Malformed, oversized,
// out-of-order and flooding forms come from ehostile.exe, a process of its own. After each, the
// IDE answers a probe (a send answered within 2 s), still runs an action, looks as it did, and in
// the end closes with exit code 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/e2e_runner.h"
#include "common/win32_support.h"

namespace tovalux::testing {
namespace {

// Runs ehostile.exe against the IDE's main window; its exit code (the sends that timed out).
DWORD runSender(HWND main, const std::string& variant, int marker) {
  const std::string program = winePath(TOVALUX_BUILD_DIR "/tests/e2e/hostile/ehostile.exe");
  std::string command = "\"" + program + "\" " + std::to_string(reinterpret_cast<intptr_t>(main)) + " " + variant +
                        " " + std::to_string(marker);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0xFFFFFFFF;
  CloseHandle(process.hThread);
  pumpMessagesUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 300000,
                    process.hProcess);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 9);
  CloseHandle(process.hProcess);
  return code;
}

// The IDE answers: a send it answers within 2 s. Waited for (the posted floods may still be
// draining), never timed as a speed.
bool answersAProbe(HWND main) {
  return pumpMessagesUntil(
      [&] {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 2000, &answer) != 0;
      },
      120000);
}

TEST(HostileSenders, EveryOutsideMessageMalformedOversizedAndFloodedLeavesTheIdeAnswering) {
  EhostRun run({.name = "e2e_hostile",
                .script = "page-open 起始页\nstart-page web-view=now ready-ms=1\n"
                          "project-open-sample\n"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("script-done", {}, 60000));
  HWND main = run.mainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(run.screenshot("before"));
  int marker = 0;
  for (const char* variant : {"disasm", "refit", "modules", "startpage", "caption", "copydata", "mixed"}) {
    SCOPED_TRACE(variant);
    const DWORD timedOut = runSender(main, variant, ++marker);
    EXPECT_NE(timedOut, 0xFFFFFFFFu) << "ehostile did not start";
    EXPECT_LT(timedOut, 2u) << "the IDE left sends unanswered for 2 s";  // one may meet a reload in progress
    EXPECT_TRUE(answersAProbe(main));
    // Still serving its own work: an action runs and the host sees it.
    EXPECT_TRUE(run.send("mark after-" + std::string(variant)));
    EXPECT_TRUE(run.waitForJournal("mark", fieldIs("text", "after-" + std::string(variant))));
    // The sender's marker, posted after its floods, reached the host: nothing of this variant
    // waits in the queue for the next one or for the close.
    const auto markerSeen = [marker](const standin::JournalEntry& e) {
      return e.get("wparam") == std::to_string(0x7E57) && e.get("lparam") == std::to_string(marker);
    };
    EXPECT_TRUE(run.waitForJournal("private", markerSeen, 300000));
  }
  // Nothing of the blocks reached the host (the plug-in answered them), and no dialog came up.
  EXPECT_EQ(run.count("disasm-block"), 0u);
  EXPECT_EQ(run.count("dialog"), 0u);
  EXPECT_TRUE(run.screenshot("after"));
  EXPECT_TRUE(run.send("close"));
  EXPECT_EQ(run.waitForExit(120000), 0);
  EXPECT_EQ(run.count("notify", fieldIs("code", 6)), 1u);
}

}  // namespace
}  // namespace tovalux::testing
