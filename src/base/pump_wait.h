// A wait on the UI thread that keeps the thread's messages flowing: the host keeps painting, and
// work that arrives through this thread's own messages (a page loading, a host reply posted to
// us) can progress while we wait for it. Messages are served in time slices so a flood of them
// cannot stretch the wait past its deadline, which is kept with GetTickCount (no timer to fail).
// A wait begun while another one is already running on the same thread (a message served by the
// outer wait asks to wait again) does not nest: it answers kReentered at once, and the caller
// re-checks its state instead of stacking message loops.
#pragma once

#include <windows.h>

#include <functional>

namespace tovalux {

enum class PumpResult {
  kConditionMet,
  kTimedOut,
  kReentered,
};

PumpResult pumpingWait(DWORD milliseconds, const std::function<bool()>& until = {});

// True while a pumping wait runs on the calling thread.
bool insidePumpingWait();

}  // namespace tovalux
