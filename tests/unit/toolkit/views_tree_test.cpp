#include <gtest/gtest.h>

#include "toolkit/model/views/tree.h"
#include "views_fixture.h"

namespace tovalux::testing {
namespace {

using ViewsTree = ViewsTest;

TEST_F(ViewsTree, IdsFollowInsertionOrderWhateverThePosition) {
  HELE tree = XTree_Create(0, 0, 200, 100);
  HIMAGE icon = XImage_LoadMemory(pngBytes(16, 16).data(), 24);
  EXPECT_EQ(XTree_InsertItemText(tree, u"A"), 1);                           // last at the top level
  EXPECT_EQ(XTree_InsertItemText(tree, u"B", XC_ID_ROOT, XC_ID_FIRST), 2);  // first at the top level
  EXPECT_EQ(XTree_InsertItemImage(tree, icon, 1), 3);                       // under A
  EXPECT_EQ(XTree_InsertItemText(tree, u"A2", 1, XC_ID_FIRST), 4);
  EXPECT_EQ(XTree_InsertItemText(tree, u"after 4", 1, 4), 5);  // after a sibling
  // Refused: unknown parent, a position that is not a child of the parent, a negative parent.
  EXPECT_EQ(XTree_InsertItemText(tree, u"x", 99), -1);
  EXPECT_EQ(XTree_InsertItemText(tree, u"x", 2, 3), -1);
  EXPECT_EQ(XTree_InsertItemText(tree, u"x", -7), -1);
  EXPECT_EQ(XTree_InsertItemText(tree, u"x", 1, -9), -1);
  EXPECT_EQ(XTree_GetCount(tree), 5);

  EXPECT_EQ(XTree_GetFirstChildItem(tree, XC_ID_ROOT), 2);
  EXPECT_EQ(XTree_GetNextSiblingItem(tree, 2), 1);
  EXPECT_EQ(XTree_GetNextSiblingItem(tree, 1), -1);
  std::vector<int> kids;
  for (int c = XTree_GetFirstChildItem(tree, 1); c != -1; c = XTree_GetNextSiblingItem(tree, c)) kids.push_back(c);
  EXPECT_EQ(kids, (std::vector<int>{4, 5, 3}));
  EXPECT_EQ(XTree_GetParentItem(tree, 3), 1);
  EXPECT_EQ(XTree_GetParentItem(tree, 1), 0);
  EXPECT_EQ(XTree_GetParentItem(tree, 6), -1);
  EXPECT_EQ(XTree_GetItemImage(tree, 3, 0), icon);
  EXPECT_EQ(XTree_GetItemText(tree, 5, 0), XString(u"after 4"));

  // Children inserted right after their parent: walking ids upward from the first child while
  // the parent is the first child's id - 1 lists exactly them.
  int lib = XTree_InsertItemText(tree, u"lib");
  for (const char16_t* t : {u"c1", u"c2", u"c3"}) XTree_InsertItemText(tree, t, lib);
  XTree_InsertItemText(tree, u"other", 2);
  int first = XTree_GetFirstChildItem(tree, lib);
  std::vector<XString> listed;
  for (int id = first; XTree_GetParentItem(tree, id) == first - 1; ++id)
    listed.push_back(XTree_GetItemText(tree, id, 0));
  EXPECT_EQ(listed, (std::vector<XString>{u"c1", u"c2", u"c3"}));

  // Deleting takes the descendants; ids are never handed out again, also after deleting all.
  XTree_DeleteItem(tree, 1);
  EXPECT_EQ(XTree_GetParentItem(tree, 3), -1);
  EXPECT_EQ(XTree_GetParentItem(tree, 5), -1);
  EXPECT_EQ(XTree_GetCount(tree), 6);
  EXPECT_EQ(XTree_InsertItemText(tree, u"next"), 11);
  XTree_DeleteItemAll(tree);
  EXPECT_EQ(XTree_GetCount(tree), 0);
  EXPECT_EQ(XTree_GetFirstChildItem(tree, XC_ID_ROOT), -1);
  EXPECT_EQ(XTree_InsertItemText(tree, u"again"), 12);
  EXPECT_EQ(XTree_GetItemText(tree, 12, 0), XString(u"again"));
}

struct TreeEvents {
  std::vector<std::string> log;
};

TEST_F(ViewsTree, TemplateEventsBuildOnlyShownItemsAndMayPickTheTemplate) {
  HWINDOW w = window();
  HELE tree = XTree_Create(0, 0, 200, 100, w);
  ASSERT_TRUE(XTree_SetItemTemplateXML(tree, templateFile("item.xml", kTreeTemplate).c_str()));
  HTEMP leaf = XTemp_Load(listType_tree, templateFile("leaf.xml", kLeafTemplate).c_str());
  ASSERT_NE(leaf, 0u);
  XTree_SetIndentation(tree, 10);
  int root = XTree_InsertItemText(tree, u"");
  XTree_SetItemText(tree, root, 1, u"root");
  for (int i = 0; i < 3; ++i) XTree_SetItemText(tree, XTree_InsertItemText(tree, u"", root), 1, u"child");

  std::vector<std::string> log;
  XEle_RegEventC(tree, XE_TREE_TEMP_CREATE, [&](XTreeItemRecord* item, bool*) {
    log.push_back("121 " + std::to_string(item->id));
    EXPECT_EQ(item->row, 0u);
    // Items without children are built from the leaf template.
    if (XTree_GetFirstChildItem(tree, item->id) == -1) item->temp = leaf;
    return 0;
  });
  XEle_RegEventC1(tree, XE_TREE_TEMP_CREATE_END, [&](HELE self, XTreeItemRecord* item, bool*) {
    log.push_back("122 " + std::to_string(item->id) + " depth " + std::to_string(item->depth));
    EXPECT_EQ(self, tree);
    HXCGUI label = XTree_GetTemplateObject(tree, item->id, 2);
    EXPECT_TRUE(XC_IsHXCGUI(label, XC_SHAPE_TEXT));
    EXPECT_EQ(shapeText(label), XTree_GetItemText(tree, item->id, 1));
    HXCGUI button = XTree_GetTemplateObject(tree, item->id, 0);
    EXPECT_EQ(XC_IsHXCGUI(button, XC_BUTTON), item->id == root);
    return 0;
  });
  XWnd_AdjustLayout(w);
  EXPECT_EQ(log, (std::vector<std::string>{"121 1", "122 1 depth 0"}));  // the children are collapsed
  EXPECT_EQ(XTree_GetTemplateObject(tree, 2, 2), 0u);

  std::vector<std::pair<int, bool>> expands;
  XEle_RegEventC(tree, XE_TREE_EXPAND, [&](int id, bool on, bool*) { return expands.emplace_back(id, on), 0; });
  // Expanding from code raises no 127: the caller knows.
  log.clear();
  XTree_ExpandItem(tree, root, true);
  paint(w);
  EXPECT_TRUE(expands.empty());
  EXPECT_EQ(log,
            (std::vector<std::string>{"121 2", "122 2 depth 1", "121 3", "122 3 depth 1", "121 4", "122 4 depth 1"}));
  HXCGUI button = XTree_GetTemplateObject(tree, root, 0);
  EXPECT_TRUE(XBtn_IsCheck(button));
  // The children are indented by one level.
  EXPECT_EQ(wrect(XTree_GetTemplateObject(tree, 3, 2)).left, 10);
  EXPECT_EQ(wrect(XTree_GetTemplateObject(tree, 3, 2)).top, 40);

  // Values written to a shown item show at once, without rebuilding it.
  log.clear();
  XTree_SetItemText(tree, 3, 1, u"renamed");
  EXPECT_EQ(shapeText(XTree_GetTemplateObject(tree, 3, 2)), XString(u"renamed"));
  EXPECT_TRUE(log.empty());
  // Refreshing builds again: one item, then every shown one.
  XTree_RefreshItem(tree, 3);
  paint(w);
  EXPECT_EQ(log, (std::vector<std::string>{"121 3", "122 3 depth 1"}));
  log.clear();
  XTree_RefreshData(tree);
  paint(w);
  EXPECT_EQ(log.size(), 8u);

  // Rebuilt objects are new ones. The user's click on the expand button collapses the item
  // and raises 127.
  EXPECT_FALSE(XC_IsHELE(button));
  button = XTree_GetTemplateObject(tree, root, 0);
  click(w, {wrect(button).left + 2, wrect(button).top + 2});
  EXPECT_FALSE(XTree_IsExpand(tree, root));
  EXPECT_EQ(expands, (std::vector<std::pair<int, bool>>{{root, false}}));
  paint(w);
  EXPECT_EQ(XTree_GetTemplateObject(tree, 2, 2), 0u);
  EXPECT_FALSE(XC_IsHELE(XTree_GetTemplateObject(tree, 3, 0)));
}

TEST_F(ViewsTree, ClicksSelectAndOnlyTheUserRaises126) {
  HWINDOW w = window();
  HELE tree = XTree_Create(0, 0, 200, 100, w);
  XTree_SetItemTemplateXML(tree, templateFile("item.xml", kTreeTemplate).c_str());
  int a = XTree_InsertItemText(tree, u"a");
  int b = XTree_InsertItemText(tree, u"b");
  std::vector<int> selections;
  XEle_RegEventC(tree, XE_TREE_SELECT, [&](int id, bool*) { return selections.push_back(id), 0; });
  XWnd_AdjustLayout(w);
  EXPECT_EQ(XTree_GetSelectItem(tree), -1);
  click(w, {100, 25});  // the label of the second line
  EXPECT_EQ(XTree_GetSelectItem(tree), b);
  click(w, {100, 25});
  click(w, {100, 90});  // below the items: nothing
  EXPECT_EQ(selections, (std::vector<int>{b}));
  XTree_SetSelectItem(tree, a);
  XTree_SetSelectItem(tree, 77);
  EXPECT_EQ(XTree_GetSelectItem(tree), a);
  EXPECT_EQ(selections.size(), 1u);
  // The selected line is painted with the selection band, and may be taller.
  XTree_SetItemHeightDefault(tree, 20, 30);
  XWnd_AdjustLayout(w);
  EXPECT_EQ(wrect(XTree_GetTemplateObject(tree, b, 2)).top, 30);
  auto ops = paint(w).ops;
  EXPECT_TRUE(std::any_of(ops.begin(), ops.end(), [](const tk::CanvasOp& op) {
    return op.kind == tk::CanvasOp::Kind::fill && op.color == tk::palette::kAccent && op.rect == XRect{0, 0, 200, 30};
  }));
  // Deleting the selected item (or an ancestor) clears the selection.
  XTree_DeleteItem(tree, a);
  EXPECT_EQ(XTree_GetSelectItem(tree), -1);
}

TEST_F(ViewsTree, ConnectingLinesJoinChildrenToTheirParents) {
  HWINDOW w = window();
  HELE tree = XTree_Create(0, 0, 200, 100, w);
  XTree_SetItemTemplateXML(tree, templateFile("item.xml", kTreeTemplate).c_str());
  XTree_SetIndentation(tree, 20);
  int root = XTree_InsertItemText(tree, u"r");
  int c1 = XTree_InsertItemText(tree, u"1", root);
  XTree_InsertItemText(tree, u"2", root);
  XTree_InsertItemText(tree, u"1.1", c1);
  XTree_ExpandItem(tree, root, true);
  XTree_ExpandItem(tree, c1, true);
  XWnd_AdjustLayout(w);
  auto lines = [&] {
    std::vector<XRect> out;
    for (const auto& op : paint(w).ops)
      if (op.kind == tk::CanvasOp::Kind::line) out.push_back(op.rect);
    return out;
  };
  // Rows: r (0-20), 1 (20-40), 1.1 (40-60), 2 (60-80). Level 0's line runs at x 10, level 1's at 30.
  EXPECT_EQ(lines(), (std::vector<XRect>{
                         {10, 30, 20, 30},
                         {10, 20, 10, 40},  // 1: joins r, r goes on
                         {30, 50, 40, 50},
                         {30, 40, 30, 51},
                         {10, 40, 10, 60},  // 1.1: last child; r's line
                         {10, 70, 20, 70},
                         {10, 60, 10, 71},  // 2: last child of r
                     }));
  XTree_EnableConnectLine(tree, false);
  EXPECT_TRUE(lines().empty());
}

// The same tree with n items: what exists and what is painted depends on the lines on screen.
struct Shown {
  size_t objects;
  size_t ops;
  int built;
};

TEST_F(ViewsTree, ObjectsAndPaintingFollowTheItemsOnScreenNotTheItemCount) {
  const XString file = templateFile("item.xml", kTreeTemplate);
  auto shown = [&](int parents, int children, int scrollTo) {
    HWINDOW w = window(300, 130);
    HELE tree = XTree_Create(0, 0, 200, 100, w);
    XTree_SetItemTemplateXML(tree, file.c_str());
    int built = 0;
    XEle_RegEventC(tree, XE_TREE_TEMP_CREATE_END, [&built](XTreeItemRecord*, bool*) { return ++built, 0; });
    for (int p = 0; p < parents; ++p) {
      int id = XTree_InsertItemText(tree, u"parent");
      XTree_SetItemText(tree, id, 1, u"parent");
      for (int c = 0; c < children; ++c) XTree_SetItemText(tree, XTree_InsertItemText(tree, u"", id), 1, u"child");
      XTree_ExpandItem(tree, id, true);
    }
    XWnd_AdjustLayout(w);
    XSBar_ScrollPos(XSView_GetScrollBarV(tree), scrollTo);
    paint(w);
    built = 0;
    XTree_RefreshData(tree);
    Shown s{objects(), paint(w).ops.size(), built};
    XWnd_CloseWindow(w);
    return s;
  };
  const Shown small = shown(10, 9, 0);            // 100 items
  const Shown large = shown(1000, 99, 0);         // 100,000 items
  const Shown middle = shown(1000, 99, 1000000);  // scrolled half-way
  EXPECT_EQ(small.built, 5);                      // 100 pixels of 20-pixel lines
  EXPECT_EQ(large.built, small.built);
  EXPECT_EQ(large.objects, small.objects);
  EXPECT_EQ(large.ops, small.ops);
  EXPECT_EQ(middle.built, small.built);
  EXPECT_EQ(middle.objects, small.objects);
  EXPECT_EQ(middle.ops, small.ops);
}

TEST_F(ViewsTree, ScrollingBuildsOnlyTheItemsThatCameIntoView) {
  HWINDOW w = window();
  HELE tree = XTree_Create(0, 0, 200, 100, w);
  XTree_SetItemTemplateXML(tree, templateFile("item.xml", kTreeTemplate).c_str());
  for (int i = 0; i < 50; ++i) XTree_SetItemText(tree, XTree_InsertItemText(tree, u""), 1, u"item");
  std::vector<int> built;
  XEle_RegEventC(tree, XE_TREE_TEMP_CREATE_END,
                 [&](XTreeItemRecord* item, bool*) { return built.push_back(item->id), 0; });
  XWnd_AdjustLayout(w);
  EXPECT_EQ(built, (std::vector<int>{1, 2, 3, 4, 5}));
  HXCGUI kept = XTree_GetTemplateObject(tree, 3, 2);
  built.clear();
  XSBar_ScrollPos(XSView_GetScrollBarV(tree), 50);  // lines 3-8 partly shown
  paint(w);
  EXPECT_EQ(built, (std::vector<int>{6, 7, 8}));
  EXPECT_EQ(XTree_GetTemplateObject(tree, 3, 2), kept);
  EXPECT_EQ(XTree_GetTemplateObject(tree, 1, 2), 0u);
  EXPECT_EQ(wrect(kept).top, -10);
  // Showing an item scrolls it just into view; the wheel scrolls too.
  XTree_VisibleItem(tree, 40);
  EXPECT_EQ(XSBar_GetPos(XSView_GetScrollBarV(tree)), 40 * 20 - 100);
  tk::mouseWheel(win(w), {50, 50}, 120);
  EXPECT_EQ(XSBar_GetPos(XSView_GetScrollBarV(tree)), 40 * 20 - 100 - 60);
}

// Creation handlers that refresh, refill or empty the tree: building settles, nothing dangles.
TEST_F(ViewsTree, HandlersMayChangeTheTreeWhileItsItemsAreBuilt) {
  HWINDOW w = window();
  HELE tree = XTree_Create(0, 0, 200, 100, w);
  XTree_SetItemTemplateXML(tree, templateFile("item.xml", kTreeTemplate).c_str());
  for (int i = 0; i < 20; ++i) XTree_InsertItemText(tree, u"x");
  int calls = 0;
  std::string mode = "refresh";
  XEle_RegEventC(tree, XE_TREE_TEMP_CREATE_END, [&](XTreeItemRecord* item, bool*) {
    ++calls;
    if (mode == "refresh") XTree_RefreshData(tree);  // every time: building must still end
    if (mode == "delete" && item->id == 2) XTree_DeleteItem(tree, 3);
    if (mode == "clear") XTree_DeleteItemAll(tree);
    return 0;
  });
  XWnd_AdjustLayout(w);
  EXPECT_LT(calls, 40);
  mode = "delete";
  XTree_RefreshData(tree);
  paint(w);
  EXPECT_EQ(XTree_GetTemplateObject(tree, 3, 2), 0u);
  EXPECT_NE(XTree_GetTemplateObject(tree, 6, 2), 0u);  // the lines close up
  mode = "clear";
  XTree_RefreshData(tree);
  paint(w);
  paint(w);
  EXPECT_EQ(XTree_GetCount(tree), 0);
  EXPECT_EQ(XEle_GetChildCount(tree), 2 + 0);  // the two scroll bars, no rows
}

TEST_F(ViewsTree, BadHandlesIdsAndColumnsAnswerNothing) {
  HELE tree = XTree_Create(0, 0, 200, 100);
  HELE box = XListBox_Create(0, 0, 100, 100);
  // Without an adapter reads answer nothing; a write creates one.
  EXPECT_EQ(XTree_GetAdapter(tree), 0u);
  EXPECT_EQ(XTree_GetItemText(tree, 1, 0), XString());
  EXPECT_EQ(XTree_GetFirstChildItem(tree, 0), -1);
  int id = XTree_InsertItemText(tree, nullptr);
  EXPECT_EQ(id, 1);
  EXPECT_TRUE(XC_IsHXCGUI(XTree_GetAdapter(tree), XC_ADAPTER));
  for (HELE h : {HELE(0), box, HELE(0x7FFFFFFF), XTree_GetAdapter(tree)}) {
    EXPECT_EQ(XTree_InsertItemText(h, u"x"), -1);
    EXPECT_EQ(XTree_GetCount(h), 0);
    EXPECT_EQ(XTree_GetSelectItem(h), -1);
    EXPECT_EQ(XTree_GetTemplateObject(h, 1, 0), 0u);
    XTree_DeleteItemAll(h);
    XTree_ExpandItem(h, 1, true);
  }
  for (int bad : {-1, 0, 2, 1 << 30, INT32_MIN}) {
    XTree_SetItemText(tree, bad, 1, u"x");
    XTree_SetItemImage(tree, bad, 0, 0);
    EXPECT_EQ(XTree_GetItemText(tree, bad, 1), XString());
    EXPECT_EQ(XTree_GetParentItem(tree, bad), -1);
    EXPECT_FALSE(XTree_IsExpand(tree, bad));
    XTree_ExpandItem(tree, bad, true);
    XTree_DeleteItem(tree, bad);
    XTree_VisibleItem(tree, bad);
    EXPECT_EQ(XTree_GetTemplateObject(tree, bad, 0), 0u);
  }
  for (int column : {-1, -100, 1 << 20, INT32_MAX}) {
    XTree_SetItemText(tree, id, column, u"x");
    EXPECT_EQ(XTree_GetItemText(tree, id, column), XString());
  }
  XTree_SetItemImage(tree, id, 0, 12345);  // not an image
  EXPECT_EQ(XTree_GetItemImage(tree, id, 0), 0u);
  XTree_SetItemTextEx(tree, id, nullptr, u"x");
  XTree_SetItemTextEx(tree, id, u"", u"x");
  EXPECT_EQ(XTree_GetItemTextEx(tree, id, u"nosuch"), XString());
  XTree_SetItemTextEx(tree, id, u"NAME3", u"42");
  EXPECT_EQ(XTree_GetItemText(tree, id, 2), XString(u"42"));
  EXPECT_FALSE(XTree_SetItemTemplateXML(tree, u"/no/such/file.xml"));
  EXPECT_FALSE(XTree_SetItemTemplate(tree, tree));
  XTree_SetItemHeightDefault(tree, -5, 0);
  XTree_SetIndentation(tree, -3);
  EXPECT_EQ(XTree_GetIndentation(tree), 0);
  EXPECT_EQ(XTree_GetCount(tree), 1);
  // A stale handle after destruction.
  XEle_Destroy(tree);
  EXPECT_EQ(XTree_InsertItemText(tree, u"x"), -1);
}

}  // namespace
}  // namespace tovalux::testing

namespace tovalux::testing {
namespace {

// A right click does not select; the pane hit-tests its point to find the item under it.
TEST_F(ViewsTree, HitTestNamesTheItemUnderAPointAndNothingOutsideTheRows) {
  HWINDOW w = window(200, 200);
  HELE tree = XTree_Create(0, 0, 200, 100, w);
  ASSERT_TRUE(XTree_SetItemTemplateXML(tree, templateFile("tree.xml", kTreeTemplate).c_str()));
  XTree_SetItemHeightDefault(tree, 20, 20);
  const int a = XTree_InsertItemText(tree, u"A");
  const int a1 = XTree_InsertItemText(tree, u"A1", a);
  const int b = XTree_InsertItemText(tree, u"B");
  XWnd_AdjustLayout(w);
  XRect view;
  XEle_GetClientRect(tree, &view);
  const auto at = [&](int row) { return XPoint{view.left + 60, view.top + row * 20 + 10}; };
  XPoint p = at(0);
  EXPECT_EQ(XTree_HitTest(tree, &p), a);
  p = at(1);
  EXPECT_EQ(XTree_HitTest(tree, &p), b);  // A is collapsed: B is the second row
  XTree_ExpandItem(tree, a, true);
  p = at(1);
  EXPECT_EQ(XTree_HitTest(tree, &p), a1);
  p = at(4);
  EXPECT_EQ(XTree_HitTest(tree, &p), -1);  // below the last row
  p = {-5, 5};
  EXPECT_EQ(XTree_HitTest(tree, &p), -1);
  EXPECT_EQ(XTree_HitTest(tree, nullptr), -1);
  EXPECT_EQ(XTree_GetSelectItem(tree), -1);  // hit-testing selects nothing
}

}  // namespace
}  // namespace tovalux::testing
