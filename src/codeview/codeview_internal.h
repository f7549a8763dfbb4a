// What the three parts of the code view companions share.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "codeview/codeview.h"
#include "shell/part.h"
#include "toolkit/xcgui.h"

namespace tovalux::codeview {

CodeViewCounters& counters();

// The shell's element of that name when it is an object of `type` (XC_TABBAR...), else 0.
HXCGUI frameObject(std::string_view name, int type);

// The navigation bar's start-up part (called from setupCodeTabs) and its shut-down part.
void setupNavigationBar();
void stopNavigation();
// The navigation bar follows the host's unit and member combo boxes (the code tabs' Part).
extern const MirrorBinding kNavigationMirrors[2];
// The caret timer's shut-down part.
void stopCaretTimer();

}  // namespace tovalux::codeview
