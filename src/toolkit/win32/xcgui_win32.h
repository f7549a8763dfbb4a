// The toolkit's public surface on Windows: the portable functions (xcgui.h) plus what only real
// windows have. Link tovalux_toolkit_win32 and XInitXCGUI brings the Win32 backend up on the
// calling thread (the UI thread); the toolkit then lives in that thread's message loop, whoever
// runs it (the host IDE, a dialog, a test's pump): it has no loop of its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/xcgui.h"

// Toolkit window styles (the last argument of XWnd_CreateEx and XFrameWnd_CreateEx; the frame
// uses 47 = caption | border | center | drag border | allow max).
enum XWindowStyle : int {
  window_style_caption = 0x01,      // the top margin band moves the window
  window_style_border = 0x02,       // borderless, drawn by the toolkit (every toolkit window is)
  window_style_center = 0x04,       // placed in the middle of its monitor's work area
  window_style_drag_border = 0x08,  // resized by dragging its edges
  window_style_drag_window = 0x10,  // moved by dragging any part that is not a control
  window_style_allow_max = 0x20,    // may be maximised (double click on the caption)
};

// Runs fn(data) on the UI thread and answers its result. On the UI thread it runs at once;
// another thread waits until the UI thread has run it. Before XInitXCGUI, after XExitXCGUI
// (also for a caller already waiting when the toolkit exits) it answers 0 without running it.
int XC_CallUiThread(int (*fn)(void* data), void* data);

// Units and device pixels. Every size and place the toolkit takes and gives (layouts, XWnd_ and
// XEle_ rectangles, event 36's) is in 96-dpi units; a window draws them at its native window's
// DPI. Code that puts native windows over elements, or reads Win32 rectangles into the toolkit,
// converts here (rectangles edge by edge, half away from zero, so that neighbours still meet).
// The DPI a toolkit window draws at; for 0 (or a handle without a native window) the DPI new
// top-level windows start at.
int XWnd_GetDPI(HWINDOW window);
// A rectangle in the window's units (client or screen) to its device pixels, and back.
void XWnd_UnitsToDevice(HWINDOW window, RECT* rect);
void XWnd_DeviceToUnits(HWINDOW window, RECT* rect);

namespace tovalux::tk::win32 {

// What the backend shows of a window, for tests and diagnostics.
struct WindowProbe {
  HWND window = nullptr;
  int paints = 0;     // WM_PAINTs served so far
  RECT lastPaint{};   // client area the last one painted (bounding box)
  int lastAreas = 0;  // rectangles it was painted as
  HWND shadow = nullptr;
  bool shadowVisible = false;
  RECT shadowRect{};  // screen rectangle of the shadow window
};
bool probeWindow(HWINDOW window, WindowProbe* out);
// Premultiplied 0xAARRGGBB of the window's drop shadow at (x, y) in shadow-window coordinates
// (0 when there is none): layered pixels are not visible to screenshots on every system.
uint32_t shadowPixel(HWINDOW window, int x, int y);
// The toolkit's tooltip pop-up (null until a tooltip was first needed).
HWND toolTipWindow();

}  // namespace tovalux::tk::win32
