// What the model asks of the platform layer (the Win32 backend). Every call is a notice or a
// request; the model keeps working without a platform (natively, in tests). The model calls it
// on the UI thread, from inside its own operations, so an implementation must not call back
// into the model in a way that destroys what the caller still holds (the backend defers that).
#pragma once

#include "toolkit/types.h"

namespace tovalux::tk {

class Window;
class TextMeasurer;

enum class WindowCommand { maximize, restore, minimize, close };

// How the platform shows a native window: ShowWindow's numbers. XWnd_ShowWindow passes its
// caller's number through, so any other value may arrive too; the model itself uses these.
enum class ShowMode : int {
  hide = 0,            // SW_HIDE
  showNoActivate = 4,  // SW_SHOWNOACTIVATE: pop-ups (menus, drop-downs) never take the activation
  show = 5,            // SW_SHOW
};

class Platform {
 public:
  virtual ~Platform() = default;
  virtual void windowCreated(Window&) {}
  // Called before the window's elements are destroyed; the native window should go too.
  virtual void windowDestroyed(Window&) {}
  // An area of the window needs painting (immediate: paint before returning).
  virtual void invalidate(Window&, const XRect&, bool /*immediate*/) {}
  virtual void showWindow(Window&, ShowMode) {}
  // A button with a window role was clicked, or the model wants the window to change state.
  virtual void windowCommand(Window&, WindowCommand) {}
  // The model changed the window's position or size (XWnd_SetRect and the like).
  virtual void windowMoved(Window&) {}
  // A screen point as Windows gives it, in the units of the windows `owner` (a native window)
  // owns: the model places pop-ups in screen units (model/core/scale.h).
  virtual XPoint unitsFromScreen(XHWND /*owner*/, XPoint screen) { return screen; }
  // The measurer to use for text; null keeps the model's approximation.
  virtual TextMeasurer* measurer() { return nullptr; }
  // XExitXCGUI has destroyed every object; the platform is dropped right after.
  virtual void toolkitExited() {}
};

// A backend linked into the program registers its factory before XInitXCGUI runs (the Win32
// backend does so from a static initializer); XInitXCGUI installs what it answers as
// context().platform. Without one the model runs windowless, as in the native tests.
using PlatformFactory = Platform* (*)();
void setPlatformFactory(PlatformFactory factory);
PlatformFactory platformFactory();

}  // namespace tovalux::tk
