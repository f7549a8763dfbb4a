// The host controls the hooks compare windows with, found once and kept while they live.
//
// HostWindows walks GetDlgItem paths from the main window on every call (about 12 us a step
// under Wine): far too slow for a router that runs on every send. A control found once is kept
// and compared by handle; it is walked again only when the kept window died or stopped carrying
// its id (the host made it anew). The property grid and the event combo box keep their handles
// when the shell re-parents them, so they stay found. Every row of the host-control table
// (host/host_control_table.h) has its kept handle; the completion list, which no path reaches, is
// recognised by its class and parent instead.
#pragma once

#include <windows.h>

#include "host/host_control_table.h"

namespace tovalux {

// The control's window; null when the host has none.
HWND hostControl(HostControl control);
// True when `window` is that control. Never true for a null window or a control the host lacks.
bool isHostControl(HWND window, HostControl control);
// The kept handle as it is, without asking Windows whether it still lives (a walk only when none
// is kept yet): for the hottest tests, which compare a window with it and look closer on a match.
HWND keptHostControl(HostControl control);
// Forget every kept handle (installation, removal, a new host main window).
void forgetHostControls();

// The code-completion list: a "SysTreeView32" with id 1109 whose parent is an untitled "#32770".
bool isCompletionList(HWND window);

}  // namespace tovalux
