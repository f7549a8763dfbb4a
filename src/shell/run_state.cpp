#include "shell/run_state.h"

#include <atomic>

namespace tovalux {
namespace {
std::atomic<uint32_t> gDebugging{0};
std::atomic<void*> gProcess{nullptr};
std::atomic<void*> gThread{nullptr};
std::atomic<uint32_t> gProcessId{0};
std::atomic<uint32_t> gThreadId{0};
}  // namespace

bool debugging() { return gDebugging.load(std::memory_order_acquire) != 0; }
void setDebugging(bool value) { gDebugging.store(value ? 1 : 0, std::memory_order_release); }

DebuggedProcess debuggedProcess() { return {gProcess.load(), gThread.load(), gProcessId.load(), gThreadId.load()}; }
uint32_t debuggedProcessId() { return gProcessId.load(std::memory_order_acquire); }

void setDebuggedProcess(const DebuggedProcess& process) {
  gProcess.store(process.process);
  gThread.store(process.thread);
  gThreadId.store(process.threadId);
  gProcessId.store(process.processId, std::memory_order_release);  // last: readers key on it
}

void clearDebuggedProcess() { setDebuggedProcess({}); }

}  // namespace tovalux
