// The code view companions around the stand-in IDE in this process: tabs that follow the host's
// pages both ways and close exactly what they should, the navigation bar mirroring 629/630 and
// building table member lists from the program tree, the scroll-bar mirror and the caret status.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "codeview/codeview.h"
#include "commands/commands.h"
#include "common/counters.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "control_traffic.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "lifecycle/lifecycle.h"
#include "shell/descriptors.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux {
namespace {

using testing::both;
using testing::fieldIs;
using testing::HostFixture;

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

std::string gbk(const XString& text) { return XC_wtoa(text.c_str()); }
XString wide(const std::string& text) { return XC_AnsiToUnicode(text.c_str()); }

std::string descriptorOf(HXCGUI element) {
  const auto* bkm = tk::context().registry.get<tk::BkManager>(XEle_GetBkManager(element));
  if (bkm == nullptr) return {};
  const std::u16string& text = bkm->text();
  return std::string(text.begin(), text.end());
}

std::string hostComboText(HWND combo, int index) {
  const LRESULT length = standin::hostSend(combo, CB_GETLBTEXTLEN, index, 0);
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  standin::hostSend(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::vector<std::string> hostComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = standin::hostSend(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) items.push_back(hostComboText(combo, i));
  return items;
}

std::vector<std::string> shellComboItems(HELE combo) {
  std::vector<std::string> items;
  for (int i = 0; i < XComboBox_GetCount(combo); ++i) items.push_back(gbk(XComboBox_GetItemText(combo, i, 0)));
  return items;
}

std::string windowTitle(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// What the designer tool bar was told, in order.
std::vector<bool> gDesignerSyncs;
void recordDesignerSync(bool windowPage) {
  gDesignerSyncs.push_back(windowPage);
  syncDesignerToolBar(windowPage);
}

// Every button of the designer tool bar is enabled.
bool designerBarEnabled() {
  const HELE bar = frameElement("winToolBar1");
  int buttons = 0, enabled = 0;
  for (int i = 0; i < XToolBar_GetEleCount(bar); ++i) {
    const HELE element = XToolBar_GetEle(bar, i);
    if (!XC_IsHXCGUI(element, XC_BUTTON)) continue;
    ++buttons;
    if (XEle_IsEnable(element)) ++enabled;
  }
  return buttons > 0 && enabled == buttons;
}

class CodeViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
  }

  void SetUp() override {
    resetCodeViewCountersForTests();
    gDesignerSyncs.clear();
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    // What start-up wired (the commands' designer bar), seen on its way.
    editPeersForTests([](Peers& peers) { peers.syncDesignerToolBar = &recordDesignerSync; });
    host.pump();
  }

  void TearDown() override {
    editPeersForTests([](Peers& peers) { peers.syncDesignerToolBar = &syncDesignerToolBar; });
  }

  // Opens a page as the host does; the hooks' creation rule subclasses its views.
  HWND open(const std::string& title) {
    const auto result = host.action("page-open \"" + title + "\"");
    EXPECT_TRUE(result.ok) << result.error;
    standin::PageRecord* page = host.model().pageByTitle(title);
    if (page == nullptr) return nullptr;
    host.pump();
    return page->window;
  }

  HELE bar() { return frameElement("codePageTab"); }
  int labelCount() { return XTabBar_GetLabelCount(bar()); }
  std::vector<std::string> captions() {
    std::vector<std::string> out;
    for (int i = 0; i < labelCount(); ++i) out.push_back(gbk(XBtn_GetText(XTabBar_GetLabel(bar(), i))));
    return out;
  }
  HELE labelOf(HWND page) { return pageTabLabel(page); }
  HELE closeOf(HWND page) {
    for (int i = 0; i < labelCount(); ++i)
      if (XTabBar_GetLabel(bar(), i) == labelOf(page)) return XTabBar_GetLabelClose(bar(), i);
    return 0;
  }
  HWND activePage() { return reinterpret_cast<HWND>(standin::hostSend(host.tree().mdiClient, WM_MDIGETACTIVE, 0, 0)); }
  // Messages the plug-in sent the MDI client (the host's own are not journaled).
  size_t clientMessages(UINT message, size_t since = 0) {
    return host.count("ctl-msg", both(fieldIs("control", "59648"), fieldIs("msg", static_cast<int64_t>(message))),
                      since);
  }

  HostFixture host;
};

// --- tabs ------------------------------------------------------------------------------------

TEST_F(CodeViewTest, OneTabPerPageWithCaptionsAndTheDesignerLooks) {
  HWND assembly = open("程序集: 窗口程序集_启动窗口");
  HWND designer = open("窗口: _启动窗口");
  HWND globals = open("全局变量表");
  ASSERT_NE(globals, nullptr);
  EXPECT_EQ(captions(), (std::vector<std::string>{" 窗口程序集_启动窗口", " _启动窗口 - Dialog", "全局变量表"}));
  EXPECT_TRUE(isWindowDesignerPage(designer));
  EXPECT_FALSE(isWindowDesignerPage(assembly));
  EXPECT_EQ(descriptorOf(labelOf(globals)), descriptor::kCodeTabLabel);

  // The active page's label is selected with the active close button shown; the others hidden.
  EXPECT_TRUE(XBtn_IsCheck(labelOf(globals)));
  EXPECT_FALSE(XBtn_IsCheck(labelOf(designer)));
  EXPECT_TRUE(XEle_IsShow(closeOf(globals)));
  EXPECT_FALSE(XEle_IsShow(closeOf(designer)));
  EXPECT_EQ(descriptorOf(closeOf(globals)), descriptor::kCodeTabCloseActive);
  EXPECT_EQ(descriptorOf(closeOf(assembly)), descriptor::kCodeTabCloseInactive);

  // A designer page brings the toolbox pane and enables the designer tool bar; others do not.
  gDesignerSyncs.clear();
  ASSERT_TRUE(host.action("page-activate \"窗口: _启动窗口\"").ok);
  EXPECT_TRUE(XPane_IsShowPane(pane(kPaneToolbox)));
  EXPECT_TRUE(designerBarEnabled());
  EXPECT_TRUE(XBtn_IsCheck(labelOf(designer)));
  ASSERT_TRUE(host.action("page-activate \"全局变量表\"").ok);
  EXPECT_FALSE(XPane_IsShowPane(pane(kPaneToolbox)));
  EXPECT_FALSE(designerBarEnabled());
  // Once per activation, for the page that became active only.
  EXPECT_EQ(gDesignerSyncs, (std::vector<bool>{true, false}));

  // A new title renames the tab; a null title changes nothing.
  standin::hostSetText(assembly, "程序集: 改名");
  EXPECT_EQ(captions()[0], " 改名");
  SendMessageA(assembly, WM_SETTEXT, 0, 0);
  EXPECT_EQ(captions()[0], " 改名");

  // A title longer than 1,024 bytes is cut on a character: "全局变量表" and 1,019 + 6 bytes of
  // two-byte characters put one across the 1,024th byte.
  std::string longTitle = "全局变量表";
  while (longTitle.size() < 1023) longTitle += "a";
  while (longTitle.size() < 1100) longTitle += "表";
  standin::hostSetText(globals, longTitle.c_str());
  const std::string cut = captions()[2];
  EXPECT_EQ(cut.size(), 1023u);
  EXPECT_EQ(cut, longTitle.substr(0, 1023));
}

// The client activates the first page inside WM_MDICREATE, before the page is subclassed, and the
// host's WM_MDIACTIVATE afterwards changes nothing: the shell follows that page all the same.
TEST_F(CodeViewTest, TheFirstPageIsFollowedThoughItsActivationCameDuringCreation) {
  gDesignerSyncs.clear();
  HWND designer = open("窗口: _启动窗口");
  ASSERT_NE(designer, nullptr);
  EXPECT_EQ(activePage(), designer);
  EXPECT_TRUE(isWindowDesignerPage(designer));
  EXPECT_TRUE(XBtn_IsCheck(labelOf(designer)));
  EXPECT_TRUE(XPane_IsShowPane(pane(kPaneToolbox)));
  EXPECT_TRUE(designerBarEnabled());
  ASSERT_FALSE(gDesignerSyncs.empty());
  EXPECT_TRUE(gDesignerSyncs.back());

  // The next page is activated where the shell sees it, and the state follows it as before.
  HWND assembly = open("程序集: 窗口程序集_启动窗口");
  EXPECT_EQ(activePage(), assembly);
  EXPECT_FALSE(XPane_IsShowPane(pane(kPaneToolbox)));
  EXPECT_FALSE(designerBarEnabled());
  EXPECT_FALSE(gDesignerSyncs.back());
}

TEST_F(CodeViewTest, TheStartPageTabCannotCloseAndOnlyTurnsWhite) {
  HWND code = open("程序集: 程序集1");
  HWND start = open("起始页");
  ASSERT_TRUE(host.action("page-activate \"程序集: 程序集1\"").ok);
  const HELE label = labelOf(start);
  EXPECT_EQ(gbk(XBtn_GetText(label)), "起始页");
  EXPECT_EQ(gbk(XEle_GetToolTip(label)), "根据易语言官方起始页说明，本插件不提供关闭起始页的功能");
  EXPECT_TRUE(gbk(XEle_GetToolTip(labelOf(code))).empty());
  const HELE close = closeOf(start);
  EXPECT_FALSE(XEle_IsEnable(close));
  EXPECT_EQ(XEle_GetWidth(close), 20);
  EXPECT_EQ(XEle_GetHeight(close), 20);

  // A click on it recolours it and activates nothing.
  const size_t mark = host.journalSize();
  XEle_SendEvent(label, XE_BNCLICK);
  host.pump();
  EXPECT_TRUE(XBtn_IsCheck(label));
  const auto* element = tk::context().registry.get<tk::Element>(label);
  ASSERT_NE(element, nullptr);
  ASSERT_TRUE(element->textColor.has_value());
  EXPECT_EQ(element->textColor->first, XRGB(255, 255, 255));
  EXPECT_EQ(clientMessages(WM_MDIACTIVATE, mark), 0u);
  EXPECT_EQ(activePage(), code);
  // Its close button does nothing even when it is clicked.
  XEle_SendEvent(close, XE_BNCLICK);
  EXPECT_EQ(clientMessages(WM_MDIDESTROY, mark), 0u);
  EXPECT_TRUE(IsWindow(start));
}

TEST_F(CodeViewTest, AClickOnATabActivatesItsPageOnce) {
  HWND first = open("程序集: 程序集1");
  HWND second = open("程序集: 窗口程序集_启动窗口");
  ASSERT_EQ(activePage(), second);
  const size_t mark = host.journalSize();
  XEle_SendEvent(labelOf(first), XE_BNCLICK);
  host.pump();
  EXPECT_EQ(activePage(), first);
  EXPECT_EQ(clientMessages(WM_MDIACTIVATE, mark), 1u);
  EXPECT_EQ(codeViewCounters().tabActivations, 1u);
  EXPECT_EQ(
      host.count("page-activated", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(first))), mark), 1u);
  EXPECT_TRUE(XBtn_IsCheck(labelOf(first)));
  EXPECT_FALSE(XBtn_IsCheck(labelOf(second)));
  EXPECT_TRUE(XEle_IsShow(closeOf(first)));
  EXPECT_FALSE(XEle_IsShow(closeOf(second)));
  // Clicking the tab of the page that is active already sends nothing.
  XEle_SendEvent(labelOf(first), XE_BNCLICK);
  EXPECT_EQ(clientMessages(WM_MDIACTIVATE, mark), 1u);
  // Hover shows an unselected tab's close button and leaving hides it; the selected one stays.
  XEle_SendEvent(labelOf(second), XE_MOUSESTAY, 0, 0);
  EXPECT_TRUE(XEle_IsShow(closeOf(second)));
  XEle_SendEvent(closeOf(second), XE_MOUSESTAY, 0, 0);  // onto its close button: still shown
  EXPECT_TRUE(XEle_IsShow(closeOf(second)));
  XEle_SendEvent(labelOf(second), XE_MOUSELEAVE, 0);
  EXPECT_FALSE(XEle_IsShow(closeOf(second)));
  XEle_SendEvent(labelOf(first), XE_MOUSELEAVE, 0);
  EXPECT_TRUE(XEle_IsShow(closeOf(first)));
}

TEST_F(CodeViewTest, EachClosePathRemovesExactlyItsOwnLabelAndTheOwnProceduresSeeNcDestroy) {
  HWND a = open("程序集: 程序集1");
  HWND b = open("程序集: 程序集2");
  HWND c = open("类模块: 类_演示");
  HWND d = open("全局变量表");
  const HWND bView = host.model().page(b)->codeView;
  ASSERT_NE(bView, nullptr);
  ASSERT_TRUE(isSubclassed(b, &pageProcedure));
  ASSERT_TRUE(isSubclassed(bView, &codeViewProcedure));

  // From the tab.
  XEle_SendEvent(closeOf(b), XE_BNCLICK);
  host.pump();
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(captions(), (std::vector<std::string>{" 程序集1", " 类_演示", "全局变量表"}));
  EXPECT_EQ(host.count("page-ncdestroy", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(b)))), 1u);
  EXPECT_EQ(host.count("view-ncdestroy", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(bView)))), 1u);
  EXPECT_FALSE(isSubclassed(b, &pageProcedure));
  EXPECT_FALSE(isSubclassed(bView, &codeViewProcedure));

  // From the host: by DestroyWindow and by WM_MDIDESTROY.
  const HWND cView = host.model().page(c)->codeView;
  ASSERT_TRUE(host.action("page-close \"类模块: 类_演示\" via=destroy").ok);
  EXPECT_EQ(captions(), (std::vector<std::string>{" 程序集1", "全局变量表"}));
  EXPECT_EQ(host.count("view-ncdestroy", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(cView)))), 1u);
  ASSERT_TRUE(host.action("page-close \"全局变量表\" via=mdi").ok);
  EXPECT_EQ(captions(), (std::vector<std::string>{" 程序集1"}));
  EXPECT_EQ(host.count("page-ncdestroy", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(d)))), 1u);
  EXPECT_TRUE(IsWindow(a));
  EXPECT_EQ(codeViewCounters().pageTabsRemoved, 3u);
}

TEST_F(CodeViewTest, ARefusedCloseKeepsTheTabAndAPageClosedMeanwhileTakesOnlyItsOwn) {
  HWND a = open("程序集: 程序集1");
  HWND b = open("程序集: 程序集2");
  HWND c = open("类模块: 类_演示");
  ASSERT_TRUE(host.action("page-close-rule \"程序集: 程序集2\" refuse").ok);
  XEle_SendEvent(closeOf(b), XE_BNCLICK);
  host.pump();
  EXPECT_TRUE(IsWindow(b));
  EXPECT_EQ(labelCount(), 3);
  EXPECT_EQ(codeViewCounters().refusedCloses, 1u);
  // The kept tab still activates its page.
  XEle_SendEvent(labelOf(b), XE_BNCLICK);
  EXPECT_EQ(activePage(), b);

  // Closing A makes the host destroy C first: A's and C's labels go, B's stays.
  ASSERT_TRUE(host.action("page-close-rule \"程序集: 程序集1\" also=\"类模块: 类_演示\"").ok);
  XEle_SendEvent(closeOf(a), XE_BNCLICK);
  host.pump();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(captions(), (std::vector<std::string>{" 程序集2"}));
  EXPECT_EQ(labelOf(b), XTabBar_GetLabel(bar(), 0));
}

// --- navigation --------------------------------------------------------------------------------

class NavigationTest : public CodeViewTest {
 protected:
  HELE units() { return frameElement("navMainComboBox"); }
  HELE members() { return frameElement("navVoidComboBox"); }
  // Whether the icon element shows that theme image.
  bool shows(const char* element, const char* image) {
    const auto* picture = tk::context().registry.get<tk::ShapePicture>(frameElement(element));
    return picture != nullptr && picture->image != 0 && picture->image == XRes_GetImage(wide(image).c_str());
  }
};

TEST_F(NavigationTest, TheShellCombosCopyTheHostsListsAndTexts) {
  ASSERT_TRUE(host.action("program-tree-sample").ok);
  open("程序集: 窗口程序集_启动窗口");
  const auto hostUnits = hostComboItems(host.tree().unitCombo);
  ASSERT_EQ(hostUnits, (std::vector<std::string>{"窗口程序集_启动窗口", "程序集1", "类_演示", "程序集2"}));
  EXPECT_EQ(shellComboItems(units()), hostUnits);
  EXPECT_EQ(gbk(XComboBox_GetText(units())), windowTitle(host.tree().unitCombo));
  EXPECT_EQ(shellComboItems(members()), (std::vector<std::string>{"_启动窗口_创建完毕", "_按钮1_被单击"}));
  EXPECT_EQ(gbk(XComboBox_GetText(members())), "_启动窗口_创建完毕");

  // Hover looks: white text and row 24, back to row 25.
  XEle_SendEvent(units(), XE_MOUSESTAY, 0, 0);
  EXPECT_EQ(descriptorOf(units()), descriptor::kNavComboBoxOver);
  XEle_SendEvent(units(), XE_MOUSELEAVE, 0);
  EXPECT_EQ(descriptorOf(units()), descriptor::kNavComboBoxAway);
}

TEST_F(NavigationTest, ChoosingAUnitMakesTheHostSelectItAndTheReplyRefillsAfterTheEvent) {
  ASSERT_TRUE(host.action("program-tree-sample").ok);
  open("程序集: 窗口程序集_启动窗口");
  const size_t mark = host.journalSize();
  // "程序集1" is item 1: the host opens its page from inside our select event and selects again.
  XEle_SendEvent(units(), XE_COMBOBOX_SELECT, 1);
  EXPECT_TRUE(host.waitForJournal("nav-choice", both(fieldIs("combo", "629"), fieldIs("index", 1)), 5000, mark));
  EXPECT_EQ(standin::hostSend(host.tree().unitCombo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_GE(codeViewCounters().deferredRefills, 1u);
  host.pumpUntil([&] { return gbk(XComboBox_GetText(units())) == windowTitle(host.tree().unitCombo); });
  host.pump();
  EXPECT_EQ(windowTitle(activePage()), "程序集: 程序集1");
  EXPECT_EQ(gbk(XComboBox_GetText(units())), "程序集1");
  EXPECT_EQ(shellComboItems(units()), hostComboItems(host.tree().unitCombo));
  EXPECT_EQ(shellComboItems(members()), (std::vector<std::string>{"子程序1"}));

  // A member goes to 630 the same way.
  XEle_SendEvent(members(), XE_COMBOBOX_SELECT, 0);
  EXPECT_TRUE(host.waitForJournal("nav-choice", fieldIs("combo", "630"), 5000, mark));
  // -1 hands nothing over.
  const size_t before = host.count("nav-choice");
  XEle_SendEvent(units(), XE_COMBOBOX_SELECT, -1);
  host.pump();
  EXPECT_EQ(host.count("nav-choice"), before);
}

TEST_F(NavigationTest, IconsFollowThePageAndTablePagesEmptyTheMemberList) {
  ASSERT_TRUE(host.action("program-tree-sample").ok);
  open("程序集: 窗口程序集_启动窗口");
  EXPECT_TRUE(shows("navMainIcon", "Namespace_16x.png"));
  EXPECT_TRUE(shows("navVoidIcon", "Method_left_16x.png"));
  open("窗口: _启动窗口");
  EXPECT_TRUE(shows("navMainIcon", "WindowsForm2_16x.png"));
  EXPECT_TRUE(shows("navVoidIcon", "WindowsForm2_16x.png"));
  // The designer page's lists come from the host's combos (components and events).
  EXPECT_EQ(shellComboItems(units()), (std::vector<std::string>{"_启动窗口", "按钮1", "编辑框1"}));
  EXPECT_EQ(shellComboItems(members()).size(), 3u);
  open("全局变量表");
  EXPECT_TRUE(shows("navMainIcon", "LocalVariable2_16x.png"));
  EXPECT_TRUE(shows("navVoidIcon", "ProjectSystemSqlCommandVariables_16x.png"));
  EXPECT_EQ(gbk(XComboBox_GetText(units())), "全局变量表");
  EXPECT_EQ(gbk(XComboBox_GetText(members())), "");
  EXPECT_EQ(XComboBox_GetCount(members()), 0);
}

TEST_F(NavigationTest, TableMembersComeFromTheProgramTreeAndAChoiceJumpsThere) {
  ASSERT_TRUE(host.action("program-tree-sample").ok);
  open("全局变量表");
  const HWINDOW popup = XComboBox_PopupDropList(members());
  ASSERT_NE(popup, 0u);
  host.pumpUntil([&] { return codeViewCounters().tableFillItems == 2; });
  EXPECT_EQ(shellComboItems(members()), (std::vector<std::string>{"全局计数", "全局名称"}));
  RECT r{};
  GetWindowRect(XWnd_GetHWND(popup), &r);
  EXPECT_GE(r.bottom - r.top, 120);

  const std::string handleText = gbk(XComboBox_GetItemText(members(), 1, 1));
  const auto item = reinterpret_cast<HTREEITEM>(static_cast<intptr_t>(std::stoll(handleText)));
  ASSERT_TRUE(standin::treeHasItem(host.tree().programTree, item));
  const size_t mark = host.journalSize();
  XComboBox_CloseDropList(members());
  XEle_SendEvent(members(), XE_COMBOBOX_SELECT, 1);
  host.pump();
  EXPECT_EQ(host.count("ctl-msg", both(fieldIs("control", "1019"), fieldIs("msg", 0x110B)), mark), 1u);
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(standin::hostSend(host.tree().programTree, TVM_GETNEXTITEM, TVGN_CARET, 0)),
            item);
  EXPECT_EQ(host.count("command", fieldIs("id", 0x8019), mark), 1u);
  EXPECT_EQ(gbk(XComboBox_GetText(members())), "全局名称");
}

TEST_F(NavigationTest, AnEmptyTableGivesAnEmptyListAndAMissingTreeLeavesTheListAlone) {
  ASSERT_TRUE(host.action("program-tree-sample globals=0").ok);
  open("全局变量表");
  XComboBox_PopupDropList(members());
  host.pump();
  EXPECT_EQ(XComboBox_GetCount(members()), 0);
  EXPECT_EQ(codeViewCounters().tableFills, 1u);
  XComboBox_CloseDropList(members());
  // The data-type table lists its one entry; with the tree gone the list stays as it was.
  open("自定义数据类型表");
  XComboBox_PopupDropList(members());
  host.pump();
  EXPECT_EQ(shellComboItems(members()), (std::vector<std::string>{"坐标"}));
  XComboBox_CloseDropList(members());
  ASSERT_TRUE(host.action("program-tree 0").ok);
  XComboBox_PopupDropList(members());
  host.pump();
  EXPECT_EQ(shellComboItems(members()), (std::vector<std::string>{"坐标"}));
  EXPECT_EQ(codeViewCounters().tableFills, 2u);
}

TEST_F(NavigationTest, DeletingEntriesDuringAFillNamesNoDeadItemAndAStaleChoiceSendsNothing) {
  ASSERT_TRUE(host.action("program-tree-sample globals=2000").ok);
  open("全局变量表");
  XComboBox_PopupDropList(members());
  // The host deletes entries while the list fills (one every millisecond, from the first).
  ASSERT_TRUE(host.action("program-tree-delete 全局变量 count=50 every=1").ok);
  ASSERT_TRUE(host.pumpUntil([&] { return codeViewCounters().tableFillItems == 2000; }, 20000));
  EXPECT_EQ(XComboBox_GetCount(members()), 2000);
  host.pumpUntil([&] { return host.count("tree-entry-deleted") >= 50; }, 10000);
  XComboBox_CloseDropList(members());

  // The first entry is gone: choosing it sends the tree nothing.
  const size_t mark = host.journalSize();
  XEle_SendEvent(members(), XE_COMBOBOX_SELECT, 0);
  host.pump();
  EXPECT_EQ(host.count("ctl-msg", both(fieldIs("control", "1019"), fieldIs("msg", 0x110B)), mark), 0u);
  EXPECT_EQ(host.count("command", fieldIs("id", 0x8019), mark), 0u);
  EXPECT_EQ(codeViewCounters().staleMemberChoices, 1u);
  // The last one is there.
  XEle_SendEvent(members(), XE_COMBOBOX_SELECT, 1999);
  host.pump();
  EXPECT_EQ(host.count("command", fieldIs("id", 0x8019), mark), 1u);
  // The fixture fails the test on any dead-handle entry.
  EXPECT_EQ(host.count("dead-handle"), 0u);
}

// --- scroll bars and caret status ---------------------------------------------------------------

class ScrollTest : public CodeViewTest {
 protected:
  HELE barV() { return frameElement("codeScrollBarV"); }
  HELE barH() { return frameElement("codeScrollBarH"); }
  size_t scrolls(size_t since) { return host.count("scroll", {}, since); }
};

TEST_F(ScrollTest, TheShellBarsFollowTheActiveViewAndForwardDragsAndLines) {
  open("程序集: 程序集1");
  ASSERT_TRUE(host.action("page-scroll \"程序集: 程序集1\" v range=199 pos=40").ok);
  host.pump();
  EXPECT_EQ(XSBar_GetRange(barV()), 199);
  EXPECT_EQ(XSBar_GetPos(barV()), 40);

  // A slider drag scrolls the host view live; releasing stops it.
  size_t mark = host.journalSize();
  XEle_SendEvent(XSBar_GetButtonSlider(barV()), XE_LBUTTONDOWN, 0, 0);
  XSBar_ScrollPos(barV(), 60);
  EXPECT_TRUE(host.waitForJournal("scroll", both(fieldIs("bar", "v"), fieldIs("pos", 60)), 2000, mark));
  XSBar_ScrollPos(barV(), 61);
  EXPECT_TRUE(host.waitForJournal("scroll", fieldIs("pos", 61), 2000, mark));
  XEle_SendEvent(XSBar_GetButtonSlider(barV()), XE_LBUTTONUP, 0, 0);
  mark = host.journalSize();
  XSBar_ScrollPos(barV(), 90);  // a click in the track
  host.pump();
  EXPECT_EQ(scrolls(mark), 0u);

  // The arrows scroll one line per click.
  XEle_SendEvent(XSBar_GetButtonDown(barV()), XE_BNCLICK);
  EXPECT_TRUE(host.waitForJournal("scroll", both(fieldIs("bar", "v"), fieldIs("pos", 62)), 2000, mark));
  XEle_SendEvent(XSBar_GetButtonUp(barH()), XE_BNCLICK);
  EXPECT_TRUE(host.waitForJournal("scroll", fieldIs("bar", "h"), 2000, mark));
  host.pump();
  // The host's position comes back at its next paint.
  EXPECT_EQ(XSBar_GetPos(barV()), 62);

  // Another page with another length: the range follows at its first paint.
  open("程序集: 程序集2");
  ASSERT_TRUE(host.action("page-scroll \"程序集: 程序集2\" v range=50 pos=3").ok);
  host.pump();
  EXPECT_EQ(XSBar_GetRange(barV()), 50);
  EXPECT_EQ(XSBar_GetPos(barV()), 3);

  // Paints without a change leave the shell bars alone.
  const uint32_t updates = codeViewCounters().scrollBarUpdates;
  const uint32_t paints = codeViewCounters().scrollPaints;
  const HWND view = host.model().pageByTitle("程序集: 程序集2")->codeView;
  for (int i = 0; i < 1000; ++i) {
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
  }
  EXPECT_GE(codeViewCounters().scrollPaints - paints, 1000u);
  EXPECT_EQ(codeViewCounters().scrollBarUpdates, updates);
}

TEST_F(ScrollTest, CaretStatusAfterAClickWithTheHostsRecordAndCappedBuffers) {
  open("程序集: 程序集1");
  size_t mark = host.journalSize();
  ASSERT_TRUE(host.action("page-click \"程序集: 程序集1\" row=11 column=4").ok);
  ASSERT_TRUE(host.pumpUntil([&] { return codeViewCounters().caretUpdates == 1; }, 3000));
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("lineNum"))), "行 12");
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("rowNum"))), "列 5");
  // "代码第12行": 10 bytes.
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("strNum"))), "字符 10");
  const auto ide = host.entries("ide", mark);
  std::vector<std::string> numbers;
  for (const auto& entry : ide) numbers.push_back(entry.get("number").value_or(""));
  EXPECT_EQ(numbers, (std::vector<std::string>{"0x0503000A", "0x0503000A", "0x05030008", "0x05030009"}));
  EXPECT_EQ(host.count("caret-text", both(fieldIs("call", 2), fieldIs("nul-after", 1)), mark), 1u);
  EXPECT_EQ(codeViewCounters().lastCaretBufferBytes, 11);

  // A huge length is capped, a negative one gives no second call.
  ASSERT_TRUE(host.action("mode caret-text-length 5000000").ok);
  ASSERT_TRUE(host.action("page-key \"程序集: 程序集1\"").ok);
  ASSERT_TRUE(host.pumpUntil([&] { return codeViewCounters().caretUpdates == 2; }, 3000));
  EXPECT_EQ(codeViewCounters().lastCaretBufferBytes, (1 << 20) + 1);
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("strNum"))), "字符 1048576");
  ASSERT_TRUE(host.action("mode caret-text-length -7").ok);
  mark = host.journalSize();
  ASSERT_TRUE(host.action("page-key \"程序集: 程序集1\"").ok);
  ASSERT_TRUE(host.pumpUntil([&] { return codeViewCounters().caretUpdates == 3; }, 3000));
  EXPECT_EQ(host.count("caret-text", {}, mark), 1u);
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("strNum"))), "字符 0");
}

TEST_F(ScrollTest, TwoHundredClicksEndInTheLastClicksStatusWithNothingLeft) {
  open("程序集: 程序集1");
  host.pump();
  const testing::ResourceCounts before = testing::countResources();
  const DWORD start = GetTickCount();
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(host.action("page-click \"程序集: 程序集1\" row=" + std::to_string(i % 37) +
                            " column=" + std::to_string(i % 11))
                    .ok);
    testing::pumpMessagesUntil([&] { return GetTickCount() - start >= static_cast<DWORD>(i + 1) * 10; }, 50);
  }
  // A second later.
  testing::pumpMessagesUntil([&] { return GetTickCount() - start >= 3000; }, 4000);
  const testing::ResourceCounts after = testing::countResources();
  EXPECT_LE(after.threads - before.threads, 0) << testing::describe(before) << " -> " << testing::describe(after);
  EXPECT_LE(after.handles - before.handles, 2) << testing::describe(before) << " -> " << testing::describe(after);
  EXPECT_EQ(codeViewCounters().caretTimerArms, 200u);
  EXPECT_GE(codeViewCounters().caretUpdates, 1u);
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("lineNum"))), "行 " + std::to_string(199 % 37 + 1));
  EXPECT_EQ(gbk(XShapeText_GetText(frameElement("rowNum"))), "列 " + std::to_string(199 % 11 + 1));
}

TEST_F(ScrollTest, ADragSelectionKeepsTheViewsCapture) {
  open("程序集: 程序集1");
  const HWND view = host.model().pageByTitle("程序集: 程序集1")->codeView;
  ASSERT_TRUE(host.action("page-click \"程序集: 程序集1\" row=3 column=2 hold=1").ok);
  EXPECT_EQ(GetCapture(), view);
  EXPECT_EQ(codeViewCounters().captureDancesSkipped, 1u);
  ASSERT_TRUE(host.action("page-release \"程序集: 程序集1\"").ok);
  EXPECT_EQ(host.count("selection-end", fieldIs("capture", 1)), 1u);
  EXPECT_EQ(host.count("selection-end", fieldIs("capture", 0)), 0u);
}

TEST_F(CodeViewTest, ShutDownGivesEveryPageAndViewItsOwnProcedureBack) {
  HWND page = open("程序集: 程序集1");
  const HWND view = host.model().page(page)->codeView;
  ASSERT_TRUE(host.action("page-click \"程序集: 程序集1\" row=1 column=1").ok);  // a caret timer pending
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(GetWindowLongPtrA(page, GWLP_WNDPROC), host.model().page(page)->ownProcedure);
  EXPECT_FALSE(isSubclassed(view, &codeViewProcedure));
  EXPECT_FALSE(isSubclassed(host.tree().mdiClient, &mdiClientProcedure));
  // The pending read-out never runs, and the host's pages keep working.
  const uint32_t updates = codeViewCounters().caretUpdates;
  testing::pumpMessagesUntil([] { return false; }, 300);
  EXPECT_EQ(codeViewCounters().caretUpdates, updates);
  ASSERT_TRUE(host.action("page-open \"程序集: 程序集2\"").ok);
  ASSERT_TRUE(host.action("page-close \"程序集: 程序集1\"").ok);
  EXPECT_EQ(host.count("page-ncdestroy", fieldIs("hwnd", static_cast<int64_t>(reinterpret_cast<intptr_t>(page)))), 1u);
}

}  // namespace
}  // namespace tovalux
