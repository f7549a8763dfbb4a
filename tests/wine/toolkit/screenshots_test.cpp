// Screenshots of the gallery kept as test artefacts (TOVALUX_ARTEFACTS): the whole frame, the
// frame with an open menu and submenu, and the theme's frame layouts alone.
#include "toolkit/model/menus/menu.h"
#include "toolkit/win32/gallery/screen_shot.h"
#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

using Screenshots = ToolkitScreen;

TEST_F(Screenshots, GalleryFrame) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  moveTo(frame, centre(g.runButton));  // one button in its hover look
  EXPECT_TRUE(gallery::saveScreenPng(frame, artefactPath("toolkit-gallery")));
}

TEST_F(Screenshots, GalleryWithAnOpenMenu) {
  gallery::Gallery g = showGallery();
  HWND frame = XWnd_GetHWND(g.frame);
  click(frame, centre(XEle_GetChildByIndex(g.menuBar, 0)));
  ASSERT_TRUE(tk::menuIsOpen());
  // Down to 最近打开(R) with the keyboard, its submenu open, the pointer on its second entry.
  for (int i = 0; i < 8; ++i) key(VK_DOWN);
  key(VK_RIGHT);
  key(VK_DOWN);
  HWND sub = XWnd_GetHWND(tk::menuPopup(1));
  ASSERT_TRUE(IsWindow(sub));
  EXPECT_TRUE(gallery::saveScreenPng(frame, artefactPath("toolkit-gallery-menu")));
  key(VK_ESCAPE);
  key(VK_ESCAPE);
  EXPECT_FALSE(tk::menuIsOpen());
}

// The theme's frame layouts as the toolkit renders them, nothing filled in: the caption row,
// menu bar and tool-bar rows, the edges, the view's tabs, navigation bar, code area and scroll
// bars, and the status bar.
TEST_F(Screenshots, FrameLayouts) {
  for (bool compact : {false, true}) {
    gallery::Gallery g = gallery::buildFrameLayouts(themeFolder(), compact);
    ASSERT_TRUE(XC_IsHWINDOW(g.frame));
    // Each file gave its edge, with the margins the frame was given.
    EXPECT_EQ(XEle_GetHeight(g.top), compact ? 97 : 117);
    EXPECT_EQ(XEle_GetWidth(g.left), 7);
    EXPECT_EQ(XEle_GetWidth(g.right), 7);
    EXPECT_EQ(XEle_GetHeight(g.bottom), 32);
    EXPECT_TRUE(XC_IsHXCGUI(g.menuBar, XC_MENUBAR));
    EXPECT_TRUE(XC_IsHXCGUI(g.codeTabs, XC_TABBAR));
    EXPECT_TRUE(XC_IsHELE(g.codeView));
    XWnd_ShowWindow(g.frame, SW_SHOW);
    HWND frame = XWnd_GetHWND(g.frame);
    showInFront(frame);
    EXPECT_TRUE(gallery::saveScreenPng(
        frame, artefactPath(compact ? "toolkit-frame-layouts-compact" : "toolkit-frame-layouts")));
    XWnd_CloseWindow(g.frame);
  }
}

}  // namespace
}  // namespace tovalux::testing
