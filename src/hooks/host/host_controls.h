// The host controls the hooks compare windows with.
//
// HostWindows keeps the window each control's path found and walks again (about 12 us a step
// under Wine) only when that window died, lost its id or left its place; the router, which runs
// on every send, compares windows with the kept handles. The property grid and the event combo
// box stay found where the shell re-parents them. The completion list, which no path reaches, is
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
