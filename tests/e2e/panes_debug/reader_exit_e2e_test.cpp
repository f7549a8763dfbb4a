// The host closes (notification 6, then FreeLibrary of Tovalux.fne) while the variables reader
// waits between two reads: the reader must not run unmapped code or touch a closed shell.
#include <gtest/gtest.h>

#include "common/e2e_runner.h"

namespace tovalux::testing {
namespace {

TEST(ReaderExit, ClosingWhileTheReaderWaitsExitsCleanly) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EhostRun run({.name = "e2e_panes_reader_exit"});
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.waitForJournal("started"));
    ASSERT_TRUE(run.send("pause-page"));
    ASSERT_TRUE(run.waitForJournal("variables-filled"));
    // Round 0 closes inside the reader's first wait; the others after it selected variables.
    if (round > 0) {
      ASSERT_TRUE(run.waitForJournal("ctl-msg", fieldIs("msg", "0x0000110B")));
    }
    EXPECT_TRUE(run.send("close"));
    EXPECT_EQ(run.waitForExit(), 0);
    EXPECT_EQ(run.count("library-freed"), 1u);
  }
}

}  // namespace
}  // namespace tovalux::testing
