// Plays, for these tests, the part the host hooks play in the plug-in: the MDI client's and
// every new code view's procedure installed from the plug points, and CB_SETCURSEL on 629/630
// told to the mirror slots after the combo had it (router rows 1 and 2). It does what the hooks
// do and no more, through the same registrations, so the code view companions meet the calls
// they meet under the real hooks. When the hooks are installed themselves it stays out of the way.
#pragma once

#include <windows.h>

#include "host/subclasses.h"
#include "shell/host_mirrors.h"
#include "standin_host.h"

namespace tovalux::testing {

class RouterStandIn {
 public:
  // Start-up step 17's subclass of the MDI client.
  void install(standin::Host& host) {
    const WNDPROC client = hostProcedure(HostProcedure::kMdiClient);
    if (client != nullptr && !isSubclassed(host.tree().mdiClient, client))
      subclassWindow(host.tree().mdiClient, client);
    unit_ = host.tree().unitCombo;
    member_ = host.tree().memberCombo;
    unitOriginal_ = swap(unit_, &unitProcedure);
    memberOriginal_ = swap(member_, &memberProcedure);
  }

  // Creation rule 7 on a page made while the hooks run: the windows whose parent is the page's
  // 0xE900 view (the code view, the scroll bars, a designer surface).
  void pageMade(const standin::PageRecord& page) {
    const WNDPROC view = hostProcedure(HostProcedure::kCodeView);
    if (view == nullptr || page.mainView == nullptr) return;
    for (HWND child = GetWindow(page.mainView, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      if (!isSubclassed(child, view)) subclassWindow(child, view);
  }

  void uninstall() {
    if (IsWindow(unit_) && unitOriginal_)
      SetWindowLongPtrA(unit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(unitOriginal_));
    if (IsWindow(member_) && memberOriginal_)
      SetWindowLongPtrA(member_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(memberOriginal_));
    unitOriginal_ = memberOriginal_ = nullptr;
  }

  ~RouterStandIn() { uninstall(); }

 private:
  static WNDPROC swap(HWND window, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  }

  // First: the combo has the message, then the mirror runs; a send made from inside the mirror
  // passes straight through.
  static LRESULT route(WNDPROC original, HostMirror slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT answer = CallWindowProcA(original, window, message, wParam, lParam);
    static int depth = 0;
    if (message != CB_SETCURSEL || depth > 0) return answer;
    if (const MirrorHandler mirror = hostMirror(slot)) {
      ++depth;
      HostMessage observed{};
      observed.window = window;
      observed.message = message;
      observed.wParam = wParam;
      observed.lParam = lParam;
      observed.answer = answer;
      observed.passedThrough = true;
      mirror(observed);
      --depth;
    }
    return answer;
  }
  static LRESULT CALLBACK unitProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return route(unitOriginal_, HostMirror::kUnitCombo, w, m, wp, lp);
  }
  static LRESULT CALLBACK memberProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return route(memberOriginal_, HostMirror::kMemberCombo, w, m, wp, lp);
  }

  HWND unit_ = nullptr, member_ = nullptr;
  static inline WNDPROC unitOriginal_ = nullptr;
  static inline WNDPROC memberOriginal_ = nullptr;
};

}  // namespace tovalux::testing
