#include "panes/project_tree_search.h"

#include <algorithm>
#include <unordered_set>

#include "base/gbk.h"
#include "panes/project_tree_rules.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {

std::vector<int> paneTreeItems(HELE tree) {
  std::vector<int> items;
  std::vector<int> pending;  // next siblings still to visit, deepest last
  for (int id = XTree_GetFirstChildItem(tree, 0); id > 0 || !pending.empty();) {
    if (id <= 0) {
      id = pending.back();
      pending.pop_back();
      continue;
    }
    items.push_back(id);
    const int next = XTree_GetNextSiblingItem(tree, id);
    const int child = XTree_GetFirstChildItem(tree, id);
    if (child > 0) {
      if (next > 0) pending.push_back(next);
      id = child;
    } else {
      id = next;
    }
  }
  return items;
}

void PaneItems::add(int id, int parent, std::string_view label, std::string_view icon) {
  ++version_;
  constexpr size_t kMaxLabel = UINT16_MAX;
  if (label.size() > kMaxLabel) label = label.substr(0, gbkSafeCut(label, kMaxLabel));
  // The pool is addressed with 32 bits: past that, the labels of items gone are dropped first.
  if (pool_.size() + label.size() > UINT32_MAX) compactPool();
  if (pool_.size() + label.size() > UINT32_MAX) return;
  Item item{static_cast<uint32_t>(pool_.size()), static_cast<uint16_t>(label.size()), 0, parent, 0};
  if (!icon.empty()) {
    // The names are a rule table's few; past 65,535 of them a new one would be kept as none.
    const auto known = std::find(icons_.begin(), icons_.end(), icon);
    if (known != icons_.end() || icons_.size() < UINT16_MAX) {
      item.icon = static_cast<uint16_t>(known - icons_.begin() + 1);
      if (known == icons_.end()) icons_.push_back(icon);
    }
  }
  if (const Item* old = items_.find(id)) {
    unusedPool_ += old->labelSize;
    item.children = old->children;
    if (Item* up = items_.find(old->parent)) --up->children;
  }
  if (items_.put(id, item) == nullptr) return;
  pool_.append(label);
  if (Item* up = items_.find(parent)) ++up->children;
  if (unusedPool_ > pool_.size() / 2 && pool_.size() > 4096) compactPool();
}

void PaneItems::remove(int id) {
  const Item* found = items_.find(id);
  if (found == nullptr) return;
  ++version_;
  if (Item* parent = items_.find(found->parent)) --parent->children;
  unusedPool_ += found->labelSize;
  items_.erase(id);
  if (items_.empty()) clear();
}

void PaneItems::clear() {
  items_.clear();
  pool_.clear();
  pool_.shrink_to_fit();
  unusedPool_ = 0;
  ++version_;
}

// Copies the labels still in use into a pool of their own, in item order.
void PaneItems::compactPool() {
  std::string pool;
  pool.reserve(pool_.size() - unusedPool_);  // every byte counted unused is in the pool
  items_.forEach([&](int id, const Item& item) {
    const uint32_t from = item.labelAt;  // `item` is the one rewritten
    items_.find(id)->labelAt = static_cast<uint32_t>(pool.size());
    pool.append(pool_, from, item.labelSize);
  });
  pool_ = std::move(pool);
  unusedPool_ = 0;
}

bool TreeSearch::matches(const PaneItems& items, int id) const {
  if (query_.empty()) return false;
  const PaneItems::Item* item = items.find(id);
  return item != nullptr && project::labelMatches(items.label(*item), query_);
}

int TreeSearch::apply(HELE tree, const PaneItems& items, std::string_view typed) {
  const std::string_view query = project::trimQuery(typed);
  if (query.empty()) {
    if (!active()) return -1;
    for (const auto& [id, expanded] : saved_)
      if (items.find(id) != nullptr) XTree_ExpandItem(tree, id, expanded);
    cancel();
    return -1;
  }
  if (!active()) {
    saved_.clear();
    items.forEach([&](int id, const PaneItems::Item& item) {
      if (item.children > 0) saved_[id] = XTree_IsExpand(tree, id);
    });
  }
  // A query typed further matches only items the shorter one matched, unless the shorter one
  // ended in half a character (a lead byte alone matches no character the longer one has there).
  const bool narrows = active() && matchedVersion_ == items.version() && query.size() > query_.size() &&
                       query.starts_with(query_) && !isGbkLeadByte(static_cast<unsigned char>(query_.back()));
  query_.assign(query);
  std::vector<int> matched;
  const auto test = [&](int id, const PaneItems::Item& item) {
    if (project::labelMatches(items.label(item), query_)) matched.push_back(id);
  };
  if (narrows) {
    for (const int id : matched_)
      if (const PaneItems::Item* item = items.find(id)) test(id, *item);
  } else {
    items.forEach(test);
  }
  // The matches open their ancestors; every other parent closes. Only parents cost a toolkit
  // call, so a keystroke follows the number of parents, not of items.
  std::unordered_set<int> open;
  int first = -1;  // the earliest inserted match (ids grow with each insert)
  for (const int id : matched) {
    if (first < 0 || id < first) first = id;
    for (int parent = items.find(id)->parent; parent > 0 && open.insert(parent).second;) {
      const PaneItems::Item* up = items.find(parent);
      parent = up != nullptr ? up->parent : 0;
    }
  }
  matched_ = std::move(matched);
  matchedVersion_ = items.version();
  items.forEach([&](int id, const PaneItems::Item& item) {
    if (item.children <= 0) return;
    const bool wanted = open.count(id) != 0;
    if (XTree_IsExpand(tree, id) != wanted) XTree_ExpandItem(tree, id, wanted);
  });
  return first;
}

void TreeSearch::itemInserted(HELE tree, const PaneItems& items, int id) {
  if (!active()) return;
  if (saved_.count(id) == 0) saved_[id] = false;  // a new item starts collapsed
  if (!matches(items, id)) return;
  for (const PaneItems::Item* item = items.find(id); item != nullptr && item->parent > 0;) {
    XTree_ExpandItem(tree, item->parent, true);
    item = items.find(item->parent);
  }
}

void TreeSearch::rememberExpansion(int id, bool expanded) {
  if (active()) saved_[id] = expanded;
}

void TreeSearch::cancel() {
  query_.clear();
  saved_.clear();
  matched_.clear();
  matchedVersion_ = UINT64_MAX;
}

}  // namespace tovalux
