// List boxes: rows of one adapter table shown through an item template, single selection.
// A combo box's drop-down is a list box too (comboOwner set): a click on a row there chooses it.
// UI thread only.
#pragma once

#include "toolkit/model/views/dataview.h"

namespace tovalux::tk {

class ListBox : public DataView {
 public:
  ListBox() : DataView(XC_LISTBOX) { listType = listType_listBox; }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("listBox");
    out.push_back("scrollView");
  }
  HADAPTER newAdapter() override;
  TableAdapter* table() const { return kindCast<TableAdapter>(adapterObject()); }
  // The table, created when the view has none yet.
  TableAdapter& ensureTable();
  int count() const;

  int selected = -1;
  HELE comboOwner = 0;
  // Selects a row (-1: none); `byUser` raises 86 when the selection changed.
  void select(int row, bool byUser);
  // Rows were added or removed at `from` (the rows from there on show other items now).
  void rowsChanged(int from);

  XRect itemRect(const ItemKey& key) override;
  void defaultAction(int event, const EventArgs& args) override;
  // Keys while focused: up, down, page up/down, home and end move the selection (86).
  bool onKeyDown(int key, int flags) override;

 protected:
  RowGeometry geometry() const;
  void collectSlots(const XRect& area, std::vector<Slot>& out) override;
  XSize contentExtent() override;
  Record* recordOf(const ItemKey& key) override;
  bool isSelected(const ItemKey& key) const override { return key.a == selected; }
  void created(ItemRow& row) override;
  void itemPressed(const ItemKey& key, XPoint contentPoint, int flags) override;

 private:
  int pressed_ = -1;  // the row the button went down on (drop-downs choose it on release)
};

}  // namespace tovalux::tk
