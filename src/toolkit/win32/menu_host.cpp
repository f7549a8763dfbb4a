#include "toolkit/win32/menu_host.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/win32/backend.h"
#include "toolkit/win32/monitors.h"
#include "toolkit/win32/native_window.h"
#include "toolkit/win32/popups.h"

namespace tovalux::tk::win32 {

namespace {

HWINDOW gUnderMouse = 0;  // the level the pointer was over last

MenuWindow* level(int depth) { return context().registry.get<MenuWindow>(menuPopup(depth)); }

RECT screenRectOf(const Window& w) {
  RECT r{w.rect.left, w.rect.top, w.rect.right, w.rect.bottom};
  if (w.native != nullptr) GetWindowRect(w.native, &r);
  return r;
}

// The deepest open level under a screen point.
MenuWindow* levelAt(POINT screen) {
  MenuWindow* found = nullptr;
  for (int depth = 0; MenuWindow* w = level(depth); ++depth) {
    RECT r = screenRectOf(*w);
    if (PtInRect(&r, screen)) found = w;
  }
  return found;
}

Scale scaleOf(const Window& w) {
  Backend* backend = Backend::running();
  return backend != nullptr ? backend->scaleOf(w.handle()) : Scale();
}

XPoint clientOf(const Window& w, POINT screen) {
  if (w.native != nullptr) ScreenToClient(w.native, &screen);
  return scaleOf(w).unscale(XPoint{screen.x, screen.y});
}

POINT screenPoint(HWND hwnd, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd, &p);
  return p;
}

void leaveLast() {
  if (auto* last = context().registry.get<MenuWindow>(std::exchange(gUnderMouse, 0))) menuMouseLeave(*last);
}

// Outside every pop-up: the owner's ordinary input (a menu bar switches menus on hover).
void forwardToOwner(POINT screen, int flags) {
  MenuWindow* root = level(0);
  Window* owner = root != nullptr ? getWindow(root->owner) : nullptr;
  if (owner == nullptr || owner->native == nullptr) return;
  POINT p = screen;
  ScreenToClient(owner->native, &p);
  RECT client;
  GetClientRect(owner->native, &client);
  if (PtInRect(&client, p) && WindowFromPoint(screen) == owner->native)
    mouseMove(*owner, scaleOf(*owner).unscale(XPoint{p.x, p.y}), flags);
  else if (owner->hovered != 0)
    mouseLeave(*owner);
}

void mouseMoved(POINT screen, int flags) {
  MenuWindow* under = levelAt(screen);
  HWINDOW now = under != nullptr ? under->handle() : 0;
  if (gUnderMouse != 0 && gUnderMouse != now) leaveLast();
  if (under != nullptr) {
    gUnderMouse = now;
    menuMouseMove(*under, clientOf(*under, screen));
  } else {
    forwardToOwner(screen, flags);
  }
}

}  // namespace

bool isMenuPopup(const Window& window) { return dynamic_cast<const MenuWindow*>(&window) != nullptr; }

void placeMenuPopup(Window& window, const Scale& scale) {
  auto* popup = dynamic_cast<MenuWindow*>(&window);
  if (popup == nullptr) return;
  XRect r = popup->rect;
  const int width = r.width(), height = r.height();
  const XPoint corner = scale.scale(XPoint{r.left, r.top});
  const auto workArea = workAreaAt({corner.x, corner.y});
  if (!workArea) return;
  const XRect work = scale.unscale(XRect{workArea->left, workArea->top, workArea->right, workArea->bottom});
  if (r.right > work.right) {
    // A submenu goes to the other side of its parent; a root menu slides left.
    MenuWindow* parent = popup->depth > 0 ? level(popup->depth - 1) : nullptr;
    r.left = parent != nullptr ? parent->rect.left - width : work.right - width;
  }
  r.left = std::max<int>(r.left, work.left);
  if (r.top + height > work.bottom) r.top = work.bottom - height;
  r.top = std::max<int>(r.top, work.top);
  r.right = r.left + width;
  r.bottom = r.top + height;
  popup->rect = r;
}

void menuPopupShown(NativeWindow& popup) {
  if (!menuIsOpen()) return;
  if (menuPopup(0) == popup.handle()) {
    gUnderMouse = 0;
    SetCapture(popup.hwnd());
  }
  popupsChanged();
}

void menuPopupGone() {
  if (!menuIsOpen()) gUnderMouse = 0;
  popupsChanged();
}

void dismissMenus(HWINDOW owner) {
  MenuWindow* root = level(0);
  if (root != nullptr && (owner == 0 || root->owner == owner)) menuDismiss();
}

void stopMenus() {
  gUnderMouse = 0;
  if (menuIsOpen()) menuDismiss();
}

LRESULT menuPopupMessage(NativeWindow& popup, UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  HWND hwnd = popup.hwnd();
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW))); return TRUE;
    case WM_MOUSEMOVE: mouseMoved(screenPoint(hwnd, lParam), mouseFlags(wParam)); return 0;
    case WM_MOUSELEAVE: return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      // A press outside the menu closes it and goes no further; inside, the release picks.
      if (levelAt(screenPoint(hwnd, lParam)) == nullptr) menuDismiss();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      POINT screen = screenPoint(hwnd, lParam);
      if (MenuWindow* under = levelAt(screen)) menuLeftUp(*under, clientOf(*under, screen));
      return 0;
    }
    case WM_CAPTURECHANGED:
      // Someone else took the mouse (a dialog, a drag, another program): the menu goes.
      if (reinterpret_cast<HWND>(lParam) != hwnd && menuIsOpen() && menuPopup(0) == popup.handle()) menuDismiss();
      return 0;
    case WM_CANCELMODE:
      if (menuIsOpen()) menuDismiss();
      return 0;
    default: break;
  }
  *handled = false;
  return 0;
}

}  // namespace tovalux::tk::win32
