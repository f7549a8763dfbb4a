// The DPI of the toolkit's windows, and the thread awareness they are created with.
//
// The host process is not DPI-aware and the plug-in never changes the process's awareness.
// Where Windows lets a thread create windows of another awareness and host windows of the old
// one inside them (SetThreadDpiAwarenessContext, Windows 10 1607, together with
// SetThreadDpiHostingBehavior, 1803), the toolkit's top-level windows are created per-monitor
// aware: they draw at their monitor's DPI and follow WM_DPICHANGED, while the host's windows
// placed inside keep their own awareness. Elsewhere (Windows 7, Wine without the hosting call)
// the thread's awareness stays as it is and windows draw at the DPI Windows reports for them:
// the system DPI. Every function is looked up with GetProcAddress, so the plug-in loads on
// Windows 7. UI thread only.
#pragma once

#include <windows.h>

#include "toolkit/model/core/scale.h"

namespace tovalux::tk::win32 {

// The system DPI (GetDpiForSystem, else the screen's LOGPIXELSY).
int systemDpi();
// A window's DPI (GetDpiForWindow, else the system DPI); 96 for no window.
int windowDpi(HWND hwnd);
// Whether top-level toolkit windows are created per-monitor aware on this system.
bool perMonitorWindows();

// While it lives, windows the thread creates are per-monitor aware (v2) with mixed hosting,
// where the system supports both; otherwise it does nothing. The thread's context and hosting
// behaviour are restored when it ends; a window keeps the awareness it was created with.
class PerMonitorScope {
 public:
  PerMonitorScope();
  ~PerMonitorScope();
  PerMonitorScope(const PerMonitorScope&) = delete;
  PerMonitorScope& operator=(const PerMonitorScope&) = delete;

 private:
  void* oldContext_ = nullptr;
  int oldHosting_ = -1;
  bool active_ = false;
};

// The DPI text is measured at for layouts (the model measures without a window): the DPI of
// the toolkit's main window once there is one, else the system DPI.
Scale measuringScale();
void setMeasuringScale(Scale scale);
void forgetMeasuringScale();  // the toolkit exited

}  // namespace tovalux::tk::win32
