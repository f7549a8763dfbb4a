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

HWND HostWindows::holderOf(MovedTo place) const {
  const WindowSource source = place == MovedTo::kShellFrame     ? shellFrame_
                              : place == MovedTo::kPropertyForm ? propertyForm_
                                                                : nullptr;
  return source ? source() : nullptr;
}

HWND HostWindows::movedItem(MovedTo place, int32_t id) const {
  HWND holder = holderOf(place);
  return holder ? GetDlgItem(holder, id) : nullptr;
}

bool HostWindows::stillThere(HWND kept, const HostControlRow& row) const {
  if (kept == nullptr || !IsWindow(kept) || GetDlgCtrlID(kept) != row.path.id) return false;
  // Where the walk found it: each parent has the path's id, up to the main window.
  HWND at = kept;
  bool onPath = true;
  for (int step = row.path.length - 1; step >= 0 && onPath; --step) {
    onPath = at != nullptr && GetDlgCtrlID(at) == row.path.ids[static_cast<size_t>(step)];
    at = GetParent(at);
  }
  if (onPath && at == main_ && main_ != nullptr) return true;
  // Where the shell moved it.
  return row.movedTo != MovedTo::kNowhere && GetParent(kept) == holderOf(row.movedTo);
}

HWND HostWindows::find(HostControl control) const {
  if (control >= HostControl::kCount) return nullptr;
  const HostControlRow& row = hostControlRow(control);
  auto& slot = found_[static_cast<size_t>(control)];
  if (HWND kept = slot.load(std::memory_order_acquire); stillThere(kept, row)) return kept;
  HWND found = walk(row.path);
  if (found == nullptr && row.movedTo != MovedTo::kNowhere) found = movedItem(row.movedTo, row.path.id);
  slot.store(found, std::memory_order_release);
  return found;
}

HostWindows& hostWindows() {
  static HostWindows instance;
  return instance;
}

}  // namespace tovalux
