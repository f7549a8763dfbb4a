// The native side of combo-box drop-downs (the model's ComboBox::openPopup): a pop-up window
// holding the combo box's list, which never takes the activation.
//
// While it is open it holds the mouse capture: presses inside go to its list as ordinary input
// (a click on a row chooses it: 71), a press anywhere else closes it and goes no further (so a
// click on its own combo box closes it rather than opening it again). Keys reach it first
// through the pop-up key hook: up, down, page up/down, home and end move the list's
// selection, return chooses the selected row, escape closes. Losing the capture, the owner
// losing the activation, or WM_CANCELMODE close it. It opens below its combo box, or above
// when the screen has no room below.
#pragma once

#include <windows.h>

#include "toolkit/model/core/scale.h"
#include "toolkit/types.h"

namespace tovalux::tk {
class Window;
}

namespace tovalux::tk::win32 {

class NativeWindow;

// The combo box a drop-down window belongs to, or 0 for any other window.
HELE dropDownCombo(const Window& window);
// Moves a new drop-down onto its monitor (model rectangle, screen coordinates).
void placeDropDown(Window& window, const Scale& scale);
void dropDownShown(NativeWindow& popup);
void dropDownGone(HWINDOW popup);
// Messages of a drop-down; `handled` false leaves them to the ordinary window handling.
LRESULT dropDownMessage(NativeWindow& popup, UINT message, WPARAM wParam, LPARAM lParam, bool* handled);

}  // namespace tovalux::tk::win32
