// The data views' shared machinery: rows of equal height, the rows on screen built from the
// template and bound to the adapter, refreshes, scrolling an item into view, painting the
// selection and turning a press into an item. Every step that raises events (121, 122, 102...)
// checks afterwards that the view and its rows still exist.
#include "toolkit/model/views/dataview.h"

#include <algorithm>

#include "toolkit/model/controls/button.h"
#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

// --- rows ----------------------------------------------------------------------------------

void ItemRow::arrange() {
  if (cells.empty()) {
    Element::arrange();
    return;
  }
  const auto& kids = children();
  for (size_t i = 0; i < kids.size(); ++i) {
    Element* c = kids[i];
    int column = i < rootColumns.size() ? rootColumns[i] : -1;
    XRect inner = column < 0                                ? XRect{0, 0, width(), height()}
                  : column < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(column)]
                                                            : XRect{};
    // Each root starts at its cell's corner (the cells move as columns change width).
    c->rect = {inner.left, inner.top, inner.left + c->width(), inner.top + c->height()};
    placeFree(*c, inner);
    c->arrange();
  }
}

// Rows are arithmetic, so finding the rows of an area costs the same for ten items as for a
// million: only the selected row may differ in height.
int64_t RowGeometry::top(int64_t k) const {
  int64_t y = k * (height + space);
  if (selected >= 0 && k > selected) y += selectedHeight - height;
  return y;
}

int64_t RowGeometry::total() const {
  if (count <= 0) return 0;
  return top(count) - space;
}

int64_t RowGeometry::at(int64_t y) const {
  const int64_t pitch = std::max<int64_t>(1, height + space);
  if (y < 0) return 0;
  if (selected < 0 || selected >= count || y < top(selected)) return y / pitch;
  const int64_t selEnd = top(selected) + selectedHeight + space;
  if (y < selEnd) return selected;
  return selected + 1 + (y - selEnd) / pitch;
}

// The plain containers of a template row let the mouse through to the row, so a click anywhere
// on an item selects it; buttons, edits and the like inside keep their clicks.
void passMouseThroughContainers(Element& root) {
  std::vector<Element*> stack(root.children().begin(), root.children().end());
  while (!stack.empty()) {
    Element* e = stack.back();
    stack.pop_back();
    if (e->type() == XC_ELE || e->type() == XC_ELE_LAYOUT) e->mouseThrough = true;
    stack.insert(stack.end(), e->children().begin(), e->children().end());
  }
}

// --- view ----------------------------------------------------------------------------------

void DataView::rowSlots(const RowGeometry& g, const XRect& area, int width, std::vector<Slot>& out) {
  if (g.count == 0 || area.empty()) return;
  for (int64_t k = g.at(area.top), last = std::min(g.at(area.bottom - 1), g.count - 1); k <= last; ++k) {
    int64_t top = g.top(k);
    out.push_back({{static_cast<int>(k), 0}, {0, static_cast<int>(top), width, static_cast<int>(top + g.extent(k))}});
  }
}

DataView::DataView(int type) : ScrollView(type) { showH = false; }

DataView::~DataView() {
  Registry& registry = context().registry;
  template_.release();
  if (ownsAdapter_) registry.erase(adapter_);
}

bool DataView::setTemplate(HTEMP temp, bool owned) {
  Template* t = template_.take(temp, owned);
  if (t == nullptr) return false;
  templateChanged(*t);
  refreshAll();
  reshape();
  return true;
}

void DataView::templateChanged(const Template& t) {
  if (heightGiven || !t.item) return;
  int h = sectionSize(*t.item).cy;
  if (h > 0) itemHeight = selectedHeight = h;
}

void DataView::setItemHeight(int height, int selected) {
  itemHeight = std::clamp(height, 1, kMaxCoord);
  selectedHeight = std::clamp(selected, 1, kMaxCoord);
  heightGiven = true;
  reshape();
}

void DataView::useAdapter(HADAPTER adapter, bool owned) {
  if (ownsAdapter_ && adapter_ != adapter) context().registry.erase(adapter_);
  adapter_ = adapter;
  ownsAdapter_ = owned;
  refreshAll();
  reshape();
  accessChanged(AccessChange::itemsReset, handle());
  accessChanged(AccessChange::items, handle());
}

Adapter* DataView::adapterObject() const { return context().registry.get<Adapter>(adapter_); }

// Refreshes and reshapes only mark what is stale; the rows are rebuilt on the next paint or
// lookup (ensureRows). Marked during a realise pass, they make it go round again.
void DataView::refreshAll() {
  stale_ = true;
  dirty_ = true;
  if (realising_) again_ = true;
}

void DataView::refreshItem(const ItemKey& key) {
  // A full refresh pending covers every key. A view that is not painted meanwhile (a hidden
  // pane's) may be asked thousands of times: past as many keys as it has built rows, the keys
  // become one full refresh, so they never pile up.
  if (!stale_) {
    if (staleKeys_.size() >= rows_.size()) {
      stale_ = true;
      staleKeys_.clear();
    } else {
      staleKeys_.push_back(key);
    }
  }
  dirty_ = true;
  if (realising_) again_ = true;
}

void DataView::refreshIf(const std::function<bool(const ItemKey&)>& which) {
  Registry& registry = context().registry;
  for (HELE h : rows_)
    if (auto* row = registry.get<ItemRow>(h); row != nullptr && which(row->key)) staleKeys_.push_back(row->key);
  dirty_ = true;
  if (realising_) again_ = true;
}

void DataView::reshape() {
  // The bars' ranges and every row's place follow from a new layout.
  dirty_ = true;
  shapeDirty_ = true;
  if (realising_) again_ = true;
}

void DataView::rebind(const ItemKey& key) {
  if (ItemRow* row = rowOf(key)) bindRow(*row);
}

ItemRow* DataView::rowOf(const ItemKey& key) {
  Registry& registry = context().registry;
  for (HELE h : rows_)
    if (auto* row = registry.get<ItemRow>(h); row != nullptr && row->key == key) return row;
  return nullptr;
}

void DataView::ensureRows() {
  if (realising_) return;
  if (shapeDirty_) {
    arrange();  // places the bars, then realises
    return;
  }
  if (dirty_) realise();
}

HXCGUI DataView::templateObject(const ItemKey& key, int objectId) {
  ensureRows();
  Element* self = getElement(handle());
  if (self != this) return 0;
  ItemRow* row = rowOf(key);
  if (row == nullptr) return 0;
  HXCGUI h = row->instance.find(objectId);
  return context().registry.alive(h) ? h : 0;
}

XRect DataView::slotRect(const ItemKey& key) {
  std::vector<Slot> all;
  XSize extent = contentExtent();
  collectSlots({0, 0, std::max(extent.cx, viewportWidth()), extent.cy}, all);
  for (const Slot& s : all)
    if (s.key == key) return s.rect;
  return {};
}

void DataView::showItem(const ItemKey& key) {
  XRect r = slotRect(key);
  if (r.empty()) return;
  ScrollBar* v = barV();
  if (v == nullptr) return;
  const int viewHeight = viewRect().height();
  int pos = v->pos;
  if (r.top < pos)
    pos = r.top;
  else if (r.bottom > pos + viewHeight)
    pos = r.bottom - viewHeight;
  v->scrollTo(pos);
}

std::vector<DataView::Slot> DataView::slotsOnScreen() {
  std::vector<Slot> slots;
  XRect vr = viewRect();
  if (vr.empty()) return slots;
  XRect area{scroll.x, scroll.y, scroll.x + vr.width(), scroll.y + vr.height()};
  collectSlots(area, slots);
  return slots;
}

void DataView::realise() {
  if (realising_) {
    again_ = true;
    return;
  }
  const HELE self = handle();
  realising_ = true;
  // Creation events may refresh, fill or empty the view: go round again, a few times at most.
  for (int pass = 0; pass < 4; ++pass) {
    again_ = false;
    dirty_ = false;
    if (!syncRows()) return;  // the view is gone
    if (!again_) break;
  }
  if (getElement(self) != this) return;
  realising_ = false;
  if (again_) dirty_ = true;  // still changing after the last pass: try again next time
}

// One pass: rows of items gone from the screen or marked stale are destroyed, rows of items
// newly on screen are built, the others only move to their slot.
bool DataView::syncRows() {
  const HELE self = handle();
  Registry& registry = context().registry;
  std::vector<Slot> slots = slotsOnScreen();
  std::vector<HELE> keep;
  for (HELE h : rows_) {
    auto* row = registry.get<ItemRow>(h);
    if (row == nullptr) continue;
    bool wanted = !stale_ && std::find(staleKeys_.begin(), staleKeys_.end(), row->key) == staleKeys_.end() &&
                  std::any_of(slots.begin(), slots.end(), [&](const Slot& s) { return s.key == row->key; });
    if (wanted)
      keep.push_back(h);
    else
      Element::destroy(row);
  }
  rows_ = std::move(keep);
  stale_ = false;
  staleKeys_.clear();
  for (const Slot& slot : slots) {
    ItemRow* row = rowOf(slot.key);
    if (row == nullptr) {
      row = buildRow(slot);
      if (getElement(self) != this) return false;
      if (again_) return true;  // a handler changed the view: lay out afresh
      if (row == nullptr) continue;
    } else {
      placeRow(*row, slot);
    }
  }
  return true;
}

// The row of one item: its template (templateFor may raise 121, whose handler may name another
// or change the view), the template's objects, their bindings to adapter columns, then 102/122.
ItemRow* DataView::buildRow(const Slot& slot) {
  const HELE self = handle();
  Registry& registry = context().registry;
  HTEMP temp = templateFor(slot.key, slot.rect);
  if (getElement(self) != this || again_) return nullptr;
  ItemRow* row = makeElement<ItemRow>(self, slot.rect);
  row->key = slot.key;
  const HELE rowHandle = row->handle();
  rows_.push_back(rowHandle);
  if (Template* t = registry.get<Template>(temp)) {
    if (const XmlNode* section = sectionFor(*t, slot.key)) {
      row->temp = temp;
      row->instance = instantiate(*section, t->folder, rowHandle);
      passMouseThroughContainers(*row);
      for (const auto& [object, name] : row->instance.columns) {
        int column = resolveColumn(name);
        if (column >= 0) row->bindings.emplace_back(object, column);
      }
    }
  }
  bindRow(*row);
  placeRow(*row, slot);
  created(*row);
  return registry.get<ItemRow>(rowHandle);
}

int DataView::resolveColumn(std::string_view name) {
  if (Adapter* a = adapterObject()) return a->column(name, true);
  // No adapter yet: plain column names still resolve.
  Adapter scratch;
  return scratch.column(name, false);
}

const XmlNode* DataView::sectionFor(const Template& t, const ItemKey&) { return t.item ? &*t.item : nullptr; }

// Each bound object shows its column: a text shape the text, a picture shape or a button the
// image. Only real changes count, so binding again costs no layout or repaint.
void DataView::bindRow(ItemRow& row) {
  Record* record = recordOf(row.key);
  bool changed = false;
  for (const auto& [object, column] : row.bindings) {
    Element* e = getElement(object);
    if (e == nullptr) continue;
    if (auto* text = kindCast<ShapeText>(e)) {
      std::u16string v = record != nullptr ? record->text(column) : std::u16string();
      if (text->text != v) text->text = std::move(v), changed = true;
    } else if (auto* pic = kindCast<ShapePicture>(e)) {
      HIMAGE v = record != nullptr ? record->image(column) : 0;
      if (pic->image != v) pic->image = v, changed = true;
    } else if (auto* button = kindCast<Button>(e)) {
      HIMAGE v = record != nullptr ? record->image(column) : 0;
      if (button->icon != v) button->icon = v, changed = true;
    }
  }
  if (changed) {
    row.arrange();  // "auto" sizes follow the new values
    row.redraw();
  }
}

void DataView::placeRow(ItemRow& row, const Slot& slot) {
  row.rect = slot.rect;
  row.widthRule = {layout_size_fixed, slot.rect.width()};
  row.heightRule = {layout_size_fixed, slot.rect.height()};
  row.arrange();
}

XRect DataView::toWindow(const XRect& content) const {
  XRect w = windowRect();
  XRect vr = viewRect();
  int dx = w.left + vr.left - scroll.x, dy = w.top + vr.top - scroll.y;
  return {content.left + dx, content.top + dy, content.right + dx, content.bottom + dy};
}

void DataView::arrange() {
  shapeDirty_ = false;
  ScrollView::arrange();
  realise();
}

void DataView::barScrolled(ScrollBar* bar) {
  ScrollView::barScrolled(bar);
  dirty_ = true;
  if (realising_) again_ = true;
}

void DataView::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  canvas.fillRect(abs, palette::kViewSurface, 255);
}

void DataView::paintContent(Canvas& canvas, const XRect& abs) {
  const HELE self = handle();
  ensureRows();
  if (getElement(self) != this) return;
  std::vector<Slot> slots = slotsOnScreen();
  XRect vr = viewRect();
  canvas.pushClip({abs.left + vr.left, abs.top + vr.top, abs.left + vr.right, abs.top + vr.bottom});
  paintItems(canvas, abs, slots);
  canvas.popClip();
}

void DataView::paintItems(Canvas& canvas, const XRect&, const std::vector<Slot>& slots) {
  for (const Slot& s : slots)
    if (isSelected(s.key)) canvas.fillRect(toWindow(s.rect), palette::kAccent, 255);
}

ItemKey DataView::keyAt(XPoint at) {
  const XRect vr = viewRect();
  if (!contains(vr, at)) return {};
  const XPoint content{at.x - vr.left + scroll.x, at.y - vr.top + scroll.y};
  std::vector<Slot> slots;
  collectSlots({content.x, content.y, content.x + 1, content.y + 1}, slots);
  for (const Slot& s : slots)
    if (contains(s.rect, content)) return s.key;
  return {};
}

void DataView::defaultAction(int event, const EventArgs& args) {
  if (event != XE_LBUTTONDOWN || !enabled) return;
  const auto* at = reinterpret_cast<const XPoint*>(args[1]);
  if (at == nullptr) return;
  const ItemKey key = keyAt(*at);
  if (key == ItemKey{}) return;
  const XRect vr = viewRect();
  itemPressed(key, {at->x - vr.left + scroll.x, at->y - vr.top + scroll.y}, static_cast<int>(args[0]));
}

bool DataView::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "itemHeight") {
    if (auto n = parseInt(value); n && *n > 0) setItemHeight(*n, *n);
    return true;
  }
  return ScrollView::applyAttribute(name, value);
}

// A template named by a layout is the view's own: destroyed with it, or at once if refused.
bool DataView::applyPathAttribute(std::string_view name, std::string_view value, const std::filesystem::path& folder) {
  if (name != "itemTemplate") return false;
  if (Template* t = loadTemplateFile(folder / toPath(value), listType)) {
    if (!setTemplate(t->handle(), true)) context().registry.erase(t->handle());
  }
  return true;
}

}  // namespace tovalux::tk
