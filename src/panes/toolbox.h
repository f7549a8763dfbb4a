// The toolbox pane ("系统组件"): the components of the host's form designer, one group per host
// group button, with icons from lib\Tovalux\Control\icon.json. Choosing a component puts the
// host into its placing mode by selecting the component in the host's toolbox tree. UI thread.
#pragma once

#include <windows.h>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

// Start-up: the pane's list view with groups; plugs the toolbox-tree mirror slot and the
// group-button procedure in.
void buildToolboxPane();

// The procedure on every host group button (creation rule 6): group texts, destruction, clicks.
LRESULT CALLBACK toolboxButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The toolbox tree's mirror slot: inserts, the root delete of a refill, the pointer selected.
void mirrorToolboxTree(const HostMessage& message);

// The list view's events as the user raises them.
void onToolSelected(int group, int item);
void onToolGroupExpanded(int group);

// For tests and benchmarks.
HELE toolboxList();
int toolboxCurrentGroup();
// How many times icon.json was read since start-up.
int toolboxIconReads();
void resetToolboxForTests();

}  // namespace tovalux
