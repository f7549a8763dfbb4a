// The shell around the stand-in IDE in this process: start-up builds the frame with its twelve
// panes around the host main window, both shut-down paths give every host window back, and the
// frame's re-hosting, floating and looks behave.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdio>

#include "base/os_info.h"
#include "base/ui_seams.h"
#include "common/counters.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "lifecycle/descriptor.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "lifecycle/lifecycle.h"
#include "settings/settings.h"
#include "shell/descriptors.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux {
namespace {

// Lets the frame and the host handle what a step caused: serves this thread's queue until it
// holds nothing (no input, posted or sent message, paint or due timer).
void serveQueued() { EXPECT_TRUE(testing::serveQueuedMessages()) << "the message queue never emptied"; }

using standin::Host;

std::string iniPath() { return testing::programDirectory() + "\\lib\\Tovalux\\Tovalux.ini"; }

std::string className(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string windowTitle(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

RECT rectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT elementRectInWindow(HXCGUI element) {
  RECT r{};
  XEle_GetClientRect(element, &r);
  XEle_RectClientToWndClient(element, &r);
  return r;
}

// Where a native window kept over the element stands: its place in the window's pixels.
RECT nativePlaceOver(HXCGUI element) {
  RECT r = elementRectInWindow(element);
  XWnd_UnitsToDevice(XEle_GetWindow(element), &r);
  return r;
}

// The background descriptor an element or window carries now.
std::string descriptorOf(HXCGUI object) {
  const HBKM manager = XC_IsHWINDOW(object) ? XWnd_GetBkManager(object) : XEle_GetBkManager(object);
  const auto* bkm = tk::context().registry.get<tk::BkManager>(manager);
  if (bkm == nullptr) return {};
  const std::u16string& text = bkm->text();
  return std::string(text.begin(), text.end());  // descriptors are ASCII
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The tab button of a pane group with that title (the frame's pane tab bars).
HELE tabButton(const std::string& title) {
  HWINDOW frame = shellFrame();
  for (int i = 0; i < XWnd_GetChildCount(frame); ++i) {
    HXCGUI bar = XWnd_GetChildByIndex(frame, i);
    if (!XC_IsHXCGUI(bar, XC_TABBAR)) continue;
    for (int b = 0; b < XEle_GetChildCount(bar); ++b) {
      HXCGUI button = XEle_GetChildByIndex(bar, b);
      if (XC_IsHXCGUI(button, XC_BUTTON) && XC_wtoa(XBtn_GetText(button).c_str()) == title) return button;
    }
  }
  return 0;
}

bool tabInFront(const std::string& title) {
  HELE button = tabButton(title);
  return button != 0 && XBtn_IsCheck(button);
}

BOOL CALLBACK countFrame(HWND window, LPARAM data) {
  if (className(window) == "Tovalux" && IsWindowVisible(window)) ++*reinterpret_cast<size_t*>(data);
  return TRUE;
}

// Visible top-level windows of class "Tovalux" (the hidden auxiliary window is never shown).
size_t topLevelFrames() {
  size_t frames = 0;
  EnumWindows(&countFrame, reinterpret_cast<LPARAM>(&frames));
  return frames;
}

using testing::fieldIs;
using testing::HostFixture;
using testing::ScriptedUi;

// The real host starts the shell once per process; each test here starts it again.
const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

class ShellTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Theme paths are relative to the current directory, the host's folder.
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
  }

  void SetUp() override {
    resetShellCountersForTests();
    DeleteFileA(iniPath().c_str());
  }

  void start() {
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    host.pump();
  }

  const standin::WindowTree& tree() { return host.tree(); }

  // What the properties pane does while building its view: the layout into pane 2, then the form.
  HWND buildPropertyForm() {
    HELE pane2 = pane(kPaneProperties);
    HXCGUI view = XC_LoadLayout(XC_AnsiToUnicode("lib\\Tovalux\\Dark\\CtrlProView.xml").c_str(), pane2);
    XPane_SetView(pane2, view);
    XEle_AdjustLayout(pane2);
    HELE layout = frameElement("CtrlProLayout");
    if (!XC_IsHELE(layout)) return nullptr;
    return createPropertyForm(layout);
  }

  HostFixture host;
};

TEST_F(ShellTest, StartUpPutsTheHostInsideTheFrameOverTheCodeView) {
  start();
  HWND frame = shellFrameHwnd();
  HWND main = tree().main;
  EXPECT_EQ(className(frame), "Tovalux");
  EXPECT_EQ(windowTitle(frame), "易语言 - Tovalux IDE");
  RECT outer{};
  GetWindowRect(frame, &outer);
  EXPECT_EQ(outer.right - outer.left, 1100);
  EXPECT_EQ(outer.bottom - outer.top, 800);

  EXPECT_EQ(GetParent(main), frame);
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_NE(style & WS_CHILD, 0);
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");
  HXCGUI codeView = frameElement("eCodeView");
  ASSERT_TRUE(XC_IsHELE(codeView));
  EXPECT_TRUE(sameRect(rectInParent(main), nativePlaceOver(codeView)));

  // The settings the start-up wrote back on an empty file.
  EXPECT_EQ(readSetting("Theme", "FontName"), "微软雅黑");
  EXPECT_EQ(readSetting("Theme", "FontSize"), "9");
  EXPECT_EQ(readSetting("Theme", "Caption"), "true");

  // Under Wine the process is elevated.
  HXCGUI userType = frameElement("userType");
  ASSERT_TRUE(XC_IsHXCGUI(userType, XC_BUTTON));
  EXPECT_EQ(XC_wtoa(XBtn_GetText(userType).c_str()), isElevated() ? "管理员" : "非管理员");

  // A second notification 1 builds nothing more.
  EXPECT_EQ(host.startShell(), 1);
  EXPECT_EQ(topLevelFrames(), 1u);
  EXPECT_EQ(shellFrameHwnd(), frame);
}

TEST_F(ShellTest, TwelvePanesInTheirGroupsWithTheFirstTabsInFront) {
  start();
  const char* titles[] = {"易支持库", "项目结构", "组件属性", "常用模块",  "系统组件",  "帮助提示",
                          "调试输出", "断点栈堆", "变量监视", "搜寻结果1", "搜寻结果2", "反汇编显示"};
  for (int i = 0; i < kPaneCount; ++i) {
    HELE each = pane(i);
    ASSERT_TRUE(XC_IsHXCGUI(each, XC_PANE)) << i;
    EXPECT_EQ(XEle_GetID(each), 10001 + i);
    EXPECT_EQ(XC_wtoa(XPane_GetTitle(each).c_str()), titles[i]);
    EXPECT_EQ(XPane_IsShowPane(each), i != kPaneToolbox) << i;
  }
  EXPECT_TRUE(tabInFront("易支持库"));
  EXPECT_TRUE(tabInFront("帮助提示"));
  EXPECT_FALSE(tabInFront("调试输出"));
  // The left group's tabs share one bar, the bottom group's another.
  HELE left = XEle_GetParentEle(tabButton("项目结构")), bottom = XEle_GetParentEle(tabButton("反汇编显示"));
  EXPECT_EQ(XEle_GetParentEle(tabButton("常用模块")), left);
  EXPECT_EQ(XEle_GetParentEle(tabButton("变量监视")), bottom);
  EXPECT_NE(left, bottom);

  // Activation by title, after the user brought another tab forward.
  activatePaneByTitle("调试输出");
  EXPECT_TRUE(tabInFront("调试输出"));
  EXPECT_FALSE(tabInFront("帮助提示"));
  activatePaneByTitle("帮助提示");
  EXPECT_TRUE(tabInFront("帮助提示"));
  activatePaneByTitle("没有这个窗格");
  EXPECT_TRUE(tabInFront("帮助提示"));
  // The toolbox pane shows and hides on request.
  showToolboxPane(true);
  EXPECT_TRUE(XPane_IsShowPane(pane(kPaneToolbox)));
  showToolboxPane(false);
  EXPECT_FALSE(XPane_IsShowPane(pane(kPaneToolbox)));
}

TEST_F(ShellTest, TopMarginFollowsTheCaptionSetting) {
  writeSetting("Theme", "Caption", "fasle");
  start();
  const int withoutCaption = elementRectInWindow(frameElement("eCodeView")).top;
  host.freeLibraryData();
  host.host().destroyWindows();

  resetLifecycleForTests();
  ASSERT_TRUE(host.createWindows());
  writeSetting("Theme", "Caption", "TRUE");
  start();
  EXPECT_EQ(elementRectInWindow(frameElement("eCodeView")).top - withoutCaption, 117 - 97);
}

TEST_F(ShellTest, StoredSizesOpenTheFrameAndInvalidOnesFallBack) {
  writeSetting("Theme", "WinodwWidth", "1300");
  writeSetting("Theme", "WinodwHeight", "0");
  start();
  RECT r{};
  GetWindowRect(shellFrameHwnd(), &r);
  EXPECT_EQ(r.right - r.left, 1100);
  EXPECT_EQ(r.bottom - r.top, 800);
  // The end of a move or resize stores the size.
  SetWindowPos(shellFrameHwnd(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(shellFrameHwnd(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(readSetting("Theme", "WinodwWidth"), "900");
  EXPECT_EQ(readSetting("Theme", "WinodwHeight"), "700");
}

TEST_F(ShellTest, NotificationSixGivesEveryHostWindowBack) {
  // The host's own styles, taken before start-up (the properties pane borrows the grid there).
  HWND grid = tree().propertyGrid, events = tree().eventCombo;
  const LONG gridExStyle = GetWindowLongA(grid, GWL_EXSTYLE);
  const LONG gridStyle = GetWindowLongA(grid, GWL_STYLE);
  start();
  HWND gridParent = tree().leftContainer, eventsParent = GetParent(events);
  HWND form = buildPropertyForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(GetParent(grid), form);
  EXPECT_EQ(GetWindowLongA(grid, GWL_STYLE) & WS_BORDER, 0);
  EXPECT_EQ(GetWindowLongA(grid, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(GetParent(form), shellFrameHwnd());
  // The walk still finds the grid through the form.
  EXPECT_EQ(hostWindows().leftPanelItem118(), grid);
  // What the properties pane does with the event combo while its list is open.
  borrowHostControl(events);
  SetParent(events, shellFrameHwnd());
  MoveWindow(events, -5000, -5000, 0, 0, FALSE);
  EXPECT_EQ(hostWindows().leftPanelItem1059(), events);

  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(shellState(), ShellState::kClosed);
  EXPECT_FALSE(shellExists());
  HWND main = tree().main;
  EXPECT_EQ(GetParent(main), nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE)), 0x14CF0000u);
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_FALSE(IsWindow(form));
  ASSERT_TRUE(IsWindow(grid));
  ASSERT_TRUE(IsWindow(events));
  EXPECT_EQ(GetParent(grid), gridParent);
  EXPECT_EQ(GetParent(events), eventsParent);
  EXPECT_EQ(GetWindowLongA(grid, GWL_EXSTYLE), gridExStyle);
  EXPECT_EQ(GetWindowLongA(grid, GWL_STYLE), gridStyle);
  EXPECT_EQ(subclassCount(), 0u);
}

TEST_F(ShellTest, NotificationSeventeenKeepsTheFormAndTheHostRunsOn) {
  start();
  HWND form = buildPropertyForm();
  ASSERT_NE(form, nullptr);
  HWND grid = tree().propertyGrid;
  EXPECT_EQ(host.restore(), 0);
  EXPECT_EQ(shellState(), ShellState::kClosed);
  EXPECT_TRUE(IsWindow(form));
  EXPECT_EQ(GetParent(form), nullptr);
  EXPECT_FALSE(IsWindowVisible(form));
  EXPECT_EQ(GetParent(grid), tree().leftContainer);
  EXPECT_EQ(GetParent(tree().main), nullptr);
  EXPECT_EQ(topLevelFrames(), 0u);

  // The host goes on: two seconds of its own traffic (pages, caption, run state, its controls).
  const DWORD until = GetTickCount() + 2000;
  int rounds = 0;
  while (GetTickCount() < until) {
    ASSERT_TRUE(host.action("page-open \"程序集: 窗口程序集_启动窗口\"").ok);
    ASSERT_TRUE(host.action("run-state running").ok);
    ASSERT_TRUE(host.action("run-state idle").ok);
    ASSERT_TRUE(host.action("page-close \"程序集: 窗口程序集_启动窗口\"").ok);
    SendMessageA(tree().outputBox, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("编译成功\r\n"));
    MoveWindow(tree().main, 0, 0, 800 + rounds % 50, 600, TRUE);
    host.pump();
    ++rounds;
  }
  EXPECT_GT(rounds, 0);
  // A later notification 1 answers 1 and builds nothing.
  EXPECT_EQ(host.startShell(), 1);
  EXPECT_EQ(topLevelFrames(), 0u);
  EXPECT_EQ(shellState(), ShellState::kClosed);
  releasePropertyForm(true);
}

TEST_F(ShellTest, AttachAndDetachATopLevelWindow) {
  start();
  HWND window = CreateWindowExA(0, "STATIC", "top", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 30, 40, 200, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  ASSERT_TRUE(attachWindow(shellFrameHwnd(), window, 10, 20, 120, 60));
  EXPECT_EQ(GetParent(window), shellFrameHwnd());
  EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_TRUE(sameRect(rectInParent(window), RECT{10, 20, 130, 80}));

  ASSERT_TRUE(detachWindow(window, 5, 6));
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), style);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 6);
  EXPECT_EQ(r.right - r.left, 120);  // the size is kept

  // A second detach finds no record and changes nothing.
  EXPECT_FALSE(detachWindow(window, 0, 0));
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), style);
  EXPECT_TRUE(IsWindowVisible(window));
  DestroyWindow(window);
}

TEST_F(ShellTest, TheHostIsMovedOnlyWhenTheCodeViewMoved) {
  start();
  HWND main = tree().main;
  const ShellCounters before = shellCounters();
  for (int i = 0; i < 20; ++i) syncHostWindow();
  EXPECT_EQ(shellCounters().hostWindowMoves, before.hostWindowMoves);
  EXPECT_EQ(shellCounters().hostWindowSyncs, before.hostWindowSyncs + 20);

  // A frame resize moves the code view and the host follows it.
  SetWindowPos(shellFrameHwnd(), nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
  serveQueued();
  EXPECT_GT(shellCounters().hostWindowMoves, before.hostWindowMoves);
  EXPECT_TRUE(sameRect(rectInParent(main), nativePlaceOver(frameElement("eCodeView"))));

  // Idle: the host main window paints at most twice in two seconds.
  serveQueued();  // the resize's own paints
  const int paints = host.host().mainPaintCount();
  const uint32_t moves = shellCounters().hostWindowMoves;
  // Two seconds of idling, served as they come: what is measured is what the time brings.
  testing::pumpMessagesUntil([] { return false; }, 2000);
  EXPECT_LE(host.host().mainPaintCount() - paints, 2);
  EXPECT_EQ(shellCounters().hostWindowMoves, moves);
}

TEST_F(ShellTest, FloatingThePropertiesPaneAndClosingItsWindowPutsTheGridBack) {
  start();
  HWND form = buildPropertyForm();
  ASSERT_NE(form, nullptr);
  HWND grid = tree().propertyGrid;
  HELE pane2 = pane(kPaneProperties);
  XPane_FloatPane(pane2);
  serveQueued();
  ASSERT_EQ(XPane_GetState(pane2), pane_state_float);
  HWINDOW floating = XEle_GetWindow(pane2);
  ASSERT_NE(floating, shellFrame());
  EXPECT_EQ(GetParent(form), XWnd_GetHWND(floating));
  EXPECT_EQ(descriptorOf(floating), descriptor::kFloatingPaneWindow);

  SendMessageA(XWnd_GetHWND(floating), WM_CLOSE, 0, 0);
  serveQueued();
  ASSERT_TRUE(IsWindow(form));
  ASSERT_TRUE(IsWindow(grid));
  EXPECT_EQ(GetParent(form), shellFrameHwnd());
  EXPECT_EQ(GetParent(grid), form);

  // A floating window destroyed without its close event does not take the form along.
  XPane_FloatPane(pane2);
  serveQueued();
  floating = XEle_GetWindow(pane2);
  ASSERT_EQ(GetParent(form), XWnd_GetHWND(floating));
  DestroyWindow(XWnd_GetHWND(floating));
  serveQueued();
  EXPECT_TRUE(IsWindow(form));
  EXPECT_TRUE(IsWindow(grid));
  EXPECT_EQ(GetParent(form), shellFrameHwnd());

  // The disassembly pane's floating window has a background of its own.
  XPane_FloatPane(pane(kPaneDisassembly));
  serveQueued();
  EXPECT_EQ(descriptorOf(XEle_GetWindow(pane(kPaneDisassembly))), descriptor::kFloatingDisassemblyWindow);
}

TEST_F(ShellTest, UndockIsRefusedWithAMessageBeforeWindows10) {
  if (isWindows10()) GTEST_SKIP() << "a Windows 10 prefix floats the pane";
  start();
  host.ui().answerMessageBox(IDOK);
  host.ui().answerMessageBox(IDOK);
  HELE help = pane(kPaneHelpTips);
  HXCGUI undock = XEle_GetChildByIndex(help, 1);
  ASSERT_TRUE(XC_IsHELE(undock));
  XEle_SendEvent(undock, XE_BNCLICK);
  XEle_SendEvent(undock, XE_BNCLICK);
  EXPECT_EQ(shellCounters().undockRefusals, 2u);
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "目前停靠功能仅 Windows 10 操作系统支持");
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(XPane_GetState(help), pane_state_dock);
  EXPECT_EQ(GetWindowLongA(tree().main, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}

TEST_F(ShellTest, DebuggingLookAndBackLeavesTheFrameAsCreated) {
  start();
  HWND frame = shellFrameHwnd();
  auto capture = [frame] {
    RECT r{};
    GetClientRect(frame, &r);
    HDC screen = GetDC(frame), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    BitBlt(memory, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    std::string pixels(static_cast<size_t>(r.right * r.bottom * 4), '\0');
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, r.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(frame, screen);
    return pixels;
  };
  serveQueued();
  const std::string created = capture();
  applyFrameLook(true);
  serveQueued();
  EXPECT_NE(capture(), created);
  HXCGUI top = frameElement("winTopEdge");
  EXPECT_EQ(descriptorOf(top), descriptor::kFrameTopDebugging);
  applyFrameLook(false);
  serveQueued();
  EXPECT_EQ(capture(), created);
  EXPECT_EQ(descriptorOf(top), descriptor::kFrameTopNormal);
  EXPECT_EQ(descriptorOf(pane(kPaneWatch)), descriptor::kPane);
}

TEST_F(ShellTest, FiftyLookRoundsLeakNothing) {
  start();
  serveQueued();
  const testing::ResourceCounts before = testing::countResources();
  for (int i = 0; i < 50; ++i) {
    applyFrameLook(true);
    applyFrameLook(false);
    styleTabBars();
    serveQueued();
  }
  serveQueued();
  const testing::ResourceCounts after = testing::countResources();
  EXPECT_GT(before.gdiObjects, 0);  // the counters read something
  EXPECT_NEAR(after.gdiObjects, before.gdiObjects, 2);
  EXPECT_NEAR(after.userObjects, before.userObjects, 2);
  EXPECT_NEAR(after.handles, before.handles, 2);
  std::printf("before: %s\nafter:  %s\n", testing::describe(before).c_str(), testing::describe(after).c_str());
}

TEST_F(ShellTest, ARefusedCloseTakesTheHostBackAndASecondYesCloses) {
  start();
  HWND main = tree().main;
  ASSERT_TRUE(host.action("mode refuse-close 1").ok);
  // The frame's close: the question, Yes; the host refuses (its save prompt cancelled).
  host.ui().answerMessageBox(IDYES);
  SendMessageA(shellFrameHwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(host.waitForJournal("close-refused"));
  ASSERT_TRUE(host.pumpUntil([] { return shellCounters().refusedCloses == 1; }));
  EXPECT_TRUE(shellExists());
  EXPECT_EQ(GetParent(main), shellFrameHwnd());
  EXPECT_NE(GetWindowLongA(main, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_TRUE(sameRect(rectInParent(main), nativePlaceOver(frameElement("eCodeView"))));
  auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Tovalux 提示");
  EXPECT_EQ(boxes[0].text, "你确定退出并关闭易语言吗?");
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(boxes[0].owner, shellFrameHwnd());

  // No leaves everything as it is.
  host.ui().answerMessageBox(IDNO);
  SendMessageA(shellFrameHwnd(), WM_CLOSE, 0, 0);
  host.pump();
  EXPECT_EQ(host.count("close-refused"), 1u);
  EXPECT_EQ(GetParent(main), shellFrameHwnd());

  // Yes on the close button: this time the host closes, with notification 6 outside our handler.
  host.ui().answerMessageBox(IDYES);
  XEle_SendEvent(frameElement("winClose"), XE_BNCLICK);
  ASSERT_TRUE(host.waitForJournal("closed"));
  boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].title, "提示");
  EXPECT_EQ(host.count("notify", fieldIs("code", 6)), 1u);
  EXPECT_EQ(host.count("close-refused") + host.count("closed"), 2u);  // two WM_CLOSE in all
  EXPECT_FALSE(shellExists());
  EXPECT_EQ(shellState(), ShellState::kClosed);
}

std::atomic<int> gPageFocus{0};
LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) ++gPageFocus;
  return DefMDIChildProcA(window, message, wParam, lParam);
}

HWINDOW gTip = 0;
HWINDOW tipSource() { return gTip; }

TEST_F(ShellTest, FocusGoesToTheActivePageAndTheTipFollowsTheCorner) {
  start();
  HWND mdi = tree().mdiClient;
  // No page: the hand-over sends nothing.
  gPageFocus = 0;
  SetCursorPos(2000, 2000);
  SendMessageA(shellFrameHwnd(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(gPageFocus.load(), 0);

  WNDCLASSA wc{};
  wc.lpfnWndProc = &pageProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ShellTestPage";
  RegisterClassA(&wc);
  MDICREATESTRUCTA create{
      "ShellTestPage", "程序集: 窗口程序集_启动窗口", GetModuleHandleA(nullptr), 0, 0, 300, 200, WS_VISIBLE, 0};
  HWND page = reinterpret_cast<HWND>(SendMessageA(mdi, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  ASSERT_NE(page, nullptr);
  SendMessageA(mdi, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(page), 0);
  gPageFocus = 0;
  SendMessageA(shellFrameHwnd(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(gPageFocus.load(), 1);
  SendMessageA(mdi, WM_MDIDESTROY, reinterpret_cast<WPARAM>(page), 0);

  // The update tip stays at the frame's lower right corner.
  gTip = XWnd_CreateEx(0, L"", L"tip", 0, 0, 0, 100, 50, nullptr, 0);
  editPeersForTests([](Peers& peers) { peers.updateTipWindow = &tipSource; });
  SetWindowPos(shellFrameHwnd(), nullptr, 40, 30, 1000, 700, SWP_NOZORDER);
  serveQueued();
  RECT tip{};
  GetWindowRect(XWnd_GetHWND(gTip), &tip);
  EXPECT_TRUE(sameRect(tip, RECT{40 + 1000 - 418, 30 + 700 - 146, 40 + 1000 - 418 + 400, 30 + 700 - 146 + 106}));
  editPeersForTests([](Peers& peers) { peers.updateTipWindow = nullptr; });
  XWnd_CloseWindow(gTip);
}

TEST_F(ShellTest, ThePropertyFormFollowsThePropertiesPane) {
  start();
  HWND form = buildPropertyForm();
  ASSERT_NE(form, nullptr);
  HELE pane2 = pane(kPaneProperties);
  activatePaneByTitle("组件属性");
  serveQueued();
  // Over "CtrlProLayout", with the host's grid filling it and shown.
  EXPECT_TRUE(sameRect(rectInParent(form), nativePlaceOver(frameElement("CtrlProLayout"))));
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_TRUE(sameRect(rectInParent(tree().propertyGrid), client));
  EXPECT_TRUE(IsWindowVisible(tree().propertyGrid));
  // Hiding the pane hides the form; showing it again shows it.
  XPane_HidePane(pane2);
  serveQueued();
  EXPECT_FALSE(IsWindowVisible(form));
  XPane_ShowPane(pane2);
  serveQueued();
  EXPECT_TRUE(IsWindowVisible(form));
}

TEST_F(ShellTest, CaptionButtonsOpenTheProjectFolderAndTheGroupPage) {
  // A project file that exists, with a comma and a blank in its path.
  const std::string folder = testing::programDirectory() + "\\工程 a,b";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string project = folder + "\\演示.e";
  CloseHandle(CreateFileA(project.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  setElevationOverride(ElevationOverride::kNotElevated);
  start();
  EXPECT_EQ(XC_wtoa(XBtn_GetText(frameElement("userType")).c_str()), "非管理员");

  // No project: the button does nothing.
  EXPECT_EQ(currentProjectPath(), "");
  XEle_SendEvent(frameElement("proJectNameBtn"), XE_BNCLICK);
  EXPECT_TRUE(host.ui().calls(ScriptedUi::Kind::kShellExecute).empty());

  ASSERT_TRUE(host.action("project \"" + project + "\"").ok);
  EXPECT_EQ(currentProjectPath(), project);
  ASSERT_TRUE(host.action("run-state paused").ok);
  EXPECT_EQ(currentProjectPath(), project);
  ASSERT_TRUE(host.action("project \"" + project + "\" variant=test").ok);
  EXPECT_EQ(currentProjectPath(), project);  // the third piece
  host.ui().answerShellExecute(true);
  XEle_SendEvent(frameElement("proJectNameBtn"), XE_BNCLICK);
  // No feedback address set: the group button is disabled and opens nothing; once one is set,
  // it opens that.
  EXPECT_FALSE(XEle_IsEnable(frameElement("JoinQQGroup")));
  XEle_SendEvent(frameElement("JoinQQGroup"), XE_BNCLICK);
  EXPECT_EQ(host.ui().calls(ScriptedUi::Kind::kShellExecute).size(), 1u);
  ASSERT_TRUE(writeSetting(setting::kHelpSection, setting::kFeedbackUrl, "https://127.0.0.1/group"));
  host.ui().answerShellExecute(true);
  XEle_SendEvent(frameElement("JoinQQGroup"), XE_BNCLICK);
  writeSetting(setting::kHelpSection, setting::kFeedbackUrl, "");
  const auto launches = host.ui().calls(ScriptedUi::Kind::kShellExecute);
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[0].text, explorerPath());
  EXPECT_NE(launches[0].text, "explorer.exe");  // never by its bare name
  EXPECT_EQ(launches[0].parameters, "/select,\"" + project + "\"");
  EXPECT_EQ(launches[1].title, "open");
  EXPECT_EQ(launches[1].text, "https://127.0.0.1/group");
  DeleteFileA(project.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(ShellTest, NotificationSixWithoutAShellWritesItsLineOnly) {
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(log.text(), "#NL_FREE_LIB_DATA\r\n");
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_EQ(shellState(), ShellState::kLoaded);
}

}  // namespace
}  // namespace tovalux
