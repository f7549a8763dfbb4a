// The dock pane "断点栈堆": on the left the call stack of the paused program (one row per host
// call-stack item, the chosen level marked), on the right the variables of that level (see
// variables_reader.h). The rows follow the host's call-stack tree through the router; choosing a
// row opens that level in the host. UI thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The pane's Part: builds it and mirrors the host's call-stack and variables trees into it.
extern const Part kStackPanePart;

// Start-up: the layout into pane 7, both lists set up, the events registered.
void buildStackPane();

// Router row 9: a host call-stack insert (after the host made `item`) and any delete.
void mirrorStackInsert(std::string_view text, HTREEITEM item);
void mirrorStackClear();

// The user chose a row (-1: none): the marker moves, the host opens that level and its
// stack-level combo box is moved to the same index.
void onStackRowSelected(int row);

// "stackListBox"; 0 before the pane is built or when its layout is missing.
HELE stackListBox();
// The marker image a row shows (the "icon" value): tests compare it with the theme's images.
HIMAGE stackRowMarker(int row);

}  // namespace tovalux
