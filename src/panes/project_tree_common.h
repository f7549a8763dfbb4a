// What the project tree and the support-library browser share on the toolkit side: theme
// icons by name, the tree set-up, one mirrored item and the row styling.
// UI thread only.
#pragma once

#include <string>
#include <string_view>

#include "panes/project_tree_rules.h"
#include "toolkit/xcgui.h"

namespace tovalux {

inline constexpr XColor kPaneTreeTextColour = XRGB(241, 241, 241);

// An image of the loaded theme resources by name (remembered per start, by the address of the
// name: pass names that live as long as the program, the rule tables' literals); 0 when absent.
HIMAGE themeIcon(std::string_view name);
// Forgets the remembered images (the toolkit started again).
void forgetThemeIcons();

// Item template LibsTreeItem.xml, heights 20/20, no lines, indentation 10, an adapter. Answers
// the second template (LibsTreeItem2.xml) for leaves; 0 when it cannot be loaded.
HTEMP setUpPaneTree(HELE tree);
// Appends an item under `parentId` (0: top level) with name1 = the icon, name2 = the label and
// name3 = the host handle in decimal (0: none written). Answers its id, -1 when refused.
int addPaneTreeItem(HELE tree, int parentId, std::string_view label, std::string_view icon, project::HostHandle host);
// Event 122: the expand button's descriptor and the label's colour.
void stylePaneTreeItem(HELE tree, int id, XColor labelColour);

}  // namespace tovalux
