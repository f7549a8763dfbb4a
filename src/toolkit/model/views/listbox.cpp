// List boxes: rows of a table adapter, single selection, and - as a combo box's drop-down - a
// click on a row that chooses it.
#include "toolkit/model/views/listbox.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/views/combobox.h"
#include "toolkit/xcgui_views.h"

namespace tovalux::tk {

HADAPTER ListBox::newAdapter() { return context().registry.create<TableAdapter>()->handle(); }

TableAdapter& ListBox::ensureTable() {
  if (TableAdapter* t = table()) return *t;
  useAdapter(newAdapter(), true);
  return *table();
}

int ListBox::count() const {
  const TableAdapter* t = table();
  return t != nullptr ? t->count() : 0;
}

RowGeometry ListBox::geometry() const { return rowGeometry(count(), selected); }

void ListBox::collectSlots(const XRect& area, std::vector<Slot>& out) {
  rowSlots(geometry(), area, std::max(viewportWidth(), 1), out);
}

XRect ListBox::itemRect(const ItemKey& key) {
  const RowGeometry g = geometry();
  if (key.a < 0 || key.a >= g.count) return {};
  const int64_t top = g.top(key.a);
  return {0, static_cast<int>(top), std::max(viewportWidth(), 1), static_cast<int>(top + g.extent(key.a))};
}

XSize ListBox::contentExtent() { return {0, static_cast<int>(std::min(geometry().total(), kMaxContentSize))}; }

Record* ListBox::recordOf(const ItemKey& key) {
  TableAdapter* t = table();
  return t != nullptr ? t->row(key.a) : nullptr;
}

// Only the user's choice raises 86; a selection made in code (XListBox_SetSelectItem) is silent.
void ListBox::select(int row, bool byUser) {
  if (row < -1 || row >= count() || row == selected) return;
  selected = row;
  if (selectedHeight != itemHeight) reshape();
  redraw();  // rows keep their objects; the band moves
  accessChanged(AccessChange::selection, handle(), row);
  if (byUser) raiseEvent(handle(), XE_LISTBOX_SELECT, EventArgs{1, {row}});
}

void ListBox::rowsChanged(int from) {
  TableAdapter* t = table();
  const int n = t != nullptr ? t->count() : 0;
  if (selected >= n) selected = -1;
  // Rows from `from` on may show other items: build them again; the ones before stay.
  refreshIf([from](const ItemKey& k) { return k.a >= from; });
  reshape();
  accessChanged(AccessChange::items, handle());
}

void ListBox::created(ItemRow& row) {
  XListBoxItemRecord record{row.key.a, row.key.a == selected ? item_state_selected : item_state_normal,
                            row.windowRect(), row.temp, row.handle()};
  raiseEvent(handle(), XE_LISTBOX_TEMP_CREATE_END, EventArgs{1, {reinterpret_cast<intptr_t>(&record)}});
}

void ListBox::itemPressed(const ItemKey& key, XPoint, int) {
  pressed_ = key.a;
  select(key.a, true);
}

// A drop-down's row is chosen by a full click on the row that was pressed, not by the press: a
// press then a drag off the row chooses nothing.
void ListBox::defaultAction(int event, const EventArgs& args) {
  if (event == XE_LBUTTONDOWN) pressed_ = -1;
  DataView::defaultAction(event, args);
  if (event == XE_BNCLICK && comboOwner != 0 && pressed_ >= 0 && pressed_ == selected) {
    // Last: choosing closes the drop-down, which destroys this list box.
    comboItemChosen(comboOwner, std::exchange(pressed_, -1));
  }
}

}  // namespace tovalux::tk
