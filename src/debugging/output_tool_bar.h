// The tool bar of the "调试输出" pane: clear all, toggle word wrap, select all (the build output).
#pragma once

#include "toolkit/xcgui.h"

namespace tovalux {

// Fills "outDbugToolBar" (nothing when `toolBar` is not a tool bar). The buttons act on
// `buildOutput`, the build-output edit.
void fillOutputToolBar(HELE toolBar, HELE buildOutput);

}  // namespace tovalux
