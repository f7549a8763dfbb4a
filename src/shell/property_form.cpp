// The component-property host form: a plain window of ours that holds the host's property grid
// (118) over the properties pane's "CtrlProLayout", docked or floating.
#include <windows.h>

#include "base/guard.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "shell/shell_internal.h"

namespace tovalux {

using namespace shell_detail;

namespace {

constexpr char kFormClass[] = "TovaluxPropertyForm";

struct FormState {
  HWND form = nullptr;
  HELE layout = 0;            // "CtrlProLayout"
  bool paneFloating = false;  // pane 2 is floating
  bool oneShot = false;       // set by the properties pane (see setPropertyFormOneShot)
  HWINDOW lastSeen = 0;       // the window that last held pane 2
  bool layered = false;       // WS_EX_LAYERED set by us
};

FormState& state() {
  static FormState instance;
  return instance;
}

HWND hostGrid() {
  HWND grid = hostWindows().leftPanelItem118();
  return IsWindow(grid) ? grid : nullptr;
}

// The form over "CtrlProLayout", in the coordinates of that element's native window.
void placeFormOverLayout() {
  FormState& s = state();
  if (s.form == nullptr || !XC_IsHELE(s.layout)) return;
  RECT r{};
  XEle_GetClientRect(s.layout, &r);
  XEle_RectClientToWndClient(s.layout, &r);
  // The element's units are device pixels for the native form.
  XWnd_UnitsToDevice(XEle_GetWindow(s.layout), &r);
  MoveWindow(s.form, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void sendLayoutSized() {
  if (XC_IsHELE(state().layout)) XEle_SendEvent(state().layout, XE_SIZE, 0);
}

// Into another native window as its child (the form is created top-level and unowned).
void formInto(HWND parent) {
  HWND form = state().form;
  if (form == nullptr || parent == nullptr) return;
  const LONG style = GetWindowLongA(form, GWL_STYLE);
  SetWindowLongA(form, GWL_STYLE, (style & ~static_cast<LONG>(WS_POPUP)) | WS_CHILD | WS_CLIPCHILDREN);
  SetParent(form, parent);
}

void showForm(bool show) {
  if (state().form != nullptr) ShowWindow(state().form, show ? SW_SHOWNA : SW_HIDE);
}

LRESULT formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && shellRunning()) {
    if (HWND grid = hostGrid(); grid != nullptr && GetParent(grid) == window)
      MoveWindow(grid, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // the grid covers the form
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK formProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return guarded(
      GuardSite::kWindowProcedure, [&] { return formMessage(window, message, wParam, lParam); }, LRESULT{0});
}

bool registerFormClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &formProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kFormClass;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

// The close of a window that held pane 2 while it was floating: the form goes back first.
int formBackOnClose(WPARAM, LPARAM, bool*) {
  propertyFormBackToFrame();
  sendLayoutSized();
  XEle_RedrawEle(pane(kPaneProperties), false);
  return 0;
}

// The close of the window that held pane 2 when it gained the focus docked.
int formBackOnFocusedClose(WPARAM, LPARAM, bool*) {
  propertyFormBackToFrame();
  FormState& s = state();
  if (s.oneShot) {
    s.oneShot = false;
    sendLayoutSized();
  } else {
    showForm(false);
  }
  return 0;
}

int onLayoutSized(bool*) {
  FormState& s = state();
  HWND grid = hostGrid();
  if (grid == nullptr || s.form == nullptr) return 0;
  placeFormOverLayout();
  if (!IsWindowVisible(grid)) {
    ShowWindow(grid, SW_SHOW);
    ShowWindowAsync(grid, SW_SHOWNORMAL);
  }
  return 0;
}

int onPaneShown(HELE pane2, bool shown, bool*) {
  FormState& s = state();
  if (s.form == nullptr) return 0;
  showForm(false);
  showForm(shown);
  const HWINDOW holder = XEle_GetWindow(pane2);
  if (s.paneFloating && holder != 0 && holder != s.lastSeen) {
    s.lastSeen = holder;
    if (holder != shellFrame()) XWnd_RegEventC(holder, WM_CLOSE, &formBackOnClose);
    formInto(XWnd_GetHWND(holder));
    sendLayoutSized();
  }
  return 0;
}

int onPaneFocused(HELE pane2, bool*) {
  FormState& s = state();
  if (s.form == nullptr || XPane_GetState(pane2) != pane_state_dock) return 0;
  const HWINDOW holder = XEle_GetWindow(pane2);
  if (holder == 0 || holder == s.lastSeen) return 0;
  s.lastSeen = holder;
  // The frame's own close asks the exit question; the form must not be hidden behind a No.
  if (holder != shellFrame()) XWnd_RegEventC(holder, WM_CLOSE, &formBackOnFocusedClose);
  formInto(XWnd_GetHWND(holder));
  sendLayoutSized();
  showForm(true);
  return 0;
}

}  // namespace

namespace shell_detail {

void onPropertiesPaneFloated(HWINDOW window) {
  FormState& s = state();
  if (s.form == nullptr) return;
  formInto(XWnd_GetHWND(window));
  sendLayoutSized();
  XWnd_RegEventC(window, WM_CLOSE, &formBackOnClose);
  s.paneFloating = true;
}

void onOtherPaneFloated(HWINDOW window) {
  HELE pane2 = pane(kPaneProperties);
  state().paneFloating = pane2 != 0 && XPane_GetState(pane2) == pane_state_float;
  XWnd_RegEventC(window, WM_CLOSE, [](WPARAM, LPARAM, bool*) { return 0; });
}

void propertyFormBackToFrame() {
  if (state().form != nullptr && shellExists()) formInto(shellFrameHwnd());
}

}  // namespace shell_detail

HWND propertyForm() {
  HWND form = state().form;
  return form != nullptr && IsWindow(form) ? form : nullptr;
}

HWND createPropertyForm(HELE ctrlProLayout) {
  FormState& s = state();
  if (propertyForm() != nullptr || !registerFormClass()) return propertyForm();
  s = FormState{};
  s.layout = ctrlProLayout;
  s.form = CreateWindowExA(0, kFormClass, "", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (s.form == nullptr) return nullptr;
  hostWindows().setFallbackSources(&shellFrameHwndAnyThread, &propertyForm);

  if (isWindows10()) {
    SetWindowLongA(s.form, GWL_EXSTYLE, GetWindowLongA(s.form, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(s.form, 0, 0, LWA_COLORKEY);
    s.layered = true;
  }
  if (HWND grid = hostGrid()) {
    borrowHostControl(grid);
    SetParent(grid, s.form);
    ShowWindow(grid, SW_HIDE);
    ShowWindowAsync(grid, SW_HIDE);
    SetWindowLongA(grid, GWL_STYLE, GetWindowLongA(grid, GWL_STYLE) & ~static_cast<LONG>(WS_BORDER));
    SetWindowLongA(grid, GWL_EXSTYLE, GetWindowLongA(grid, GWL_EXSTYLE) & ~static_cast<LONG>(WS_EX_CLIENTEDGE));
    SetWindowPos(grid, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  if (XC_IsHELE(ctrlProLayout)) {
    formInto(XEle_GetHWND(ctrlProLayout));
    placeFormOverLayout();
    XEle_RegEventC(ctrlProLayout, XE_SIZE, &onLayoutSized);
  }
  if (HELE pane2 = pane(kPaneProperties)) {
    XEle_RegEventC1(pane2, XE_SHOW, &onPaneShown);
    XEle_RegEventC1(pane2, XE_SETFOCUS, &onPaneFocused);
    XEle_RegEventC1(pane2, XE_KILLFOCUS, [](HELE, bool*) { return 0; });
  }
  return s.form;
}

void showPropertyForm(bool show) { showForm(show); }

void setPropertyFormOneShot() { state().oneShot = true; }

void releasePropertyForm(bool destroy) {
  FormState& s = state();
  HWND form = propertyForm();
  if (form == nullptr) {
    s = FormState{};
    return;
  }
  if (destroy) {
    DestroyWindow(form);
    s = FormState{};
    return;
  }
  // Kept for the host's later use, but out of the frame that is about to close.
  ShowWindow(form, SW_HIDE);
  SetParent(form, nullptr);
  SetWindowLongA(form, GWL_STYLE, (GetWindowLongA(form, GWL_STYLE) & ~static_cast<LONG>(WS_CHILD)) | WS_POPUP);
  s.layout = 0;
  s.lastSeen = 0;
  s.paneFloating = false;
}

}  // namespace tovalux
