// The window layout from one session to the next, on a Windows 10 prefix (panes float there): a
// layout changed as a user changes it (a pane closed with its caption button, one floated with its
// undock button and its window moved, the left splitter dragged, a tab chosen, the frame moved;
// one pane moved to another side through the toolkit, which offers no dragging onto a side), shut
// down and started again, stands as it stood; a damaged file gives the default layout and one
// Notepad line; 重置窗口布局 gives the default now, and the next shut-down saves it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "host/host_paths.h"
#include "lifecycle/lifecycle.h"
#include "shell/layout_dock.h"
#include "shell/layout_rules.h"
#include "shell/shell.h"
#include "toolkit/win32/monitors.h"
#include "toolkit/win32/xcgui_win32.h"
#include "wine/toolkit/toolkit_screen.h"

namespace tovalux::testing {
namespace {

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

constexpr int kResetLayoutItem = 1011;  // 视图(W), after the pane toggles

void prepareFolder() {
  CreateDirectoryA(hostPath("lib").c_str(), nullptr);
  CreateDirectoryA(hostPath("lib\\Tovalux").c_str(), nullptr);
}

void writeLayoutFile(const std::string& text) {
  std::ofstream(layoutFilePath(), std::ios::binary | std::ios::trunc) << text;
}

void start(HostFixture& host) {
  SetCurrentDirectoryA(winePath(TOVALUX_HOST_DIR).c_str());
  host.host().show(SW_SHOWNORMAL);
  ASSERT_EQ(host.startShell(), 1);
  ASSERT_TRUE(shellExists());
  showInFront(shellFrameHwnd());
  parkCursor();
}

HELE tabOf(const wchar_t* title) {
  const HWINDOW frame = shellFrame();
  for (int i = 0; i < XWnd_GetChildCount(frame); ++i) {
    HELE bar = XWnd_GetChildByIndex(frame, i);
    if (!XC_IsHXCGUI(bar, XC_TABBAR)) continue;
    for (int k = 0; k < XTabBar_GetLabelCount(bar); ++k)
      if (XBtn_GetText(XTabBar_GetLabel(bar, k)) == title) return XTabBar_GetLabel(bar, k);
  }
  return 0;
}

RECT screenRectOf(HELE element) {
  RECT r = clientRect(element);
  MapWindowPoints(XEle_GetHWND(element), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// What the user sees of the layout: each pane's state, whether it is displayed and where on the
// screen, and the frame's place.
struct Seen {
  std::array<int, kPaneCount> state{};
  std::array<bool, kPaneCount> displayed{};
  std::array<std::string, kPaneCount> where{};
  std::string frame;
  bool zoomed = false;
};

Seen seen() {
  Seen s;
  for (int i = 0; i < kPaneCount; ++i) {
    const HELE p = pane(i);
    s.state[static_cast<size_t>(i)] = XPane_GetState(p);
    s.displayed[static_cast<size_t>(i)] = XEle_IsShow(p) && IsWindowVisible(XEle_GetHWND(p));
    if (s.displayed[static_cast<size_t>(i)]) s.where[static_cast<size_t>(i)] = text(screenRectOf(p));
  }
  RECT frame{};
  GetWindowRect(shellFrameHwnd(), &frame);
  s.frame = text(frame);
  s.zoomed = IsZoomed(shellFrameHwnd()) != FALSE;
  return s;
}

void expectSame(const Seen& after, const Seen& before) {
  for (size_t i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(after.state[i], before.state[i]) << "pane " << i;
    EXPECT_EQ(after.displayed[i], before.displayed[i]) << "pane " << i;
    EXPECT_EQ(after.where[i], before.where[i]) << "pane " << i;
  }
  EXPECT_EQ(after.frame, before.frame);
  EXPECT_EQ(after.zoomed, before.zoomed);
}

layout::DockState liveDock() {
  XDockLayout l;
  EXPECT_TRUE(XFrameWnd_GetDockLayout(shellFrame(), &l));
  std::array<HELE, kPaneCount> panes{};
  for (int i = 0; i < kPaneCount; ++i) panes[static_cast<size_t>(i)] = pane(i);
  return layout::fromToolkit(l, panes);
}

layout::ReadLayout savedLayout() { return layout::readLayout(readFileBytes(layoutFilePath()), layout::defaultDock()); }

TEST(WindowLayout, ALayoutMadeByHandComesBackAfterARestart) {
  prepareFolder();
  DeleteFileA(layoutFilePath().c_str());
  Seen before;
  {
    HostFixture host;
    start(host);
    const HWND frame = shellFrameHwnd();
    EXPECT_EQ(liveDock(), layout::defaultDock());
    // Closed with its caption's close button, once its tab brought it forward.
    click(frame, centre(tabOf(L"断点栈堆")));
    click(frame, centre(XEle_GetChildByIndex(pane(kPaneStack), 0)));
    EXPECT_EQ(XPane_GetState(pane(kPaneStack)), pane_state_hidden);
    // Floated with its undock button; its window moved and sized.
    click(frame, centre(tabOf(L"反汇编显示")));
    click(frame, centre(XEle_GetChildByIndex(pane(kPaneDisassembly), 1)));
    ASSERT_EQ(XPane_GetState(pane(kPaneDisassembly)), pane_state_float);
    const HWND floating = XEle_GetHWND(pane(kPaneDisassembly));
    ASSERT_NE(floating, frame);
    SetWindowPos(floating, nullptr, 620, 180, 360, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    serveQueued();
    // To the right side.
    XFrameWnd_AddPane(shellFrame(), 0, pane(kPaneWatch), pane_align_right);
    serveQueued();
    // The left side's splitter dragged 40 pixels to the right.
    const int width = XEle_GetWidth(pane(kPaneLibraries));
    const RECT left = clientRect(pane(kPaneLibraries));
    const POINT grip{left.right + 2, (left.top + left.bottom) / 2};
    moveTo(frame, grip);
    buttonDown();
    moveTo(frame, {grip.x + 40, grip.y});
    release();
    EXPECT_EQ(XEle_GetWidth(pane(kPaneLibraries)), width + 40);
    // A tab chosen.
    click(frame, centre(tabOf(L"项目结构")));
    EXPECT_TRUE(XEle_IsShow(pane(kPaneProject)));
    // The frame moved and sized.
    SetWindowPos(frame, nullptr, 30, 20, 1000, 720, SWP_NOZORDER);
    serveQueued();
    before = seen();
    EXPECT_EQ(before.state[kPaneDisassembly], pane_state_float);
    RECT window{};
    GetWindowRect(floating, &window);
    EXPECT_EQ(text(window), "620,180-980,480");
    EXPECT_EQ(host.freeLibraryData(), 0);
  }
  const layout::ReadLayout saved = savedLayout();
  EXPECT_TRUE(saved.problems.empty()) << layout::problemLine(saved.problems);
  EXPECT_FALSE(saved.dock.panes[kPaneStack].shown);
  EXPECT_TRUE(saved.dock.panes[kPaneDisassembly].floating);
  EXPECT_EQ(saved.dock.panes[kPaneDisassembly].floatRect, (layout::Rect{620, 180, 980, 480}));
  EXPECT_EQ(saved.dock.panes[kPaneWatch].side, layout::Side::kRight);
  ASSERT_TRUE(saved.frame);
  EXPECT_EQ(saved.frame->rect, (layout::Rect{30, 20, 1030, 740}));

  HostFixture again({.keepLayout = true});
  start(again);
  expectSame(seen(), before);
  EXPECT_EQ(liveDock(), saved.dock);
  EXPECT_EQ(again.freeLibraryData(), 0);
}

TEST(WindowLayout, ADamagedFileGivesTheDefaultLayoutAndOneNotepadLine) {
  prepareFolder();
  writeLayoutFile("{\"version\": 1, \"groups\": [{\"side\": \"left\"");
  NotepadSink log("TovaluxLog.txt - 记事本");
  HostFixture host({.keepLayout = true});
  start(host);
  const std::string lines = log.text();
  EXPECT_NE(lines.find("Tovalux: Layout.json: the file is damaged"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("Layout.json"), lines.rfind("Layout.json")) << "one line: " << lines;
  EXPECT_EQ(liveDock(), layout::defaultDock());
  EXPECT_EQ(XPane_GetState(pane(kPaneToolbox)), pane_state_hidden);
  EXPECT_TRUE(XEle_IsShow(pane(kPaneLibraries)));
  EXPECT_TRUE(XEle_IsShow(pane(kPaneHelpTips)));
  // The frame where it opens without a layout: centred, at the settings' size.
  EXPECT_FALSE(IsZoomed(shellFrameHwnd()));
  EXPECT_EQ(host.freeLibraryData(), 0);
  // The damaged file was replaced by the layout the session ended with.
  const layout::ReadLayout saved = savedLayout();
  EXPECT_TRUE(saved.problems.empty()) << layout::problemLine(saved.problems);
  EXPECT_EQ(saved.dock, layout::defaultDock());
}

TEST(WindowLayout, AnOldVersionAndAPlaceOffScreenAreNotUsed) {
  prepareFolder();
  // Version 0 moved every pane; the next file keeps the panes but puts the frame far off screen.
  writeLayoutFile("{\"version\": 0, \"groups\": [], \"panes\": []}");
  {
    NotepadSink log("TovaluxLog.txt - 记事本");
    HostFixture host({.keepLayout = true});
    start(host);
    EXPECT_NE(log.text().find("Tovalux: Layout.json: the file's version 0 is not known"), std::string::npos)
        << log.text();
    EXPECT_EQ(liveDock(), layout::defaultDock());
    EXPECT_EQ(host.freeLibraryData(), 0);
  }
  layout::DockState moved = layout::defaultDock();
  moved.panes[kPaneModules] = {true, false, {}, layout::Side::kBottom, 2, 7};
  writeLayoutFile(layout::layoutText(moved, layout::FramePlace{{-30000, -30000, -28900, -29200}, false, {}}));
  NotepadSink log("TovaluxLog.txt - 记事本");
  HostFixture host({.keepLayout = true});
  start(host);
  EXPECT_EQ(log.text().find("Layout.json"), std::string::npos) << "an unreachable place is no problem of the file";
  RECT frame{};
  GetWindowRect(shellFrameHwnd(), &frame);
  const std::vector<RECT> areas = tk::win32::workAreas();
  ASSERT_FALSE(areas.empty());
  const RECT& primary = areas[0];
  const LONG width = std::min<LONG>(1100, primary.right - primary.left);
  const LONG height = std::min<LONG>(800, primary.bottom - primary.top);
  // Centred on the primary monitor at the saved size (cut to the monitor).
  EXPECT_EQ(frame.left, primary.left + (primary.right - primary.left - width) / 2);
  EXPECT_EQ(frame.top, primary.top + (primary.bottom - primary.top - height) / 2);
  EXPECT_EQ(frame.right - frame.left, std::max<LONG>(width, 600));
  EXPECT_EQ(liveDock().panes[kPaneModules].group, 2) << "the panes' part of the file still counts";
  EXPECT_EQ(host.freeLibraryData(), 0);
}

TEST(WindowLayout, TheResetGivesTheDefaultNowAndTheNextShutDownSavesIt) {
  prepareFolder();
  layout::DockState moved = layout::defaultDock();
  moved.panes[kPaneLibraries].shown = false;
  moved.panes[kPaneSearch1] = {true, true, {100, 100, 400, 400}, layout::Side::kBottom, 2, 4};
  writeLayoutFile(layout::layoutText(moved, std::nullopt));
  HostFixture host({.keepLayout = true});
  start(host);
  ASSERT_EQ(XPane_GetState(pane(kPaneSearch1)), pane_state_float);
  ASSERT_EQ(XPane_GetState(pane(kPaneLibraries)), pane_state_hidden);
  const HWINDOW floating = XEle_GetWindow(pane(kPaneSearch1));
  XEle_SendEvent(frameElement("winMainTopMenu"), XE_MENU_SELECT, kResetLayoutItem);
  serveQueued();
  EXPECT_FALSE(XC_IsHWINDOW(floating));
  EXPECT_EQ(liveDock(), layout::defaultDock());
  EXPECT_TRUE(XEle_IsShow(pane(kPaneLibraries)));
  EXPECT_EQ(XEle_GetHWND(pane(kPaneSearch1)), shellFrameHwnd());
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(savedLayout().dock, layout::defaultDock());
}

}  // namespace
}  // namespace tovalux::testing
