// Every window procedure we install on a host window goes through this registry, so that
// shut-down can put each one back and a window that dies takes its entry with it.
//
// A subclass procedure of ours is one line:
//
//   LRESULT CALLBACK pageProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
//     return runSubclass(&pageProc, &handlePageMessage, w, m, wp, lp);
//   }
//
// runSubclass forwards everything to the procedure we replaced while the shell is not running
// (closed: our code must not touch the toolkit any more), runs the handler behind the exception
// barrier otherwise, and at WM_NCDESTROY forwards the message and drops the entry after putting
// the previous procedure back. Messages after WM_DESTROY therefore still reach the window's own
// procedure, and no entry is ever removed under a live window.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tovalux {

// One message as a subclass handler sees it; forward() passes it (or a changed copy) on to the
// procedure we replaced, once.
class SubclassCall {
 public:
  SubclassCall(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous)
      : window(window), message(message), wParam(wParam), lParam(lParam), previous_(previous) {}

  LRESULT forward() { return forward(message, wParam, lParam); }
  LRESULT forward(UINT msg, WPARAM wp, LPARAM lp) {
    forwarded_ = true;
    return CallWindowProcA(previous_, window, msg, wp, lp);
  }
  bool forwarded() const { return forwarded_; }
  WNDPROC previous() const { return previous_; }

  const HWND window;
  const UINT message;
  const WPARAM wParam;
  const LPARAM lParam;

 private:
  WNDPROC previous_;
  bool forwarded_ = false;
};

using SubclassHandler = LRESULT (*)(SubclassCall& call);

// Installs `procedure` on `window` and records the procedure it replaces. False when the window
// is gone, already carries this procedure, or SetWindowLongPtrA fails. Pins the module.
bool subclassWindow(HWND window, WNDPROC procedure);

// The procedure `procedure` replaced on `window`; null when it is not ours there.
WNDPROC previousProcedure(HWND window, WNDPROC procedure);
bool isSubclassed(HWND window, WNDPROC procedure);

// Puts back the previous procedure of every window where ours is still the current one and
// drops those entries. A window someone subclassed after us keeps its entry and stays a
// pass-through. Answers how many entries are left.
size_t restoreSubclasses();
size_t subclassCount();

LRESULT runSubclass(WNDPROC self, SubclassHandler handler, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) noexcept;

}  // namespace tovalux
