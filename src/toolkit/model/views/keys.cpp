// Keyboard navigation of the data views: the arrows, page keys, home and end move a single
// selection and scroll it into view, as the mouse selects.
#include <algorithm>
#include <optional>

#include "toolkit/model/core/context.h"
#include "toolkit/model/views/list.h"
#include "toolkit/model/views/listbox.h"
#include "toolkit/model/views/tree.h"

namespace tovalux::tk {

namespace {

// Where a navigation key moves the selection among `count` rows of which `page` fit the view;
// nullopt for keys that do not navigate. With nothing selected, down starts at the first row
// and up at the last.
std::optional<int> stepRow(int key, int current, int count, int page) {
  if (count <= 0) return std::nullopt;
  int to;
  switch (key) {
    case key_up: to = current < 0 ? count - 1 : current - 1; break;
    case key_down: to = current + 1; break;
    case key_prior: to = current < 0 ? 0 : current - page; break;
    case key_next: to = current + page; break;
    case key_home: to = 0; break;
    case key_end: to = count - 1; break;
    default: return std::nullopt;
  }
  return std::clamp(to, 0, count - 1);
}

int pageOf(const DataView& view) { return std::max(1, view.viewRect().height() / std::max(1, view.itemHeight)); }

bool isNavigation(int key) {
  return key == key_up || key == key_down || key == key_prior || key == key_next || key == key_home || key == key_end;
}

}  // namespace

bool ListBox::onKeyDown(int key, int) {
  if (!isNavigation(key)) return false;
  if (auto row = stepRow(key, selected, count(), pageOf(*this))) {
    const HELE self = handle();
    select(*row, true);
    if (auto* still = context().registry.get<ListBox>(self)) still->showItem({*row, 0});
  }
  return true;
}

bool List::onKeyDown(int key, int) {
  if (!isNavigation(key)) return false;
  if (auto row = stepRow(key, selected, count(), pageOf(*this))) {
    select(*row);
    showItem({*row, 0});
  }
  return true;
}

bool Tree::onKeyDown(int key, int) {
  TreeAdapter* a = nodes();
  if (a == nullptr) return false;
  const HELE self = handle();
  auto move = [self](int id) {
    auto* tree = context().registry.get<Tree>(self);
    if (tree == nullptr) return;
    tree->select(id, true);
    if ((tree = context().registry.get<Tree>(self)) != nullptr) tree->showItem({id, 0});
  };
  TreeAdapter::Node* node = selected >= 0 ? a->node(selected) : nullptr;
  if (key == key_right || key == key_left) {
    if (node == nullptr) return true;
    const int id = selected;
    if (key == key_right) {
      if (node->first == 0) return true;
      if (!node->expanded)
        expand(id, true, true);
      else
        move(node->first);
    } else if (node->expanded && node->first != 0) {
      expand(id, false, true);
    } else if (node->parent != TreeAdapter::kRoot) {
      move(node->parent);
    }
    return true;
  }
  if (!isNavigation(key)) return false;
  const std::vector<int> shown = order();
  const int at = selected >= 0 ? orderIndex(selected) : -1;
  if (auto index = stepRow(key, at, static_cast<int>(shown.size()), pageOf(*this)))
    move(shown[static_cast<size_t>(*index)]);
  return true;
}

}  // namespace tovalux::tk
