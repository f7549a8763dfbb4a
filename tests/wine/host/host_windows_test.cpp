// Every accessor against the stand-in IDE's window tree, missing levels, the kept windows and the
// two fallbacks.
#include "host/host_windows.h"

#include <gtest/gtest.h>

#include "common/host_fixture.h"

namespace tovalux {
namespace {

class HostWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { windows.setMainWindow(host().mainWindow()); }
  standin::Host& host() { return fixture.host(); }

  testing::HostFixture fixture{testing::HostOptions{.addPlugin = false}};
  HostWindows windows;
};

TEST_F(HostWindowsTest, EveryAccessorFindsItsWindow) {
  const standin::WindowTree& t = host().tree();
  EXPECT_EQ(windows.mainWindow(), t.main);
  EXPECT_EQ(windows.topDockBar(), t.topDockBar);
  EXPECT_EQ(windows.topToolBar(), t.topToolBar);
  EXPECT_EQ(windows.leftDockBar(), t.leftDockBar);
  EXPECT_EQ(windows.bottomDockBar(), t.bottomDockBar);
  EXPECT_EQ(windows.rightDockBar(), t.rightDockBar);
  EXPECT_EQ(windows.leftPanelItem1022(), t.libraryTree);
  EXPECT_EQ(windows.leftPanelItem1019(), t.programTree);
  EXPECT_EQ(windows.leftPanelItem1058(), t.componentCombo);
  EXPECT_EQ(windows.leftPanelItem1059(), t.eventCombo);
  EXPECT_EQ(windows.leftPanelItem118(), t.propertyGrid);
  EXPECT_EQ(windows.mdiClient(), t.mdiClient);
  EXPECT_EQ(windows.mainToolBar(), t.mainToolBar);
  EXPECT_EQ(windows.bottomPanelItem1001(), t.tipsBox);
  EXPECT_EQ(windows.bottomPanelItem1011(), t.outputBox);
  EXPECT_EQ(windows.bottomPanelItem1224(), t.callStackTree);
  EXPECT_EQ(windows.bottomPanelItem1109(), t.variablesTree);
  EXPECT_EQ(windows.bottomPanelItem1115(), t.variableDescription);
  EXPECT_EQ(windows.bottomPanelItem1010(), t.variableValue);
  EXPECT_EQ(windows.bottomPanelItem1167(), t.stackLevelCombo);
  EXPECT_EQ(windows.bottomPanelItem1187(), t.watchList);
  EXPECT_EQ(windows.bottomPanelItem1182(), t.searchList1);
  EXPECT_EQ(windows.bottomPanelItem1183(), t.searchList2);
  EXPECT_EQ(windows.rightPanelItem1225(), t.toolboxTree);
  EXPECT_EQ(windows.topBarItem629(), t.unitCombo);
  EXPECT_EQ(windows.topBarItem630(), t.memberCombo);
  // The two tool bars share an id at different levels and must not be confused.
  EXPECT_NE(windows.topToolBar(), windows.mainToolBar());
}

TEST_F(HostWindowsTest, AMissingLevelAnswersNothing) {
  HostWindows none;
  EXPECT_EQ(none.leftPanelItem1019(), nullptr);  // no main window at all
  EXPECT_EQ(none.mdiClient(), nullptr);

  DestroyWindow(GetDlgItem(host().tree().bottomDockBar, 130));
  EXPECT_EQ(windows.bottomPanelItem1011(), nullptr);
  EXPECT_EQ(windows.bottomPanelItem1187(), nullptr);
  EXPECT_NE(windows.bottomDockBar(), nullptr);
  EXPECT_NE(windows.leftPanelItem1019(), nullptr);  // other paths unaffected
}

TEST_F(HostWindowsTest, WalksAfreshWhenTheHostRecreatesAWindow) {
  HWND old = windows.rightPanelItem1225();
  DestroyWindow(old);
  HWND replacement = CreateWindowExA(0, "SysTreeView32", "", WS_CHILD, 0, 0, 10, 10, host().tree().toolboxContainer,
                                     reinterpret_cast<HMENU>(1225), nullptr, nullptr);
  EXPECT_EQ(windows.rightPanelItem1225(), replacement);
}

TEST_F(HostWindowsTest, TheWindowFoundIsKeptWhileItStaysWhereTheTableSays) {
  const HWND tree = windows.leftPanelItem1019();
  ASSERT_EQ(tree, host().tree().programTree);
  // A second window of the same id, which a fresh walk would meet first: the kept one is still
  // answered, without a walk.
  HWND twin = CreateWindowExA(0, "SysTreeView32", "", WS_CHILD, 0, 0, 10, 10, GetParent(tree),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(tree))), nullptr, nullptr);
  SetWindowPos(twin, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_EQ(GetDlgItem(GetParent(tree), GetDlgCtrlID(tree)), twin);
  EXPECT_EQ(windows.leftPanelItem1019(), tree);
  // Moved somewhere the table does not name, it is looked for again.
  HWND elsewhere = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const HWND parent = GetParent(tree);
  SetParent(tree, elsewhere);
  EXPECT_EQ(windows.leftPanelItem1019(), twin);
  SetParent(tree, parent);
  DestroyWindow(twin);
  DestroyWindow(elsewhere);
  EXPECT_EQ(windows.leftPanelItem1019(), tree);
}

HWND gFrameWindow = nullptr;
HWND gPropertyForm = nullptr;

TEST_F(HostWindowsTest, MovedItemsAreFoundThroughTheirFallbacks) {
  const standin::WindowTree& t = host().tree();
  gFrameWindow = CreateWindowExA(0, "Static", "frame", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  gPropertyForm = CreateWindowExA(0, "Static", "form", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);

  SetParent(t.eventCombo, gFrameWindow);
  SetParent(t.propertyGrid, gPropertyForm);
  EXPECT_EQ(windows.leftPanelItem1059(), nullptr);  // no fallback sources yet
  EXPECT_EQ(windows.leftPanelItem118(), nullptr);

  windows.setFallbackSources([] { return gFrameWindow; }, [] { return gPropertyForm; });
  EXPECT_EQ(windows.leftPanelItem1059(), t.eventCombo);
  EXPECT_EQ(windows.leftPanelItem118(), t.propertyGrid);

  // The host's own walk wins while it still finds the window.
  SetParent(t.eventCombo, t.leftContainer);
  EXPECT_EQ(windows.leftPanelItem1059(), t.eventCombo);
  gFrameWindow = nullptr;  // "the shell frame does not exist"
  SetParent(t.eventCombo, gPropertyForm);
  EXPECT_EQ(windows.leftPanelItem1059(), nullptr);
}

}  // namespace
}  // namespace tovalux
