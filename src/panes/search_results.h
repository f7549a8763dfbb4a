// The dock panes "搜寻结果1" and "搜寻结果2": the host's two search-result list boxes, one text per
// row; a double click opens the hit in the host. Also the status text that shows the host's tip.
// UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "shell/host_mirrors.h"
#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The panes' Part: builds them, mirrors the host's two search lists into them and shows the
// host's tips in the status text (showTipInStatus).
extern const Part kSearchPanesPart;

// Start-up: both layouts into panes 9 and 10, the lists; both panes laid out and redrawn.
void buildSearchPanes();

// Router rows 12 and 13 (list 0 or 1): LB_ADDSTRING, LB_RESETCONTENT.
void mirrorSearchAdd(int list, std::string_view text);
void mirrorSearchClear(int list);

// A double click in list `list`: the host list box gets the row's selection and a double click
// at its centre.
void onSearchDoubleClick(int list);

// Router row 15: the host's tip text (window 1001) on one line in the frame's "stateText".
void showTipInStatus();

// "searchResult1ListBox" (0) and "searchResult2ListBox" (1); 0 when not built.
HELE searchList(int list);
// How often each list was redrawn as a whole (tests: lines are not redrawn one by one).
uint32_t searchListRedraws(int list);

}  // namespace tovalux
