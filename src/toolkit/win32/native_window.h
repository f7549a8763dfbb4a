// One real window behind a toolkit window: creation, painting from the model through the GDI
// canvas, and the translation of window messages into the model's input and events.
//
// Message order for every message: the window's XWnd_RegEventC handlers for that message
// number first (a handler marking it handled ends it there, answering 0), then the toolkit.
//
//   WM_NCCALCSIZE      the whole window is client area (the toolkit draws all of it)
//   WM_NCHITTEST       edges and corners size the window (drag-border style, not maximised);
//                      the caption band and non-control areas move it (drag caption/window)
//   WM_GETMINMAXINFO   minimum size; maximised windows cover their monitor's work area
//   WM_SIZE, WM_MOVE   the model's rectangle follows; layout again (event 36) and repaint
//   WM_PAINT           the dirty area is painted into the back buffer and copied to screen
//   mouse              model input: hover (6/8, leave tracked with TrackMouseEvent), buttons
//                      (10/11/34, 14, 13) with capture while a button is held, wheel
//   WM_KEYDOWN/CHAR    the focused element (open menus first)
//   WM_CLOSE           destroys the toolkit window unless a handler took event 16
//   WM_DESTROY         a window destroyed from outside takes its toolkit window with it
//   WM_DPICHANGED      a per-monitor window moved to a monitor of another DPI: the suggested
//                      rectangle, the new scale, layout again and repaint
//
// Units: the model works in 96-dpi units; the window's Scale (its DPI, read at creation and
// changed only by WM_DPICHANGED) turns them into device pixels here and nowhere else in the
// window: the window rectangle (a top-level window's in screen units, the screen divided by the
// scale), painting (GdiCanvas), and the other way for mouse points, hit-testing and cursors.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/model/core/scale.h"
#include "toolkit/types.h"
#include "toolkit/win32/gdi.h"

namespace tovalux::tk {
class Window;
}

namespace tovalux::tk::win32 {

class ShadowWindow;

// The key and button flags of a mouse message that the model's input takes.
inline int mouseFlags(WPARAM wParam) {
  return static_cast<int>(wParam & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL));
}

class NativeWindow {
 public:
  explicit NativeWindow(HWINDOW handle);
  ~NativeWindow();
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // Ordinary windows, and the toolkit's own pop-ups, which never take the activation.
  enum class Kind { window, menu, dropDown };

  HWINDOW handle() const { return handle_; }
  HWND hwnd() const { return hwnd_; }
  Kind kind() const { return kind_; }
  Window* model() const;
  bool isChild() const;
  const Scale& scale() const { return scale_; }

  // Creates the native window for the model window (its class, styles, rectangle, parent).
  bool create();
  // The toolkit window is going: destroy the native one (no event 16).
  void destroyFromModel();
  void invalidate(const RECT& area, bool immediate);
  // Layering, window alpha and the drop shadow, from the model's settings (`restack`: the
  // window moved in the z-order, its shadow must follow).
  void applyLook(bool restack = false);

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

  // Lifetime: the backend keeps a retired object until its window procedure has returned.
  void retire() { retired_ = true; }
  bool retired() const { return retired_; }
  bool busy() const { return depth_ > 0; }

  // Test probes.
  int paints() const { return paints_; }
  RECT lastPaint() const { return lastPaint_; }
  int lastAreas() const { return lastAreas_; }
  ShadowWindow* shadow() const { return shadow_.get(); }

 private:
  friend LRESULT CALLBACK toolkitWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT own(UINT message, WPARAM wParam, LPARAM lParam);
  // The messages own() hands on, one handler each (window-client points unless named `screen`).
  void onGetMinMaxInfo(MINMAXINFO& info);
  void onWindowPosChanging(WINDOWPOS& pos);
  void onSize(WPARAM kind);
  void onActivate(bool active);
  void onShowWindow(bool shown);
  void onNcMouseMove();
  void onMouseLeave();
  void onLeftButtonDown(bool doubleClick, XPoint pt, WPARAM flags);
  void onLeftButtonUp(XPoint pt, WPARAM flags);
  void onRightButtonDown();
  void onRightButtonUp(XPoint pt, WPARAM flags);
  void onCaptureChanged(HWND taker);
  void onMouseWheel(POINT screen, int delta);
  // Answer whether the focused element (or a parent) took the key; else DefWindowProc has it.
  bool onKeyDown(int key);
  bool onChar(char16_t c);
  void onDpiChanged(int dpi, const RECT& suggested);
  void onClose();
  void onDestroy();
  void onNcDestroy();
  void paint();
  LRESULT hitTest(POINT screen);
  void syncRect();
  void mouseMoved(POINT client, WPARAM flags);
  // A client point of a mouse message, in units.
  XPoint unitsAt(LPARAM lParam) const;
  // The element under the cursor (enabled or not) for the tooltip; 0 when none.
  void tipTarget(HELE element);
  bool setCursor();

  HWINDOW handle_;
  HWND hwnd_ = nullptr;
  Kind kind_ = Kind::window;
  Scale scale_;
  Surface surface_;
  std::unique_ptr<ShadowWindow> shadow_;
  bool tracking_ = false;    // TME_LEAVE requested
  bool destroying_ = false;  // native destruction under way
  HELE tipTarget_ = 0;       // element the tooltip is about
  int paints_ = 0;
  RECT lastPaint_{};
  int lastAreas_ = 0;
  int appliedType_ = -1, appliedAlpha_ = -1;
  int depth_ = 0;  // nesting of the window procedure
  bool retired_ = false;
};

}  // namespace tovalux::tk::win32
