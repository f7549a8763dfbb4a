// The Part contract at start-up and shut-down: one Part whose step throws is logged with its
// name, and every other Part still builds, or still gives the host back what it took.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "base/guard.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "lifecycle/lifecycle.h"
#include "panes/module_manager.h"
#include "panes/project_tree.h"
#include "shell/part.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

using testing::HostFixture;

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

class PartsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Theme paths are relative to the current directory, the host's folder.
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
  }
  void SetUp() override { resetFailuresForTests(); }
  void TearDown() override { resetFailuresForTests(); }

  void start(HostFixture& host) {
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    host.pump();
  }

  // What the host must have back after notification 6, whichever Part failed on the way.
  void expectEverythingGivenBack(HostFixture& host) {
    const standin::WindowTree& t = host.tree();
    EXPECT_EQ(shellState(), ShellState::kClosed);
    EXPECT_FALSE(shellExists());
    EXPECT_EQ(GetParent(t.main), nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(t.main, GWL_STYLE)), 0x14CF0000u);
    EXPECT_EQ(host.host().dockBarsVisible(), "1111");
    EXPECT_EQ(subclassCount(), 0u);
    ASSERT_TRUE(host.action("window-state after").ok);
    const standin::JournalEntry state = host.entries("window-state").back();
    EXPECT_EQ(state.number("main-own-proc"), 1);
    EXPECT_EQ(state.number("toolbar-own-proc"), 1);
    EXPECT_EQ(state.number("mdi-own-proc"), 1);
    EXPECT_EQ(state.number("grid-home"), 1);
    EXPECT_EQ(state.number("combo1059-home"), 1);
    for (int slot = 0; slot < static_cast<int>(HostMirror::kCount); ++slot)
      EXPECT_EQ(hostMirror(static_cast<HostMirror>(slot)), nullptr) << slot;
    EXPECT_EQ(peers().syncToolBarState, nullptr);
  }
};

TEST_F(PartsTest, EveryPartHasItsOwnName) {
  std::set<std::string> names;
  for (const Part* part : shellParts()) EXPECT_TRUE(names.insert(part->name).second) << part->name;
  EXPECT_EQ(names.size(), shellParts().size());
}

TEST_F(PartsTest, ATearDownThatThrowsLeavesEveryOtherPartToGiveItsShareBack) {
  // The first Part shut-down reaches, one in the middle, and the frame itself.
  for (const char* failing : {"auxiliary window", "code-page tabs and navigation bar", "debugging", "frame"}) {
    SCOPED_TRACE(failing);
    testing::NotepadSink log("TovaluxLog.txt - 记事本");
    HostFixture host;
    start(host);
    ASSERT_TRUE(shellExists());
    // What the properties pane does with the event combo box while its list is open.
    HWND events = host.tree().eventCombo;
    borrowHostControl(events);
    SetParent(events, shellFrameHwnd());

    armPartFailureForTests(failing, PartStep::kTearDown);
    EXPECT_EQ(host.freeLibraryData(), 0);
    expectEverythingGivenBack(host);
    EXPECT_EQ(failureCount(GuardSite::kPartStep), 1u);
    EXPECT_NE(log.text().find(std::string("Tovalux: ") + failing + " failed to shut down: injected failure"),
              std::string::npos)
        << log.text();
    resetFailuresForTests();
  }
}

TEST_F(PartsTest, ABuildThatThrowsLeavesThatPartOutAndTheRestStarts) {
  testing::NotepadSink log("TovaluxLog.txt - 记事本");
  HostFixture host;
  armPartFailureForTests("project structure tree", PartStep::kBuild);
  start(host);
  EXPECT_EQ(shellState(), ShellState::kRunning);
  EXPECT_NE(log.text().find("Tovalux: project structure tree failed to start: injected failure"), std::string::npos);
  // Without its mirror the router leaves the program tree alone; the Parts after it were built.
  EXPECT_EQ(hostMirror(HostMirror::kProgramTree), nullptr);
  EXPECT_EQ(projectTree(), 0);
  EXPECT_NE(hostMirror(HostMirror::kToolboxTree), nullptr);
  EXPECT_NE(moduleTree(), 0);
  EXPECT_EQ(GetParent(host.tree().main), shellFrameHwnd());
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");

  EXPECT_EQ(host.freeLibraryData(), 0);
  expectEverythingGivenBack(host);
}

TEST_F(PartsTest, WithoutAFrameTheShellStillStartsAndNotificationSixStillRestores) {
  HostFixture host;
  armPartFailureForTests("frame", PartStep::kBuild);
  start(host);
  EXPECT_EQ(shellState(), ShellState::kRunning);
  EXPECT_FALSE(shellExists());
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");

  EXPECT_EQ(host.freeLibraryData(), 0);
  expectEverythingGivenBack(host);
}

}  // namespace
}  // namespace tovalux
