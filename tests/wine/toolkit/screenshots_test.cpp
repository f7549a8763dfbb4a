// Screenshots of the gallery kept as test artefacts (TOVALUX_ARTEFACTS): the whole frame, the
// frame with an open menu and submenu, and the frame layouts with the compact caption.
#include "toolkit/model/menu.h"
#include "toolkit/win32/gallery/screen_shot.h"
#include "toolkit_screen.h"

namespace tovalux::testing {
namespace {

using Screenshots = ToolkitScreen;

std::string artefactPath(const std::string& name) {
  const char* folder = std::getenv("TOVALUX_ARTEFACTS");
  return (folder != nullptr ? winePath(folder) : programDirectory()) + "\\" + name + ".png";
}

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

TEST_F(Screenshots, FrameLayoutsWithTheCompactCaption) {
  gallery::Gallery g = showGallery(true);
  HWND frame = XWnd_GetHWND(g.frame);
  // The 97-pixel top edge holds the menu bar in the caption row.
  EXPECT_EQ(XEle_GetHeight(g.top), 97);
  EXPECT_TRUE(XC_IsHXCGUI(g.menuBar, XC_MENUBAR));
  EXPECT_TRUE(gallery::saveScreenPng(frame, artefactPath("toolkit-frame-compact")));
}

}  // namespace
}  // namespace tovalux::testing
