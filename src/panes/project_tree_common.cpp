#include "panes/project_tree_common.h"

#include <unordered_map>

#include "base/gbk.h"
#include "host/host_tree.h"
#include "host/ui_jobs.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

constexpr std::string_view kExpandButtonLook =
    "{99:1.9.9;3:2(15)4(@CollapseRgnWhite.png);3:2(15)4(@CollapseRgnWhite.png);3:2(15)4(@CollapseRgnWhite.png);"
    "3:2(15)4(@CollapseRgn_xWhite.png);98:272(0)288(1)320(2)128(3);}";

// Icon names come from the rule tables (literals): remembered by where their text lives.
std::unordered_map<const char*, HIMAGE>& iconCache() {
  static std::unordered_map<const char*, HIMAGE> cache;
  return cache;
}

}  // namespace

HIMAGE themeIcon(std::string_view name) {
  if (name.empty()) return 0;
  auto& cache = iconCache();
  const auto found = cache.find(name.data());
  if (found != cache.end()) return found->second;
  const HIMAGE image = XRes_GetImage(gbkToUtf16<XChar>(name).c_str());
  if (image != 0) cache[name.data()] = image;
  return image;
}

void forgetThemeIcons() { iconCache().clear(); }

HTEMP setUpPaneTree(HELE tree) {
  forgetThemeIcons();
  pane_kit::setUpTree(tree);
  return pane_kit::loadTreeItemTemplate("LibsTreeItem2.xml");
}

int addPaneTreeItem(HELE tree, int parentId, std::string_view label, std::string_view icon, project::HostHandle host) {
  const int id = XTree_InsertItemImage(tree, themeIcon(icon), parentId, XC_ID_LAST);
  if (id <= 0) return -1;
  XTree_SetItemText(tree, id, 1, gbkToUtf16<XChar>(label).c_str());
  if (host != 0) XTree_SetItemText(tree, id, 2, gbkToUtf16<XChar>(project::handleText(host)).c_str());
  return id;
}

void stylePaneTreeItem(HELE tree, int id, XColor labelColour) {
  if (!darkTheme()) return;
  const HXCGUI button = XTree_GetTemplateObject(tree, id, 0);
  if (XC_IsHXCGUI(button, XC_BUTTON)) setBackground(button, kExpandButtonLook);
  const HXCGUI text = XTree_GetTemplateObject(tree, id, 2);
  if (XC_IsHXCGUI(text, XC_SHAPE_TEXT)) XShapeText_SetTextColor(text, labelColour, 255);
}

void MirroredTree::requestRefresh(uint32_t key, void (*flush)()) {
  if (refreshPending) return;
  refreshPending = true;
  if (!postUiJob(flush, key)) flush();
}

void MirroredTree::flushTree() {
  refreshPending = false;
  if (!tree.live()) return;
  XTree_RefreshData(tree);
  XEle_RedrawEle(tree);
}

void MirroredTree::applySearch(std::string_view query) {
  if (!tree.live()) return;
  const int first = search.apply(tree, items, query);
  refreshPending = false;
  XTree_RefreshData(tree);
  if (first > 0) XTree_VisibleItem(tree, first);
  XEle_RedrawEle(tree);
}

void MirroredTree::forgetItems() {
  map.clear();
  items.clear();
  search.forgetItems();
}

std::string MirroredTree::label(int id) const {
  const PaneItems::Item* item = items.find(id);
  return item == nullptr ? std::string() : std::string(items.label(*item));
}

std::string_view MirroredTree::icon(int id) const {
  const PaneItems::Item* item = items.find(id);
  return item == nullptr ? std::string_view() : items.icon(*item);
}

std::optional<MirroredInsert> mirroredInsert(const HostMessage& message) {
  const auto item = static_cast<project::HostHandle>(static_cast<uintptr_t>(message.answer));
  if (item == 0) return std::nullopt;  // the host refused the insert
  HWND tree = message.window;
  const auto hostItem = reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(item));
  MirroredInsert insert;
  insert.item = item;
  insert.parent = static_cast<project::HostHandle>(reinterpret_cast<uintptr_t>(message.treeInsert.parent));
  insert.text = message.hasText ? message.text : hostItemText(tree, hostItem);
  insert.image = (message.treeInsert.mask & TVIF_IMAGE) != 0 ? message.treeInsert.image : hostItemImage(tree, hostItem);
  return insert;
}

}  // namespace tovalux
