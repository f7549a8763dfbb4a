#include "panes/stack_pane.h"

#include <cstring>

#include "base/gbk.h"
#include "host/host_windows.h"
#include "panes/stack_pane_rules.h"
#include "panes/variables_reader.h"
#include "shell/host_mirrors.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

constexpr XColor kStackTextColour = XRGB(241, 241, 241);
constexpr int kHandleValue = 2;

pane_kit::PaneElement<XC_LISTBOX> gStackList;

HIMAGE enabledMarker() { return XRes_GetImage(L"BreakpointEnable_16x.png"); }
HIMAGE disabledMarker() { return XRes_GetImage(L"BreakpointDisable_16x.png"); }

void setMarker(int row, HIMAGE image) { XListBox_SetItemImageEx(gStackList, row, L"icon", image); }

// Asks the host tree where the item is (the handle preset in the rectangle) and, when it is shown,
// posts the selection and a double click at its centre: the host's own double-click handling
// opens the level. Posted, so that the host navigates after our handler, as for a user's click.
void openHostStackItem(HWND tree, uint32_t handle) {
  RECT rect{};
  // TVM_GETITEMRECT takes the item in the rectangle's first field.
  const auto item = reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(handle));
  std::memcpy(&rect, &item, sizeof item);
  if (SendMessageA(tree, TVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rect)) <= 0) return;
  PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, static_cast<LPARAM>(handle));
  PostMessageA(tree, WM_LBUTTONDBLCLK, 0,
               static_cast<LPARAM>(panes::centreLParam(rect.left, rect.top, rect.right, rect.bottom)));
}

// The host's stack-level combo box follows the chosen row with the user's own arrow keys; the
// host reloads its variables tree for each step.
void moveHostStackLevel(HWND combo, int row) {
  if (combo == nullptr) return;
  const auto current = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  const panes::KeyPlan plan = panes::stackLevelKeys(row, current);
  for (int i = 0; i < plan.count; ++i) SendMessageA(combo, WM_KEYDOWN, static_cast<WPARAM>(plan.key), 0);
}

void onCallStackMessage(const HostMessage& message) {
  if (!gStackList.live()) return;  // the pane has no stack list
  if (message.message == TVM_INSERTITEMA) {
    // The host's answer is the new item; an insert it refused made no row.
    if (message.answer == 0) return;
    mirrorStackInsert(message.hasText ? message.text : std::string(),
                      reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(message.answer)));
  } else if (message.message == TVM_DELETEITEM) {
    mirrorStackClear();
  }
}

void setUpLayoutAreas() {
  const HXCGUI stackArea = XC_GetObjectByName(L"stackEle");
  const HXCGUI frameArea = XC_GetObjectByName(L"frameEle");
  if (XC_IsHELE(stackArea)) {
    XEle_SetMinSize(stackArea, 80, 100);
    XEle_SetBorderSize(stackArea, 0, 0, 5, 0);
    XEle_SetDragBorder(stackArea, 4);
    if (XC_IsHELE(frameArea)) XEle_SetDragBorderBindEle(stackArea, 4, frameArea, 0);
  }
  if (XC_IsHELE(frameArea)) {
    XEle_SetMinSize(frameArea, 80, 100);
    XEle_SetBorderSize(frameArea, 0, 0, 0, 0);
  }
}

void setUpStackList(HELE list) {
  pane_kit::setUpListBox(list, "LibsListBoxItem.xml");
  pane_kit::onEvent(list, XE_LISTBOX_SELECT, &onStackRowSelected);
  pane_kit::colourListBoxText(list, kStackTextColour);
}

constexpr MirrorBinding kStackMirrors[] = {{HostMirror::kCallStack, &onCallStackMessage},
                                           {HostMirror::kVariables, &onVariablesMessage}};

}  // namespace

const Part kStackPanePart{.name = "breakpoint and stack pane", .build = &buildStackPane, .mirrors = kStackMirrors};

void buildStackPane() {
  gStackList.forget();
  if (!loadPaneView(kPaneStack, "StackFrameView.xml")) return;
  const HELE target = pane(kPaneStack);
  setUpLayoutAreas();
  if (gStackList.adopt(XC_GetObjectByName(L"stackListBox"))) setUpStackList(gStackList);
  setUpVariablesList(XC_GetObjectByName(L"stackList"));
  XEle_AdjustLayout(target);
}

void mirrorStackInsert(std::string_view text, HTREEITEM item) {
  if (!gStackList.live()) return;
  const int row = XListBox_AddItemImage(gStackList, disabledMarker());
  if (row < 0) return;
  XListBox_SetItemText(gStackList, row, 1, gbkToUtf16<XChar>(text).c_str());
  XListBox_SetItemText(
      gStackList, row, kHandleValue,
      utf16Copy<XChar>(panes::stackRowHandleText(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(item)))).c_str());
  // Row 0 is the level the program stopped in; the others carry the plain marker.
  setMarker(row, row == 0 ? enabledMarker() : disabledMarker());
  XEle_RedrawEle(gStackList, false);
}

void mirrorStackClear() {
  if (!gStackList.live() || XListBox_GetCount(gStackList) < 1) return;
  XListBox_DeleteItemAll(gStackList);
  XEle_RedrawEle(gStackList, false);
}

void onStackRowSelected(int row) {
  if (!gStackList.live() || row < 0 || row >= XListBox_GetCount(gStackList)) return;
  setMarker(row, enabledMarker());
  for (int other = 0; other < XListBox_GetCount(gStackList); ++other)
    if (other != row) setMarker(other, disabledMarker());
  const HostWindows& windows = hostWindows();
  const auto handle = panes::stackRowHandle(utf16Copy<char16_t>(XListBox_GetItemText(gStackList, row, kHandleValue)));
  if (handle) openHostStackItem(windows.bottomPanelItem1224(), *handle);
  moveHostStackLevel(windows.bottomPanelItem1167(), row);
  if (!gStackList.live()) return;
  XListBox_RefreshData(gStackList);
  XEle_RedrawEle(gStackList, false);
}

HELE stackListBox() { return gStackList.get(); }

HIMAGE stackRowMarker(int row) {
  if (!gStackList.live()) return 0;
  return XListBox_GetItemImageEx(gStackList, row, L"icon");
}

}  // namespace tovalux
