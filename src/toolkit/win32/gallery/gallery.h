// The toolkit gallery: one frame built from the real theme (layouts, resource package, style
// sheet, images) showing every element kind in the dark look the shell gives them. It is the
// toolkit's demo (toolkit-gallery.exe) and the screen the on-screen tests look at.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/types.h"

namespace tovalux::gallery {

// Background descriptors of the dark look, as the shell sets them.
namespace look {
extern const wchar_t* const kTopEdge;  // frame edges
extern const wchar_t* const kRightEdge;
extern const wchar_t* const kLeftEdge;
extern const wchar_t* const kBottomEdge;
extern const wchar_t* const kPane;       // dock panes (active / inactive caption)
extern const wchar_t* const kComboAway;  // combo boxes, mouse away / over
extern const wchar_t* const kComboOver;
extern const wchar_t* const kNavComboOver;  // navigation-bar combo boxes, mouse over / away
extern const wchar_t* const kNavComboAway;
extern const wchar_t* const kMenuBarButton;  // menu-bar buttons, menu closed / open / hover / leave
extern const wchar_t* const kMenuBarOpen;
extern const wchar_t* const kMenuBarHover;
extern const wchar_t* const kMenuBarLeave;
extern const wchar_t* const kFloatingPane;  // floating pane window (the disassembly pane's)
extern const wchar_t* const kFloatingDisassembly;
extern const wchar_t* const kTabCloseInactive;  // code-tab close buttons
extern const wchar_t* const kTabCloseActive;
extern const wchar_t* const kCodeTab;     // code-tab labels
extern const wchar_t* const kTreeExpand;  // tree expand buttons
extern const wchar_t* const kToolButton;  // tool-bar buttons
extern const wchar_t* const kToolSeparator;
}  // namespace look

struct Gallery {
  HWINDOW frame = 0;
  HELE top = 0, left = 0, right = 0, bottom = 0;  // the four edge elements
  HELE view = 0;                                  // "codeMainView"
  HELE codeView = 0;                              // "eCodeView", covered by a native window
  HWND codeWindow = nullptr;                      // that native window
  HELE menuBar = 0;                               // "winMainTopMenu"
  HELE toolBar0 = 0, toolBar1 = 0;
  std::vector<HELE> toolButtons;  // every button of winToolBar0, in order
  HELE runButton = 0;             // enabled
  HELE stopButton = 0;            // disabled: shows its disabled icon
  HELE wrapButton = 0;            // a check-type tool-bar button, checked
  HELE linker = 0;                // the linker combo box at the end of winToolBar0's first group
  HELE navMain = 0, navVoid = 0;  // "navMainComboBox", "navVoidComboBox"
  HELE codeTabs = 0;              // "codePageTab"
  HELE scrollBarV = 0, scrollBarH = 0;
  HELE panes[12] = {};    // the shell's pane table, in its order
  HELE projectTree = 0;   // "ProjectTree" (pane 1, in front on the left)
  HELE outputEdit = 0;    // "outDbugTipEdit" (pane 6, in front at the bottom): styled lines
  HELE stackListBox = 0;  // "stackListBox" and "stackList" (pane 7, beside it)
  HELE stackList = 0;
  HELE toolbox = 0;     // "ControlListView" (pane 4, on the right)
  HELE statusText = 0;  // "stateText"
};

// The frame alone, as the theme's five frame layouts make it (LayoutWindowTop3.xml or, with
// `compactCaption`, LayoutWindowTop2.xml; the left, right and bottom edges; ViewMainLayout.xml)
// with the edge descriptors: nothing filled in. Not shown yet.
Gallery buildFrameLayouts(const std::wstring& themeFolder, bool compactCaption = false);

// Builds and lays out the gallery frame from the theme folder (…\lib\Tovalux\Dark); the
// toolkit must be initialised. `compactCaption` takes the 97-pixel top edge
// (LayoutWindowTop2.xml) instead of the 117-pixel one (LayoutWindowTop3.xml). The frame is
// not shown yet.
Gallery buildGallery(const std::wstring& themeFolder, bool compactCaption = false);

}  // namespace tovalux::gallery
