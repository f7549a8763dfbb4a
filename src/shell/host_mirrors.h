// The plug points between the hooks on the host (hooks/host) and the subsystems that act on what
// they see (codeview, panes, debugging, commands, the start page). All of them sit above the
// shell, so none includes another: this header, owned by the shell, is what they share with the
// Part contract (shell/part.h), through which each Part declares the slots and procedures it
// fills. Every registration is a typed function pointer (stored atomically, read from any
// thread); an empty one means "not built (yet)": the hook or procedure behind it passes the
// host's call through untouched.
//
// Mirror slots. The SendMessageA router recognises a host control and a message and calls the
// slot of that control (and then its second consumer's, where the table names one). It never
// hands a slot a pointer of the host's: the text and the item fields the message carries are
// copied into HostMessage (a callback or null text, a mask without the text flag, or item data of
// a list without strings give no text). A slot always runs on the UI thread: when the host sends
// from another thread, the router copies the message and hands it over through the UI job queue.
// Sends made from inside a slot pass straight through the router.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "host/host_control_table.h"

namespace tovalux {

// The slots: one per host control a pane mirrors, and the second consumers, as the host-control
// table (host/host_control_table.h) lists them with the messages the router watches for each.
using HostMirror = MirrorSlot;

// TVM_INSERTITEMA: the fields of the host's TVINSERTSTRUCTA, copied.
struct HostTreeInsert {
  HTREEITEM parent = nullptr;
  HTREEITEM insertAfter = nullptr;
  UINT mask = 0;
  int image = 0;
  int selectedImage = 0;
  LPARAM param = 0;
};

// LVM_INSERTITEMA / LVM_SETITEMA: the fields of the host's LVITEMA, copied.
struct HostListItem {
  UINT mask = 0;
  int item = 0;
  int subItem = 0;
};

// One observed send. For a row that passes the message on first, `answer` is the host control's
// own answer (the new HTREEITEM of an insert, for example) and `passedThrough` is true; for a row
// that mirrors first, the slot runs before the control sees the message. `lParam` is a number
// only: the host's memory behind it may be gone by the time a handed-over slot runs.
struct HostMessage {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT answer = 0;
  bool passedThrough = false;
  bool hasText = false;
  std::string text;  // GBK, as the host gave it (a window text with the 50,000-byte rule)
  HostTreeInsert treeInsert;
  HostListItem listItem;
};

using MirrorHandler = void (*)(const HostMessage& message);

void setHostMirror(HostMirror slot, MirrorHandler handler);
MirrorHandler hostMirror(HostMirror slot);
// Shut-down and tests: every mirror slot empty again.
void clearHostMirrors();

// --- procedures on host windows --------------------------------------------------------------
//
// Window procedures the hooks install on host windows as the host makes them. Each is written
// with runSubclass (host/subclasses.h) and finds the procedure it replaced with
// previousProcedure(window, itself): the subclass registry is the map of previous procedures.
// The Parts declare them; start-up registers every one before any Part is built.
enum class HostProcedure : uint8_t {
  kMdiClient,      // codeview: the MDI client, subclassed when the hooks are installed
  kCodeView,       // codeview: every code view as the host creates it (creation rule 7)
  kToolboxButton,  // panes: every toolbox group button as the host creates it (creation rule 6)
  kStartPageLink,  // start page: the links "新建", "打开...", "最近" and "清空" (creation rule 1)
  kCount
};
void setHostProcedure(HostProcedure slot, WNDPROC procedure);
WNDPROC hostProcedure(HostProcedure slot);

// The captions the start-page links were created with (creation rule 1 stores them; the link
// procedure paints them). Empty for a window that is not such a link. Emptied at shut-down.
void setLinkCaption(HWND link, std::string_view caption);
std::string linkCaption(HWND link);
// The window-designer pages (the code-page tabs fill and read it). Emptied at shut-down.
void addDesignerPage(HWND page);
void removeDesignerPage(HWND page);
bool isDesignerPage(HWND page);
// Shut-down: both tables above empty.
void clearHostWindowTables();

// --- the start page (the start page's Part offers them: Peers::startPage, shell/part.h) -------
struct StartPageHooks {
  // Creation rule 1, on the creating thread, once the "清空" link exists: start the watcher
  // (through startWorker, so its handle is closed and shut-down waits for it).
  void (*clearLinkCreated)(HWND link) = nullptr;
  // Creation rule 3, on the UI thread: cover the host's 400 x 280 window with the splash.
  void (*coverSplash)(HWND window) = nullptr;
  // Main-window message 99999, on the UI thread, COM initialised for the call: attach to the
  // document of the web view under `shellEmbedding` and read its readiness once, never waiting
  // (the page loads through this thread's messages); true when the request is settled (styled,
  // given up or done before), false to be asked again. Not re-entered.
  bool (*injectStartPage)(HWND shellEmbedding) = nullptr;
};

// --- debugging (the debugging Part offers them: Peers::debugHooks, shell/part.h) --------------
//
// The three hooks on the host's debugger thread run their rules through these; the hooks pass
// the call through, keep the host's last error and never run a rule once the shell is closed.
struct CreateProcessCall {
  LPCSTR applicationName;
  LPSTR commandLine;
  LPSECURITY_ATTRIBUTES processAttributes;
  LPSECURITY_ATTRIBUTES threadAttributes;
  BOOL inheritHandles;
  DWORD creationFlags;
  LPVOID environment;
  LPCSTR currentDirectory;
  LPSTARTUPINFOA startupInfo;
  LPPROCESS_INFORMATION processInformation;
  BOOL result;  // what CreateProcessA answered
};
struct DebugHookRules {
  // After CreateProcessA answered.
  void (*processCreated)(const CreateProcessCall& call) = nullptr;
  // Before WaitForDebugEvent waits, with the event the host's buffer still holds (never null).
  void (*beforeWaitForDebugEvent)(const DEBUG_EVENT& held, DWORD milliseconds) = nullptr;
  // Before DebugActiveProcessStop.
  void (*beforeDebugStop)(DWORD processId) = nullptr;
};

// The largest disassembly block (the sender's process id and the text) the host main window
// takes; the sender truncates its text to fit. Message 89963 hands the text of a block, copied
// out of it before the sender is answered, to the showDisassembly peer (UI thread).
inline constexpr uint32_t kDisassemblyBlockCap = 4u << 20;

}  // namespace tovalux
