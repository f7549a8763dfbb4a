// The notification protocol played by the stand-in IDE in this process: start-up steps,
// repeated and early notification 1, the restore paths, pop-up logging and IDE functions.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/win32_support.h"
#include "host.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "lifecycle/descriptor.h"
#include "lifecycle/lifecycle.h"

namespace tovalux {
namespace {

using standin::Host;
using standin::JournalEntry;

size_t countKind(const std::vector<JournalEntry>& entries, const std::string& kind) {
  return static_cast<size_t>(
      std::count_if(entries.begin(), entries.end(), [&](const auto& e) { return e.kind == kind; }));
}

std::string dockBarsVisible() { return Host::instance().dockBarsVisible(); }

int32_t notifyStart() {
  return Host::instance().notifyAll(1, static_cast<int32_t>(reinterpret_cast<intptr_t>(&standin::hostNotifyEntry)), 0);
}

class NotificationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(Host::instance().addLibrary(&GetNewInf, "in-process")); }

  void SetUp() override { Host::instance().journal().clear(); }
  void TearDown() override {
    // Every test leaves the library closed and the host without windows.
    Host::instance().notifyAll(6);
    Host::instance().destroyWindows();
  }
};

TEST_F(NotificationTest, StartUpHidesTheDockBarsAndAsksForTheMainWindow) {
  Host& host = Host::instance();
  ASSERT_TRUE(host.createWindows());
  ASSERT_EQ(dockBarsVisible(), "1111");
  EXPECT_EQ(notifyStart(), 1);
  EXPECT_EQ(dockBarsVisible(), "0000");
  EXPECT_EQ(lifecycleState(), LifecycleState::kRunning);
  EXPECT_EQ(hostWindows().mainWindow(), host.mainWindow());
  EXPECT_EQ(getHostMainWindow(), host.mainWindow());
  const auto calls = host.journal().entriesOfKind("host-call");
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].number("code"), 1);
  EXPECT_EQ(calls[0].get("thread"), "ui");

  EXPECT_EQ(host.notifyAll(6), 0);
  EXPECT_EQ(dockBarsVisible(), "1111");
  EXPECT_EQ(lifecycleState(), LifecycleState::kClosed);
}

TEST_F(NotificationTest, EarlyNotificationBuildsNothingAndALaterOneGoesOn) {
  Host& host = Host::instance();
  EXPECT_EQ(notifyStart(), 1);  // the host has no main window yet
  EXPECT_EQ(lifecycleState(), LifecycleState::kWaitingForHost);
  EXPECT_EQ(host.notifyAll(6), 0);  // nothing to restore
  EXPECT_EQ(lifecycleState(), LifecycleState::kWaitingForHost);

  ASSERT_TRUE(host.createWindows());
  EXPECT_EQ(notifyStart(), 1);
  EXPECT_EQ(lifecycleState(), LifecycleState::kRunning);
  EXPECT_EQ(dockBarsVisible(), "0000");
}

int32_t gSecondHostCalls = 0;
int32_t __stdcall secondHostFunction(int32_t code, int32_t param1, int32_t param2) {
  ++gSecondHostCalls;
  return standin::hostNotifyEntry(code, param1, param2);
}

TEST_F(NotificationTest, ARepeatedNotificationReplacesTheHostFunctionAndHidesTheBarsAgain) {
  Host& host = Host::instance();
  ASSERT_TRUE(host.createWindows());
  ASSERT_EQ(notifyStart(), 1);
  ShowWindow(host.tree().leftDockBar, SW_SHOW);

  gSecondHostCalls = 0;
  EXPECT_EQ(host.notifyAll(1, static_cast<int32_t>(reinterpret_cast<intptr_t>(&secondHostFunction)), 0), 1);
  EXPECT_EQ(hostNotifyFunction(), &secondHostFunction);
  EXPECT_GE(gSecondHostCalls, 2);
  EXPECT_EQ(dockBarsVisible(), "0000");
  EXPECT_EQ(lifecycleState(), LifecycleState::kRunning);
  getHostMainWindow();
  EXPECT_GE(gSecondHostCalls, 3);
}

TEST_F(NotificationTest, RestoreWithoutTheLogLine) {
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  Host& host = Host::instance();
  ASSERT_TRUE(host.createWindows());
  ASSERT_EQ(notifyStart(), 1);
  EXPECT_EQ(host.notifyAll(17), 0);
  EXPECT_EQ(dockBarsVisible(), "1111");
  EXPECT_EQ(log.text(), "");
  EXPECT_EQ(lifecycleState(), LifecycleState::kClosed);

  // Notification 6 after that changes nothing but writes its line.
  ShowWindow(host.tree().topDockBar, SW_HIDE);
  EXPECT_EQ(host.notifyAll(6), 0);
  EXPECT_EQ(log.text(), "#NL_FREE_LIB_DATA\r\n");
  EXPECT_EQ(dockBarsVisible(), "0111");
}

TEST_F(NotificationTest, UnlistedCodesAnswerZeroAndChangeNothing) {
  Host& host = Host::instance();
  ASSERT_TRUE(host.createWindows());
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  for (int32_t code : {0, 2, 3, 5, 7, 16, 20, 42, -1}) EXPECT_EQ(host.notifyAll(code, 3, 7), 0) << code;
  EXPECT_EQ(countKind(host.journal().entries(), "host-call"), 0u);
  EXPECT_EQ(lifecycleState() == LifecycleState::kRunning, false);
  EXPECT_EQ(dockBarsVisible(), "1111");
  EXPECT_EQ(log.text(), "");
}

TEST_F(NotificationTest, PopupMenuIsLoggedAndAnsweredByState) {
  Host& host = Host::instance();
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  EXPECT_EQ(host.notifyAll(19, 3, 7), 0);  // before start-up: logged only
  EXPECT_EQ(log.text(), "弹出菜单 : 3,7\r\n");

  ASSERT_TRUE(host.createWindows());
  ASSERT_EQ(notifyStart(), 1);
  log.clear();
  EXPECT_EQ(host.notifyAll(19, -12, 2147483647), 1);
  EXPECT_EQ(log.text(), "弹出菜单 : -12,2147483647\r\n");
}

TEST_F(NotificationTest, IdeFunctionsPassOneBlockOfTwoValues) {
  Host& host = Host::instance();
  ASSERT_TRUE(host.createWindows());
  ASSERT_EQ(notifyStart(), 1);
  host.journal().clear();

  EXPECT_TRUE(runIdeFunction(ide::kShowHelpAt, 11, 4));
  EXPECT_EQ(queryIdeValue(ide::kQueryPageKind, -5), ide::kPageNone);
  EXPECT_EQ(queryIdeValue(ide::kQueryCaretRow, -5), 0);
  const auto calls = host.journal().entriesOfKind("ide");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].get("number"), "0x01010042");
  EXPECT_EQ(calls[0].number("p1"), 11);
  EXPECT_EQ(calls[0].number("p2"), 4);
  EXPECT_EQ(calls[1].get("number"), "0x05030002");
  EXPECT_NE(calls[1].number("p1"), 0);  // the address of the slot
}

TEST_F(NotificationTest, NothingReachesAHostThatNeverHandedItsFunctionOver) {
  const NotifyFunction saved = hostNotifyFunction();
  setHostNotifyFunction(nullptr);
  EXPECT_FALSE(runIdeFunction(ide::kSaveProject));
  EXPECT_EQ(getHostMainWindow(), nullptr);
  setHostNotifyFunction(saved);
}

}  // namespace
}  // namespace tovalux
