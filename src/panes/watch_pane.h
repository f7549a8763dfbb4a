// The dock pane "变量监视": the host's watch list, cell by cell, with a tool bar that asks the
// host to add a watch or to delete the chosen one. UI thread only.
#pragma once

#include <string_view>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The pane's Part: builds it and mirrors the host's watch list view into it.
extern const Part kWatchPanePart;

// Start-up: the layout into pane 8, the list and its tool bar.
void buildWatchPane();

// Router row 11: LVM_INSERTITEMA, LVM_SETITEMA, LVM_DELETEALLITEMS, LVM_DELETEITEM.
void onWatchListMessage(const HostMessage& message);

// The tool bar's buttons.
void onAddWatch();
void onDeleteWatch();

// "variableList" and "variableToolBar"; 0 when not built.
HELE watchList();
HELE watchToolBar();

}  // namespace tovalux
