#include "host/shell_state.h"

#include <atomic>

namespace tovalux {
namespace {
std::atomic<ShellState> gState{ShellState::kLoaded};
}  // namespace

const char* shellStateName(ShellState state) {
  switch (state) {
    case ShellState::kLoaded: return "loaded";
    case ShellState::kWaiting: return "waiting";
    case ShellState::kRunning: return "running";
    case ShellState::kClosed: return "closed";
  }
  return "?";
}

StartDecision decideStart(ShellState current, bool hostHasMainWindow) {
  switch (current) {
    case ShellState::kLoaded:
    case ShellState::kWaiting:
      if (!hostHasMainWindow) return {false, ShellState::kWaiting};
      return {true, ShellState::kRunning};
    case ShellState::kRunning: return {false, ShellState::kRunning};
    case ShellState::kClosed: return {false, ShellState::kClosed};
  }
  return {false, current};
}

ShutdownDecision decideShutdown(ShellState current) {
  if (current == ShellState::kRunning) return {true, ShellState::kClosed};
  return {false, current};
}

ShellState shellState() { return gState.load(std::memory_order_acquire); }
void setShellState(ShellState state) { gState.store(state, std::memory_order_release); }
void resetShellStateForTests() { setShellState(ShellState::kLoaded); }

}  // namespace tovalux
