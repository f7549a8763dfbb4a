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
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(pane.append("line " + std::to_string(i) + "\r\n", i % 2));
  EXPECT_EQ(pane.bytes(), 72u);
  EXPECT_TRUE(pane.append("line 9\r\nline 10\r\nline 11\r\nline 12\r\n", 3));  // past 100: down to 60 or less
  EXPECT_LE(pane.bytes(), 60u);
  EXPECT_EQ(pane.segments().back().style, 3);
  EXPECT_EQ(pane.segments().back().text, "line 9\r\nline 10\r\nline 11\r\nline 12\r\n");
  // One text longer than the bound keeps its end, from a line start.
  EXPECT_TRUE(pane.append(std::string(200, 'x') + "\r\ntail\r\n", 0));
  EXPECT_EQ(pane.segments().back().text, "tail\r\n");
  EXPECT_EQ(pane.bytes(), 65u);
  pane.clear();
  EXPECT_EQ(pane.bytes(), 0u);
  EXPECT_TRUE(pane.segments().empty());
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
