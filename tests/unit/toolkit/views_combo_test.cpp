#include <gtest/gtest.h>

#include "toolkit/model/tree/loader.h"
#include "toolkit/model/views/combobox.h"
#include "views_fixture.h"

namespace tovalux::testing {
namespace {

using ViewsCombo = ViewsTest;
using ViewsKinds = ViewsTest;

constexpr char kComboTemplate[] = R"(<template for="comboBox">
  <item height="22"><shapeText itemId="1" column="0" width="fill" height="fill"/></item>
</template>)";

struct Popup {
  HWINDOW window = 0;
  HELE list = 0;
};

TEST_F(ViewsCombo, AClickOpensTheDropDownAndAChosenRowBecomesTheText) {
  HWINDOW w = window();
  HELE combo = XComboBox_Create(0, 0, 160, 22, w);
  XComboBox_EnableEdit(combo, false);
  ASSERT_TRUE(XComboBox_SetItemTemplateXML(combo, templateFile("combo.xml", kComboTemplate).c_str()));
  XComboBox_CreateAdapter(combo);
  XComboBox_SetDropHeight(combo, 200);
  for (const char16_t* t : {u"VC6", u"VS2019"}) XComboBox_AddItemText(combo, t);
  XComboBox_SetText(combo, u"VC6");
  XWnd_AdjustLayout(w);

  // 72 carries the pop-up window and its list box; the handler refills the items first.
  std::vector<Popup> popups;
  XEle_RegEventC(combo, XE_COMBOBOX_POPUP_LIST, [&](HWINDOW popup, HELE list, bool*) {
    popups.push_back({popup, list});
    EXPECT_TRUE(XC_IsHWINDOW(popup));
    EXPECT_TRUE(XC_IsHXCGUI(list, XC_LISTBOX));
    EXPECT_TRUE(XC_IsHXCGUI(list, XC_SCROLLVIEW));
    XComboBox_DeleteItemAll(combo);
    for (const char16_t* t : {u"VC6", u"VS2019", u"clang"}) XComboBox_AddItemText(combo, t);
    return 0;
  });
  std::vector<int> chosen;
  bool refuse = false;
  XEle_RegEventC(combo, XE_COMBOBOX_SELECT, [&](int index, bool* handled) {
    chosen.push_back(index);
    EXPECT_EQ(XComboBox_GetPopupWindow(combo), 0u);  // closed before the handlers run
    *handled = refuse;
    return 0;
  });
  click(w, {50, 20});
  ASSERT_EQ(popups.size(), 1u);
  HWINDOW popup = popups[0].window;
  EXPECT_EQ(XComboBox_GetPopupWindow(combo), popup);
  EXPECT_EQ(XC_GetObjectType(popup), XC_WINDOW);
  // Below the box, as wide, as tall as the three rows it holds after the handler.
  XRect r;
  XWnd_GetRect(popup, &r);
  EXPECT_EQ(r, (XRect{0, 22, 160, 22 + 3 * 22}));
  EXPECT_EQ(XListBox_GetCount(popups[0].list), 3);
  EXPECT_EQ(shapeText(XListBox_GetTemplateObject(popups[0].list, 2, 1)), XString(u"clang"));
  EXPECT_TRUE(win(popup).visible);

  // A click on the third row chooses it: the drop-down goes, the box shows the row.
  click(popup, {40, 2 * 22 + 5});
  EXPECT_EQ(chosen, (std::vector<int>{2}));
  EXPECT_FALSE(XC_IsHWINDOW(popup));
  EXPECT_FALSE(XC_IsHELE(popups[0].list));
  EXPECT_EQ(XComboBox_GetText(combo), XString(u"clang"));
  EXPECT_EQ(XComboBox_GetSelItem(combo), 2);

  // Handled: the box keeps its text and selection.
  refuse = true;
  click(w, {50, 20});
  ASSERT_EQ(popups.size(), 2u);
  click(popups[1].window, {40, 5});
  EXPECT_EQ(chosen, (std::vector<int>{2, 0}));
  EXPECT_EQ(XComboBox_GetText(combo), XString(u"clang"));
  EXPECT_EQ(XComboBox_GetSelItem(combo), -1);  // the 72 handler replaced the items
  // A click on the box while open closes it without choosing.
  click(w, {50, 20});
  EXPECT_NE(XComboBox_GetPopupWindow(combo), 0u);
  click(w, {50, 20});
  EXPECT_EQ(XComboBox_GetPopupWindow(combo), 0u);
  EXPECT_EQ(chosen.size(), 2u);
  // Destroying the box takes an open drop-down with it.
  HWINDOW last = XComboBox_PopupDropList(combo);
  EXPECT_TRUE(XC_IsHWINDOW(last));
  XEle_Destroy(combo);
  EXPECT_FALSE(XC_IsHWINDOW(last));
}

TEST_F(ViewsCombo, HandlersMaySizeTheDropDownAndIconRowsShowTheirText) {
  HWINDOW w = window();
  HELE combo = XComboBox_Create(0, 0, 160, 22, w);
  XComboBox_SetDropHeight(combo, 60);
  HIMAGE icon = XImage_LoadMemory(pngBytes(16, 16).data(), 24);
  for (int i = 0; i < 10; ++i) {
    int row = XComboBox_AddItemImage(combo, icon);
    XString text = u"_事件" + XString(1, XChar(u'0' + i));
    XComboBox_SetItemText(combo, row, 1, text.c_str());
  }
  XComboBox_AddItemText(combo, u"plain");
  // Ten rows of 20 pixels (no template: the list box's own height) are cut to the drop height.
  HWINDOW popup = XComboBox_PopupDropList(combo);
  XRect r;
  XWnd_GetRect(popup, &r);
  EXPECT_EQ(r.height(), 60);
  XComboBox_CloseDropList(combo);
  // A handler that sizes the pop-up and its list keeps its sizes.
  XEle_RegEventC(combo, XE_COMBOBOX_POPUP_LIST, [&](HWINDOW window, HELE list, bool*) {
    XRect at;
    XWnd_GetRect(window, &at);
    XRect bigger{at.left, at.top, at.left + 318, at.top + 200};
    XWnd_SetRect(window, &bigger);
    XEle_SetWidth(list, 318);
    XEle_SetHeight(list, 200);
    return 0;
  });
  popup = XComboBox_PopupDropList(combo);
  XWnd_GetRect(popup, &r);
  EXPECT_EQ(r.width(), 318);
  EXPECT_EQ(r.height(), 200);
  EXPECT_EQ(XEle_GetHeight(XWnd_GetChildByIndex(popup, 0)), 200);
  XComboBox_CloseDropList(combo);
  // An item whose column 0 is an icon shows its first text; 71 from code chooses as a click.
  XEle_SendEvent(combo, XE_COMBOBOX_SELECT, 3);
  EXPECT_EQ(XComboBox_GetText(combo), XString(u"_事件3"));
  XComboBox_SetSelItem(combo, 10);
  EXPECT_EQ(XComboBox_GetText(combo), XString(u"plain"));
  XEle_SendEvent(combo, XE_COMBOBOX_SELECT, -1);
  XComboBox_SetSelItem(combo, 11);
  EXPECT_EQ(XComboBox_GetSelItem(combo), 10);
  // Items, text and selection after deleting.
  XComboBox_DeleteItem(combo, 0);
  EXPECT_EQ(XComboBox_GetSelItem(combo), 9);
  EXPECT_EQ(XComboBox_GetCount(combo), 10);
  XComboBox_DeleteItemAll(combo);
  EXPECT_EQ(XComboBox_GetSelItem(combo), -1);
  EXPECT_EQ(XComboBox_GetText(combo), XString(u"plain"));
  EXPECT_EQ(XComboBox_GetItemText(combo, 0, 1), XString());
  XComboBox_SetItemText(combo, 0, 0, u"x");
  XComboBox_DeleteItem(combo, -1);
  EXPECT_EQ(XComboBox_GetItemImage(combo, 5, 0), 0u);
  // Not a combo box.
  EXPECT_EQ(XComboBox_PopupDropList(w), 0u);
  EXPECT_EQ(XComboBox_AddItemText(XListBox_Create(0, 0, 1, 1), u"x"), -1);
}

// Every data-view tag loads with its attributes; item templates are found beside the layout.
TEST_F(ViewsKinds, LayoutTagsMakeTheViewsWithTheirAttributes) {
  write("t/tree.xml", kTreeTemplate);
  write("t/combo.xml", kComboTemplate);
  write(
      "t/box.xml",
      R"(<template for="listBox"><item height="24"><shapeText itemId="1" column="0" height="fill"/></item></template>)");
  const auto layout = write("pane.xml", R"(<layout width="300" height="400" flow="vertical">
    <comboBox name="c" width="fill" height="22" itemTemplate="t/combo.xml" editable="true" dropHeight="150"/>
    <listBox name="b" width="fill" height="60" itemTemplate="t\box.xml"/>
    <list name="l" width="fill" height="80" headerHeight="30" itemHeight="18"/>
    <tree name="t" width="fill" height="100" itemTemplate="t/tree.xml" itemHeight="20" indentation="10" connectLine="false"/>
    <listView name="v" width="fill" height="fill" itemWidth="90" itemHeight="40"/>
    <tree name="bad" itemTemplate="t/combo.xml"/>
  </layout>)");
  HWINDOW w = window();
  HXCGUI root = XC_LoadLayout(x(layout).c_str(), w);
  ASSERT_NE(root, 0u);
  auto byName = [](const char16_t* n) { return XC_GetObjectByName(n); };
  HELE c = byName(u"c"), b = byName(u"b"), l = byName(u"l"), t = byName(u"t"), v = byName(u"v");
  EXPECT_EQ(XC_GetObjectType(c), XC_COMBOBOX);
  EXPECT_EQ(XC_GetObjectType(b), XC_LISTBOX);
  EXPECT_EQ(XC_GetObjectType(l), XC_LIST);
  EXPECT_EQ(XC_GetObjectType(t), XC_TREE);
  EXPECT_EQ(XC_GetObjectType(v), XC_LISTVIEW);
  for (HELE view : {b, l, t, v}) EXPECT_TRUE(XC_IsHXCGUI(view, XC_SCROLLVIEW));
  EXPECT_FALSE(XC_IsHXCGUI(c, XC_SCROLLVIEW));
  EXPECT_TRUE(XComboBox_IsEnableEdit(c));
  EXPECT_EQ(XComboBox_GetDropHeight(c), 150);
  EXPECT_EQ(XList_GetHeaderHeight(l), 30);
  EXPECT_EQ(XTree_GetIndentation(t), 10);
  XSize item;
  XListView_GetItemSize(v, &item);
  EXPECT_EQ(item, (XSize{90, 40}));
  // The templates came from the layout's folder: the list box's rows take its height.
  XListBox_AddItemText(b, u"one");
  XListBox_AddItemText(b, u"two");
  XTree_InsertItemText(t, u"a");
  XWnd_AdjustLayout(w);
  EXPECT_EQ(wrect(XListBox_GetTemplateObject(b, 1, 1)).height(), 24);
  EXPECT_TRUE(XC_IsHXCGUI(XTree_GetTemplateObject(t, 1, 0), XC_BUTTON));
  // A template for another view is refused: that tree shows no objects.
  HELE bad = byName(u"bad");
  XTree_InsertItemText(bad, u"a");
  XWnd_AdjustLayout(w);
  EXPECT_EQ(XTree_GetTemplateObject(bad, 1, 0), 0u);
  // The combo box opens its drop-down with the layout's template.
  XComboBox_AddItemText(c, u"x");
  HWINDOW popup = XComboBox_PopupDropList(c);
  EXPECT_EQ(shapeText(XListBox_GetTemplateObject(XWnd_GetChildByIndex(popup, 0), 0, 1)), XString(u"x"));
}

}  // namespace
}  // namespace tovalux::testing

namespace tovalux::testing {
namespace {

// Search boxes: an editable combo box takes typed characters at the end of its text and tells
// its handlers (180) after each change; a combo box that is not editable ignores the keys.
TEST_F(ViewsCombo, AnEditableBoxTakesTypingAndRaisesTheChange) {
  HWINDOW w = window();
  HELE combo = XComboBox_Create(0, 0, 160, 22, w);
  XComboBox_EnableEdit(combo, true);
  XWnd_AdjustLayout(w);
  std::vector<XString> seen;
  XEle_RegEventC(combo, XE_EDIT_CHANGED, [&](bool*) {
    seen.push_back(XComboBox_GetText(combo));
    return 0;
  });
  click(w, {50, 10});  // focus (the drop-down opens and is closed again)
  XComboBox_CloseDropList(combo);
  for (char16_t c : std::u16string(u"全a")) EXPECT_TRUE(tk::charInput(win(w), c));
  EXPECT_TRUE(tk::keyDown(win(w), key_back, 0));
  EXPECT_FALSE(tk::charInput(win(w), u'\t'));  // control characters are not text
  EXPECT_TRUE(tk::keyDown(win(w), key_escape, 0));
  EXPECT_EQ(seen, (std::vector<XString>{u"全", u"全a", u"全", u""}));

  XComboBox_EnableEdit(combo, false);
  EXPECT_FALSE(tk::charInput(win(w), u'b'));
  EXPECT_EQ(XComboBox_GetText(combo), XString());
}

}  // namespace
}  // namespace tovalux::testing

namespace tovalux::testing {
namespace {

// Event 39: the focused element's handlers see a key before the element does, and one that
// takes it keeps it from the element (a search box runs its choice on Return, leaves on Escape);
// XEle_SetFocus gives an element the focus as a click does.
TEST_F(ViewsCombo, KeyHandlersComeFirstAndFocusCanBeGiven) {
  HWINDOW w = window();
  HELE other = XEdit_Create(0, 30, 160, 22, w);
  HELE combo = XComboBox_Create(0, 0, 160, 22, w);
  XComboBox_EnableEdit(combo, true);
  XWnd_AdjustLayout(w);
  std::vector<std::string> seen;
  XEle_RegEventC(combo, XE_SETFOCUS, [&](bool*) {
    seen.push_back("focus");
    return 0;
  });
  XEle_RegEventC(combo, XE_KEYDOWN, [&](int key, int, bool* handled) {
    seen.push_back("key " + std::to_string(key));
    if (key == key_escape) *handled = true;
    return 0;
  });

  EXPECT_EQ(XWnd_GetFocusEle(w), 0u);
  XEle_SetFocus(combo);
  EXPECT_EQ(XWnd_GetFocusEle(w), combo);
  EXPECT_TRUE(tk::charInput(win(w), u'a'));
  // Taken by the handler: the text keeps its character (the box's own Escape would empty it).
  EXPECT_TRUE(tk::keyDown(win(w), key_escape, 0));
  EXPECT_EQ(XComboBox_GetText(combo), XString(u"a"));
  // Not taken: the box's own handling follows.
  EXPECT_TRUE(tk::keyDown(win(w), key_back, 0));
  EXPECT_EQ(XComboBox_GetText(combo), XString());
  EXPECT_EQ(seen, (std::vector<std::string>{"focus", "key 27", "key 8"}));

  XEle_SetFocus(other);
  EXPECT_EQ(XWnd_GetFocusEle(w), other);
  EXPECT_FALSE(tk::keyDown(win(w), key_escape, 0));  // the edit's keys are not the box's
  EXPECT_EQ(seen.size(), 3u);
  // A hidden or disabled element, or no element, is not given the focus.
  XEle_Enable(combo, false);
  XEle_SetFocus(combo);
  EXPECT_EQ(XWnd_GetFocusEle(w), other);
  XEle_SetFocus(0);
  EXPECT_EQ(XWnd_GetFocusEle(w), other);
  EXPECT_EQ(XWnd_GetFocusEle(0), 0u);
}

}  // namespace
}  // namespace tovalux::testing
