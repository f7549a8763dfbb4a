// Every thread the plug-in starts (the start-page watcher, the variables reader, the update
// check...) goes through startWorker: it is counted until its body returns, its handle is closed
// at once, and its body runs behind the exception barrier. At notification 6 or 17 the shell
// requests a stop; a worker's waits go through waitForWorkerStop (or include workerStopEvent())
// so that none outlives shut-down by more than the wait it is in. The module is pinned, so a
// worker still unwinding after FreeLibrary runs mapped code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace tovalux {

// False when the stop was already requested or the thread could not be created.
bool startWorker(std::function<void()> body) noexcept;

bool workerStopRequested() noexcept;
// Sleeps up to `milliseconds`; answers true as soon as a stop is requested.
bool waitForWorkerStop(DWORD milliseconds) noexcept;
// A manual-reset event that becomes signalled at the stop request (valid for the process's life).
HANDLE workerStopEvent() noexcept;

void requestWorkerStop() noexcept;
// True when no worker is running any more (waits up to `milliseconds`).
bool waitForWorkers(DWORD milliseconds) noexcept;
uint32_t runningWorkers() noexcept;
uint32_t startedWorkers() noexcept;

// In-process tests start and stop the shell many times in one process.
void resetWorkerStopForTests() noexcept;

}  // namespace tovalux
