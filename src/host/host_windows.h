// Finds the host's windows by walking dialog-item ids from its main window, as the host-control
// table (host_control_table.h) gives them. The window found is kept and answered again while it
// is still where the table says (alive, its parents carrying the path's ids back to the main
// window, or held by the window it was moved to); otherwise the path is walked afresh, so a window
// the host recreated or moved is found again. Under Wine each step of a walk is a round trip to
// the wine server, and the panes ask for the program tree for every row they build.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>

#include "host/host_control_table.h"

namespace tovalux {

class HostWindows {
 public:
  // Where the controls the shell re-parents went (MovedTo): the shell frame's window and the
  // property form. Called from any thread: the router looks for the event combo box on the
  // thread that sends to it.
  using WindowSource = HWND (*)();

  void setMainWindow(HWND window) {
    main_ = window;
    forgetFound();
  }
  HWND mainWindow() const { return main_; }
  void setFallbackSources(WindowSource shellFrame, WindowSource propertyForm) {
    shellFrame_ = shellFrame;
    propertyForm_ = propertyForm;
    forgetFound();
  }

  // The control's window: its path walked from the main window, or, when that fails, the item of
  // its id where the shell moved it. Null when neither finds it or no path leads to it.
  HWND find(HostControl control) const;
  // The window `find` kept for the control, as it is (not looked at again); null when none.
  HWND kept(HostControl control) const {
    return control < HostControl::kCount ? found_[static_cast<size_t>(control)].load(std::memory_order_acquire)
                                         : nullptr;
  }
  // Forgets every kept window: the next `find` walks.
  void forgetFound() {
    for (auto& slot : found_) slot.store(nullptr, std::memory_order_relaxed);
  }

  // One accessor per row of the table that has one: topDockBar(), leftPanelItem1019()... The
  // row's accessor column names it (ACCESSOR(name)); rows marked NO_ACCESSOR get none.
#define TOVALUX_HOST_ACCESSOR(role, accessor, ...) TOVALUX_HOST_ACCESSOR_##accessor, role)
#define TOVALUX_HOST_ACCESSOR_ACCESSOR(name) TOVALUX_HOST_DEFINE_ACCESSOR(name
#define TOVALUX_HOST_ACCESSOR_NO_ACCESSOR TOVALUX_HOST_NO_ACCESSOR(
#define TOVALUX_HOST_DEFINE_ACCESSOR(name, role) \
  HWND name() const { return find(HostControl::role); }
#define TOVALUX_HOST_NO_ACCESSOR(...)
  TOVALUX_HOST_CONTROLS(TOVALUX_HOST_ACCESSOR)
#undef TOVALUX_HOST_ACCESSOR
#undef TOVALUX_HOST_ACCESSOR_ACCESSOR
#undef TOVALUX_HOST_ACCESSOR_NO_ACCESSOR
#undef TOVALUX_HOST_DEFINE_ACCESSOR
#undef TOVALUX_HOST_NO_ACCESSOR

 private:
  HWND walk(const IdPath& path) const;
  HWND movedItem(MovedTo place, int32_t id) const;
  HWND holderOf(MovedTo place) const;
  bool stillThere(HWND kept, const HostControlRow& row) const;

  // Any thread may ask (the router, on the thread that sends): the kept windows are atomic.
  mutable std::array<std::atomic<HWND>, static_cast<size_t>(HostControl::kCount)> found_{};
  HWND main_ = nullptr;
  WindowSource shellFrame_ = nullptr;
  WindowSource propertyForm_ = nullptr;
};

// The one instance of the library.
HostWindows& hostWindows();

}  // namespace tovalux
