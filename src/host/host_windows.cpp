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

HWND HostWindows::leftPanelItemOr(int id, WindowSource movedTo) const {
  if (HWND item = leftPanelItem(id)) return item;
  HWND holder = movedTo ? movedTo() : nullptr;
  return holder ? GetDlgItem(holder, id) : nullptr;
}

HostWindows& hostWindows() {
  static HostWindows instance;
  return instance;
}

}  // namespace tovalux
