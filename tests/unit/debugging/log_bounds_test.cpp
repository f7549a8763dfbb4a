// What the debugging panes keep: lines waiting for the UI thread are capped and the rest counted
// in one line; a pane keeps its newest text within its bound, cut on line and character starts.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "debugging/log_bounds.h"

namespace tovalux::debuglog {
namespace {

TEST(PendingLines, AFloodKeepsTheCapacityAndCountsTheRestInOneLine) {
  PendingLines lines(3);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&lines] {
      for (int i = 0; i < 2500; ++i) lines.push("exception\r\n");
    });
  for (std::thread& thread : threads) thread.join();
  const std::vector<std::string> taken = lines.take();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[3], droppedLine(9997));
  EXPECT_EQ(taken[3], "… 另有 9997 条异常未显示\r\n");
  EXPECT_TRUE(lines.take().empty());  // the count starts again
  EXPECT_TRUE(lines.push("a"));
  lines.clear();
  EXPECT_EQ(lines.waiting(), 0u);
}

TEST(BoundedText, OldestTextGoesPastTheBoundAndLinesStayWhole) {
  BoundedText pane(100, 60);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(pane.append(8, 8), 0u);  // "line 0\r\n" ...
  EXPECT_EQ(pane.bytes(), 72u);
  const std::string four = "line 9\r\nline 10\r\nline 11\r\nline 12\r\n";
  EXPECT_EQ(pane.fit(four), four);
  // Past 100: the oldest six lines go, down to 60 or less; the edit loses their units.
  EXPECT_EQ(pane.append(four.size(), four.size()), 48u);
  EXPECT_EQ(pane.bytes(), 59u);
  EXPECT_EQ(pane.texts(), 4u);
  // One text longer than the bound keeps its end, from a line start.
  const std::string longText = std::string(200, 'x') + "\r\ntail\r\n";
  const std::string_view tail = pane.fit(longText);
  EXPECT_EQ(tail, "tail\r\n");
  EXPECT_EQ(pane.append(tail.size(), tail.size()), 0u);
  EXPECT_EQ(pane.bytes(), 65u);
  pane.clear();
  EXPECT_EQ(pane.bytes(), 0u);
  EXPECT_EQ(pane.texts(), 0u);
}

TEST(BoundedText, TheEditLosesTheUnitsOfTheTextsThatGoNotTheirBytes) {
  // "中文\r\n": 6 GBK bytes, 4 UTF-16 units.
  BoundedText pane(16, 8);
  EXPECT_EQ(pane.append(6, 4), 0u);
  EXPECT_EQ(pane.append(6, 4), 0u);
  EXPECT_EQ(pane.append(6, 4), 8u);  // 18 past 16: two go, 6 remain
  EXPECT_EQ(pane.bytes(), 6u);
  // The newest text stays even when it alone is past what is kept.
  EXPECT_EQ(pane.append(12, 12), 4u);
  EXPECT_EQ(pane.texts(), 1u);
  EXPECT_EQ(pane.append(0, 0), 0u);  // nothing shown, nothing taken in
  EXPECT_EQ(pane.texts(), 1u);
}

TEST(BoundedText, AnEndWithoutALineBreakStartsOnACharacter) {
  // "中" is two bytes: 4 bytes from the end of "a中中" start at the first "中", not inside it.
  const std::string text = "a\xD6\xD0\xD6\xD0";
  EXPECT_EQ(keptEnd(text, 4), "\xD6\xD0\xD6\xD0");
  EXPECT_EQ(keptEnd(text, 3), "\xD6\xD0");
  EXPECT_EQ(keptEnd("abc", 5), "abc");
  EXPECT_EQ(keptEnd("ab\ncd\nef", 4), "ef");
}

}  // namespace
}  // namespace tovalux::debuglog
