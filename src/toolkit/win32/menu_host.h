// The native side of pop-up menus (the model's menu sessions, menu.h): their windows, the
// mouse and keyboard while one is open, and closing them when the user turns elsewhere.
//
// Menu pop-ups never take the activation or the keyboard focus, so the window the user works
// in keeps its look and its caret. While a session is open:
//   - its root pop-up holds the mouse capture: moves and clicks anywhere come to it and go to
//     the pop-up under the cursor (menuMouseMove / menuMouseLeave / menuLeftUp), or, over the
//     window that owns the menu, to that window's ordinary input (sliding along a menu bar);
//     a press outside every pop-up closes the session and is swallowed;
//   - a message hook of the UI thread gives the session the keys first (menuKeyDown), whatever
//     window has the focus (the IDE's own windows included);
//   - losing the capture (a dialog, another application), the owner losing the activation, or
//     WM_CANCELMODE closes the session.
// Pop-ups are kept on their monitor's work area: a submenu that does not fit on the right of
// its parent opens on its left; one too low moves up.
#pragma once

#include <windows.h>

#include "toolkit/model/core/scale.h"
#include "toolkit/types.h"

namespace tovalux::tk {
class Window;
}

namespace tovalux::tk::win32 {

class NativeWindow;

bool isMenuPopup(const Window& window);
// Moves a new pop-up onto its monitor (model rectangle, screen coordinates).
void placeMenuPopup(Window& window, const Scale& scale);
// A menu pop-up was shown: the root takes the capture and the key hook is installed.
void menuPopupShown(NativeWindow& popup);
// A menu pop-up's window is gone: when the session is over, the key hook goes.
void menuPopupGone();
// Messages of a menu pop-up; `handled` false leaves them to the ordinary window handling.
LRESULT menuPopupMessage(NativeWindow& popup, UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
// Closes an open menu session owned by `owner` (0: any).
void dismissMenus(HWINDOW owner);
// The backend is stopping.
void stopMenus();

}  // namespace tovalux::tk::win32
