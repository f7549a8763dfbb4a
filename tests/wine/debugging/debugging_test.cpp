// The debugging aids in the stand-in IDE in this process: the output panes and their tool bar,
// the build output's markers, the run log written by the debugger thread's rules (run here on a
// thread of their own, as the host's debugger thread runs them), and the disassembly pane.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <cstdio>
#include <string>
#include <memory>
#include <thread>

#include "base/gbk.h"
#include "hooks/engine/api_hook.h"
#include "common/host_fixture.h"
#include "commands/commands.h"
#include "common/win32_support.h"
#include "debugging/debug_output.h"
#include "debugging/disassembly_commands.h"
#include "debugging/debug_run.h"
#include "debugging/disassembly_pane.h"
#include "debugging/run_log_rules.h"
#include "host/ui_jobs.h"
#include "lifecycle/lifecycle.h"
#include "shell/descriptors.h"
#include "shell/run_state.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/xcgui_views.h"

// Allocations fail on a thread while its flag is up (the EnumWindows test below).
namespace tovalux {
thread_local bool gRefuseAllocations = false;
}
void* operator new(size_t size) {
  if (tovalux::gRefuseAllocations) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
// GCC inlines the replaced operator new into callers and then warns that free() meets "new".
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace tovalux {
namespace {

using testing::both;
using testing::fieldIs;
using testing::HostFixture;

const bool kResets = (HostFixture::setAfterTeardown([] {
                        resetLifecycleForTests();
                        tearDownDebugRun();
                      }),
                      true);

const tk::Edit* editModel(HELE edit) { return tk::context().registry.get<tk::Edit>(edit); }

std::string descriptorOf(HXCGUI element) {
  const auto* bkm = tk::context().registry.get<tk::BkManager>(XEle_GetBkManager(element));
  if (bkm == nullptr) return {};
  const std::u16string& text = bkm->text();
  return std::string(text.begin(), text.end());
}

// Runs `body` on a thread of its own, as the host's debugger thread runs the hooks, without
// serving this (the UI) thread's messages meanwhile: a rule that waited for the UI thread would
// not come back, and one that touched the toolkit would show its change before any pumping.
DWORD WINAPI runBody(void* parameter) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  (*body)();
  return 0;
}

bool onDebuggerThread(const std::function<void()>& body) {
  auto* owned = new std::function<void()>(body);
  HANDLE thread = CreateThread(nullptr, 0, &runBody, owned, 0, nullptr);
  if (!thread) {
    delete owned;
    return false;
  }
  const bool ended = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

PROCESS_INFORMATION processInfo(DWORD pid) {
  PROCESS_INFORMATION info{};
  info.hProcess = reinterpret_cast<HANDLE>(0x44);
  info.hThread = reinterpret_cast<HANDLE>(0x48);
  info.dwProcessId = pid;
  info.dwThreadId = pid + 4;
  return info;
}

DEBUG_EVENT exceptionEvent(DWORD pid, DWORD code, uint32_t address) {
  DEBUG_EVENT event{};
  event.dwDebugEventCode = EXCEPTION_DEBUG_EVENT;
  event.dwProcessId = pid;
  event.dwThreadId = pid + 4;
  event.u.Exception.ExceptionRecord.ExceptionCode = code;
  event.u.Exception.ExceptionRecord.ExceptionAddress = reinterpret_cast<void*>(static_cast<uintptr_t>(address));
  event.u.Exception.dwFirstChance = 1;
  return event;
}

std::atomic<int> gRefreshes{0};

class DebuggingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str()); }

  void start() {
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    gRefreshes = 0;
    editPeersForTests([](Peers& peers) { peers.syncToolBarState = [] { ++gRefreshes; }; });
    host.pump();
  }

  std::string log() { return editText(debugLogEdit()); }
  std::string output() { return editText(buildOutputEdit()); }
  void drainUiJobs() {
    host.pumpUntil([] { return pendingUiJobs() == 0; });
  }

  void startRun(DWORD pid, const char* commandLine = "C:\\ehost\\temp\\e_123.tmp") {
    const PROCESS_INFORMATION info = processInfo(pid);
    ASSERT_TRUE(onDebuggerThread([&] { onProcessCreated(TRUE, commandLine, DEBUG_ONLY_THIS_PROCESS, &info); }));
  }

  HostFixture host;
};

TEST_F(DebuggingTest, PanesAreBuiltWithTheirEditsAndToolBar) {
  start();
  ASSERT_NE(buildOutputEdit(), 0u);
  ASSERT_NE(debugLogEdit(), 0u);
  ASSERT_NE(helpTipEdit(), 0u);
  for (HELE edit : {buildOutputEdit(), debugLogEdit(), helpTipEdit()}) {
    EXPECT_TRUE(editModel(edit)->autoWrap);
    EXPECT_TRUE(editModel(edit)->readOnly);
  }
  const HELE bar = outputToolBar();
  ASSERT_EQ(XToolBar_GetEleCount(bar), 3);
  const char* tips[] = {"全部清除", "切换自动换行", "全部选择"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(utf16ToGbk(XEle_GetToolTip(XToolBar_GetEle(bar, i))), tips[i]);
  const HELE wrap = XToolBar_GetEle(bar, 1);
  EXPECT_EQ(XBtn_GetType(wrap), button_type_checkbox);
  EXPECT_TRUE(XBtn_IsCheck(wrap));
  EXPECT_EQ(descriptorOf(XToolBar_GetEle(bar, 0)), descriptor::kToolBarButton);
}

TEST_F(DebuggingTest, BuildOutputShowsMarkedLinesInTheirColours) {
  start();
  writeBuildOutput("开始编译: C:\\demo.e\r\n");
  writeBuildOutput("* “tv.s” | 编译成功\r\n");
  writeBuildOutput("* “TV.W” | 注意\r\n");
  writeBuildOutput("* “tv\r\n");  // shorter than a marker
  writeBuildOutput("* “tv.d” | 调试 * “tv.d” | 最后\r\n");
  EXPECT_EQ(output(), "开始编译: C:\\demo.e\r\n* 编译成功\r\n* 注意\r\n* “tv\r\n* 最后\r\n");
  const tk::Edit* edit = editModel(buildOutputEdit());
  ASSERT_EQ(edit->runs().size(), 5u);
  EXPECT_EQ(edit->runs()[0].style, 0);
  EXPECT_EQ(edit->runs()[3].style, 0);
  const auto colourOf = [&](size_t run) {
    const int style = edit->runs()[run].style;
    EXPECT_GT(style, 0);
    return style > 0 ? edit->styles()[static_cast<size_t>(style)].color : 0;
  };
  EXPECT_EQ(colourOf(1), XRGB(87, 166, 74));
  EXPECT_EQ(colourOf(2), XRGB(229, 20, 0));
  EXPECT_EQ(colourOf(4), XRGB(255, 204, 0));

  clearBuildOutputPane();
  EXPECT_EQ(output(), "");
}

TEST_F(DebuggingTest, TheToolBarClearsTogglesWrapAndSelectsAll) {
  start();
  writeBuildOutput("一行\r\n");
  const HELE bar = outputToolBar();
  XEle_SendEvent(XToolBar_GetEle(bar, 2), XE_BNCLICK);
  const tk::Edit* edit = editModel(buildOutputEdit());
  EXPECT_EQ(edit->selection().second - edit->selection().first, edit->length());
  const HELE wrap = XToolBar_GetEle(bar, 1);
  XBtn_SetCheck(wrap, false);
  XEle_SendEvent(wrap, XE_BUTTON_CHECK, false);
  EXPECT_FALSE(edit->autoWrap);
  XEle_SendEvent(XToolBar_GetEle(bar, 0), XE_BNCLICK);
  EXPECT_EQ(output(), "");
}

TEST_F(DebuggingTest, TheMainToolBarsBuildButtonsEmptyTheBuildOutput) {
  start();
  ASSERT_TRUE(host.action("program-tree 3").ok);  // a loaded project enables the build buttons
  syncToolBarState();
  writeBuildOutput("上次的编译\r\n");
  XEle_SendEvent(XToolBar_GetEle(static_cast<HELE>(frameElement("winToolBar0")), 15), XE_BNCLICK);  // 编译
  EXPECT_EQ(output(), "");
}

TEST_F(DebuggingTest, ARunIsLoggedFromStartToStopInOrder) {
  start();
  ASSERT_TRUE(host.action("project C:\\dbg_demo.e create=1").ok);
  appendDebugLine("上一次的日志\r\n");
  const size_t since = host.journalSize();
  startRun(1234);
  // The rule ran on its own thread: the run state is set, the toolkit not touched yet.
  EXPECT_TRUE(debugging());
  EXPECT_EQ(debuggedProcessId(), 1234u);
  EXPECT_EQ(debuggedProcess().threadId, 1238u);
  EXPECT_EQ(debuggedProgramName(), "e_123.tmp");
  EXPECT_EQ(log(), "上一次的日志\r\n");
  // The save request went to the host from the debugger thread.
  EXPECT_EQ(host.count("ide", both(fieldIs("number", "0x03010004"), fieldIs("thread", "other")), since), 1u);

  const DEBUG_EVENT av = exceptionEvent(1234, 0xC0000005, 0x00401000);
  const DEBUG_EVENT cpp = exceptionEvent(1234, 0xE06D7363, 0x7C81EB33);
  const DEBUG_EVENT other = exceptionEvent(999, 0xC0000005, 0x1000);
  DEBUG_EVENT empty{};
  DEBUG_EVENT created{};
  created.dwDebugEventCode = CREATE_PROCESS_DEBUG_EVENT;
  created.dwProcessId = 1234;
  created.dwThreadId = 1238;
  ASSERT_TRUE(onDebuggerThread([&] {
    onBeforeWaitForDebugEvent(nullptr);
    onBeforeWaitForDebugEvent(&empty);
    onBeforeWaitForDebugEvent(&created);
    onBeforeWaitForDebugEvent(&av);
    onBeforeWaitForDebugEvent(&other);
    onBeforeWaitForDebugEvent(&cpp);
    onBeforeDebugStop(999);
    onBeforeDebugStop(1234);
  }));
  EXPECT_FALSE(debugging());
  EXPECT_EQ(debuggedProcessId(), 0u);
  EXPECT_EQ(debuggedProgramName(), "");
  drainUiJobs();
  EXPECT_EQ(log(),
            "程序 [1234] \"e_123.tmp\" 开始调试。\r\n"
            "触发异常， 程序正在读写一个不可访问的地址。 目标地址 4198400 (0x401000)。\r\n"
            "触发异常， 未记录的错误代码:-529697949。 目标地址 2088889139 (0x7c81eb33)。\r\n"
            "程序 [1234] \"e_123.tmp\" 停止调试。\r\n");
  EXPECT_EQ(descriptorOf(frameElement("winTopEdge")), descriptor::kFrameTopNormal);
  // Three events of the run asked for a refresh; they ran as fewer refreshes.
  EXPECT_EQ(debugRunCounters().refreshRequests, 3u);
  EXPECT_GE(gRefreshes.load(), 1);
  EXPECT_LE(gRefreshes.load(), 3);
}

TEST_F(DebuggingTest, TheFrameTakesTheDebuggingLookAndTheDesignerBarFollows) {
  start();
  ASSERT_TRUE(host.action("page-open \"窗口: _启动窗口\"").ok);
  const HXCGUI designer = frameElement("winToolBar1");
  ASSERT_TRUE(XC_IsHXCGUI(designer, XC_TOOLBAR));
  // The designer bar's buttons (the commands subsystem fills the bar in the plug-in).
  for (int i = XToolBar_GetEleCount(designer); i < 2; ++i)
    XToolBar_InsertEle(designer, XBtn_Create(0, 0, 20, 20, L"", designer), -1);
  startRun(77);
  drainUiJobs();
  const auto buttons = [&](bool enabled) {
    int matching = 0, all = 0;
    for (int i = 0; i < XToolBar_GetEleCount(designer); ++i) {
      const HELE element = XToolBar_GetEle(designer, i);
      if (!XC_IsHXCGUI(element, XC_BUTTON)) continue;
      ++all;
      if (XEle_IsEnable(element) == enabled) ++matching;
    }
    return all > 0 && matching == all;
  };
  EXPECT_EQ(descriptorOf(frameElement("winTopEdge")), descriptor::kFrameTopDebugging);
  EXPECT_TRUE(buttons(false));
  ASSERT_TRUE(onDebuggerThread([] { onBeforeDebugStop(77); }));
  drainUiJobs();
  EXPECT_EQ(descriptorOf(frameElement("winTopEdge")), descriptor::kFrameTopNormal);
  // A designer page is active: its tool bar comes back.
  EXPECT_TRUE(buttons(true));

  // On a code page the bar stays off after the run.
  ASSERT_TRUE(host.action("page-open \"程序集: 窗口程序集_启动窗口\"").ok);
  startRun(78);
  ASSERT_TRUE(onDebuggerThread([] { onBeforeDebugStop(78); }));
  drainUiJobs();
  EXPECT_TRUE(buttons(false));
}

TEST_F(DebuggingTest, LaunchesThatAreNotDebugLaunchesOfATmpProgramChangeNothing) {
  start();
  ASSERT_TRUE(host.action("project C:\\dbg_demo.e create=1").ok);
  appendDebugLine("保留\r\n");
  const size_t since = host.journalSize();
  const PROCESS_INFORMATION started = processInfo(1234);
  const PROCESS_INFORMATION failed{};  // CreateProcessA failed: nothing filled in
  ASSERT_TRUE(onDebuggerThread([&] {
    onProcessCreated(FALSE, "C:\\ehost\\temp\\missing_1.tmp", DEBUG_ONLY_THIS_PROCESS, &failed);
    onProcessCreated(TRUE, "C:\\ehost\\temp\\e_1.tmp", 0, &started);  // run without debug flags
    onProcessCreated(TRUE, "cmd.exe /c exit", DEBUG_PROCESS, &started);
    onProcessCreated(TRUE, nullptr, DEBUG_PROCESS, &started);
    onProcessCreated(TRUE, "C:\\e_1.tmp", DEBUG_PROCESS, nullptr);
  }));
  drainUiJobs();
  EXPECT_FALSE(debugging());
  EXPECT_EQ(debuggedProcessId(), 0u);
  EXPECT_EQ(log(), "保留\r\n");
  EXPECT_EQ(host.count("ide", fieldIs("number", "0x03010004"), since), 0u);
  EXPECT_EQ(descriptorOf(frameElement("winTopEdge")), descriptor::kFrameTopNormal);
}

TEST_F(DebuggingTest, TheLogKeepsItsOrderWhileTheUiSitsInAModalBox) {
  start();
  startRun(4321);
  // A real message box on the UI thread; the watchdog answers it once the events are in.
  std::atomic<bool> eventsDone{false};
  std::thread debugger([&] {
    for (uint32_t i = 1; i <= 200; ++i) {
      const DEBUG_EVENT event = exceptionEvent(4321, 0xC0000094, i);
      onBeforeWaitForDebugEvent(&event);
    }
    eventsDone = true;
  });
  host.watchdog().expect("等待", IDOK);
  SetTimer(nullptr, 0, 50, nullptr);
  MessageBoxA(host.mainWindow(), "等待调试事件", "测试", MB_OK);
  debugger.join();
  ASSERT_TRUE(eventsDone);
  drainUiJobs();
  const std::string text = log();
  size_t at = text.find("开始调试");
  ASSERT_NE(at, std::string::npos);
  for (uint32_t i = 1; i <= 200; ++i) {
    const std::string line = "目标地址 " + std::to_string(i) + " (0x";
    const size_t next = text.find(line, at);
    ASSERT_NE(next, std::string::npos) << i;
    at = next;
  }
}

TEST_F(DebuggingTest, AfterNotification17ARunProducesNoPluginWork) {
  start();
  ASSERT_TRUE(host.action("project C:\\dbg_demo.e create=1").ok);
  EXPECT_EQ(host.restore(), 0);
  const size_t since = host.journalSize();
  const PROCESS_INFORMATION info = processInfo(555);
  const DEBUG_EVENT av = exceptionEvent(555, 0xC0000005, 0x401000);
  ASSERT_TRUE(onDebuggerThread([&] {
    onProcessCreated(TRUE, "C:\\e_9.tmp", DEBUG_ONLY_THIS_PROCESS, &info);
    onBeforeWaitForDebugEvent(&av);
    onBeforeDebugStop(555);
  }));
  EXPECT_FALSE(debugging());
  EXPECT_EQ(debugRunCounters().runsStarted, 0u);
  EXPECT_EQ(pendingUiJobs(), 0u);
  EXPECT_EQ(host.count("ide", {}, since), 0u);
}

// The panes fed by the host's own traffic through the hooks, not by direct calls: the output
// box's appends and its emptying, and a real debugging run of e-sample on the host's debugger
// thread (CreateProcessA, WaitForDebugEvent, DebugActiveProcessStop).
TEST_F(DebuggingTest, TheHostsOwnOutputAndDebuggerThreadReachThePanesThroughTheHooks) {
  host.host().setDirectory(testing::winePath(TOVALUX_HOST_DIR));  // where e-sample.exe is
  start();
  ASSERT_TRUE(host.action("output-line \"* “tv.s” | 编译成功\"").ok);
  ASSERT_TRUE(host.action("output-line 第二行").ok);
  drainUiJobs();
  EXPECT_EQ(output(), "* 编译成功\r\n第二行\r\n");
  ASSERT_TRUE(host.action("output-clear").ok);
  drainUiJobs();
  EXPECT_EQ(output(), "");

  ASSERT_TRUE(host.action("debuggee-script \"load;raise 0xC0000005 1;exit 0\"").ok);
  const size_t since = host.journalSize();
  ASSERT_TRUE(host.action("debug-run").ok);
  const auto ended = host.waitForJournal("debug-ended", {}, 20000, since);
  if (!ended)
    for (const auto& e : host.journal().entriesFrom(since)) ADD_FAILURE() << e.toJsonLine();
  ASSERT_TRUE(ended);
  ASSERT_TRUE(host.pumpUntil([&] { return log().find("停止调试") != std::string::npos; }, 10000)) << log();
  const std::string text = log();
  const size_t started = text.find("开始调试"), raised = text.find("程序正在读写一个不可访问的地址"),
               stopped = text.find("停止调试");
  ASSERT_NE(started, std::string::npos) << text;
  ASSERT_NE(raised, std::string::npos) << text;
  EXPECT_LT(started, raised);
  EXPECT_LT(raised, stopped);
  EXPECT_EQ(debugRunCounters().runsStarted, 1u);
  EXPECT_EQ(debugRunCounters().runsStopped, 1u);
  EXPECT_FALSE(debugging());
}

TEST_F(DebuggingTest, TheHelpTipPaneShowsTheTipText) {
  start();
  showHelpTip("如果 (条件)\r\n说明");
  EXPECT_EQ(editText(helpTipEdit()), "如果 (条件)\r\n说明");
}

TEST_F(DebuggingTest, DisassemblyRowsReplaceThePreviousOnesWithTheInstructionLowerCased) {
  start();
  const HELE list = disassemblyList();
  ASSERT_NE(list, 0u);
  ASSERT_EQ(XList_GetColumnCount(list), 3);
  EXPECT_EQ(XList_GetColumnWidth(list, 0), 80);
  EXPECT_EQ(XList_GetColumnWidth(list, 1), 200);
  EXPECT_EQ(XList_GetColumnWidth(list, 2), 260);
  EXPECT_EQ(XList_GetHeaderHeight(list), 20);

  showDisassembly(
      "401000 | 55                       | PUSH EBP\r\n"
      "401001 | 8BEC                     | MOV EBP,ESP|x\r\n"
      "401003 | C3                       | RETN");
  ASSERT_EQ(XList_GetCount(list), 2);
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 0)), "401000");
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 1)), "55");
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 2)), "push ebp");
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 1, 2)), "retn");
  EXPECT_EQ(XList_GetItemData(list, 0, 0), static_cast<int>(XRGB(45, 45, 48)));
  EXPECT_EQ(XList_GetItemData(list, 0, 1), static_cast<int>(XRGB(45, 45, 48)));
  EXPECT_EQ(XList_GetItemData(list, 0, 2), static_cast<int>(XRGB(37, 37, 38)));

  showDisassembly("402000 | 90 | NOP");
  ASSERT_EQ(XList_GetCount(list), 1);
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 0)), "402000");
  showDisassembly("");
  EXPECT_EQ(XList_GetCount(list), 0);
}

// A block at the cap (4 MiB, about 150,000 rows) is shown as at most 100,000 rows and a last row
// that says how many were left out, added in slices between which the UI serves its messages.
// Blocks that arrive meanwhile wait; only the newest does.
std::atomic<bool> gProbeServedWhileFilling{false};
std::atomic<bool> gProbeServed{false};
LRESULT CALLBACK probeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 7) {
    gProbeServedWhileFilling = disassemblyFilling();
    gProbeServed = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(DebuggingTest, ACapSizedBlockShowsAtMostTheCapInSlicesWhileTheUiAnswers) {
  start();
  const HELE list = disassemblyList();
  ASSERT_NE(list, 0u);
  std::string text;
  int lines = 0;
  while (text.size() + 40 < (4u << 20) - 4) {
    char line[48];
    std::snprintf(line, sizeof line, "%X | 90 | NOP\r\n", 0x401000 + lines++);
    text += line;
  }
  ASSERT_GT(lines, 100000);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &probeProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TovaluxFillProbe";
  RegisterClassA(&wc);
  HWND probe = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(probe, nullptr);

  gProbeServed = gProbeServedWhileFilling = false;
  const DisassemblyPaneCounters before = disassemblyPaneCounters();
  showDisassembly(text);
  PostMessageA(probe, WM_USER + 7, 0, 0);  // the user's next click, say
  EXPECT_TRUE(host.pumpUntil([] { return gProbeServed.load(); }, 20000));
  EXPECT_TRUE(gProbeServedWhileFilling.load()) << "the UI answered only after the whole block";
  ASSERT_TRUE(host.pumpUntil([] { return !disassemblyFilling(); }, 120000));
  ASSERT_EQ(XList_GetCount(list), 100001);
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 0)), "401000");
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 100000, 2)), "… 另有 " + std::to_string(lines - 100000) + " 行未显示");
  EXPECT_GT(disassemblyPaneCounters().slices - before.slices, 10u);

  // Two more while one fills: the newest is shown after it, the one in between is dropped.
  showDisassembly(text);
  showDisassembly("402000 | 90 | NOP");
  showDisassembly("403000 | 90 | NOP");
  ASSERT_TRUE(host.pumpUntil([] { return !disassemblyFilling(); }, 120000));
  ASSERT_EQ(XList_GetCount(list), 1);
  EXPECT_EQ(utf16ToGbk(XList_GetItemText(list, 0, 0)), "403000");
  EXPECT_EQ(disassemblyPaneCounters().blocksDropped - before.blocksDropped, 1u);
  DestroyWindow(probe);
}

// EnumWindows calls its callback from the system's own frames, inside the debugged program: no
// C++ exception may cross them. While the callback runs here, every allocation fails (a program
// out of memory); the callback must neither throw nor let anything unwind.
ApiHook gEnumHook;
int gThrowsAcrossCallback = 0;

struct WrappedEnum {
  WNDENUMPROC callback;
  LPARAM context;
};

BOOL CALLBACK refusingCallback(HWND window, LPARAM context) {
  const auto* wrapped = reinterpret_cast<const WrappedEnum*>(context);
  gRefuseAllocations = true;
  BOOL answer = FALSE;
  try {
    answer = wrapped->callback(window, wrapped->context);
  } catch (...) {
    ++gThrowsAcrossCallback;  // it would have unwound through the system's frames
  }
  gRefuseAllocations = false;
  return answer;
}

BOOL WINAPI enumWithRefusedAllocations(WNDENUMPROC callback, LPARAM context) {
  WrappedEnum wrapped{callback, context};
  return gEnumHook.original<decltype(&EnumWindows)>()(&refusingCallback, reinterpret_cast<LPARAM>(&wrapped));
}

TEST(DisassemblyCommands, NothingThrowsAcrossTheEnumWindowsCallback) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Tovalux";
  RegisterClassA(&wc);
  HWND ide =
      CreateWindowExA(0, "Tovalux", "易语言 - 另一个", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(ide, nullptr);
  ASSERT_TRUE(
      gEnumHook.installHook("user32.dll", "EnumWindows", reinterpret_cast<const void*>(&enumWithRefusedAllocations)));
  gThrowsAcrossCallback = 0;
  std::vector<IdeWindow> found;
  try {
    found = findIdeWindows();
  } catch (...) {}
  gEnumHook.removeHook();
  EXPECT_EQ(gThrowsAcrossCallback, 0);
  bool listed = false;
  for (const IdeWindow& window : found) listed = listed || window.window == ide;
  EXPECT_TRUE(listed);
  DestroyWindow(ide);
}

}  // namespace
}  // namespace tovalux
