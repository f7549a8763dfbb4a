// The lifecycle rules: what notification 1 and notifications 6/17 do in each state.
#include <gtest/gtest.h>

#include "host/shell_state.h"
#include "host/text_rules.h"

namespace tovalux {
namespace {

TEST(ShellState, StartBuildsOnlyFromLoadedOrWaitingWithAHostWindow) {
  EXPECT_EQ(decideStart(ShellState::kLoaded, false).next, ShellState::kWaiting);
  EXPECT_FALSE(decideStart(ShellState::kLoaded, false).build);
  EXPECT_TRUE(decideStart(ShellState::kLoaded, true).build);
  EXPECT_EQ(decideStart(ShellState::kLoaded, true).next, ShellState::kRunning);
  EXPECT_TRUE(decideStart(ShellState::kWaiting, true).build);
  EXPECT_FALSE(decideStart(ShellState::kWaiting, false).build);
  // A second notification 1 while running, and any after 6/17, builds nothing.
  EXPECT_FALSE(decideStart(ShellState::kRunning, true).build);
  EXPECT_EQ(decideStart(ShellState::kRunning, true).next, ShellState::kRunning);
  EXPECT_FALSE(decideStart(ShellState::kClosed, true).build);
  EXPECT_EQ(decideStart(ShellState::kClosed, true).next, ShellState::kClosed);
}

TEST(ShellState, OnlyARunningShellIsTakenDownAndClosedIsFinal) {
  EXPECT_TRUE(decideShutdown(ShellState::kRunning).restore);
  EXPECT_EQ(decideShutdown(ShellState::kRunning).next, ShellState::kClosed);
  for (ShellState s : {ShellState::kLoaded, ShellState::kWaiting, ShellState::kClosed}) {
    EXPECT_FALSE(decideShutdown(s).restore) << shellStateName(s);
    EXPECT_EQ(decideShutdown(s).next, s);
  }
}

TEST(WindowText, LongTextsAreCutOnACharacterAndMarked) {
  std::string text(49999, 'a');
  text += "\xB0\xA1";  // a double-byte character across the limit
  text += std::string(10000 - 1, 'b');
  ASSERT_EQ(text.size(), 60000u);
  const std::string cut = elideWindowText(text, text.size());
  EXPECT_EQ(cut.substr(0, 49999), std::string(49999, 'a'));
  EXPECT_EQ(cut.substr(49999), "...后面略掉10000个字符...");
  EXPECT_EQ(elideWindowText("short", 5), "short");
  EXPECT_EQ(elideWindowText(std::string(50000, 'x'), 50000), std::string(50000, 'x'));
  EXPECT_EQ(oneLine("a\r\nb\rc\n"), "a  b c ");
}

}  // namespace
}  // namespace tovalux
