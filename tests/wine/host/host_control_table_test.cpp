// The host-control table held against the stand-in IDE's window tree, which is built from its
// own ids (standin/window_tree.h) and so serves as the oracle: every row's path reaches the
// window the stand-in made for it, with the row's id and class, and a control the shell moves is
// found where it went.
#include "host/host_control_table.h"

#include <gtest/gtest.h>

#include <string>

#include "common/host_fixture.h"
#include "host/host_windows.h"

namespace tovalux {
namespace {

// The stand-in's own handle for each row; the switch names every row (a new row without an
// oracle entry is a compiler warning).
HWND oracle(const standin::WindowTree& t, HostControl control) {
  switch (control) {
    case HostControl::kTopDockBar: return t.topDockBar;
    case HostControl::kTopToolBar: return t.topToolBar;
    case HostControl::kLeftDockBar: return t.leftDockBar;
    case HostControl::kBottomDockBar: return t.bottomDockBar;
    case HostControl::kRightDockBar: return t.rightDockBar;
    case HostControl::kMainToolBar: return t.mainToolBar;
    case HostControl::kMdiClient: return t.mdiClient;
    case HostControl::kUnitCombo: return t.unitCombo;
    case HostControl::kMemberCombo: return t.memberCombo;
    case HostControl::kToolboxTree: return t.toolboxTree;
    case HostControl::kComponentCombo: return t.componentCombo;
    case HostControl::kEventCombo: return t.eventCombo;
    case HostControl::kPropertyGrid: return t.propertyGrid;
    case HostControl::kLibraryTree: return t.libraryTree;
    case HostControl::kProgramTree: return t.programTree;
    case HostControl::kCompletionList: return nullptr;  // a pop-up, made on demand (below)
    case HostControl::kOutputTabs: return t.bottomTabs;
    case HostControl::kTipsText: return t.tipsBox;
    case HostControl::kOutputText: return t.outputBox;
    case HostControl::kCallStack: return t.callStackTree;
    case HostControl::kVariables: return t.variablesTree;
    case HostControl::kVariableDescription: return t.variableDescription;
    case HostControl::kVariableValue: return t.variableValue;
    case HostControl::kStackLevelCombo: return t.stackLevelCombo;
    case HostControl::kWatchList: return t.watchList;
    case HostControl::kSearchResults1: return t.searchList1;
    case HostControl::kSearchResults2: return t.searchList2;
    case HostControl::kCount: break;
  }
  return nullptr;
}

std::string classOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

BOOL CALLBACK findUntitledDialog(HWND window, LPARAM found) {
  char title[8] = {};
  if (classOf(window) != "#32770" || GetWindowTextA(window, title, sizeof title) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

class HostControlTable : public ::testing::Test {
 protected:
  void SetUp() override { windows.setMainWindow(fixture.mainWindow()); }
  const standin::WindowTree& tree() { return fixture.tree(); }

  testing::HostFixture fixture{testing::HostOptions{.addPlugin = false}};
  HostWindows windows;
};

TEST_F(HostControlTable, EveryPathReachesTheStandInsWindowWithItsIdAndClass) {
  for (const HostControlRow& row : kHostControls) {
    SCOPED_TRACE(row.role);
    if (row.path.length == 0) continue;
    const HWND expected = oracle(tree(), row.control);
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(windows.find(row.control), expected);
    EXPECT_EQ(GetDlgCtrlID(expected), row.path.id);
    if (row.className != nullptr) {
      EXPECT_EQ(classOf(expected), row.className);
    }
  }
  // The output tab strip is the parent of the bottom controls the router reads it from.
  EXPECT_EQ(windows.find(HostControl::kOutputTabs), GetParent(windows.bottomPanelItem1011()));
}

TEST_F(HostControlTable, MovedControlsAreFoundWhereTheShellPutThem) {
  static HWND frame = nullptr;
  static HWND form = nullptr;
  frame = CreateWindowExA(0, "Static", "frame", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  form = CreateWindowExA(0, "Static", "form", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  windows.setFallbackSources([] { return frame; }, [] { return form; });
  int moved = 0;
  for (const HostControlRow& row : kHostControls) {
    SCOPED_TRACE(row.role);
    if (row.movedTo == MovedTo::kNowhere) continue;
    ++moved;
    const HWND control = oracle(tree(), row.control);
    const HWND home = GetParent(control);
    SetParent(control, row.movedTo == MovedTo::kShellFrame ? frame : form);
    EXPECT_EQ(windows.find(row.control), control);
    if (row.className != nullptr) {
      EXPECT_EQ(classOf(windows.find(row.control)), row.className);
    }
    // Where the shell did not put it, it is not found.
    SetParent(control, row.movedTo == MovedTo::kShellFrame ? form : frame);
    EXPECT_EQ(windows.find(row.control), nullptr);
    SetParent(control, home);
    EXPECT_EQ(windows.find(row.control), control);
  }
  EXPECT_EQ(moved, 2);  // the event combo box and the property grid
  DestroyWindow(frame);
  DestroyWindow(form);
}

TEST_F(HostControlTable, TheCompletionListIsAPopUpNoPathReaches) {
  const HostControlRow& row = hostControlRow(HostControl::kCompletionList);
  ASSERT_TRUE(fixture.action("complete-show images=0").ok);
  HWND popup = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &findUntitledDialog, reinterpret_cast<LPARAM>(&popup));
  ASSERT_NE(popup, nullptr);
  const HWND list = GetDlgItem(popup, row.path.id);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(classOf(list), row.className);
  EXPECT_EQ(windows.find(HostControl::kCompletionList), nullptr);
  EXPECT_TRUE(fixture.action("complete-close").ok);
}

}  // namespace
}  // namespace tovalux
