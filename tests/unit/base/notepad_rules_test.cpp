// The Notepad log's rules: only a Notepad's window gets the log, and one that timed out is skipped
// until a probe (at most one a second, whichever thread logs) finds it answering again.
#include <gtest/gtest.h>

#include "base/notepad_rules.h"

namespace tovalux::notepad {
namespace {

TEST(NotepadSinkRules, OnlyANotepadProcessByItsImageName) {
  EXPECT_TRUE(isNotepadImage("C:\\Windows\\notepad.exe"));
  EXPECT_TRUE(isNotepadImage("C:\\Windows\\System32\\NOTEPAD.EXE"));
  EXPECT_TRUE(isNotepadImage("Z:/build/host/notepad/notepad.exe"));
  EXPECT_TRUE(isNotepadImage("notepad.exe"));
  EXPECT_FALSE(isNotepadImage("C:\\E\\e.exe"));
  EXPECT_FALSE(isNotepadImage("C:\\evil\\notepad.exe.exe"));
  EXPECT_FALSE(isNotepadImage("C:\\evil\\mynotepad.exe"));
  EXPECT_FALSE(isNotepadImage(""));
}

TEST(NotepadSinkRules, ATimedOutSinkIsSkippedAndProbedOncePerInterval) {
  SinkGate gate;
  EXPECT_EQ(gate.before(7, 1000), SinkGate::Step::kSend);
  gate.timedOut(7, 1500);
  EXPECT_EQ(gate.hungSink(), 7u);
  EXPECT_EQ(gate.before(7, 1600), SinkGate::Step::kSkip);
  EXPECT_EQ(gate.before(8, 1600), SinkGate::Step::kSend);  // another window is not held back
  EXPECT_EQ(gate.before(7, 1500 + kProbeIntervalMs), SinkGate::Step::kProbe);
  EXPECT_EQ(gate.before(7, 1500 + kProbeIntervalMs + 1), SinkGate::Step::kSkip);  // one probe per interval
  EXPECT_EQ(gate.before(7, 1500 + 2 * kProbeIntervalMs), SinkGate::Step::kProbe);
  gate.answered(7);
  EXPECT_EQ(gate.before(7, 1500 + 2 * kProbeIntervalMs + 1), SinkGate::Step::kSend);
  // The tick count wraps after 49 days: the difference still counts.
  gate.timedOut(9, 0xFFFFFF00u);
  EXPECT_EQ(gate.before(9, 0xFFFFFF00u + 10), SinkGate::Step::kSkip);
  EXPECT_EQ(gate.before(9, 0xFFFFFF00u + kProbeIntervalMs), SinkGate::Step::kProbe);
  EXPECT_EQ(gate.before(0, 5), SinkGate::Step::kSend);
}

}  // namespace
}  // namespace tovalux::notepad
