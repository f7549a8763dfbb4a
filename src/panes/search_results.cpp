#include "panes/search_results.h"

#include "base/gbk.h"
#include "host/host_text.h"
#include "host/host_windows.h"
#include "panes/search_results_rules.h"
#include "panes/stack_pane_rules.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

struct SearchPane {
  PaneIndex pane;
  const char* layout;
  const XChar* element;
  pane_kit::PaneElement<XC_LISTBOX> list{};
  uint32_t redraws = 0;
};

SearchPane gPanes[] = {
    {kPaneSearch1, "SearchResultView1.xml", L"searchResult1ListBox"},
    {kPaneSearch2, "SearchResultView2.xml", L"searchResult2ListBox"},
};

SearchPane* paneOf(int list) {
  if (list < 0 || list > 1 || !gPanes[list].list.live()) return nullptr;
  return &gPanes[list];
}

HWND hostListOf(int list) {
  const HostWindows& windows = hostWindows();
  return list == 0 ? windows.bottomPanelItem1182() : windows.bottomPanelItem1183();
}

void redrawWhole(SearchPane& pane) {
  XListBox_RefreshData(pane.list);
  XEle_RedrawEle(pane.list, false);
  ++pane.redraws;
}

template <int kList>
void onSearchMessage(const HostMessage& message) {
  if (paneOf(kList) == nullptr) return;  // the pane has no list
  if (message.message == LB_ADDSTRING) {
    // Owner-drawn lists without strings carry item data, not a text: the row still exists.
    mirrorSearchAdd(kList, message.hasText ? std::string_view(message.text) : std::string_view());
  } else if (message.message == LB_RESETCONTENT) {
    mirrorSearchClear(kList);
  }
}

void onTipsMessage(const HostMessage&) { showTipInStatus(); }

void buildOne(int index) {
  SearchPane& search = gPanes[index];
  search.list.forget();
  search.redraws = 0;
  if (!loadPaneView(search.pane, search.layout)) return;
  if (!search.list.adopt(XC_GetObjectByName(search.element))) return;
  pane_kit::setUpListBox(search.list, "searchResultListBoxItem.xml");
  pane_kit::onEvent(search.list, XE_LBUTTONDBCLICK, [index](int, XPoint*) { onSearchDoubleClick(index); });
}

constexpr MirrorBinding kSearchMirrors[] = {{HostMirror::kSearchResults1, &onSearchMessage<0>},
                                            {HostMirror::kSearchResults2, &onSearchMessage<1>},
                                            {HostMirror::kTipsStatus, &onTipsMessage}};

}  // namespace

const Part kSearchPanesPart{.name = "search-result panes", .build = &buildSearchPanes, .mirrors = kSearchMirrors};

void buildSearchPanes() {
  buildOne(0);
  buildOne(1);
  for (const SearchPane& search : gPanes) {
    const HELE target = pane(search.pane);
    if (!XC_IsHELE(target)) continue;
    XEle_AdjustLayout(target);
    XEle_RedrawEle(target, false);
  }
}

void mirrorSearchAdd(int list, std::string_view text) {
  SearchPane* search = paneOf(list);
  if (search == nullptr) return;
  const std::u16string line = gbkToUtf16(text);
  const int row = XListBox_AddItemText(search->list, utf16Copy<XChar>(line).c_str());
  if (row >= 0) XListBox_RefreshItem(search->list, row);
  // A search's lines arrive in a burst; the list is drawn once, at the summary that closes it.
  if (panes::isSearchSummary(line)) redrawWhole(*search);
}

void mirrorSearchClear(int list) {
  SearchPane* search = paneOf(list);
  if (search == nullptr) return;
  XListBox_DeleteItemAll(search->list);
  redrawWhole(*search);
}

void onSearchDoubleClick(int list) {
  SearchPane* search = paneOf(list);
  if (search == nullptr) return;
  const int row = XListBox_GetSelectItem(search->list);
  HWND host = hostListOf(list);
  if (row < 0 || host == nullptr) return;
  // A row the host list does not have gets nothing: no selection, no click at a made-up place.
  const LRESULT count = SendMessageA(host, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR || row >= count) return;
  SendMessageA(host, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  RECT rect{};
  if (SendMessageA(host, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)) == LB_ERR) return;
  SendMessageA(host, WM_LBUTTONDBLCLK, MK_LBUTTON,
               static_cast<LPARAM>(panes::centreLParam(rect.left, rect.top, rect.right, rect.bottom)));
}

void showTipInStatus() {
  const HXCGUI status = frameElement("stateText");
  if (!XC_IsHXCGUI(status, XC_SHAPE_TEXT)) return;
  const std::string tip = windowText(hostWindows().bottomPanelItem1001());
  XShapeText_SetText(status, utf16Copy<XChar>(panes::statusLineText(gbkToUtf16(tip))).c_str());
  XShape_Redraw(status);
}

HELE searchList(int list) {
  const SearchPane* search = paneOf(list);
  return search != nullptr ? search->list.get() : 0;
}

uint32_t searchListRedraws(int list) { return list >= 0 && list <= 1 ? gPanes[list].redraws : 0; }

}  // namespace tovalux
