// The shell's scroll bars beside the code area and the caret status fields.
//
// Host to shell: after every paint of a code view the shell bars take the range and position of
// the active page's scroll bars, touching them only on a change. Shell to host: a dragged slider
// and the arrow buttons become the editor's own WM_VSCROLL / WM_HSCROLL; clicks in the track and
// the positions we set ourselves send nothing. The caret status is read 150 ms after the last
// click or key in a code view, by one UI-thread timer that every click or key arms again.
#include <windows.h>

#include <string>

#include "base/diagnostics.h"
#include "base/gbk.h"
#include "base/guard.h"
#include "base/text.h"
#include "codeview/codeview.h"
#include "codeview/codeview_internal.h"
#include "codeview/codeview_rules.h"
#include "host/host_protocol.h"
#include "host/host_text.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "shell/shell.h"

namespace tovalux::codeview {
namespace {

constexpr int kMainViewId = 0xE900;
constexpr int kVerticalBarId = 0xEA10;
constexpr int kHorizontalBarId = 0xEA00;
constexpr int kEditorId = 1;

struct BarState {
  const char* element;
  UINT message;  // WM_VSCROLL or WM_HSCROLL
  int hostBarId;
  ScrollMemory memory;
  bool dragging = false;
};
BarState gVertical{"codeScrollBarV", WM_VSCROLL, kVerticalBarId, {}};
BarState gHorizontal{"codeScrollBarH", WM_HSCROLL, kHorizontalBarId, {}};
// Above 0 while we move a shell bar to the host's position: its 56 must not go back to the host.
int gApplyingHost = 0;

// The host windows of the active page; null where the walk fails. The page's own windows are
// found once per page and kept while they are still where they were found (a paint must not cost
// a walk of the page's children every time); the active page is asked for at every use.
struct PageWindows {
  HWND page = nullptr;
  HWND mainView = nullptr;    // 0xE900
  HWND vertical = nullptr;    // 0xE900 -> 0xEA10
  HWND horizontal = nullptr;  // 0xE900 -> 0xEA00
  HWND editor = nullptr;      // 0xE900 -> 0xE900 -> 1
  HWND designer = nullptr;    // 0xE900 -> 1 (a window-designer page)
};
PageWindows gPageWindows;

bool stillChild(HWND child, HWND parent, int id) {
  return child == nullptr || (IsWindow(child) && GetParent(child) == parent && GetDlgCtrlID(child) == id);
}

bool stillValid(const PageWindows& w) {
  if (!IsWindow(w.page) || !stillChild(w.mainView, w.page, kMainViewId)) return false;
  return stillChild(w.vertical, w.mainView, kVerticalBarId) && stillChild(w.horizontal, w.mainView, kHorizontalBarId) &&
         stillChild(w.designer, w.mainView, kEditorId) &&
         (w.editor == nullptr ||
          (IsWindow(w.editor) && GetDlgCtrlID(w.editor) == kEditorId && GetParent(GetParent(w.editor)) == w.mainView));
}

PageWindows findPageWindows(HWND page) {
  PageWindows w;
  w.page = page;
  if (page == nullptr) return w;
  w.mainView = GetDlgItem(page, kMainViewId);
  if (w.mainView == nullptr) return w;
  w.vertical = GetDlgItem(w.mainView, kVerticalBarId);
  w.horizontal = GetDlgItem(w.mainView, kHorizontalBarId);
  w.designer = GetDlgItem(w.mainView, kEditorId);
  if (const HWND view = GetDlgItem(w.mainView, kMainViewId)) w.editor = GetDlgItem(view, kEditorId);
  return w;
}

// The MDI client, kept while it is still the main window's child 0xE900: finding it walks the
// host's children through the server (tens of microseconds under Wine), too much for every paint.
HWND mdiClient() {
  static HWND client = nullptr;
  const HWND main = hostWindows().mainWindow();
  if (client == nullptr || !IsWindow(client) || GetParent(client) != main ||
      GetDlgCtrlID(client) != hostControlId(HostControl::kMdiClient))
    client = hostWindows().mdiClient();
  return client;
}

const PageWindows& activePage() {
  HWND page = nullptr;
  if (const HWND client = mdiClient()) page = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
  if (page != gPageWindows.page || (page != nullptr && !stillValid(gPageWindows))) gPageWindows = findPageWindows(page);
  return gPageWindows;
}

HWND hostBar(const PageWindows& active, const BarState& bar) {
  return bar.hostBarId == kVerticalBarId ? active.vertical : active.horizontal;
}

// --- shell to host ---------------------------------------------------------------------------

void sendToEditor(const BarState& bar, uint32_t wParam) {
  const PageWindows& active = activePage();
  if (active.editor == nullptr) return;
  SendMessageA(active.editor, bar.message, wParam, reinterpret_cast<LPARAM>(hostBar(active, bar)));
}

template <BarState& bar>
int onThumb(int position, bool*) {
  if (bar.dragging && gApplyingHost == 0) sendToEditor(bar, thumbPositionParam(position));
  return 0;
}

template <BarState& bar>
int onLineBack(bool*) {
  sendToEditor(bar, kLineBack);
  return 0;
}

template <BarState& bar>
int onLineForward(bool*) {
  sendToEditor(bar, kLineForward);
  return 0;
}

template <BarState& bar>
int onPress(int, void*, bool*) {
  bar.dragging = true;
  return 0;
}

template <BarState& bar>
int onRelease(int, void*, bool*) {
  bar.dragging = false;
  return 0;
}

template <BarState& bar>
void setupBar() {
  const HELE element = frameObject(bar.element, XC_SCROLLBAR);
  if (element == 0) return;
  XSBar_SetSliderPadding(element, 0);
  XSBar_SetSliderLength(element, 10);
  XEle_RegEventC(element, XE_SBAR_SCROLL, &onThumb<bar>);
  XEle_RegEventC(XSBar_GetButtonUp(element), XE_BNCLICK, &onLineBack<bar>);
  XEle_RegEventC(XSBar_GetButtonDown(element), XE_BNCLICK, &onLineForward<bar>);
  for (const HELE target : {XSBar_GetButtonSlider(element), element}) {
    XEle_RegEventC(target, XE_LBUTTONDOWN, &onPress<bar>);
    XEle_RegEventC(target, XE_LBUTTONUP, &onRelease<bar>);
  }
}

// --- host to shell ---------------------------------------------------------------------------

void mirrorBar(const PageWindows& active, BarState& bar) {
  const HWND host = hostBar(active, bar);
  // Preset: a missing bar (or a host that writes nothing) reads as zeros.
  int32_t minimum = 0, maximum = 0;
  SendMessageA(host, SBM_GETRANGE, reinterpret_cast<WPARAM>(&minimum), reinterpret_cast<LPARAM>(&maximum));
  const auto position = static_cast<int32_t>(SendMessageA(host, SBM_GETPOS, 0, 0));
  const ScrollMemory::Change change = bar.memory.take(maximum, position);
  if (!change.range && !change.position) return;
  const HELE element = frameObject(bar.element, XC_SCROLLBAR);
  if (element == 0) return;
  ++gApplyingHost;
  if (change.range) {
    XSBar_SetRange(element, maximum);
    ++counters().scrollBarUpdates;
  }
  if (change.position) {
    XSBar_ScrollPos(element, position);
    ++counters().scrollBarUpdates;
  }
  --gApplyingHost;
  XEle_RedrawEle(element);
}

void mirrorScrollBars() {
  ++counters().scrollPaints;
  const PageWindows& active = activePage();
  // A designer page: the main view holds the designer surface (id 1).
  if (active.designer != nullptr)
    logToNotepad("窗口设计器:" + decimal(static_cast<int64_t>(reinterpret_cast<intptr_t>(active.designer))));
  mirrorBar(active, gVertical);
  mirrorBar(active, gHorizontal);
}

// --- caret status ----------------------------------------------------------------------------

UINT_PTR gCaretTimer = 0;

void updateCaretStatus() {
  const HXCGUI line = frameObject("lineNum", XC_SHAPE_TEXT);
  const HXCGUI column = frameObject("rowNum", XC_SHAPE_TEXT);
  const HXCGUI length = frameObject("strNum", XC_SHAPE_TEXT);
  if (line == 0 || column == 0 || length == 0) return;
  ++counters().caretUpdates;

  int32_t record[6] = {-1, -1, 0, 0, 0, 0};
  runIdeFunction(ide::kQueryCaretText, static_cast<int32_t>(reinterpret_cast<intptr_t>(record)));
  const int32_t requested = caretRequestLength(record[3]);
  counters().lastCaretBufferBytes = requested > 0 ? requested + 1 : 0;
  const std::string text = hostFilledText(requested, static_cast<size_t>(kCaretTextCap), [&](char* buffer, size_t) {
    record[0] = -1;
    record[1] = -1;
    record[2] = static_cast<int32_t>(reinterpret_cast<intptr_t>(buffer));
    record[3] = requested;  // the host copies at most this many bytes
    runIdeFunction(ide::kQueryCaretText, static_cast<int32_t>(reinterpret_cast<intptr_t>(record)));
  });
  const int32_t row = queryIdeValue(ide::kQueryCaretRow, 0);
  const int32_t col = queryIdeValue(ide::kQueryCaretColumn, 0);

  XShapeText_SetText(line, gbkToUtf16<XChar>(lineStatus(row)).c_str());
  XShapeText_SetText(column, gbkToUtf16<XChar>(columnStatus(col)).c_str());
  XShapeText_SetText(length, gbkToUtf16<XChar>(lengthStatus(text.size())).c_str());
  XShape_Redraw(line);
  XShape_Redraw(column);
  XShape_Redraw(length);
}

void CALLBACK onCaretTimer(HWND, UINT, UINT_PTR id, DWORD) {
  guarded(GuardSite::kUiJob, [id] {
    KillTimer(nullptr, id);
    if (id == gCaretTimer) gCaretTimer = 0;
    if (shellRunning()) updateCaretStatus();
  });
}

// One timer for every click and key: each one moves the read-out 150 ms further.
void armCaretTimer() {
  ++counters().caretTimerArms;
  gCaretTimer = SetTimer(nullptr, gCaretTimer, kCaretDelayMs, &onCaretTimer);
}

// After a click or key the arrow cursor comes back through a capture of the frame; not while a
// window holds the capture (the view's own drag-selection), which that would end.
void restoreArrowCursor() {
  const HWND frame = shellFrameHwnd();
  if (frame == nullptr) return;
  if (GetCapture() != nullptr) {
    ++counters().captureDancesSkipped;
    return;
  }
  SetCapture(frame);
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
  ReleaseCapture();
}

LRESULT onCodeViewMessage(SubclassCall& call) {
  switch (call.message) {
    case WM_PAINT: {
      const LRESULT result = call.forward();
      mirrorScrollBars();
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_KEYUP: {
      const LRESULT result = call.forward();
      armCaretTimer();
      restoreArrowCursor();
      return result;
    }
    case WM_SETFOCUS:
      if (shellExists()) XWnd_RedrawWnd(shellFrame(), false);
      return call.forward();
    default: return call.forward();
  }
}

}  // namespace

void stopCaretTimer() {
  if (gCaretTimer != 0) KillTimer(nullptr, gCaretTimer);
  gCaretTimer = 0;
  gPageWindows = {};
}

}  // namespace tovalux::codeview

namespace tovalux {

using namespace codeview;

const Part kCodeScrollBarsPart{.name = "code scroll bars", .build = &setupCodeScrollBars};

void setupCodeScrollBars() {
  const int size = GetSystemMetrics(SM_CXVSCROLL);
  if (const HXCGUI bar = frameElement("codeScrollBarV"); XC_IsHELE(bar)) XEle_SetWidth(XEle_GetParentEle(bar), size);
  if (const HXCGUI bar = frameElement("codeScrollBarH"); XC_IsHELE(bar)) XEle_SetHeight(XEle_GetParentEle(bar), size);
  gVertical.memory = {};
  gHorizontal.memory = {};
  gVertical.dragging = gHorizontal.dragging = false;
  setupBar<gVertical>();
  setupBar<gHorizontal>();
}

LRESULT CALLBACK codeViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&codeViewProcedure, &onCodeViewMessage, window, message, wParam, lParam);
}

}  // namespace tovalux
