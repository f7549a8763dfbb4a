// Data views: item templates and adapters, trees, list boxes, lists with header, list views
// with groups, combo boxes. Included by xcgui.h.
//
// Items are shown through item templates (FORMATS.md 2) and filled through adapters. Only the
// items on screen have template objects: they are created when an item scrolls into view (or
// the view is refreshed) and destroyed when it leaves, so a template object's handle is good
// only while its item is shown; look it up again with X..._GetTemplateObject.
// Values written with the functions below show at once in an item on screen. Refresh functions
// build the items' template objects again (and raise the creation events again).
// Programmatic changes (select, expand) raise no event; events come from the user's actions.
// Bad indexes, ids and handles answer 0, -1, false or an empty text and change nothing.
#pragma once

#include "toolkit/types.h"

// Item states in the event records.
enum XItemState : int { item_state_normal = 0, item_state_hover = 1, item_state_selected = 2 };
enum XHeaderState : int { header_state_normal = 0, header_state_hover = 1, header_state_pressed = 2 };

// Insert positions of XTree_InsertItem*: first or last among the parent's children (or the id
// of a child to insert after). Parent 0 is the top level.
constexpr int XC_ID_ROOT = 0;
constexpr int XC_ID_ERROR = -1;
constexpr int XC_ID_FIRST = -2;
constexpr int XC_ID_LAST = -3;

// Records passed by pointer to the data-view events. Rectangles are window-client coordinates
// (those of the draw context in draw events).
struct XTreeItemRecord {  // 121 (creating: `temp` may be replaced), 122 (created)
  int id;
  int depth;
  int height;
  bool expanded;
  int state;
  XRect rect;
  HTEMP temp;  // the template the item is built from
  HELE row;    // the element holding the item's template objects (0 in 121)
};
struct XListBoxItemRecord {  // 82
  int index;
  int state;
  XRect rect;
  HTEMP temp;
  HELE row;
};
struct XListItemRecord {  // 102 (column -1: the whole row), 105 (one cell)
  int index;
  int column;
  int state;
  XRect rect;
  HELE row;
};
struct XListHeaderItemRecord {  // 107
  int column;
  int state;
  XRect rect;
  HELE cell;
};

// --- item templates ------------------------------------------------------------------------
// XTemp_Load (listType, file) is declared with the resources in xcgui.h.
void XTemp_Destroy(HTEMP temp);

// --- trees ---------------------------------------------------------------------------------
HELE XTree_Create(int x, int y, int width, int height, HXCGUI parent = 0);
bool XTree_SetItemTemplateXML(HELE tree, const XChar* file);
bool XTree_SetItemTemplate(HELE tree, HTEMP temp);
void XTree_SetItemHeightDefault(HELE tree, int height, int selectedHeight);
void XTree_EnableConnectLine(HELE tree, bool enable);
void XTree_SetIndentation(HELE tree, int indentation);
int XTree_GetIndentation(HELE tree);
HADAPTER XTree_CreateAdapter(HELE tree);
HADAPTER XTree_GetAdapter(HELE tree);
// Answer the new item's id (ids grow by one per insert), or -1.
int XTree_InsertItemText(HELE tree, const XChar* text, int parentId = XC_ID_ROOT, int insertId = XC_ID_LAST);
int XTree_InsertItemImage(HELE tree, HIMAGE image, int parentId = XC_ID_ROOT, int insertId = XC_ID_LAST);
void XTree_SetItemText(HELE tree, int id, int column, const XChar* text);
XString XTree_GetItemText(HELE tree, int id, int column);
void XTree_SetItemTextEx(HELE tree, int id, const XChar* name, const XChar* text);
XString XTree_GetItemTextEx(HELE tree, int id, const XChar* name);
void XTree_SetItemImage(HELE tree, int id, int column, HIMAGE image);
HIMAGE XTree_GetItemImage(HELE tree, int id, int column);
void XTree_SetItemImageEx(HELE tree, int id, const XChar* name, HIMAGE image);
HIMAGE XTree_GetItemImageEx(HELE tree, int id, const XChar* name);
void XTree_ExpandItem(HELE tree, int id, bool expand);
bool XTree_IsExpand(HELE tree, int id);
void XTree_DeleteItem(HELE tree, int id);
void XTree_DeleteItemAll(HELE tree);
int XTree_GetCount(HELE tree);
int XTree_GetSelectItem(HELE tree);  // -1: none
void XTree_SetSelectItem(HELE tree, int id);
int XTree_GetFirstChildItem(HELE tree, int id);   // -1: none (id 0: the first top-level item)
int XTree_GetNextSiblingItem(HELE tree, int id);  // -1: none
int XTree_GetParentItem(HELE tree, int id);       // 0: top level; -1: no such item
// Scrolls so that the item is shown (its ancestors are not expanded for it).
void XTree_VisibleItem(HELE tree, int id);
void XTree_RefreshData(HELE tree);
void XTree_RefreshItem(HELE tree, int id);
HXCGUI XTree_GetTemplateObject(HELE tree, int id, int objectId);
// The id of the item under `point` (the tree's own coordinates, as its mouse events give them);
// -1 when no item is there. A right click does not select: hit-test its point.
int XTree_HitTest(HELE tree, const XPoint* point);

// --- list boxes ----------------------------------------------------------------------------
HELE XListBox_Create(int x, int y, int width, int height, HXCGUI parent = 0);
bool XListBox_SetItemTemplateXML(HELE list, const XChar* file);
bool XListBox_SetItemTemplate(HELE list, HTEMP temp);
void XListBox_SetItemHeightDefault(HELE list, int height, int selectedHeight);
// Multiple selection is not offered: only false is accepted (single selection).
bool XListBox_EnableMultiSel(HELE list, bool enable);
HADAPTER XListBox_CreateAdapter(HELE list);
HADAPTER XListBox_GetAdapter(HELE list);
int XListBox_AddItemText(HELE list, const XChar* text);
int XListBox_AddItemImage(HELE list, HIMAGE image);
void XListBox_SetItemText(HELE list, int row, int column, const XChar* text);
XString XListBox_GetItemText(HELE list, int row, int column);
void XListBox_SetItemTextEx(HELE list, int row, const XChar* name, const XChar* text);
XString XListBox_GetItemTextEx(HELE list, int row, const XChar* name);
void XListBox_SetItemImage(HELE list, int row, int column, HIMAGE image);
HIMAGE XListBox_GetItemImage(HELE list, int row, int column);
void XListBox_SetItemImageEx(HELE list, int row, const XChar* name, HIMAGE image);
HIMAGE XListBox_GetItemImageEx(HELE list, int row, const XChar* name);
int XListBox_GetSelectItem(HELE list);  // -1: none
void XListBox_SetSelectItem(HELE list, int row);
int XListBox_GetCount(HELE list);
void XListBox_DeleteItem(HELE list, int row);
void XListBox_DeleteItemAll(HELE list);
void XListBox_VisibleItem(HELE list, int row);
void XListBox_RefreshItem(HELE list, int row);
void XListBox_RefreshData(HELE list);
HXCGUI XListBox_GetTemplateObject(HELE list, int row, int objectId);

// --- lists with header ---------------------------------------------------------------------
HELE XList_Create(int x, int y, int width, int height, HXCGUI parent = 0);
bool XList_SetItemTemplateXML(HELE list, const XChar* file);
bool XList_SetItemTemplate(HELE list, HTEMP temp);
void XList_SetHeaderHeight(HELE list, int height);
int XList_GetHeaderHeight(HELE list);
void XList_SetItemHeightDefault(HELE list, int height, int selectedHeight);
void XList_SetRowSpace(HELE list, int space);
bool XList_EnableMultiSel(HELE list, bool enable);  // as XListBox_EnableMultiSel
HADAPTER XList_CreateAdapterHeader(HELE list);
HADAPTER XList_CreateAdapter(HELE list);
HADAPTER XList_GetAdapter(HELE list);
// Adds a column: its width, the name template objects may bind it by (besides its number),
// and its header text. Answers the column's index.
int XList_AddColumnText(HELE list, int width, const XChar* name, const XChar* text);
int XList_GetColumnCount(HELE list);
int XList_GetColumnWidth(HELE list, int column);
int XList_AddItemText(HELE list, const XChar* text);
void XList_SetItemText(HELE list, int row, int column, const XChar* text);
XString XList_GetItemText(HELE list, int row, int column);
void XList_SetItemImage(HELE list, int row, int column, HIMAGE image);
void XList_SetItemData(HELE list, int row, int column, int data);
int XList_GetItemData(HELE list, int row, int column);
int XList_GetSelectItem(HELE list);  // -1: none
void XList_SetSelectItem(HELE list, int row);
int XList_GetCount(HELE list);
void XList_DeleteItem(HELE list, int row);
void XList_DeleteItemAll(HELE list);
void XList_VisibleItem(HELE list, int row);
void XList_RefreshItem(HELE list, int row);
void XList_RefreshData(HELE list);
HELE XList_GetHeaderHELE(HELE list);
// column -1: any column of the row.
HXCGUI XList_GetTemplateObject(HELE list, int row, int column, int objectId);
HXCGUI XList_GetHeaderTemplateObject(HELE list, int column, int objectId);

// --- list views with groups ----------------------------------------------------------------
HELE XListView_Create(int x, int y, int width, int height, HXCGUI parent = 0);
bool XListView_SetItemTemplateXML(HELE view, const XChar* file);
bool XListView_SetItemTemplate(HELE view, HTEMP temp);
bool XListView_EnableMultiSel(HELE view, bool enable);  // as XListBox_EnableMultiSel
void XListView_SetItemSize(HELE view, int width, int height);
void XListView_GetItemSize(HELE view, XSize* out);
void XListView_SetGroupHeight(HELE view, int height);
HADAPTER XListView_CreateAdapter(HELE view);
HADAPTER XListView_GetAdapter(HELE view);
int XListView_Group_AddItemText(HELE view, const XChar* text);
void XListView_Group_SetText(HELE view, int group, int field, const XChar* text);
XString XListView_Group_GetText(HELE view, int group, int field);
int XListView_Group_GetCount(HELE view);
int XListView_Item_AddItemText(HELE view, int group, const XChar* text);
int XListView_Item_AddItemImage(HELE view, int group, HIMAGE image);
void XListView_Item_SetText(HELE view, int group, int item, int field, const XChar* text);
XString XListView_Item_GetText(HELE view, int group, int item, int field);
void XListView_Item_SetImage(HELE view, int group, int item, int field, HIMAGE image);
HIMAGE XListView_Item_GetImage(HELE view, int group, int item, int field);
int XListView_Item_GetCount(HELE view, int group);
void XListView_ExpandGroup(HELE view, int group, bool expand);
bool XListView_IsGroupExpand(HELE view, int group);
void XListView_DeleteGroupAll(HELE view);
// (-1, -1) clears the selection.
void XListView_SetSelectItem(HELE view, int group, int item);
bool XListView_GetSelectItem(HELE view, int* group, int* item);
void XListView_RefreshData(HELE view);
// item -1: the group heading.
HXCGUI XListView_GetTemplateObject(HELE view, int group, int item, int objectId);

// --- combo boxes ---------------------------------------------------------------------------
HELE XComboBox_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XComboBox_EnableEdit(HELE combo, bool enable);
bool XComboBox_IsEnableEdit(HELE combo);
bool XComboBox_SetItemTemplateXML(HELE combo, const XChar* file);
HADAPTER XComboBox_CreateAdapter(HELE combo);
HADAPTER XComboBox_GetAdapter(HELE combo);
int XComboBox_AddItemText(HELE combo, const XChar* text);
int XComboBox_AddItemImage(HELE combo, HIMAGE image);
void XComboBox_SetItemText(HELE combo, int index, int column, const XChar* text);
XString XComboBox_GetItemText(HELE combo, int index, int column);
void XComboBox_SetItemImage(HELE combo, int index, int column, HIMAGE image);
HIMAGE XComboBox_GetItemImage(HELE combo, int index, int column);
void XComboBox_DeleteItem(HELE combo, int index);
void XComboBox_DeleteItemAll(HELE combo);
int XComboBox_GetCount(HELE combo);
void XComboBox_SetText(HELE combo, const XChar* text);
XString XComboBox_GetText(HELE combo);
void XComboBox_SetDropHeight(HELE combo, int height);
int XComboBox_GetDropHeight(HELE combo);
int XComboBox_GetSelItem(HELE combo);  // -1: none
// Selects an item and shows its text, without event 71.
void XComboBox_SetSelItem(HELE combo, int index);
// Opens the drop-down as a click does (event 72, then the pop-up window shows); answers the
// pop-up window.
HWINDOW XComboBox_PopupDropList(HELE combo);
HWINDOW XComboBox_GetPopupWindow(HELE combo);  // 0 while closed
void XComboBox_CloseDropList(HELE combo);
