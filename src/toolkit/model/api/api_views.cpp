// Public surface: item templates, trees, list boxes, lists with header, list views, combo boxes.
// UI thread only; every handle is validated first (api_support.h).
#include <algorithm>

#include "toolkit/model/api/api_support.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/model/views/combobox.h"
#include "toolkit/model/views/list.h"
#include "toolkit/model/views/listbox.h"
#include "toolkit/model/views/listview.h"
#include "toolkit/model/views/tree.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;
using namespace tovalux::tk::api;

namespace {
std::string nameOf(const XChar* name) { return name != nullptr ? utf16ToUtf8(fromX(name)) : std::string(); }

template <class T>
HELE create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<T>(parent, rectOf(x, y, width, height))->handle();
}

// A template loaded from a file is the view's own; one the view refuses is destroyed at once,
// so a failed call leaves no object behind.
bool loadTemplate(DataView& view, const XChar* file, int listType) {
  if (file == nullptr) return false;
  Template* t = loadTemplateFile(toPath(fromX(file)), listType);
  if (t == nullptr) return false;
  if (view.setTemplate(t->handle(), true)) return true;
  context().registry.erase(t->handle());
  return false;
}

bool useTemplate(DataView& view, HTEMP temp) { return view.setTemplate(temp, false); }

// Cells by number or by name; -1 when the column is not one.
int columnByName(Adapter* adapter, const XChar* name, bool create) {
  if (adapter == nullptr || name == nullptr) return -1;
  return adapter->column(nameOf(name), create);
}

void setText(Record* r, int column, const XChar* text) {
  if (r != nullptr && column >= 0) r->at(column).text.assignX(text);
}
void setImage(Record* r, int column, HIMAGE image) {
  if (r != nullptr && column >= 0 && validImage(image)) r->at(column).image = image;
}
XString textOf(const Record* r, int column) { return r != nullptr && column >= 0 ? toX(r->text(column)) : XString(); }
HIMAGE imageOf(const Record* r, int column) {
  HIMAGE h = r != nullptr && column >= 0 ? r->image(column) : 0;
  return context().registry.get<Image>(h) != nullptr ? h : 0;
}
int plain(int column) { return Adapter::validColumn(column) ? column : -1; }

// The item accessors every data view publishes (Set/GetItemText and Set/GetItemImage, by column
// number or by name), once: ItemAccess<View> says how the view finds an item's record, where its
// named columns live and what it refreshes after a change.
template <class View>
struct ItemAccess;

template <class View>
void setItemText(HELE h, int item, int column, const XChar* text) {
  KIND_OR_RETURN(View, h);
  setText(ItemAccess<View>::record(*e, item), plain(column), text);
  ItemAccess<View>::changed(*e, item);
  accessChanged(AccessChange::name, h, item);
}

template <class View>
XString getItemText(HELE h, int item, int column) {
  KIND_OR_RETURN(View, h, {});
  return textOf(ItemAccess<View>::record(*e, item), plain(column));
}

template <class View>
void setItemTextEx(HELE h, int item, const XChar* name, const XChar* text) {
  KIND_OR_RETURN(View, h);
  Record* r = ItemAccess<View>::record(*e, item);
  if (r == nullptr) return;
  setText(r, columnByName(ItemAccess<View>::columns(*e), name, true), text);
  ItemAccess<View>::changed(*e, item);
  accessChanged(AccessChange::name, h, item);
}

template <class View>
XString getItemTextEx(HELE h, int item, const XChar* name) {
  KIND_OR_RETURN(View, h, {});
  return textOf(ItemAccess<View>::record(*e, item), columnByName(ItemAccess<View>::columns(*e), name, false));
}

template <class View>
void setItemImage(HELE h, int item, int column, HIMAGE image) {
  KIND_OR_RETURN(View, h);
  setImage(ItemAccess<View>::record(*e, item), plain(column), image);
  ItemAccess<View>::changed(*e, item);
}

template <class View>
HIMAGE getItemImage(HELE h, int item, int column) {
  KIND_OR_RETURN(View, h, 0);
  return imageOf(ItemAccess<View>::record(*e, item), plain(column));
}

template <class View>
void setItemImageEx(HELE h, int item, const XChar* name, HIMAGE image) {
  KIND_OR_RETURN(View, h);
  Record* r = ItemAccess<View>::record(*e, item);
  if (r == nullptr) return;
  setImage(r, columnByName(ItemAccess<View>::columns(*e), name, true), image);
  ItemAccess<View>::changed(*e, item);
}

template <class View>
HIMAGE getItemImageEx(HELE h, int item, const XChar* name) {
  KIND_OR_RETURN(View, h, 0);
  return imageOf(ItemAccess<View>::record(*e, item), columnByName(ItemAccess<View>::columns(*e), name, false));
}

// List boxes, lists and combo boxes keep their items as the rows of a table adapter.
template <class View>
Record* tableRow(View& v, int row) {
  TableAdapter* t = v.table();
  return t != nullptr ? t->row(row) : nullptr;
}

template <class View>
int addRow(View& v, Record record) {
  TableAdapter& t = v.ensureTable();
  if (t.rows.size() >= static_cast<size_t>(INT32_MAX)) return -1;
  t.rows.push_back(std::move(record));
  ItemAccess<View>::rowsChanged(v, t.count() - 1);
  return t.count() - 1;
}

// The selection follows its row: it clears when the row goes, and moves up with the rows after.
template <class View>
void deleteRow(HELE h, int row) {
  KIND_OR_RETURN(View, h);
  TableAdapter* t = e->table();
  if (t == nullptr || t->row(row) == nullptr) return;
  t->rows.erase(t->rows.begin() + row);
  if (e->selected == row)
    e->selected = -1;
  else if (e->selected > row)
    --e->selected;
  accessChanged(AccessChange::rowsRemoved, h, row, 1);
  ItemAccess<View>::rowsChanged(*e, row);
}

template <class View>
void deleteAllRows(HELE h) {
  KIND_OR_RETURN(View, h);
  if (TableAdapter* t = e->table()) t->rows.clear();
  e->selected = -1;
  accessChanged(AccessChange::itemsReset, h);
  ItemAccess<View>::rowsChanged(*e, 0);
}

Record textRecord(const XChar* text) {
  Record r;
  r.at(0).text.assignX(text);
  return r;
}
Record imageRecord(HIMAGE image) {
  Record r;
  r.at(0).image = image;
  return r;
}
}  // namespace

// --- item templates ----------------------------------------------------------------------

void XTemp_Destroy(HTEMP temp) {
  if (ready() && context().registry.get<Template>(temp) != nullptr) context().registry.erase(temp);
}

// --- trees -------------------------------------------------------------------------------

namespace {
TreeAdapter::Node* treeNode(Tree& t, int id) {
  TreeAdapter* a = t.nodes();
  return a != nullptr ? a->node(id) : nullptr;
}
Record* treeRecord(Tree& t, int id) {
  TreeAdapter::Node* n = treeNode(t, id);
  return n != nullptr ? &n->record : nullptr;
}
// A negative parent is no item (0 is the top level).
int treeInsert(Tree& t, int parent, int position) {
  if (parent < 0) return -1;
  return t.insert(parent, position);
}

template <>
struct ItemAccess<Tree> {
  static Record* record(Tree& t, int id) { return treeRecord(t, id); }
  static Adapter* columns(Tree& t) { return t.nodes(); }
  static void changed(Tree& t, int id) { t.rebind({id, 0}); }
};
}  // namespace

HELE XTree_Create(int x, int y, int width, int height, HXCGUI parent) {
  return create<Tree>(x, y, width, height, parent);
}

bool XTree_SetItemTemplateXML(HELE tree, const XChar* file) {
  KIND_OR_RETURN(Tree, tree, false);
  return loadTemplate(*e, file, listType_tree);
}

bool XTree_SetItemTemplate(HELE tree, HTEMP temp) {
  KIND_OR_RETURN(Tree, tree, false);
  return useTemplate(*e, temp);
}

void XTree_SetItemHeightDefault(HELE tree, int height, int selectedHeight) {
  KIND_OR_RETURN(Tree, tree);
  e->setItemHeight(height, selectedHeight);
}

void XTree_EnableConnectLine(HELE tree, bool enable) {
  KIND_OR_RETURN(Tree, tree);
  e->connectLine = enable;
  e->redraw();
}

void XTree_SetIndentation(HELE tree, int indentation) {
  KIND_OR_RETURN(Tree, tree);
  e->indentation = std::clamp(indentation, 0, 1000);
  e->reshape();
}

int XTree_GetIndentation(HELE tree) {
  KIND_OR_RETURN(Tree, tree, 0);
  return e->indentation;
}

HADAPTER XTree_CreateAdapter(HELE tree) {
  KIND_OR_RETURN(Tree, tree, 0);
  e->selected = -1;
  e->useAdapter(e->newAdapter(), true);
  return e->adapter();
}

HADAPTER XTree_GetAdapter(HELE tree) {
  KIND_OR_RETURN(Tree, tree, 0);
  return e->nodes() != nullptr ? e->adapter() : 0;
}

int XTree_InsertItemText(HELE tree, const XChar* text, int parentId, int insertId) {
  KIND_OR_RETURN(Tree, tree, -1);
  int id = treeInsert(*e, parentId, insertId);
  setText(treeRecord(*e, id), 0, text);
  return id;
}

int XTree_InsertItemImage(HELE tree, HIMAGE image, int parentId, int insertId) {
  KIND_OR_RETURN(Tree, tree, -1);
  if (!validImage(image)) return -1;
  int id = treeInsert(*e, parentId, insertId);
  setImage(treeRecord(*e, id), 0, image);
  return id;
}

void XTree_SetItemText(HELE tree, int id, int column, const XChar* text) { setItemText<Tree>(tree, id, column, text); }

XString XTree_GetItemText(HELE tree, int id, int column) { return getItemText<Tree>(tree, id, column); }

void XTree_SetItemTextEx(HELE tree, int id, const XChar* name, const XChar* text) {
  setItemTextEx<Tree>(tree, id, name, text);
}

XString XTree_GetItemTextEx(HELE tree, int id, const XChar* name) { return getItemTextEx<Tree>(tree, id, name); }

void XTree_SetItemImage(HELE tree, int id, int column, HIMAGE image) { setItemImage<Tree>(tree, id, column, image); }

HIMAGE XTree_GetItemImage(HELE tree, int id, int column) { return getItemImage<Tree>(tree, id, column); }

void XTree_SetItemImageEx(HELE tree, int id, const XChar* name, HIMAGE image) {
  setItemImageEx<Tree>(tree, id, name, image);
}

HIMAGE XTree_GetItemImageEx(HELE tree, int id, const XChar* name) { return getItemImageEx<Tree>(tree, id, name); }

void XTree_ExpandItem(HELE tree, int id, bool expand) {
  KIND_OR_RETURN(Tree, tree);
  e->expand(id, expand, false);
}

bool XTree_IsExpand(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree, false);
  TreeAdapter::Node* n = treeNode(*e, id);
  return n != nullptr && n->expanded;
}

int XTree_HitTest(HELE tree, const XPoint* point) {
  KIND_OR_RETURN(Tree, tree, -1);
  if (point == nullptr) return -1;
  const ItemKey key = e->keyAt(*point);
  return key.a > 0 ? key.a : -1;
}

void XTree_DeleteItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree);
  e->remove(id);
}

void XTree_DeleteItemAll(HELE tree) {
  KIND_OR_RETURN(Tree, tree);
  e->clear();
}

int XTree_GetCount(HELE tree) {
  KIND_OR_RETURN(Tree, tree, 0);
  return e->nodes() != nullptr ? e->nodes()->count() : 0;
}

int XTree_GetSelectItem(HELE tree) {
  KIND_OR_RETURN(Tree, tree, -1);
  return treeNode(*e, e->selected) != nullptr ? e->selected : -1;
}

void XTree_SetSelectItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree);
  e->select(id, false);
}

int XTree_GetFirstChildItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree, -1);
  TreeAdapter* a = e->nodes();
  if (a == nullptr) return -1;
  int first = 0;
  if (id == XC_ID_ROOT)
    first = a->firstRoot();
  else if (TreeAdapter::Node* n = a->node(id))
    first = n->first;
  return first != 0 ? first : -1;
}

int XTree_GetNextSiblingItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree, -1);
  TreeAdapter::Node* n = treeNode(*e, id);
  return n != nullptr && n->next != 0 ? n->next : -1;
}

int XTree_GetParentItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree, -1);
  TreeAdapter::Node* n = treeNode(*e, id);
  return n != nullptr ? n->parent : -1;
}

void XTree_VisibleItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree);
  e->showItem({id, 0});
}

void XTree_RefreshData(HELE tree) {
  KIND_OR_RETURN(Tree, tree);
  e->refreshAll();
}

void XTree_RefreshItem(HELE tree, int id) {
  KIND_OR_RETURN(Tree, tree);
  e->refreshItem({id, 0});
}

HXCGUI XTree_GetTemplateObject(HELE tree, int id, int objectId) {
  KIND_OR_RETURN(Tree, tree, 0);
  return e->templateObject({id, 0}, objectId);
}

// --- list boxes --------------------------------------------------------------------------

namespace {
template <>
struct ItemAccess<ListBox> {
  static Record* record(ListBox& b, int row) { return tableRow(b, row); }
  static Adapter* columns(ListBox& b) { return b.table(); }
  static void changed(ListBox& b, int row) { b.rebind({row, 0}); }
  static void rowsChanged(ListBox& b, int from) { b.rowsChanged(from); }
};
}  // namespace

HELE XListBox_Create(int x, int y, int width, int height, HXCGUI parent) {
  return create<ListBox>(x, y, width, height, parent);
}

bool XListBox_SetItemTemplateXML(HELE list, const XChar* file) {
  KIND_OR_RETURN(ListBox, list, false);
  return loadTemplate(*e, file, listType_listBox);
}

bool XListBox_SetItemTemplate(HELE list, HTEMP temp) {
  KIND_OR_RETURN(ListBox, list, false);
  return useTemplate(*e, temp);
}

void XListBox_SetItemHeightDefault(HELE list, int height, int selectedHeight) {
  KIND_OR_RETURN(ListBox, list);
  e->setItemHeight(height, selectedHeight);
}

// The views keep a single selection: asking for several fails, asking for one succeeds.
bool XListBox_EnableMultiSel(HELE list, bool enable) {
  KIND_OR_RETURN(ListBox, list, false);
  return !enable;
}

HADAPTER XListBox_CreateAdapter(HELE list) {
  KIND_OR_RETURN(ListBox, list, 0);
  e->selected = -1;
  e->useAdapter(e->newAdapter(), true);
  return e->adapter();
}

HADAPTER XListBox_GetAdapter(HELE list) {
  KIND_OR_RETURN(ListBox, list, 0);
  return e->table() != nullptr ? e->adapter() : 0;
}

int XListBox_AddItemText(HELE list, const XChar* text) {
  KIND_OR_RETURN(ListBox, list, -1);
  return addRow(*e, textRecord(text));
}

int XListBox_AddItemImage(HELE list, HIMAGE image) {
  KIND_OR_RETURN(ListBox, list, -1);
  if (!validImage(image)) return -1;
  return addRow(*e, imageRecord(image));
}

void XListBox_SetItemText(HELE list, int row, int column, const XChar* text) {
  setItemText<ListBox>(list, row, column, text);
}

XString XListBox_GetItemText(HELE list, int row, int column) { return getItemText<ListBox>(list, row, column); }

void XListBox_SetItemTextEx(HELE list, int row, const XChar* name, const XChar* text) {
  setItemTextEx<ListBox>(list, row, name, text);
}

XString XListBox_GetItemTextEx(HELE list, int row, const XChar* name) {
  return getItemTextEx<ListBox>(list, row, name);
}

void XListBox_SetItemImage(HELE list, int row, int column, HIMAGE image) {
  setItemImage<ListBox>(list, row, column, image);
}

HIMAGE XListBox_GetItemImage(HELE list, int row, int column) { return getItemImage<ListBox>(list, row, column); }

void XListBox_SetItemImageEx(HELE list, int row, const XChar* name, HIMAGE image) {
  setItemImageEx<ListBox>(list, row, name, image);
}

HIMAGE XListBox_GetItemImageEx(HELE list, int row, const XChar* name) {
  return getItemImageEx<ListBox>(list, row, name);
}

int XListBox_GetSelectItem(HELE list) {
  KIND_OR_RETURN(ListBox, list, -1);
  return e->selected;
}

void XListBox_SetSelectItem(HELE list, int row) {
  KIND_OR_RETURN(ListBox, list);
  e->select(row, false);
}

int XListBox_GetCount(HELE list) {
  KIND_OR_RETURN(ListBox, list, 0);
  return e->count();
}

void XListBox_DeleteItem(HELE list, int row) { deleteRow<ListBox>(list, row); }

void XListBox_DeleteItemAll(HELE list) { deleteAllRows<ListBox>(list); }

void XListBox_VisibleItem(HELE list, int row) {
  KIND_OR_RETURN(ListBox, list);
  e->showItem({row, 0});
}

void XListBox_RefreshItem(HELE list, int row) {
  KIND_OR_RETURN(ListBox, list);
  e->refreshItem({row, 0});
}

void XListBox_RefreshData(HELE list) {
  KIND_OR_RETURN(ListBox, list);
  e->refreshAll();
}

HXCGUI XListBox_GetTemplateObject(HELE list, int row, int objectId) {
  KIND_OR_RETURN(ListBox, list, 0);
  return e->templateObject({row, 0}, objectId);
}

// --- lists with header -------------------------------------------------------------------

namespace {
template <>
struct ItemAccess<List> {
  static Record* record(List& l, int row) { return tableRow(l, row); }
  static void changed(List& l, int row) { l.rebind({row, 0}); }
  static void rowsChanged(List& l, int from) { l.rowsChanged(from); }
};
}  // namespace

HELE XList_Create(int x, int y, int width, int height, HXCGUI parent) {
  return create<List>(x, y, width, height, parent);
}

bool XList_SetItemTemplateXML(HELE list, const XChar* file) {
  KIND_OR_RETURN(List, list, false);
  return loadTemplate(*e, file, listType_list);
}

bool XList_SetItemTemplate(HELE list, HTEMP temp) {
  KIND_OR_RETURN(List, list, false);
  return useTemplate(*e, temp);
}

void XList_SetHeaderHeight(HELE list, int height) {
  KIND_OR_RETURN(List, list);
  e->headerHeight = std::clamp(height, 0, 1000);
  e->reshape();
}

int XList_GetHeaderHeight(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  return e->headerHeight;
}

void XList_SetItemHeightDefault(HELE list, int height, int selectedHeight) {
  KIND_OR_RETURN(List, list);
  e->setItemHeight(height, selectedHeight);
}

void XList_SetRowSpace(HELE list, int space) {
  KIND_OR_RETURN(List, list);
  e->rowSpace = std::clamp(space, 0, 1000);
  e->reshape();
}

bool XList_EnableMultiSel(HELE list, bool enable) {
  KIND_OR_RETURN(List, list, false);
  return !enable;
}

HADAPTER XList_CreateAdapterHeader(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  return e->createHeaderAdapter();
}

HADAPTER XList_CreateAdapter(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  e->selected = -1;
  e->useAdapter(e->newAdapter(), true);
  return e->adapter();
}

HADAPTER XList_GetAdapter(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  return e->table() != nullptr ? e->adapter() : 0;
}

int XList_AddColumnText(HELE list, int width, const XChar* name, const XChar* text) {
  KIND_OR_RETURN(List, list, -1);
  return e->addColumn(width, nameOf(name), fromX(text));
}

int XList_GetColumnCount(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  return static_cast<int>(e->columns.size());
}

int XList_GetColumnWidth(HELE list, int column) {
  KIND_OR_RETURN(List, list, 0);
  if (column < 0 || column >= static_cast<int>(e->columns.size())) return 0;
  return e->columns[static_cast<size_t>(column)].width;
}

int XList_AddItemText(HELE list, const XChar* text) {
  KIND_OR_RETURN(List, list, -1);
  return addRow(*e, textRecord(text));
}

void XList_SetItemText(HELE list, int row, int column, const XChar* text) {
  setItemText<List>(list, row, column, text);
}

XString XList_GetItemText(HELE list, int row, int column) { return getItemText<List>(list, row, column); }

void XList_SetItemImage(HELE list, int row, int column, HIMAGE image) { setItemImage<List>(list, row, column, image); }

void XList_SetItemData(HELE list, int row, int column, int data) {
  KIND_OR_RETURN(List, list);
  Record* r = tableRow(*e, row);
  if (r != nullptr && plain(column) >= 0) r->at(column).data = data;
}

int XList_GetItemData(HELE list, int row, int column) {
  KIND_OR_RETURN(List, list, 0);
  const Record* r = tableRow(*e, row);
  const Cell* c = r != nullptr && plain(column) >= 0 ? r->find(column) : nullptr;
  return c != nullptr ? c->data : 0;
}

int XList_GetSelectItem(HELE list) {
  KIND_OR_RETURN(List, list, -1);
  return e->selected;
}

void XList_SetSelectItem(HELE list, int row) {
  KIND_OR_RETURN(List, list);
  e->select(row);
}

int XList_GetCount(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  return e->count();
}

void XList_DeleteItem(HELE list, int row) { deleteRow<List>(list, row); }

void XList_DeleteItemAll(HELE list) { deleteAllRows<List>(list); }

void XList_VisibleItem(HELE list, int row) {
  KIND_OR_RETURN(List, list);
  e->showItem({row, 0});
}

void XList_RefreshItem(HELE list, int row) {
  KIND_OR_RETURN(List, list);
  e->refreshItem({row, 0});
}

void XList_RefreshData(HELE list) {
  KIND_OR_RETURN(List, list);
  e->refreshAll();
}

HELE XList_GetHeaderHELE(HELE list) {
  KIND_OR_RETURN(List, list, 0);
  ListHeader* h = e->header();
  return h != nullptr ? h->handle() : 0;
}

HXCGUI XList_GetTemplateObject(HELE list, int row, int column, int objectId) {
  KIND_OR_RETURN(List, list, 0);
  HXCGUI object = e->templateObject({row, 0}, objectId);
  if (object == 0 || column < 0) return object;
  ItemRow* r = e->rowOf({row, 0});
  return r != nullptr && e->columnOfObject(*r, object) == column ? object : 0;
}

HXCGUI XList_GetHeaderTemplateObject(HELE list, int column, int objectId) {
  KIND_OR_RETURN(List, list, 0);
  return e->headerObject(column, objectId);
}

// --- list views --------------------------------------------------------------------------

HELE XListView_Create(int x, int y, int width, int height, HXCGUI parent) {
  return create<ListView>(x, y, width, height, parent);
}

bool XListView_SetItemTemplateXML(HELE view, const XChar* file) {
  KIND_OR_RETURN(ListView, view, false);
  return loadTemplate(*e, file, listType_listView);
}

bool XListView_SetItemTemplate(HELE view, HTEMP temp) {
  KIND_OR_RETURN(ListView, view, false);
  return useTemplate(*e, temp);
}

bool XListView_EnableMultiSel(HELE view, bool enable) {
  KIND_OR_RETURN(ListView, view, false);
  return !enable;
}

void XListView_SetItemSize(HELE view, int width, int height) {
  KIND_OR_RETURN(ListView, view);
  e->setItemSize(width, height);
}

void XListView_GetItemSize(HELE view, XSize* out) {
  if (out == nullptr) return;
  *out = {};
  KIND_OR_RETURN(ListView, view);
  *out = {e->itemWidth, e->itemHeight};
}

void XListView_SetGroupHeight(HELE view, int height) {
  KIND_OR_RETURN(ListView, view);
  e->groupHeight = std::clamp(height, 1, kMaxCoord);
  e->groupHeightGiven = true;
  e->reshape();
}

HADAPTER XListView_CreateAdapter(HELE view) {
  KIND_OR_RETURN(ListView, view, 0);
  e->selectedGroup = e->selectedItem = -1;
  e->useAdapter(e->newAdapter(), true);
  return e->adapter();
}

HADAPTER XListView_GetAdapter(HELE view) {
  KIND_OR_RETURN(ListView, view, 0);
  return e->groups() != nullptr ? e->adapter() : 0;
}

namespace {
Record* groupRecord(ListView& v, int group) {
  ListViewAdapter* a = v.groups();
  ListViewAdapter::Group* g = a != nullptr ? a->group(group) : nullptr;
  return g != nullptr ? &g->record : nullptr;
}
Record* viewItem(ListView& v, int group, int item) {
  ListViewAdapter* a = v.groups();
  return a != nullptr ? a->item(group, item) : nullptr;
}
int addViewItem(ListView& v, int group, Record record) {
  ListViewAdapter::Group* g = v.groups() != nullptr ? v.groups()->group(group) : nullptr;
  if (g == nullptr || g->items.size() >= static_cast<size_t>(INT32_MAX)) return -1;
  g->items.push_back(std::move(record));
  v.reshape();
  accessChanged(AccessChange::items, v.handle(), group, -1);
  return static_cast<int>(g->items.size()) - 1;
}
}  // namespace

int XListView_Group_AddItemText(HELE view, const XChar* text) {
  KIND_OR_RETURN(ListView, view, -1);
  ListViewAdapter& a = e->ensureGroups();
  if (a.groups.size() >= 1u << 20) return -1;
  a.groups.emplace_back();
  a.groups.back().record.at(0).text.assignX(text);
  e->reshape();
  accessChanged(AccessChange::items, view);
  return static_cast<int>(a.groups.size()) - 1;
}

void XListView_Group_SetText(HELE view, int group, int field, const XChar* text) {
  KIND_OR_RETURN(ListView, view);
  setText(groupRecord(*e, group), plain(field), text);
  e->rebind({group, -1});
  accessChanged(AccessChange::name, view, group, -1);
}

XString XListView_Group_GetText(HELE view, int group, int field) {
  KIND_OR_RETURN(ListView, view, {});
  return textOf(groupRecord(*e, group), plain(field));
}

int XListView_Group_GetCount(HELE view) {
  KIND_OR_RETURN(ListView, view, 0);
  return e->groups() != nullptr ? static_cast<int>(e->groups()->groups.size()) : 0;
}

int XListView_Item_AddItemText(HELE view, int group, const XChar* text) {
  KIND_OR_RETURN(ListView, view, -1);
  return addViewItem(*e, group, textRecord(text));
}

int XListView_Item_AddItemImage(HELE view, int group, HIMAGE image) {
  KIND_OR_RETURN(ListView, view, -1);
  if (!validImage(image)) return -1;
  return addViewItem(*e, group, imageRecord(image));
}

void XListView_Item_SetText(HELE view, int group, int item, int field, const XChar* text) {
  KIND_OR_RETURN(ListView, view);
  setText(viewItem(*e, group, item), plain(field), text);
  e->rebind({group, item});
  accessChanged(AccessChange::name, view, group, item);
}

XString XListView_Item_GetText(HELE view, int group, int item, int field) {
  KIND_OR_RETURN(ListView, view, {});
  return textOf(viewItem(*e, group, item), plain(field));
}

void XListView_Item_SetImage(HELE view, int group, int item, int field, HIMAGE image) {
  KIND_OR_RETURN(ListView, view);
  setImage(viewItem(*e, group, item), plain(field), image);
  e->rebind({group, item});
}

HIMAGE XListView_Item_GetImage(HELE view, int group, int item, int field) {
  KIND_OR_RETURN(ListView, view, 0);
  return imageOf(viewItem(*e, group, item), plain(field));
}

int XListView_Item_GetCount(HELE view, int group) {
  KIND_OR_RETURN(ListView, view, 0);
  ListViewAdapter::Group* g = e->groups() != nullptr ? e->groups()->group(group) : nullptr;
  return g != nullptr ? static_cast<int>(g->items.size()) : 0;
}

void XListView_ExpandGroup(HELE view, int group, bool expand) {
  KIND_OR_RETURN(ListView, view);
  e->expandGroup(group, expand, false);
}

bool XListView_IsGroupExpand(HELE view, int group) {
  KIND_OR_RETURN(ListView, view, false);
  ListViewAdapter::Group* g = e->groups() != nullptr ? e->groups()->group(group) : nullptr;
  return g != nullptr && g->expanded;
}

void XListView_DeleteGroupAll(HELE view) {
  KIND_OR_RETURN(ListView, view);
  e->clear();
}

void XListView_SetSelectItem(HELE view, int group, int item) {
  KIND_OR_RETURN(ListView, view);
  e->select(group, item, false);
}

bool XListView_GetSelectItem(HELE view, int* group, int* item) {
  if (group != nullptr) *group = -1;
  if (item != nullptr) *item = -1;
  KIND_OR_RETURN(ListView, view, false);
  if (group != nullptr) *group = e->selectedGroup;
  if (item != nullptr) *item = e->selectedItem;
  return e->selectedGroup >= 0;
}

void XListView_RefreshData(HELE view) {
  KIND_OR_RETURN(ListView, view);
  e->refreshAll();
}

HXCGUI XListView_GetTemplateObject(HELE view, int group, int item, int objectId) {
  KIND_OR_RETURN(ListView, view, 0);
  return e->templateObject({group, item < 0 ? -1 : item}, objectId);
}

// --- combo boxes -------------------------------------------------------------------------

namespace {
template <>
struct ItemAccess<ComboBox> {
  static Record* record(ComboBox& c, int index) { return tableRow(c, index); }
  static void changed(ComboBox& c, int index) { c.itemChanged(index); }
  static void rowsChanged(ComboBox& c, int from) { c.itemsChanged(from); }
};
}  // namespace

HELE XComboBox_Create(int x, int y, int width, int height, HXCGUI parent) {
  return create<ComboBox>(x, y, width, height, parent);
}

void XComboBox_EnableEdit(HELE combo, bool enable) {
  KIND_OR_RETURN(ComboBox, combo);
  e->editable = enable;
}

bool XComboBox_IsEnableEdit(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, false);
  return e->editable;
}

bool XComboBox_SetItemTemplateXML(HELE combo, const XChar* file) {
  KIND_OR_RETURN(ComboBox, combo, false);
  if (file == nullptr) return false;
  Template* t = loadTemplateFile(toPath(fromX(file)), listType_comboBox);
  if (t == nullptr) return false;
  if (e->setTemplate(t->handle(), true)) return true;
  context().registry.erase(t->handle());
  return false;
}

HADAPTER XComboBox_CreateAdapter(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, 0);
  return e->createAdapter();
}

HADAPTER XComboBox_GetAdapter(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, 0);
  return e->table() != nullptr ? e->adapter() : 0;
}

int XComboBox_AddItemText(HELE combo, const XChar* text) {
  KIND_OR_RETURN(ComboBox, combo, -1);
  return addRow(*e, textRecord(text));
}

int XComboBox_AddItemImage(HELE combo, HIMAGE image) {
  KIND_OR_RETURN(ComboBox, combo, -1);
  if (!validImage(image)) return -1;
  return addRow(*e, imageRecord(image));
}

void XComboBox_SetItemText(HELE combo, int index, int column, const XChar* text) {
  setItemText<ComboBox>(combo, index, column, text);
}

XString XComboBox_GetItemText(HELE combo, int index, int column) { return getItemText<ComboBox>(combo, index, column); }

void XComboBox_SetItemImage(HELE combo, int index, int column, HIMAGE image) {
  setItemImage<ComboBox>(combo, index, column, image);
}

HIMAGE XComboBox_GetItemImage(HELE combo, int index, int column) {
  return getItemImage<ComboBox>(combo, index, column);
}

void XComboBox_DeleteItem(HELE combo, int index) { deleteRow<ComboBox>(combo, index); }

void XComboBox_DeleteItemAll(HELE combo) { deleteAllRows<ComboBox>(combo); }

int XComboBox_GetCount(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, 0);
  return e->count();
}

void XComboBox_SetText(HELE combo, const XChar* text) {
  KIND_OR_RETURN(ComboBox, combo);
  e->text = fromX(text);
  e->redraw();
  accessChanged(AccessChange::value, combo);
}

XString XComboBox_GetText(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, {});
  return toX(e->text);
}

void XComboBox_SetDropHeight(HELE combo, int height) {
  KIND_OR_RETURN(ComboBox, combo);
  e->dropHeight = std::clamp(height, 1, kMaxCoord);
}

int XComboBox_GetDropHeight(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, 0);
  return e->dropHeight;
}

int XComboBox_GetSelItem(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, -1);
  return e->selected;
}

void XComboBox_SetSelItem(HELE combo, int index) {
  KIND_OR_RETURN(ComboBox, combo);
  e->setSelected(index);
}

HWINDOW XComboBox_PopupDropList(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, 0);
  return e->openPopup();
}

HWINDOW XComboBox_GetPopupWindow(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo, 0);
  return e->popupWindow();
}

void XComboBox_CloseDropList(HELE combo) {
  KIND_OR_RETURN(ComboBox, combo);
  e->closePopup();
}
