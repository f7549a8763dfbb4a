#include "panes/library_browser.h"

#include "base/gbk.h"
#include "host/host_text.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/ui_jobs.h"
#include "panes/project_tree_common.h"
#include "settings/settings.h"
#include "shell/host_mirrors.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using project::HostHandle;

constexpr uint32_t kRefreshKey = kFirstFreeUiJobKey + 9;
constexpr XColor kMatchColour = XRGB(255, 204, 102);
constexpr XColor kListTextColour = XRGB(218, 218, 217);

struct LibraryPane : MirroredTree {
  bool split = false;
  pane_kit::PaneElement<XC_LISTBOX> list;
  pane_kit::PaneElement<XC_EDIT> tips;
};

LibraryPane gPane;

bool live() { return gPane.tree.live(); }
bool listLive() { return gPane.list.live(); }
bool tipsLive() { return gPane.tips.live(); }
HWND hostTree() { return hostWindows().leftPanelItem1022(); }
HTREEITEM asItem(HostHandle handle) { return reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(handle)); }

void requestRefresh() { gPane.requestRefresh(kRefreshKey, &flushLibraryTree); }

// The host's tips box into "eLibsTtipsEdit" (capped, with the note of what was left out).
void showHostTips() {
  if (!tipsLive()) return;
  HWND tips = hostWindows().bottomPanelItem1001();
  XEdit_SetText(gPane.tips, gbkToUtf16<XChar>(tips ? windowText(tips) : std::string()).c_str());
  XEle_RedrawEle(gPane.tips);
}

void selectInHost(int id) {
  const HostHandle host = gPane.map.hostOf(id);
  HWND tree = hostTree();
  if (host == 0 || !tree) return;
  selectHostItem(tree, asItem(host));
  showHostTips();
}

void fillList(int id) {
  const int first = XTree_GetFirstChildItem(gPane.tree, id);
  // An entry whose children are categories lists nothing; its members are one level down.
  if (first <= 0 || XTree_GetFirstChildItem(gPane.tree, first) > 0) return;
  for (int child = first; child > 0; child = XTree_GetNextSiblingItem(gPane.tree, child)) {
    const int row = XListBox_AddItemImage(gPane.list, XTree_GetItemImage(gPane.tree, child, 0));
    if (row < 0) continue;
    XListBox_SetItemText(gPane.list, row, 1, XTree_GetItemText(gPane.tree, child, 1).c_str());
    XListBox_SetItemText(gPane.list, row, 2, gbkToUtf16<XChar>(std::to_string(child)).c_str());
  }
}

void relayoutPane() {
  for (HELE element = gPane.tree; XC_IsHELE(element); element = XEle_GetParentEle(element)) {
    if (XC_IsHXCGUI(element, XC_PANE)) {
      XEle_AdjustLayout(element);
      XEle_RedrawEle(element);
      return;
    }
  }
}

void setUpSplitAreas() {
  const HXCGUI left = XC_GetObjectByName(L"libsTreeEle_Left");
  const HXCGUI right = XC_GetObjectByName(L"libsTreeEle_Right");
  const HXCGUI top = XC_GetObjectByName(L"libsTreeEle_Right_Top");
  const HXCGUI bottom = XC_GetObjectByName(L"libsTreeEle_Right_Bottom");
  for (HXCGUI area : {left, right}) {
    if (!XC_IsHELE(area)) continue;
    XEle_SetMinSize(area, 80, 100);
    XEle_SetBorderSize(area, 5, 5, 5, 5);
  }
  if (XC_IsHELE(left) && XC_IsHELE(right)) {
    XEle_SetDragBorder(left, edge_right);
    XEle_SetDragBorderBindEle(left, edge_right, right, 5);
  }
  for (HXCGUI area : {top, bottom})
    if (XC_IsHELE(area)) XEle_SetBorderSize(area, 5, 5, 5, 5);
  if (XC_IsHELE(top) && XC_IsHELE(bottom)) {
    XEle_SetDragBorder(top, edge_bottom);
    XEle_SetDragBorderBindEle(top, edge_bottom, bottom, 5);
  }
  if (gPane.list.live()) {
    pane_kit::setUpListBox(gPane.list, "LibsListBoxItem.xml");
    pane_kit::colourListBoxText(gPane.list, kListTextColour);
    pane_kit::onEvent(gPane.list, XE_LISTBOX_SELECT, &onLibraryListSelect);
  }
  if (gPane.tips.live()) {
    XEdit_EnableAutoWrap(gPane.tips, true);
    XEdit_EnableMultiLine(gPane.tips, true);
    XEdit_EnableReadOnly(gPane.tips, true);
    applyScrollViewLook(gPane.tips);
  }
}

void registerTreeEvents(HELE tree) {
  using pane_kit::onEvent;
  onEvent(tree, XE_TREE_TEMP_CREATE, [](XTreeItemRecord* item) {
    if (item != nullptr && gPane.leafTemplate != 0 && XTree_GetFirstChildItem(gPane.tree, item->id) <= 0)
      item->temp = gPane.leafTemplate;
  });
  onEvent(tree, XE_TREE_TEMP_CREATE_END, [](XTreeItemRecord* item) {
    if (item == nullptr) return;
    const bool match = gPane.search.matches(gPane.items, item->id);
    stylePaneTreeItem(gPane.tree, item->id, match ? kMatchColour : kPaneTreeTextColour);
  });
  onEvent(tree, XE_TREE_SELECT, &onLibraryTreeSelect);
  onEvent(tree, XE_TREE_EXPAND, [](int id, int expanded) { gPane.search.rememberExpansion(id, expanded != 0); });
}

}  // namespace

void buildLibraryPane() {
  resetLibraryPane();
  // Read once: a change takes effect at the next start.
  gPane.split = !libTreeSetting();
  if (!loadPaneView(kPaneLibraries, gPane.split ? "LibsTreeView.xml" : "LibsTreeView2.xml")) return;
  gPane.find = XC_GetObjectByName(L"libsFindComboBox");
  const HXCGUI tree = XC_GetObjectByName(L"eLibsTree");
  if (gPane.split) {
    gPane.list.adopt(XC_GetObjectByName(L"eLibsListBox"));
    gPane.tips.adopt(XC_GetObjectByName(L"eLibsTtipsEdit"));
    setUpSplitAreas();
  }
  if (XC_IsHXCGUI(gPane.find, XC_COMBOBOX)) XEle_SetTextColor(gPane.find, kPaneTreeTextColour, 255);
  pane_kit::setUpFindBox(gPane.find, &searchLibraryTree);
  if (!gPane.tree.adopt(tree)) return;
  gPane.leafTemplate = setUpPaneTree(gPane.tree);
  registerTreeEvents(gPane.tree);
}

void onLibraryTreeMessage(const HostMessage& message) {
  if (!live()) return;  // the pane has no tree
  if (message.message == TVM_DELETEITEM) {
    mirrorLibraryClear();
    return;
  }
  if (message.message != TVM_INSERTITEMA) return;
  if (const auto insert = mirroredInsert(message))
    mirrorLibraryInsert(insert->text, insert->parent, insert->image, insert->item);
}

void mirrorLibraryInsert(std::string_view text, HostHandle hostParent, int hostImage, HostHandle newHostItem) {
  if (!live() || newHostItem == 0) return;
  if (hostParent == project::kTviRoot) hostParent = 0;
  int parentId = 0;
  if (hostParent != 0) {
    parentId = gPane.map.paneOf(hostParent);
    if (parentId <= 0) return;
  }
  const std::string_view icon = project::libraryIcon(hostImage);
  const int id = addPaneTreeItem(gPane.tree, parentId, text, icon, 0);
  if (id <= 0) return;
  gPane.map.add(newHostItem, id);
  gPane.items.add(id, parentId, text, icon);
  gPane.search.itemInserted(gPane.tree, gPane.items, id);
  requestRefresh();
}

void mirrorLibraryClear() {
  if (!live()) return;
  XTree_DeleteItemAll(gPane.tree);
  XTree_RefreshData(gPane.tree);
  gPane.forgetItems();
  requestRefresh();
}

void onLibraryTreeSelect(int id) {
  if (!live()) return;
  if (listLive()) XListBox_DeleteItemAll(gPane.list);
  if (id > 0 && gPane.map.hostOf(id) != 0) {
    selectInHost(id);
    if (listLive()) fillList(id);
  }
  if (listLive()) XListBox_RefreshData(gPane.list);
  relayoutPane();
}

void onLibraryListSelect(int row) {
  if (!listLive() || row < 0) return;
  const HostHandle id = project::parseHandle(utf16ToGbk(XListBox_GetItemText(gPane.list, row, 2)));
  if (id == 0 || id > 0x7FFFFFFFu) return;
  selectInHost(static_cast<int>(id));
}

void searchLibraryTree(std::string_view query) { gPane.applySearch(query); }

void flushLibraryTree() { gPane.flushTree(); }

bool librarySplitLayout() { return gPane.split; }
HELE libraryTree() { return gPane.tree.get(); }
HELE libraryList() { return gPane.list.get(); }
HELE libraryTipsEdit() { return gPane.tips.get(); }
HELE libraryFindCombo() { return XC_IsHELE(gPane.find) ? gPane.find : 0; }
int libraryItemOf(HostHandle hostItem) { return gPane.map.paneOf(hostItem); }
HostHandle libraryHostItem(int paneId) { return gPane.map.hostOf(paneId); }

std::string libraryItemLabel(int paneId) { return gPane.label(paneId); }

std::string_view libraryItemIcon(int paneId) { return gPane.icon(paneId); }

void resetLibraryPane() { gPane = LibraryPane{}; }

namespace {
constexpr MirrorBinding kLibraryMirrors[] = {{HostMirror::kLibraryTree, &onLibraryTreeMessage}};
}  // namespace

const Part kLibraryBrowserPart{.name = "support-library browser",
                               .build = &buildLibraryPane,
                               .tearDown = &resetLibraryPane,
                               .mirrors = kLibraryMirrors};

}  // namespace tovalux
