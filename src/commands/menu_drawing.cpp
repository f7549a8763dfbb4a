// Owner drawing of the bar menus and context menus, and the bar buttons' looks while a menu is
// open. Colours are RGB; the toolkit takes alpha 255 separately.
#include "commands/menu_drawing.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>

#include "base/gbk.h"
#include "base/guard.h"
#include "commands/commands.h"
#include "commands/commands_internal.h"
#include "commands/menu_table.h"
#include "shell/descriptors.h"
#include "shell/shell.h"

namespace tovalux {
namespace {

using namespace commands;

constexpr XColor rgb(int r, int g, int b) { return static_cast<XColor>(r | g << 8 | b << 16); }

constexpr XColor kFrameLine = rgb(51, 51, 51);
constexpr XColor kFill = rgb(27, 27, 28);
constexpr XColor kHotFill = rgb(51, 51, 52);
constexpr XColor kSeparatorLine = rgb(51, 51, 52);
constexpr XColor kArrow = rgb(153, 153, 153);
constexpr XColor kArrowDisabled = rgb(100, 100, 100);
constexpr XColor kArrowHot = rgb(0, 122, 204);
constexpr XColor kText = rgb(241, 241, 241);
constexpr XColor kTextDisabled = rgb(100, 100, 100);
constexpr XColor kContextTextDisabled = rgb(101, 101, 101);
constexpr XColor kBarButtonText = rgb(241, 241, 241);

constexpr int kStateHot = 1;
constexpr int kStateSubmenu = 4;
constexpr int kStateSeparator = 8;
constexpr int kStateDisabled = 16;

bool gMenuOpen = false;

// The bar buttons of `bar` (children of type 44).
template <class Fn>
void forEachBarButton(HELE bar, Fn fn) {
  for (int i = 0; i < XEle_GetChildCount(bar); ++i) {
    HXCGUI child = XEle_GetChildByIndex(bar, i);
    if (XC_IsHXCGUI(child, XC_MENUBAR_BUTTON)) fn(static_cast<HELE>(child));
  }
}

void giveLook(HELE button, std::string_view descriptor) {
  setDescriptor(button, descriptor);
  XEle_RedrawEle(button, false);
}

int onMenuPopup(HELE bar, HMENUX menu, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    gMenuOpen = true;
    HELE open = barButtonOf(bar, menu);
    if (open == 0) return;
    forEachBarButton(bar, [&](HELE button) {
      giveLook(button, button == open ? descriptor::kMenuBarButtonOpen : descriptor::kMenuBarButtonClosed);
    });
  });
  return 0;
}

int onMenuExit(HELE bar, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    gMenuOpen = false;
    forEachBarButton(bar, [](HELE button) { giveLook(button, descriptor::kMenuBarButtonClosed); });
  });
  return 0;
}

// The pop-up's frame and fill; the open button's line erased when `buttonWidth` > 0.
void drawBackground(HDRAW draw, const XMenuDrawBackgroundInfo& info, int buttonWidth) {
  XRect r;
  XWnd_GetDrawRect(info.window, &r);
  XDraw_FillRectColor(draw, &r, kFrameLine, 255);
  r.left += 1, r.top += 1, r.right -= 1, r.bottom -= 1;
  XDraw_FillRectColor(draw, &r, kFill, 255);
  if (buttonWidth > 0) {
    // The top frame line under the open button: button and menu read as one shape.
    XDraw_SetBrushColor(draw, kFill, 255);
    XDraw_DrawLine(draw, 1, 0, buttonWidth - 2, 0);
  }
}

void fillArrow(HDRAW draw, const XRect& r, XColor color) {
  const XPoint points[3] = {{r.right - 12, r.top + 5}, {r.right - 12, r.top + 15}, {r.right - 7, r.top + 10}};
  XHRGN region = XDraw_CreatePolygonRgn(draw, points, 3, 1);
  XHBRUSH brush = XDraw_CreateSolidBrush(draw, color, 255);
  if (region != nullptr && brush != nullptr) XDraw_FillRgn(draw, region, brush);
}

enum class Look { kBar, kContext };

void drawItem(HDRAW draw, const XMenuDrawItemInfo& info, Look look) {
  const XRect& r = info.rect;
  const int s = info.state;
  if (s == kStateSeparator) {
    XDraw_SetBrushColor(draw, kSeparatorLine, 255);
    const int y = r.top + (r.bottom - r.top) / 2;
    XDraw_DrawLine(draw, 32, y, r.right - 6, y);
    return;
  }
  if (s == kStateHot) XDraw_FillRectColor(draw, &r, kHotFill, 255);
  if (look == Look::kBar) {
    if (s & kStateSubmenu) fillArrow(draw, r, (s & kStateDisabled) ? kArrowDisabled : kArrow);
  } else if (s == kStateSubmenu) {
    fillArrow(draw, r, kArrow);
  }
  if (s == (kStateHot | kStateSubmenu)) {
    XDraw_FillRectColor(draw, &r, kHotFill, 255);
    fillArrow(draw, r, kArrowHot);
  }

  // The icon, centred in the icon column.
  const int height = r.bottom - r.top;
  if (info.icon != 0) {
    const int w = XImage_GetWidth(info.icon), h = XImage_GetHeight(info.icon);
    if (w >= 2 && h >= 2 && height > 2) {
      const int left = XMenu_GetLeftWidth(info.menu);
      XDraw_Image(draw, info.icon, std::max(0, (left - w) / 2 + 4), r.top + std::max(0, (height - h) / 2));
    }
  }

  XColor text = kText;
  if (look == Look::kBar && (s & kStateDisabled)) text = kTextDisabled;
  if (look == Look::kContext && (s == kStateDisabled || s == (kStateDisabled | kStateHot))) text = kContextTextDisabled;
  XDraw_SetBrushColor(draw, text, 255);
  XRect area = r;
  area.left += 36;
  area.right -= 5;
  const std::string label = info.text != nullptr ? utf16ToGbk(info.text) : std::string();
  const LabelParts parts = splitLabelForDrawing(label);
  if (!parts.shortcut.empty()) {
    XDraw_SetTextAlign(draw, 4);
    XDraw_DrawText(draw, gbkToUtf16<XChar>(parts.name).c_str(), -1, &area);
    XDraw_SetTextAlign(draw, 2 | 4);
    XDraw_DrawText(draw, gbkToUtf16<XChar>(parts.shortcut).c_str(), -1, &area);
  } else {
    XDraw_SetTextAlign(draw, 4);
    XDraw_DrawText(draw, gbkToUtf16<XChar>(label).c_str(), -1, &area);
  }
}

int onBarMenuDrawBackground(HDRAW draw, XMenuDrawBackgroundInfo* info, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    if (info == nullptr) return;
    HELE button = barButtonOf(menuBar(), info->menu);
    // Only the top-level pop-up of a bar button touches the button.
    const int width = info->parentId == -1 && button != 0 ? XEle_GetWidth(button) : 0;
    drawBackground(draw, *info, width);
  });
  return 0;
}

int onBarMenuDrawItem(HDRAW draw, XMenuDrawItemInfo* info, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    if (info != nullptr) drawItem(draw, *info, Look::kBar);
  });
  return 0;
}

int onBarMenuPopupWindow(HELE bar, XMenuPopupInfo* info, bool* handled) {
  return onMenuPopupWindow(bar, info, handled);
}

}  // namespace

bool mainMenuOpen() { return gMenuOpen; }

int onMenuPopupWindow(HELE, XMenuPopupInfo* info, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    syncMenuState();
    if (info == nullptr) return;
    // The pop-up class is the toolkit's own, so the shadow style touches pop-ups only.
    if (HWND popup = reinterpret_cast<HWND>(XWnd_GetHWND(info->window))) {
      const DWORD style = GetClassLongA(popup, GCL_STYLE);
      if ((style & CS_DROPSHADOW) == 0) SetClassLongA(popup, GCL_STYLE, static_cast<LONG>(style | CS_DROPSHADOW));
    }
  });
  return 0;
}

int onContextMenuDrawBackground(HDRAW draw, XMenuDrawBackgroundInfo* info, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    if (info != nullptr) drawBackground(draw, *info, 0);
  });
  return 0;
}

int onContextMenuDrawItem(HDRAW draw, XMenuDrawItemInfo* info, bool*) {
  guarded(GuardSite::kToolkit, [&] {
    if (info != nullptr) drawItem(draw, *info, Look::kContext);
  });
  return 0;
}

void attachContextMenuLook(HELE receiver) {
  static std::unordered_set<HELE> attached;
  if (!XC_IsHELE(receiver) || !attached.insert(receiver).second) return;
  XEle_RegEventC1(receiver, XE_MENU_POPUP_WND, &onMenuPopupWindow);
  XEle_RegEventC(receiver, XE_MENU_DRAW_BACKGROUND, &onContextMenuDrawBackground);
  XEle_RegEventC(receiver, XE_MENU_DRAWITEM, &onContextMenuDrawItem);
}

namespace commands {

void resetMenuOpen() { gMenuOpen = false; }

HELE barButtonOf(HELE bar, HMENUX menu, int* index) {
  if (index) *index = -1;
  if (!XC_IsHXCGUI(bar, XC_MENUBAR) || menu == 0) return 0;
  // Bar button i owns menu i; its element is the i-th button among the bar's children.
  int buttonIndex = 0;
  for (int i = 0; i < XEle_GetChildCount(bar); ++i) {
    HXCGUI child = XEle_GetChildByIndex(bar, i);
    if (!XC_IsHXCGUI(child, XC_MENUBAR_BUTTON)) continue;
    if (XMenuBar_GetMenu(bar, buttonIndex) == menu) {
      if (index) *index = buttonIndex;
      return static_cast<HELE>(child);
    }
    ++buttonIndex;
  }
  return 0;
}

void registerBarMenuDrawing(HELE bar) {
  XEle_RegEventC1(bar, XE_MENU_POPUP, &onMenuPopup);
  XEle_RegEventC1(bar, XE_MENU_POPUP_WND, &onBarMenuPopupWindow);
  XEle_RegEventC1(bar, XE_MENU_EXIT, &onMenuExit);
  XEle_RegEventC(bar, XE_MENU_DRAW_BACKGROUND, &onBarMenuDrawBackground);
  XEle_RegEventC(bar, XE_MENU_DRAWITEM, &onBarMenuDrawItem);
}

void styleBarButton(HELE button) {
  XEle_EnableCSS(button, false);
  // Hover and leave looks (skipped while a menu is open: mainMenuOpen).
  registerMenuBarButtonHover(button);
  setDescriptor(button, descriptor::kMenuBarButtonClosed);
  XEle_SetTextColor(button, kBarButtonText, 255);
}

}  // namespace commands
}  // namespace tovalux
