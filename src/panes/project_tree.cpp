#include "panes/project_tree.h"

#include <vector>

#include "base/gbk.h"
#include "base/ui_seams.h"
#include "host/host_protocol.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/ui_jobs.h"
#include "panes/project_tree_common.h"
#include "shell/host_mirrors.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "shell/toolbar_builder.h"
#include "toolkit/xcgui_menus.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using project::HostHandle;

constexpr uint32_t kRefreshKey = kFirstFreeUiJobKey + 8;
constexpr XColor kMatchColour = XRGB(255, 204, 102);

struct ProjectPane : MirroredTree {
  HELE toolBar = 0;
};

ProjectPane gPane;

bool live() { return gPane.tree.live(); }
HWND hostTree() { return hostWindows().leftPanelItem1019(); }

HTREEITEM asItem(HostHandle handle) { return reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(handle)); }

void requestRefresh() { gPane.requestRefresh(kRefreshKey, &flushProjectTree); }

int addItem(int parentId, std::string_view label, std::string_view icon, HostHandle host) {
  const int id = addPaneTreeItem(gPane.tree, parentId, label, icon, host);
  if (id <= 0) return -1;  // the toolkit refused (a dead parent): the insert is dropped
  gPane.items.add(id, parentId, label, icon);
  return id;
}

void forgetItem(int id) {
  gPane.map.removePane(id);
  gPane.items.remove(id);
}

void sendCommand(uint32_t id) {
  if (HWND main = getHostMainWindow()) SendMessageA(main, WM_COMMAND, id, 0);
}

void addModuleReference() {
  OpenFileRequest request;
  request.title = "请选择需要添加的模块";
  request.filter = std::string("易模块文件(*.ec)\0*.ec\0", sizeof "易模块文件(*.ec)\0*.ec\0" - 1);
  const OpenFileAnswer answer = askOpenFiles(request);
  if (!answer.accepted || answer.paths.empty() || answer.paths.front().empty()) return;
  const std::string& path = answer.paths.front();
  int32_t result = 0;  // the host writes its answer here, or nothing
  runIdeFunction(project::ide::kAddModuleReference, static_cast<int32_t>(reinterpret_cast<intptr_t>(path.c_str())),
                 static_cast<int32_t>(reinterpret_cast<intptr_t>(&result)));
}

// The host root selected, then `command`; `refusal` when the host tree is empty.
void commandOnHostRoot(uint32_t command, const char* refusal) {
  HWND tree = hostTree();
  const std::vector<HTREEITEM> items = tree ? listHostItems(tree) : std::vector<HTREEITEM>{};
  if (items.empty()) {
    showMessageBox(nullptr, refusal, "", MB_OK | MB_ICONINFORMATION);
    return;
  }
  selectHostItem(tree, items.front());
  sendCommand(command);
}

void newFolder() {
  if (!live()) return;
  const int selected = XTree_GetSelectItem(gPane.tree);
  if (selected <= 0) return;
  const HostHandle host = gPane.map.hostOf(selected);
  HWND tree = hostTree();
  if (host != 0 && tree && hostItemImage(tree, asItem(host)) == 16) {
    selectHostItem(tree, asItem(host));
    sendCommand(project::command::kNewFolder);
    return;
  }
  commandOnHostRoot(project::command::kNewFolder, "无法建立根文件夹");
}

void runAction(const project::HostAction& action) {
  using project::HostAction;
  switch (action.kind) {
    case HostAction::kNone: return;
    case HostAction::kIdeFunction:
      runIdeFunction(action.first);
      if (action.second != 0) runIdeFunction(action.second);
      return;
    case HostAction::kCommand: sendCommand(action.first); return;
    case HostAction::kAddModuleReference: addModuleReference(); return;
    case HostAction::kNewFolder: newFolder(); return;
    case HostAction::kTidyFolders: commandOnHostRoot(project::command::kTidyFolders, "无法整理分类文件夹"); return;
    case HostAction::kCollapseAll: collapseAllProjectItems(); return;
  }
}

// --- toolkit events --------------------------------------------------------------------------

void onItemTemplate(XTreeItemRecord* item) {
  if (item == nullptr || gPane.leafTemplate == 0 || XTree_GetFirstChildItem(gPane.tree, item->id) > 0) return;
  const HostHandle host = projectHostItem(item->id);
  HWND tree = hostTree();
  if (host == 0 || !tree) return;
  const int image = hostItemImage(tree, asItem(host));
  if (image != 16 && image != 14 && image != 3) item->temp = gPane.leafTemplate;
}

void onItemStyled(XTreeItemRecord* item) {
  if (item == nullptr) return;
  const bool match = gPane.search.matches(gPane.items, item->id);
  stylePaneTreeItem(gPane.tree, item->id, match ? kMatchColour : kPaneTreeTextColour);
}

// The user expanded or collapsed an item: the host item takes the same state.
void onItemExpand(int id, bool expanded) {
  gPane.search.rememberExpansion(id, expanded);
  const HostHandle host = projectHostItem(id);
  HWND tree = hostTree();
  if (host == 0 || !tree) return;
  SendMessageA(tree, TVM_EXPAND, expanded ? TVE_EXPAND : TVE_COLLAPSE, static_cast<LPARAM>(host));
}

void onContextMenu(const XPoint* point) {
  if (!live() || point == nullptr) return;
  // The toolkit selects on the left button only: the item under the cursor is the one the menu
  // is for, selected first so that what the user sees and what the host acts on agree.
  const int id = XTree_HitTest(gPane.tree, point);
  if (id <= 0) return;
  if (XTree_GetSelectItem(gPane.tree) != id) {
    XTree_SetSelectItem(gPane.tree, id);
    XEle_RedrawEle(gPane.tree);
  }
  const HostHandle host = projectHostItem(id);
  HWND tree = hostTree();
  if (host == 0 || !tree) return;
  const int image = hostItemImage(tree, asItem(host));
  const std::string hostText = hostItemText(tree, asItem(host));
  selectHostItem(tree, asItem(host));
  const std::vector<project::MenuRow> rows =
      project::contextMenu(image, hostText, gPane.label(XTree_GetParentItem(gPane.tree, id)));
  if (rows.empty()) return;
  const bool hasChildren = XTree_GetFirstChildItem(gPane.tree, id) > 0;
  const HMENUX menu = XMenu_Create();
  for (const project::MenuRow& row : rows) {
    const int flags = project::menuFlags(row, hasChildren);
    if (row.id < 0)
      XMenu_AddItem(menu, -1, L"", 0, flags);
    else
      XMenu_AddItemIcon(menu, row.id, gbkToUtf16<XChar>(row.text).c_str(), 0,
                        row.icon.empty() ? 0 : themeIcon(row.icon), flags);
  }
  if (peers().attachContextMenuLook != nullptr) {
    XMenu_EnableDrawBackground(menu, true);
    XMenu_EnableDrawItem(menu, true);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  XMenu_Popup(menu, shellFrameHwnd(), cursor.x, cursor.y, gPane.tree);
}

void onDoubleClick(const XPoint* point) {
  if (!live()) return;
  int id = point != nullptr ? XTree_HitTest(gPane.tree, point) : -1;
  if (id <= 0) id = XTree_GetSelectItem(gPane.tree);
  if (id <= 0) return;
  const HostHandle host = projectHostItem(id);
  HWND tree = hostTree();
  if (host == 0 || !tree) return;
  selectHostItem(tree, asItem(host));
  sendCommand(project::command::kGoTo);
}

void registerEvents(HELE tree) {
  using pane_kit::onEvent;
  onEvent(tree, XE_TREE_TEMP_CREATE, &onItemTemplate);
  onEvent(tree, XE_TREE_TEMP_CREATE_END, &onItemStyled);
  onEvent(tree, XE_TREE_EXPAND, [](int id, int expanded) { onItemExpand(id, expanded != 0); });
  onEvent(tree, XE_RBUTTONUP, [](int, XPoint* point) { onContextMenu(point); });
  onEvent(tree, XE_LBUTTONDBCLICK, [](int, XPoint* point) { onDoubleClick(point); });
  onEvent(tree, XE_MENU_SELECT, [](int id) { runAction(project::menuAction(id)); });
  if (const auto menuLook = peers().attachContextMenuLook) menuLook(tree);
}

void buildToolBar(HELE bar) {
  ToolBarBuilder builder;
  if (!builder.attach(bar)) return;
  for (const project::ToolButton& button : project::projectToolButtons()) {
    if (button.text == "|") {
      builder.addSeparator();
      continue;
    }
    const HIMAGE icon = themeIcon(button.icon);
    // The click handler tells the button by its tooltip, read back.
    builder.addButton(button.text, icon, icon, true,
                      [](HELE self) { runAction(project::toolButtonAction(utf16ToGbk(XEle_GetToolTip(self)))); });
  }
}

std::vector<int> subtree(int root) {
  std::vector<int> ids{root};
  for (size_t i = 0; i < ids.size(); ++i)
    for (int child = XTree_GetFirstChildItem(gPane.tree, ids[i]); child > 0;
         child = XTree_GetNextSiblingItem(gPane.tree, child))
      ids.push_back(child);
  return ids;
}

}  // namespace

void buildProjectPane() {
  resetProjectPane();
  if (!loadPaneView(kPaneProject, "ProjectTreeView.xml")) return;
  gPane.toolBar = XC_GetObjectByName(L"ProJectToolBar");
  gPane.find = XC_GetObjectByName(L"ProjectFindComboBox");
  const HXCGUI tree = XC_GetObjectByName(L"ProjectTree");
  buildToolBar(gPane.toolBar);
  pane_kit::setUpFindBox(gPane.find, &searchProjectTree);
  if (!gPane.tree.adopt(tree)) return;
  gPane.leafTemplate = setUpPaneTree(gPane.tree);
  registerEvents(gPane.tree);
}

void onProgramTreeMessage(const HostMessage& message) {
  if (!live()) return;  // the pane has no tree
  switch (message.message) {
    case TVM_INSERTITEMA:
      if (const auto insert = mirroredInsert(message))
        mirrorProjectInsert(insert->text, insert->parent, insert->image, insert->item);
      return;
    case TVM_DELETEITEM: mirrorProjectDelete(static_cast<HostHandle>(message.lParam)); return;
    case TVM_EXPAND:
      if (message.wParam == TVE_EXPAND || message.wParam == TVE_COLLAPSE)
        mirrorProjectExpand(static_cast<HostHandle>(message.lParam), message.wParam == TVE_EXPAND);
      return;
    default: return;
  }
}

void mirrorProjectInsert(std::string_view text, HostHandle hostParent, int hostImage, HostHandle newHostItem) {
  if (!live() || newHostItem == 0 || project::isHiddenBranch(text)) return;
  if (hostParent == project::kTviRoot) hostParent = 0;  // TVI_ROOT as a parent is the top level
  int id = -1;
  if (hostParent == 0) {
    id = addItem(0, project::topLevelLabel(text), project::kRootIcon, newHostItem);
    if (id <= 0) return;
    gPane.map.add(newHostItem, id);
    if (gPane.search.active()) {
      gPane.search.itemInserted(gPane.tree, gPane.items, id);
      gPane.search.rememberExpansion(id, true);
    } else {
      XTree_ExpandItem(gPane.tree, id, true);
    }
  } else {
    const int parentId = gPane.map.paneOf(hostParent);
    if (parentId <= 0) return;
    const std::string parentLabel = gPane.label(parentId);
    const project::ItemLabel label = project::childLabel(text);
    id = addItem(parentId, label.label, project::programIcon(hostImage, text, parentLabel), newHostItem);
    if (id <= 0) return;
    gPane.map.add(newHostItem, id);
    gPane.search.itemInserted(gPane.tree, gPane.items, id);
    if (label.viewConstantsChild) {
      // The child stands for the same host item; the map keeps pointing at its parent.
      const int child = addItem(id, project::kViewConstantsLabel, project::kViewConstantsIcon, newHostItem);
      if (child > 0) gPane.search.itemInserted(gPane.tree, gPane.items, child);
    }
  }
  requestRefresh();
}

void mirrorProjectDelete(HostHandle hostItem) {
  if (!live()) return;
  if (hostItem == project::kTviRoot || hostItem == 0) {
    XTree_DeleteItemAll(gPane.tree);
    gPane.forgetItems();
    requestRefresh();
    return;
  }
  const int id = gPane.map.paneOf(hostItem);
  if (id <= 0) return;
  // The keys of the whole subtree go: a later insert under one of them is dropped, never
  // written into an item that no longer exists.
  for (const int gone : subtree(id)) forgetItem(gone);
  XTree_DeleteItem(gPane.tree, id);
  requestRefresh();
}

void mirrorProjectExpand(HostHandle hostItem, bool expand) {
  if (!live()) return;
  const int id = gPane.map.paneOf(hostItem);
  if (id <= 0) return;
  // The host's tree refuses to expand an item without children; so does the mirror, or a child
  // inserted later would show under an item the host keeps collapsed.
  HWND tree = hostTree();
  if (expand && tree && !treeChild(tree, asItem(hostItem))) return;
  if (gPane.search.active()) {
    gPane.search.rememberExpansion(id, expand);
    return;
  }
  if (XTree_IsExpand(gPane.tree, id) == expand) return;
  XTree_ExpandItem(gPane.tree, id, expand);
  requestRefresh();
}

void collapseAllProjectItems() {
  if (!live()) return;
  if (gPane.search.active()) {
    gPane.search.cancel();
    if (XC_IsHXCGUI(gPane.find, XC_COMBOBOX)) XComboBox_SetText(gPane.find, L"");
  }
  for (const int id : paneTreeItems(gPane.tree))
    if (XTree_IsExpand(gPane.tree, id)) XTree_ExpandItem(gPane.tree, id, false);
  // The host's items follow, so that both trees agree and a later expand is not a toggle.
  if (HWND tree = hostTree()) {
    for (HTREEITEM item : listHostItems(tree))
      if (hostItemExpanded(tree, item)) SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  }
  flushProjectTree();
}

void searchProjectTree(std::string_view query) { gPane.applySearch(query); }

void flushProjectTree() { gPane.flushTree(); }

HELE projectTree() { return gPane.tree.get(); }
HELE projectToolBar() { return XC_IsHELE(gPane.toolBar) ? gPane.toolBar : 0; }
HELE projectFindCombo() { return XC_IsHELE(gPane.find) ? gPane.find : 0; }

int projectItemOf(HostHandle hostItem) { return gPane.map.paneOf(hostItem); }

HostHandle projectHostItem(int paneId) {
  if (!live() || paneId <= 0) return 0;
  return project::parseHandle(utf16ToGbk(XTree_GetItemText(gPane.tree, paneId, 2)));
}

std::string projectItemLabel(int paneId) { return gPane.label(paneId); }

std::string_view projectItemIcon(int paneId) { return gPane.icon(paneId); }

bool projectSearchMatches(int paneId) { return gPane.search.matches(gPane.items, paneId); }

void resetProjectPane() { gPane = ProjectPane{}; }

namespace {
constexpr MirrorBinding kProjectMirrors[] = {{HostMirror::kProgramTree, &onProgramTreeMessage}};
}  // namespace

const Part kProjectTreePart{.name = "project structure tree",
                            .build = &buildProjectPane,
                            .tearDown = &resetProjectPane,
                            .mirrors = kProjectMirrors};

}  // namespace tovalux
