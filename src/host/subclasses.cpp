#include "host/subclasses.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "base/guard.h"
#include "base/module_pin.h"
#include "host/shell_state.h"

namespace tovalux {
namespace {

struct Entry {
  WNDPROC ours;
  WNDPROC previous;
};

std::mutex gLock;
std::unordered_map<HWND, std::vector<Entry>> gEntries;

WNDPROC currentProcedure(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

WNDPROC findPrevious(HWND window, WNDPROC ours) {
  std::lock_guard guard(gLock);
  auto it = gEntries.find(window);
  if (it == gEntries.end()) return nullptr;
  for (const Entry& e : it->second)
    if (e.ours == ours) return e.previous;
  return nullptr;
}

// Drops our entry for `window`; puts the previous procedure back when ours is still current.
void release(HWND window, WNDPROC ours) {
  std::lock_guard guard(gLock);
  auto it = gEntries.find(window);
  if (it == gEntries.end()) return;
  auto& list = it->second;
  auto e = std::find_if(list.begin(), list.end(), [&](const Entry& x) { return x.ours == ours; });
  if (e == list.end()) return;
  if (currentProcedure(window) == ours)
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(e->previous));
  list.erase(e);
  if (list.empty()) gEntries.erase(it);
}

}  // namespace

bool subclassWindow(HWND window, WNDPROC procedure) {
  if (!IsWindow(window) || !procedure) return false;
  std::lock_guard guard(gLock);
  auto& list = gEntries[window];
  for (const Entry& e : list)
    if (e.ours == procedure) return false;
  SetLastError(0);
  const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  if (previous == 0 && GetLastError() != 0) {
    if (list.empty()) gEntries.erase(window);
    return false;
  }
  list.push_back({procedure, reinterpret_cast<WNDPROC>(previous)});
  // A host window now runs our code: the module must stay mapped whatever the host unloads.
  pinThisModule();
  return true;
}

WNDPROC previousProcedure(HWND window, WNDPROC procedure) { return findPrevious(window, procedure); }

bool isSubclassed(HWND window, WNDPROC procedure) { return findPrevious(window, procedure) != nullptr; }

size_t restoreSubclasses() {
  std::lock_guard guard(gLock);
  size_t left = 0;
  for (auto it = gEntries.begin(); it != gEntries.end();) {
    auto& list = it->second;
    // Newest first: a window we subclassed twice unwinds in the reverse order.
    for (size_t i = list.size(); i-- > 0;) {
      const HWND window = it->first;
      if (!IsWindow(window)) {
        list.erase(list.begin() + static_cast<ptrdiff_t>(i));
      } else if (currentProcedure(window) == list[i].ours) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(list[i].previous));
        list.erase(list.begin() + static_cast<ptrdiff_t>(i));
      }
    }
    left += list.size();
    it = list.empty() ? gEntries.erase(it) : std::next(it);
  }
  return left;
}

size_t subclassCount() {
  std::lock_guard guard(gLock);
  size_t n = 0;
  for (const auto& [window, list] : gEntries) n += list.size();
  return n;
}

LRESULT runSubclass(WNDPROC self, SubclassHandler handler, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) noexcept {
  const WNDPROC previous = findPrevious(window, self);
  if (!previous) return DefWindowProcA(window, message, wParam, lParam);
  SubclassCall call(window, message, wParam, lParam, previous);
  LRESULT result = 0;
  if (shellRunning()) {
    bool completed = false;
    result = guarded(GuardSite::kWindowProcedure, [&] {
      const LRESULT answer = handler(call);
      completed = true;
      return answer;
    });
    // A handler that failed before passing the message on must not swallow the host's own
    // handling; the window's own procedure always sees WM_NCDESTROY.
    if (!call.forwarded() && (!completed || message == WM_NCDESTROY)) result = call.forward();
  } else {
    result = call.forward();
  }
  if (message == WM_NCDESTROY) release(window, self);
  return result;
}

}  // namespace tovalux
