// The window layout through the toolkit model: the shell's panes docked as the shell docks them,
// changed as a user changes them, saved to the file's text, read back and put on a new frame.
#include <gtest/gtest.h>

#include <array>

#include "shell/layout_dock.h"
#include "shell/shell_rules.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"

namespace tovalux::layout {
namespace {

using shell_rules::kPanes;
using shell_rules::PaneDock;

std::u16string title(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

// A frame with the twelve panes docked from the pane table, as the shell's buildPaneTable does.
struct ShellFrame {
  HWINDOW frame = 0;
  std::array<HELE, kPaneCount> panes{};
  int floated = 0;
  ShellFrame() {
    frame = XFrameWnd_CreateEx(0, u"Tovalux", u"frame", 0, 0, 0, 1100, 800, nullptr, 47);
    XWnd_SetLayoutSize(frame, 7, 117, 7, 32);
    XFrameWnd_SetView(frame, XLayout_Create(0, 0, 10, 10, frame));
    XWnd_RegEventC(frame, XWM_FLOAT_PANE, [this](bool*) { return ++floated, 0; });
    for (int i = 0; i < kPaneCount; ++i) {
      const shell_rules::PaneLayout& row = kPanes[static_cast<size_t>(i)];
      panes[static_cast<size_t>(i)] =
          XPane_Create(title(kPaneNames[static_cast<size_t>(i)].data()).c_str(), row.width, row.height, frame);
    }
    for (int i = 0; i < kPaneCount; ++i) {
      const shell_rules::PaneLayout& row = kPanes[static_cast<size_t>(i)];
      const HELE p = panes[static_cast<size_t>(i)];
      switch (row.dock) {
        case PaneDock::kLeftGroup: XFrameWnd_AddPane(frame, 0, p, pane_align_left); break;
        case PaneDock::kRightAlone: XFrameWnd_AddPane(frame, 0, p, pane_align_right); break;
        case PaneDock::kBottomGroup: XFrameWnd_AddPane(frame, 0, p, pane_align_bottom); break;
        case PaneDock::kMerged: XFrameWnd_MergePane(frame, panes[static_cast<size_t>(row.mergeInto)], p); break;
      }
    }
    for (int i = 0; i < kPaneCount; ++i)
      if (!kPanes[static_cast<size_t>(i)].initiallyShown) XPane_HidePane(panes[static_cast<size_t>(i)]);
    XWnd_AdjustLayout(frame);
  }
  DockState dock() const {
    XDockLayout l;
    EXPECT_TRUE(XFrameWnd_GetDockLayout(frame, &l));
    return fromToolkit(l, panes);
  }
  void apply(const DockState& d) const {
    const XDockLayout l = toToolkit(d, panes);
    EXPECT_TRUE(XFrameWnd_SetDockLayout(frame, &l));
  }
  XRect rectOf(int i) const {
    XRect r;
    XEle_GetClientRect(panes[static_cast<size_t>(i)], &r);
    XEle_RectClientToWndClient(panes[static_cast<size_t>(i)], &r);
    return r;
  }
};

class LayoutDock : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(XInitXCGUI("Tovalux")); }
  void TearDown() override { XExitXCGUI(); }
};

TEST_F(LayoutDock, TheShellsArrangementIsTheDefaultDock) {
  ShellFrame shell;
  EXPECT_EQ(shell.dock(), defaultDock());
  // Putting the default on it changes nothing (and raises nothing).
  shell.apply(defaultDock());
  EXPECT_EQ(shell.dock(), defaultDock());
}

// A pane closed, one moved to another side, one floated and its window moved, the left splitter
// dragged and a tab chosen; shut down (the file's text), started again (a new frame): the same
// arrangement, every pane where it stood.
TEST_F(LayoutDock, AUsersLayoutComesBackThroughTheFile) {
  ShellFrame before;
  XEle_SendEvent(XEle_GetChildByIndex(before.panes[7], 0), XE_BNCLICK);  // "stack" closed
  XFrameWnd_AddPane(before.frame, 0, before.panes[8], pane_align_right);
  XPane_ShowPane(before.panes[4]);
  XEle_SendEvent(XEle_GetChildByIndex(before.panes[11], 1), XE_BNCLICK);  // floated
  ASSERT_EQ(before.floated, 1);
  const HWINDOW floating = XEle_GetWindow(before.panes[11]);
  const XRect moved{700, 300, 1000, 650};
  XWnd_SetRect(floating, &moved);
  tk::Window* w = tk::getWindow(before.frame);
  tk::leftDown(*w, {329, 300}, 1);
  tk::mouseMove(*w, {369, 300}, 1);
  tk::leftUp(*w, {369, 300}, 0);
  XPane_ShowPane(before.panes[2]);  // brought to the front of its group
  const DockState changed = before.dock();
  EXPECT_EQ(changed.sides[0].size, 360);
  EXPECT_EQ(changed.groups[0].selected, 2);
  EXPECT_EQ(changed.panes[11].floatRect, (Rect{700, 300, 1000, 650}));

  const ReadLayout read = readLayout({true, false, layoutText(changed, std::nullopt)}, defaultDock());
  EXPECT_TRUE(read.problems.empty()) << problemLine(read.problems);
  EXPECT_EQ(read.dock, changed);
  ShellFrame after;
  after.apply(read.dock);
  EXPECT_EQ(after.dock(), changed);
  EXPECT_EQ(after.floated, 1);
  for (int i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(XPane_GetState(after.panes[static_cast<size_t>(i)]), XPane_GetState(before.panes[static_cast<size_t>(i)]))
        << i;
    EXPECT_EQ(XEle_IsShow(after.panes[static_cast<size_t>(i)]), XEle_IsShow(before.panes[static_cast<size_t>(i)])) << i;
    // Where it is displayed (a pane behind a tab keeps the rectangle it last had).
    if (XPane_GetState(before.panes[static_cast<size_t>(i)]) == pane_state_dock &&
        XEle_IsShow(before.panes[static_cast<size_t>(i)])) {
      EXPECT_EQ(after.rectOf(i), before.rectOf(i)) << i;
    }
  }
  XRect r;
  XWnd_GetRect(XEle_GetWindow(after.panes[11]), &r);
  EXPECT_EQ(r, moved);

  // Without floating (a system that offers none), the floated pane docks where it came from.
  ShellFrame docked;
  docked.apply(withoutFloating(read.dock));
  EXPECT_EQ(docked.floated, 0);
  EXPECT_EQ(XPane_GetState(docked.panes[11]), pane_state_dock);
  EXPECT_EQ(docked.dock().panes[11].order, 5);  // after 5, 6, 7, 9, 10
}

// A damaged file puts the default arrangement back on a changed frame; the reset does the same.
TEST_F(LayoutDock, AnUnusableFileGivesTheDefaultArrangement) {
  ShellFrame shell, fresh;
  XFrameWnd_AddPane(shell.frame, 0, shell.panes[0], pane_align_top);
  XPane_FloatPane(shell.panes[5]);
  XPane_HidePane(shell.panes[1]);
  ASSERT_NE(shell.dock(), defaultDock());
  const ReadLayout read = readLayout({true, false, "{\"version\": 1, \"groups\": [}"}, defaultDock());
  ASSERT_EQ(read.problems.size(), 1u);
  shell.apply(read.dock);
  EXPECT_EQ(shell.dock(), defaultDock());
  for (int i = 0; i < kPaneCount; ++i) {
    EXPECT_EQ(XEle_GetWindow(shell.panes[static_cast<size_t>(i)]), shell.frame) << i;
    EXPECT_EQ(XEle_IsShow(shell.panes[static_cast<size_t>(i)]), XEle_IsShow(fresh.panes[static_cast<size_t>(i)])) << i;
    if (XEle_IsShow(fresh.panes[static_cast<size_t>(i)])) {
      EXPECT_EQ(shell.rectOf(i), fresh.rectOf(i)) << i;
    }
  }
}

}  // namespace
}  // namespace tovalux::layout
