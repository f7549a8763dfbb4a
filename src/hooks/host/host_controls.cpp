#include "hooks/host/host_controls.h"

#include <array>
#include <atomic>
#include <cstring>

#include "host/host_windows.h"

namespace tovalux {
namespace {

constexpr size_t kControls = static_cast<size_t>(HostControl::kCount);
std::array<std::atomic<HWND>, kControls> gKept{};

// The kept window is still the control: alive and carrying its id.
bool stillThere(HWND kept, HostControl control) {
  return kept != nullptr && IsWindow(kept) && GetDlgCtrlID(kept) == hostControlId(control);
}

}  // namespace

HWND hostControl(HostControl control) {
  if (control >= HostControl::kCount || control == HostControl::kCompletionList) return nullptr;
  auto& slot = gKept[static_cast<size_t>(control)];
  HWND kept = slot.load(std::memory_order_acquire);
  if (stillThere(kept, control)) return kept;
  HWND found = hostWindows().find(control);
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
  if (control == HostControl::kCompletionList) return isCompletionList(window);
  if (gKept[static_cast<size_t>(control)].load(std::memory_order_acquire) == window) return true;
  const HWND found = hostControl(control);
  return found != nullptr && found == window;
}

void forgetHostControls() {
  for (auto& slot : gKept) slot.store(nullptr);
}

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
