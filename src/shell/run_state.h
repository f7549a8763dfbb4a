// The debugging run state. The debugging subsystem writes it from the host's debugger thread
// (its CreateProcessA, WaitForDebugEvent and DebugActiveProcessStop hooks); the menus, the tool
// bars and the host main-window subclass read it on the UI thread. Each value is one aligned
// 32-bit word, so a reader never sees half a write.
#pragma once

#include <cstdint>

namespace tovalux {

// 1 while a debugged program runs (from its start to the stop), 0 otherwise.
bool debugging();
void setDebugging(bool value);

// The debugged process as CreateProcessA answered it; process id 0 when there is none.
struct DebuggedProcess {
  void* process = nullptr;
  void* thread = nullptr;
  uint32_t processId = 0;
  uint32_t threadId = 0;
};
DebuggedProcess debuggedProcess();
uint32_t debuggedProcessId();
void setDebuggedProcess(const DebuggedProcess& process);
void clearDebuggedProcess();

}  // namespace tovalux
