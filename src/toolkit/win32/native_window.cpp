#include "toolkit/win32/native_window.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/guard.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/docking/pane.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/win32/accessible.h"
#include "toolkit/win32/backend.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/dropdown_host.h"
#include "toolkit/win32/gdi_canvas.h"
#include "toolkit/win32/menu_host.h"
#include "toolkit/win32/monitors.h"
#include "toolkit/win32/popups.h"
#include "toolkit/win32/shadow.h"
#include "toolkit/win32/tooltip.h"

namespace tovalux::tk::win32 {

namespace {

// In units, like every size the model gives.
constexpr int kEdgeGrab = 6;     // resizing band along a resizable window's edges
constexpr int kCornerGrab = 12;  // corners, measured along the edges
constexpr int kGripGrab = 16;    // the bottom-right corner, where the frame draws its grip

void hideToolTip() {
  if (Backend* backend = Backend::running(); backend != nullptr && backend->toolTip() != nullptr)
    backend->toolTip()->hide();
}

int keyFlags() {
  int flags = 0;
  if (GetKeyState(VK_SHIFT) < 0) flags |= mk_shift;
  if (GetKeyState(VK_CONTROL) < 0) flags |= mk_control;
  return flags;
}

// Elements a click means something to; everything else (layouts, plain elements without mouse
// handlers) lets a caption or a draggable window be moved from it.
bool isControl(Element& e) {
  if (e.type() != XC_ELE && e.type() != XC_ELE_LAYOUT) return true;
  if (e.dragBorder != 0) return true;
  for (int event :
       {XE_MOUSESTAY, XE_MOUSELEAVE, XE_LBUTTONDOWN, XE_LBUTTONUP, XE_RBUTTONUP, XE_LBUTTONDBCLICK, XE_BNCLICK})
    if (e.events()->has(event)) return true;
  return false;
}

// Elements that take keys (edits, data views, combo boxes) and whatever lies inside them (a
// tree's expand button): clicking them gives their window the keyboard.
bool takesKeyboard(const Element& e) {
  for (const Element* p = &e; p != nullptr; p = p->parent())
    if (p->isA(XC_EDIT) || p->isA(XC_SCROLLVIEW) || p->isA(XC_COMBOBOX)) return true;
  return false;
}

}  // namespace

NativeWindow::NativeWindow(HWINDOW handle) : handle_(handle) {}
NativeWindow::~NativeWindow() = default;

Window* NativeWindow::model() const { return getWindow(handle_); }

bool NativeWindow::isChild() const { return hwnd_ != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0; }

bool NativeWindow::create() {
  Window* w = model();
  Backend* backend = Backend::running();
  if (w == nullptr || backend == nullptr) return false;
  DWORD style = w->style & ~(WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZE | WS_MINIMIZE);
  DWORD exStyle = w->exStyle;
  const bool childStyle = (style & WS_CHILD) != 0 && !isMenuPopup(*w) && dropDownCombo(*w) == 0;
  // A child window lives in its parent's awareness and at its DPI. A top-level one is made
  // per-monitor aware where the system allows it (dpi.h) and starts at the system DPI; once
  // Windows has put it on its monitor it takes that monitor's (below).
  std::optional<PerMonitorScope> aware;
  if (!childStyle) aware.emplace();
  scale_ = Scale(childStyle ? windowDpi(w->parentNative) : systemDpi());
  if (isMenuPopup(*w)) {
    kind_ = Kind::menu;
    placeMenuPopup(*w, scale_);
  } else if (dropDownCombo(*w) != 0) {
    kind_ = Kind::dropDown;
    placeDropDown(*w, scale_);
  }
  if (kind_ != Kind::window) {
    // Owned by the window it belongs to (so always above it), never activated, no taskbar button.
    style = WS_POPUP;
    exStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    if (w->parentNative == nullptr) exStyle |= WS_EX_TOPMOST;
  }
  std::wstring className(w->className.begin(), w->className.end());
  if (className.empty()) {
    // The toolkit's own pop-ups get their own classes (backend.h); the model names none.
    className = kind_ == Kind::menu                        ? kMenuClass
                : kind_ == Kind::dropDown                  ? kDropDownClass
                : dynamic_cast<FloatWindow*>(w) != nullptr ? kPaneClass
                                                           : kDefaultClass;
  }
  if (!backend->ensureClass(className, CS_DBLCLKS)) return false;

  const bool child = (style & WS_CHILD) != 0;
  if (!child && kind_ == Kind::window) {
    style |= WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    if (w->xcStyle & window_style_drag_border) style |= WS_THICKFRAME;
    if (w->xcStyle & window_style_allow_max) style |= WS_MAXIMIZEBOX;
  }
  style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (w->xcStyle & window_style_caption) w->dragCaption = true;
  if (w->xcStyle & window_style_drag_window) w->dragWindow = true;

  XRect r = scale_.scale(w->rect);
  // A floating pane's window opens where its pane was, whatever style it shares with the frame.
  const bool centre = !child && kind_ == Kind::window && (w->xcStyle & window_style_center) != 0 &&
                      dynamic_cast<FloatWindow*>(w) == nullptr;
  if (centre) {
    HMONITOR on = w->parentNative != nullptr ? MonitorFromWindow(w->parentNative, MONITOR_DEFAULTTOPRIMARY)
                                             : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (auto monitor = monitorInfo(on)) {
      const RECT& work = monitor->rcWork;
      const int x = work.left + std::max(0L, (work.right - work.left - r.width()) / 2);
      const int y = work.top + std::max(0L, (work.bottom - work.top - r.height()) / 2);
      r = {x, y, x + r.width(), y + r.height()};
      w->rect = scale_.unscale(r);
    }
  }
  std::wstring title(w->title.begin(), w->title.end());
  HWND created = CreateWindowExW(exStyle, className.c_str(), title.c_str(), style, r.left, r.top, r.width(), r.height(),
                                 w->parentNative, nullptr, moduleInstance(), this);
  if (created == nullptr) return false;
  if (const int dpi = windowDpi(created); !child && dpi != scale_.dpi()) {
    // Windows placed it on a monitor of another DPI: the same units at that monitor's scale.
    const XRect units = w->rect;
    scale_ = Scale(dpi);
    const XRect d = scale_.scale(units);
    SetWindowPos(created, nullptr, d.left, d.top, d.width(), d.height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!child && kind_ == Kind::window) setMeasuringScale(scale_);
  applyLook();
  return true;
}

void NativeWindow::destroyFromModel() {
  if (destroying_ || hwnd_ == nullptr) return;
  destroying_ = true;
  if (shadow_) shadow_->hide();
  DestroyWindow(hwnd_);
}

void NativeWindow::invalidate(const RECT& units, bool immediate) {
  if (hwnd_ == nullptr) return;
  const XRect d = scale_.scale(XRect{units.left, units.top, units.right, units.bottom});
  const RECT area{d.left, d.top, d.right, d.bottom};
  InvalidateRect(hwnd_, &area, FALSE);
  if (immediate) UpdateWindow(hwnd_);
  applyLook();
}

void NativeWindow::applyLook(bool restack) {
  Window* w = model();
  if (w == nullptr || hwnd_ == nullptr || isChild()) return;
  const bool layered = w->transparentType != 0;
  if (layered != (appliedType_ > 0) || (layered && w->transparentAlpha != appliedAlpha_)) {
    LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
    if (layered) {
      SetWindowLongW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
      SetLayeredWindowAttributes(hwnd_, 0, static_cast<BYTE>(w->transparentAlpha), LWA_ALPHA);
    } else if (ex & WS_EX_LAYERED) {
      SetWindowLongW(hwnd_, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    appliedType_ = w->transparentType;
    appliedAlpha_ = w->transparentAlpha;
  }
  // The shadow belongs to the shadow type only, as on a system without layering the frame
  // is made without transparency and without shadow.
  const bool wantShadow = w->transparentType == 2 && w->shadow.size > 0 && w->shadow.depth > 0 &&
                          IsWindowVisible(hwnd_) && !IsZoomed(hwnd_) && !IsIconic(hwnd_);
  if (wantShadow && !shadow_) shadow_ = std::make_unique<ShadowWindow>();
  if (shadow_) {
    // The shadow's reach and corners are lengths like any other; its depth is an alpha.
    Window::Shadow look = w->shadow;
    look.size = scale_.scale(look.size), look.cornerSize = scale_.scale(look.cornerSize);
    shadow_->update(hwnd_, look, wantShadow, restack);
  }
}

void NativeWindow::syncRect() {
  Window* w = model();
  if (w == nullptr || hwnd_ == nullptr || IsIconic(hwnd_)) return;
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (isChild()) MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  w->rect = scale_.unscale(XRect{r.left, r.top, r.right, r.bottom});
}

void NativeWindow::paint() {
  applyLook();
  // The update region's own rectangles, so that two small areas far apart do not repaint
  // everything between them; many rectangles are painted as their bounding box.
  std::vector<RECT> areas;
  {
    GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    if (region && GetUpdateRgn(hwnd_, region.get(), FALSE) == COMPLEXREGION) {
      const DWORD size = GetRegionData(region.get(), 0, nullptr);
      std::vector<char> data(size);
      auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
      if (size > 0 && GetRegionData(region.get(), size, rgn) == size && rgn->rdh.nCount <= 8) {
        const RECT* rects = reinterpret_cast<const RECT*>(rgn->Buffer);
        areas.assign(rects, rects + rgn->rdh.nCount);
      }
    }
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  // BeginPaint validated the whole update region: the model's pending requests are answered,
  // and a request made while painting (a handler) must reach the window again.
  if (Window* w = model()) {
    // A paint inside a paint (a handler's UpdateWindow) leaves the outer one's held requests.
    if (!w->holdingRequests()) w->takeDirty();
    w->holdRequests();
  }
  if (areas.empty()) areas.push_back(ps.rcPaint);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (dc != nullptr && !IsRectEmpty(&ps.rcPaint) && surface_.ensure(client.right, client.bottom)) {
    for (const RECT& area : areas) {
      if (Window* w = model()) {
        GdiCanvas canvas(surface_, client.right, client.bottom, scale_);
        canvas.pushDeviceClip({area.left, area.top, area.right, area.bottom});
        w->paint(canvas);
        canvas.popClip();
      }
      GdiFlush();
      BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, surface_.dc(), area.left,
             area.top, SRCCOPY);
    }
    ++paints_;
    lastPaint_ = ps.rcPaint;
    lastAreas_ = static_cast<int>(areas.size());
  }
  EndPaint(hwnd_, &ps);
  // After EndPaint, so that the held requests are not validated with this paint's region.
  if (Window* w = model()) w->releaseRequests();
}

LRESULT NativeWindow::hitTest(POINT screen) {
  Window* w = model();
  POINT p = screen;
  ScreenToClient(hwnd_, &p);
  if (w == nullptr) return HTCLIENT;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  if (!isChild() && (w->xcStyle & window_style_drag_border) && !IsZoomed(hwnd_)) {
    const int edge = scale_.scale(kEdgeGrab), corner = scale_.scale(kCornerGrab), grip = scale_.scale(kGripGrab);
    const bool left = p.x < edge, right = p.x >= rc.right - edge;
    const bool top = p.y < edge, bottom = p.y >= rc.bottom - edge;
    const bool nearLeft = p.x < corner, nearRight = p.x >= rc.right - corner;
    const bool nearTop = p.y < corner, nearBottom = p.y >= rc.bottom - corner;
    if (p.x >= rc.right - grip && p.y >= rc.bottom - grip) return HTBOTTOMRIGHT;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  const XPoint pt = scale_.unscale(XPoint{p.x, p.y});
  if (dragEdgeAt(*w, pt) != 0) return HTCLIENT;
  if (Element* e = tk::hitTest(*w, pt); e != nullptr && isControl(*e)) return HTCLIENT;
  if (!isChild() && (w->dragWindow || (w->dragCaption && pt.y < w->margins.top))) return HTCAPTION;
  return HTCLIENT;
}

bool NativeWindow::setCursor() {
  Window* w = model();
  if (w == nullptr) return false;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(hwnd_, &p);
  const XPoint pt = scale_.unscale(XPoint{p.x, p.y});
  LPCWSTR cursor = reinterpret_cast<LPCWSTR>(IDC_ARROW);
  int edge = w->drag.kind == Window::Drag::Kind::border ? w->drag.edge : dragEdgeAt(*w, pt);
  if (edge == edge_left || edge == edge_right) {
    cursor = reinterpret_cast<LPCWSTR>(IDC_SIZEWE);
  } else if (edge == edge_top || edge == edge_bottom) {
    cursor = reinterpret_cast<LPCWSTR>(IDC_SIZENS);
  } else if (auto* edit = dynamic_cast<Edit*>(tk::hitTest(*w, pt)); edit != nullptr && !edit->readOnly) {
    const XRect view = edit->viewRect();
    const XRect abs = edit->windowRect();
    if (contains({abs.left + view.left, abs.top + view.top, abs.left + view.right, abs.top + view.bottom}, pt))
      cursor = reinterpret_cast<LPCWSTR>(IDC_IBEAM);
  }
  SetCursor(LoadCursorW(nullptr, cursor));
  return true;
}

void NativeWindow::tipTarget(HELE element) {
  if (element == tipTarget_) return;
  const HELE left = std::exchange(tipTarget_, element);
  Backend* backend = Backend::running();
  if (backend == nullptr || backend->toolTip() == nullptr) return;
  if (element != 0)
    backend->toolTip()->hover(element);
  else
    backend->toolTip()->leave(left);
}

void NativeWindow::mouseMoved(POINT client, WPARAM flags) {
  if (!tracking_) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
    tracking_ = TrackMouseEvent(&track) != FALSE;
  }
  const XPoint pt = scale_.unscale(XPoint{client.x, client.y});
  if (Window* w = model()) mouseMove(*w, pt, mouseFlags(flags));
  // Disabled elements get no mouse events but keep their tooltips.
  Window* w = model();
  Element* under = w != nullptr && w->captured == 0 ? tk::hitTest(*w, pt) : nullptr;
  tipTarget(under != nullptr ? under->handle() : 0);
}

XPoint NativeWindow::unitsAt(LPARAM lParam) const {
  return scale_.unscale(XPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

LRESULT NativeWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // The window's handlers see every message first (XWnd_RegEventC with a message number).
  if (message != WM_NCCREATE && message != WM_NCDESTROY && message != WM_CREATE) {
    // WM_CLOSE always goes through the event: a window's default action may answer it (a
    // floating pane docks back).
    if (Window* w = model(); w != nullptr && (message == WM_CLOSE || w->events()->has(static_cast<int>(message)))) {
      EventArgs args{2, {static_cast<intptr_t>(wParam), static_cast<intptr_t>(lParam)}};
      if (raiseEvent(handle_, static_cast<int>(message), args)) return 0;
      if (hwnd_ == nullptr) return 0;
    }
  }
  return own(message, wParam, lParam);
}

// The toolkit's own answer to a message, after the window's handlers: a pop-up's host first
// (menu_host, dropdown_host), then the named handlers below. What none of them answers goes to
// DefWindowProc. `hwnd` is kept: a handler may end the window (WM_NCDESTROY clears hwnd_).
LRESULT NativeWindow::own(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  // Every toolkit window, pop-ups included, gives its accessible object (accessible.h).
  if (message == WM_GETOBJECT) {
    if (const LRESULT object = accessibleObject(handle_, wParam, lParam)) return object;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (kind_ != Kind::window) {
    bool handled = false;
    LRESULT result = kind_ == Kind::menu ? menuPopupMessage(*this, message, wParam, lParam, &handled)
                                         : dropDownMessage(*this, message, wParam, lParam, &handled);
    if (handled) return result;
  }
  switch (message) {
    // The toolkit draws the whole window: no native frame, client area = window; nothing to
    // draw in a non-client area, but the activation itself is kept.
    case WM_NCCALCSIZE: return 0;
    case WM_NCACTIVATE: return TRUE;
    case WM_NCHITTEST: return hitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_GETMINMAXINFO: onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_WINDOWPOSCHANGING: onWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam)); break;
    case WM_WINDOWPOSCHANGED: {
      const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      applyLook(!(reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_NOZORDER));
      return result;
    }
    case WM_SIZE: onSize(wParam); return 0;
    case WM_MOVE: syncRect(); return 0;
    case WM_ACTIVATE: onActivate(LOWORD(wParam) != WA_INACTIVE); break;
    case WM_SETFOCUS: accessibleFocusArrived(handle_); break;
    case WM_SHOWWINDOW: onShowWindow(wParam != FALSE); break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd && setCursor()) return TRUE;
      break;
    case WM_MOUSEMOVE: mouseMoved({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam); return 0;
    case WM_NCMOUSEMOVE: onNcMouseMove(); break;
    case WM_MOUSELEAVE: onMouseLeave(); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: onLeftButtonDown(message == WM_LBUTTONDBLCLK, unitsAt(lParam), wParam); return 0;
    case WM_LBUTTONUP: onLeftButtonUp(unitsAt(lParam), wParam); return 0;
    case WM_RBUTTONDOWN: onRightButtonDown(); return 0;
    case WM_RBUTTONUP: onRightButtonUp(unitsAt(lParam), wParam); return 0;
    case WM_CAPTURECHANGED: onCaptureChanged(reinterpret_cast<HWND>(lParam)); return 0;
    case WM_MOUSEWHEEL:
      onMouseWheel({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_KEYDOWN:
      if (onKeyDown(static_cast<int>(wParam))) return 0;
      break;
    case WM_CHAR:
      if (onChar(static_cast<char16_t>(wParam))) return 0;
      break;
    case WM_DPICHANGED: onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_CLOSE: onClose(); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_NCDESTROY: onNcDestroy(); break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void NativeWindow::onGetMinMaxInfo(MINMAXINFO& info) {
  if (Window* w = model(); w != nullptr && (w->minSize.cx > 0 || w->minSize.cy > 0)) {
    info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, scale_.scale(w->minSize.cx));
    info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, scale_.scale(w->minSize.cy));
  }
  if (auto monitor = monitorInfo(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST))) {
    // Maximised, the borderless window covers the work area exactly (taskbar kept).
    const RECT& work = monitor->rcWork;
    info.ptMaxPosition = {work.left - monitor->rcMonitor.left, work.top - monitor->rcMonitor.top};
    info.ptMaxSize = {work.right - work.left, work.bottom - work.top};
  }
}

void NativeWindow::onWindowPosChanging(WINDOWPOS& pos) {
  // ptMaxPosition is relative to the monitor the window maximises on; Windows adds that
  // monitor's corner, Wine places it on the primary monitor's. Put such a maximise where Windows
  // puts it: on the work area WM_GETMINMAXINFO answered for (the monitor the window is on).
  if (!(pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_MAXIMIZE)) {
    if (auto monitor = monitorInfo(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST))) {
      const RECT& work = monitor->rcWork;
      if (pos.cx == work.right - work.left && pos.cy == work.bottom - work.top &&
          pos.x == work.left - monitor->rcMonitor.left && pos.y == work.top - monitor->rcMonitor.top) {
        pos.x = work.left;
        pos.y = work.top;
      }
    }
  }
  // The minimum size holds for every resize, not only the user's drag.
  Window* w = model();
  if (w != nullptr && !(pos.flags & SWP_NOSIZE) && !(GetWindowLongW(hwnd_, GWL_STYLE) & WS_MINIMIZE)) {
    pos.cx = std::max<int>(pos.cx, scale_.scale(w->minSize.cx));
    pos.cy = std::max<int>(pos.cy, scale_.scale(w->minSize.cy));
  }
}

void NativeWindow::onSize(WPARAM kind) {
  if (kind == SIZE_MINIMIZED) {
    if (shadow_) shadow_->hide();
    return;
  }
  Window* w = model();
  if (w == nullptr) return;
  w->maximized = kind == SIZE_MAXIMIZED;
  syncRect();
  w->adjustLayout();  // raises 36: its handlers may close the window
  if (Window* still = model()) still->invalidateAll(false);
}

void NativeWindow::onActivate(bool active) {
  if (Window* w = model()) {
    w->active = active;
    w->invalidateAll(false);
  }
  if (!active) {
    hideToolTip();
    closePopupsOf(handle_);
  }
}

void NativeWindow::onShowWindow(bool shown) {
  if (Window* w = model()) w->visible = shown;
  if (!shown && shadow_) shadow_->hide();
}

void NativeWindow::onNcMouseMove() {
  // Onto the window's own caption or edge: the elements lose the mouse at once (the leave
  // message may come a moment later).
  if (Window* w = model(); w != nullptr && w->hovered != 0) mouseLeave(*w);
  tipTarget(0);
}

void NativeWindow::onMouseLeave() {
  tracking_ = false;
  if (Window* w = model()) mouseLeave(*w);
  tipTarget(0);
}

void NativeWindow::onLeftButtonDown(bool doubleClick, XPoint pt, WPARAM flags) {
  const HWND hwnd = hwnd_;
  hideToolTip();
  closePopupsOf(handle_);
  Window* w = model();
  if (w == nullptr) return;
  SetCapture(hwnd);
  if (doubleClick)
    leftDoubleClick(*w, pt, mouseFlags(flags));
  else
    leftDown(*w, pt, mouseFlags(flags));
  // Pop-ups never take the keyboard (it would activate them): their keys come through the
  // pop-up key hook.
  if (Window* still = model(); still != nullptr && kind_ == Kind::window) {
    Element* focused = getElement(still->focused);
    if (focused != nullptr && takesKeyboard(*focused) && GetFocus() != hwnd) SetFocus(hwnd);
  }
}

void NativeWindow::onLeftButtonUp(XPoint pt, WPARAM flags) {
  const HWND hwnd = hwnd_;
  if (Window* w = model()) leftUp(*w, pt, mouseFlags(flags));
  // A drop-down keeps the capture it holds while open.
  if (kind_ != Kind::dropDown && GetCapture() == hwnd) ReleaseCapture();
}

void NativeWindow::onRightButtonDown() {
  hideToolTip();
  closePopupsOf(handle_);
}

void NativeWindow::onRightButtonUp(XPoint pt, WPARAM flags) {
  if (Window* w = model()) rightUp(*w, pt, mouseFlags(flags));
}

void NativeWindow::onCaptureChanged(HWND taker) {
  // Capture taken away while a button was held (a message box, another window): the press
  // ends without a click.
  if (taker == hwnd_) return;
  if (Window* w = model(); w != nullptr && (w->captured != 0 || w->drag.kind != Window::Drag::Kind::none))
    leftUp(*w, {-(1 << 20), -(1 << 20)}, 0);
}

void NativeWindow::onMouseWheel(POINT screen, int delta) {
  ScreenToClient(hwnd_, &screen);
  if (Window* w = model()) mouseWheel(*w, scale_.unscale(XPoint{screen.x, screen.y}), delta);
}

bool NativeWindow::onKeyDown(int key) {
  hideToolTip();
  Window* w = model();
  return w != nullptr && keyDown(*w, key, keyFlags());
}

bool NativeWindow::onChar(char16_t c) {
  Window* w = model();
  return w != nullptr && charInput(*w, c);
}

void NativeWindow::onDpiChanged(int dpi, const RECT& suggested) {
  // Only per-monitor windows get it: the new scale first, so that the move that follows is
  // read back in the new units; then the layout at the new size and a full repaint.
  if (dpi <= 0 || hwnd_ == nullptr) return;
  scale_ = Scale(dpi);
  if (kind_ == Kind::window && !isChild()) setMeasuringScale(scale_);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  syncRect();
  if (Window* w = model()) w->adjustLayout();
  if (Window* still = model()) still->invalidateAll(false);
}

void NativeWindow::onClose() {
  // Not taken by a handler of event 16: the toolkit window goes, with its elements.
  if (Window* w = model()) Window::destroy(w);
}

void NativeWindow::onDestroy() {
  if (kind_ == Kind::menu) menuPopupEnding(*this);
  if (shadow_) shadow_->hide();
  closePopupsOf(handle_);
  if (!destroying_) {
    // Destroyed from outside (its parent or owner went, or DestroyWindow): the toolkit window
    // and its handles go too.
    destroying_ = true;
    if (Window* w = model()) Window::destroy(w);
  }
}

void NativeWindow::onNcDestroy() {
  if (Window* w = model(); w != nullptr && w->native == hwnd_) w->native = nullptr;
  SetWindowLongPtrW(hwnd_, 0, 0);
  shadow_.reset();
  hwnd_ = nullptr;
  if (kind_ == Kind::menu) menuPopupGone();
  if (kind_ == Kind::dropDown) dropDownGone(handle_);
}

LRESULT CALLBACK toolkitWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  NativeWindow* native = nullptr;
  if (message == WM_NCCREATE) {
    native = static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (native != nullptr) {
      SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(native));
      native->hwnd_ = hwnd;
      if (Window* w = native->model()) w->native = hwnd;
    }
  } else {
    native = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(hwnd, 0));
  }
  if (native == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  ++native->depth_;
  // Nothing may unwind into the host's message loop.
  const LRESULT result = guarded(
      GuardSite::kToolkit, [&] { return native->handle(message, wParam, lParam); }, LRESULT{0});
  --native->depth_;
  if (native->depth_ == 0 && native->retired())
    if (Backend* backend = Backend::running()) backend->purge();
  return result;
}

}  // namespace tovalux::tk::win32
