// XC_CallUiThread: runs a function on the UI thread and answers its result.
//
// On the UI thread the function runs at once. Another thread queues a job, wakes the UI
// thread with a notify message to a hidden message-only window (sent messages are served by
// every kind of message retrieval: the host's loop, modal loops, PeekMessage with any filter
// and MsgWaitForMultipleObjects waits), and waits for the job's own event or the toolkit's
// exit event. Jobs run in the order they were queued, so one thread's calls keep their order.
// At XExitXCGUI every waiting caller is released with 0 and later calls answer 0 at once:
// a thread that outlives the toolkit never hangs on it.
#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>

#include "base/guard.h"
#include "base/win32_handles.h"
#include "toolkit/win32/backend.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::tk::win32 {

namespace {

constexpr UINT kRunJobs = WM_APP + 1;

struct Job {
  int (*fn)(void*);
  void* data;
  int result = 0;
  UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// One per XInitXCGUI; callers hold it while they wait, so its events outlive the toolkit.
struct CallState {
  DWORD uiThread = 0;
  HWND window = nullptr;
  UniqueHandle exited{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::mutex lock;
  std::deque<std::shared_ptr<Job>> jobs;
  bool open = true;
};

std::mutex gStateLock;
std::shared_ptr<CallState> gState;

std::shared_ptr<CallState> currentState() {
  std::lock_guard guard(gStateLock);
  return gState;
}

void runJobs(CallState& state) {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::lock_guard guard(state.lock);
      if (!state.open || state.jobs.empty()) return;
      job = std::move(state.jobs.front());
      state.jobs.pop_front();
    }
    job->result = guarded(
        GuardSite::kToolkit, [&] { return job->fn(job->data); }, 0);
    SetEvent(job->done.get());
  }
}

LRESULT CALLBACK callWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunJobs) {
    guarded(GuardSite::kToolkit, [&] {
      if (auto state = currentState(); state != nullptr && state->window == hwnd) runJobs(*state);
    });
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool startUiCalls() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = callWindowProc;
  wc.hInstance = moduleInstance();
  wc.lpszClassName = kCallClass;
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(wc.hInstance, kCallClass, &existing) && RegisterClassExW(&wc) == 0) return false;
  auto state = std::make_shared<CallState>();
  state->uiThread = GetCurrentThreadId();
  state->window = CreateWindowExW(0, kCallClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, moduleInstance(), nullptr);
  if (state->window == nullptr || !state->exited) {
    if (state->window != nullptr) DestroyWindow(state->window);
    return false;
  }
  std::lock_guard guard(gStateLock);
  gState = std::move(state);
  return true;
}

void stopUiCalls() {
  std::shared_ptr<CallState> state;
  {
    std::lock_guard guard(gStateLock);
    state = std::move(gState);
  }
  if (state == nullptr) return;
  {
    std::lock_guard guard(state->lock);
    state->open = false;
    state->jobs.clear();
  }
  SetEvent(state->exited.get());
  DestroyWindow(state->window);
  UnregisterClassW(kCallClass, moduleInstance());
}

}  // namespace tovalux::tk::win32

using namespace tovalux::tk::win32;

int XC_CallUiThread(int (*fn)(void* data), void* data) {
  if (fn == nullptr) return 0;
  try {
    std::shared_ptr<CallState> state = currentState();
    if (state == nullptr) return 0;
    if (GetCurrentThreadId() == state->uiThread) return fn(data);
    auto job = std::make_shared<Job>();
    job->fn = fn;
    job->data = data;
    if (!job->done) return 0;
    {
      std::lock_guard guard(state->lock);
      if (!state->open) return 0;
      state->jobs.push_back(job);
    }
    if (!SendNotifyMessageW(state->window, kRunJobs, 0, 0)) {
      std::lock_guard guard(state->lock);
      std::erase(state->jobs, job);
      return 0;
    }
    HANDLE waits[2] = {job->done.get(), state->exited.get()};
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    // Done wins over exit when both are set: the function did run.
    if (woke == WAIT_OBJECT_0 || WaitForSingleObject(job->done.get(), 0) == WAIT_OBJECT_0) return job->result;
    return 0;
  } catch (...) {
    tovalux::detail::recordCurrentException(tovalux::GuardSite::kToolkit);
    return 0;
  }
}
