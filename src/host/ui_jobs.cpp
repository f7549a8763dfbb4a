#include "host/ui_jobs.h"

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "base/guard.h"

namespace tovalux {
namespace {

constexpr UINT kDrainMessage = WM_APP + 0x71;
constexpr char kWindowClass[] = "TovaluxUiJobs";

struct Pending {
  UiJob job;
  uint32_t key;
};

// Beyond this many waiting jobs a new one is refused (and counted): the UI thread is far behind
// (or not serving at all), and a queue without a bound would take the process's memory.
constexpr size_t kMaxPendingJobs = 16384;

struct Queue {
  std::mutex lock;
  std::deque<Pending> jobs;
  size_t refused = 0;
  std::unordered_set<uint32_t> pendingKeys;
  HWND window = nullptr;
  DWORD uiThread = 0;
  bool open = false;
  bool wakePosted = false;
  HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // released waiters at close
};

Queue& queue() {
  static Queue* q = new Queue;  // never destroyed: a late thread may still post
  return *q;
}

// Runs the jobs that were queued when the drain began. A job that posts another (a fill that
// goes on in slices) lets the host's own messages run first: the wake message is posted again
// and goes behind them. `everything` (flushUiJobs) also runs what the jobs post.
void drain(bool everything = false) {
  Queue& q = queue();
  size_t budget;
  {
    std::lock_guard guard(q.lock);
    budget = q.jobs.size();
  }
  for (;;) {
    Pending next;
    HWND wake = nullptr;
    {
      std::lock_guard guard(q.lock);
      if (q.jobs.empty() || !q.open) {
        q.wakePosted = false;
        return;
      }
      if (budget == 0 && !everything) {
        wake = q.window;  // wakePosted stays set: posts until then need no wake of their own
      } else {
        if (budget > 0) --budget;
        next = std::move(q.jobs.front());
        q.jobs.pop_front();
        if (next.key != kNoCoalescing) q.pendingKeys.erase(next.key);
      }
    }
    if (wake != nullptr) {
      if (PostMessageA(wake, kDrainMessage, 0, 0)) return;
      everything = true;  // a full queue of the thread: better late than stranded
      continue;
    }
    guarded(GuardSite::kUiJob, [&] { next.job(); });
  }
}

LRESULT CALLBACK queueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDrainMessage) {
    drain();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool openUiJobs() {
  Queue& q = queue();
  std::lock_guard guard(q.lock);
  if (q.open) return true;
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &queueWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassA(&wc);
  }();
  if (!atom) return false;
  q.window =
      CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!q.window) return false;
  q.uiThread = GetCurrentThreadId();
  q.open = true;
  q.wakePosted = false;
  if (q.closed) ResetEvent(q.closed);
  return true;
}

void closeUiJobs() {
  Queue& q = queue();
  HWND window = nullptr;
  {
    std::lock_guard guard(q.lock);
    if (!q.open) return;
    q.open = false;
    q.jobs.clear();
    q.pendingKeys.clear();
    window = q.window;
    q.window = nullptr;
    if (q.closed) SetEvent(q.closed);
  }
  if (window) DestroyWindow(window);
}

bool uiJobsOpen() {
  Queue& q = queue();
  std::lock_guard guard(q.lock);
  return q.open;
}

bool onUiThread() {
  Queue& q = queue();
  std::lock_guard guard(q.lock);
  return q.open && q.uiThread == GetCurrentThreadId();
}

bool postUiJob(UiJob job, uint32_t coalescingKey) {
  if (!job) return false;
  Queue& q = queue();
  HWND wake = nullptr;
  {
    std::lock_guard guard(q.lock);
    if (!q.open) return false;
    if (coalescingKey != kNoCoalescing && q.pendingKeys.count(coalescingKey) != 0) return true;
    if (q.jobs.size() >= kMaxPendingJobs) {
      ++q.refused;
      return false;
    }
    if (coalescingKey != kNoCoalescing) q.pendingKeys.insert(coalescingKey);
    try {
      q.jobs.push_back({std::move(job), coalescingKey});
    } catch (...) {
      if (coalescingKey != kNoCoalescing) q.pendingKeys.erase(coalescingKey);
      return false;
    }
    if (!q.wakePosted) {
      q.wakePosted = true;
      wake = q.window;
    }
  }
  if (wake && !PostMessageA(wake, kDrainMessage, 0, 0)) {
    std::lock_guard guard(q.lock);
    q.wakePosted = false;
  }
  return true;
}

bool runOnUiThread(const UiJob& job, DWORD timeoutMs) {
  if (!job) return false;
  if (onUiThread()) {
    guarded(GuardSite::kUiJob, [&] { job(); });
    return true;
  }
  struct Done {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Done() {
      if (event) CloseHandle(event);
    }
  };
  auto done = std::make_shared<Done>();
  if (!done->event) return false;
  auto ran = std::make_shared<bool>(false);
  if (!postUiJob([job, done, ran] {
        struct Signal {
          HANDLE event;
          ~Signal() { SetEvent(event); }  // also when the job throws
        } signal{done->event};
        job();
        *ran = true;
      }))
    return false;
  HANDLE handles[] = {done->event, queue().closed};
  const DWORD waited = WaitForMultipleObjects(2, handles, FALSE, timeoutMs);
  return waited == WAIT_OBJECT_0 && *ran;
}

void flushUiJobs() {
  if (onUiThread()) drain(true);
}

size_t pendingUiJobs() {
  Queue& q = queue();
  std::lock_guard guard(q.lock);
  return q.jobs.size();
}

size_t refusedUiJobs() {
  Queue& q = queue();
  std::lock_guard guard(q.lock);
  return q.refused;
}

}  // namespace tovalux
