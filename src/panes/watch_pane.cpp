#include "panes/watch_pane.h"

#include <commctrl.h>

#include <iterator>

#include "base/gbk.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "panes/watch_pane_rules.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "shell/toolbar_builder.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

constexpr XColor kCellTextColour = XRGB(240, 240, 240);
constexpr uint32_t kWatchFunction = 0x05010005;

pane_kit::PaneElement<XC_LIST> gList;
HELE gToolBar = 0;

constexpr pane_kit::ListColumn kColumns[] = {
    {200, L"表达式/变量"}, {120, L"起始监视位置"}, {120, L"数据类型"}, {400, L"值"}};
static_assert(static_cast<int>(std::size(kColumns)) == panes::kWatchColumns);

void redraw() { XEle_RedrawEle(gList, false); }

// The list has only appends: a row inserted inside it is appended and the cells below moved
// down one row.
int insertRow(int requested, const XString& text) {
  const int count = XList_GetCount(gList);
  const int row = panes::watchInsertRow(requested, count);
  const int added = XList_AddItemText(gList, text.c_str());
  if (added < 0 || row >= added) return added;
  for (int moved = added; moved > row; --moved)
    for (int column = 0; column < panes::kWatchColumns; ++column)
      XList_SetItemText(gList, moved, column, XList_GetItemText(gList, moved - 1, column).c_str());
  XList_SetItemText(gList, row, 0, text.c_str());
  for (int column = 1; column < panes::kWatchColumns; ++column)
    XList_SetItemText(gList, row, column, XString().c_str());
  XList_RefreshData(gList);
  return row;
}

void styleRow(HELE list, const XListItemRecord& item) {
  for (int column = 0; column < panes::kWatchColumns; ++column) {
    const HXCGUI text = XList_GetTemplateObject(list, item.index, column, column + 1);
    if (XC_IsHXCGUI(text, XC_SHAPE_TEXT)) XShapeText_SetTextColor(text, kCellTextColour, column == 0 ? 255 : 250);
  }
}

void buildToolBar() {
  ToolBarBuilder bar;
  if (!bar.attach(XC_GetObjectByName(L"variableToolBar"))) return;
  gToolBar = bar.toolBar();
  bar.addButton("添加变量", XRes_GetImage(L"AddWatch_16x.png"), 0, false, [](HELE) { onAddWatch(); });
  bar.addSeparator();
  bar.addButton("删除选择", XRes_GetImage(L"DeleteWatch_16x.png"), 0, false, [](HELE) { onDeleteWatch(); });
}

constexpr MirrorBinding kWatchMirrors[] = {{HostMirror::kWatchList, &onWatchListMessage}};

}  // namespace

const Part kWatchPanePart{.name = "watch pane", .build = &buildWatchPane, .mirrors = kWatchMirrors};

void buildWatchPane() {
  gList.forget();
  gToolBar = 0;
  if (!loadPaneView(kPaneWatch, "WatchVariableView.xml")) return;
  const HELE target = pane(kPaneWatch);
  if (gList.adopt(XC_GetObjectByName(L"variableList"))) {
    pane_kit::setUpList(gList, kColumns);
    pane_kit::onEventWithSelf(gList, XE_LIST_TEMP_CREATE_END, [](HELE self, XListItemRecord* item) {
      if (item != nullptr) styleRow(self, *item);
    });
  }
  buildToolBar();
  XEle_AdjustLayout(target);
}

void onWatchListMessage(const HostMessage& message) {
  if (!gList.live()) return;
  switch (message.message) {
    case LVM_INSERTITEMA: {
      // The host's row exists whatever its text: an insert without one keeps the rows aligned.
      const bool text = (message.listItem.mask & LVIF_TEXT) != 0 && message.hasText;
      const int row = insertRow(message.listItem.item, text ? gbkToUtf16<XChar>(message.text) : XString());
      if (row >= 0) XList_RefreshItem(gList, row);
      redraw();
      return;
    }
    case LVM_SETITEMA: {
      const int row = message.listItem.item;
      if (!panes::watchSetApplies(message.listItem.mask, message.hasText, row, message.listItem.subItem,
                                  XList_GetCount(gList)))
        return;
      XList_SetItemText(gList, row, message.listItem.subItem, gbkToUtf16<XChar>(message.text).c_str());
      XList_RefreshItem(gList, row);
      redraw();
      return;
    }
    case LVM_DELETEALLITEMS:
      XList_DeleteItemAll(gList);
      XList_RefreshData(gList);
      redraw();
      return;
    case LVM_DELETEITEM: {
      const auto row = static_cast<int>(message.wParam);
      if (row < 0 || row >= XList_GetCount(gList)) return;
      XList_DeleteItem(gList, row);
      XList_RefreshData(gList);
      redraw();
      return;
    }
    default: return;
  }
}

void onAddWatch() { runIdeFunction(kWatchFunction); }

void onDeleteWatch() {
  if (!gList.live()) return;
  const int row = XList_GetSelectItem(gList);
  if (row < 0) return;
  HWND host = hostWindows().bottomPanelItem1187();
  if (host == nullptr || row >= static_cast<int>(SendMessageA(host, LVM_GETITEMCOUNT, 0, 0))) return;
  // Every row unselected first: the host deletes whatever is selected, so exactly this one.
  LVITEMA state{};
  state.mask = LVIF_STATE;
  state.state = 0;
  state.stateMask = LVIS_SELECTED;
  SendMessageA(host, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED;
  SendMessageA(host, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageA(host, WM_KEYDOWN, VK_DELETE, 0);
}

HELE watchList() { return gList.get(); }
HELE watchToolBar() { return XC_IsHXCGUI(gToolBar, XC_TOOLBAR) ? gToolBar : 0; }

}  // namespace tovalux
