// The procedures on the host main window and its main tool bar. The main window is the one
// window everything can address without knowing the shell: it receives our private messages
// (start-page injection, module list changed, disassembly text, re-fit) and a few host messages
// the shell follows. Everything not handled goes on to the host's own procedure; through
// runSubclass, everything goes there untouched once the shell is closed.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "base/diagnostics.h"
#include "base/gbk.h"
#include "base/last_error.h"
#include "hooks/host/hook_rules.h"
#include "hooks/host/host_hooks.h"
#include "host/host_memory.h"
#include "hooks/host/hooks_internal.h"
#include "host/host_protocol.h"
#include "host/host_text.h"
#include "host/host_windows.h"
#include "host/subclasses.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "toolkit/xcgui.h"

namespace tovalux {
namespace {

using namespace hostrules;

// Row 1 runs on the UI thread; the pump inside it may deliver the watcher's next request.
std::atomic<bool> gInjecting{false};

void pumpPendingOnce() {
  MSG message;
  for (int served = 0; served < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++served) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The window a 99999 names must be of this process and lie under one of the host's MDI pages
// (the start page is one): any program can send the message, and the request talks COM to the
// first web view it finds below the window and runs our script in its page.
bool underHostPage(HWND window) {
  if (window == nullptr || !IsWindow(window)) return false;
  DWORD process = 0;
  if (!GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId()) return false;
  HWND mdiClient = hostWindows().mdiClient();
  if (mdiClient == nullptr) return false;
  HWND child = window;
  for (int depth = 0; depth < 64 && child != nullptr; ++depth) {
    HWND parent = GetAncestor(child, GA_PARENT);
    if (parent == mdiClient) return child != window;  // `child` is the page, `window` lies under it
    child = parent;
  }
  return false;
}

std::atomic<bool> gStartPageRefusalLogged{false};

}  // namespace

void detail::forgetStartPageRefusals() { gStartPageRefusalLogged.store(false); }

namespace {

// Row 1 (99999): attach to the start page's document and start the injection. COM is initialised
// for this message only, and balanced only when it was.
LRESULT injectStartPage(HWND shellEmbedding) {
  const auto inject = peers().startPage.injectStartPage;
  if (inject == nullptr) return 0;
  if (!underHostPage(shellEmbedding)) {
    ++detail::counters().startPageRefused;
    if (!gStartPageRefusalLogged.exchange(true))
      logToNotepad("99999: " + std::to_string(reinterpret_cast<uintptr_t>(shellEmbedding)) +
                   " 不是本进程起始页中的窗口, 已拒绝");
    return 0;
  }
  bool expected = false;
  if (!gInjecting.compare_exchange_strong(expected, true)) return 0;  // the watcher asks again later
  const HRESULT com = CoInitialize(nullptr);
  const bool attached = inject(shellEmbedding);
  if (attached) pumpPendingOnce();
  if (SUCCEEDED(com)) CoUninitialize();
  gInjecting.store(false);
  return attached ? 1 : 0;
}

// The debugged program is still the process that was started for the run: a handle of our own,
// opened when its id is first seen, still unsignalled. An id the system gave again to another
// process after the program ended is not the run's.
bool debuggedProgramRunning(uint32_t processId) {
  static std::mutex lock;
  static uint32_t seen = 0;
  static HANDLE process = nullptr;
  std::lock_guard guard(lock);
  if (seen != processId) {
    if (process) CloseHandle(process);
    process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    seen = processId;
  }
  // Without a handle (no right to one) the id and the run decide, as before.
  return process == nullptr || WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

std::atomic<bool> gBlockInFlight{false};

// Row 4 (89963): a block written into our process by the debugged program, which waits in
// SendMessageA until we answer. Only while a debugging run is active; the process id is read
// first, and the text is copied (and terminated) only for the program that run debugs, while it
// still runs, and only within the shared cap. Reads go through ReadProcessMemory, which fails
// cleanly on memory that is not there. One block at a time: one that comes while another is
// being read (a nested send) is dropped and counted; the pane queues what comes while it fills.
void showDisassemblyBlock(WPARAM address, LPARAM length) {
  auto& counts = detail::counters();
  const uint32_t debugged = debuggedProcessId();
  if (!debugging() || debugged == 0 || !blockLengthAccepted(length, kDisassemblyBlockCap)) {
    ++counts.disassemblyRefused;
    return;
  }
  if (gBlockInFlight.exchange(true)) {
    ++counts.disassemblyDropped;
    return;
  }
  struct InFlight {
    ~InFlight() { gBlockInFlight.store(false); }
  } inFlight;
  const auto* block = reinterpret_cast<const uint8_t*>(address);
  uint32_t sender = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(GetCurrentProcess(), block, &sender, sizeof sender, &read) || read != sizeof sender ||
      sender != debugged || !debuggedProgramRunning(debugged)) {
    ++counts.disassemblyRefused;
    return;
  }
  std::string text(static_cast<size_t>(length) - 4, '\0');  // std::string adds the terminating NUL
  if (!text.empty() &&
      (!ReadProcessMemory(GetCurrentProcess(), block + 4, text.data(), text.size(), &read) || read != text.size())) {
    ++counts.disassemblyRefused;
    return;
  }
  const auto show = peers().showDisassembly;
  if (show == nullptr) return;
  show(text);
  ++counts.disassemblyShown;
}

// Row 3 (0x362): the host changed its caption; the frame shows it and the tool bar follows.
void followHostCaption(HWND host) {
  if (!shellExists()) return;
  const std::string title(frameTitle(windowTextCapped(host, kFrameTitleBytes)));
  const HXCGUI caption = frameElement("winTitle");
  if (XC_GetObjectType(caption) == XC_SHAPE_TEXT) {
    XShapeText_SetText(caption, gbkToUtf16<XChar>(title).c_str());
    XShape_Redraw(caption);
  }
  if (HWND frame = shellFrameHwnd()) SetWindowTextA(frame, title.c_str());
  if (const auto sync = peers().syncToolBarState) sync();
}

// Row 8 (WM_EXITSIZEMOVE): the code view's background goes transparent after a move.
void afterSizeMove(void* sink) {
  logToNotepadSink(sink, kExitSizeMoveLine);
  const HXCGUI view = frameElement("codeMainView");
  if (view != 0 && !XEle_IsBkTransparent(view)) {
    XEle_EnableBkTransparent(view, true);
    XEle_RedrawEle(view, false);
  }
}

int32_t signed32(uintptr_t value) { return static_cast<int32_t>(value); }

LRESULT handleMainMessage(SubclassCall& call) {
  const UINT message = call.message;
  switch (message) {
    case kStartPageInjectMessage: return injectStartPage(reinterpret_cast<HWND>(call.wParam));
    case kDisasmTextMessage: {
      LastErrorGuard keep;
      showDisassemblyBlock(call.wParam, call.lParam);
      return 0;
    }
    default: break;
  }
  {
    LastErrorGuard keep;
    switch (message) {
      case kModulesChangedMessage:
        if (call.wParam == 1 && call.lParam == 1) {
          // The sink is looked up once; a line is made only when someone reads it.
          if (void* sink = notepadLogSink()) logToNotepadSink(sink, moduleReloadLine(handleValue(call.window)));
          if (const auto reload = peers().reloadModules) reload();
        }
        break;
      case kStatusLineMessage: followHostCaption(call.window); break;
      case WM_NOTIFY:
        if (void* sink = notepadLogSink()) {
          if (const auto header = readHostRecord<NMHDR>(reinterpret_cast<const void*>(call.lParam)))
            logToNotepadSink(sink, notifyLine(signed32(header->idFrom), static_cast<int32_t>(header->code),
                                              handleValue(header->hwndFrom)));
        }
        break;
      case WM_PAINT:
      case kHostRefitMessage: syncHostWindow(); break;
      case WM_COMMAND:
        if (void* sink = notepadLogSink())
          logToNotepadSink(sink, commandLine(signed32(call.wParam), signed32(static_cast<uintptr_t>(call.lParam))));
        break;
      case WM_EXITSIZEMOVE: afterSizeMove(notepadLogSink()); break;
      default: break;
    }
  }
  return call.forward();
}

LRESULT handleToolBarMessage(SubclassCall& call) {
  // The host shows its tool bar: it is asked (posted, not sent) to run its own command 0x80C3.
  if (call.message == WM_SHOWWINDOW && call.wParam == 1) {
    LastErrorGuard keep;
    if (HWND main = hostWindows().mainWindow()) PostMessageA(main, WM_COMMAND, kShowToolBarCommand, 0);
  }
  return call.forward();
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&mainWindowProc, &handleMainMessage, window, message, wParam, lParam);
}

LRESULT CALLBACK toolBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&toolBarProc, &handleToolBarMessage, window, message, wParam, lParam);
}

}  // namespace tovalux
