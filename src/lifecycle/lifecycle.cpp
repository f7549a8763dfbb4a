#include "lifecycle/lifecycle.h"

#include <windows.h>

#include <iterator>

#include "base/diagnostics.h"
#include "base/embedded_files.h"
#include "base/workers.h"
#include "codeview/codeview.h"
#include "commands/blackmoon.h"
#include "commands/commands.h"
#include "commands/linker_selector.h"
#include "commands/menu_drawing.h"
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
#include "shell/shell.h"
#include "toolkit/win32/xcgui_win32.h"
#include "update/update_check.h"

namespace tovalux {
namespace {

constexpr LONG kRestoredHostStyle = 0x14CF0000;  // WS_VISIBLE | WS_CLIPSIBLINGS | WS_OVERLAPPEDWINDOW

HostHookSteps gHookSteps{&installHostHooks, &removeHostHooks};

// Menu entry 1200 opens the settings dialog. Registered once at load rather than at start-up, so
// an opener a test puts in place before starting the shell is not replaced.
const bool gSettingsDialogWired = (setSettingsDialogOpener(&openSettingsDialogFromMenu), true);

// Start-up step 18, in this order.
constexpr PaneBuilder kPaneBuilders[] = {
    {"debug output", &buildOutputPanes},
    {"support-library browser", &buildLibraryPane},
    {"project structure tree", &buildProjectPane},
    {"code-page tabs and navigation bar", &setupCodeTabs},
    {"breakpoint and stack pane", &buildStackPane},
    {"watch pane", &buildWatchPane},
    {"search-result panes", &buildSearchPanes},
    {"properties and events pane", &buildPropertiesPane},
    {"code scroll bars", &setupCodeScrollBars},
    {"disassembly pane", &buildDisassemblyPane},
    {"toolbox", &buildToolboxPane},
    {"module manager", &buildModulePane},
};

// The host's four dock bars, in the order they are hidden and shown again.
void showDockBars(int command) {
  const HostWindows& windows = hostWindows();
  for (HWND bar : {windows.topDockBar(), windows.leftDockBar(), windows.bottomDockBar(), windows.rightDockBar()})
    if (bar) ShowWindow(bar, command);
}

void stripHostFrame(HWND host) {
  SetWindowLongA(host, GWL_STYLE, GetWindowLongA(host, GWL_STYLE) & ~static_cast<LONG>(WS_CAPTION));
  SetWindowLongA(host, GWL_STYLE, GetWindowLongA(host, GWL_STYLE) & ~static_cast<LONG>(WS_THICKFRAME));
}

XString wide(const std::string& gbk) { return XC_AnsiToUnicode(gbk.c_str()); }

void initialiseToolkit() {
  XInitXCGUI("Tovalux");
  XC_LoadResource(wide("lib\\Tovalux\\Dark\\resource.res").c_str());
  XC_LoadStyle(wide("lib\\Tovalux\\Dark\\style.css").c_str());
  logProgress("开始创建字体...");
  // Both settings write their defaults back when the stored value is empty or below 1.
  const std::string fontName = fontNameSetting();
  const int32_t fontSize = fontSizeSetting();
  HFONTX font = XFont_Create2(wide(fontName).c_str(), fontSize, 0);
  if (font != 0) XC_SetDefaultFont(font);
}

// The debugging aids and the commands reach each other through these (peers of one layer).
void linkDebuggingAids() {
  setClearBuildOutput(&clearBuildOutputPane);
  setToolBarRefresh(&syncToolBarState);
  registerDebuggingHooks();  // before start-up step 17 installs the hooks that call them
}

void buildShell(HWND host) {
  // Running from here on: the subclasses installed during the build act at once.
  setShellState(ShellState::kRunning);
  ensureEmbeddedFile(TOVALUX_RES_OLLY, hostPath("olly.dll"));
  logProgress("入口函数开始加载...");
  setDarkTheme(true);
  stripHostFrame(host);
  initialiseToolkit();
  openUiJobs();
  hostWindows().setFallbackSources(&shellFrameHwnd, &propertyForm);

  logProgress("开始创建框架...");
  installCommandBuilders();                // the frame fills its menu bar and tool bars through them
  setToolBarStateSync(&syncToolBarState);  // 0x362 on the host main window re-applies the main bar
  linkDebuggingAids();
  setLinkerSelectorFactory(&createLinkerSelector);  // position 13 of the main tool bar
  setBlackMoonOutputSink(&writeBuildOutput);        // the BlackMoon watch's own lines
  setHostMirror(HostMirror::kOutputScan, &watchBlackMoonOutput);
  setUpdateTipWindowSource(&updateTipWindow);  // the frame keeps the tip in its corner
  createFrame();
  logProgress("开始获取内存...");
  // The procedures the hooks put on host windows as they install and as the host makes them.
  registerCodeViewProcedures();
  setHostProcedure(HostProcedure::kToolboxButton, &toolboxButtonProcedure);
  registerStartPage();  // the links' procedure, the watcher, the splash and the page styling
  setModuleReload(&reloadModuleTree);
  setModuleLogSink(&appendDebugLine);
  setCodeViewPeers({&syncDesignerToolBar});
  setProjectMenuLook(&attachContextMenuLook);  // the commands' context-menu look
  if (gHookSteps.install) gHookSteps.install();
  logProgress("开始重新绘制...");
  for (const PaneBuilder& row : kPaneBuilders)
    if (row.build) row.build();
  activatePaneByTitle("易支持库");
  activatePaneByTitle("帮助提示");
  logProgress("即将完成初始化数据...");
  layerHostMainWindow();
  if (shellExists()) attachWindow(shellFrameHwnd(), host, 0, 0);
  syncHostWindow();
  createAuxiliaryWindow();
  logProgress("初始化数据加载完成...");
}

}  // namespace

int32_t startUp(NotifyFunction hostFunction) {
  setHostNotifyFunction(hostFunction);
  hostNotify(kRequestMainWindow, 0, 0);  // the host expects to be asked once here

  logProgress("全局初始化...");
  HWND mainWindow = getHostMainWindow();
  hostWindows().setMainWindow(mainWindow);
  showDockBars(SW_HIDE);

  logProgress("开始初始化设置...");
  const StartDecision decision = decideStart(shellState(), handleValue(mainWindow) >= 1);
  if (!decision.build) {
    setShellState(decision.next);
    return 1;
  }
  buildShell(mainWindow);
  return 1;
}

int32_t shutDown(ShutdownKind kind) {
  if (kind == ShutdownKind::kFreeLibraryData) logToNotepad("#NL_FREE_LIB_DATA");
  HWND mainWindow = getHostMainWindow();
  if (!shellExists() || handleValue(mainWindow) < 1) return 0;
  const ShutdownDecision decision = decideShutdown(shellState());
  if (!decision.restore) return 0;
  // Closed from here on: every subclass and hook that is still reached passes through.
  setShellState(decision.next);
  requestWorkerStop();

  if (gHookSteps.remove) gHookSteps.remove();
  clearHostMirrors();
  resetLibraryPane();
  resetProjectPane();
  shutDownCodeView();
  restoreSubclasses();

  closeUpdateTip();
  // The host's own controls leave the frame and the form before those close.
  returnHostControls();
  releasePropertyForm(false);
  detachHostMainWindow();
  unlayerHostMainWindow();
  closeFrame();
  SetWindowLongA(mainWindow, GWL_STYLE, kRestoredHostStyle);
  showDockBars(SW_SHOW);
  UpdateWindow(mainWindow);
  if (kind == ShutdownKind::kFreeLibraryData) releasePropertyForm(true);
  closeUiJobs();
  XExitXCGUI();
  return 0;
}

bool redrawShell() {
  if (!shellExists() || handleValue(getHostMainWindow()) < 1) return false;
  XWnd_RedrawWnd(shellFrame(), false);
  return true;
}

PaneBuilderTable paneBuilders() { return {kPaneBuilders, static_cast<int>(std::size(kPaneBuilders))}; }

void setHostHookSteps(const HostHookSteps& steps) { gHookSteps = steps; }

void resetLifecycleForTests() {
  resetShellStateForTests();
  resetWorkerStopForTests();
}

}  // namespace tovalux
