#include "panes/project_tree_common.h"

#include <unordered_map>

#include "base/gbk.h"
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
  XTree_SetItemTemplateXML(tree, L"lib\\Tovalux\\Dark\\LibsTreeItem.xml");
  const HTEMP leaf = XTemp_Load(listType_tree, L"lib\\Tovalux\\Dark\\LibsTreeItem2.xml");
  XTree_SetItemHeightDefault(tree, 20, 20);
  XTree_EnableConnectLine(tree, false);
  XTree_SetIndentation(tree, 10);
  XTree_CreateAdapter(tree);
  return leaf;
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

}  // namespace tovalux
