// The shell on a Windows 10 prefix: the host main window is layered while the shell stands and
// plain again after it, undocking floats the pane without a word, and WMI is asked once.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/os_info.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "lifecycle/lifecycle.h"
#include "shell/shell.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux {
namespace {

using testing::HostFixture;
using testing::ScriptedUi;

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

void startIn(HostFixture& host) {
  SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
  host.host().show(SW_SHOWNORMAL);
  ASSERT_EQ(host.startShell(), 1);
  ASSERT_TRUE(shellExists());
}

bool layered(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

TEST(ShellOnWindows10, TheHostIsLayeredWhileTheShellStandsAndUndockingFloats) {
  ASSERT_TRUE(isWindows10()) << osCaption();
  HostFixture host;
  HWND main = host.tree().main;
  ASSERT_FALSE(layered(main));
  startIn(host);
  EXPECT_TRUE(layered(main));
  COLORREF key = 1;
  BYTE alpha = 1;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(main, &key, &alpha, &flags));
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));

  // Ten undock clicks float panes and show no message; WMI was asked once in all.
  for (int i : {0, 1, 2, 3, 5, 6, 7, 8, 9, 10}) {
    XEle_SendEvent(XEle_GetChildByIndex(pane(i), 1), XE_BNCLICK);
    host.pump();
    EXPECT_EQ(XPane_GetState(pane(i)), pane_state_float) << i;
  }
  EXPECT_TRUE(host.ui().calls(ScriptedUi::Kind::kMessageBox).empty());
  EXPECT_EQ(shellCounters().undockRefusals, 0u);
  EXPECT_EQ(wmiConnectCount(), 1);

  EXPECT_EQ(host.restore(), 0);
  EXPECT_FALSE(layered(main));
}

TEST(ShellOnWindows10, NotificationSixClearsTheLayeringToo) {
  HostFixture host;
  HWND main = host.tree().main;
  startIn(host);
  ASSERT_TRUE(layered(main));
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_FALSE(layered(main));
  EXPECT_EQ(wmiConnectCount(), 1);
}

}  // namespace
}  // namespace tovalux
