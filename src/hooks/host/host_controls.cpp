#include "hooks/host/host_controls.h"

#include <array>
#include <atomic>
#include <cstring>

#include "host/host_windows.h"

namespace tovalux {
namespace {

constexpr size_t kControls = static_cast<size_t>(HostControl::kCount);
std::array<std::atomic<HWND>, kControls> gKept{};

using routing::Control;

// The walk, as HostWindows does it.
HWND walk(HostControl control) {
  const HostWindows& w = hostWindows();
  switch (control) {
    case HostControl::kPropertyGrid: return w.leftPanelItem118();
    case HostControl::kRightDockBar: return w.rightDockBar();
    case HostControl::kMdiClient: return w.mdiClient();
    default: break;
  }
  switch (static_cast<Control>(control)) {
    case Control::kUnitCombo: return w.topBarItem629();
    case Control::kMemberCombo: return w.topBarItem630();
    case Control::kToolboxTree: return w.rightPanelItem1225();
    case Control::kComponentCombo: return w.leftPanelItem1058();
    case Control::kEventCombo: return w.leftPanelItem1059();
    case Control::kOutputTabs: {
      HWND output = hostControl(hostControlOf(Control::kOutputText));
      return output ? GetParent(output) : nullptr;
    }
    case Control::kOutputText: return w.bottomPanelItem1011();
    case Control::kCallStack: return w.bottomPanelItem1224();
    case Control::kVariables: return w.bottomPanelItem1109();
    case Control::kWatchList: return w.bottomPanelItem1187();
    case Control::kSearchResults1: return w.bottomPanelItem1182();
    case Control::kSearchResults2: return w.bottomPanelItem1183();
    case Control::kLibraryTree: return w.leftPanelItem1022();
    case Control::kTipsText: return w.bottomPanelItem1001();
    case Control::kProgramTree: return w.leftPanelItem1019();
    case Control::kCompletionList:
    case Control::kCount: break;
  }
  return nullptr;
}

int32_t idOf(HostControl control) {
  switch (control) {
    case HostControl::kPropertyGrid: return 118;
    case HostControl::kRightDockBar: return HostWindows::kRightDockBar;
    case HostControl::kMdiClient: return HostWindows::kMdiClient;
    default: return routing::controlId(static_cast<Control>(control));
  }
}

// The kept window is still the control: alive and carrying its id.
bool stillThere(HWND kept, HostControl control) {
  return kept != nullptr && IsWindow(kept) && GetDlgCtrlID(kept) == idOf(control);
}

}  // namespace

HWND hostControl(HostControl control) {
  if (control >= HostControl::kCount || control == hostControlOf(Control::kCompletionList)) return nullptr;
  auto& slot = gKept[static_cast<size_t>(control)];
  HWND kept = slot.load(std::memory_order_acquire);
  if (stillThere(kept, control)) return kept;
  HWND found = walk(control);
  slot.store(found, std::memory_order_release);
  return found;
}

HWND keptHostControl(HostControl control) {
  if (control >= HostControl::kCount) return nullptr;
  const HWND kept = gKept[static_cast<size_t>(control)].load(std::memory_order_acquire);
  return kept != nullptr ? kept : hostControl(control);
}

bool isHostControl(HWND window, HostControl control) {
  if (window == nullptr || control >= HostControl::kCount) return false;
  if (control == hostControlOf(Control::kCompletionList)) return isCompletionList(window);
  if (gKept[static_cast<size_t>(control)].load(std::memory_order_acquire) == window) return true;
  const HWND found = hostControl(control);
  return found != nullptr && found == window;
}

void forgetHostControls() {
  for (auto& slot : gKept) slot.store(nullptr);
}

bool isCompletionList(HWND window) {
  if (window == nullptr || GetDlgCtrlID(window) != routing::controlId(Control::kCompletionList)) return false;
  char name[32] = {};
  if (GetClassNameA(window, name, sizeof name) == 0 || std::strcmp(name, "SysTreeView32") != 0) return false;
  HWND parent = GetParent(window);
  if (parent == nullptr || GetClassNameA(parent, name, sizeof name) == 0 || std::strcmp(name, "#32770") != 0)
    return false;
  // An empty title: the first character read is the end.
  char title[2] = {};
  return GetWindowTextA(parent, title, sizeof title) == 0 && title[0] == '\0';
}

}  // namespace tovalux
