// The theme operations: descriptors on elements, text colours, the frame's two looks, the pane
// look, the tab-bar treatment, the scroll-view look and the shared hover looks.
#include <windows.h>

#include <unordered_set>

#include "base/gbk.h"
#include "shell/descriptors.h"
#include "shell/part.h"
#include "shell/shell_internal.h"

namespace tovalux {

using namespace shell_detail;

namespace {

constexpr XColor kCheckedTab = XRGB(0, 151, 251);
constexpr XColor kHoveredTab = XRGB(85, 170, 255);
constexpr XColor kPlainTab = XRGB(241, 241, 241);

// Tab buttons that already carry the hover handlers (handles are never reused, so a new button
// never looks styled).
std::unordered_set<HELE>& styledTabButtons() {
  static std::unordered_set<HELE> buttons;
  return buttons;
}

bool checkedTab(HELE button) { return XBtn_GetType(button) == 1 && XBtn_IsCheck(button); }

void styleTabButton(HELE button) {
  if (checkedTab(button)) XEle_SetTextColor(button, kCheckedTab, 255);
  if (!styledTabButtons().insert(button).second) return;
  XEle_RegEventC1(button, XE_MOUSESTAY, [](HELE self, bool*) {
    if (!XBtn_IsCheck(self)) XEle_SetTextColor(self, kHoveredTab, 255);
    return 0;
  });
  XEle_RegEventC1(button, XE_MOUSELEAVE, [](HELE self, bool*) {
    if (!XBtn_IsCheck(self)) XEle_SetTextColor(self, kPlainTab, 255);
    return 0;
  });
  XEle_RegEventC1(button, XE_BUTTON_CHECK, [](HELE self, bool checked, bool*) {
    XEle_SetTextColor(self, checked ? kCheckedTab : kPlainTab, 255);
    return 0;
  });
}

}  // namespace

namespace shell_detail {

void registerPaneTextColours() {
  for (int i : shell_rules::kPaneStyleOrder) {
    HELE each = parts().panes[i];
    if (!XC_IsHELE(each)) continue;
    XEle_RegEventC1(each, XE_SETFOCUS, [](HELE self, bool*) {
      setTextColor(self, 255, 255, 255);
      return 0;
    });
    XEle_RegEventC1(each, XE_KILLFOCUS, [](HELE self, bool*) {
      setTextColor(self, 241, 241, 241);
      return 0;
    });
  }
}

}  // namespace shell_detail

void setBackground(HXCGUI element, std::string_view descriptor) {
  const HBKM manager = XC_IsHWINDOW(element) ? XWnd_GetBkManager(element) : XEle_GetBkManager(element);
  if (manager == 0) return;
  XBkM_SetBkInfo(manager, gbkToUtf16<XChar>(descriptor).c_str());
}

void setBackgroundAndRedraw(HXCGUI element, std::string_view descriptor) {
  setBackground(element, descriptor);
  XEle_RedrawEle(element, false);
}

void setTextColor(HXCGUI element, int red, int green, int blue) {
  XEle_SetTextColor(element, XRGB(red, green, blue), 255);
}

void applyFrameLook(bool debugging) {
  const FrameParts& p = parts();
  if (!XC_IsHELE(p.top) || !XC_IsHELE(p.left) || !XC_IsHELE(p.right) || !XC_IsHELE(p.bottom)) return;
  setBackground(p.top, debugging ? descriptor::kFrameTopDebugging : descriptor::kFrameTopNormal);
  setBackground(p.right, debugging ? descriptor::kFrameRightDebugging : descriptor::kFrameRightNormal);
  setBackground(p.left, debugging ? descriptor::kFrameLeftDebugging : descriptor::kFrameLeftNormal);
  setBackground(p.bottom, debugging ? descriptor::kFrameBottomDebugging : descriptor::kFrameBottomNormal);
  XWnd_SetShadowInfo(p.frame, 10, 180, 10, true, debugging ? XRGB(202, 81, 0) : XRGB(0, 122, 204));
  HXCGUI grip = named("sizeImg");
  if (XC_IsHXCGUI(grip, XC_SHAPE_PICTURE))
    XShapePic_SetImage(grip, XRes_GetImage(debugging ? L"rsized.png" : L"rsize.png"));
  XWnd_RedrawWnd(p.frame, false);
}

void applyPaneLook() {
  for (int i : shell_rules::kPaneStyleOrder)
    if (XC_IsHELE(parts().panes[i])) setBackground(parts().panes[i], descriptor::kPane);
}

void styleTabBars() {
  HWINDOW frame = shellFrame();
  if (frame == 0) return;
  const int children = XWnd_GetChildCount(frame);
  for (int i = 0; i < children; ++i) {
    HXCGUI bar = XWnd_GetChildByIndex(frame, i);
    if (!XC_IsHXCGUI(bar, XC_TABBAR)) continue;
    XTabBar_EnableTile(bar, false);
    XTabBar_SetLabelSpacing(bar, 0);
    const int buttons = XEle_GetChildCount(bar);
    for (int b = 0; b < buttons; ++b) {
      HXCGUI button = XEle_GetChildByIndex(bar, b);
      if (XC_IsHXCGUI(button, XC_BUTTON)) styleTabButton(button);
    }
  }
}

void applyScrollViewLook(HXCGUI element) {
  if (!XC_IsHELE(element)) return;
  const int barSize = GetSystemMetrics(SM_CXVSCROLL);
  XEle_SetBorderSize(element, 0, 0, 0, 0);
  RECT insets{};
  XSView_GetBorderSize(element, &insets);
  XSView_SetBorderSize(element, insets.left, insets.top, barSize, insets.bottom);
  if (XC_IsHXCGUI(element, XC_EDIT)) XSView_ShowSBarH(element, true);
  XSView_ShowSBarV(element, true);
  XSView_EnableAutoShowScrollBar(element, true);
  XSView_SetScrollBarSize(element, barSize);
  XEle_RedrawEle(element, false);
}

void registerComboBoxHover(HELE comboBox) {
  if (!XC_IsHELE(comboBox)) return;
  XEle_RegEventC1(comboBox, XE_MOUSESTAY, [](HELE self, bool*) {
    setBackgroundAndRedraw(self, descriptor::kComboBoxOver);
    return 0;
  });
  XEle_RegEventC1(comboBox, XE_MOUSELEAVE, [](HELE self, bool*) {
    setBackgroundAndRedraw(self, descriptor::kComboBoxAway);
    return 0;
  });
}

void registerMenuBarButtonHover(HELE button) {
  if (!XC_IsHELE(button)) return;
  XEle_RegEventC1(button, XE_MOUSESTAY, [](HELE self, bool*) {
    if (const auto open = peers().mainMenuOpen; open && open()) return 0;
    setBackgroundAndRedraw(self, descriptor::kMenuBarButtonOver);
    return 0;
  });
  XEle_RegEventC1(button, XE_MOUSELEAVE, [](HELE self, bool*) {
    if (const auto open = peers().mainMenuOpen; open && open()) return 0;
    setBackgroundAndRedraw(self, descriptor::kMenuBarButtonAway);
    return 0;
  });
}

}  // namespace tovalux
