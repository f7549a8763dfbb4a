// The twelve dock panes: the table, their docking, activation by title and floating.
#include <windows.h>

#include <algorithm>

#include "base/gbk.h"
#include "host/subclasses.h"
#include "shell/descriptors.h"
#include "shell/shell_internal.h"

namespace tovalux {

using namespace shell_detail;
using shell_rules::kPanes;

namespace {

constexpr char kUndockRefused[] = "目前停靠功能仅 Windows 10 操作系统支持";
constexpr char kUndockRefusedTitle[] = "提示";
constexpr int kCaptionUndockButton = 1;
constexpr int kCaptionButtons = 3;

// The undock button of a pane's caption: docking out is offered on Windows 10 only.
int onUndockClicked(bool* handled) {
  if (isWindows10()) return 0;
  countUndockRefusal();
  askUser(shellFrameHwnd(), kUndockRefused, kUndockRefusedTitle, MB_ICONINFORMATION);
  *handled = true;  // the pane stays docked
  return 0;
}

// Resizing the libraries pane empties the library browser's tips box.
int onLibrariesPaneSized(bool*) {
  HXCGUI tips = named("eLibsTtipsEdit");
  if (XC_IsHXCGUI(tips, XC_EDIT)) {
    XEdit_SetText(tips, L"");
    XEle_RedrawEle(tips, false);
  }
  return 0;
}

// A floating pane's caption buttons take no room: the floating window has a title of its own.
void hideCaptionButtons(HELE pane) {
  const int count = std::min(XEle_GetChildCount(pane), kCaptionButtons);
  for (int i = 0; i < count; ++i) {
    HXCGUI child = XEle_GetChildByIndex(pane, i);
    if (XC_IsHXCGUI(child, XC_BUTTON)) XEle_SetHeight(child, 0);
  }
}

void styleFloatingWindow(HWINDOW window, HELE pane) {
  XWnd_SetMinimumSize(window, 200, 200);
  XWnd_SetLayoutSize(window, 1, 24, 1, 1);
  const XString title = XPane_GetTitle(pane);
  const bool disassembly = utf16ToGbk(title) == shell_rules::kDisassemblyPaneTitle;
  setBackground(window, disassembly ? descriptor::kFloatingDisassemblyWindow : descriptor::kFloatingPaneWindow);
  HELE caption = XLayout_Create(0, 0, 100, 24, window);
  XEle_SetLayoutWidth(caption, layout_size_fill, 0);
  XEle_SetLayoutHeight(caption, layout_size_fill, 0);
  XEle_SetPadding(caption, 6, 0, 0, 0);
  XEle_EnableBkTransparent(caption, true);
  HSHAPE text = XShapeText_Create(0, 0, 200, 24, title.c_str(), caption);
  XShapeText_SetTextColor(text, XRGB(255, 255, 255), 255);
  XWnd_BindLayoutEle(window, bind_top, caption);
  XWnd_AdjustLayout(window);
}

// A floating window may go without its close event (docked back, destroyed with the toolkit):
// before it takes its children along, the property form leaves it for the frame.
LRESULT floatingWindowMessage(SubclassCall& call) {
  if (call.message == WM_DESTROY) {
    HWND form = propertyForm();
    if (form != nullptr && GetParent(form) == call.window) propertyFormBackToFrame();
  }
  return call.forward();
}

LRESULT CALLBACK floatingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&floatingWindowProc, &floatingWindowMessage, window, message, wParam, lParam);
}

}  // namespace

namespace shell_detail {

void buildPaneTable() {
  FrameParts& p = parts();
  for (int i = 0; i < shell_rules::kPaneCount; ++i) {
    const shell_rules::PaneLayout& layout = kPanes[i];
    HELE created = XPane_Create(gbkToUtf16<XChar>(layout.title).c_str(), layout.width, layout.height, p.frame);
    p.panes[i] = created;
    if (!XC_IsHELE(created)) continue;
    XEle_SetID(created, layout.elementId);
    HXCGUI undock = XEle_GetChildByIndex(created, kCaptionUndockButton);
    if (XC_IsHELE(undock)) XEle_RegEventC(undock, XE_BNCLICK, &onUndockClicked);
  }
  for (int i = 0; i < shell_rules::kPaneCount; ++i) {
    const shell_rules::PaneLayout& layout = kPanes[i];
    switch (layout.dock) {
      case shell_rules::PaneDock::kLeftGroup: XFrameWnd_AddPane(p.frame, 0, p.panes[i], pane_align_left); break;
      case shell_rules::PaneDock::kRightAlone: XFrameWnd_AddPane(p.frame, 0, p.panes[i], pane_align_right); break;
      case shell_rules::PaneDock::kBottomGroup: XFrameWnd_AddPane(p.frame, 0, p.panes[i], pane_align_bottom); break;
      case shell_rules::PaneDock::kMerged: XFrameWnd_MergePane(p.frame, p.panes[layout.mergeInto], p.panes[i]); break;
    }
  }
  if (XC_IsHELE(p.panes[kPaneLibraries])) XEle_RegEventC(p.panes[kPaneLibraries], XE_SIZE, &onLibrariesPaneSized);
  for (int i = 0; i < shell_rules::kPaneCount; ++i)
    if (!kPanes[i].initiallyShown) XPane_HidePane(p.panes[i]);
  if (darkTheme())
    for (int i : shell_rules::kPaneStyleOrder) setTextColor(p.panes[i], 241, 241, 241);
  registerPaneTextColours();
}

int onPaneFloated(HWINDOW window, HELE floated) {
  if (!XC_IsHWINDOW(window) || !XC_IsHXCGUI(floated, XC_PANE)) return 0;
  styleFloatingWindow(window, floated);
  hideCaptionButtons(floated);
  for (HELE each : parts().panes)
    if (each != floated && XC_IsHXCGUI(each, XC_PANE) && XPane_GetState(each) == pane_state_float)
      hideCaptionButtons(each);
  XEle_AdjustLayout(floated);
  subclassWindow(XWnd_GetHWND(window), &floatingWindowProc);
  if (floated == pane(kPaneProperties))
    onPropertiesPaneFloated(window);
  else
    onOtherPaneFloated(window);
  return 0;
}

}  // namespace shell_detail

HELE pane(int index) {
  if (index < 0 || index >= shell_rules::kPaneCount || !shellExists()) return 0;
  const HELE handle = parts().panes[index];
  return XC_IsHELE(handle) ? handle : 0;
}

HELE loadPaneView(int index, std::string_view layoutFile) {
  const HELE target = pane(index);
  if (!target) return 0;
  const HXCGUI view = XC_LoadLayout(themeFile(layoutFile).c_str(), target);
  if (!XC_IsHELE(view)) return 0;
  XPane_SetView(target, static_cast<HELE>(view));
  return static_cast<HELE>(view);
}

void activatePaneByTitle(std::string_view title) {
  HWINDOW frame = shellFrame();
  if (frame == 0) return;
  const int children = XWnd_GetChildCount(frame);
  for (int i = 0; i < children; ++i) {
    HXCGUI bar = XWnd_GetChildByIndex(frame, i);
    if (!XC_IsHXCGUI(bar, XC_TABBAR) || isEdge(bar)) continue;
    const int buttons = XEle_GetChildCount(bar);
    for (int b = 0; b < buttons; ++b) {
      HXCGUI button = XEle_GetChildByIndex(bar, b);
      if (!XC_IsHXCGUI(button, XC_BUTTON) || utf16ToGbk(XBtn_GetText(button)) != title) continue;
      XEle_SendEvent(button, XE_BNCLICK);
      HELE bound = XBtn_GetBindEle(button);
      if (XC_IsHXCGUI(bound, XC_PANE) && !XPane_IsShowPane(bound)) {
        XPane_ShowPane(bound);
        XEle_AdjustLayout(bound);
      }
      return;
    }
  }
}

void showToolboxPane(bool show) {
  HELE toolbox = pane(kPaneToolbox);
  if (toolbox == 0) return;
  if (show) {
    XPane_ShowPane(toolbox);
    XEle_AdjustLayout(toolbox);
  } else {
    XPane_HidePane(toolbox);
  }
}

}  // namespace tovalux
