// The debugging run as the host's debugger thread goes through it: the rules of the
// CreateProcessA, WaitForDebugEvent and DebugActiveProcessStop hooks. They run on that thread,
// keep the run state (shell/run_state.h: `debugging`, `DebuggedProcess`) and the program's name,
// and hand every toolkit change to the UI thread as one ordered job per event, each with its own
// copy of its text, so the log keeps the order of the events. They never wait for the UI thread,
// and once the shell is closed (notification 6 or 17) they do nothing.
#pragma once

#include <windows.h>

#include <string>

namespace tovalux {

// After CreateProcessA answered (`succeeded`), with the host's arguments: a successful debug
// launch of a ".tmp" program starts the run.
void onProcessCreated(BOOL succeeded, LPCSTR commandLine, DWORD creationFlags,
                      const PROCESS_INFORMATION* processInformation);
// Before WaitForDebugEvent waits, with the event the host's buffer still holds (null: nothing).
void onBeforeWaitForDebugEvent(const DEBUG_EVENT* held);
// Before DebugActiveProcessStop.
void onBeforeDebugStop(DWORD processId);

// The file-name part of the debugged program's command line; empty when not debugging.
std::string debuggedProgramName();

// Who re-applies the main tool bar's states (the commands subsystem); it runs on the UI thread,
// and a burst of requests (one per debug event) ends in one run.
void setToolBarRefresh(void (*refresh)());

// Plugs the three rules above into the host hooks (CreateProcessA, WaitForDebugEvent,
// DebugActiveProcessStop on the host's debugger thread) and the disassembly pane into the host
// main window's 89963 row. Before the hooks are installed (start-up step 17).
void registerDebuggingHooks();

// The run state back to "not debugging" (tests; the real host starts one shell per process).
void resetDebugRunForTests();

// What the rules did, for tests and benchmarks.
struct DebugRunCounters {
  uint32_t runsStarted = 0;
  uint32_t runsStopped = 0;
  uint32_t exceptionLines = 0;
  uint32_t refreshRequests = 0;  // tool-bar refreshes asked for (they coalesce)
  uint32_t saveRequests = 0;
};
DebugRunCounters debugRunCounters();

}  // namespace tovalux
