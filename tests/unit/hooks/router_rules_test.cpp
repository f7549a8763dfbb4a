#include <gtest/gtest.h>

#include <set>

#include "hooks/host/router_rules.h"

namespace tovalux::routing {
namespace {

using C = Control;

TEST(RouterTable, WatchesExactlyTheRowsMessages) {
  const std::set<uint32_t> watched = {0x00B1, 0x00B7, 0x00C2, 0x0143, 0x014B, 0x014E, 0x0180, 0x0184, 0x1006,
                                      0x1007, 0x1008, 0x1009, 0x1100, 0x1101, 0x1102, 0x1109, 0x110B, 0x130C};
  for (uint32_t m = 0; m < 0x2000; ++m) EXPECT_EQ(routerWatches(m), watched.count(m) == 1) << std::hex << m;
  EXPECT_FALSE(routerWatches(0xFFFFFFFFu));
  EXPECT_FALSE(routerWatches(89963));
  // Every watched message has a target, and every target a row for it.
  for (uint32_t m : watched) {
    ASSERT_FALSE(candidates(m).empty()) << std::hex << m;
    for (Control c : candidates(m)) {
      bool some = false;
      for (uint32_t w : {0u, 1u, 2u, 9u, 0xFFFFFFFFu})
        for (int32_t l : {0, 1, static_cast<int32_t>(kTviRoot)}) some = some || route(c, m, w, l).order != Order::kNone;
      EXPECT_TRUE(some) << std::hex << m << " control " << int(c);
    }
  }
}

TEST(RouterTable, OrderOfEachRow) {
  EXPECT_EQ(route(C::kUnitCombo, msg::kCbSetCurSel, 3, 0).order, Order::kFirst);
  EXPECT_EQ(route(C::kMemberCombo, msg::kCbSetCurSel, 3, 0).order, Order::kFirst);
  EXPECT_EQ(route(C::kComponentCombo, msg::kCbSetCurSel, 0, 0).text, TextSource::kWindowText);
  EXPECT_EQ(route(C::kComponentCombo, msg::kCbAddString, 0, 1).order, Order::kThen);
  EXPECT_EQ(route(C::kComponentCombo, msg::kCbAddString, 0, 1).text, TextSource::kListString);
  EXPECT_EQ(route(C::kComponentCombo, msg::kCbResetContent, 0, 0).order, Order::kThen);
  EXPECT_EQ(route(C::kEventCombo, msg::kCbSetCurSel, 0, 0).order, Order::kFirst);
  EXPECT_EQ(route(C::kEventCombo, msg::kCbAddString, 0, 1).order, Order::kNone);
  for (C tree : {C::kToolboxTree, C::kCallStack, C::kVariables, C::kLibraryTree, C::kProgramTree}) {
    EXPECT_EQ(route(tree, msg::kTvmInsertItemA, 0, 1).order, Order::kFirst);
    EXPECT_EQ(route(tree, msg::kTvmInsertItemA, 0, 1).text, TextSource::kTreeInsert);
  }
  EXPECT_EQ(route(C::kCompletionList, msg::kTvmSetImageList, 0, 1).action, Action::kRestyleCompletionList);
  EXPECT_EQ(route(C::kOutputTabs, msg::kTcmSetCurSel, 1, 0).action, Action::kBringOutputPane);
  const Route output = route(C::kOutputText, msg::kEmReplaceSel, 0, 1);
  EXPECT_EQ(output.order, Order::kThen);
  EXPECT_TRUE(output.secondMirror);
  EXPECT_EQ(output.text, TextSource::kMessageText);
  const Route tips = route(C::kTipsText, msg::kEmScrollCaret, 0, 0);
  EXPECT_TRUE(tips.secondMirror);
  EXPECT_EQ(tips.text, TextSource::kWindowText);
  EXPECT_EQ(route(C::kSearchResults2, msg::kLbAddString, 0, 1).text, TextSource::kListString);
  EXPECT_EQ(route(C::kWatchList, msg::kLvmInsertItemA, 0, 1).text, TextSource::kListViewItem);
}

TEST(RouterTable, RowConditionsOnTheParameters) {
  const auto root = static_cast<int32_t>(kTviRoot);
  // 3b: only clearing the whole toolbox tree; one item is left alone.
  EXPECT_EQ(route(C::kToolboxTree, msg::kTvmDeleteItem, 0, root).order, Order::kThen);
  EXPECT_EQ(route(C::kToolboxTree, msg::kTvmDeleteItem, 0, 0).order, Order::kThen);
  EXPECT_EQ(route(C::kToolboxTree, msg::kTvmDeleteItem, 0, 0x00A01234).order, Order::kNone);
  // The other trees hand every delete to their mirror.
  EXPECT_EQ(route(C::kCallStack, msg::kTvmDeleteItem, 0, 0x00A01234).order, Order::kThen);
  // 3c: only a caret selection.
  EXPECT_EQ(route(C::kToolboxTree, msg::kTvmSelectItem, kTvgnCaret, 5).text, TextSource::kSelectedItemText);
  EXPECT_EQ(route(C::kToolboxTree, msg::kTvmSelectItem, 8, 5).order, Order::kNone);
  // 8b: exactly (-1, 0).
  EXPECT_EQ(route(C::kOutputText, msg::kEmSetSel, 0xFFFFFFFFu, 0).order, Order::kThen);
  EXPECT_TRUE(route(C::kOutputText, msg::kEmSetSel, 0xFFFFFFFFu, 0).secondMirror);
  EXPECT_EQ(route(C::kOutputText, msg::kEmSetSel, 0xFFFFFFFFu, -1).order, Order::kNone);
  EXPECT_EQ(route(C::kOutputText, msg::kEmSetSel, 0, 0).order, Order::kNone);
  // 11: LVM_SETITEMA only with a positive pointer.
  EXPECT_EQ(route(C::kWatchList, msg::kLvmSetItemA, 0, 0).order, Order::kNone);
  EXPECT_EQ(route(C::kWatchList, msg::kLvmSetItemA, 0, -8).order, Order::kNone);
  EXPECT_EQ(route(C::kWatchList, msg::kLvmSetItemA, 0, 0x0012F000).order, Order::kThen);
  // 16: TVM_EXPAND with expand or collapse only.
  EXPECT_EQ(route(C::kProgramTree, msg::kTvmExpand, 2, 1).order, Order::kThen);
  EXPECT_EQ(route(C::kProgramTree, msg::kTvmExpand, 1, 1).order, Order::kThen);
  EXPECT_EQ(route(C::kProgramTree, msg::kTvmExpand, 3, 1).order, Order::kNone);
  EXPECT_EQ(route(C::kLibraryTree, msg::kTvmExpand, 2, 1).order, Order::kNone);
}

TEST(RouterTable, ControlIdsAndOutputTabs) {
  EXPECT_EQ(controlId(C::kUnitCombo), 629);
  EXPECT_EQ(controlId(C::kOutputTabs), 1000);
  EXPECT_EQ(controlId(C::kCompletionList), 1109);
  EXPECT_EQ(controlId(C::kVariables), 1109);
  EXPECT_EQ(controlId(C::kProgramTree), 1019);
  EXPECT_STREQ(paneForOutputTab("输出"), "调试输出");
  EXPECT_STREQ(paneForOutputTab("搜寻1"), "搜寻结果1");
  EXPECT_STREQ(paneForOutputTab("搜寻2"), "搜寻结果2");
  EXPECT_EQ(paneForOutputTab("提示"), nullptr);
  EXPECT_EQ(paneForOutputTab(""), nullptr);
  EXPECT_EQ(paneForOutputTab(nullptr), nullptr);
}

}  // namespace
}  // namespace tovalux::routing
