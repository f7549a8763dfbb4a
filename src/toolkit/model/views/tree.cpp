// Trees: the visible order of the items (a pre-order walk over expanded items, cached until the
// adapter's shape changes), rows indented by depth, the expand button of each row, selection and
// expansion, and the connecting lines.
#include "toolkit/model/views/tree.h"

#include <algorithm>

#include "toolkit/model/controls/button.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/xcgui_views.h"

namespace tovalux::tk {

HADAPTER Tree::newAdapter() { return context().registry.create<TreeAdapter>()->handle(); }

TreeAdapter& Tree::ensureNodes() {
  if (TreeAdapter* a = nodes()) return *a;
  useAdapter(newAdapter(), true);
  return *nodes();
}

int Tree::insert(int parent, int position) {
  TreeAdapter& a = ensureNodes();
  int id = a.insert(parent, position);
  if (id > 0) reshape(), accessChanged(AccessChange::items, handle());
  return id;
}

// Removing the selected item or one of its ancestors clears the selection.
void Tree::remove(int id) {
  TreeAdapter* a = nodes();
  if (a == nullptr || a->node(id) == nullptr) return;
  for (int at = selected; at > 0;) {
    if (at == id) {
      selected = -1;
      break;
    }
    const TreeAdapter::Node* n = a->node(at);
    at = n != nullptr ? n->parent : 0;
  }
  a->remove(id);
  reshape();
  accessChanged(AccessChange::itemsPruned, handle());
  accessChanged(AccessChange::items, handle());
}

void Tree::clear() {
  if (TreeAdapter* a = nodes()) a->clear();
  selected = -1;
  reshape();
  accessChanged(AccessChange::itemsPruned, handle());
  accessChanged(AccessChange::items, handle());
}

const std::vector<int>& Tree::order() {
  TreeAdapter* a = nodes();
  if (a == nullptr) {
    order_.clear();
    orderAdapter_ = 0;
    return order_;
  }
  if (orderAdapter_ == adapter() && orderVersion_ == a->shapeVersion()) return order_;
  orderAdapter_ = adapter();
  orderVersion_ = a->shapeVersion();
  order_.clear();
  ++epoch_;
  // Pre-order walk over the expanded items, without recursion: nesting may be deep.
  for (int id = a->firstRoot(); id != 0;) {
    TreeAdapter::Node* n = a->node(id);
    n->order = static_cast<int>(order_.size());
    n->orderEpoch = epoch_;
    order_.push_back(id);
    if (n->expanded && n->first != 0) {
      id = n->first;
      continue;
    }
    while (id != 0) {
      const TreeAdapter::Node* m = a->node(id);
      if (m->next != 0) {
        id = m->next;
        break;
      }
      id = m->parent;
    }
  }
  return order_;
}

// A node's place in the visible order, or -1 when it is hidden under a collapsed ancestor: a
// node stamped in an earlier walk (another epoch) was not visited by this one.
int Tree::orderIndex(int id) {
  order();
  TreeAdapter* a = nodes();
  const TreeAdapter::Node* n = a != nullptr ? a->node(id) : nullptr;
  return n != nullptr && n->orderEpoch == epoch_ ? n->order : -1;
}

RowGeometry Tree::geometry() {
  const auto rows = static_cast<int64_t>(order().size());
  return rowGeometry(rows, orderIndex(selected));
}

void Tree::collectSlots(const XRect& area, std::vector<Slot>& out) {
  const RowGeometry g = geometry();
  TreeAdapter* a = nodes();
  if (g.count == 0 || area.empty() || a == nullptr) return;
  const int width = std::max(viewportWidth(), 1);
  for (int64_t k = g.at(area.top), last = std::min(g.at(area.bottom - 1), g.count - 1); k <= last; ++k) {
    const int id = order_[static_cast<size_t>(k)];
    const int64_t indent = std::min<int64_t>(int64_t(a->node(id)->depth) * indentation, kMaxCoord);
    const int64_t top = g.top(k);
    out.push_back({{id, 0},
                   {static_cast<int>(indent), static_cast<int>(top),
                    static_cast<int>(std::max<int64_t>(width, indent + 1)), static_cast<int>(top + g.extent(k))}});
  }
}

XRect Tree::itemRect(const ItemKey& key) {
  const RowGeometry g = geometry();
  const int k = orderIndex(key.a);
  TreeAdapter* a = nodes();
  if (k < 0 || a == nullptr) return {};
  const int width = std::max(viewportWidth(), 1);
  const int64_t indent = std::min<int64_t>(int64_t(a->node(key.a)->depth) * indentation, kMaxCoord);
  const int64_t top = g.top(k);
  return {static_cast<int>(indent), static_cast<int>(top), static_cast<int>(std::max<int64_t>(width, indent + 1)),
          static_cast<int>(top + g.extent(k))};
}

XSize Tree::contentExtent() { return {0, static_cast<int>(std::min(geometry().total(), kMaxContentSize))}; }

Record* Tree::recordOf(const ItemKey& key) {
  TreeAdapter* a = nodes();
  TreeAdapter::Node* n = a != nullptr ? a->node(key.a) : nullptr;
  return n != nullptr ? &n->record : nullptr;
}

namespace {
XTreeItemRecord recordFor(const TreeAdapter::Node& n, int id, int selected, const XRect& window, HTEMP temp, HELE row) {
  const auto state = id == selected ? item_state_selected : item_state_normal;
  return {id, n.depth, window.height(), n.expanded != 0, state, window, temp, row};
}
}  // namespace

HTEMP Tree::templateFor(const ItemKey& key, const XRect& rect) {
  TreeAdapter* a = nodes();
  const TreeAdapter::Node* n = a != nullptr ? a->node(key.a) : nullptr;
  if (n == nullptr) return itemTemplate();
  XTreeItemRecord record = recordFor(*n, key.a, selected, toWindow(rect), itemTemplate(), 0);
  raiseEvent(handle(), XE_TREE_TEMP_CREATE, EventArgs{1, {reinterpret_cast<intptr_t>(&record)}});
  // A handler may name another template; anything that is not one keeps the view's.
  return context().registry.get<Template>(record.temp) != nullptr ? record.temp : itemTemplate();
}

// Object 0 of a tree's template, when it is a button, expands and collapses its item: a check
// button shows the expanded state, a push button toggles it. The handler finds the tree and the
// item again by handle and id, as either may be gone when it runs.
void Tree::created(ItemRow& row) {
  const HELE self = handle();
  const int id = row.key.a;
  TreeAdapter* a = nodes();
  const TreeAdapter::Node* n = a != nullptr ? a->node(id) : nullptr;
  if (n == nullptr) return;
  if (auto* button = context().registry.get<Button>(row.instance.find(0))) {
    button->checked = n->expanded;  // shown, not changed: no 35
    auto toggle = [self, id](HXCGUI, const EventArgs& args, bool*) {
      if (auto* tree = context().registry.get<Tree>(self)) {
        TreeAdapter* nodes = tree->nodes();
        const TreeAdapter::Node* node = nodes != nullptr ? nodes->node(id) : nullptr;
        if (node != nullptr) tree->expand(id, args.count > 0 ? args[0] != 0 : !node->expanded, true);
      }
      return 0;
    };
    button->events()->add(button->isCheckable() ? XE_BUTTON_CHECK : XE_BNCLICK, toggle);
  }
  XTreeItemRecord record = recordFor(*n, id, selected, row.windowRect(), row.temp, row.handle());
  raiseEvent(self, XE_TREE_TEMP_CREATE_END, EventArgs{1, {reinterpret_cast<intptr_t>(&record)}});
}

void Tree::select(int id, bool byUser) {
  TreeAdapter* a = nodes();
  if (id != -1 && (a == nullptr || a->node(id) == nullptr)) return;
  if (id == selected) return;
  selected = id;
  if (selectedHeight != itemHeight) reshape();
  redraw();
  accessChanged(AccessChange::selection, handle(), id);
  if (byUser) raiseEvent(handle(), XE_TREE_SELECT, EventArgs{1, {id}});
}

void Tree::expand(int id, bool on, bool byUser) {
  TreeAdapter* a = nodes();
  TreeAdapter::Node* n = a != nullptr ? a->node(id) : nullptr;
  if (n == nullptr || n->expanded == on) return;
  a->setExpanded(*n, on);
  if (ItemRow* row = rowOf({id, 0}))
    if (auto* button = context().registry.get<Button>(row->instance.find(0))) button->checked = on;
  reshape();
  redraw();
  accessChanged(AccessChange::state, handle(), id);
  accessChanged(AccessChange::items, handle());
  if (byUser) raiseEvent(handle(), XE_TREE_EXPAND, EventArgs{2, {id, on ? 1 : 0}});
}

void Tree::itemPressed(const ItemKey& key, XPoint, int) { select(key.a, true); }

void Tree::paintItems(Canvas& canvas, const XRect& abs, const std::vector<Slot>& slots) {
  DataView::paintItems(canvas, abs, slots);
  TreeAdapter* a = nodes();
  if (!connectLine || a == nullptr || indentation <= 0) return;
  // Lines run through the middle of each level's indentation: an item joins its parent's
  // line; the line of an ancestor level goes on while that ancestor has a later sibling.
  const int half = indentation / 2;
  for (const Slot& s : slots) {
    const TreeAdapter::Node* n = a->node(s.key.a);
    if (n == nullptr) continue;
    XRect w = toWindow(s.rect);
    const int mid = (w.top + w.bottom) / 2;
    const int base = w.left - n->depth * indentation;  // window x of depth 0
    if (n->depth > 0) {
      int x = base + (n->depth - 1) * indentation + half;
      canvas.line(x, mid, w.left, mid, palette::kTreeLine, 255);
      canvas.line(x, w.top, x, n->next != 0 ? w.bottom : mid + 1, palette::kTreeLine, 255);
    }
    for (const TreeAdapter::Node* up = a->node(n->parent); up != nullptr; up = a->node(up->parent)) {
      if (up->depth == 0 || up->next == 0) continue;
      int x = base + (up->depth - 1) * indentation + half;
      canvas.line(x, w.top, x, w.bottom, palette::kTreeLine, 255);
    }
  }
}

bool Tree::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "indentation") {
    if (auto n = parseInt(value); n && *n >= 0) indentation = std::min(*n, 1000), reshape();
    return true;
  }
  if (name == "connectLine") {
    if (auto b = parseBool(value)) connectLine = *b;
    return true;
  }
  return DataView::applyAttribute(name, value);
}

}  // namespace tovalux::tk
