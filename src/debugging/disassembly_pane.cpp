#include "debugging/disassembly_pane.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/guard.h"
#include "debugging/disassembly_rules.h"
#include "shell/pane_kit.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

constexpr XColor kCodeCellColour = XRGB(45, 45, 48);         // columns 0 and 1
constexpr XColor kInstructionCellColour = XRGB(37, 37, 38);  // column 2
constexpr XColor kTextColour = XRGB(240, 240, 240);
constexpr int kColumns = 3;

pane_kit::PaneElement<XC_LIST> gList;

// A block's rows are added a slice at a time. After each slice the fill goes on at once unless
// input waits, and otherwise gives the UI thread its turn (a thread timer, which comes after
// input and paint), as it also does after a step's budget so the list shows its progress and
// posted messages are served; a block at the cap never freezes the IDE. (A timer per slice would cost its 10 ms resolution
// each time: more than the slice's own work.) One block fills at a time; the newest one that
// arrives meanwhile waits, older waiting ones are dropped (counted).
constexpr size_t kRowsPerSlice = 2000;
constexpr std::chrono::milliseconds kStepBudget{40};
struct Fill {
  disasm::ShownRows shown;
  size_t next = 0;
  bool active = false;
  bool waiting = false;
  std::string waitingText;
  UINT_PTR timer = 0;
};
Fill gFill;
DisassemblyPaneCounters gCounters;

void beginFill(std::string_view text);

XColor cellColour(int column) { return column == 2 ? kInstructionCellColour : kCodeCellColour; }

void registerDrawing(HELE list) {
  // Header cells in the normal and hovered states take the code columns' colour.
  XEle_RegEventC(XList_GetHeaderHELE(list), XE_LIST_HEADER_DRAWITEM,
                 [](HDRAW draw, XListHeaderItemRecord* item, bool* handled) {
                   guarded(GuardSite::kToolkit, [&] {
                     if (item == nullptr || (item->state != 0 && item->state != 1)) return;
                     XDraw_FillRectColor(draw, &item->rect, kCodeCellColour, 255);
                     *handled = true;
                   });
                   return 0;
                 });
  // The texts of a new row are light.
  pane_kit::onEventWithSelf(list, XE_LIST_TEMP_CREATE_END, [](HELE self, XListItemRecord* item) {
    if (item == nullptr) return;
    for (int column = 0; column < kColumns; ++column) {
      const HXCGUI text = XList_GetTemplateObject(self, item->index, column, column + 1);
      if (XC_IsHXCGUI(text, XC_SHAPE_TEXT)) XShapeText_SetTextColor(text, kTextColour, 255);
    }
  });
  // Each cell is filled with the colour stored as its item data; the text is drawn over it.
  pane_kit::onEventWithSelf(list, XE_LIST_DRAWITEM, [](HELE self, HDRAW draw, XListItemRecord* item) {
    if (item == nullptr) return;
    XDraw_FillRectColor(draw, &item->rect, static_cast<XColor>(XList_GetItemData(self, item->index, item->column)),
                        255);
  });
}

}  // namespace

const Part kDisassemblyPart{.name = "disassembly pane", .build = &buildDisassemblyPane};

void buildDisassemblyPane() {
  gList.forget();
  if (gFill.timer) KillTimer(nullptr, gFill.timer);
  gFill = {};
  if (!loadPaneView(kPaneDisassembly, "DisassemblyView.xml")) return;
  const HELE target = pane(kPaneDisassembly);
  if (!gList.adopt(XC_GetObjectByName(L"disassemblyList"))) return;
  // Rows close together; the list keeps the toolkit's own selection and scroll bars.
  constexpr pane_kit::ListColumn kShownColumns[] = {{80, L"地址"}, {200, L"机器代码"}, {260, L"汇编代码"}};
  pane_kit::setUpList(gList, kShownColumns, {.singleSelection = false, .scrollBarLook = false, .rowSpace = 0});
  registerDrawing(gList);
  XEle_AdjustLayout(gList);
  XEle_AdjustLayout(target);
}

namespace {

// The toolkit copies each text: one buffer serves every cell of a fill (a block at the cap is
// 300,000 of them).
const XChar* cellText(std::string_view gbk) {
  static std::basic_string<XChar> buffer;
  buffer.clear();
  gbk_detail::appendUtf16(gbk, buffer);
  return buffer.c_str();
}

void addRow(const disasm::Row& row) {
  const int index = XList_AddItemText(gList, cellText(row.address));
  if (index < 0) return;
  XList_SetItemText(gList, index, 1, cellText(row.code));
  XList_SetItemText(gList, index, 2, cellText(row.instruction));
  for (int column = 0; column < kColumns; ++column)
    XList_SetItemData(gList, index, column, static_cast<int>(cellColour(column)));
}

void stopTimer() {
  if (gFill.timer) KillTimer(nullptr, gFill.timer);
  gFill.timer = 0;
}

void fillSlice();

void CALLBACK onSliceTimer(HWND, UINT, UINT_PTR, DWORD) {
  stopTimer();
  guarded(GuardSite::kToolkit, [] { fillSlice(); });
}

void fillSlice() {
  if (!gFill.active) return;
  if (!gList.live()) {  // the pane went away (shut-down): nothing more to fill
    gFill = {};
    return;
  }
  const std::vector<disasm::Row>& rows = gFill.shown.rows;
  const auto began = std::chrono::steady_clock::now();
  for (;;) {
    const size_t end = std::min(rows.size(), gFill.next + kRowsPerSlice);
    for (; gFill.next < end; ++gFill.next) addRow(rows[gFill.next]);
    ++gCounters.slices;
    if (gFill.next >= rows.size() || std::chrono::steady_clock::now() - began >= kStepBudget) break;
    // Input or another thread's send goes first; posted messages (the toolkit's own notices
    // among them, after every slice) wait for the step's end.
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_SENDMESSAGE)) != 0) break;
  }
  XList_RefreshData(gList);
  XEle_RedrawEle(gList, false);
  if (gFill.next < rows.size()) {
    gFill.timer = SetTimer(nullptr, 0, 0, &onSliceTimer);
    if (gFill.timer) return;
    fillSlice();  // no timer to be had: the rest at once rather than never
    return;
  }
  if (gFill.shown.leftOut > 0) {
    addRow({"", "", disasm::leftOutRowText(gFill.shown.leftOut)});
    XList_RefreshData(gList);
    XEle_RedrawEle(gList, false);
  }
  gFill.active = false;
  gFill.shown = {};
  ++gCounters.blocksShown;
  if (gFill.waiting) {
    gFill.waiting = false;
    const std::string next = std::move(gFill.waitingText);
    gFill.waitingText.clear();
    beginFill(next);
  }
}

void beginFill(std::string_view text) {
  if (!gList.live()) return;
  XList_DeleteItemAll(gList);
  XList_RefreshData(gList);
  gFill.shown = disasm::shownRows(text);
  gFill.next = 0;
  gFill.active = true;
  fillSlice();
}

}  // namespace

void showDisassembly(std::string_view text) {
  if (!gList.live()) return;
  if (gFill.active) {
    if (gFill.waiting) ++gCounters.blocksDropped;
    gFill.waiting = true;
    gFill.waitingText.assign(text);
    return;
  }
  beginFill(text);
}

bool disassemblyFilling() { return gFill.active; }

DisassemblyPaneCounters disassemblyPaneCounters() { return gCounters; }

HELE disassemblyList() { return gList.get(); }

}  // namespace tovalux
