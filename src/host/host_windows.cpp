#include "host/host_windows.h"

namespace tovalux {

HWND HostWindows::walk(std::initializer_list<int> ids) const {
  HWND window = main_;
  for (int id : ids) {
    if (!window) return nullptr;
    window = GetDlgItem(window, id);
  }
  return window;
}

HWND HostWindows::leftPanelItem1059() const {
  if (HWND combo = leftPanelItem(1059)) return combo;
  // The events pane may have moved the combo box into the shell frame's window.
  HWND frame = shellFrame_ ? shellFrame_() : nullptr;
  return frame ? GetDlgItem(frame, 1059) : nullptr;
}

HWND HostWindows::leftPanelItem118() const {
  if (HWND grid = leftPanelItem(118)) return grid;
  // The properties pane re-hosts the grid in its own form.
  HWND form = propertyForm_ ? propertyForm_() : nullptr;
  return form ? GetDlgItem(form, 118) : nullptr;
}

HostWindows& hostWindows() {
  static HostWindows instance;
  return instance;
}

}  // namespace tovalux
