#include "hooks/host/host_controls.h"

#include <cstring>

#include "host/host_windows.h"

namespace tovalux {

HWND hostControl(HostControl control) {
  if (control == HostControl::kCompletionList) return nullptr;
  return hostWindows().find(control);
}

HWND keptHostControl(HostControl control) {
  const HWND kept = hostWindows().kept(control);
  return kept != nullptr ? kept : hostControl(control);
}

bool isHostControl(HWND window, HostControl control) {
  if (window == nullptr || control >= HostControl::kCount) return false;
  if (control == HostControl::kCompletionList) return isCompletionList(window);
  if (hostWindows().kept(control) == window) return true;
  const HWND found = hostControl(control);
  return found != nullptr && found == window;
}

void forgetHostControls() { hostWindows().forgetFound(); }

bool isCompletionList(HWND window) {
  if (window == nullptr || GetDlgCtrlID(window) != hostControlId(HostControl::kCompletionList)) return false;
  char name[32] = {};
  if (GetClassNameA(window, name, sizeof name) == 0 ||
      std::strcmp(name, hostControlRow(HostControl::kCompletionList).className) != 0)
    return false;
  HWND parent = GetParent(window);
  if (parent == nullptr || GetClassNameA(parent, name, sizeof name) == 0 || std::strcmp(name, "#32770") != 0)
    return false;
  // An empty title: the first character read is the end.
  char title[2] = {};
  return GetWindowTextA(parent, title, sizeof title) == 0 && title[0] == '\0';
}

}  // namespace tovalux
