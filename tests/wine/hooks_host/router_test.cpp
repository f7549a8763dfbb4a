// The SendMessageA router against the stand-in's controls: every row reaches its slot in its
// order, what matches no row is the unhooked call, hostile payloads give no text, a worker
// thread's send is mirrored on the UI thread without touching the toolkit there, and a send from
// inside a mirror passes through.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "hooks/host/host_controls.h"
#include "control_traffic.h"
#include "hooks_test.h"
#include "shell/shell.h"
#include "toolkit/xcgui.h"

namespace tovalux::testing {
namespace {

LRESULT insertTreeItem(HWND tree, const char* text, int image = 3) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = nullptr;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
  insert.item.pszText = const_cast<char*>(text);
  insert.item.iImage = image;
  return SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
}

// The only call of `slot` since the recorder was cleared.
std::optional<SlotCall> onlyCall(HostMirror slot) {
  const auto calls = SlotRecorder::instance().callsOf(slot);
  if (calls.size() != 1) return std::nullopt;
  return calls[0];
}

void clearCalls() {
  // Keeps the slots' actions; only the record goes.
  auto& recorder = SlotRecorder::instance();
  void (*kept[static_cast<size_t>(HostMirror::kCount)])(const HostMessage&);
  for (size_t i = 0; i < std::size(kept); ++i) kept[i] = recorder.action(static_cast<HostMirror>(i));
  recorder.clear();
  for (size_t i = 0; i < std::size(kept); ++i) recorder.setAction(static_cast<HostMirror>(i), kept[i]);
}

TEST_F(HooksTest, TreeRowsAnswerTheInsertFirstAndMirrorDeletesBefore) {
  const struct {
    HWND tree;
    HostMirror slot;
  } kTrees[] = {{tree().toolboxTree, HostMirror::kToolboxTree},
                {tree().callStackTree, HostMirror::kCallStack},
                {tree().variablesTree, HostMirror::kVariables},
                {tree().libraryTree, HostMirror::kLibraryTree},
                {tree().programTree, HostMirror::kProgramTree}};
  for (const auto& row : kTrees) {
    SCOPED_TRACE(static_cast<int>(row.slot));
    clearCalls();
    const LRESULT item = insertTreeItem(row.tree, "窗口程序集_启动窗口", 7);
    ASSERT_NE(item, 0);
    auto call = onlyCall(row.slot);
    ASSERT_TRUE(call);
    EXPECT_TRUE(call->message.passedThrough);
    EXPECT_EQ(call->message.answer, item);
    EXPECT_EQ(call->countAtCall, 1);  // the control had the item when the mirror ran
    EXPECT_TRUE(call->message.hasText);
    EXPECT_EQ(call->message.text, "窗口程序集_启动窗口");
    EXPECT_EQ(call->message.treeInsert.image, 7);
    EXPECT_EQ(call->message.treeInsert.parent, nullptr);

    clearCalls();
    SendMessageA(row.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    call = onlyCall(row.slot);
    ASSERT_TRUE(call);
    EXPECT_FALSE(call->message.passedThrough);
    EXPECT_EQ(call->countAtCall, 1);  // mirrored before the control emptied itself
  }

  // The toolbox tree: deleting one item is not mirrored; selecting "指针" hands over its text.
  const LRESULT pointer = insertTreeItem(tree().toolboxTree, "指针");
  clearCalls();
  SendMessageA(tree().toolboxTree, TVM_DELETEITEM, 0, insertTreeItem(tree().toolboxTree, "按钮"));
  SendMessageA(tree().toolboxTree, TVM_SELECTITEM, TVGN_DROPHILITE, pointer);
  EXPECT_TRUE(SlotRecorder::instance().callsOf(HostMirror::kToolboxTree).size() == 1);  // the insert only
  clearCalls();
  SendMessageA(tree().toolboxTree, TVM_SELECTITEM, TVGN_CARET, pointer);
  const auto selected = onlyCall(HostMirror::kToolboxTree);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->message.text, "指针");

  // The program tree: expand and collapse, not toggle.
  const LRESULT folder = insertTreeItem(tree().programTree, "程序集");
  clearCalls();
  SendMessageA(tree().programTree, TVM_EXPAND, TVE_EXPAND, folder);
  SendMessageA(tree().programTree, TVM_EXPAND, TVE_COLLAPSE, folder);
  SendMessageA(tree().programTree, TVM_EXPAND, TVE_TOGGLE, folder);
  EXPECT_EQ(SlotRecorder::instance().callsOf(HostMirror::kProgramTree).size(), 2u);
}

TEST_F(HooksTest, ListAndComboRowsMirrorBeforeAndSelectionsAfter) {
  // Row 4: the component combo box.
  clearCalls();
  SendMessageA(tree().componentCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("按钮1"));
  auto call = onlyCall(HostMirror::kComponentCombo);
  ASSERT_TRUE(call);
  EXPECT_EQ(call->countAtCall, 0);
  EXPECT_EQ(call->message.text, "按钮1");
  SendMessageA(tree().componentCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("编辑框1"));
  clearCalls();
  EXPECT_EQ(SendMessageA(tree().componentCombo, CB_SETCURSEL, 1, 0), 1);
  call = onlyCall(HostMirror::kComponentCombo);
  ASSERT_TRUE(call);
  EXPECT_TRUE(call->message.passedThrough);
  EXPECT_EQ(call->message.text, "编辑框1");  // the combo's text after the selection
  clearCalls();
  SendMessageA(tree().componentCombo, CB_RESETCONTENT, 0, 0);
  ASSERT_TRUE(onlyCall(HostMirror::kComponentCombo));
  EXPECT_EQ(onlyCall(HostMirror::kComponentCombo)->countAtCall, 2);

  // Rows 1, 2 and 5: selections in the other combo boxes, after the control.
  for (auto [combo, slot] :
       {std::pair{tree().unitCombo, HostMirror::kUnitCombo}, std::pair{tree().memberCombo, HostMirror::kMemberCombo},
        std::pair{tree().eventCombo, HostMirror::kEventCombo}}) {
    unhookedSendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("--- 无对应事件 ---"));
    clearCalls();
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    call = onlyCall(slot);
    ASSERT_TRUE(call);
    EXPECT_TRUE(call->message.passedThrough);
    EXPECT_EQ(call->message.text, "--- 无对应事件 ---");
  }

  // Rows 12 and 13: search results, before the list box.
  for (auto [list, slot] : {std::pair{tree().searchList1, HostMirror::kSearchResults1},
                            std::pair{tree().searchList2, HostMirror::kSearchResults2}}) {
    clearCalls();
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("窗口程序集_启动窗口 (12): 信息框 (“你好”)"));
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const auto calls = SlotRecorder::instance().callsOf(slot);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].message.text, "窗口程序集_启动窗口 (12): 信息框 (“你好”)");
    EXPECT_EQ(calls[0].countAtCall, 0);
    EXPECT_EQ(calls[1].countAtCall, 1);
  }

  // Row 11: the watch list; a set without a positive pointer is not the host's.
  ListView_SetExtendedListViewStyle(tree().watchList, 0);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = 80;
  for (int i = 0; i < 4; ++i)
    unhookedSendMessage(tree().watchList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.pszText = const_cast<char*>("全局计数");
  clearCalls();
  SendMessageA(tree().watchList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 3;
  item.pszText = const_cast<char*>("3");
  SendMessageA(tree().watchList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageA(tree().watchList, LVM_SETITEMA, 0, 0);
  SendMessageA(tree().watchList, LVM_DELETEITEM, 0, 0);
  SendMessageA(tree().watchList, LVM_DELETEALLITEMS, 0, 0);
  const auto watch = SlotRecorder::instance().callsOf(HostMirror::kWatchList);
  ASSERT_EQ(watch.size(), 4u);
  EXPECT_EQ(watch[0].message.text, "全局计数");
  EXPECT_EQ(watch[0].countAtCall, 0);
  EXPECT_EQ(watch[1].message.listItem.subItem, 3);
  EXPECT_EQ(watch[1].message.text, "3");
  EXPECT_EQ(watch[2].message.message, static_cast<UINT>(LVM_DELETEITEM));
}

TEST_F(HooksTest, OutputTipsAndTabRowsTellBothOfTheirSlots) {
  // 8a: build output, then the BlackMoon watch, with the same text, before the box has it.
  clearCalls();
  SendMessageA(tree().outputBox, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("编译成功\r\n"));
  auto calls = SlotRecorder::instance().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].slot, HostMirror::kOutputText);
  EXPECT_EQ(calls[1].slot, HostMirror::kOutputScan);
  EXPECT_EQ(calls[1].message.text, "编译成功\r\n");
  EXPECT_EQ(calls[0].countAtCall, 0);
  // 8b: only EM_SETSEL (-1, 0) is the host emptying its box as a build starts: the build output,
  // then the BlackMoon watch.
  clearCalls();
  SendMessageA(tree().outputBox, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  SendMessageA(tree().outputBox, EM_SETSEL, 0, -1);
  calls = SlotRecorder::instance().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].slot, HostMirror::kOutputText);
  EXPECT_EQ(calls[1].slot, HostMirror::kOutputScan);

  // 15: the tips box's text to the help-tip pane, then to the status text.
  SetWindowTextA(tree().tipsBox, "如果 (条件)\r\n说明");
  clearCalls();
  SendMessageA(tree().tipsBox, EM_SCROLLCARET, 0, 0);
  calls = SlotRecorder::instance().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].slot, HostMirror::kTipsText);
  EXPECT_EQ(calls[1].slot, HostMirror::kTipsStatus);
  EXPECT_EQ(calls[0].message.text, "如果 (条件)\r\n说明");

  // 7: the output tab strip brings the matching pane forward.
  ASSERT_TRUE(action("tab-select 输出").ok);
  EXPECT_TRUE(paneTabInFront("调试输出"));
  ASSERT_TRUE(action("tab-select 搜寻2").ok);
  EXPECT_TRUE(paneTabInFront("搜寻结果2"));
  ASSERT_TRUE(action("tab-select 提示").ok);  // no pane of its own: nothing moves
  EXPECT_TRUE(paneTabInFront("搜寻结果2"));
  EXPECT_EQ(SlotRecorder::instance().callsOf(HostMirror::kOutputTabs).size(), 3u);
}

TEST_F(HooksTest, ASendThatMatchesNoRowIsTheUnhookedCallLastErrorIncluded) {
  HWND label = CreateWindowExA(0, "Static", "标签", WS_CHILD, 0, 0, 50, 20, tree().main, nullptr, nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 50, 90, tree().main,
                               reinterpret_cast<HMENU>(629), nullptr, nullptr);
  unhookedSendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
  setHostMirror(HostMirror::kSearchResults2, nullptr);  // a row whose pane is not built
  const HWND dead = label;
  const struct {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } kSends[] = {
      {label, WM_USER + 7, 1, 2},
      {label, WM_GETTEXTLENGTH, 0, 0},
      {combo, CB_SETCURSEL, 0, 0},  // a combo box with the unit combo's id, elsewhere
      {combo, CB_SETCURSEL, 5, 0},  // and a failing selection
      {tree().searchList2, LB_RESETCONTENT, 0, 0},
      {tree().toolboxTree, TVM_SELECTITEM, TVGN_DROPHILITE, 0},
      {tree().outputBox, EM_SETSEL, 0, -1},
      {reinterpret_cast<HWND>(0x00FEDC00), CB_SETCURSEL, 0, 0},
      {reinterpret_cast<HWND>(0x00FEDC00), WM_USER, 0, 0},
  };
  const uint32_t routedBefore = hostHookCounters().routedMessages;
  for (const auto& send : kSends) {
    SCOPED_TRACE(send.message);
    SetLastError(0x7777);
    const LRESULT unhooked = unhookedSendMessage(send.window, send.message, send.wParam, send.lParam);
    const DWORD unhookedError = GetLastError();
    SetLastError(0x7777);
    const LRESULT hooked = SendMessageA(send.window, send.message, send.wParam, send.lParam);
    EXPECT_EQ(hooked, unhooked);
    EXPECT_EQ(GetLastError(), unhookedError);
  }
  EXPECT_EQ(hostHookCounters().routedMessages, routedBefore);
  EXPECT_TRUE(SlotRecorder::instance().calls().empty());
  DestroyWindow(combo);
  DestroyWindow(dead);
  // A matched send keeps the control's own error too.
  SetLastError(0x7777);
  SendMessageA(tree().searchList1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x"));
  EXPECT_EQ(GetLastError(), 0x7777u);
}

TEST_F(HooksTest, HostilePayloadsGiveNoTextAndNeverAFault) {
  for (const char* kind : {"callback", "null", "no-mask"}) {
    SCOPED_TRACE(kind);
    clearCalls();
    ASSERT_TRUE(action(std::string("tree-insert-odd 1019 ") + kind).ok);
    const auto call = onlyCall(HostMirror::kProgramTree);
    ASSERT_TRUE(call);
    EXPECT_FALSE(call->message.hasText);
    EXPECT_TRUE(call->message.passedThrough);
  }
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.pszText = LPSTR_TEXTCALLBACKA;
  clearCalls();
  SendMessageA(tree().watchList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  ASSERT_TRUE(onlyCall(HostMirror::kWatchList));
  EXPECT_FALSE(onlyCall(HostMirror::kWatchList)->message.hasText);

  // An owner-drawn list box without strings keeps numbers: never read as text.
  ASSERT_TRUE(action("search-list-ownerdraw").ok);
  clearCalls();
  ASSERT_TRUE(action("search-list-add-data 0x0BADF00D").ok);
  const auto data = onlyCall(HostMirror::kSearchResults1);
  ASSERT_TRUE(data);
  EXPECT_FALSE(data->message.hasText);
  EXPECT_EQ(data->message.lParam, 0x0BADF00D);
}

HWND gOutputBox = nullptr;

TEST_F(HooksTest, AWorkerThreadsSendReachesTheControlAndItsMirrorRunsOnTheUiThread) {
  clearCalls();
  const uint32_t handedBefore = hostHookCounters().handedOver;
  ASSERT_TRUE(action("output-from-worker 工作线程的一行").ok);
  ASSERT_TRUE(fixture().waitForJournal("worker-sent"));
  ASSERT_TRUE(fixture().pumpUntil([] { return SlotRecorder::instance().calls().size() == 2; }));
  for (const SlotCall& call : SlotRecorder::instance().calls()) {
    EXPECT_EQ(call.thread, GetCurrentThreadId());
    EXPECT_EQ(call.message.text, "工作线程的一行");
  }
  EXPECT_EQ(hostHookCounters().handedOver - handedBefore, 2u);
  EXPECT_NE(windowText(tree().outputBox).find("工作线程的一行"), std::string::npos);
}

HWND gEventCombo = nullptr;
DWORD WINAPI selectEventFromAnotherThread(void*) {
  SendMessageA(gEventCombo, CB_SETCURSEL, 0, 0);
  return 0;
}

TEST_F(HooksTest, AnotherThreadsSendToTheMovedEventComboNeverCallsIntoTheToolkit) {
  // Where the properties pane puts the event combo box while its list is open: the host's walk no
  // longer reaches it, so the router finds it in the shell frame's window, on the sender's thread.
  gEventCombo = tree().eventCombo;
  standin::hostSend(gEventCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("创建完毕"));  // a row to select
  borrowHostControl(gEventCombo);
  SetParent(gEventCombo, shellFrameHwnd());
  forgetHostControls();
  clearCalls();
  const uint32_t foreignBefore = XC_GetForeignThreadCalls();
  HANDLE thread = CreateThread(nullptr, 0, &selectEventFromAnotherThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // The combo box is this thread's window: the send waits for this thread's messages.
  EXPECT_TRUE(fixture().pumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }));
  CloseHandle(thread);
  // The router recognised it (its mirror runs here), and the toolkit was never asked over there.
  ASSERT_TRUE(fixture().pumpUntil([] { return onlyCall(HostMirror::kEventCombo).has_value(); }));
  EXPECT_EQ(onlyCall(HostMirror::kEventCombo)->thread, GetCurrentThreadId());
  EXPECT_EQ(XC_GetForeignThreadCalls(), foreignBefore);
}

TEST_F(HooksTest, ASendFromInsideAMirrorPassesStraightThrough) {
  gOutputBox = tree().outputBox;
  SlotRecorder::instance().setAction(HostMirror::kOutputText, [](const HostMessage&) {
    SendMessageA(gOutputBox, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("[镜像]"));
  });
  clearCalls();
  const uint32_t nestedBefore = hostHookCounters().nestedPassThrough;
  SendMessageA(tree().outputBox, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("[主机]"));
  EXPECT_EQ(SlotRecorder::instance().callsOf(HostMirror::kOutputText).size(), 1u);
  EXPECT_GE(hostHookCounters().nestedPassThrough - nestedBefore, 1u);
  // Both texts reached the box: the mirror's first (it ran before the host's went in).
  EXPECT_EQ(windowText(tree().outputBox), "[镜像][主机]");
}

}  // namespace
}  // namespace tovalux::testing
