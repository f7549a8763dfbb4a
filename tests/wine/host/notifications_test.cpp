// The notification protocol played by the stand-in IDE in this process: start-up steps,
// repeated and early notification 1, the restore paths, pop-up logging and IDE functions.
#include <gtest/gtest.h>

#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "host/shell_state.h"
#include "lifecycle/lifecycle.h"

namespace tovalux {
namespace {

using testing::fieldIs;
using testing::HostFixture;
using testing::HostOptions;

// The real host starts the shell once per process; each test here starts it again.
const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

TEST(Notifications, StartUpHidesTheDockBarsAndAsksForTheMainWindow) {
  HostFixture host;
  ASSERT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_EQ(host.startShell(), 1);
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");
  EXPECT_EQ(shellState(), ShellState::kRunning);
  EXPECT_EQ(hostWindows().mainWindow(), host.mainWindow());
  EXPECT_EQ(getHostMainWindow(), host.mainWindow());
  const auto calls = host.entries("host-call");
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].number("code"), 1);
  EXPECT_EQ(calls[0].get("thread"), "ui");

  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_EQ(shellState(), ShellState::kClosed);
}

TEST(Notifications, EarlyNotificationBuildsNothingAndALaterOneGoesOn) {
  HostFixture host(HostOptions{.createWindows = false});
  EXPECT_EQ(host.startShell(), 1);  // the host has no main window yet
  EXPECT_EQ(shellState(), ShellState::kWaiting);
  EXPECT_FALSE(host.host().librariesRunning());
  EXPECT_EQ(host.freeLibraryData(), 0);  // nothing to restore
  EXPECT_EQ(shellState(), ShellState::kWaiting);

  ASSERT_TRUE(host.createWindows());
  EXPECT_EQ(host.startShell(), 1);
  EXPECT_EQ(shellState(), ShellState::kRunning);
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");
}

int32_t gSecondHostCalls = 0;
int32_t __stdcall secondHostFunction(int32_t code, int32_t param1, int32_t param2) {
  ++gSecondHostCalls;
  return standin::hostNotifyEntry(code, param1, param2);
}

TEST(Notifications, ARepeatedNotificationReplacesTheHostFunctionAndHidesTheBarsAgain) {
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  ShowWindow(host.tree().leftDockBar, SW_SHOW);

  gSecondHostCalls = 0;
  EXPECT_EQ(host.notify(1, static_cast<int32_t>(reinterpret_cast<intptr_t>(&secondHostFunction))), 1);
  EXPECT_EQ(hostNotifyFunction(), &secondHostFunction);
  EXPECT_GE(gSecondHostCalls, 2);
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");
  EXPECT_EQ(shellState(), ShellState::kRunning);
  getHostMainWindow();
  EXPECT_GE(gSecondHostCalls, 3);
}

TEST(Notifications, ANotificationOneAfterSixOrSeventeenAnswersAndTouchesNothing) {
  for (const int32_t closing : {6, 17}) {
    SCOPED_TRACE(closing);
    HostFixture host;
    ASSERT_EQ(host.startShell(), 1);
    const NotifyFunction hostFunction = hostNotifyFunction();
    ASSERT_EQ(host.notify(closing), 0);
    ASSERT_EQ(host.host().dockBarsVisible(), "1111");
    const size_t since = host.journalSize();

    gSecondHostCalls = 0;
    EXPECT_EQ(host.notify(1, static_cast<int32_t>(reinterpret_cast<intptr_t>(&secondHostFunction))), 1);
    EXPECT_EQ(host.host().dockBarsVisible(), "1111");  // not hidden for good
    EXPECT_EQ(hostNotifyFunction(), hostFunction);
    EXPECT_EQ(gSecondHostCalls, 0);
    EXPECT_EQ(host.count("host-call", {}, since), 0u);
    EXPECT_EQ(host.notify(1, 0), 1);
    EXPECT_EQ(hostNotifyFunction(), hostFunction);
    EXPECT_EQ(shellState(), ShellState::kClosed);
    EXPECT_EQ(GetParent(host.mainWindow()), nullptr);
  }
}

TEST(Notifications, ANotificationOneWithoutAFunctionKeepsTheHostsForTheRestore) {
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  const NotifyFunction hostFunction = hostNotifyFunction();
  EXPECT_EQ(host.notify(1, 0), 1);
  EXPECT_EQ(hostNotifyFunction(), hostFunction);
  EXPECT_EQ(shellState(), ShellState::kRunning);
  // Notification 6 still finds the main window and gives everything back.
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(shellState(), ShellState::kClosed);
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_EQ(GetParent(host.mainWindow()), nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(host.mainWindow(), GWL_STYLE)), 0x14CF0000u);
}

TEST(Notifications, RestoreWithoutTheLogLine) {
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  EXPECT_EQ(host.restore(), 0);
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(shellState(), ShellState::kClosed);

  // Notification 6 after that changes nothing but writes its line.
  ShowWindow(host.tree().topDockBar, SW_HIDE);
  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(log.text(), "#NL_FREE_LIB_DATA\r\n");
  EXPECT_EQ(host.host().dockBarsVisible(), "0111");
}

TEST(Notifications, UnlistedCodesAnswerZeroAndChangeNothing) {
  HostFixture host;
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  for (int32_t code : {0, 2, 3, 5, 7, 16, 20, 42, -1}) EXPECT_EQ(host.notify(code, 3, 7), 0) << code;
  EXPECT_EQ(host.count("host-call"), 0u);
  EXPECT_NE(shellState(), ShellState::kRunning);
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
  EXPECT_EQ(log.text(), "");
}

TEST(Notifications, PopupMenuIsLoggedAndAnsweredByState) {
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  HostFixture host(HostOptions{.createWindows = false});
  EXPECT_EQ(host.popupMenu(3, 7), 0);  // before start-up: logged only
  EXPECT_EQ(log.text(), "弹出菜单 : 3,7\r\n");

  ASSERT_TRUE(host.createWindows());
  ASSERT_EQ(host.startShell(), 1);
  log.clear();
  EXPECT_EQ(host.popupMenu(-12, 2147483647), 1);
  EXPECT_EQ(log.text(), "弹出菜单 : -12,2147483647\r\n");
}

TEST(Notifications, IdeFunctionsPassOneBlockOfTwoValues) {
  HostFixture host;
  ASSERT_EQ(host.startShell(), 1);
  const size_t since = host.journalSize();

  EXPECT_TRUE(runIdeFunction(ide::kShowHelpAt, 11, 4));
  EXPECT_EQ(queryIdeValue(ide::kQueryPageKind, -5), ide::kPageNone);
  EXPECT_EQ(queryIdeValue(ide::kQueryCaretRow, -5), 0);
  const auto calls = host.entries("ide", since);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].get("number"), "0x01010042");
  EXPECT_EQ(calls[0].number("p1"), 11);
  EXPECT_EQ(calls[0].number("p2"), 4);
  EXPECT_EQ(calls[1].get("number"), "0x05030002");
  EXPECT_NE(calls[1].number("p1"), 0);  // the address of the slot
}

TEST(Notifications, NothingReachesAHostThatNeverHandedItsFunctionOver) {
  const NotifyFunction saved = hostNotifyFunction();
  setHostNotifyFunction(nullptr);
  EXPECT_FALSE(runIdeFunction(ide::kSaveProject));
  EXPECT_EQ(getHostMainWindow(), nullptr);
  setHostNotifyFunction(saved);
}

}  // namespace
}  // namespace tovalux
