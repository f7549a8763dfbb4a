// The commands inside the stand-in IDE (in-process, common/host_fixture.h): the shell started by
// notification 1, its frame with the menu bar and tool bars the commands build, and helpers to
// read back what the toolkit holds.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/host_fixture.h"
#include "toolkit/xcgui.h"

namespace tovalux::testing {

// An item of a bar menu as the toolkit holds it.
struct ShownItem {
  int id = 0;
  int parentId = 0;
  int flags = 0;
  std::string label;  // GBK
  bool hasIcon = false;
};

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the shell (notification 1): the frame builds the menu bar and the tool bars, reading
  // the recent files as the registry holds them then.
  void buildCommands();

  HostFixture& fixture() { return fixture_; }
  void act(const std::string& line) { ASSERT_TRUE(fixture_.action(line).ok) << line; }
  HWND frameWindow();
  HELE menuBar();
  HELE toolBar(int index);

  std::vector<ShownItem> shownItems(int menuIndex);
  int itemFlags(int menuIndex, int id);

  // IDE function numbers and WM_COMMAND ids the stand-in journaled since `since`.
  std::vector<uint32_t> ideCalls(size_t since = 0);
  std::vector<uint32_t> commandsSent(size_t since = 0);
  size_t journalSize() { return fixture_.journalSize(); }

  // The caption the host shows (its markers are what the run state reads).
  void setCaption(const std::string& caption);

  // Picks an item the way the toolkit reports a pick (event 59 on the bar).
  void pick(int id);
  // Serves what the last step posted or sent until the queue is empty (the host's posted work
  // and the shell's UI jobs included).
  void settle();

 private:
  HostFixture fixture_;
};

}  // namespace tovalux::testing
