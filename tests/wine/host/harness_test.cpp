// The harness itself: scripts, the traffic and live-handle watch on host controls, the dialog
// watchdog and the resource counters.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "common/counters.h"
#include "common/host_fixture.h"
#include "control_traffic.h"

namespace tovalux::testing {
namespace {

TEST(Script, RunsActionsAndWaitsForEntriesInOrder) {
  HostFixture host;
  std::string error;
  EXPECT_TRUE(
      host.runScript("# two marks, then two waits that each take one\n"
                     "mark a\n"
                     "\n"
                     "mark a\n"
                     "wait-journal mark text=a\n"
                     "wait-journal mark text=a timeout=2000\n"
                     "notify 42\n"
                     "wait-journal notify code=42 answer=0\n",
                     &error))
      << error;
  EXPECT_EQ(host.count("script-done"), 1u);

  // A third wait finds no third mark: the script fails at that line.
  EXPECT_FALSE(
      host.runScript("mark b\nwait-journal mark text=b\nwait-journal mark text=b timeout=100\nmark never", &error));
  EXPECT_EQ(error, "line 3: no journal entry \"mark\" within 100 ms");
  EXPECT_EQ(host.count("mark", fieldIs("text", "never")), 0u);
  const auto failed = host.waitForJournal("script-failed");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->number("line"), 3);

  EXPECT_FALSE(host.runScript("mark ok\nno-such-action\n", &error));
  EXPECT_EQ(error, "line 2: unknown action \"no-such-action\"");
}

TEST(Script, TheHostsNotepadSinkJournalsWhatTheLibraryLogsAndGoesWithTheHost) {
  for (int round = 0; round < 2; ++round) {  // the second host opens its own sink again
    HostFixture host;
    {
      auto r = host.action("notepad-open");
      ASSERT_TRUE(r.ok) << r.error;
    }
    EXPECT_FALSE(host.action("notepad-open").ok);  // one at a time
    ASSERT_EQ(host.startShell(), 1);
    EXPECT_EQ(host.popupMenu(3, 7), 1);
    EXPECT_TRUE(host.waitForJournal("notepad", fieldIs("text", "弹出菜单 : 3,7")));
  }
}

// Items the host inserts itself, through its own sends.
HTREEITEM hostInsert(HWND tree, HTREEITEM parent, const char* text) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>(text);
  return reinterpret_cast<HTREEITEM>(standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// What a library does: a plain SendMessageA, from outside the host's code.
LRESULT outside(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(window, message, wParam, lParam);
}

TEST(LiveHandles, AStaleTreeItemFromOutsideIsJournaled) {
  HostFixture host(HostOptions{.addPlugin = false, .allowDeadHandles = true});
  HWND tree = host.tree().programTree;
  HTREEITEM root = hostInsert(tree, nullptr, "解决方案项目结构");
  HTREEITEM folder = hostInsert(tree, root, "程序集");
  HTREEITEM leaf = hostInsert(tree, folder, "窗口程序集_启动窗口");
  HTREEITEM other = hostInsert(tree, root, "窗口");
  char text[64];
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = leaf;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  EXPECT_TRUE(outside(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_TRUE(outside(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(folder)));
  EXPECT_EQ(host.count("dead-handle"), 0u);

  // The host deletes the folder; its child goes with it.
  standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(folder));
  EXPECT_FALSE(standin::treeHasItem(tree, leaf));
  EXPECT_TRUE(standin::treeHasItem(tree, other));
  EXPECT_EQ(host.count("dead-handle"), 0u);  // the host's own delete named a live item

  outside(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  RECT rect{};
  std::memcpy(&rect, &folder, sizeof folder);  // TVM_GETITEMRECT takes the item in the rectangle
  outside(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
  outside(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(other));  // alive
  const auto dead = host.entries("dead-handle");
  ASSERT_EQ(dead.size(), 2u);
  EXPECT_EQ(dead[0].get("control"), "1019");
  EXPECT_EQ(dead[0].get("msg"), "0x0000110C");  // TVM_GETITEMA
  EXPECT_EQ(dead[0].number("item"), reinterpret_cast<intptr_t>(leaf));
  EXPECT_EQ(dead[1].number("item"), reinterpret_cast<intptr_t>(folder));

  // Clearing the tree leaves nothing alive.
  standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  outside(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
  EXPECT_EQ(host.count("dead-handle"), 3u);
}

TEST(LiveHandles, ListIndexesPastTheEndAreJournaled) {
  HostFixture host(HostOptions{.addPlugin = false, .allowDeadHandles = true});
  HWND list = host.tree().searchList1;
  standin::hostSend(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("第一行"));
  standin::hostSend(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("第二行"));
  EXPECT_EQ(outside(list, LB_GETTEXTLEN, 1, 0), 6);
  outside(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // "no selection" is allowed
  EXPECT_EQ(host.count("dead-handle"), 0u);

  outside(list, LB_GETTEXTLEN, 2, 0);
  outside(host.tree().unitCombo, CB_GETLBTEXTLEN, 0, 0);  // an empty combo box
  outside(host.tree().watchList, LVM_DELETEITEM, 0, 0);   // an empty list view
  const auto dead = host.entries("dead-handle");
  ASSERT_EQ(dead.size(), 3u);
  EXPECT_EQ(dead[0].get("control"), "1182");
  EXPECT_EQ(dead[0].number("index"), 2);
  EXPECT_EQ(dead[0].number("count"), 2);
  EXPECT_EQ(dead[1].get("control"), "629");
  EXPECT_EQ(dead[2].get("control"), "1187");
}

DWORD WINAPI addFromWorker(void* list) {
  SendMessageA(static_cast<HWND>(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("工作线程"));
  return 0;
}

TEST(Traffic, OnlyMessagesFromOutsideTheHostAreJournaled) {
  HostFixture host(HostOptions{.addPlugin = false});
  HWND list = host.tree().searchList2;
  standin::hostSend(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("主机"));
  standin::hostSetText(host.tree().tipsBox, "如果 (条件)");
  EXPECT_EQ(host.count("ctl-msg"), 0u);

  outside(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("外来"));
  HANDLE worker = CreateThread(nullptr, 0, &addFromWorker, list, 0, nullptr);
  EXPECT_TRUE(host.pumpUntil([&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }));
  CloseHandle(worker);
  const auto messages = host.entries("ctl-msg");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].get("control"), "1183");
  EXPECT_EQ(messages[0].get("msg"), "0x00000180");  // LB_ADDSTRING
  EXPECT_EQ(messages[0].get("text"), "外来");
  EXPECT_EQ(messages[0].number("cross"), 0);
  EXPECT_EQ(messages[1].get("text"), "工作线程");
  EXPECT_EQ(messages[1].number("cross"), 1);
}

TEST(Watchdog, AnswersTheExpectedBoxAndClosesAnUnexpectedOne) {
  HostFixture host(HostOptions{.addPlugin = false, .dialogGraceMs = 200, .allowForcedDialogs = true});
  host.watchdog().expect("保存", IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "是否保存修改?", "提示", MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "意外的问题", "提示", MB_YESNO), IDNO);

  const auto answers = host.watchdog().answers();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_TRUE(answers[0].scripted);
  EXPECT_EQ(answers[0].text, "是否保存修改?");
  EXPECT_FALSE(answers[1].scripted);
  EXPECT_EQ(host.watchdog().forcedCount(), 1u);
  EXPECT_EQ(host.count("dialog", fieldIs("answered", "watchdog")), 1u);
}

DWORD WINAPI waitForStop(void* stop) { return WaitForSingleObject(stop, INFINITE); }

TEST(Counters, FollowGdiObjectsHandlesWindowsAndThreads) {
  const ResourceCounts before = countResources();
  ASSERT_GT(before.gdiObjects, 0) << describe(before);
  ASSERT_GT(before.handles, 0) << describe(before);
  ASSERT_GT(before.threads, 0) << describe(before);

  HBRUSH brushes[10];
  for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, &waitForStop, event, 0, nullptr);
  const ResourceCounts during = countResources();
  EXPECT_EQ(during.gdiObjects - before.gdiObjects, 10) << describe(during);
  EXPECT_EQ(during.userObjects - before.userObjects, 1) << describe(during);
  EXPECT_EQ(during.threads - before.threads, 1) << describe(during);
  EXPECT_EQ(during.handles - before.handles, 2) << describe(during);  // the event and the thread

  SetEvent(event);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(event);
  DestroyWindow(window);
  for (HBRUSH brush : brushes) DeleteObject(brush);
  const ResourceCounts after = countResources();
  EXPECT_EQ(after.gdiObjects, before.gdiObjects) << describe(after);
  EXPECT_EQ(after.userObjects, before.userObjects) << describe(after);
  EXPECT_EQ(after.handles, before.handles) << describe(after);
  EXPECT_EQ(after.threads, before.threads) << describe(after);
}

}  // namespace
}  // namespace tovalux::testing
