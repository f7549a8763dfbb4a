#include "toolkit/win32/backend.h"

#include "base/guard.h"

#include "toolkit/model/tree/window.h"
#include "toolkit/win32/accessible.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/dropdown_host.h"
#include "toolkit/win32/images.h"
#include "toolkit/win32/menu_host.h"
#include "toolkit/win32/native_window.h"
#include "toolkit/win32/popups.h"
#include "toolkit/win32/shadow.h"
#include "toolkit/win32/tooltip.h"
#include "toolkit/win32/xcgui_win32.h"

// Referenced by the library's link options, so that every program linking the toolkit also
// links this file and, with it, the registration below.
extern "C" {
int tovaluxToolkitWin32 = 0;
}

namespace tovalux::tk::win32 {

namespace {
Backend* gRunning = nullptr;

const bool gRegistered = [] {
  setPlatformFactory(&Backend::start);
  return true;
}();
}  // namespace

HINSTANCE moduleInstance() {
  static HINSTANCE instance = [] {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
    return module;
  }();
  return instance;
}

Backend* Backend::running() { return gRunning; }

Platform* Backend::start() {
  (void)gRegistered;
  static Backend backend;
  if (gRunning != nullptr) return gRunning;
  backend.purge();
  backend.toolTip_ = std::make_unique<ToolTip>();
  startImageDecoding();
  startUiCalls();
  gRunning = &backend;
  startAccessibility();
  return gRunning;
}

void Backend::toolkitExited() {
  guarded(GuardSite::kToolkit, [&] { stop(); });
}

void Backend::stop() {
  stopAccessibility();
  stopUiCalls();
  stopMenus();
  stopPopups();
  // Out of reach first: its window procedure runs while it is destroyed.
  std::unique_ptr<ToolTip> tip = std::move(toolTip_);
  tip.reset();
  // The model destroyed every window; anything left was made outside it. An object whose
  // window procedure is still on the stack (XExitXCGUI called from a handler) is kept.
  std::vector<HWND> left;
  for (auto& [handle, native] : windows_) {
    native->retire();
    if (native->hwnd() != nullptr) left.push_back(native->hwnd());
    retired_.push_back(std::move(native));
  }
  windows_.clear();
  for (HWND hwnd : left) DestroyWindow(hwnd);
  purge();
  for (const std::wstring& name : classes_) UnregisterClassW(name.c_str(), moduleInstance());
  classes_.clear();
  releaseFonts();
  forgetMeasuringScale();
  stopImageDecoding();
  gRunning = nullptr;
}

bool Backend::ensureClass(const std::wstring& name, UINT classStyle, WNDPROC proc) {
  if (classes_.count(name) != 0) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = classStyle;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = moduleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = name.c_str();
  if (RegisterClassExW(&wc) == 0) {
    // Left registered by an earlier start of the toolkit in this process: usable if it is ours.
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(wc.hInstance, name.c_str(), &existing) || existing.lpfnWndProc != proc) return false;
  }
  classes_.insert(name);
  return true;
}

NativeWindow* Backend::find(HWINDOW window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

Scale Backend::scaleOf(HWINDOW window) const {
  const NativeWindow* native = find(window);
  return native != nullptr && native->hwnd() != nullptr ? native->scale() : measuringScale();
}

XPoint Backend::unitsFromScreen(XHWND owner, XPoint screen) {
  // The pop-ups a window owns take its scale (NativeWindow::create), so its units are theirs.
  for (const auto& [handle, native] : windows_)
    if (native->hwnd() == owner && owner != nullptr) return native->scale().unscale(screen);
  return Scale(owner != nullptr ? windowDpi(owner) : systemDpi()).unscale(screen);
}

void Backend::purge() {
  // Gone means its last message (WM_NCDESTROY) has been served, not merely that none is
  // being served: DestroyWindow sends several.
  std::erase_if(retired_, [](const std::unique_ptr<NativeWindow>& n) { return !n->busy() && n->hwnd() == nullptr; });
}

// The model calls the platform from inside the host's calls: nothing may unwind out of them.
void Backend::windowCreated(Window& window) {
  guarded(GuardSite::kToolkit, [&] {
    purge();
    auto native = std::make_unique<NativeWindow>(window.handle());
    NativeWindow* raw = native.get();
    windows_[window.handle()] = std::move(native);
    if (!raw->create()) {
      raw->retire();
      retired_.push_back(std::move(windows_[window.handle()]));
      windows_.erase(window.handle());
      purge();
    }
  });
}

void Backend::windowDestroyed(Window& window) {
  guarded(GuardSite::kToolkit, [&] {
    if (toolTip_) toolTip_->hide();
    auto it = windows_.find(window.handle());
    if (it == windows_.end()) return;
    std::unique_ptr<NativeWindow> native = std::move(it->second);
    windows_.erase(it);
    native->retire();
    native->destroyFromModel();
    retired_.push_back(std::move(native));
    purge();
  });
}

void Backend::invalidate(Window& window, const XRect& area, bool immediate) {
  guarded(GuardSite::kToolkit, [&] {
    if (NativeWindow* native = find(window.handle()))
      native->invalidate({area.left, area.top, area.right, area.bottom}, immediate);
  });
}

void Backend::showWindow(Window& window, ShowMode mode) {
  guarded(GuardSite::kToolkit, [&] {
    NativeWindow* native = find(window.handle());
    if (native == nullptr || native->hwnd() == nullptr) return;
    ShowWindow(native->hwnd(), static_cast<int>(mode));
    NativeWindow* still = find(window.handle());
    if (still == nullptr) return;
    still->applyLook();
    if (still->kind() == NativeWindow::Kind::menu && mode != ShowMode::hide) {
      menuPopupShown(*still);
      if (NativeWindow* shown = find(window.handle())) menuPopupStarted(*shown);
    }
    if (still->kind() == NativeWindow::Kind::dropDown && mode != ShowMode::hide) dropDownShown(*still);
  });
}

void Backend::windowCommand(Window& window, WindowCommand command) {
  guarded(GuardSite::kToolkit, [&] {
    NativeWindow* native = find(window.handle());
    if (native == nullptr || native->hwnd() == nullptr) return;
    switch (command) {
      case WindowCommand::maximize: ShowWindow(native->hwnd(), SW_MAXIMIZE); break;
      case WindowCommand::restore: ShowWindow(native->hwnd(), SW_RESTORE); break;
      case WindowCommand::minimize: ShowWindow(native->hwnd(), SW_MINIMIZE); break;
      case WindowCommand::close:
        // After the click that asked for it has finished; the close goes through event 16.
        PostMessageW(native->hwnd(), WM_CLOSE, 0, 0);
        break;
    }
  });
}

void Backend::windowMoved(Window& window) {
  guarded(GuardSite::kToolkit, [&] {
    NativeWindow* native = find(window.handle());
    if (native == nullptr || native->hwnd() == nullptr) return;
    const XRect r = native->scale().scale(window.rect);
    SetWindowPos(native->hwnd(), nullptr, r.left, r.top, r.width(), r.height(), SWP_NOZORDER | SWP_NOACTIVATE);
  });
}

}  // namespace tovalux::tk::win32

namespace {
tovalux::tk::Scale windowScale(HWINDOW window) {
  using namespace tovalux::tk::win32;
  Backend* backend = Backend::running();
  return backend != nullptr ? backend->scaleOf(window) : tovalux::tk::Scale(systemDpi());
}
}  // namespace

int XWnd_GetDPI(HWINDOW window) { return windowScale(window).dpi(); }

void XWnd_UnitsToDevice(HWINDOW window, RECT* rect) {
  if (rect == nullptr) return;
  const XRect r = windowScale(window).scale(XRect{rect->left, rect->top, rect->right, rect->bottom});
  *rect = {r.left, r.top, r.right, r.bottom};
}

void XWnd_DeviceToUnits(HWINDOW window, RECT* rect) {
  if (rect == nullptr) return;
  const XRect r = windowScale(window).unscale(XRect{rect->left, rect->top, rect->right, rect->bottom});
  *rect = {r.left, r.top, r.right, r.bottom};
}

namespace tovalux::tk::win32 {

bool probeWindow(HWINDOW window, WindowProbe* out) {
  Backend* backend = Backend::running();
  NativeWindow* native = backend != nullptr ? backend->find(window) : nullptr;
  if (native == nullptr || out == nullptr) return false;
  *out = {};
  out->window = native->hwnd();
  out->paints = native->paints();
  out->lastPaint = native->lastPaint();
  out->lastAreas = native->lastAreas();
  if (ShadowWindow* shadow = native->shadow(); shadow != nullptr && shadow->hwnd() != nullptr) {
    out->shadow = shadow->hwnd();
    out->shadowVisible = IsWindowVisible(shadow->hwnd()) != FALSE;
    GetWindowRect(shadow->hwnd(), &out->shadowRect);
  }
  return true;
}

uint32_t shadowPixel(HWINDOW window, int x, int y) {
  Backend* backend = Backend::running();
  NativeWindow* native = backend != nullptr ? backend->find(window) : nullptr;
  return native != nullptr && native->shadow() != nullptr ? native->shadow()->pixel(x, y) : 0;
}

HWND toolTipWindow() {
  Backend* backend = Backend::running();
  return backend != nullptr && backend->toolTip() != nullptr ? backend->toolTip()->hwnd() : nullptr;
}

}  // namespace tovalux::tk::win32
