// The code-page tabs: one label of "codePageTab" per host MDI page, learnt through the MDI
// client's procedure (a page is made) and each page's own (titled, activated, destroyed).
//
// Selection runs both ways without echo: a click on a label activates its page through the MDI
// client once, and the page's activation selects its label; selections we make ourselves never
// activate anything. A close click remembers the page it closes: the label goes only when that
// page is really gone (a host that refuses keeps its tab), and a page the host destroys meanwhile
// takes exactly its own label.
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/gbk.h"
#include "codeview/codeview.h"
#include "codeview/codeview_internal.h"
#include "codeview/codeview_rules.h"
#include "host/host_memory.h"
#include "host/host_protocol.h"
#include "host/host_windows.h"
#include "host/subclasses.h"
#include "shell/descriptors.h"
#include "shell/host_mirrors.h"
#include "shell/shell.h"

namespace tovalux {
namespace codeview {

namespace {

constexpr int kWhite = 255;
constexpr int kTabText = 241;

CodeViewCounters gCounters;

// Page window -> its label. A label handle is never reused by the toolkit, so a stale one simply
// answers "no such element".
std::unordered_map<HWND, HELE> gPageTabs;
// The window-designer pages.
std::unordered_set<HWND> gWindowPages;
// The page a close click is closing, while its WM_MDIDESTROY runs, and whether its WM_DESTROY
// came.
HWND gClosingPage = nullptr;
bool gClosingPageGone = false;
// The first page, which the client activated inside WM_MDICREATE (no page was active before it,
// so no later WM_MDIACTIVATE will reach it): followed at creation and again when its title comes,
// until an activation of its own is seen.
HWND gActivatedAtCreation = nullptr;
// Above 0 while we change the selection ourselves: a label checked then is coloured, never
// activated (the host's activation selects the label, which must not activate again).
int gSelecting = 0;

struct SelectingScope {
  SelectingScope() { ++gSelecting; }
  ~SelectingScope() { --gSelecting; }
  SelectingScope(const SelectingScope&) = delete;
  SelectingScope& operator=(const SelectingScope&) = delete;
};

HELE tabBar() { return frameObject("codePageTab", XC_TABBAR); }

int labelIndex(HELE bar, HELE label) {
  if (bar == 0 || label == 0) return -1;
  const int count = XTabBar_GetLabelCount(bar);
  for (int i = 0; i < count; ++i)
    if (XTabBar_GetLabel(bar, i) == label) return i;
  return -1;
}

HWND pageOfLabel(HELE label) {
  if (label == 0) return nullptr;
  for (const auto& [page, each] : gPageTabs)
    if (each == label) return page;
  return nullptr;
}

HELE closeButtonOf(HELE bar, HELE label) {
  const int index = labelIndex(bar, label);
  if (index < 0) return 0;
  const HELE close = XTabBar_GetLabelClose(bar, index);
  return XC_IsHXCGUI(close, XC_BUTTON) ? close : 0;
}

bool isChecked(HELE label) { return XC_IsHXCGUI(label, XC_BUTTON) && XBtn_IsCheck(label); }

// --- tab label events ----------------------------------------------------------------------

int onTabCheck(HELE label, bool checked, bool*) {
  if (!checked) {
    setTextColor(label, kTabText, kTabText, kTabText);
    return 0;
  }
  setTextColor(label, kWhite, kWhite, kWhite);
  // The start page's label carries a tooltip and activates nothing.
  if (!XEle_GetToolTip(label).empty()) return 0;
  if (gSelecting > 0) return 0;
  const HWND page = pageOfLabel(label);
  const HELE bar = tabBar();
  if (const HELE close = closeButtonOf(bar, label)) {
    setBackground(close, descriptor::kCodeTabCloseActive);
    XEle_Show(close, true);
  }
  const HWND client = hostWindows().mdiClient();
  if (page != nullptr && client != nullptr &&
      reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)) != page) {
    ++gCounters.tabActivations;
    SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(page), 0);
  }
  if (const HXCGUI codeRect = frameElement("codeRect"); XC_IsHELE(codeRect)) XEle_AdjustLayout(codeRect);
  if (shellExists()) {
    XWnd_AdjustLayout(shellFrame());
    XWnd_RedrawWnd(shellFrame());
  }
  if (const HWND host = getHostMainWindow()) SetForegroundWindow(host);
  return 0;
}

int onTabHover(HELE label, bool*) {
  if (!isChecked(label))
    if (const HELE close = closeButtonOf(tabBar(), label)) XEle_Show(close, true);
  return 0;
}

int onTabLeave(HELE label, bool*) {
  if (!isChecked(label))
    if (const HELE close = closeButtonOf(tabBar(), label)) XEle_Show(close, false);
  return 0;
}

// Moving onto the close button is still hovering the label.
int onTabCloseHover(HELE close, bool*) {
  XEle_SendEvent(XEle_GetParentEle(close), XE_MOUSESTAY, 0, 0);
  return 0;
}

int onTabCloseLeave(HELE close, bool*) {
  XEle_SendEvent(XEle_GetParentEle(close), XE_MOUSELEAVE, 0);
  return 0;
}

void deleteLabel(HELE bar, HELE label) {
  const int index = labelIndex(bar, label);
  if (index < 0) return;
  SelectingScope selecting;  // the bar may select a neighbour: no activation from that
  XTabBar_DeleteLabel(bar, index);
  ++gCounters.pageTabsRemoved;
}

// A close button was clicked: close that page through the MDI client. The label goes when the
// page went; we remove it ourselves (by its handle, not the event's index, which a page destroyed
// meanwhile may have shifted) and keep the bar from removing one by index.
int onTabClose(HELE bar, int index, bool* handled) {
  const HELE label = XTabBar_GetLabel(bar, index);
  const HWND page = pageOfLabel(label);
  const HWND client = hostWindows().mdiClient();
  if (page == nullptr || client == nullptr) return 0;  // no page: the bar removes the label
  *handled = true;
  gClosingPage = page;
  gClosingPageGone = false;
  ++gCounters.closeRequests;
  SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(page), 0);
  const bool gone = gClosingPageGone || !IsWindow(page);
  gClosingPage = nullptr;
  gClosingPageGone = false;
  if (!gone) {
    ++gCounters.refusedCloses;
    return 0;
  }
  if (XC_IsHELE(bar)) {
    deleteLabel(bar, label);
    XEle_RedrawEle(bar);
  }
  return 0;
}

// --- pages -----------------------------------------------------------------------------------

void addPageTab(HWND page) {
  const HELE bar = tabBar();
  if (bar == 0) return;
  const int index = XTabBar_AddLabel(bar, L"");
  const HELE label = XTabBar_GetLabel(bar, index);
  if (label == 0) return;
  const HELE close = XTabBar_GetLabelClose(bar, index);
  if (XC_IsHXCGUI(close, XC_BUTTON)) {
    XBtn_SetText(close, L"");
    XEle_EnableBkTransparent(close, true);
    XEle_Show(close, false);
  }
  gPageTabs[page] = label;
  ++gCounters.pageTabsAdded;
  {
    // Selected before its handlers exist; the label losing the selection is only recoloured.
    SelectingScope selecting;
    XTabBar_SetSelect(bar, index);
  }
  XEle_RegEventC1(label, XE_BUTTON_CHECK, &onTabCheck);
  XEle_RegEventC1(label, XE_MOUSESTAY, &onTabHover);
  XEle_RegEventC1(label, XE_MOUSELEAVE, &onTabLeave);
  if (XC_IsHELE(close)) {
    XEle_RegEventC1(close, XE_MOUSESTAY, &onTabCloseHover);
    XEle_RegEventC1(close, XE_MOUSELEAVE, &onTabCloseLeave);
  }
  XEle_RedrawEle(bar);
}

void updateTabCaption(HWND page, std::string_view title) {
  const auto found = gPageTabs.find(page);
  const HELE bar = tabBar();
  if (found == gPageTabs.end() || bar == 0 || !XC_IsHELE(found->second)) return;
  const HELE label = found->second;
  XEle_EnableCSS(label, false);
  setBackground(label, descriptor::kCodeTabLabel);
  const std::string caption = tabCaption(title);
  setTextColor(label, kTabText, kTabText, kTabText);
  XBtn_SetText(label, gbkToUtf16<XChar>(caption).c_str());
  if (caption == kStartPageCaption) {
    XEle_SetToolTip(label, gbkToUtf16<XChar>(kStartPageTip).c_str());
    if (const HELE close = closeButtonOf(bar, label)) {
      XEle_Enable(close, false);
      XEle_SetWidth(close, kStartPageCloseSize);
      XEle_SetHeight(close, kStartPageCloseSize);
      XBtn_SetText(close, L"");
      XEle_EnableBkTransparent(close, true);
      XBtn_SetIconDisable(close, XRes_GetImage(gbkToUtf16<XChar>(kStartPageCloseIcon).c_str()));
    }
  }
  XEle_AdjustLayout(bar);
  XEle_RedrawEle(bar);
}

void selectPageTab(HWND page) {
  const auto found = gPageTabs.find(page);
  const HELE bar = tabBar();
  if (found == gPageTabs.end() || bar == 0) return;
  const int count = XTabBar_GetLabelCount(bar);
  for (int i = 0; i < count; ++i) {
    const HELE label = XTabBar_GetLabel(bar, i);
    const HELE close = XTabBar_GetLabelClose(bar, i);
    const bool mine = label == found->second;
    if (mine) {
      SelectingScope selecting;
      XTabBar_SetSelect(bar, i);
    }
    if (!XC_IsHELE(close)) continue;
    setBackground(close, mine ? descriptor::kCodeTabCloseActive : descriptor::kCodeTabCloseInactive);
    XEle_Show(close, mine);
  }
  XEle_RedrawEle(bar);
}

// The client's active page; the host's MDI client when none is given.
HWND activeMdiPage(HWND client = nullptr) {
  if (client == nullptr) client = hostWindows().mdiClient();
  if (client == nullptr) return nullptr;
  return reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
}

void pageActivated(HWND page) {
  selectPageTab(page);
  const bool designer = gWindowPages.count(page) != 0;
  showToolboxPane(designer);
  if (const auto sync = tovalux::peers().syncDesignerToolBar) sync(designer);
  refreshNavigationForPage(page);
}

void pageGone(HWND page) {
  gWindowPages.erase(page);
  const auto found = gPageTabs.find(page);
  if (found == gPageTabs.end()) return;
  const HELE label = found->second;
  gPageTabs.erase(found);
  if (page == gClosingPage) {
    // The close click that asked for this removes the label once WM_MDIDESTROY returns.
    gClosingPageGone = true;
    return;
  }
  if (const HELE bar = tabBar()) {
    deleteLabel(bar, label);
    XEle_RedrawEle(bar);
  }
}

// The title WM_SETTEXT carries, read no further than a page title can be and cut on a character
// boundary (a longer title would otherwise end in half a character); an unreadable pointer gives
// no title.
constexpr size_t kPageTitleBytes = 1024;
std::string titleOf(LPARAM lParam) {
  return readHostText(reinterpret_cast<const char*>(lParam), kPageTitleBytes).value_or(std::string());
}

LRESULT onPageMessage(SubclassCall& call) {
  switch (call.message) {
    case WM_SETTEXT: {
      if (call.lParam != 0) {
        const std::string title = titleOf(call.lParam);
        updateTabCaption(call.window, title);
        if (isDesignerTitle(title)) gWindowPages.insert(call.window);
      }
      const LRESULT result = call.forward();
      // Its title tells what the page is (designer or code, which unit): the first page's
      // activation is followed again now that it is known.
      if (call.window == gActivatedAtCreation && activeMdiPage() == call.window) pageActivated(call.window);
      return result;
    }
    case WM_MDIACTIVATE: {
      if (reinterpret_cast<HWND>(call.lParam) == call.window) gActivatedAtCreation = nullptr;
      call.forward();
      // Both pages of a switch receive it, the one losing the activation first: only the page
      // that becomes active sets the state, once.
      if (reinterpret_cast<HWND>(call.lParam) == call.window) pageActivated(call.window);
      return 0;
    }
    case WM_DESTROY: {
      const LRESULT result = call.forward();
      if (call.window == gActivatedAtCreation) gActivatedAtCreation = nullptr;
      pageGone(call.window);
      return result;
    }
    default: return call.forward();
  }
}

LRESULT onMdiClientMessage(SubclassCall& call) {
  if (call.message != WM_MDICREATE) return call.forward();
  const HWND activeBefore = activeMdiPage(call.window);
  // The client makes the page first; its answer is the page.
  const LRESULT result = call.forward();
  const auto page = reinterpret_cast<HWND>(result);
  if (page == nullptr || !IsWindow(page)) return result;
  addPageTab(page);
  subclassWindow(page, &pageProcedure);
  // A client activates a page while creating it (Windows one created visible, Wine every page).
  // With a page active before, the host activates the old one and then the new one, which is
  // seen; the first page's activation is not, and nothing repeats it: follow it here.
  if (activeBefore == nullptr && activeMdiPage(call.window) == page) {
    gActivatedAtCreation = page;
    pageActivated(page);
  }
  return result;
}

}  // namespace

CodeViewCounters& counters() { return gCounters; }

HXCGUI frameObject(std::string_view name, int type) {
  const HXCGUI object = frameElement(name);
  return XC_IsHXCGUI(object, type) ? object : 0;
}

}  // namespace codeview

using namespace codeview;

namespace {
constexpr ProcedureBinding kCodeViewProcedures[] = {{HostProcedure::kMdiClient, &mdiClientProcedure},
                                                    {HostProcedure::kCodeView, &codeViewProcedure}};
}  // namespace

const Part kCodeTabsPart{.name = "code-page tabs and navigation bar",
                         .build = &setupCodeTabs,
                         .tearDown = &shutDownCodeView,
                         .mirrors = kNavigationMirrors,
                         .procedures = kCodeViewProcedures};

void setupCodeTabs() {
  gPageTabs.clear();
  gWindowPages.clear();
  if (const HELE bar = tabBar()) {
    XTabBar_SetPadding(bar, 0, 0, 0, 0);
    XTabBar_SetLabelSpacing(bar, 0);
    XTabBar_EnableClose(bar, true);
    XEle_RegEventC1(bar, XE_TABBAR_DELETE, &onTabClose);
  }
  setupNavigationBar();
}

void shutDownCodeView() {
  stopCaretTimer();
  stopNavigation();
  gPageTabs.clear();
  gWindowPages.clear();
  gClosingPage = nullptr;
  gClosingPageGone = false;
  gActivatedAtCreation = nullptr;
}

LRESULT CALLBACK mdiClientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&mdiClientProcedure, &onMdiClientMessage, window, message, wParam, lParam);
}

LRESULT CALLBACK pageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&pageProcedure, &onPageMessage, window, message, wParam, lParam);
}

uint32_t pageTabLabel(HWND page) {
  const auto found = gPageTabs.find(page);
  return found == gPageTabs.end() ? 0 : found->second;
}

bool isWindowDesignerPage(HWND page) { return gWindowPages.count(page) != 0; }

CodeViewCounters codeViewCounters() { return gCounters; }
void resetCodeViewCountersForTests() { gCounters = {}; }

}  // namespace tovalux
