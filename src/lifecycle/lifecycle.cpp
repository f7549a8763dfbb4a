#include "lifecycle/lifecycle.h"

#include <windows.h>

#include <atomic>

#include "base/diagnostics.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"

namespace tovalux {
namespace {

std::atomic<LifecycleState> gState{LifecycleState::kLoaded};

// The host's four dock bars, in the order they are hidden and shown again.
void showDockBars(int command) {
  const HostWindows& windows = hostWindows();
  for (HWND bar : {windows.topDockBar(), windows.leftDockBar(), windows.bottomDockBar(), windows.rightDockBar()})
    if (bar) ShowWindow(bar, command);
}

}  // namespace

LifecycleState lifecycleState() { return gState.load(); }

bool shellExists() { return gState.load() == LifecycleState::kRunning; }

int32_t startUp(NotifyFunction hostFunction) {
  setHostNotifyFunction(hostFunction);
  hostNotify(kRequestMainWindow, 0, 0);  // the host expects to be asked once here

  logProgress("全局初始化...");
  HWND mainWindow = getHostMainWindow();
  hostWindows().setMainWindow(mainWindow);
  showDockBars(SW_HIDE);

  logProgress("开始初始化设置...");
  if (shellExists()) return 1;
  if (!mainWindow) {
    gState = LifecycleState::kWaitingForHost;
    return 1;
  }

  gState = LifecycleState::kRunning;
  return 1;
}

int32_t shutDown(ShutdownKind kind) {
  if (kind == ShutdownKind::kFreeLibraryData) logToNotepad("#NL_FREE_LIB_DATA");
  HWND mainWindow = getHostMainWindow();
  if (!shellExists() || !mainWindow) return 0;

  showDockBars(SW_SHOW);
  UpdateWindow(mainWindow);
  gState = LifecycleState::kClosed;
  return 0;
}

bool redrawShell() {
  if (!shellExists() || !getHostMainWindow()) return false;
  // The frame is redrawn here once it is built.
  return true;
}

}  // namespace tovalux
