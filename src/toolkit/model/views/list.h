// Lists with a header: rows of cells under a row of column headings. Column k shows the
// adapter's column k (or the one named as the column); the header's texts live in a header
// adapter, one row per column (its column 0 is the heading).
//
// An item template's <item> objects are laid out per cell: each root object goes into the
// cell of the column it (or the first object inside it) shows; roots of columns the list does
// not have are not built. The <header> section is built once per column.
// Events: 102 after a row's objects are built (column -1 in the record), 105 for every cell on
// screen as it is painted (the default paints the selection band unless handled), 107 on the
// header element for every heading as it is painted (the default paints its face).
// UI thread only.
#pragma once

#include "toolkit/model/views/dataview.h"

namespace tovalux::tk {

class List;

// A heading: takes the mouse (hover and pressed states), its template objects do not.
class HeaderCell : public Element {
 public:
  HeaderCell() : Element(XC_ELE) {
    bkTransparent = true;
    cssEnabled = false;
    itemPart = true;
  }
  int column = 0;
  TemplateInstance instance;
};

class ListHeader : public Element {
 public:
  ListHeader() : Element(XC_ELE) { itemPart = true; }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("listHeader");
    out.push_back("element");
  }
  List* list() const;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
};

class List : public DataView {
 public:
  List() : DataView(XC_LIST) {
    listType = listType_list;
    showH = true;
    itemHeight = selectedHeight = 22;
  }
  ~List() override;
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("list");
    out.push_back("scrollView");
  }
  void build() override;
  HADAPTER newAdapter() override;
  TableAdapter* table() const { return kindCast<TableAdapter>(adapterObject()); }
  TableAdapter& ensureTable();
  TableAdapter* headerTable() const;
  HADAPTER createHeaderAdapter();
  int count() const;

  struct Column {
    int width = 100;
    std::string name;
  };
  std::vector<Column> columns;
  int headerHeight = 24;
  int rowSpace = 0;
  int selected = -1;

  int addColumn(int width, std::string name, std::u16string text);
  void select(int row);
  void rowsChanged(int from);
  // The header's cells follow the columns and the header template.
  void rebuildHeader();
  ListHeader* header() const;
  HXCGUI headerObject(int column, int objectId);
  // The column a row's template object lies in (-1: none or the whole row).
  int columnOfObject(const ItemRow& row, HXCGUI object) const;

  XRect itemRect(const ItemKey& key) override;
  void arrange() override;
  XPoint childOffset(const Element* child) const override;
  XRect childClip(const Element* child) const override;
  void barScrolled(ScrollBar* bar) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
  // Keys while focused: up, down, page up/down, home and end move the selection.
  bool onKeyDown(int key, int flags) override;

 protected:
  RowGeometry geometry() const;
  int totalWidth() const;
  void collectSlots(const XRect& area, std::vector<Slot>& out) override;
  XSize contentExtent() override;
  Record* recordOf(const ItemKey& key) override;
  bool isSelected(const ItemKey& key) const override { return key.a == selected; }
  int resolveColumn(std::string_view name) override;
  void placeRow(ItemRow& row, const Slot& slot) override;
  void created(ItemRow& row) override;
  void itemPressed(const ItemKey& key, XPoint contentPoint, int flags) override;
  void paintItems(Canvas& canvas, const XRect& abs, const std::vector<Slot>& slots) override;

 private:
  void placeHeader();
  HADAPTER header_ = 0;
  HELE headerElement_ = 0;
  // What the header's cells were built for.
  HTEMP headerTemp_ = 0;
  size_t headerColumns_ = 0;
  bool headerDirty_ = true;
};

}  // namespace tovalux::tk
