// The stack, watch and search panes' rules that need no window.
#include <gtest/gtest.h>

#include "panes/search_results_rules.h"
#include "panes/stack_pane_rules.h"
#include "panes/watch_pane_rules.h"

namespace tovalux::panes {
namespace {

TEST(StackLevelKeys, ArrowsCountTheDistanceFromTheComboSelection) {
  EXPECT_EQ(stackLevelKeys(2, 0).key, kVkDown);
  EXPECT_EQ(stackLevelKeys(2, 0).count, 2);
  EXPECT_EQ(stackLevelKeys(0, 2).key, kVkUp);
  EXPECT_EQ(stackLevelKeys(0, 2).count, 2);
  EXPECT_EQ(stackLevelKeys(1, 1).count, 0);
  EXPECT_EQ(stackLevelKeys(-1, 0).count, 0);
  // A combo without a selection (CB_ERR) starts above the first item.
  EXPECT_EQ(stackLevelKeys(0, -1).key, kVkDown);
  EXPECT_EQ(stackLevelKeys(0, -1).count, 1);
}

TEST(StackRows, CentreRoundsHalvesTowardZero) {
  EXPECT_EQ(centreLParam(10, 20, 31, 41), (30u << 16) | 20u);
  EXPECT_EQ(centreLParam(0, 0, 0, 0), 0u);
  // A rectangle left of the origin: x = -3 + (0 - -3) / 2 = -2, packed as 16 bits.
  EXPECT_EQ(centreLParam(-3, 0, 0, 2) & 0xFFFFu, 0xFFFEu);
  // Extreme values do not overflow.
  EXPECT_EQ(centreLParam(INT32_MIN, 0, INT32_MAX, 0) & 0xFFFFu, 0xFFFFu);
}

TEST(StackRows, HandleTextRoundTripsAndRejectsAnythingElse) {
  EXPECT_EQ(stackRowHandle(stackRowHandleText(0x0012A3B0u)), 0x0012A3B0u);
  EXPECT_EQ(stackRowHandle(stackRowHandleText(0xFFFFFFFFu)), 0xFFFFFFFFu);
  EXPECT_EQ(stackRowHandleText(7), u"7");
  EXPECT_FALSE(stackRowHandle(u"").has_value());
  EXPECT_FALSE(stackRowHandle(u"0").has_value());
  EXPECT_FALSE(stackRowHandle(u"4294967296").has_value());
  EXPECT_FALSE(stackRowHandle(u"-5").has_value());
  EXPECT_FALSE(stackRowHandle(u"12a").has_value());
  EXPECT_FALSE(stackRowHandle(u"00000000001").has_value());
}

TEST(WatchRows, InsertLandsAtItsIndexInsideTheListAndAtTheEndPastIt) {
  EXPECT_EQ(watchInsertRow(0, 3), 0);
  EXPECT_EQ(watchInsertRow(2, 3), 2);
  EXPECT_EQ(watchInsertRow(3, 3), 3);
  EXPECT_EQ(watchInsertRow(9, 3), 3);
  EXPECT_EQ(watchInsertRow(-1, 3), 3);
  EXPECT_EQ(watchInsertRow(0, 0), 0);
}

TEST(WatchRows, SetNeedsTheTextFlagATextAndAnExistingCell) {
  EXPECT_TRUE(watchSetApplies(kListItemTextFlag, true, 0, 3, 1));
  EXPECT_FALSE(watchSetApplies(0, true, 0, 1, 1));                   // no LVIF_TEXT
  EXPECT_FALSE(watchSetApplies(kListItemTextFlag, false, 0, 1, 1));  // callback or null text
  EXPECT_FALSE(watchSetApplies(kListItemTextFlag, true, 1, 1, 1));   // no such row
  EXPECT_FALSE(watchSetApplies(kListItemTextFlag, true, -1, 1, 1));
  EXPECT_FALSE(watchSetApplies(kListItemTextFlag, true, 0, 4, 1));  // no such column
}

TEST(SearchRows, SummaryLineAndStatusText) {
  EXPECT_TRUE(isSearchSummary(u"--- 共找到 3 处 ---"));
  EXPECT_TRUE(isSearchSummary(u"前 --- 共找到 "));
  EXPECT_FALSE(isSearchSummary(u"--- 共找到3 处"));
  EXPECT_FALSE(isSearchSummary(u"窗口程序集 (12): 共找到"));
  EXPECT_EQ(statusLineText(u"如果 (条件)\r\n说明"), u"如果 (条件)  说明");
  EXPECT_EQ(statusLineText(u"\n\r"), u"  ");
  EXPECT_EQ(statusLineText(u""), u"");
}

}  // namespace
}  // namespace tovalux::panes
