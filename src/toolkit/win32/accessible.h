// Accessibility of the toolkit's windows: every toolkit window answers WM_GETOBJECT (OBJID_CLIENT)
// with an IAccessible over the model's accessible description (model/access/accessible.h), so
// that AccessibleObjectFromWindow gives a screen reader, an automation tool or another process
// the tree of its elements and items; the model's change notices become NotifyWinEvent.
//
//   objects      one small COM object per object asked for, holding only its child id: every
//                call resolves the id afresh, so a dead object answers CO_E_OBJNOTCONNECTED and
//                never touches freed memory. Child ids: 0 the object itself, a positive number the
//                1-based index of a child (as AccessibleChildren asks), a negative one an object's
//                id (what NotifyWinEvent names, and AccessibleObjectFromEvent passes back).
//   texts        UTF-16 BSTRs; places in screen coordinates.
//   threads      calls from another apartment come through COM's marshalling onto the UI thread;
//                a call that still arrives on another thread is run there by XC_CallUiThread.
//   actions      accDoDefaultAction posts the action to the UI thread and returns at once (the
//                click may open a menu or a dialog); the model performs it the way a click goes.
//   notices      taken from the model's queue once per burst (a posted message) and raised with
//                NotifyWinEvent on the UI thread; a focus notice only while the window has the
//                keyboard focus (menu pop-ups, which never take it, always). Menu pop-ups also
//                raise the menu start/end events as they open and close.
//   COM          the UI thread's apartment is entered (single-threaded) at the first WM_GETOBJECT
//                when nobody entered one before, and left again when the toolkit exits.
// UI thread only, but for the COM methods (see threads).
#pragma once

#include <windows.h>

#include "toolkit/types.h"

namespace tovalux::tk::win32 {

class NativeWindow;

void startAccessibility();
void stopAccessibility();

// WM_GETOBJECT of a toolkit window: the answer for OBJID_CLIENT, else 0 (DefWindowProc's turn).
LRESULT accessibleObject(HWINDOW window, WPARAM wParam, LPARAM lParam);
// WM_GETOBJECT of the tooltip pop-up: a tool tip object named by its text.
LRESULT toolTipObject(HWND tip, WPARAM wParam, LPARAM lParam);

// The window got the keyboard focus: the object focused inside it is announced.
void accessibleFocusArrived(HWINDOW window);
// A menu pop-up was shown / is being destroyed (its window still exists).
void menuPopupStarted(NativeWindow& popup);
void menuPopupEnding(NativeWindow& popup);

}  // namespace tovalux::tk::win32
