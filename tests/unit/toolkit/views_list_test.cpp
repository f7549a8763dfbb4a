#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/views/dataview.h"
#include "views_fixture.h"

namespace tovalux::testing {
namespace {

using ViewsListBox = ViewsTest;
using ViewsList = ViewsTest;
using ViewsListView = ViewsTest;

// Icon (name1) with the marker (icon) over it, and the text (name2).
constexpr char kBoxTemplate[] = R"(<template for="listBox">
  <item height="20">
    <layout width="fill" height="fill" flow="horizontal">
      <element width="16" height="16">
        <shapePic itemId="1" column="name1" width="16" height="16"/>
        <shapePic itemId="3" column="icon" width="16" height="16"/>
      </element>
      <shapeText itemId="0" column="name2" width="fill" height="fill"/>
    </layout>
  </item>
</template>)";

constexpr char kListTemplate[] = R"(<template for="list">
  <header height="20"><shapeText itemId="1" column="0" width="fill" height="fill"/></header>
  <item height="18">
    <shapeText itemId="1" column="0" width="fill" height="fill"/>
    <shapeText itemId="2" column="1" width="fill" height="fill"/>
    <shapeText itemId="3" column="2" width="fill" height="fill"/>
    <shapeText itemId="4" column="3" width="fill" height="fill"/>
  </item>
</template>)";

constexpr char kViewTemplate[] = R"(<template for="listView">
  <item width="120" height="26">
    <shapePic itemId="1" column="0" width="16" height="16"/>
    <shapeText itemId="2" column="1" x="20" width="100" height="26"/>
  </item>
  <group height="30"><shapeText itemId="1" column="0" width="fill" height="fill"/></group>
</template>)";

TEST_F(ViewsListBox, ValuesByIndexAndByNameShowInTheRowsObjects) {
  HWINDOW w = window();
  HELE box = XListBox_Create(0, 0, 200, 100, w);
  ASSERT_TRUE(XListBox_SetItemTemplateXML(box, templateFile("box.xml", kBoxTemplate).c_str()));
  XListBox_CreateAdapter(box);
  HIMAGE off = XImage_LoadMemory(pngBytes(16, 16).data(), 24);
  HIMAGE on = XImage_LoadMemory(pngBytes(16, 16).data(), 24);
  std::vector<int> styled;
  XEle_RegEventC(box, XE_LISTBOX_TEMP_CREATE_END, [&](XListBoxItemRecord* item, bool*) {
    styled.push_back(item->index);
    EXPECT_TRUE(XC_IsHXCGUI(XListBox_GetTemplateObject(box, item->index, 0), XC_SHAPE_TEXT));
    EXPECT_EQ(item->rect.top, item->index * 20);
    return 0;
  });
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(XListBox_AddItemImage(box, off), i);
    XListBox_SetItemText(box, i, 1, i == 0 ? u"main" : u"caller");
    XListBox_SetItemText(box, i, 2, u"4096");
    XListBox_SetItemImageEx(box, i, u"icon", i == 0 ? on : off);
  }
  EXPECT_EQ(XListBox_AddItemText(box, u"text row"), 3);
  XWnd_AdjustLayout(w);
  EXPECT_EQ(styled, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(XListBox_GetCount(box), 4);
  EXPECT_EQ(XListBox_GetItemText(box, 1, 2), XString(u"4096"));
  EXPECT_EQ(XListBox_GetItemTextEx(box, 0, u"name2"), XString(u"main"));
  EXPECT_EQ(XListBox_GetItemImage(box, 0, 0), off);
  EXPECT_EQ(XListBox_GetItemImageEx(box, 0, u"icon"), on);
  EXPECT_EQ(XListBox_GetItemImageEx(box, 0, u"ICON"), on);
  EXPECT_EQ(XListBox_GetItemText(box, 3, 0), XString(u"text row"));
  // The named value is a column of its own, not one of the numbered ones.
  for (int c = 0; c < 8; ++c) EXPECT_NE(XListBox_GetItemImage(box, 0, c), on);
  EXPECT_EQ(shapeText(XListBox_GetTemplateObject(box, 0, 0)), XString(u"main"));
  auto image = [](HXCGUI h) { return tk::context().registry.get<tk::ShapePicture>(h)->image; };
  EXPECT_EQ(image(XListBox_GetTemplateObject(box, 0, 1)), off);
  EXPECT_EQ(image(XListBox_GetTemplateObject(box, 0, 3)), on);
  // Moving the marker shows at once.
  XListBox_SetItemImageEx(box, 0, u"icon", off);
  XListBox_SetItemImageEx(box, 2, u"icon", on);
  EXPECT_EQ(image(XListBox_GetTemplateObject(box, 0, 3)), off);
  EXPECT_EQ(image(XListBox_GetTemplateObject(box, 2, 3)), on);
  EXPECT_EQ(styled.size(), 4u);
}

TEST_F(ViewsListBox, ClicksSelectDeletingShiftsAndScrollingBuildsTheNewRows) {
  HWINDOW w = window();
  HELE box = XListBox_Create(0, 0, 200, 100, w);
  XListBox_SetItemTemplateXML(box, templateFile("box.xml", kBoxTemplate).c_str());
  EXPECT_TRUE(XListBox_EnableMultiSel(box, false));
  EXPECT_FALSE(XListBox_EnableMultiSel(box, true));
  for (int i = 0; i < 50; ++i) {
    XListBox_AddItemText(box, u"");
    XListBox_SetItemText(box, i, 1, tk::utf8ToUtf16("row " + std::to_string(i)).c_str());
  }
  std::vector<int> selections, built;
  XEle_RegEventC(box, XE_LISTBOX_SELECT, [&](int row, bool*) { return selections.push_back(row), 0; });
  XEle_RegEventC(box, XE_LISTBOX_TEMP_CREATE_END,
                 [&](XListBoxItemRecord* item, bool*) { return built.push_back(item->index), 0; });
  XWnd_AdjustLayout(w);
  EXPECT_EQ(built, (std::vector<int>{0, 1, 2, 3, 4}));
  click(w, {60, 45});
  EXPECT_EQ(XListBox_GetSelectItem(box), 2);
  click(w, {60, 45});
  XListBox_SetSelectItem(box, 1);
  XListBox_SetSelectItem(box, 50);
  EXPECT_EQ(selections, (std::vector<int>{2}));
  EXPECT_EQ(XListBox_GetSelectItem(box), 1);

  // Deleting a row: the rows after it show the next items, the selection follows its item.
  XListBox_SetSelectItem(box, 3);
  built.clear();
  XListBox_DeleteItem(box, 1);
  paint(w);
  EXPECT_EQ(XListBox_GetSelectItem(box), 2);
  EXPECT_EQ(shapeText(XListBox_GetTemplateObject(box, 1, 0)), XString(u"row 2"));
  EXPECT_EQ(built, (std::vector<int>{1, 2, 3, 4}));
  XListBox_DeleteItem(box, 2);
  EXPECT_EQ(XListBox_GetSelectItem(box), -1);
  EXPECT_EQ(XListBox_GetCount(box), 48);
  paint(w);

  built.clear();
  XSBar_ScrollPos(XSView_GetScrollBarV(box), 40);
  paint(w);
  EXPECT_EQ(built, (std::vector<int>{5, 6}));
  EXPECT_EQ(XListBox_GetTemplateObject(box, 1, 0), 0u);
  XListBox_VisibleItem(box, 47);
  EXPECT_EQ(XSBar_GetPos(XSView_GetScrollBarV(box)), 48 * 20 - 100);
  XListBox_DeleteItemAll(box);
  paint(w);
  EXPECT_EQ(XListBox_GetCount(box), 0);
  EXPECT_EQ(XListBox_GetTemplateObject(box, 47, 0), 0u);
  EXPECT_EQ(XSBar_GetPos(XSView_GetScrollBarV(box)), 0);
}

TEST_F(ViewsListBox, BadRowsColumnsAndNamesAnswerNothing) {
  HELE box = XListBox_Create(0, 0, 200, 100);
  EXPECT_EQ(XListBox_GetAdapter(box), 0u);
  EXPECT_EQ(XListBox_AddItemImage(box, 999), -1);  // not an image
  EXPECT_EQ(XListBox_AddItemText(box, nullptr), 0);
  for (int row : {-1, 1, INT32_MAX, INT32_MIN}) {
    XListBox_SetItemText(box, row, 0, u"x");
    XListBox_SetItemImageEx(box, row, u"icon", 0);
    XListBox_DeleteItem(box, row);
    XListBox_RefreshItem(box, row);
    EXPECT_EQ(XListBox_GetItemText(box, row, 0), XString());
    EXPECT_EQ(XListBox_GetTemplateObject(box, row, 0), 0u);
  }
  for (int column : {-1, 1 << 20, INT32_MAX}) {
    XListBox_SetItemText(box, 0, column, u"x");
    EXPECT_EQ(XListBox_GetItemText(box, 0, column), XString());
  }
  XListBox_SetItemTextEx(box, 0, u"  ", u"x");
  XListBox_SetItemTextEx(box, 0, nullptr, u"x");
  EXPECT_EQ(XListBox_GetItemTextEx(box, 0, u"never"), XString());
  EXPECT_EQ(XListBox_GetCount(box), 1);
  HELE tree = XTree_Create(0, 0, 10, 10);
  EXPECT_EQ(XListBox_AddItemText(tree, u"x"), -1);
  EXPECT_EQ(XListBox_GetCount(tree), 0);
  EXPECT_EQ(XList_AddItemText(box, u"x"), -1);
  EXPECT_EQ(XListView_Group_AddItemText(box, u"x"), -1);
  EXPECT_EQ(XComboBox_AddItemText(box, u"x"), -1);
}

TEST_F(ViewsListBox, CellTextsOfAnyLengthSurviveReplacingCopyingAndMovingTheirRows) {
  HELE box = XListBox_Create(0, 0, 200, 100);
  XListBox_CreateAdapter(box);
  // Longer than 65,535 code units: the count's upper half is in use.
  XString longText(70001, u'长');
  longText[70000] = u'尾';
  ASSERT_EQ(XListBox_AddItemText(box, longText.c_str()), 0);
  ASSERT_EQ(XListBox_AddItemText(box, u"短"), 1);
  XListBox_SetItemText(box, 1, 3, u"第四列");
  EXPECT_EQ(XListBox_GetItemText(box, 0, 0), longText);
  XListBox_SetItemText(box, 0, 0, u"x");
  EXPECT_EQ(XListBox_GetItemText(box, 0, 0), XString(u"x"));
  XListBox_SetItemText(box, 0, 0, u"");
  EXPECT_EQ(XListBox_GetItemText(box, 0, 0), XString());
  // Rows move when the table grows and when one before them goes.
  for (int k = 0; k < 100; ++k) XListBox_AddItemText(box, u"行");
  XListBox_DeleteItem(box, 0);
  EXPECT_EQ(XListBox_GetItemText(box, 0, 0), XString(u"短"));
  EXPECT_EQ(XListBox_GetItemText(box, 0, 3), XString(u"第四列"));

  tk::Record record;
  record.at(2).text = std::u16string(longText.begin(), longText.end());
  record.at(0).image = 7;
  const tk::Record copy = record;
  record.at(2).text = u"changed";
  EXPECT_EQ(copy.text(2), std::u16string(longText.begin(), longText.end()));
  EXPECT_EQ(copy.image(0), 7u);
  EXPECT_EQ(record.text(2), u"changed");
  EXPECT_EQ(record.cells().size(), 2u);

  // Past a few cells the block grows by doubling; every cell keeps its value through each move,
  // and copies and moves keep them all.
  tk::Record wide;
  const std::vector<int> columns = {40, 0, 7, 3, 1 << 19, 5, 2, 9, 11, 33, 4, 6, 8, 10, 12, 13, 14, 15, 16, 17};
  for (size_t k = 0; k < columns.size(); ++k) {
    wide.at(columns[k]).text = u"列" + std::u16string(k + 1, u'x');
    wide.at(columns[k]).data = static_cast<int32_t>(k);
    for (size_t j = 0; j <= k; ++j) ASSERT_EQ(wide.text(columns[j]), u"列" + std::u16string(j + 1, u'x')) << k;
  }
  EXPECT_EQ(wide.cells().size(), columns.size());
  wide.at(7).image = 3;  // an existing column: no new cell
  EXPECT_EQ(wide.cells().size(), columns.size());
  tk::Record copied;
  copied.at(99).text = u"replaced by the copy";
  copied = wide;
  tk::Record moved(std::move(wide));
  EXPECT_TRUE(wide.cells().empty());  // NOLINT(bugprone-use-after-move): a moved-from record is empty
  for (const tk::Record* r : {&copied, &moved}) {
    ASSERT_EQ(r->cells().size(), columns.size());
    EXPECT_EQ(r->find(99), nullptr);
    EXPECT_EQ(r->image(7), 3u);
    for (size_t k = 0; k < columns.size(); ++k) EXPECT_EQ(r->find(columns[k])->data, static_cast<int32_t>(k));
  }
  wide = std::move(copied);
  EXPECT_EQ(wide.text(1 << 19), u"列xxxxx");
  // A cell given its own text keeps it.
  tk::CellText& own = wide.at(40).text;
  const tk::CellText& same = own;
  own = same;
  EXPECT_EQ(own.str(), u"列x");
}

// Plain decimal numbers (a mirrored tree item's host handle) are kept without a block of their
// own; every text, number-like or not, comes back exactly as it was given.
TEST_F(ViewsListBox, NumberTextsComeBackExactlyAsGiven) {
  HELE box = XListBox_Create(0, 0, 200, 100);
  XListBox_CreateAdapter(box);
  const std::vector<std::u16string> texts = {
      u"0",    u"7",   u"10", u"2147483647", u"2147483648", u"4294967296", u"99999999999",
      u"007",  u"00",  u"-1", u"+1",         u"1 ",         u" 1",         u"12a",
      u"１２", u"1.5", u"",   u"0x10",       u"/:",         u"9",          u"305419896"};
  ASSERT_EQ(XListBox_AddItemText(box, u"行"), 0);
  tk::Record record;
  for (size_t k = 0; k < texts.size(); ++k) {
    const XString x(texts[k].begin(), texts[k].end());
    XListBox_SetItemText(box, 0, static_cast<int>(k), x.c_str());
    record.at(static_cast<int>(k)).text = texts[k];
  }
  for (size_t k = 0; k < texts.size(); ++k) {
    EXPECT_EQ(XListBox_GetItemText(box, 0, static_cast<int>(k)), XString(texts[k].begin(), texts[k].end())) << k;
    EXPECT_EQ(record.text(static_cast<int>(k)), texts[k]) << k;
  }
  // A cell goes from a number to a text and back; copies and moves keep either kind.
  tk::Record copy = record;
  copy.at(1).text = u"七";
  copy.at(16).text = u"12";
  copy.at(0).text = u"";
  EXPECT_EQ(record.text(1), u"7");
  EXPECT_EQ(record.text(16), u"");
  EXPECT_EQ(copy.text(0), u"");
  EXPECT_TRUE(copy.find(0)->text.empty());
  tk::Record moved(std::move(copy));
  EXPECT_EQ(moved.text(1), u"七");
  EXPECT_EQ(moved.text(16), u"12");
  EXPECT_EQ(moved.text(3), u"2147483647");
  tk::CellText& cell = moved.at(3).text;
  const tk::CellText& same = cell;
  cell = same;
  EXPECT_EQ(cell.str(), u"2147483647");
  cell = moved.find(1)->text;
  EXPECT_EQ(cell.str(), u"七");
  cell = moved.find(16)->text;
  EXPECT_EQ(cell.str(), u"12");
}

TEST_F(ViewsList, CellsHeaderItemDataAndTheDrawEvents) {
  HWINDOW w = window(600, 300);
  HELE list = XList_Create(0, 0, 560, 100, w);
  ASSERT_TRUE(XList_SetItemTemplateXML(list, templateFile("list.xml", kListTemplate).c_str()));
  XList_SetHeaderHeight(list, 20);
  XList_SetItemHeightDefault(list, 18, 18);
  XList_SetRowSpace(list, 0);
  XList_CreateAdapterHeader(list);
  XList_CreateAdapter(list);
  EXPECT_EQ(XList_AddColumnText(list, 80, u"addr", u"地址"), 0);
  EXPECT_EQ(XList_AddColumnText(list, 200, u"", u"机器代码"), 1);
  EXPECT_EQ(XList_AddColumnText(list, 260, u"", u"汇编代码"), 2);
  const XColor dark = XRGB(45, 45, 48), darker = XRGB(37, 37, 38);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(XList_AddItemText(list, u"00401000"), r);
    XList_SetItemText(list, r, 1, u"55");
    XList_SetItemText(list, r, 2, u"push ebp");
    for (int c = 0; c < 3; ++c) XList_SetItemData(list, r, c, c < 2 ? int(dark) : int(darker));
  }
  std::vector<int> styled;
  XEle_RegEventC1(list, XE_LIST_TEMP_CREATE_END, [&](HELE self, XListItemRecord* item, bool*) {
    EXPECT_EQ(self, list);
    EXPECT_EQ(item->column, -1);
    styled.push_back(item->index);
    for (int k = 0; k < 4; ++k) {
      HXCGUI text = XList_GetTemplateObject(list, item->index, k, k + 1);
      EXPECT_EQ(XC_IsHXCGUI(text, XC_SHAPE_TEXT), k < 3) << k;  // no fourth column
      if (text != 0) XShapeText_SetTextColor(text, XRGB(240, 240, 240));
    }
    return 0;
  });
  XWnd_AdjustLayout(w);
  EXPECT_EQ(styled, (std::vector<int>{0, 1, 2}));
  // The texts of columns 0-2 lie in their cells, below the header.
  EXPECT_EQ(wrect(XList_GetTemplateObject(list, 1, 1, 2)), (XRect{80, 38, 280, 56}));
  EXPECT_EQ(XList_GetTemplateObject(list, 1, 0, 2), 0u);  // object 2 is column 1's
  EXPECT_EQ(XList_GetTemplateObject(list, 1, -1, 2), XList_GetTemplateObject(list, 1, 1, 2));
  EXPECT_EQ(shapeText(XList_GetTemplateObject(list, 2, 2, 3)), XString(u"push ebp"));
  EXPECT_EQ(XList_GetItemData(list, 2, 2), int(darker));
  EXPECT_EQ(XList_GetItemData(list, 2, 3), 0);
  EXPECT_EQ(XList_GetItemData(list, 9, 0), 0);
  // The header: one cell per column showing its heading.
  HELE header = XList_GetHeaderHELE(list);
  ASSERT_TRUE(XC_IsHELE(header));
  EXPECT_EQ(shapeText(XList_GetHeaderTemplateObject(list, 1, 1)), XString(u"机器代码"));
  EXPECT_EQ(wrect(XList_GetHeaderTemplateObject(list, 2, 1)), (XRect{280, 0, 540, 20}));

  // 105: every cell on screen, with a draw context in window coordinates; 107: every heading.
  std::vector<std::pair<int, int>> cells;
  XEle_RegEventC1(list, XE_LIST_DRAWITEM, [&](HELE, HDRAW draw, XListItemRecord* item, bool*) {
    cells.emplace_back(item->index, item->column);
    XDraw_FillRectColor(draw, &item->rect, static_cast<XColor>(XList_GetItemData(list, item->index, item->column)));
    return 0;
  });
  std::vector<int> headings;
  XEle_RegEventC(header, XE_LIST_HEADER_DRAWITEM, [&](HDRAW draw, XListHeaderItemRecord* item, bool* handled) {
    headings.push_back(item->column);
    XDraw_FillRectColor(draw, &item->rect, XRGB(1, 2, 3));
    *handled = item->state == header_state_normal;
    return 0;
  });
  XList_SetSelectItem(list, 1);
  auto ops = paint(w).ops;
  EXPECT_EQ(cells,
            (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}}));
  EXPECT_EQ(headings, (std::vector<int>{0, 1, 2}));
  auto fills = [&](XRect r) {
    std::vector<XColor> out;
    for (const auto& op : ops)
      if (op.kind == tk::CanvasOp::Kind::fill && op.rect == r) out.push_back(op.color);
    return out;
  };
  EXPECT_EQ(fills({280, 20, 540, 38}), (std::vector<XColor>{darker}));
  // Not handled: the selection band goes over the handler's fill.
  EXPECT_EQ(fills({80, 38, 280, 56}), (std::vector<XColor>{dark, tk::palette::kAccent}));
  // Handled headings keep the handler's face only.
  EXPECT_EQ(fills({80, 0, 280, 20}), (std::vector<XColor>{XRGB(1, 2, 3)}));

  // Deleting rows and all rows; columns the rows never had answer 0.
  XList_DeleteItem(list, 0);
  EXPECT_EQ(XList_GetSelectItem(list), 0);
  EXPECT_EQ(XList_GetCount(list), 2);
  XList_DeleteItemAll(list);
  EXPECT_EQ(XList_GetCount(list), 0);
  EXPECT_EQ(XList_GetSelectItem(list), -1);
  EXPECT_EQ(XList_GetColumnCount(list), 3);
  EXPECT_EQ(XList_GetColumnWidth(list, 1), 200);
  EXPECT_EQ(XList_GetColumnWidth(list, 3), 0);
}

TEST_F(ViewsList, ColumnsWiderThanTheViewScrollSideways) {
  HWINDOW w = window(600, 300);
  HELE list = XList_Create(0, 0, 300, 100, w);
  XList_SetItemTemplateXML(list, templateFile("list.xml", kListTemplate).c_str());
  XList_SetHeaderHeight(list, 20);
  for (int c = 0; c < 4; ++c) XList_AddColumnText(list, 200, u"", u"h");
  XList_AddItemText(list, u"a");
  XWnd_AdjustLayout(w);
  HELE bar = XSView_GetScrollBarH(list);
  ASSERT_TRUE(XEle_IsShow(bar));
  XSBar_ScrollPos(bar, 150);
  paint(w);
  // The header moves with the cells.
  EXPECT_EQ(wrect(XList_GetTemplateObject(list, 0, 1, 2)).left, 50);
  EXPECT_EQ(wrect(XList_GetHeaderTemplateObject(list, 1, 1)).left, 50);
  EXPECT_EQ(wrect(XList_GetTemplateObject(list, 0, 3, 4)).left, 450);
}

TEST_F(ViewsList, AViewNotPaintedKeepsNoMoreItemRefreshesThanItHasRows) {
  // A hidden pane's list is asked to refresh its items on every update and never painted: the
  // marks must not pile up (they did, 8 bytes each, for hours).
  HWINDOW w = window(600, 300);
  HELE list = XList_Create(0, 0, 300, 100, w);
  XList_SetItemTemplateXML(list, templateFile("list.xml", kListTemplate).c_str());
  XList_AddColumnText(list, 200, u"", u"h");
  for (int r = 0; r < 20; ++r) XList_AddItemText(list, u"a");
  XWnd_AdjustLayout(w);
  paint(w);
  auto* view = tk::context().registry.get<tk::DataView>(list);
  ASSERT_NE(view, nullptr);
  const size_t built = view->rows().size();
  ASSERT_GT(built, 0u);
  for (int n = 0; n < 100000; ++n) XList_RefreshItem(list, n % 20);
  EXPECT_LE(view->pendingItemRefreshes(), built);
  // Painted again, every row shows its item.
  XList_SetItemText(list, 3, 0, u"b");
  XList_RefreshItem(list, 3);
  paint(w);
  EXPECT_EQ(view->pendingItemRefreshes(), 0u);
  EXPECT_EQ(view->rows().size(), built);
}

TEST_F(ViewsListView, GroupsLayTheirItemsInAGridAndClicksSelectOrExpand) {
  HWINDOW w = window();
  HELE view = XListView_Create(0, 0, 250, 200, w);
  ASSERT_TRUE(XListView_SetItemTemplateXML(view, templateFile("view.xml", kViewTemplate).c_str()));
  XListView_SetItemSize(view, 120, 26);
  XListView_CreateAdapter(view);
  EXPECT_EQ(XListView_Group_AddItemText(view, u"基本组件"), 0);
  EXPECT_EQ(XListView_Group_AddItemText(view, u"扩展组件"), 1);
  XListView_Group_SetText(view, 0, 1, u"核心支持库内的组件");
  HIMAGE icon = XImage_LoadMemory(pngBytes(24, 24).data(), 24);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(XListView_Item_AddItemImage(view, 0, icon), i);
    XListView_Item_SetText(view, 0, i, 1, u"按钮");
  }
  XListView_Item_AddItemText(view, 1, u"x");
  EXPECT_EQ(XListView_Item_AddItemImage(view, 2, icon), -1);
  std::vector<std::pair<int, int>> chosen, expanded;
  XEle_RegEventC(view, XE_LISTVIEW_SELECT, [&](int g, int i, bool*) { return chosen.emplace_back(g, i), 0; });
  XEle_RegEventC(view, XE_LISTVIEW_EXPAND, [&](int g, bool on, bool*) { return expanded.emplace_back(g, on), 0; });
  XWnd_AdjustLayout(w);
  // Heading 0-30; items two per row (250 / 120) from 30; group 1's heading after three rows.
  EXPECT_EQ(wrect(XListView_GetTemplateObject(view, 0, -1, 1)), (XRect{0, 0, 250, 30}));
  EXPECT_EQ(wrect(XListView_GetTemplateObject(view, 0, 3, 2)), (XRect{140, 56, 240, 82}));
  EXPECT_EQ(wrect(XListView_GetTemplateObject(view, 0, 4, 1)).top, 82);
  EXPECT_EQ(wrect(XListView_GetTemplateObject(view, 1, -1, 1)).top, 108);
  EXPECT_EQ(shapeText(XListView_GetTemplateObject(view, 0, 4, 2)), XString(u"按钮"));

  click(w, {130, 60});  // item 3
  click(w, {10, 120});  // group 1's heading: collapses it
  EXPECT_EQ(chosen, (std::vector<std::pair<int, int>>{{0, 3}}));
  EXPECT_EQ(expanded, (std::vector<std::pair<int, int>>{{1, 0}}));
  EXPECT_FALSE(XListView_IsGroupExpand(view, 1));
  int g = 0, i = 0;
  EXPECT_TRUE(XListView_GetSelectItem(view, &g, &i));
  EXPECT_EQ(std::make_pair(g, i), std::make_pair(0, 3));
  // From code: no events.
  XListView_ExpandGroup(view, 0, false);
  XListView_SetSelectItem(view, -1, -1);
  XListView_SetSelectItem(view, 0, 9);
  EXPECT_FALSE(XListView_GetSelectItem(view, &g, &i));
  EXPECT_EQ(chosen.size(), 1u);
  EXPECT_EQ(expanded.size(), 1u);
  paint(w);
  EXPECT_EQ(XListView_GetTemplateObject(view, 0, 0, 1), 0u);
  EXPECT_EQ(wrect(XListView_GetTemplateObject(view, 1, -1, 1)).top, 30);
  XListView_DeleteGroupAll(view);
  paint(w);
  EXPECT_EQ(XListView_Group_GetCount(view), 0);
  EXPECT_EQ(XListView_GetTemplateObject(view, 1, -1, 1), 0u);
  EXPECT_EQ(XListView_Item_GetCount(view, 0), 0);
}

}  // namespace
}  // namespace tovalux::testing
