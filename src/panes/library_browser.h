// The pane "易支持库": a themed mirror of the host's support-library tree (leftPanelItem1022) and
// the help text of the chosen entry, read from the host's tips box (bottomPanelItem1001) after
// the entry is selected in the host tree. Two layouts, chosen at start-up by "LibTree": the
// single tree, or the split view with the entry's members listed beside the tree over the help
// text. A search box finds entries by label. UI thread only.
#pragma once

#include <string>
#include <string_view>

#include "panes/project_tree_rules.h"
#include "toolkit/xcgui.h"

namespace tovalux {

struct HostMessage;
struct Part;

// The pane's Part: builds it and mirrors the host's support-library tree into it.
extern const Part kLibraryBrowserPart;

// Start-up, first among the tool panes: layout by "LibTree", elements, events.
void buildLibraryPane();

// The mirror slot of the library tree: TVM_INSERTITEMA (after the host) and TVM_DELETEITEM of
// any item (before: the whole mirror is emptied).
void onLibraryTreeMessage(const HostMessage& message);
void mirrorLibraryInsert(std::string_view text, project::HostHandle hostParent, int hostImage,
                         project::HostHandle newHostItem);
void mirrorLibraryClear();

// What a selection in the tree (126) or the list (86) does; also callable with an item id.
void onLibraryTreeSelect(int id);
void onLibraryListSelect(int row);
// The search box's text changed.
void searchLibraryTree(std::string_view query);
void flushLibraryTree();

// The split layout is in use.
bool librarySplitLayout();
HELE libraryTree();
HELE libraryList();      // 0 in the single-tree layout
HELE libraryTipsEdit();  // 0 in the single-tree layout
HELE libraryFindCombo();
int libraryItemOf(project::HostHandle hostItem);
project::HostHandle libraryHostItem(int paneId);
std::string libraryItemLabel(int paneId);
std::string_view libraryItemIcon(int paneId);

// The pane's state forgotten (before a build, and the Part's tearDown).
void resetLibraryPane();

}  // namespace tovalux
