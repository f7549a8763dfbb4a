// The commands inside the stand-in IDE (in-process): the host's window tree, the plug-in's host
// calls going to the stand-in, the theme's frame with the menu bar and tool bars built by the
// commands, and helpers to read back what the toolkit holds and to open bar menus by real clicks.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host.h"
#include "test_frame.h"
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

  // Builds the bar and the tool bars (the frame's step 13).
  void buildCommands();

  standin::Host& host() { return standin::Host::instance(); }
  HWND hostMain() { return host().mainWindow(); }
  HWND frameWindow();
  HELE menuBar();
  HELE toolBar(int index);

  std::vector<ShownItem> shownItems(int menuIndex);
  int itemFlags(int menuIndex, int id);

  // IDE function numbers and WM_COMMAND ids the stand-in journaled since `since`.
  std::vector<uint32_t> ideCalls(size_t since = 0);
  std::vector<uint32_t> commandsSent(size_t since = 0);
  size_t journalSize() { return host().journal().entries().size(); }

  // The project as the menus see it: the program tree holds 2 items (or none).
  void setProjectLoaded(bool loaded);
  void setCaption(const std::string& caption);

  // Picks an item the way the toolkit reports a pick (event 59 on the bar).
  void pick(int id);

  void settle(DWORD quietMs = 30);

  // What the commands showed or launched: "message 16 <text>", "about <app>|<text>", "web <address>".
  std::vector<std::string> dialogs;
};

}  // namespace tovalux::testing
