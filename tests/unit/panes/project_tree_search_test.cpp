// A search typed letter by letter looks only among the items the shorter query matched; what it
// shows must stay what a search started afresh with the same query shows.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "panes/project_tree_search.h"
#include "toolkit/xcgui_views.h"
#include "toolkit_fixture.h"

namespace tovalux::testing {
namespace {

// A pane tree and what the pane keeps of it, built the same way twice.
struct SearchedTree {
  HELE tree = XTree_Create(0, 0, 200, 400);
  PaneItems items;
  TreeSearch search;
  std::vector<int> parents;

  int add(int parent, const std::string& label) {
    const int id = XTree_InsertItemText(tree, u"", parent > 0 ? parent : XC_ID_ROOT);
    items.add(id, parent, label);
    return id;
  }
  std::vector<bool> expanded() const {
    std::vector<bool> out;
    for (const int p : parents) out.push_back(XTree_IsExpand(tree, p));
    return out;
  }
};

void fill(SearchedTree& t) {
  const char* groups[] = {"程序集", "窗口", "乤模块"};
  for (const char* group : groups) {
    const int parent = t.add(0, group);
    t.parents.push_back(parent);
    XTree_ExpandItem(t.tree, parent, true);
    for (int i = 0; i < 12; ++i) t.add(parent, std::string(group) + "_子程序" + std::to_string(i));
  }
  t.add(t.parents[1], "x乤b");
  t.add(t.parents[2], std::string("lone \x81 lead"));
}

// What the pane keeps of each item, against a plain model, through replaced labels, forgotten
// items and the compactions of the label pool that they bring.
TEST(PaneItems, LabelsIconsAndCountsSurviveReplacingForgettingAndCompacting) {
  struct Kept {
    std::string label, icon;
    int parent = 0;
  };
  std::map<int, Kept> model;
  PaneItems items;
  // Icon names are the rule tables' literals, kept by reference.
  const std::string_view icons[] = {"Assembly", "SubProgram"};
  const auto check = [&](const char* when) {
    std::map<int, int> children;
    for (const auto& [id, kept] : model) ++children[kept.parent];
    size_t seen = 0;
    items.forEach([&](int id, const PaneItems::Item& item) {
      ++seen;
      ASSERT_TRUE(model.count(id)) << when << " " << id;
      EXPECT_EQ(items.label(item), model[id].label) << when << " " << id;
      EXPECT_EQ(items.icon(item), model[id].icon) << when << " " << id;
      EXPECT_EQ(item.parent, model[id].parent) << when << " " << id;
      EXPECT_EQ(item.children, children[id]) << when << " " << id;
    });
    EXPECT_EQ(seen, model.size()) << when;
  };
  const auto put = [&](int id, int parent, const std::string& label, std::string_view icon) {
    items.add(id, parent, label, icon);
    model[id] = {label, std::string(icon), parent};
  };
  for (int id = 1; id <= 3000; ++id)
    put(id, id <= 10 ? 0 : 1 + id % 10, "子程序_" + std::to_string(id), id % 3 ? icons[id % 2] : std::string_view());
  check("filled");
  // The host renames half of them and moves some under another parent.
  for (int id = 11; id <= 3000; id += 2) put(id, 1 + id % 7, "改名_" + std::to_string(id * 7), icons[0]);
  check("renamed");
  const uint64_t before = items.version();
  for (int id = 3000; id > 10; id -= 3) {
    items.remove(id);
    model.erase(id);
  }
  EXPECT_NE(items.version(), before);
  items.remove(999999);  // unknown: nothing changes
  check("forgotten");
  for (int id = 3001; id <= 3500; ++id) put(id, 2, std::string(40, 'a' + id % 26), icons[1]);
  check("filled again");

  // A label past 65,535 bytes is cut at its last whole character.
  std::string longLabel;
  for (int k = 0; k < 40000; ++k) longLabel += "长";
  items.add(4000, 0, longLabel);
  const std::string_view kept = items.label(*items.find(4000));
  EXPECT_EQ(kept.size(), 65534u);
  EXPECT_EQ(kept, std::string_view(longLabel).substr(0, 65534));

  items.clear();
  EXPECT_EQ(items.find(1), nullptr);
  items.add(1, 0, "again");
  EXPECT_EQ(items.label(*items.find(1)), "again");
}

using ProjectTreeSearchTyping = ToolkitTest;

TEST_F(ProjectTreeSearchTyping, EachKeystrokeShowsWhatAFreshSearchShows) {
  SearchedTree typed;
  fill(typed);
  // Whole characters, then byte by byte through a lead byte standing alone ("\x81" matches only
  // the lone one; "乤" = 0x81 0x61 matches "x乤b", which the shorter query did not). Before the
  // last keystroke the host adds the one item that the longer query matches.
  const std::vector<std::string> steps = {"子",
                                          "子程",
                                          "子程序",
                                          "子程序1",
                                          "子程序11",
                                          "",
                                          "\x81",
                                          "\x81\x61",
                                          "\x81\x61"
                                          "b",
                                          "",
                                          "窗",
                                          "窗口_l",
                                          "窗口_la"};
  for (size_t i = 0; i < steps.size(); ++i) {
    const std::string& query = steps[i];
    const bool late = i + 1 == steps.size();
    if (late) typed.add(typed.parents[0], "窗口_late");
    const int first = typed.search.apply(typed.tree, typed.items, query);
    SearchedTree once;
    fill(once);
    if (late) once.add(once.parents[0], "窗口_late");
    EXPECT_EQ(first, once.search.apply(once.tree, once.items, query)) << "step " << i;
    EXPECT_EQ(typed.expanded(), once.expanded()) << "step " << i;
  }
}

}  // namespace
}  // namespace tovalux::testing
