#include "host/host_windows.h"

namespace tovalux {

HWND HostWindows::walk(const IdPath& path) const {
  if (path.length == 0) return nullptr;
  HWND window = main_;
  for (uint8_t step = 0; step < path.length; ++step) {
    if (!window) return nullptr;
    window = GetDlgItem(window, path.ids[step]);
  }
  return window;
}

HWND HostWindows::movedItem(MovedTo place, int32_t id) const {
  const WindowSource source = place == MovedTo::kShellFrame     ? shellFrame_
                              : place == MovedTo::kPropertyForm ? propertyForm_
                                                                : nullptr;
  HWND holder = source ? source() : nullptr;
  return holder ? GetDlgItem(holder, id) : nullptr;
}

HWND HostWindows::find(HostControl control) const {
  if (control >= HostControl::kCount) return nullptr;
  const HostControlRow& row = hostControlRow(control);
  if (HWND found = walk(row.path)) return found;
  return row.movedTo == MovedTo::kNowhere ? nullptr : movedItem(row.movedTo, row.path.id);
}

HostWindows& hostWindows() {
  static HostWindows instance;
  return instance;
}

}  // namespace tovalux
