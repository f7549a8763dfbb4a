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

struct Part;
// The debugging Part: it offers the three rules above to the host hooks (CreateProcessA,
// WaitForDebugEvent, DebugActiveProcessStop on the host's debugger thread), the disassembly pane
// to the host main window's 89963 row, and the output panes' writers to the commands and the
// module manager. Each debug event re-applies the main tool bar through the commands'
// syncToolBarState (on the UI thread; a burst of requests, one per debug event, ends in one run).
extern const Part kDebuggingPart;

// Its tearDown: the run state back to "not debugging", the counters to zero.
void tearDownDebugRun();

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
