// The hooks on the host's API and the subclasses of its main window and main tool bar.
//
// installHostHooks (start-up, after the frame exists, on the UI thread) subclasses the host main
// window, its main tool bar and (with codeview's procedure) the MDI client, then installs the
// hooks of hostrules::kHostHooks in order: 1 to 8 always, 9 to 11 when "CodeTip" is true, 12
// when the property-grid font setting is above 0. removeHostHooks (shut-down, once the shell is
// closed) removes 1 to 5 and 9 to 11 and empties the window tables; 6, 7, 8 and 12 stay and pass
// every call through while the shell is not running, as does every subclass the registry could
// not put back. Everything that reaches into the host keeps its last error, runs behind the
// exception barrier and never acts while the shell is not running.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tovalux {

void installHostHooks();
void removeHostHooks();

struct Part;
// The hooks' Part: installHostHooks, and at shut-down removeHostHooks followed by every subclass
// of a host window put back (host/subclasses.h). Built after the procedures are registered and
// before the panes (shell/part.h).
extern const Part kHostHooksPart;

// The hooks by number minus one (the order of hostrules::kHostHooks).
enum class HostHook : uint8_t {
  kGetClientRect,
  kSendMessageA,
  kLoadBitmapA,
  kSetBkColor,
  kCreateWindowExA,
  kCreateProcessA,
  kWaitForDebugEvent,
  kDebugActiveProcessStop,
  kTextOutA,
  kSetTextColor,
  kGetSysColor,
  kSelectObject,
  kCount
};
bool hostHookInstalled(HostHook hook);

// The host main window's and main tool bar's procedures (installed by installHostHooks).
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK toolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the hooks did, for tests and benchmarks.
struct HostHookCounters {
  uint32_t routedMessages = 0;      // sends that matched a row
  uint32_t mirrorCalls = 0;         // slot calls (direct or handed over)
  uint32_t handedOver = 0;          // of those, copied and run on the UI thread later
  uint32_t nestedPassThrough = 0;   // watched sends made from inside our own work
  uint32_t gridFontsCreated = 0;    // property-grid fonts made (one, or one more after it died)
  uint32_t completionStrips = 0;    // icon strips made under completion lists
  uint32_t disassemblyShown = 0;    // blocks handed to the disassembly pane
  uint32_t disassemblyRefused = 0;  // 89963 blocks answered 0 without showing anything
  uint32_t handOversDropped = 0;    // other threads' sends whose copy was dropped (too many waiting)
  uint32_t disassemblyDropped = 0;  // 89963 blocks that came while one was being read (dropped)
  uint32_t startPageRefused = 0;    // 99999 requests naming a window that is not our start page's
};
HostHookCounters hostHookCounters();
void resetHostHookCountersForTests();

}  // namespace tovalux
