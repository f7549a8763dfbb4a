#include "shell/pane_kit.h"

#include <string>

#include "base/gbk.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux::pane_kit {
namespace {

constexpr int kRowHeight = 20;  // tree items, list-box items and list headers
constexpr int kTreeIndentation = 10;
constexpr int kListItemHeight = 18;

}  // namespace

XString themeFile(std::string_view file) { return gbkToUtf16<XChar>("lib\\Tovalux\\Dark\\" + std::string(file)); }

void setUpFindBox(HELE combo, void (*search)(std::string_view query)) {
  if (!XC_IsHXCGUI(combo, XC_COMBOBOX)) return;
  registerComboBoxHover(combo);
  onEventWithSelf(combo, XE_EDIT_CHANGED, [search](HELE self) { search(utf16ToGbk(XComboBox_GetText(self))); });
}

void setUpTree(HELE tree) {
  XTree_SetItemTemplateXML(tree, themeFile("LibsTreeItem.xml").c_str());
  XTree_SetItemHeightDefault(tree, kRowHeight, kRowHeight);
  XTree_EnableConnectLine(tree, false);
  XTree_SetIndentation(tree, kTreeIndentation);
  XTree_CreateAdapter(tree);
  applyScrollViewLook(tree);
}

HTEMP loadTreeItemTemplate(std::string_view file) { return XTemp_Load(listType_tree, themeFile(file).c_str()); }

void setUpListBox(HELE list, std::string_view templateFile) {
  XListBox_SetItemTemplateXML(list, themeFile(templateFile).c_str());
  XListBox_SetItemHeightDefault(list, kRowHeight, kRowHeight);
  XListBox_EnableMultiSel(list, false);
  XListBox_CreateAdapter(list);
  applyScrollViewLook(list);
}

void colourListBoxText(HELE list, XColor colour) {
  onEventWithSelf(list, XE_LISTBOX_TEMP_CREATE_END, [colour](HELE self, XListBoxItemRecord* item) {
    if (item == nullptr || !darkTheme()) return;
    const HXCGUI text = XListBox_GetTemplateObject(self, item->index, 0);
    if (XC_IsHXCGUI(text, XC_SHAPE_TEXT)) XShapeText_SetTextColor(text, colour, 255);
  });
}

void setUpList(HELE list, std::span<const ListColumn> columns, const ListSetUp& setUp) {
  if (setUp.rowSpace >= 0) XList_SetRowSpace(list, setUp.rowSpace);
  XList_SetItemTemplateXML(list, themeFile("ListItem.xml").c_str());
  XList_SetHeaderHeight(list, kRowHeight);
  if (setUp.singleSelection) XList_EnableMultiSel(list, false);
  XList_SetItemHeightDefault(list, kListItemHeight, kListItemHeight);
  XList_CreateAdapterHeader(list);
  XList_CreateAdapter(list);
  for (size_t i = 0; i < columns.size(); ++i) {
    const XString name = gbkToUtf16<XChar>("name" + std::to_string(i + 1));
    XList_AddColumnText(list, columns[i].width, name.c_str(), columns[i].title);
  }
  if (setUp.scrollBarLook) applyScrollViewLook(list);
}

}  // namespace tovalux::pane_kit
