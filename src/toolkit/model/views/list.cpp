// Lists with a header: columns, the header row (template objects or painted headings, owner
// drawn through 107), rows split into cells (owner drawn through 105) and the header kept over
// the rows while they scroll sideways.
#include "toolkit/model/views/list.h"

#include <algorithm>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/tree/draw.h"
#include "toolkit/xcgui_views.h"

namespace tovalux::tk {

namespace {}  // namespace

// --- header --------------------------------------------------------------------------------

List* ListHeader::list() const { return kindCast<List>(parent()); }

void ListHeader::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  canvas.fillRect(abs, palette::kWindowSurface, 255);
}

// Each heading: 107 first when someone listens (a handler marking it handled replaces the face),
// then, without a header template, its text. A handler may destroy cells or the whole list.
void ListHeader::paintContent(Canvas& canvas, const XRect&) {
  const HELE self = handle();
  List* owner = list();
  TableAdapter* texts = owner != nullptr ? owner->headerTable() : nullptr;
  std::vector<HELE> cells;
  for (Element* c : children())
    if (kindCast<HeaderCell>(c) != nullptr) cells.push_back(c->handle());
  for (HELE h : cells) {
    auto* cell = context().registry.get<HeaderCell>(h);
    if (cell == nullptr) continue;
    const XRect r = cell->windowRect();
    const int state = cell->pressed ? header_state_pressed : cell->hovered ? header_state_hover : header_state_normal;
    bool handled = false;
    if (events()->has(XE_LIST_HEADER_DRAWITEM)) {
      DrawScope scope(canvas, {0, 0}, effectiveFont(), &r);
      XListHeaderItemRecord record{cell->column, state, r, h};
      handled = raiseEvent(self, XE_LIST_HEADER_DRAWITEM,
                           EventArgs{2, {static_cast<intptr_t>(scope.handle()), reinterpret_cast<intptr_t>(&record)}});
      if (getElement(self) != this) return;
      cell = context().registry.get<HeaderCell>(h);
      if (cell == nullptr) continue;
    }
    if (!handled) {
      canvas.fillRect(r,
                      state == header_state_pressed ? palette::kAccent
                      : state == header_state_hover ? palette::kHoverFace
                                                    : palette::kWindowSurface,
                      255);
      canvas.line(r.right - 1, r.top, r.right - 1, r.bottom, palette::kRule, 255);
    }
    // Without a header template the heading's text is painted here.
    if (cell->instance.roots.empty() && texts != nullptr) {
      if (const Record* rec = texts->row(cell->column)) {
        std::u16string text = rec->text(0);
        auto [color, alpha] = effectiveTextColor();
        if (!text.empty())
          canvas.text(text, {r.left + 6, r.top, r.right - 4, r.bottom}, text_align_left | text_align_vcenter,
                      effectiveFont(), color, alpha);
      }
    }
  }
}

// --- list ----------------------------------------------------------------------------------

List::~List() { context().registry.erase(header_); }

void List::build() {
  DataView::build();
  headerElement_ = makeElement<ListHeader>(handle(), {})->handle();
}

ListHeader* List::header() const { return context().registry.get<ListHeader>(headerElement_); }

HADAPTER List::newAdapter() { return context().registry.create<TableAdapter>()->handle(); }

TableAdapter& List::ensureTable() {
  if (TableAdapter* t = table()) return *t;
  useAdapter(newAdapter(), true);
  return *table();
}

TableAdapter* List::headerTable() const { return context().registry.get<TableAdapter>(header_); }

HADAPTER List::createHeaderAdapter() {
  Registry& registry = context().registry;
  TableAdapter* old = headerTable();
  TableAdapter* fresh = registry.create<TableAdapter>();
  // The columns stay; their headings move to the new adapter.
  if (old != nullptr) fresh->rows = old->rows;
  fresh->rows.resize(columns.size());
  registry.erase(header_);
  header_ = fresh->handle();
  headerDirty_ = true;
  return header_;
}

int List::count() const {
  const TableAdapter* t = table();
  return t != nullptr ? t->count() : 0;
}

int List::addColumn(int width, std::string name, std::u16string text) {
  if (columns.size() >= 1024) return -1;
  if (headerTable() == nullptr) createHeaderAdapter();
  columns.push_back({clampSize(width), std::move(name)});
  TableAdapter* h = headerTable();
  h->rows.resize(columns.size());
  h->rows.back().at(0).text = std::move(text);
  headerDirty_ = true;
  refreshAll();  // roots of the new column are built now
  reshape();
  return static_cast<int>(columns.size()) - 1;
}

void List::select(int row) {
  if (row < -1 || row >= count() || row == selected) return;
  selected = row;
  if (selectedHeight != itemHeight) reshape();
  redraw();
  accessChanged(AccessChange::selection, handle(), row);
}

void List::rowsChanged(int from) {
  if (selected >= count()) selected = -1;
  refreshIf([from](const ItemKey& k) { return k.a >= from; });
  reshape();
  accessChanged(AccessChange::items, handle());
}

int List::totalWidth() const {
  int64_t w = 0;
  for (const Column& c : columns) w += c.width;
  return static_cast<int>(std::min<int64_t>(w, kMaxCoord));
}

RowGeometry List::geometry() const { return rowGeometry(count(), selected, rowSpace); }

void List::collectSlots(const XRect& area, std::vector<Slot>& out) {
  rowSlots(geometry(), area, std::max({totalWidth(), viewportWidth(), 1}), out);
}

XRect List::itemRect(const ItemKey& key) {
  const RowGeometry g = geometry();
  if (key.a < 0 || key.a >= g.count) return {};
  const int64_t top = g.top(key.a);
  return {0, static_cast<int>(top), std::max({totalWidth(), viewportWidth(), 1}),
          static_cast<int>(top + g.extent(key.a))};
}

XSize List::contentExtent() { return {totalWidth(), static_cast<int>(std::min(geometry().total(), kMaxContentSize))}; }

Record* List::recordOf(const ItemKey& key) {
  TableAdapter* t = table();
  return t != nullptr ? t->row(key.a) : nullptr;
}

int List::resolveColumn(std::string_view name) {
  for (size_t k = 0; k < columns.size(); ++k)
    if (!columns[k].name.empty() && equalsNoCase(columns[k].name, trim(name))) return static_cast<int>(k);
  return DataView::resolveColumn(name);
}

// A row's cells follow the columns' current widths, every time the row is placed.
void List::placeRow(ItemRow& row, const Slot& slot) {
  row.cells.clear();
  int x = 0;
  for (const Column& c : columns) {
    row.cells.push_back({x, 0, x + c.width, slot.rect.height()});
    x += c.width;
  }
  DataView::placeRow(row, slot);
}

namespace {
// The index of the row's root object that is `object` or holds it; -1 when outside the row.
int rootIndex(const ItemRow& row, HXCGUI object) {
  for (Element* e = getElement(object); e != nullptr; e = e->parent())
    if (e->parent() == &row) return row.indexOf(e);
  return -1;
}
}  // namespace

int List::columnOfObject(const ItemRow& row, HXCGUI object) const {
  int i = rootIndex(row, object);
  return i >= 0 && static_cast<size_t>(i) < row.rootColumns.size() ? row.rootColumns[static_cast<size_t>(i)] : -1;
}

void List::created(ItemRow& row) {
  // Each root object goes into the cell of the first column it (or an object inside it) shows.
  const auto& roots = row.children();
  std::vector<int> columnOf(roots.size(), -1);
  for (const auto& [object, column] : row.bindings) {
    int i = rootIndex(row, object);
    if (i >= 0 && columnOf[static_cast<size_t>(i)] < 0) columnOf[static_cast<size_t>(i)] = column;
  }
  // Objects bound to a column the list does not have go: they would have no cell to sit in.
  std::vector<HELE> missing;
  for (size_t i = 0; i < roots.size(); ++i)
    if (columnOf[i] >= static_cast<int>(columns.size())) missing.push_back(roots[i]->handle());
  for (HELE h : missing) Element::destroy(getElement(h));
  row.rootColumns.clear();
  for (size_t i = 0, j = 0; i < columnOf.size(); ++i)
    if (columnOf[i] < static_cast<int>(columns.size())) row.rootColumns.push_back(columnOf[i]), ++j;
  row.arrange();
  XListItemRecord record{row.key.a, -1, row.key.a == selected ? item_state_selected : item_state_normal,
                         row.windowRect(), row.handle()};
  raiseEvent(handle(), XE_LIST_TEMP_CREATE_END, EventArgs{1, {reinterpret_cast<intptr_t>(&record)}});
}

void List::itemPressed(const ItemKey& key, XPoint, int) { select(key.a); }

// Cell by cell: 105 for each cell on screen when someone listens, else the selection band.
void List::paintItems(Canvas& canvas, const XRect&, const std::vector<Slot>& slots) {
  const HELE self = handle();
  const bool owner = events()->has(XE_LIST_DRAWITEM);
  for (const Slot& s : slots) {
    const XRect row = toWindow(s.rect);
    const bool chosen = s.key.a == selected;
    int x = row.left;
    for (size_t c = 0; c < columns.size(); ++c) {
      const XRect cell{x, row.top, x + columns[c].width, row.bottom};
      x = cell.right;
      bool handled = false;
      if (owner) {
        DrawScope scope(canvas, {0, 0}, effectiveFont(), &cell);
        XListItemRecord record{s.key.a, static_cast<int>(c), chosen ? item_state_selected : item_state_normal, cell, 0};
        if (ItemRow* r = rowOf(s.key)) record.row = r->handle();
        handled =
            raiseEvent(self, XE_LIST_DRAWITEM,
                       EventArgs{2, {static_cast<intptr_t>(scope.handle()), reinterpret_cast<intptr_t>(&record)}});
        if (getElement(self) != this) return;
      }
      if (!handled && chosen) canvas.fillRect(cell, palette::kAccent, 255);
    }
  }
}

// The header scrolls sideways with the rows but stays at the top of the view; it is rebuilt only
// when the template or the number of columns changed.
void List::placeHeader() {
  ListHeader* h = header();
  if (h == nullptr) return;
  if (headerDirty_ || headerTemp_ != itemTemplate() || headerColumns_ != columns.size()) rebuildHeader();
  const XRect vr = viewRect();
  const int left = vr.left - scroll.x;
  const int width = std::max(totalWidth(), vr.width());
  h->visible = headerHeight > 0;
  h->rect = {left, vr.top - headerHeight, left + width, vr.top};
  h->widthRule = {layout_size_fixed, width};
  h->heightRule = {layout_size_fixed, headerHeight};
  int x = 0;
  for (Element* c : h->children()) {
    auto* cell = kindCast<HeaderCell>(c);
    if (cell == nullptr) continue;
    int w = cell->column < static_cast<int>(columns.size()) ? columns[static_cast<size_t>(cell->column)].width : 0;
    cell->rect = {x, 0, x + w, headerHeight};
    cell->widthRule = {layout_size_fixed, w};
    cell->heightRule = {layout_size_fixed, headerHeight};
    x += w;
    cell->arrange();
  }
}

void List::rebuildHeader() {
  ListHeader* h = header();
  if (h == nullptr) return;
  headerDirty_ = false;
  headerTemp_ = itemTemplate();
  headerColumns_ = columns.size();
  std::vector<Element*> old = h->children();
  for (Element* c : old) Element::destroy(c);
  Template* t = context().registry.get<Template>(itemTemplate());
  TableAdapter* texts = headerTable();
  for (size_t k = 0; k < columns.size(); ++k) {
    HeaderCell* cell = makeElement<HeaderCell>(h->handle(), {});
    cell->column = static_cast<int>(k);
    if (t == nullptr || !t->header) continue;
    cell->instance = instantiate(*t->header, t->folder, cell->handle());
    passMouseThroughContainers(*cell);
    const Record* rec = texts != nullptr ? texts->row(static_cast<int>(k)) : nullptr;
    for (const auto& [object, name] : cell->instance.columns) {
      int column = texts != nullptr ? texts->column(name, true) : -1;
      if (auto* text = kindCast<ShapeText>(getElement(object)); text != nullptr && rec != nullptr && column >= 0)
        text->text = rec->text(column);
    }
  }
}

HXCGUI List::headerObject(int column, int objectId) {
  ensureRows();
  ListHeader* h = header();
  if (h == nullptr) return 0;
  for (Element* c : h->children())
    if (auto* cell = kindCast<HeaderCell>(c); cell != nullptr && cell->column == column) {
      HXCGUI o = cell->instance.find(objectId);
      return context().registry.alive(o) ? o : 0;
    }
  return 0;
}

void List::arrange() {
  // The header takes the top of the view: the rows and the bars start below it.
  const XRect saved = insets;
  insets.top += headerHeight;
  DataView::arrange();
  insets = saved;
  placeHeader();
}

XPoint List::childOffset(const Element* child) const {
  if (child != nullptr && child->handle() == headerElement_) return {0, 0};
  return DataView::childOffset(child);
}

XRect List::childClip(const Element* child) const {
  if (child != nullptr && child->handle() == headerElement_) {
    XRect vr = viewRect();
    return {vr.left, vr.top - headerHeight, vr.right, vr.top};
  }
  return DataView::childClip(child);
}

void List::barScrolled(ScrollBar* bar) {
  DataView::barScrolled(bar);
  placeHeader();
}

bool List::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "headerHeight") {
    if (auto n = parseInt(value); n && *n >= 0) headerHeight = std::min(*n, 1000), reshape();
    return true;
  }
  return DataView::applyAttribute(name, value);
}

}  // namespace tovalux::tk
