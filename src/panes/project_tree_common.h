// What the project tree and the support-library browser share: theme icons by name, the tree
// set-up, one mirrored item, the row styling, and what each keeps of the host tree it mirrors.
// UI thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "panes/project_tree_rules.h"
#include "panes/project_tree_search.h"
#include "shell/host_mirrors.h"
#include "shell/pane_kit.h"
#include "toolkit/xcgui.h"

namespace tovalux {

inline constexpr XColor kPaneTreeTextColour = XRGB(241, 241, 241);

// An image of the loaded theme resources by name (remembered per start, by the address of the
// name: pass names that live as long as the program, the rule tables' literals); 0 when absent.
HIMAGE themeIcon(std::string_view name);
// Forgets the remembered images (the toolkit started again).
void forgetThemeIcons();

// The pane tree's set-up (pane_kit::setUpTree). Answers the second template (LibsTreeItem2.xml)
// for leaves; 0 when it cannot be loaded.
HTEMP setUpPaneTree(HELE tree);
// Appends an item under `parentId` (0: top level) with name1 = the icon, name2 = the label and
// name3 = the host handle in decimal (0: none written). Answers its id, -1 when refused.
int addPaneTreeItem(HELE tree, int parentId, std::string_view label, std::string_view icon, project::HostHandle host);
// Event 122: the expand button's descriptor and the label's colour.
void stylePaneTreeItem(HELE tree, int id, XColor labelColour);

// A pane tree that mirrors a host tree view: the tree and its find box, the map between host and
// pane items, the labels a search reads, the icons, and one refresh for a burst of changes.
struct MirroredTree {
  pane_kit::PaneElement<XC_TREE> tree;
  HELE find = 0;
  HTEMP leafTemplate = 0;
  project::HostItemMap map;
  PaneItems items;  // labels, parents and icons
  TreeSearch search;
  bool refreshPending = false;

  // The refresh once for many changes: `flush` runs as the UI job of `key` (at once when the
  // queue refuses it) and calls flushTree.
  void requestRefresh(uint32_t key, void (*flush)());
  // The tree's data again, redrawn.
  void flushTree();
  // The find box's query applied; the first match brought into view.
  void applySearch(std::string_view query);
  // The host emptied its tree: every item forgotten (the search goes on for the items to come).
  void forgetItems();
  std::string label(int id) const;
  std::string_view icon(int id) const;
};

// A host tree's TVM_INSERTITEMA after the host answered it: the new item, its parent as the host
// gave it (0 or TVI_ROOT for the top level), text and image, the text and the image read back from the host's new item when the
// message did not carry them. None when the host refused the insert.
struct MirroredInsert {
  project::HostHandle item = 0;
  project::HostHandle parent = 0;
  std::string text;
  int image = 0;
};
std::optional<MirroredInsert> mirroredInsert(const HostMessage& message);

}  // namespace tovalux
