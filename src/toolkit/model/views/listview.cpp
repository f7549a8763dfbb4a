// List views: group headings and, under each expanded group, its items in rows of as many as fit
// the view's width; only the headings and rows in the area asked for are listed.
#include "toolkit/model/views/listview.h"

#include <algorithm>

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"

namespace tovalux::tk {

HADAPTER ListView::newAdapter() { return context().registry.create<ListViewAdapter>()->handle(); }

ListViewAdapter& ListView::ensureGroups() {
  if (ListViewAdapter* a = groups()) return *a;
  useAdapter(newAdapter(), true);
  return *groups();
}

void ListView::setItemSize(int width, int height) {
  itemWidth = std::clamp(width, 1, kMaxCoord);
  setItemHeight(height, height);
}

void ListView::templateChanged(const Template& t) {
  if (!heightGiven && t.item) {
    XSize s = sectionSize(*t.item);
    if (s.cx > 0) itemWidth = s.cx;
    if (s.cy > 0) itemHeight = selectedHeight = s.cy;
  }
  if (!groupHeightGiven && t.group)
    if (int h = sectionSize(*t.group).cy; h > 0) groupHeight = h;
}

int ListView::columnsPerRow() const { return std::max(1, viewportWidth() / std::max(1, itemWidth)); }

void ListView::collectSlots(const XRect& area, std::vector<Slot>& out) {
  ListViewAdapter* a = groups();
  if (a == nullptr || area.empty()) return;
  const int cols = columnsPerRow();
  const int width = std::max(viewportWidth(), 1);
  int64_t y = 0;
  for (size_t g = 0; g < a->groups.size() && y < area.bottom; ++g) {
    const ListViewAdapter::Group& group = a->groups[g];
    if (y + groupHeight > area.top)
      out.push_back({{static_cast<int>(g), -1}, {0, static_cast<int>(y), width, static_cast<int>(y + groupHeight)}});
    y += groupHeight;
    if (!group.expanded || group.items.empty()) continue;
    const int64_t n = static_cast<int64_t>(group.items.size());
    const int64_t rows = (n + cols - 1) / cols;
    const int64_t block = rows * itemHeight;
    // Only the rows of the block that meet the area: a group of many items costs what is shown.
    if (y + block > area.top && y < area.bottom) {
      int64_t r0 = std::max<int64_t>(0, (area.top - y) / itemHeight);
      int64_t r1 = std::min<int64_t>(rows - 1, (area.bottom - 1 - y) / itemHeight);
      for (int64_t r = r0; r <= r1; ++r)
        for (int64_t c = 0; c < cols && r * cols + c < n; ++c) {
          int64_t top = y + r * itemHeight, left = c * itemWidth;
          out.push_back({{static_cast<int>(g), static_cast<int>(r * cols + c)},
                         {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + itemWidth),
                          static_cast<int>(top + itemHeight)}});
        }
    }
    y += block;
  }
}

int64_t ListView::heightFor(int64_t cols) {
  ListViewAdapter* a = groups();
  if (a == nullptr) return 0;
  int64_t y = 0;
  for (const auto& g : a->groups) {
    y += groupHeight;
    if (g.expanded) y += (static_cast<int64_t>(g.items.size()) + cols - 1) / cols * itemHeight;
  }
  return y;
}

XSize ListView::contentExtent() {
  // Measured as the scroll view decides on its bar: at the full width first, and at the width
  // the bar leaves when that content does not fit.
  const int innerWidth = width() - border.left - border.right - insets.left - insets.right;
  const int innerHeight = height() - border.top - border.bottom - insets.top - insets.bottom;
  auto columnsAt = [this](int w) { return std::max(1, w / std::max(1, itemWidth)); };
  int64_t y = heightFor(columnsAt(innerWidth));
  if (showV && y > innerHeight) y = heightFor(columnsAt(innerWidth - barSize));
  return {0, static_cast<int>(std::min(y, kMaxContentSize))};
}

Record* ListView::recordOf(const ItemKey& key) {
  ListViewAdapter* a = groups();
  if (a == nullptr) return nullptr;
  if (key.b < 0) {
    ListViewAdapter::Group* g = a->group(key.a);
    return g != nullptr ? &g->record : nullptr;
  }
  return a->item(key.a, key.b);
}

const XmlNode* ListView::sectionFor(const Template& t, const ItemKey& key) {
  if (key.b < 0) return t.group ? &*t.group : nullptr;
  return t.item ? &*t.item : nullptr;
}

void ListView::select(int group, int item, bool byUser) {
  if (group == -1 && item == -1) {
    // (-1, -1) clears.
  } else if (ListViewAdapter* a = groups(); a == nullptr || a->item(group, item) == nullptr) {
    return;
  }
  if (group == selectedGroup && item == selectedItem) return;
  selectedGroup = group;
  selectedItem = item;
  redraw();
  accessChanged(AccessChange::selection, handle(), group, item);
  if (byUser) raiseEvent(handle(), XE_LISTVIEW_SELECT, EventArgs{2, {group, item}});
}

void ListView::expandGroup(int group, bool expand, bool byUser) {
  ListViewAdapter* a = groups();
  ListViewAdapter::Group* g = a != nullptr ? a->group(group) : nullptr;
  if (g == nullptr || g->expanded == expand) return;
  g->expanded = expand;
  reshape();
  redraw();
  accessChanged(AccessChange::state, handle(), group, -1);
  accessChanged(AccessChange::items, handle(), group, -1);
  if (byUser) raiseEvent(handle(), XE_LISTVIEW_EXPAND, EventArgs{2, {group, expand ? 1 : 0}});
}

void ListView::clear() {
  if (ListViewAdapter* a = groups()) a->groups.clear();
  selectedGroup = selectedItem = -1;
  refreshAll();
  reshape();
  accessChanged(AccessChange::itemsReset, handle());
  accessChanged(AccessChange::items, handle());
}

void ListView::itemPressed(const ItemKey& key, XPoint, int) {
  if (key.b < 0) {
    ListViewAdapter* a = groups();
    if (ListViewAdapter::Group* g = a != nullptr ? a->group(key.a) : nullptr) expandGroup(key.a, !g->expanded, true);
  } else {
    select(key.a, key.b, true);
  }
}

void ListView::paintItems(Canvas& canvas, const XRect& abs, const std::vector<Slot>& slots) {
  DataView::paintItems(canvas, abs, slots);
  // A heading without a group template still shows its text.
  Template* t = context().registry.get<Template>(itemTemplate());
  if (t != nullptr && t->group) return;
  auto [color, alpha] = effectiveTextColor();
  for (const Slot& s : slots) {
    if (s.key.b >= 0) continue;
    const Record* r = recordOf(s.key);
    if (r == nullptr) continue;
    XRect w = toWindow(s.rect);
    canvas.text(r->text(0), {w.left + 6, w.top, w.right, w.bottom}, text_align_left | text_align_vcenter,
                effectiveFont(), color, alpha);
  }
}

bool ListView::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "itemWidth") {
    if (auto n = parseInt(value); n && *n > 0) itemWidth = std::min(*n, kMaxCoord), heightGiven = true, reshape();
    return true;
  }
  if (name == "groupHeight") {
    if (auto n = parseInt(value); n && *n > 0)
      groupHeight = std::min(*n, kMaxCoord), groupHeightGiven = true, reshape();
    return true;
  }
  return DataView::applyAttribute(name, value);
}

}  // namespace tovalux::tk
