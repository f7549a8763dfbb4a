// The shell's life as one state machine, read by everything that reaches into the host:
//
//   loaded --1, no host window--> waiting --1, host window--> running --6/17--> closed
//      \________________1, host window_______________________/
//
// Closed is final for the life of the process: the module is pinned once hooks or subclasses
// exist, so a later notification 1 meets this state again and builds nothing (a second build
// would subclass the host main window onto our own procedure). In the closed state every hook
// that stays installed and every subclass that could not be put back is a plain pass-through.
#pragma once

#include <cstdint>

namespace tovalux {

enum class ShellState : uint8_t {
  kLoaded,   // the host loaded the library
  kWaiting,  // notification 1 came before the host had a main window
  kRunning,  // start-up built the shell
  kClosed,   // notification 6 or 17 gave the host back its windows
};

const char* shellStateName(ShellState state);

// What notification 1 does in each state.
struct StartDecision {
  bool build;       // run the whole start-up (steps after the dock bars)
  ShellState next;  // the state once the decision is applied (kRunning only after a build)
};
StartDecision decideStart(ShellState current, bool hostHasMainWindow);

// What notifications 6 and 17 do: only a running shell is taken down.
struct ShutdownDecision {
  bool restore;
  ShellState next;
};
ShutdownDecision decideShutdown(ShellState current);

// The process-wide state (atomic; written on the UI thread, read from any thread).
ShellState shellState();
void setShellState(ShellState state);
inline bool shellRunning() { return shellState() == ShellState::kRunning; }
inline bool shellClosed() { return shellState() == ShellState::kClosed; }

// In-process tests play many start-ups in one process; the real host gets one per process.
void resetShellStateForTests();

}  // namespace tovalux
