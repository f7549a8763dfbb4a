// The frame's place with two monitors side by side (the runner's two-monitor display: 1280x800 at
// 0,0, the primary, and 1024x768 to its right; the frame is at least 600 pixels each way): a frame
// moved or maximised on the second monitor opens there again after a restart, and one whose
// monitor has gone opens on the primary.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "host/host_paths.h"
#include "lifecycle/lifecycle.h"
#include "shell/layout_rules.h"
#include "shell/shell.h"
#include "toolkit/win32/monitors.h"

namespace tovalux::testing {
namespace {

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

struct Monitors {
  RECT primary{}, second{};  // work areas
};

// The two monitors as the system reports them; the test stops when there are not two.
Monitors monitors() {
  const std::vector<RECT> areas = tk::win32::workAreas();
  Monitors m;
  if (areas.size() == 2) {
    m.primary = areas[0];
    m.second = areas[1];
  }
  return m;
}

void prepareFolder() {
  CreateDirectoryA(hostPath("lib").c_str(), nullptr);
  CreateDirectoryA(hostPath("lib\\Tovalux").c_str(), nullptr);
}

void start(HostFixture& host) {
  SetCurrentDirectoryA(winePath(TOVALUX_HOST_DIR).c_str());
  host.host().show(SW_SHOWNORMAL);
  ASSERT_EQ(host.startShell(), 1);
  ASSERT_TRUE(shellExists());
  serveQueuedMessages();
}

std::string text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

RECT frameRect() {
  RECT r{};
  GetWindowRect(shellFrameHwnd(), &r);
  return r;
}

RECT workAreaOfFrame() {
  const auto info = tk::win32::monitorInfo(MonitorFromWindow(shellFrameHwnd(), MONITOR_DEFAULTTONULL));
  return info ? info->rcWork : RECT{};
}

bool same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

layout::ReadLayout savedLayout() { return layout::readLayout(readFileBytes(layoutFilePath()), layout::defaultDock()); }

class TwoMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "the runner's two-monitor display is not there";
    m_ = monitors();
    ASSERT_GT(m_.second.left, m_.primary.left) << "the second monitor lies right of the primary";
    prepareFolder();
    DeleteFileA(layoutFilePath().c_str());
  }
  Monitors m_;
};

TEST_F(TwoMonitors, AFrameMovedToTheSecondMonitorOpensThereAgain) {
  const RECT wanted{m_.second.left + 60, m_.second.top + 40, m_.second.left + 900, m_.second.top + 700};
  {
    HostFixture host;
    start(host);
    SetWindowPos(shellFrameHwnd(), nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                 wanted.bottom - wanted.top, SWP_NOZORDER);
    serveQueuedMessages();
    ASSERT_TRUE(same(frameRect(), wanted)) << text(frameRect());
    EXPECT_EQ(host.freeLibraryData(), 0);
  }
  const layout::ReadLayout saved = savedLayout();
  ASSERT_TRUE(saved.frame);
  EXPECT_EQ(saved.frame->monitor, (layout::Rect{m_.second.left, m_.second.top, m_.second.right, m_.second.bottom}));
  EXPECT_FALSE(saved.frame->maximized);

  HostFixture again({.keepLayout = true});
  start(again);
  EXPECT_EQ(text(frameRect()), text(wanted));
  EXPECT_TRUE(same(workAreaOfFrame(), m_.second)) << text(workAreaOfFrame());
  EXPECT_EQ(again.freeLibraryData(), 0);
}

TEST_F(TwoMonitors, AFrameMaximisedOnTheSecondMonitorOpensMaximisedThere) {
  const RECT normal{m_.second.left + 100, m_.second.top + 80, m_.second.left + 800, m_.second.top + 700};
  {
    HostFixture host;
    start(host);
    const HWND frame = shellFrameHwnd();
    SetWindowPos(frame, nullptr, normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                 SWP_NOZORDER);
    ShowWindow(frame, SW_MAXIMIZE);
    serveQueuedMessages();
    ASSERT_TRUE(IsZoomed(frame));
    // Maximised, it covers the second monitor's work area and nothing of the primary.
    EXPECT_TRUE(same(workAreaOfFrame(), m_.second));
    RECT onPrimary{};
    const RECT now = frameRect();
    EXPECT_FALSE(IntersectRect(&onPrimary, &now, &m_.primary)) << text(now);
    EXPECT_EQ(host.freeLibraryData(), 0);
  }
  const layout::ReadLayout saved = savedLayout();
  ASSERT_TRUE(saved.frame);
  EXPECT_TRUE(saved.frame->maximized);
  EXPECT_EQ(saved.frame->rect, (layout::Rect{normal.left, normal.top, normal.right, normal.bottom}));
  EXPECT_EQ(saved.frame->monitor, (layout::Rect{m_.second.left, m_.second.top, m_.second.right, m_.second.bottom}));

  HostFixture again({.keepLayout = true});
  start(again);
  const HWND frame = shellFrameHwnd();
  EXPECT_TRUE(IsZoomed(frame));
  EXPECT_TRUE(same(workAreaOfFrame(), m_.second)) << text(workAreaOfFrame());
  RECT onPrimary{};
  const RECT now = frameRect();
  EXPECT_FALSE(IntersectRect(&onPrimary, &now, &m_.primary)) << text(now);
  // Restored, it goes back to its normal place on the second monitor.
  ShowWindow(frame, SW_RESTORE);
  serveQueuedMessages();
  EXPECT_EQ(text(frameRect()), text(normal));
  EXPECT_EQ(again.freeLibraryData(), 0);
}

TEST_F(TwoMonitors, AFrameWhoseMonitorHasGoneOpensOnThePrimary) {
  // Saved maximised on a third monitor, right of the second, that is no longer plugged in.
  const layout::Rect gone{m_.second.right, 0, m_.second.right + 1920, 1040};
  const layout::FramePlace place{{gone.left + 100, 100, gone.left + 1000, 700}, true, gone};
  std::ofstream(layoutFilePath(), std::ios::binary | std::ios::trunc)
      << layout::layoutText(layout::defaultDock(), place);
  HostFixture host({.keepLayout = true});
  start(host);
  const HWND frame = shellFrameHwnd();
  EXPECT_TRUE(IsZoomed(frame));
  EXPECT_TRUE(same(workAreaOfFrame(), m_.primary)) << text(workAreaOfFrame());
  EXPECT_EQ(host.freeLibraryData(), 0);
  // What the next start-up reads is where the frame really was: on the primary.
  const layout::ReadLayout saved = savedLayout();
  ASSERT_TRUE(saved.frame);
  EXPECT_EQ(saved.frame->monitor, (layout::Rect{m_.primary.left, m_.primary.top, m_.primary.right, m_.primary.bottom}));
}

}  // namespace
}  // namespace tovalux::testing
