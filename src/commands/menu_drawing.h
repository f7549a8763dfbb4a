// The dark owner drawing of the shell's pop-up menus: the bar buttons' looks while a menu is
// open, the pop-ups' frame, fill and drop shadow, and every item (separators, hot rows, submenu
// arrows, icons, name left and shortcut right). The bar menus use the handlers through
// buildMainMenu; a context menu elsewhere (the project tree's) attaches its variant with
// attachContextMenuLook.
#pragma once

#include "toolkit/xcgui.h"

namespace tovalux {

// A pop-up window of a menu exists (event 58): the menu items follow the run state
// (syncMenuState) and the pop-up's window class gets the drop shadow.
int onMenuPopupWindow(HELE receiver, XMenuPopupInfo* info, bool* handled);

// The context-menu look (events 60 and 61, registered with XEle_RegEventC): the frame and
// fill only (no open-button line); items as in the bar menus except that the grey submenu
// arrow is drawn only for state 4 exactly, and disabled text (states 16 and 17) is RGB(101,101,101).
int onContextMenuDrawBackground(HDRAW draw, XMenuDrawBackgroundInfo* info, bool* handled);
int onContextMenuDrawItem(HDRAW draw, XMenuDrawItemInfo* info, bool* handled);

// Registers onMenuPopupWindow (58) and the context-menu look (60, 61) on the element that
// receives a context menu's events (XMenu_Popup's receiver). Each element once.
void attachContextMenuLook(HELE receiver);

}  // namespace tovalux
