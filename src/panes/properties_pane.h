// The properties and events pane ("组件属性"): themed copies of the host designer's component
// and event combo boxes above the host's own property grid. The copies follow what the host
// sends to its combos (mirror slots); a choice in a copy is passed back by operating the host's
// combo as a user would. UI thread only.
#pragma once

#include <windows.h>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The pane's Part: builds it and mirrors the host's component and event combo boxes into it.
extern const Part kPropertiesPanePart;

// Start-up: the pane's view, the two combos, the property form holding the host's grid.
void buildPropertiesPane();
// Shut-down: the host's grid and event combo box given back, the form out of the frame, the
// pane's state forgotten.
void tearDownPropertiesPane();

void mirrorComponentCombo(const HostMessage& message);
void mirrorEventCombo(const HostMessage& message);

// The combos' events as the user raises them.
void onComponentChosen(int row);
void onEventListPopup(HWINDOW popup, HELE list);
void onEventChosen(int row);

// For tests.
HELE componentCombo();
HELE eventCombo();

}  // namespace tovalux
