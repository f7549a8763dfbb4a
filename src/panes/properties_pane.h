// The properties and events pane ("组件属性"): themed copies of the host designer's component
// and event combo boxes above the host's own property grid. The copies follow what the host
// sends to its combos (mirror slots); a choice in a copy is passed back by operating the host's
// combo as a user would. UI thread only.
#pragma once

#include <windows.h>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

// Start-up: the pane's view, the two combos, the property form holding the host's grid; plugs
// the component and event combo mirror slots in.
void buildPropertiesPane();

void mirrorComponentCombo(const HostMessage& message);
void mirrorEventCombo(const HostMessage& message);

// The combos' events as the user raises them.
void onComponentChosen(int row);
void onEventListPopup(HWINDOW popup, HELE list);
void onEventChosen(int row);

// For tests.
HELE componentCombo();
HELE eventCombo();
void resetPropertiesPaneForTests();

}  // namespace tovalux
