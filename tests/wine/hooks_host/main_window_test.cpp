// The host main window's and main tool bar's procedures: the private messages, the host messages
// the shell follows, hostile disassembly blocks from another process, and shut-down.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>

#include "common/win32_support.h"
#include "hooks/host/hook_rules.h"
#include "hooks_test.h"
#include "shell/run_state.h"
#include "shell/shell.h"
#include "toolkit/xcgui.h"

namespace tovalux::testing {
namespace {

constexpr UINT kInject = 99999;
constexpr UINT kModules = 9909;
constexpr UINT kDisasm = 89963;
constexpr UINT kRefit = 89757;
constexpr uint32_t kDebuggedPid = 4242;

size_t notepadLines(HostFixture& host, const std::string& text, size_t since = 0) {
  return host.count("notepad", fieldIs("text", text), since);
}

TEST_F(HooksTest, TheFrameFollowsTheHostCaptionOnTheStatusLineMessage) {
  const std::string caption = "易语言 - C:\\项目\\演示.e";
  SetWindowTextA(tree().main, caption.c_str());
  SendMessageA(tree().main, 0x362, 0xE001, 0);
  EXPECT_EQ(XC_wtoa(XShapeText_GetText(frameElement("winTitle")).c_str()), caption);
  EXPECT_EQ(windowText(shellFrameHwnd()), caption);
  EXPECT_EQ(plugPointLog().toolBarSyncs, 1);
  // A caption past 256 bytes is cut before a character that would straddle the end.
  const std::string longCaption = std::string(255, 'a') + "易语言";
  SetWindowTextA(tree().main, longCaption.c_str());
  SendMessageA(tree().main, 0x362, 0xE001, 0);
  EXPECT_EQ(windowText(shellFrameHwnd()), std::string(255, 'a'));
}

TEST_F(HooksTest, LoggingRowsWriteOnlyWithASinkAndEveryRowButTheAnsweredOnesReachesTheHost) {
  ASSERT_TRUE(action("notepad-open").ok);
  const std::string main = std::to_string(reinterpret_cast<intptr_t>(tree().main));
  ASSERT_TRUE(action("send-main 9909 1 1").ok);
  EXPECT_EQ(notepadLines(fixture(), main + " 收到模块管理"), 1u);
  EXPECT_EQ(plugPointLog().moduleReloads, 1);
  ASSERT_TRUE(action("send-main 9909 1 0").ok);  // only (1, 1) reloads
  EXPECT_EQ(plugPointLog().moduleReloads, 1);
  EXPECT_EQ(fixture().count("private", fieldIs("msg", "0x000026B5")), 2u);  // both went on to the host

  ASSERT_TRUE(action("notify-main 1019 -2").ok);
  const std::string from = std::to_string(reinterpret_cast<intptr_t>(tree().programTree));
  EXPECT_EQ(notepadLines(fixture(), "WM_NOTIFY： idFrom 1019 code -2 hwndFrom " + from), 1u);
  ASSERT_TRUE(action("send-main 0x111 57600 0").ok);
  EXPECT_EQ(notepadLines(fixture(), " 菜单选择： wParam 57600 lParam 0"), 1u);

  // Row 8: the code view's background goes transparent after a move.
  const HXCGUI view = frameElement("codeMainView");
  ASSERT_NE(view, 0u);
  XEle_EnableBkTransparent(view, false);
  ASSERT_TRUE(action("exit-size-move").ok);
  EXPECT_TRUE(XEle_IsBkTransparent(view));
  EXPECT_EQ(notepadLines(fixture(), "XEle_IsBkTransparent"), 1u);

  // Re-fit: on 89757 (which the host then sees too) as on WM_PAINT.
  const uint32_t syncs = shellCounters().hostWindowSyncs;
  ASSERT_TRUE(action("send-main 89757").ok);
  EXPECT_GT(shellCounters().hostWindowSyncs, syncs);
  EXPECT_EQ(fixture().count("private", fieldIs("msg", "0x00015E9D")), 1u);

  // Without a sink nothing is written.
  ASSERT_TRUE(action("notepad-close").ok);
  const size_t since = fixture().journalSize();
  ASSERT_TRUE(action("notify-main 1019 -2").ok);
  ASSERT_TRUE(action("send-main 9909 1 1").ok);
  EXPECT_EQ(fixture().count("notepad", {}, since), 0u);
  EXPECT_EQ(plugPointLog().moduleReloads, 2);
}

TEST_F(HooksTest, ShowingTheMainToolBarPostsItsCommandOnce) {
  ASSERT_TRUE(action("toolbar show").ok);
  ASSERT_TRUE(fixture().waitForJournal("command", fieldIs("id", 0x80C3)));
  ASSERT_TRUE(action("toolbar hide").ok);
  // Posted messages keep their order: a marker posted now arrives after anything the hide posted.
  PostMessageA(tree().main, WM_COMMAND, 57601, 0);
  ASSERT_TRUE(fixture().waitForJournal("command", fieldIs("id", 57601)));
  EXPECT_EQ(fixture().count("command", fieldIs("id", 0x80C3)), 1u);
}

int gInjectCalls = 0;
bool gInjectAnswer = false;
HRESULT gApartmentInside = E_FAIL;
LRESULT gNestedAnswer = -1;

bool injectForTest(HWND) {
  ++gInjectCalls;
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  gApartmentInside = CoGetApartmentType(&type, &qualifier);
  // The watcher's next request arriving while this one runs.
  gNestedAnswer = SendMessageA(standin::Host::instance().mainWindow(), kInject, 0, 0);
  return gInjectAnswer;
}

// A window under one of the host's MDI pages, as the start page's web view is.
HWND windowInAPage(HostFixture& host) {
  EXPECT_TRUE(host.action("page-open 起始页").ok);
  const auto* page = host.model().pageByTitle("起始页");
  if (page == nullptr) return nullptr;
  return CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, page->window, nullptr, nullptr, nullptr);
}

TEST_F(HooksTest, StartPageInjectionIsAnsweredHereWithCOMOnlyForTheCall) {
  HWND embedding = windowInAPage(fixture());
  ASSERT_NE(embedding, nullptr);
  const WPARAM wParam = reinterpret_cast<WPARAM>(embedding);
  const LRESULT withoutSubsystem = SendMessageA(tree().main, kInject, wParam, 0);
  EXPECT_EQ(withoutSubsystem, 0);
  editPeersForTests([](Peers& peers) { peers.startPage.injectStartPage = &injectForTest; });
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  const HRESULT before = CoGetApartmentType(&type, &qualifier);
  for (bool attached : {false, true}) {
    gInjectCalls = 0;
    gInjectAnswer = attached;
    EXPECT_EQ(SendMessageA(tree().main, kInject, wParam, 0), attached ? 1 : 0);
    EXPECT_EQ(gInjectCalls, 1);   // the nested request did not run it again
    EXPECT_EQ(gNestedAnswer, 0);  // and was answered 0 (the watcher asks again later)
    EXPECT_EQ(gApartmentInside, S_OK);
    EXPECT_EQ(CoGetApartmentType(&type, &qualifier), before);
  }
  EXPECT_EQ(fixture().count("private", fieldIs("msg", "0x0001869F")), 0u);  // never the host's
}

// Any program can send 99999 with any window: only a window of this process under one of the
// host's MDI pages is attached to; anything else answers 0 without a look (logged once).
TEST_F(HooksTest, StartPageInjectionTakesOnlyAWindowUnderOneOfTheHostsPages) {
  HWND embedding = windowInAPage(fixture());
  ASSERT_NE(embedding, nullptr);
  editPeersForTests([](Peers& peers) { peers.startPage.injectStartPage = &injectForTest; });
  gInjectAnswer = true;
  gInjectCalls = 0;
  ASSERT_TRUE(action("notepad-open").ok);
  const size_t since = fixture().journalSize();
  HWND page = GetParent(embedding);
  HWND outside = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, tree().main, nullptr, nullptr, nullptr);
  HWND topLevel = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (HWND hostile : {static_cast<HWND>(nullptr), reinterpret_cast<HWND>(0x1234), GetDesktopWindow(), tree().main,
                       tree().mdiClient, page, outside, topLevel}) {
    EXPECT_EQ(SendMessageA(tree().main, kInject, reinterpret_cast<WPARAM>(hostile), 0), 0);
  }
  EXPECT_EQ(gInjectCalls, 0);
  EXPECT_EQ(hostHookCounters().startPageRefused, 8u);
  EXPECT_EQ(fixture().count("notepad", {}, since), 1u);  // logged once
  EXPECT_EQ(SendMessageA(tree().main, kInject, reinterpret_cast<WPARAM>(embedding), 0), 1);
  EXPECT_EQ(gInjectCalls, 1);
  DestroyWindow(outside);
  DestroyWindow(topLevel);
}

// edisasm.exe sends the block from a process of its own, as a debugged program does.
DWORD sendBlock(const std::string& arguments) {
  const std::string program = winePath(TOVALUX_HOST_DIR "/edisasm.exe");
  std::string command = "\"" + program + "\" " +
                        std::to_string(reinterpret_cast<intptr_t>(standin::Host::instance().mainWindow())) + " " +
                        arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0xFFFFFFFF;
  CloseHandle(process.hThread);
  // The block's message needs this thread: pump until the sender is done.
  pumpMessagesUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 20000, process.hProcess);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return code;
}

TEST_F(HooksTest, HostileDisassemblyBlocksShowNothingAndABlockAtTheCapIsShown) {
  DebuggedProcess debugged;
  debugged.processId = kDebuggedPid;
  setDebuggedProcess(debugged);
  setDebugging(true);
  const std::string pid = " pid=" + std::to_string(kDebuggedPid);
  const std::string cap = std::to_string(kDisassemblyBlockCap);
  const std::string overCap = std::to_string(kDisassemblyBlockCap + 1);
  // lParam 0, 3 and 1 GB; a block freed before the message; address 0; another process's id.
  const char* const kHostile[] = {"8 0",         "8 3", "8 1073741824", "8 8 address=freed", "8 8 address=zero",
                                  "8 8 pid=4243"};
  for (const char* hostile : kHostile) {
    SCOPED_TRACE(hostile);
    std::string arguments = hostile;
    if (arguments.find("pid=") == std::string::npos) arguments += pid;
    EXPECT_EQ(sendBlock(arguments), 0u);
  }
  EXPECT_EQ(sendBlock(overCap + " " + overCap + pid), 0u);
  EXPECT_TRUE(plugPointLog().disassembly.empty());
  EXPECT_EQ(hostHookCounters().disassemblyRefused, 7u);

  // The id alone: an empty text. Exactly at the cap: all of it.
  EXPECT_EQ(sendBlock("4 4" + pid), 0u);
  EXPECT_EQ(sendBlock(cap + " " + cap + pid + " fill=0123456789"), 0u);
  ASSERT_EQ(plugPointLog().disassembly.size(), 2u);
  EXPECT_EQ(plugPointLog().disassembly[0], "");
  EXPECT_EQ(plugPointLog().disassembly[1].size(), kDisassemblyBlockCap - 4);
  EXPECT_EQ(plugPointLog().disassembly[1].substr(0, 12), "012345678901");

  // Not debugging: nothing, whoever sends.
  clearDebuggedProcess();
  setDebugging(false);
  EXPECT_EQ(sendBlock("8 8" + pid), 0u);
  EXPECT_EQ(plugPointLog().disassembly.size(), 2u);
  EXPECT_EQ(fixture().count("private", fieldIs("msg", "0x00015F6B")), 0u);  // answered here, never the host's
}

// The process id alone is not enough: the run must be active (a stale id after the run ended is
// refused) and the program it debugs still running (an id the system gave to another process
// after the program ended is not the run's).
TEST_F(HooksTest, DisassemblyBlocksAreTakenOnlyWhileTheRunOfThatProcessIsActive) {
  const uint32_t refusedBefore = hostHookCounters().disassemblyRefused;
  DebuggedProcess debugged;
  debugged.processId = kDebuggedPid;
  setDebuggedProcess(debugged);
  setDebugging(false);  // the run is over, its id not yet cleared
  EXPECT_EQ(sendBlock("8 8 pid=" + std::to_string(kDebuggedPid)), 0u);
  EXPECT_TRUE(plugPointLog().disassembly.empty());

  // A program that has ended, its id still held (so the system cannot give it out yet).
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION ended{};
  std::string command = "\"" + winePath(TOVALUX_HOST_DIR "/edisasm.exe") + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &ended));
  ASSERT_EQ(WaitForSingleObject(ended.hProcess, 20000), WAIT_OBJECT_0);
  debugged.processId = ended.dwProcessId;
  setDebuggedProcess(debugged);
  setDebugging(true);
  EXPECT_EQ(sendBlock("8 8 pid=" + std::to_string(ended.dwProcessId)), 0u);
  EXPECT_TRUE(plugPointLog().disassembly.empty());
  EXPECT_EQ(hostHookCounters().disassemblyRefused - refusedBefore, 2u);
  CloseHandle(ended.hThread);
  CloseHandle(ended.hProcess);
  clearDebuggedProcess();
  setDebugging(false);
}

int gProcessesSeen = 0;
void countProcess(const CreateProcessCall&) { ++gProcessesSeen; }

void expectHostProceduresBackAndLateMessagesHarmless(HooksTest& test, HostFixture& host, bool restoreOnly) {
  editPeersForTests([](Peers& peers) { peers.debugHooks = {.processCreated = &countProcess}; });
  gProcessesSeen = 0;
  EXPECT_EQ(sendBlock("8 8"), 0u);  // CreateProcessA while running: the rule runs
  EXPECT_EQ(gProcessesSeen, 1);

  if (restoreOnly)
    host.restore();
  else
    host.freeLibraryData();
  ASSERT_TRUE(host.action("window-state after").ok);
  const auto state = host.entries("window-state").back();
  EXPECT_EQ(state.number("main-own-proc"), 1);
  EXPECT_EQ(state.number("toolbar-own-proc"), 1);
  EXPECT_EQ(state.number("mdi-own-proc"), 1);

  // Messages after the toolkit closed reach the host, and nothing of ours runs.
  DebuggedProcess debugged;
  debugged.processId = kDebuggedPid;
  setDebuggedProcess(debugged);
  const size_t since = host.journalSize();
  SendMessageA(host.mainWindow(), 0x362, 0xE001, 0);
  RedrawWindow(host.mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(sendBlock("8 8 pid=4242"), 0u);  // the debugged program's block: shown while running
  EXPECT_EQ(gProcessesSeen, 1);              // the debugging hook passes through now
  EXPECT_TRUE(plugPointLog().disassembly.empty());
  EXPECT_EQ(host.count("private", fieldIs("msg", "0x00015F6B"), since), 1u);
  clearDebuggedProcess();
  editPeersForTests([](Peers& peers) { peers.debugHooks = {}; });
  (void)test;
}

TEST_F(HooksTest, AfterNotificationSixTheHostsProceduresAreBackAndLateMessagesAreHarmless) {
  expectHostProceduresBackAndLateMessagesHarmless(*this, fixture(), false);
}

TEST_F(HooksTest, AfterNotificationSeventeenTheSameHolds) {
  expectHostProceduresBackAndLateMessagesHarmless(*this, fixture(), true);
}

}  // namespace
}  // namespace tovalux::testing
