// The stack, variables, watch and search panes in the stand-in IDE in this process: the host's
// paused page, watch list and search lists mirrored through the real router, the user's choices
// passed back as the host's own keys and clicks, and the variables reader racing the host.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/workers.h"
#include "common/counters.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "control_traffic.h"
#include "host/ui_jobs.h"
#include "lifecycle/lifecycle.h"
#include "panes/search_results.h"
#include "panes/stack_pane.h"
#include "panes/variables_reader.h"
#include "panes/watch_pane.h"
#include "shell/shell.h"
#include "shell/toolbar_builder.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/recording_canvas.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using testing::both;
using testing::fieldIs;
using testing::HostFixture;

const bool kResets = (HostFixture::setAfterTeardown([] {
                        resetLifecycleForTests();
                        resetVariablesReaderForTests();
                      }),
                      true);

// The rows of a list with header as "cell|cell|cell".
std::vector<std::string> listRows(HELE list, int columns = 3) {
  std::vector<std::string> rows;
  for (int row = 0; row < XList_GetCount(list); ++row) {
    std::string line;
    for (int column = 0; column < columns; ++column)
      line += (column ? "|" : "") + utf16ToGbk(XList_GetItemText(list, row, column));
    rows.push_back(line);
  }
  return rows;
}

const std::vector<std::string> kLevel0 = {"子程序局部变量||",
                                          "局部整数|5|整数型",
                                          "局部数组|数组类型不支持自动显示|整数型",
                                          "子程序参数变量||",
                                          "参数1|“你好”|文本型",
                                          "程序集变量||",
                                          "集变量1|0|整数型",
                                          "全局变量||",
                                          "全局计数|3|整数型",
                                          "全局坐标|自定义类型不支持自动显示|坐标"};

long fontCount() {
  long fonts = 0;
  for (HXCGUI handle : tk::context().registry.handles())
    if (XC_GetObjectType(handle) == XC_FONT) ++fonts;
  return fonts;
}

class PanesDebugTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str()); }

  void SetUp() override {
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    host.pump();
  }

  bool act(const std::string& line) {
    const standin::ActionResult result = host.action(line);
    EXPECT_TRUE(result.ok) << line << ": " << result.error;
    return result.ok;
  }

  // The reader has ended and no worker runs.
  bool readerIdle(DWORD timeoutMs = 10000) {
    return host.pumpUntil([] { return !variablesReaderBusy() && runningWorkers() == 0; }, timeoutMs);
  }

  void choose(int row) {
    XListBox_SetSelectItem(stackListBox(), row);
    XEle_SendEvent(stackListBox(), XE_LISTBOX_SELECT, row);
  }

  // Messages the plug-in sent a control since `since`, with that message number.
  size_t sent(const char* control, UINT message, size_t since, int64_t wParam = -1) {
    char hex[16];
    wsprintfA(hex, "0x%08X", message);
    return host.count(
        "ctl-msg",
        [&](const standin::JournalEntry& e) {
          return e.get("control") == std::string(control) && e.get("msg") == std::string(hex) &&
                 (wParam == -1 || e.number("wparam") == wParam);
        },
        since);
  }

  HostFixture host;
};

// --- the stack list -----------------------------------------------------------------------------

TEST_F(PanesDebugTest, StackRowsCarryTheHostItemsAndTheMarkerAndAnyDeleteEmptiesThem) {
  ASSERT_NE(stackListBox(), 0u);
  ASSERT_TRUE(act("pause-page"));
  const HELE list = stackListBox();
  ASSERT_EQ(XListBox_GetCount(list), 3);
  EXPECT_EQ(utf16ToGbk(XListBox_GetItemText(list, 0, 1)), "窗口程序集_启动窗口._按钮1_被单击 (第 12 行)");
  EXPECT_EQ(utf16ToGbk(XListBox_GetItemText(list, 2, 1)), "(系统入口)");
  const HIMAGE enabled = XRes_GetImage(gbkToUtf16<XChar>("BreakpointEnable_16x.png").c_str());
  const HIMAGE disabled = XRes_GetImage(gbkToUtf16<XChar>("BreakpointDisable_16x.png").c_str());
  ASSERT_NE(enabled, 0u);
  EXPECT_EQ(stackRowMarker(0), enabled);
  EXPECT_EQ(stackRowMarker(1), disabled);
  EXPECT_EQ(stackRowMarker(2), disabled);
  // Value 2 is the host item, live in the host tree.
  const auto item = static_cast<uintptr_t>(std::stoul(utf16ToGbk(XListBox_GetItemText(list, 1, 2))));
  EXPECT_TRUE(standin::treeHasItem(host.tree().callStackTree, reinterpret_cast<HTREEITEM>(item)));
  // The host deletes one item: the whole list goes.
  standin::hostSend(host.tree().callStackTree, TVM_DELETEITEM, 0, static_cast<LPARAM>(item));
  EXPECT_EQ(XListBox_GetCount(list), 0);
  ASSERT_TRUE(readerIdle());
}

TEST_F(PanesDebugTest, ChoosingARowMovesTheMarkerTheHostComboAndOpensTheLevel) {
  ASSERT_TRUE(act("pause-page"));
  ASSERT_TRUE(readerIdle());
  size_t since = host.journalSize();
  choose(2);
  EXPECT_EQ(sent("1167", WM_KEYDOWN, since, 40), 2u);
  EXPECT_EQ(sent("1167", WM_KEYDOWN, since, 38), 0u);
  EXPECT_TRUE(host.waitForJournal("stack-level", fieldIs("level", 2), 5000, since));
  // The selection and the double click are posted: the host navigates after our handler.
  EXPECT_TRUE(host.waitForJournal("stack-open", fieldIs("text", "(系统入口)"), 5000, since));
  EXPECT_EQ(sent("1224", TVM_SELECTITEM, since, TVGN_CARET), 1u);
  EXPECT_EQ(sent("1224", WM_LBUTTONDBLCLK, since), 1u);
  const HIMAGE enabled = XRes_GetImage(gbkToUtf16<XChar>("BreakpointEnable_16x.png").c_str());
  EXPECT_EQ(stackRowMarker(2), enabled);
  EXPECT_NE(stackRowMarker(0), enabled);

  since = host.journalSize();
  choose(0);
  EXPECT_EQ(sent("1167", WM_KEYDOWN, since, 38), 2u);
  EXPECT_EQ(sent("1167", WM_KEYDOWN, since, 40), 0u);
  since = host.journalSize();
  choose(0);  // the combo is there already
  EXPECT_EQ(sent("1167", WM_KEYDOWN, since), 0u);
  ASSERT_TRUE(readerIdle());
  EXPECT_EQ(listRows(variablesList()), kLevel0);
}

TEST_F(PanesDebugTest, AnItemWithoutARectangleGetsNoClickButTheLevelStillChanges) {
  ASSERT_TRUE(act("pause-page"));
  // A child under a collapsed level: the host tree has no rectangle for it.
  HWND tree = host.tree().callStackTree;
  const auto first = reinterpret_cast<HTREEITEM>(standin::hostSend(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  TVINSERTSTRUCTA insert{};
  insert.hParent = first;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("hidden");
  ASSERT_NE(standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)), 0);
  ASSERT_EQ(XListBox_GetCount(stackListBox()), 4);
  ASSERT_TRUE(readerIdle());
  const size_t since = host.journalSize();
  choose(3);
  EXPECT_EQ(sent("1224", TVM_GETITEMRECT, since), 1u);
  host.pump();
  EXPECT_EQ(sent("1224", TVM_SELECTITEM, since), 0u);
  EXPECT_EQ(sent("1224", WM_LBUTTONDBLCLK, since), 0u);
  EXPECT_EQ(sent("1167", WM_KEYDOWN, since, 40), 3u);
  EXPECT_TRUE(host.waitForJournal("stack-level", fieldIs("level", 2), 5000, since));
  ASSERT_TRUE(readerIdle());
}

// --- the variables list and its reader ----------------------------------------------------------

TEST_F(PanesDebugTest, VariablesShowHeadingsOnABandValuesTypesAndStruckOutUnsupportedValues) {
  ASSERT_NE(variablesList(), 0u);
  ASSERT_TRUE(act("pause-page"));
  ASSERT_TRUE(readerIdle());
  const HELE list = variablesList();
  EXPECT_EQ(listRows(list), kLevel0);
  EXPECT_EQ(variablesReaderStats().threadsStarted, 1u);

  activatePaneByTitle("断点栈堆");
  XEle_AdjustLayout(list);
  XList_RefreshData(list);
  host.pump();
  // The value cell of an unsupported row has the strike-out font; a plain row keeps its own.
  auto fontOf = [&](int row, int column) {
    const tk::Element* text = tk::getElement(XList_GetTemplateObject(list, row, column, column + 1));
    return text ? text->font : HFONTX(0);
  };
  ASSERT_NE(XList_GetTemplateObject(list, 2, 1, 2), 0u) << "row 2 is not on screen";
  EXPECT_NE(fontOf(2, 1), 0u);
  EXPECT_EQ(fontOf(9, 1), fontOf(2, 1));
  EXPECT_NE(fontOf(1, 1), fontOf(2, 1));

  // Heading rows are drawn on the grey band when neither selected nor hovered.
  tk::RecordingCanvas canvas;
  tk::paintElement(canvas, *tk::getElement(list), {0, 0});
  const std::vector<std::string> drawn = canvas.drawn();
  const auto bands = std::count_if(drawn.begin(), drawn.end(), [](const std::string& op) {
    return op.rfind("fill ", 0) == 0 && op.find("#3F3F46/255") != std::string::npos;
  });
  EXPECT_GE(bands, 4) << ::testing::PrintToString(drawn);

  // A single host item deleted: the list stays; the root: the list empties.
  HWND tree = host.tree().variablesTree;
  const auto root = reinterpret_cast<HTREEITEM>(standin::hostSend(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(root));
  EXPECT_EQ(listRows(list), kLevel0);
  standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  EXPECT_EQ(XList_GetCount(list), 0);
}

TEST_F(PanesDebugTest, ASecondBurstWithoutARootDeleteReplacesTheRows) {
  ASSERT_TRUE(act("pause-page"));
  ASSERT_TRUE(readerIdle());
  HWND tree = host.tree().variablesTree;
  TVINSERTSTRUCTA insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("全局变量");
  const auto category =
      reinterpret_cast<HTREEITEM>(standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  insert.hParent = category;
  insert.item.pszText = const_cast<char*>("追加变量");
  standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  ASSERT_TRUE(readerIdle());
  std::vector<std::string> expected = kLevel0;
  expected.push_back("全局变量||");
  expected.push_back("追加变量||");  // the host shows nothing for a variable it does not know
  EXPECT_EQ(listRows(variablesList()), expected);
  EXPECT_EQ(variablesReaderStats().threadsStarted, 2u);
}

// While the reader walks level 2 the user chooses level 0: the host refills its tree twice under
// the walk. The list must end as level 0 exactly and no dead item may reach the host.
TEST_F(PanesDebugTest, ChoosingALevelDuringAWalkEndsWithThatLevelAndNoDeadHandle) {
  std::mt19937 random(20);
  ASSERT_TRUE(act("pause-page"));
  ASSERT_TRUE(readerIdle());
  uint32_t restarts = 0;
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    choose(2);
    // Somewhere in the walk of level 2 (five rows): after k rows and a few more messages.
    const int rows = static_cast<int>(random() % 5);
    ASSERT_TRUE(
        host.pumpUntil([&] { return XList_GetCount(variablesList()) >= rows && variablesReaderBusy(); }, 10000));
    for (int k = static_cast<int>(random() % 20); k > 0; --k) host.pump();
    choose(0);
    ASSERT_TRUE(readerIdle());
    ASSERT_EQ(listRows(variablesList()), kLevel0);
    restarts = variablesReaderStats().restarts;
  }
  EXPECT_GT(restarts, 0u);
  EXPECT_EQ(host.count("dead-handle"), 0u);
}

TEST_F(PanesDebugTest, AResumeDuringAWalkEndsEmpty) {
  std::mt19937 random(21);
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(act("pause-page"));
    const int rows = static_cast<int>(random() % 8);
    ASSERT_TRUE(
        host.pumpUntil([&] { return XList_GetCount(variablesList()) >= rows && variablesReaderBusy(); }, 10000));
    for (int k = static_cast<int>(random() % 20); k > 0; --k) host.pump();
    ASSERT_TRUE(act("resume-page"));
    ASSERT_TRUE(readerIdle());
    ASSERT_EQ(XList_GetCount(variablesList()), 0);
    ASSERT_EQ(XListBox_GetCount(stackListBox()), 0);
  }
  EXPECT_EQ(host.count("dead-handle"), 0u);
}

TEST_F(PanesDebugTest, AHostRefillWhileTheReaderWaitsIsReadAgain) {
  host.host().setMode("refill-on-select", 3);
  ASSERT_TRUE(act("pause-page"));
  ASSERT_TRUE(host.pumpUntil([&] { return host.count("variables-filled") >= 2; }, 10000));
  ASSERT_TRUE(readerIdle());
  EXPECT_EQ(listRows(variablesList()), kLevel0);
  EXPECT_GE(variablesReaderStats().restarts, 1u);
  EXPECT_EQ(host.count("dead-handle"), 0u);
}

TEST_F(PanesDebugTest, ABurstOf500InsertsMakesOneReaderAndLeavesNoHandleBehind) {
  ASSERT_TRUE(readerIdle());
  const long handles = testing::handleCount();
  const long threads = testing::threadCount();
  HWND tree = host.tree().variablesTree;
  TVINSERTSTRUCTA insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("子程序局部变量");
  for (int k = 0; k < 500; ++k) standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  ASSERT_TRUE(readerIdle());
  EXPECT_LE(variablesReaderStats().threadsStarted, 2u);
  EXPECT_EQ(XList_GetCount(variablesList()), 500);
  EXPECT_TRUE(host.pumpUntil([&] { return testing::handleCount() <= handles; }, 5000))
      << testing::handleCount() << " handles, " << handles << " before";
  EXPECT_TRUE(host.pumpUntil([&] { return testing::threadCount() <= threads; }, 5000));
}

TEST_F(PanesDebugTest, ShutDownWhileTheReaderWaitsLeavesNoReaderRunning) {
  ASSERT_TRUE(act("pause-page"));
  ASSERT_TRUE(host.pumpUntil([] { return XList_GetCount(variablesList()) >= 2; }, 10000));
  ASSERT_TRUE(variablesReaderBusy());
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_TRUE(host.pumpUntil([] { return runningWorkers() == 0; }, 2000));
  EXPECT_FALSE(variablesReaderBusy());
}

TEST_F(PanesDebugTest, Scrolling1000RowsKeepsTheFontCount) {
  const HELE list = variablesList();
  for (int k = 0; k < 1000; ++k) {
    const std::u16string name = u"变量" + std::u16string(1, static_cast<char16_t>(u'0' + k % 10));
    addVariableRow(name + u"[~|~]" + (k % 2 ? u"★ 未选中实际数据成员或不能显示该数据类型的数据" : u"1") +
                   u"[~|~]/ 数组 定义 数据类型：整数型");
  }
  ASSERT_EQ(XList_GetCount(list), 1000);
  activatePaneByTitle("断点栈堆");
  XEle_AdjustLayout(list);
  XList_RefreshData(list);
  host.pump();
  const long fonts = fontCount();
  for (int pass = 0; pass < 10; ++pass) {
    XList_VisibleItem(list, pass % 2 ? 0 : 999 - pass * 50);
    XList_RefreshData(list);
    host.pump();
  }
  EXPECT_EQ(fontCount(), fonts);
  EXPECT_EQ(variablesReaderStats().strikeFonts, 1u);
}

// --- the watch list -----------------------------------------------------------------------------

TEST_F(PanesDebugTest, WatchRowsFollowTheHostCellByCellAndInsertsLandAtTheirIndex) {
  const HELE list = watchList();
  ASSERT_NE(list, 0u);
  const HELE bar = watchToolBar();
  ASSERT_EQ(XToolBar_GetEleCount(bar), 3);
  EXPECT_EQ(utf16ToGbk(XEle_GetToolTip(toolBarElement(bar, 0))), "添加变量");
  EXPECT_EQ(utf16ToGbk(XEle_GetToolTip(toolBarElement(bar, 2))), "删除选择");
  XEle_SendEvent(toolBarElement(bar, 0), XE_BNCLICK);
  EXPECT_TRUE(host.waitForJournal("ide", fieldIs("number", "0x05010005")));
  EXPECT_EQ(listRows(list, 4), (std::vector<std::string>{"全局计数|_按钮1_被单击|整数型|3"}));
  ASSERT_TRUE(act("watch-add 甲 文本型 “a”"));
  // The host inserts at index 0: the pane's row 0, and a later set by index lands there.
  host.host().setMode("watch-insert-at", 1);
  ASSERT_TRUE(act("watch-add 乙 整数型 9"));
  EXPECT_EQ(listRows(list, 4), (std::vector<std::string>{"乙|_按钮1_被单击|整数型|9", "全局计数|_按钮1_被单击|整数型|3",
                                                         "甲|_按钮1_被单击|文本型|“a”"}));
  ASSERT_TRUE(act("watch-set 0 3 10"));
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 3)), "10");
  // Sets without LVIF_TEXT or with a callback text are ignored.
  ASSERT_TRUE(act("watch-set 1 3 bad mask=0"));
  ASSERT_TRUE(act("watch-set 1 3 bad callback=1"));
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 1, 3)), "3");
  // At a pause the host updates the values.
  ASSERT_TRUE(act("pause-page"));
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 1, 3)), "3");
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 3)), "?");
  ASSERT_TRUE(readerIdle());
}

TEST_F(PanesDebugTest, DeleteSelectionDeletesExactlyTheChosenWatch) {
  const HELE list = watchList();
  for (const char* expression : {"甲", "乙", "丙"}) ASSERT_TRUE(act(std::string("watch-add ") + expression));
  const HELE remove = toolBarElement(watchToolBar(), 2);
  // No row chosen: nothing reaches the host.
  size_t since = host.journalSize();
  XEle_SendEvent(remove, XE_BNCLICK);
  EXPECT_EQ(host.count("ctl-msg", fieldIs("control", "1187"), since), 0u);
  // The host has row 2 selected already (a multi-select list); the user deletes row 0.
  ASSERT_TRUE(act("watch-select 2"));
  XList_SetSelectItem(list, 0);
  since = host.journalSize();
  XEle_SendEvent(remove, XE_BNCLICK);
  EXPECT_TRUE(host.waitForJournal("watch-deleted", both(fieldIs("index", 0), fieldIs("text", "甲")), 5000, since));
  EXPECT_EQ(host.count("watch-deleted", {}, since), 1u);
  EXPECT_EQ(listRows(list, 1), (std::vector<std::string>{"乙", "丙"}));
  ASSERT_TRUE(act("watch-clear"));
  EXPECT_EQ(XList_GetCount(list), 0);
}

// --- the search lists and the status text -------------------------------------------------------

TEST_F(PanesDebugTest, SearchLinesAreDrawnOnceAtTheSummaryAndDoubleClicksOpenTheHit) {
  const HELE list = searchList(0);
  ASSERT_NE(list, 0u);
  HWND box = host.tree().searchList1;
  standin::hostSend(box, LB_RESETCONTENT, 0, 0);
  const uint32_t redraws = searchListRedraws(0);
  for (int k = 0; k < 500; ++k) {
    const std::string line = "程序集: 窗口程序集_启动窗口 (" + std::to_string(k) + "): 如果 (a)";
    standin::hostSend(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  EXPECT_EQ(searchListRedraws(0), redraws);
  standin::hostSend(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("--- 共找到 500 处 ---"));
  EXPECT_EQ(searchListRedraws(0), redraws + 1);
  EXPECT_EQ(XListBox_GetCount(list), 501);

  size_t since = host.journalSize();
  XEle_SendEvent(list, XE_LBUTTONDBCLICK, 0, 0);  // no selection
  EXPECT_EQ(host.count("ctl-msg", fieldIs("control", "1182"), since), 0u);
  XListBox_SetSelectItem(list, 3);
  XEle_SendEvent(list, XE_LBUTTONDBCLICK, 0, 0);
  EXPECT_TRUE(host.waitForJournal("search-open", both(fieldIs("list", "1182"), fieldIs("index", 3)), 5000, since));
  EXPECT_EQ(sent("1182", LB_SETCURSEL, since, 3), 1u);
  EXPECT_EQ(sent("1182", LB_GETITEMRECT, since, 3), 1u);
  EXPECT_EQ(sent("1182", WM_LBUTTONDBLCLK, since, MK_LBUTTON), 1u);
  // A row past the host's count (the host dropped lines of its own): nothing is sent.
  standin::hostSend(box, LB_DELETESTRING, 500, 0);
  XListBox_SetSelectItem(list, 500);
  since = host.journalSize();
  XEle_SendEvent(list, XE_LBUTTONDBCLICK, 0, 0);
  EXPECT_EQ(host.count(
                "ctl-msg",
                [](const standin::JournalEntry& e) {
                  return e.get("control") == std::string("1182") && e.get("msg") != std::string("0x0000018B");
                },
                since),
            0u);

  // The second list through the host's own search command.
  ASSERT_TRUE(act("send-main 0x0111 0x80F5 0"));
  EXPECT_EQ(XListBox_GetCount(searchList(1)), 4);
  EXPECT_EQ(utf16ToGbk(XListBox_GetItemText(searchList(1), 3, 0)), "--- 共找到 3 处 ---");
}

TEST_F(PanesDebugTest, TheTipShowsOnOneLineInTheStatusText) {
  ASSERT_TRUE(act("tip \"如果 (条件)\" 说明"));
  const HXCGUI status = frameElement("stateText");
  ASSERT_TRUE(XC_IsHXCGUI(status, XC_SHAPE_TEXT));
  EXPECT_EQ(utf16ToGbk(XShapeText_GetText(status)), "如果 (条件)  说明");
}

}  // namespace
}  // namespace tovalux
