// Search and collapse-all over a pane tree that mirrors a host tree (the project tree and the
// support-library tree). A search shows the items whose label contains the query with their
// ancestors expanded and every other parent collapsed; the expansion the user had is saved when
// the search begins and put back when the query is emptied. While a search runs, expansions
// the host or the user make are written into the saved state, so clearing the search shows
// what the host tree shows. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "panes/id_table.h"
#include "toolkit/xcgui.h"

namespace tovalux {

// What a pane keeps of each item it mirrors, so that a search needs no toolkit call per item:
// the label (GBK), the parent (0: top level), how many children it has and the name of its
// icon. Items are kept by pane id, the ids the toolkit tree hands out. A big project has
// hundreds of thousands of them: each takes 16 bytes here, its label's bytes in one shared
// pool, and its icon an index into the few names the rule tables have.
class PaneItems {
 public:
  struct Item {
    uint32_t labelAt = 0;  // in the pool
    uint16_t labelSize = 0;
    uint16_t icon = 0;  // 1 + its place among the names; 0: none
    int parent = 0;
    int children = 0;
  };
  // A label longer than 65,535 bytes is kept up to its last whole character before that.
  void add(int id, int parent, std::string_view label, std::string_view icon = {});
  // Forgets one item (its parent counts one child less); forget a subtree from its top down.
  void remove(int id);
  void clear();
  const Item* find(int id) const { return items_.find(id); }
  // Valid until the next add.
  std::string_view label(const Item& item) const {
    return std::string_view(pool_).substr(item.labelAt, item.labelSize);
  }
  // A rule table's literal, or empty.
  std::string_view icon(const Item& item) const { return item.icon == 0 ? std::string_view() : icons_[item.icon - 1]; }
  // Calls f(id, item) for every item, in insertion order.
  template <class F>
  void forEach(F&& f) const {
    items_.forEach(f);
  }
  // Changes with every add, remove and clear.
  uint64_t version() const { return version_; }

 private:
  void compactPool();

  IdTable<Item> items_;
  std::string pool_;
  size_t unusedPool_ = 0;  // bytes of labels replaced or forgotten
  std::vector<std::string_view> icons_;
  uint64_t version_ = 0;
};

// Every item of `tree` in pre-order (ids).
std::vector<int> paneTreeItems(HELE tree);

class TreeSearch {
 public:
  // Applies `query` (blanks around it ignored). Answers the first matching item in pre-order,
  // -1 when none (or the search ended).
  int apply(HELE tree, const PaneItems& items, std::string_view query);
  bool active() const { return !query_.empty(); }
  const std::string& query() const { return query_; }
  bool matches(const PaneItems& items, int id) const;
  // A new item during a search: when it matches, its ancestors are expanded.
  void itemInserted(HELE tree, const PaneItems& items, int id);
  // An expansion made while the search runs, kept for the moment it ends.
  void rememberExpansion(int id, bool expanded);
  // Ends the search without restoring anything (collapse-all).
  void cancel();
  // The tree was emptied: the search goes on for the items to come, nothing is left to restore.
  void forgetItems() { saved_.clear(); }

 private:
  std::string query_;
  std::unordered_map<int, bool> saved_;
  // The items the query matched, while the items are those of `matchedVersion_`: a query typed
  // further only looks among them.
  std::vector<int> matched_;
  uint64_t matchedVersion_ = UINT64_MAX;
};

}  // namespace tovalux
