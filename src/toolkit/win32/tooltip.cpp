#include "toolkit/win32/tooltip.h"

#include <algorithm>

#include "base/guard.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/win32/accessible.h"
#include "toolkit/win32/backend.h"
#include "toolkit/win32/gdi_canvas.h"
#include "toolkit/win32/monitors.h"

namespace tovalux::tk::win32 {

namespace {
constexpr int kPadX = 8, kPadY = 4;

std::pair<XColor, uint8_t> themeColor(const char* name, XColor fallback) {
  if (auto c = resourceStore().resources.color(name)) return {c->color, c->alpha};
  return {fallback, 255};
}

LRESULT CALLBACK toolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  const bool handled = guarded(
      GuardSite::kToolkit,
      [&] {
        Backend* backend = Backend::running();
        if (backend == nullptr || backend->toolTip() == nullptr) return false;
        answer = backend->toolTip()->handle(hwnd, message, wParam, lParam);
        return true;
      },
      false);
  return handled ? answer : DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

ToolTip::~ToolTip() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool ToolTip::ensureWindow() {
  if (hwnd_ != nullptr) return true;
  Backend* backend = Backend::running();
  if (backend == nullptr || !backend->ensureClass(kToolTipClass, 0, toolTipProc)) return false;
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT, kToolTipClass, L"",
                          WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, moduleInstance(), nullptr);
  return hwnd_ != nullptr;
}

void ToolTip::hover(HELE element) {
  if (element == shown_ || element == pending_) return;
  hide();
  const Element* e = getElement(element);
  if (e == nullptr || e->tooltip.empty() || !ensureWindow()) return;
  pending_ = element;
  SetTimer(hwnd_, kShowTimer, kDelay, nullptr);
}

void ToolTip::leave(HELE element) {
  if (element != 0 && (element == shown_ || element == pending_)) hide();
}

void ToolTip::hide() {
  pending_ = shown_ = 0;
  if (hwnd_ == nullptr) return;
  KillTimer(hwnd_, kShowTimer);
  if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

void ToolTip::show() {
  KillTimer(hwnd_, kShowTimer);
  const Element* e = getElement(pending_);
  if (e == nullptr || e->tooltip.empty() || !e->visible) {
    pending_ = 0;
    return;
  }
  shown_ = std::exchange(pending_, 0);
  text_ = e->tooltip;
  SetWindowTextW(hwnd_, reinterpret_cast<const wchar_t*>(text_.c_str()));
  // At the scale of the element's window, measured at it.
  Backend* backend = Backend::running();
  const Window* owner = e->window();
  scale_ = backend != nullptr && owner != nullptr ? backend->scaleOf(owner->handle()) : Scale();
  XSize extent = measureDevice(text_, context().fallbackFont(), scale_);
  const int width = extent.cx + 2 * scale_.scale(kPadX), height = extent.cy + 2 * scale_.scale(kPadY);
  POINT cursor{};
  GetCursorPos(&cursor);
  // Below the cursor, kept on the cursor's monitor.
  RECT area{cursor.x, cursor.y + 20, cursor.x + width, cursor.y + 20 + height};
  if (auto workArea = workAreaAt(cursor)) {
    const RECT& work = *workArea;
    if (area.right > work.right) OffsetRect(&area, work.right - area.right, 0);
    if (area.bottom > work.bottom) OffsetRect(&area, 0, cursor.y - 4 - area.bottom);
    if (area.left < work.left) OffsetRect(&area, work.left - area.left, 0);
  }
  SetWindowPos(hwnd_, HWND_TOPMOST, area.left, area.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ToolTip::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (surface_.ensure(client.right, client.bottom)) {
    GdiCanvas canvas(surface_, client.right, client.bottom, scale_);
    // In units: the client rounded up, the canvas clips to the window.
    const XRect all{0, 0, scale_.unscaleUp(client.right), scale_.unscaleUp(client.bottom)};
    auto [bg, bgAlpha] = themeColor("ID_COLOR_TipBg", palette::kViewSurface);
    auto [border, borderAlpha] = themeColor("ID_COLOR_Border", palette::kRule);
    auto [text, textAlpha] = themeColor("ID_COLOR_Text", palette::kText);
    canvas.fillRect(all, bg, bgAlpha);
    canvas.frameRect(all, border, borderAlpha, 1);
    canvas.text(text_, {kPadX, 0, all.right - kPadX, all.bottom}, text_align_left | text_align_vcenter,
                context().fallbackFont(), text, textAlpha);
    canvas.finish();
    GdiFlush();
    BitBlt(dc, 0, 0, client.right, client.bottom, surface_.dc(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT ToolTip::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kShowTimer && hwnd == hwnd_) show();
      return 0;
    case WM_PAINT:
      if (hwnd == hwnd_) {
        paint();
        return 0;
      }
      break;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_GETOBJECT:
      if (const LRESULT object = toolTipObject(hwnd, wParam, lParam)) return object;
      break;
    case WM_NCDESTROY:
      if (hwnd == hwnd_) hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tovalux::tk::win32
