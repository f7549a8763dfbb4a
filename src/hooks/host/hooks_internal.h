// What the files of the host hooks share: the hook objects, the per-thread depth of our own work,
// the counters and the pieces the router and the main-window procedure call.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "hooks/engine/api_hook.h"
#include "hooks/host/host_hooks.h"
#include "hooks/host/router_rules.h"

namespace tovalux::detail {

ApiHook& hookOf(HostHook hook);

template <class Function>
Function original(HostHook hook) {
  return hookOf(hook).original<Function>();
}

// Our own work on this thread (a mirror, a rule's reads) is under way: a watched send made from
// inside it passes straight through. The depth lives in a TLS slot (TlsGetValue clears the last
// error: use it under a LastErrorGuard).
class OwnWork {
 public:
  OwnWork();
  ~OwnWork();
  OwnWork(const OwnWork&) = delete;
  OwnWork& operator=(const OwnWork&) = delete;
  static bool active();
};

struct Counters {
  std::atomic<uint32_t> routedMessages{0}, mirrorCalls{0}, handedOver{0}, nestedPassThrough{0}, gridFontsCreated{0},
      completionStrips{0}, disassemblyShown{0}, disassemblyRefused{0}, handOversDropped{0}, disassemblyDropped{0},
      startPageRefused{0};
};
Counters& counters();

// The SendMessageA replacement (router.cpp).
LRESULT WINAPI routedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Row 6: restyle the completion list (UI thread).
void restyleCompletionList(HWND list);
// Shut-down: forget the lists that got a strip.
void forgetCompletionStrips();

// Row 7: the tab strip selected tab `index`; bring the matching pane forward.
void bringOutputPane(HWND tabs, WPARAM index);

// GetClientRect's record of which windows are code pages (replacements.cpp).
void forgetPageCache();
// A new shell logs its first refused start-page injection again.
void forgetStartPageRefusals();
void forgetPage(HWND window);

}  // namespace tovalux::detail
