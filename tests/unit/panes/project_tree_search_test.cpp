// A search typed letter by letter looks only among the items the shorter query matched; what it
// shows must stay what a search started afresh with the same query shows.
#include <gtest/gtest.h>

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
