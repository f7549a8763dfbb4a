#include "base/workers.h"

#include <atomic>
#include <memory>

#include "base/guard.h"
#include "base/module_pin.h"

namespace tovalux {
namespace {

std::atomic<uint32_t> gRunning{0};
std::atomic<uint32_t> gStarted{0};
std::atomic<bool> gStopRequested{false};

HANDLE stopEvent() {
  // Made once and never closed: a worker may hold it in a wait at any time.
  static HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return event;
}

DWORD WINAPI workerEntry(void* parameter) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  guarded(GuardSite::kWorker, [&] { (*body)(); });
  body.reset();
  gRunning.fetch_sub(1);
  return 0;
}

}  // namespace

bool startWorker(std::function<void()> body) noexcept {
  if (gStopRequested.load() || !body) return false;
  pinThisModule();
  std::function<void()>* parameter = nullptr;
  try {
    parameter = new std::function<void()>(std::move(body));
  } catch (...) {
    return false;
  }
  gRunning.fetch_add(1);
  HANDLE thread = CreateThread(nullptr, 0, &workerEntry, parameter, 0, nullptr);
  if (!thread) {
    gRunning.fetch_sub(1);
    delete parameter;
    return false;
  }
  CloseHandle(thread);
  gStarted.fetch_add(1);
  return true;
}

bool workerStopRequested() noexcept { return gStopRequested.load(); }

bool waitForWorkerStop(DWORD milliseconds) noexcept {
  if (gStopRequested.load()) return true;
  HANDLE event = stopEvent();
  if (!event) {
    Sleep(milliseconds);
    return gStopRequested.load();
  }
  return WaitForSingleObject(event, milliseconds) == WAIT_OBJECT_0 || gStopRequested.load();
}

HANDLE workerStopEvent() noexcept { return stopEvent(); }

void requestWorkerStop() noexcept {
  gStopRequested.store(true);
  if (HANDLE event = stopEvent()) SetEvent(event);
}

bool waitForWorkers(DWORD milliseconds) noexcept {
  const DWORD start = GetTickCount();
  while (gRunning.load() != 0) {
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(1);
  }
  return true;
}

uint32_t runningWorkers() noexcept { return gRunning.load(); }
uint32_t startedWorkers() noexcept { return gStarted.load(); }

void resetWorkerStopForTests() noexcept {
  gStopRequested.store(false);
  if (HANDLE event = stopEvent()) ResetEvent(event);
}

}  // namespace tovalux
