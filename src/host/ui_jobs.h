// Work handed to the UI thread from anywhere (the host's debugger thread, hook replacements on
// other threads, workers). Toolkit objects are touched on the UI thread only; everything that
// reaches them from another thread comes through here.
//
// - postUiJob: asynchronous, first in first out across all threads (log lines keep their
//   order), never blocks the caller on the UI thread (the debugger thread must not wait on the
//   UI thread while that thread may be waiting on the debuggee).
// - A non-zero coalescing key keeps at most one pending job of that key: a burst of refresh
//   requests ends in one refresh that runs after the last request.
// - runOnUiThread: synchronous; on the UI thread it runs at once, elsewhere it waits for the
//   job (served in order behind the jobs posted before it) and gives up when the queue closes.
// - After closeUiJobs (notification 6 or 17) pending jobs are dropped and new ones refused.
//
// The queue wakes the UI thread with a message to a message-only window of its own (a posted
// message: no hand-over blocks the poster the way a synchronous one would).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace tovalux {

using UiJob = std::function<void()>;

// Coalescing keys of the shell's periodic refreshes; 0 means "never coalesce".
enum UiJobKey : uint32_t {
  kNoCoalescing = 0,
  kToolBarRefresh = 1,
  kMenuRefresh = 2,
  kFirstFreeUiJobKey = 16,  // later subsystems take keys from here
};

// On the UI thread, at start-up. False when the window cannot be made.
bool openUiJobs();
// At shut-down, on the UI thread: pending jobs are dropped, later posts refused.
void closeUiJobs();
bool uiJobsOpen();

bool onUiThread();

bool postUiJob(UiJob job, uint32_t coalescingKey = kNoCoalescing);
// Answers true when the job ran.
bool runOnUiThread(const UiJob& job, DWORD timeoutMs = INFINITE);

// Runs what is pending now (UI thread only; tests and shut-down use it).
void flushUiJobs();
size_t pendingUiJobs();
// At most 16,384 jobs wait: past that postUiJob refuses (answers false) and counts the refusal.
// A coalesced request whose key already waits is always taken. Producers that can flood (debug
// events, other threads' sends) bound themselves well below this.
size_t refusedUiJobs();

}  // namespace tovalux
