#include "hooks/host/router_rules.h"

#include <array>
#include <cstring>

namespace tovalux::routing {
namespace {

constexpr uint32_t kTableSize = 0x1400;  // every watched number is below it

constexpr std::array<uint32_t, 18> kWatched = {
    msg::kEmSetSel,        msg::kEmScrollCaret,     msg::kEmReplaceSel,   msg::kCbAddString,   msg::kCbResetContent,
    msg::kCbSetCurSel,     msg::kLbAddString,       msg::kLbResetContent, msg::kLvmSetItemA,   msg::kLvmInsertItemA,
    msg::kLvmDeleteItem,   msg::kLvmDeleteAllItems, msg::kTvmInsertItemA, msg::kTvmDeleteItem, msg::kTvmExpand,
    msg::kTvmSetImageList, msg::kTvmSelectItem,     msg::kTcmSetCurSel};

struct Bitmap {
  std::array<uint32_t, kTableSize / 32> bits{};
  constexpr Bitmap() {
    for (uint32_t m : kWatched) bits[m / 32] |= 1u << (m % 32);
  }
};
constexpr Bitmap kBitmap;

using C = Control;
constexpr C kCbSetCurSelTargets[] = {C::kUnitCombo, C::kMemberCombo, C::kComponentCombo, C::kEventCombo};
constexpr C kCbListTargets[] = {C::kComponentCombo};
constexpr C kTvInsertTargets[] = {C::kToolboxTree, C::kCallStack, C::kVariables, C::kLibraryTree, C::kProgramTree};
constexpr C kTvDeleteTargets[] = {C::kToolboxTree, C::kCallStack, C::kVariables, C::kLibraryTree, C::kProgramTree};
constexpr C kTvSelectTargets[] = {C::kToolboxTree};
constexpr C kTvExpandTargets[] = {C::kProgramTree};
constexpr C kTvImageListTargets[] = {C::kCompletionList};
constexpr C kTabTargets[] = {C::kOutputTabs};
constexpr C kOutputTargets[] = {C::kOutputText};
constexpr C kListViewTargets[] = {C::kWatchList};
constexpr C kListBoxTargets[] = {C::kSearchResults1, C::kSearchResults2};
constexpr C kTipsTargets[] = {C::kTipsText};

constexpr Route first(TextSource text = TextSource::kNone) { return {Order::kFirst, Action::kMirror, text, false}; }
constexpr Route then(TextSource text = TextSource::kNone) { return {Order::kThen, Action::kMirror, text, false}; }

bool isTreeDelete(uint32_t message) { return message == msg::kTvmDeleteItem; }

}  // namespace

bool routerWatches(uint32_t message) {
  return message < kTableSize && (kBitmap.bits[message / 32] >> (message % 32) & 1u) != 0;
}

int32_t controlId(Control control) { return control < Control::kCount ? hostControlId(control) : 0; }

std::span<const Control> candidates(uint32_t message) {
  switch (message) {
    case msg::kCbSetCurSel: return kCbSetCurSelTargets;
    case msg::kCbAddString:
    case msg::kCbResetContent: return kCbListTargets;
    case msg::kTvmInsertItemA: return kTvInsertTargets;
    case msg::kTvmDeleteItem: return kTvDeleteTargets;
    case msg::kTvmSelectItem: return kTvSelectTargets;
    case msg::kTvmExpand: return kTvExpandTargets;
    case msg::kTvmSetImageList: return kTvImageListTargets;
    case msg::kTcmSetCurSel: return kTabTargets;
    case msg::kEmReplaceSel:
    case msg::kEmSetSel: return kOutputTargets;
    case msg::kLvmInsertItemA:
    case msg::kLvmSetItemA:
    case msg::kLvmDeleteItem:
    case msg::kLvmDeleteAllItems: return kListViewTargets;
    case msg::kLbAddString:
    case msg::kLbResetContent: return kListBoxTargets;
    case msg::kEmScrollCaret: return kTipsTargets;
    default: return {};
  }
}

Route route(Control control, uint32_t message, uint32_t wParam, int32_t lParam) {
  switch (control) {
    case C::kUnitCombo:
    case C::kMemberCombo:
    case C::kEventCombo:
      if (message == msg::kCbSetCurSel) return first(TextSource::kWindowText);
      break;
    case C::kComponentCombo:
      if (message == msg::kCbAddString) return then(TextSource::kListString);
      if (message == msg::kCbResetContent) return then();
      if (message == msg::kCbSetCurSel) return first(TextSource::kWindowText);
      break;
    case C::kToolboxTree:
      if (message == msg::kTvmInsertItemA) return first(TextSource::kTreeInsert);
      // Only clearing the whole tree empties the toolbox's map; one item changes nothing.
      if (isTreeDelete(message) && (static_cast<uint32_t>(lParam) == kTviRoot || lParam == 0)) return then();
      if (message == msg::kTvmSelectItem && wParam == kTvgnCaret) return then(TextSource::kSelectedItemText);
      break;
    case C::kCompletionList:
      if (message == msg::kTvmSetImageList)
        return {Order::kThen, Action::kRestyleCompletionList, TextSource::kNone, false};
      break;
    case C::kOutputTabs:
      if (message == msg::kTcmSetCurSel) return {Order::kThen, Action::kBringOutputPane, TextSource::kNone, false};
      break;
    case C::kOutputText:
      if (message == msg::kEmReplaceSel) return {Order::kThen, Action::kMirror, TextSource::kMessageText, true};
      // Only (-1, 0) is the host emptying its box: a build starts, which the BlackMoon watch
      // hears too.
      if (message == msg::kEmSetSel && wParam == 0xFFFFFFFFu && lParam == 0)
        return {Order::kThen, Action::kMirror, TextSource::kNone, true};
      break;
    case C::kCallStack:
    case C::kVariables:
    case C::kLibraryTree:
      if (message == msg::kTvmInsertItemA) return first(TextSource::kTreeInsert);
      if (isTreeDelete(message)) return then();
      break;
    case C::kProgramTree:
      if (message == msg::kTvmInsertItemA) return first(TextSource::kTreeInsert);
      if (isTreeDelete(message)) return then();
      if (message == msg::kTvmExpand && (wParam == 1 || wParam == 2)) return then();
      break;
    case C::kWatchList:
      if (message == msg::kLvmInsertItemA) return then(TextSource::kListViewItem);
      // A set with a pointer above 2 GB or none is not a host item (the host is not large-address aware).
      if (message == msg::kLvmSetItemA && lParam > 0) return then(TextSource::kListViewItem);
      if (message == msg::kLvmDeleteAllItems || message == msg::kLvmDeleteItem) return then();
      break;
    case C::kSearchResults1:
    case C::kSearchResults2:
      if (message == msg::kLbAddString) return then(TextSource::kListString);
      if (message == msg::kLbResetContent) return then();
      break;
    case C::kTipsText:
      if (message == msg::kEmScrollCaret) return {Order::kThen, Action::kMirror, TextSource::kWindowText, true};
      break;
    default: break;  // the host controls no row names (dock bars, the property grid...)
  }
  return {};
}

const char* paneForOutputTab(const char* caption) {
  if (caption == nullptr) return nullptr;
  if (std::strcmp(caption, "输出") == 0) return "调试输出";
  if (std::strcmp(caption, "搜寻1") == 0) return "搜寻结果1";
  if (std::strcmp(caption, "搜寻2") == 0) return "搜寻结果2";
  return nullptr;
}

}  // namespace tovalux::routing
