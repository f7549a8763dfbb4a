#include "panes/variables_reader.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/workers.h"
#include "host/host_text.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/ui_jobs.h"
#include "panes/variables_reader_rules.h"
#include "settings/settings.h"
#include "shell/pane_kit.h"
#include "shell/shell.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

constexpr XColor kCellTextColour = XRGB(240, 240, 240);
constexpr XColor kHeadingTextColour = XRGB(255, 255, 255);
constexpr XColor kHeadingBand = XRGB(63, 63, 70);
constexpr int kColumns = 4;
constexpr int kStrikeOut = 8;
// A tree larger than this is not a variables page; the walk stops there.
constexpr size_t kMostItems = 100000;

pane_kit::PaneElement<XC_LIST> gList;  // UI thread
HFONTX gStrikeFont = 0;                // UI thread: made once, again only when its handle died

std::atomic<bool> gBusy{false};
std::atomic<uint32_t> gGeneration{0};
std::atomic<uint32_t> gThreads{0}, gWalks{0}, gRestarts{0}, gCompleted{0}, gStrikeFonts{0};

void redrawList() {
  XList_RefreshData(gList);
  XEle_RedrawEle(gList, false);
}

void clearRows() {
  if (!gList.live()) return;
  XList_DeleteItemAll(gList);
  redrawList();
}

HFONTX strikeFont() {
  if (XC_IsHXCGUI(gStrikeFont, XC_FONT)) return gStrikeFont;
  gStrikeFont = XFont_Create2(gbkToUtf16<XChar>(fontNameSetting()).c_str(), fontSizeSetting(), kStrikeOut);
  if (gStrikeFont != 0) ++gStrikeFonts;
  return gStrikeFont;
}

void onVariableItemStyled(HELE list, const XListItemRecord& item) {
  bool unsupported = false;
  for (int column = 0; column < kColumns; ++column) {
    const HXCGUI text = XList_GetTemplateObject(list, item.index, column, column + 1);
    if (!XC_IsHXCGUI(text, XC_SHAPE_TEXT)) continue;
    if (panes::isUnsupportedValueText(utf16Copy<char16_t>(XShapeText_GetText(text)))) unsupported = true;
    if (darkTheme()) XShapeText_SetTextColor(text, kCellTextColour, 250);
  }
  const HXCGUI first = XList_GetTemplateObject(list, item.index, 0, 1);
  if (XC_IsHXCGUI(first, XC_SHAPE_TEXT) && panes::isVariableCategory(utf16Copy<char16_t>(XShapeText_GetText(first))))
    XShapeText_SetTextColor(first, kHeadingTextColour, 255);
  if (!unsupported) return;
  const HXCGUI value = XList_GetTemplateObject(list, item.index, 1, 2);
  if (XC_IsHXCGUI(value, XC_SHAPE_TEXT)) XShapeText_SetFont(value, strikeFont());
}

void onVariableItemDrawn(HELE list, HDRAW draw, const XListItemRecord& item) {
  if (item.state != item_state_normal) return;
  if (!panes::isVariableCategory(utf16Copy<char16_t>(XList_GetItemText(list, item.index, 0)))) return;
  XDraw_FillRectColor(draw, &item.rect, kHeadingBand, 255);
}

// --- the reader -----------------------------------------------------------------------------

struct HostItem {
  HTREEITEM handle;
  std::u16string text;  // trimmed
};

// Every item of the tree in pre-order, with its text. One UI-thread step: the host cannot change
// the tree between these sends.
std::vector<HostItem> listHostItems(HWND tree) {
  std::vector<HostItem> items;
  HTREEITEM item = treeRoot(tree);
  while (item != nullptr && items.size() < kMostItems) {
    items.push_back({item, std::u16string(panes::trimBlanks(gbkToUtf16(treeItemText(tree, item))))});
    HTREEITEM next = treeChild(tree, item);
    while (next == nullptr && item != nullptr) {
      next = treeNext(tree, item);
      if (next == nullptr) item = treeParent(tree, item);
    }
    item = next;
  }
  return items;
}

enum class Step { kDone, kChanged, kStopped };

// Runs `body` on the UI thread unless the tree moved on since `generation` (or the shell is
// closing): the check and the body are one step there.
Step onUiThreadIfUnchanged(uint32_t generation, const std::function<void()>& body) {
  auto outcome = std::make_shared<Step>(Step::kStopped);
  const bool ran = runOnUiThread([&, outcome] {
    if (workerStopRequested()) return;
    if (gGeneration.load() != generation) {
      *outcome = Step::kChanged;
      return;
    }
    body();
    *outcome = Step::kDone;
  });
  return ran ? *outcome : Step::kStopped;
}

// One walk: the rows replaced by those of the tree as it is now. kDone when the tree stayed the
// same from the listing to the last read.
Step walkOnce() {
  ++gWalks;
  uint32_t generation = 0;
  std::vector<HostItem> items;
  HWND tree = nullptr, valueWindow = nullptr, descriptionWindow = nullptr;
  const bool listed = runOnUiThread([&] {
    if (workerStopRequested()) return;
    const HostWindows& windows = hostWindows();
    tree = windows.bottomPanelItem1109();
    valueWindow = windows.bottomPanelItem1010();
    descriptionWindow = windows.bottomPanelItem1115();
    generation = gGeneration.load();
    clearRows();
    if (tree != nullptr) items = listHostItems(tree);
  });
  if (!listed || workerStopRequested()) return Step::kStopped;

  for (const HostItem& item : items) {
    if (item.text.empty()) continue;
    if (panes::isVariableCategory(item.text)) {
      const Step step = onUiThreadIfUnchanged(generation, [&] { addVariableHeading(item.text); });
      if (step != Step::kDone) return step;
      continue;
    }
    Step step = onUiThreadIfUnchanged(generation, [&] { treeSelect(tree, item.handle); });
    if (step != Step::kDone) return step;
    // The host shows the value and description of the selected variable in its two windows.
    if (waitForWorkerStop(kReaderValueWait)) return Step::kStopped;
    step = onUiThreadIfUnchanged(generation, [&] {
      const std::string value = windowText(valueWindow);
      const std::string description = windowText(descriptionWindow);
      addVariableRow(panes::joinVariable(item.text, gbkToUtf16(value), gbkToUtf16(description)));
    });
    if (step != Step::kDone) return step;
  }
  // The busy flag is given up in the same UI-thread step that finds the tree unchanged: an insert
  // (its slot runs on the UI thread too) either came before and is seen here, or comes after and
  // finds the flag clear.
  bool finished = false;
  const bool checked = runOnUiThread([&] {
    if (workerStopRequested() || gGeneration.load() != generation) return;
    gBusy.store(false);
    finished = true;
  });
  if (!checked) return Step::kStopped;
  return finished ? Step::kDone : Step::kChanged;
}

void readHostVariables() {
  for (;;) {
    // One reader covers every insert of the host's burst: it waits for the burst to end first.
    if (waitForWorkerStop(kReaderStartWait)) break;
    const Step step = walkOnce();
    if (step == Step::kDone) {
      ++gCompleted;
      return;
    }
    if (step == Step::kStopped) break;
    ++gRestarts;
  }
  gBusy.store(false);
}

void startReaderWhenIdle() {
  if (gBusy.exchange(true)) return;
  if (startWorker(&readHostVariables))
    ++gThreads;
  else
    gBusy.store(false);
}

}  // namespace

void setUpVariablesList(HXCGUI list) {
  if (!gList.adopt(list)) return;
  static constexpr pane_kit::ListColumn kShownColumns[] = {{220, L"名称"}, {260, L"值"}, {180, L"类型"}};
  pane_kit::setUpList(gList, kShownColumns);
  pane_kit::onEventWithSelf(gList, XE_LIST_TEMP_CREATE_END, [](HELE self, XListItemRecord* item) {
    if (item != nullptr) onVariableItemStyled(self, *item);
  });
  pane_kit::onEventWithSelf(gList, XE_LIST_DRAWITEM, [](HELE self, HDRAW draw, XListItemRecord* item) {
    if (item != nullptr) onVariableItemDrawn(self, draw, *item);
  });
}

void onVariablesMessage(const HostMessage& message) {
  if (!gList.live()) return;  // the pane has no variables list
  if (message.message == TVM_DELETEITEM) {
    // Any delete may kill an item a walk holds.
    ++gGeneration;
    mirrorVariablesClear(message.lParam);
  } else if (message.message == TVM_INSERTITEMA) {
    ++gGeneration;
    if (gList.live()) startReaderWhenIdle();
  }
}

void mirrorVariablesClear(LPARAM item) {
  if (static_cast<uint32_t>(item) != 0xFFFF0000u && item != 0) return;
  clearRows();
}

void addVariableHeading(std::u16string_view text) {
  if (!gList.live()) return;
  XList_AddItemText(gList, utf16Copy<XChar>(text).c_str());
  XEle_RedrawEle(gList, false);
}

void addVariableRow(std::u16string_view joined) {
  if (!gList.live()) return;
  const auto row = panes::variableRow(joined);
  if (!row) return;
  const int index = XList_AddItemText(gList, utf16Copy<XChar>(row->name).c_str());
  if (index < 0) return;
  XList_SetItemText(gList, index, 1, utf16Copy<XChar>(row->value).c_str());
  XList_SetItemText(gList, index, 2, utf16Copy<XChar>(row->type).c_str());
  XList_RefreshItem(gList, index);
  XEle_RedrawEle(gList, false);
}

HELE variablesList() { return gList.get(); }

VariablesReaderStats variablesReaderStats() {
  return {gThreads.load(), gWalks.load(), gRestarts.load(), gCompleted.load(), gStrikeFonts.load(), gGeneration.load()};
}

bool variablesReaderBusy() { return gBusy.load(); }

void resetVariablesReaderForTests() {
  gThreads = gWalks = gRestarts = gCompleted = gStrikeFonts = 0;
  if (runningWorkers() == 0) gBusy.store(false);
}

}  // namespace tovalux
