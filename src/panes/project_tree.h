// The pane "项目结构": a themed mirror of the host's program tree (leftPanelItem1019) with a tool
// bar of commands for new program elements, a search box, per-kind context menus and
// navigation by double click. The pane owns no model of the project: everything the user does
// is sent back to the host (select the host item, then a host command or an IDE function) and
// the mirror follows what the host then does to its tree. UI thread only.
#pragma once

#include <windows.h>

#include <string_view>

#include "panes/project_tree_rules.h"
#include "toolkit/xcgui.h"

namespace tovalux {

struct HostMessage;
struct Part;

// The pane's Part: builds it and mirrors the host's program tree into it. Its context menus take
// the commands' look (the attachContextMenuLook peer); without it they are plain.
extern const Part kProjectTreePart;

// Start-up (after the library browser): the layout, tool bar, tree, search box and events.
void buildProjectPane();

// The mirror slot of the program tree: TVM_INSERTITEMA (after the host), TVM_DELETEITEM and
// TVM_EXPAND 1/2 (before).
void onProgramTreeMessage(const HostMessage& message);

// The mirror entry points. `hostImage` -1 (and a text not given) are read back from the host
// item. A burst of inserts ends in one refresh of the tree.
void mirrorProjectInsert(std::string_view text, project::HostHandle hostParent, int hostImage,
                         project::HostHandle newHostItem);
void mirrorProjectDelete(project::HostHandle hostItem);
void mirrorProjectExpand(project::HostHandle hostItem, bool expand);

// "全部收缩": every pane item and every expanded host item collapsed (the search ends).
void collapseAllProjectItems();
// The search box's text changed: the search is run with it.
void searchProjectTree(std::string_view query);
// The refresh a burst of inserts asked for, now (tests and benchmarks).
void flushProjectTree();

// Elements; 0 before the pane is built.
HELE projectTree();
HELE projectToolBar();
HELE projectFindCombo();
// The pane item of a host item; -1 when not mirrored.
int projectItemOf(project::HostHandle hostItem);
// The host item a pane item stands for (its name3); 0 when none.
project::HostHandle projectHostItem(int paneId);
// The label the pane shows for an item (name2).
std::string projectItemLabel(int paneId);
// The icon name an item was given; empty for none.
std::string_view projectItemIcon(int paneId);
bool projectSearchMatches(int paneId);

// The pane forgotten (before a build, and the Part's tearDown).
void resetProjectPane();

}  // namespace tovalux
