// The toolbox pane ("系统组件"): the components of the host's form designer, one group per host
// group button, with icons from lib\Tovalux\Control\icon.json. Choosing a component puts the
// host into its placing mode by selecting the component in the host's toolbox tree. UI thread.
#pragma once

#include <windows.h>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The pane's Part: builds it, mirrors the host's toolbox tree into it and puts its procedure on
// the host's group buttons as the host makes them.
extern const Part kToolboxPart;

// Start-up: the pane's list view with groups.
void buildToolboxPane();
// Shut-down: the pane's state forgotten.
void tearDownToolbox();

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

}  // namespace tovalux
