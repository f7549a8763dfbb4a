// The in-process harness in use: the shell started and taken down again.
#include <gtest/gtest.h>

#include "common/host_fixture.h"

namespace tovalux::testing {
namespace {

TEST(ShellInProcess, StartUpHidesTheDockBarsAndShutDownGivesThemBack) {
  HostFixture host;
  ASSERT_EQ(host.host().dockBarsVisible(), "1111");
  ASSERT_EQ(host.startShell(), 1);
  EXPECT_EQ(host.host().dockBarsVisible(), "0000");
  EXPECT_TRUE(host.waitForJournal("host-call", fieldIs("code", 1)));  // it asked for the main window

  EXPECT_EQ(host.freeLibraryData(), 0);
  EXPECT_EQ(host.host().dockBarsVisible(), "1111");
}

}  // namespace
}  // namespace tovalux::testing
