// Dock panes on screen: tab labels bringing panes to the front (37), the active caption while
// the focus is inside a pane, floating a pane into a window of its own (28690) and docking it
// back by closing that window or by its caption button, and dragging a splitter.
#include <string>
#include <vector>

#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

class Panes : public ToolkitScreen {
 protected:
  void SetUp() override {
    ToolkitScreen::SetUp();
    g_ = showGallery();
    frame_ = XWnd_GetHWND(g_.frame);
  }
  // The pane-group tab label showing `title`.
  HELE tabOf(const wchar_t* title) {
    for (int i = 0; i < XWnd_GetChildCount(g_.frame); ++i) {
      HELE bar = XWnd_GetChildByIndex(g_.frame, i);
      if (!XC_IsHXCGUI(bar, XC_TABBAR)) continue;
      for (int k = 0; k < XTabBar_GetLabelCount(bar); ++k)
        if (XBtn_GetText(XTabBar_GetLabel(bar, k)) == title) return XTabBar_GetLabel(bar, k);
    }
    return 0;
  }
  gallery::Gallery g_;
  HWND frame_ = nullptr;
};

TEST_F(Panes, TabsBringTheirPaneToTheFront) {
  HELE help = g_.panes[5], output = g_.panes[6];
  ASSERT_TRUE(XC_IsHXCGUI(help, XC_PANE));
  EXPECT_TRUE(XEle_IsShow(output));
  std::vector<std::string> events;
  for (auto [pane, name] : {std::pair{help, "help"}, std::pair{output, "output"}}) {
    std::string n = name;
    XEle_RegEventC(pane, XE_SHOW, [&events, n](bool shown, bool*) {
      events.push_back(n + (shown ? ":shown" : ":hidden"));
      return 0;
    });
  }
  HELE tab = tabOf(L"帮助提示");
  ASSERT_NE(tab, 0u);
  EXPECT_EQ(XBtn_GetBindEle(tab), help);
  click(frame_, centre(tab));
  EXPECT_EQ(events, (std::vector<std::string>{"output:hidden", "help:shown"}));
  EXPECT_TRUE(XBtn_IsCheck(tab));
  // The tab-bar look of the gallery (as the shell styles them): the chosen tab's text is blue.
  RECT label = clientRect(tab);
  EXPECT_GT(Capture(frame_).count(label, RGB(0, 151, 251)), 10);
  RECT shown = clientRect(help);
  EXPECT_GT(shown.right - shown.left, 100) << "the help pane now fills the group";
}

TEST_F(Panes, FocusInsideAPaneGivesItsCaptionTheActiveLook) {
  HELE project = g_.panes[1];
  RECT pane = clientRect(project);
  const POINT caption{pane.left + 20, pane.top + 3};
  const COLORREF inactive = Capture(frame_).at(caption);
  EXPECT_EQ(inactive, RGB(0x2D, 0x2D, 0x30)) << "WinBg";
  std::vector<int> focus;
  XEle_RegEventC(project, XE_SETFOCUS, [&focus](bool*) {
    focus.push_back(31);
    return 0;
  });
  XEle_RegEventC(project, XE_KILLFOCUS, [&focus](bool*) {
    focus.push_back(32);
    return 0;
  });
  click(frame_, centre(g_.projectTree));
  EXPECT_EQ(focus, std::vector<int>{31});
  EXPECT_EQ(Capture(frame_).at(caption), RGB(0, 122, 204)) << "the active caption's fill";
  click(frame_, centre(g_.outputEdit));
  EXPECT_EQ(focus, (std::vector<int>{31, 32}));
  EXPECT_EQ(Capture(frame_).at(caption), inactive);
}

TEST_F(Panes, FloatingAPaneAndDockingItBack) {
  HELE project = g_.panes[1];
  HWINDOW floated = 0;
  HELE floatedPane = 0;
  XWnd_RegEventC(g_.frame, XWM_FLOAT_PANE, [&](HWINDOW window, HELE pane, bool*) {
    floated = window;
    floatedPane = pane;
    return 0;
  });
  RECT before = clientRect(project);
  MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&before), 2);
  HELE floatButton = XEle_GetChildByIndex(project, 1);
  ASSERT_TRUE(XC_IsHXCGUI(floatButton, XC_BUTTON));
  click(frame_, centre(floatButton));
  ASSERT_TRUE(XC_IsHWINDOW(floated));
  EXPECT_EQ(floatedPane, project);
  EXPECT_EQ(XPane_GetState(project), pane_state_float);
  HWND window = XWnd_GetHWND(floated);
  ASSERT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetWindow(window, GW_OWNER), frame_);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CHILD, 0);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  EXPECT_STREQ(name, L"TovaluxPane");
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, before.left) << "it opens where the pane was";
  EXPECT_EQ(r.top, before.top);
  EXPECT_EQ(XEle_GetHWND(g_.projectTree), window) << "the pane's view moved along";
  // The gallery's styling (rows 16/17, a title band): the active floating window's WinBd fill.
  EXPECT_EQ(Capture(window).at(30, 5), RGB(0, 122, 204));
  saveArtefact(window, "toolkit-floating-pane");
  // Smaller than its minimum: refused.
  MoveWindow(window, r.left, r.top, 120, 90, TRUE);
  serveQueued();
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 200);

  // Closing it docks the pane back (window event 16's default action).
  SendMessageW(window, WM_CLOSE, 0, 0);
  waitFor("the floating window closed", [&] { return IsWindow(window) == FALSE; });
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(XC_IsHWINDOW(floated));
  EXPECT_EQ(XPane_GetState(project), pane_state_dock);
  EXPECT_EQ(XEle_GetHWND(g_.projectTree), frame_);

  // Floated again (its window shows the title; the pane has no caption of its own there): a
  // handler that takes the close keeps it floating.
  POINT again = centre(XEle_GetChildByIndex(project, 1));
  click(frame_, {again.x - 3, again.y});  // off the first click's spot: no double click
  ASSERT_EQ(XPane_GetState(project), pane_state_float);
  window = XWnd_GetHWND(floated);
  EXPECT_EQ(XEle_GetWidth(XEle_GetChildByIndex(project, 1)), 0);
  XWnd_RegEventC(floated, WM_CLOSE, [](WPARAM, LPARAM, bool* handled) {
    *handled = true;
    return 0;
  });
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(XPane_GetState(project), pane_state_float);
}

TEST_F(Panes, DraggingASplitterResizesTheSide) {
  HELE project = g_.panes[1];
  const int width = XEle_GetWidth(project);
  RECT pane = clientRect(project);
  // The left side's splitter lies just right of its panes.
  POINT grip{pane.right + 2, (pane.top + pane.bottom) / 2};
  moveTo(frame_, grip);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
  buttonDown();
  moveTo(frame_, {grip.x + 40, grip.y});
  release();
  EXPECT_EQ(XEle_GetWidth(project), width + 40);
  XPane_ShowPane(g_.panes[0]);  // another pane of the group, brought to the front
  EXPECT_EQ(XEle_GetWidth(g_.panes[0]), width + 40) << "the whole side follows";
}

}  // namespace
}  // namespace tovalux::testing
