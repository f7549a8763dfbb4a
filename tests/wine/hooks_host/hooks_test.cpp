#include "hooks_test.h"

#include <commctrl.h>

#include "common/win32_support.h"
#include "hooks/host/hooks_internal.h"
#include "host/subclasses.h"
#include "lifecycle/lifecycle.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "toolkit/xcgui.h"

namespace tovalux::testing {
namespace {

long controlCount(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  const std::string kind = name;
  if (kind == "SysTreeView32") return static_cast<long>(SendMessageA(window, TVM_GETCOUNT, 0, 0));
  if (kind == "ListBox") return static_cast<long>(SendMessageA(window, LB_GETCOUNT, 0, 0));
  if (kind == "ComboBox") return static_cast<long>(SendMessageA(window, CB_GETCOUNT, 0, 0));
  if (kind == "SysListView32") return static_cast<long>(SendMessageA(window, LVM_GETITEMCOUNT, 0, 0));
  if (kind == "Edit") return static_cast<long>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  return -1;
}

template <HostMirror Slot>
void recordingMirror(const HostMessage& message) {
  SlotCall call;
  call.slot = Slot;
  call.message = message;
  call.thread = GetCurrentThreadId();
  call.countAtCall = controlCount(message.window);
  SlotRecorder& recorder = SlotRecorder::instance();
  recorder.add(call);
  if (auto action = recorder.action(Slot)) action(message);
}

template <size_t... I>
void plugAll(std::index_sequence<I...>) {
  (setHostMirror(static_cast<HostMirror>(I), &recordingMirror<static_cast<HostMirror>(I)>), ...);
}

void watcherStarted(HWND link) { plugPointLog().watchersStarted.push_back(link); }
void splashCovered(HWND window) {
  plugPointLog().splashes.push_back(window);
  plugPointLog().splashThreads.push_back(GetCurrentThreadId());
}
void disassemblyShown(std::string_view text) { plugPointLog().disassembly.emplace_back(text); }
void modulesReloaded() { ++plugPointLog().moduleReloads; }
void toolBarSynced() { ++plugPointLog().toolBarSyncs; }

void createFolder(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
}

}  // namespace

SlotRecorder& SlotRecorder::instance() {
  static SlotRecorder recorder;
  return recorder;
}

void SlotRecorder::clear() {
  std::lock_guard guard(lock_);
  calls_.clear();
  for (auto& a : actions_) a = nullptr;
}

void SlotRecorder::add(SlotCall call) {
  std::lock_guard guard(lock_);
  calls_.push_back(std::move(call));
}

std::vector<SlotCall> SlotRecorder::calls() const {
  std::lock_guard guard(lock_);
  return calls_;
}

std::vector<SlotCall> SlotRecorder::callsOf(HostMirror slot) const {
  std::lock_guard guard(lock_);
  std::vector<SlotCall> out;
  for (const SlotCall& call : calls_)
    if (call.slot == slot) out.push_back(call);
  return out;
}

void SlotRecorder::setAction(HostMirror slot, void (*action)(const HostMessage&)) {
  std::lock_guard guard(lock_);
  actions_[static_cast<size_t>(slot)] = action;
}

void (*SlotRecorder::action(HostMirror slot) const)(const HostMessage&) {
  std::lock_guard guard(lock_);
  return actions_[static_cast<size_t>(slot)];
}

void plugRecordingMirrors() { plugAll(std::make_index_sequence<static_cast<size_t>(HostMirror::kCount)>{}); }

PlugPointLog& plugPointLog() {
  static PlugPointLog log;
  return log;
}

LRESULT CALLBACK testCodeViewProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return runSubclass(
      &testCodeViewProc, [](SubclassCall& c) { return c.forward(); }, w, m, wp, lp);
}
LRESULT CALLBACK testToolboxButtonProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return runSubclass(
      &testToolboxButtonProc, [](SubclassCall& c) { return c.forward(); }, w, m, wp, lp);
}
LRESULT CALLBACK testMdiClientProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return runSubclass(
      &testMdiClientProc, [](SubclassCall& c) { return c.forward(); }, w, m, wp, lp);
}
LRESULT CALLBACK testLinkProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return runSubclass(
      &testLinkProc, [](SubclassCall& c) { return c.forward(); }, w, m, wp, lp);
}

void HooksTest::start(HookSettings settings) {
  // Each test starts a shell of its own: the state machine is put back after every fixture.
  HostFixture::setAfterTeardown([] { resetLifecycleForTests(); });
  host_.reset();
  resetLifecycleForTests();
  host_.emplace();
  // The theme's layouts and resources are read relative to the host's folder.
  SetCurrentDirectoryA(winePath(TOVALUX_HOST_DIR).c_str());
  createFolder(programDirectory() + "\\lib\\Tovalux");
  writeSetting(setting::kThemeSection, setting::kCodeTip, settings.codeTip ? "true" : "fasle");
  writeSetting(setting::kThemeSection, setting::kCodeTree, settings.codeTree ? "TRUE" : "fasle");
  writeSetting(setting::kChangeSection, setting::kPropertyGridFont, std::to_string(settings.gridFont));

  SlotRecorder::instance().clear();
  plugPointLog() = {};
  resetHostHookCountersForTests();

  ASSERT_EQ(host_->startShell(), 1);
  ASSERT_TRUE(shellExists());
  // Start-up plugs the commands' sync, the code view's and panes' procedures, the debugging
  // sinks in; the test's own count the calls and mark the windows made from now on (the MDI
  // client keeps the code view's procedure it got at start-up).
  setHostProcedure(HostProcedure::kMdiClient, &testMdiClientProc);
  setHostProcedure(HostProcedure::kCodeView, &testCodeViewProc);
  setHostProcedure(HostProcedure::kToolboxButton, &testToolboxButtonProc);
  setHostProcedure(HostProcedure::kStartPageLink, &testLinkProc);
  editPeersForTests([](Peers& peers) {
    peers.syncToolBarState = &toolBarSynced;
    peers.startPage = {.clearLinkCreated = &watcherStarted, .coverSplash = &splashCovered};
    peers.showDisassembly = &disassemblyShown;
    peers.reloadModules = &modulesReloaded;
  });
  plugRecordingMirrors();
}

void HooksTest::shutDown(bool restoreOnly) {
  if (restoreOnly)
    host_->restore();
  else
    host_->freeLibraryData();
}

std::optional<standin::JournalEntry> HooksTest::lastEntry(const std::string& kind, size_t since) {
  const auto all = host_->entries(kind, since);
  if (all.empty()) return std::nullopt;
  return all.back();
}

std::optional<standin::JournalEntry> HooksTest::paintStep(const std::string& step, size_t since) {
  std::optional<standin::JournalEntry> found;
  for (const auto& entry : host_->entries("paint", since))
    if (entry.get("step") == step) found = entry;
  return found;
}

BOOL unhookedGetClientRect(HWND window, RECT* rect) {
  return detail::original<decltype(&GetClientRect)>(HostHook::kGetClientRect)(window, rect);
}

LRESULT unhookedSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return detail::original<decltype(&SendMessageA)>(HostHook::kSendMessageA)(window, message, wParam, lParam);
}

HWND unhookedCreateWindow(const char* className, const char* title, DWORD style, int width, int height, HWND parent,
                          int id) {
  return detail::original<decltype(&CreateWindowExA)>(HostHook::kCreateWindowExA)(
      0, className, title, style, 0, 0, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      GetModuleHandleA(nullptr), nullptr);
}

std::string windowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

WNDPROC procedureOf(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

bool paneTabInFront(const std::string& title) {
  const HWINDOW frame = shellFrame();
  for (int i = 0; i < XWnd_GetChildCount(frame); ++i) {
    const HXCGUI bar = XWnd_GetChildByIndex(frame, i);
    if (!XC_IsHXCGUI(bar, XC_TABBAR)) continue;
    for (int b = 0; b < XEle_GetChildCount(bar); ++b) {
      const HXCGUI button = XEle_GetChildByIndex(bar, b);
      if (XC_IsHXCGUI(button, XC_BUTTON) && XC_wtoa(XBtn_GetText(button).c_str()) == title) return XBtn_IsCheck(button);
    }
  }
  return false;
}

}  // namespace tovalux::testing
