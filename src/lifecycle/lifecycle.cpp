#include "lifecycle/lifecycle.h"

#include <windows.h>

#include "base/diagnostics.h"
#include "base/embedded_files.h"
#include "base/gbk.h"
#include "base/workers.h"
#include "codeview/codeview.h"
#include "commands/command_box.h"
#include "commands/commands.h"
#include "hooks/host/host_hooks.h"
#include "hooks/host/start_page.h"
#include "debugging/debug_output.h"
#include "debugging/debug_run.h"
#include "debugging/disassembly_pane.h"
#include "host/host_paths.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "host/ui_jobs.h"
#include "panes/library_browser.h"
#include "panes/project_tree.h"
#include "panes/module_manager.h"
#include "panes/properties_pane.h"
#include "panes/toolbox.h"
#include "panes/search_results.h"
#include "panes/stack_pane.h"
#include "panes/watch_pane.h"
#include "settings/dialog/settings_dialog.h"
#include "settings/settings.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/win32/xcgui_win32.h"
#include "update/update_check.h"

namespace tovalux {
namespace {

constexpr LONG kRestoredHostStyle = 0x14CF0000;  // WS_VISIBLE | WS_CLIPSIBLINGS | WS_OVERLAPPEDWINDOW

// The host's four dock bars, in the order they are hidden and shown again.
void showDockBars(int command) {
  const HostWindows& windows = hostWindows();
  for (HWND bar : {windows.topDockBar(), windows.leftDockBar(), windows.bottomDockBar(), windows.rightDockBar()})
    if (bar) ShowWindow(bar, command);
}

// --- the lifecycle's own Parts -----------------------------------------------------------------

void writeEngineFile() { ensureEmbeddedFile(TOVALUX_RES_OLLY, hostPath("olly.dll")); }

// The host main window loses its caption and sizing frame (the shell frame has its own), and its
// dock bars hide (the panes show their contents); shut-down gives all of it back.
void takeHostMainWindow() {
  HWND host = hostWindows().mainWindow();
  // Each bar hidden makes the host invalidate and lay out its main window again; with drawing
  // held the four cost one repaint instead of four (40-60 ms under Wine, 2-6 ms held).
  const bool hold = IsWindowVisible(host) != FALSE;
  if (hold) SendMessageA(host, WM_SETREDRAW, FALSE, 0);
  showDockBars(SW_HIDE);
  if (hold) {
    SendMessageA(host, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }
  SetWindowLongA(host, GWL_STYLE, GetWindowLongA(host, GWL_STYLE) & ~static_cast<LONG>(WS_CAPTION));
  SetWindowLongA(host, GWL_STYLE, GetWindowLongA(host, GWL_STYLE) & ~static_cast<LONG>(WS_THICKFRAME));
}

void giveHostMainWindowBack() {
  HWND host = hostWindows().mainWindow();
  SetWindowLongA(host, GWL_STYLE, kRestoredHostStyle);
  showDockBars(SW_SHOW);
  UpdateWindow(host);
}

void initialiseToolkit() {
  setDarkTheme(true);
  XInitXCGUI("Tovalux");
  XC_LoadResource(L"lib\\Tovalux\\Dark\\resource.res");
  XC_LoadStyle(L"lib\\Tovalux\\Dark\\style.css");
  logProgress("开始创建字体...");
  // Both settings write their defaults back when the stored value is empty or below 1.
  const std::string fontName = fontNameSetting();
  const int32_t fontSize = fontSizeSetting();
  HFONTX font = XFont_Create2(gbkToUtf16<XChar>(fontName).c_str(), fontSize, 0);
  if (font != 0) XC_SetDefaultFont(font);
}

const Part kEngineFilePart{.name = "debugging engine file", .build = &writeEngineFile};
const Part kHostMainWindowPart{.name = "host main window",
                               .build = &takeHostMainWindow,
                               .tearDown = &giveHostMainWindowBack,
                               .progress = "入口函数开始加载..."};
const Part kToolkitPart{.name = "toolkit", .build = &initialiseToolkit, .tearDown = &XExitXCGUI};
void openUiJobQueue() { openUiJobs(); }

const Part kUiJobsPart{.name = "UI jobs", .build = &openUiJobQueue, .tearDown = &closeUiJobs};

// Start-up builds the Parts in this order; shut-down tears them down in the reverse order. The
// peers and procedures of every Part are offered before the first build (shell/part.h).
constexpr const Part* kParts[] = {
    &kEngineFilePart,      // olly.dll beside the host, once
    &kHostMainWindowPart,  // dock bars hidden, caption and sizing frame off
    &kToolkitPart,         // the toolkit, its theme resources and default font
    &kUiJobsPart,          // work handed to the UI thread
    &kCommandsPart,        // offers the frame its menu bar and tool bars; the BlackMoon watch
    &kDebuggingPart,       // the debugger-thread rules, the output writers
    &kSettingsDialogPart,  // menu 1200
    &kFramePart,           // the frame with its twelve dock panes
    &kCommandBoxPart,      // the command box in the frame's caption, and its key
    &kUpdatePart,          // the update tip in the frame's corner
    &kStartPagePart,       // the start page's links, splash and styling
    &kHostHooksPart,       // the hooks on the host's API and its main window's subclasses
    &kDebugOutputPart,     // the pane contents, in the order they are built
    &kLibraryBrowserPart,  &kProjectTreePart, &kCodeTabsPart,       &kStackPanePart,
    &kWatchPanePart,       &kSearchPanesPart, &kPropertiesPanePart, &kCodeScrollBarsPart,
    &kDisassemblyPart,     &kToolboxPart,     &kModuleManagerPart,
    &kFirstPanesPart,       // "易支持库" and "帮助提示" in front
    &kLayoutPart,           // the panes as the layout file left them; saved at shut-down
    &kHostInFramePart,      // the host main window inside the frame
    &kAuxiliaryWindowPart,  // the hidden auxiliary window
};

}  // namespace

int32_t startUp(NotifyFunction hostFunction) {
  // Closed is final: a notification 1 after 6 or 17 answers and touches nothing (not the host's
  // function, not the dock bars).
  if (shellClosed()) return 1;
  // A null function never replaces the one the host gave before: notification 6 still needs it.
  if (hostFunction != nullptr) setHostNotifyFunction(hostFunction);
  hostNotify(kRequestMainWindow, 0, 0);  // the host expects to be asked once here

  logProgress("全局初始化...");
  HWND mainWindow = getHostMainWindow();
  hostWindows().setMainWindow(mainWindow);

  logProgress("开始初始化设置...");
  const StartDecision decision = decideStart(shellState(), handleValue(mainWindow) >= 1);
  if (!decision.build) {
    // A repeated notification 1 of a running shell hides the dock bars again.
    showDockBars(SW_HIDE);
    setShellState(decision.next);
    return 1;
  }
  // Running from here on: the subclasses installed during the build act at once.
  setShellState(ShellState::kRunning);
  startParts(kParts);
  logProgress("初始化数据加载完成...");
  return 1;
}

int32_t shutDown(ShutdownKind kind) {
  if (kind == ShutdownKind::kFreeLibraryData) logToNotepad("#NL_FREE_LIB_DATA");
  HWND mainWindow = getHostMainWindow();
  if (handleValue(mainWindow) < 1) return 0;
  const ShutdownDecision decision = decideShutdown(shellState());
  if (!decision.restore) return 0;
  // Closed from here on: every subclass and hook that is still reached passes through.
  setShellState(decision.next);
  requestWorkerStop();
  hostWindows().setMainWindow(mainWindow);
  // Every Part backwards, each under its own guard: one that fails does not keep the others from
  // giving the host back what they took.
  stopParts(kParts);
  if (kind == ShutdownKind::kFreeLibraryData) releasePropertyForm(true);
  return 0;
}

bool redrawShell() {
  if (!shellExists() || handleValue(getHostMainWindow()) < 1) return false;
  XWnd_RedrawWnd(shellFrame(), false);
  return true;
}

std::span<const Part* const> shellParts() { return kParts; }

void resetLifecycleForTests() {
  resetShellStateForTests();
  resetWorkerStopForTests();
}

}  // namespace tovalux
