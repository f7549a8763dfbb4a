// The shell's frame for the commands' tests: the theme's frame layouts (menu bar, both tool
// bars, caption) in a toolkit frame window with the twelve dock panes, behind the shell's
// functions (shell/shell.h) that the commands call. Calls of activatePaneByTitle and
// styleTabBars are recorded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/xcgui.h"

namespace tovalux::testing {

struct TestFrame {
  HWINDOW frame = 0;
  HELE panes[12] = {};
  std::vector<std::string> activatedPanes;  // activatePaneByTitle's titles, in order
  int tabBarStylings = 0;                   // styleTabBars calls
  int closeRequests = 0;                    // WM_CLOSE reaching the frame (window event 16)
};

// Initialises the toolkit (the caller exits it), loads the theme from the host folder and
// builds the frame, shown. The shell's functions answer from it until destroyTestFrame.
TestFrame& createTestFrame();
void destroyTestFrame();
TestFrame& testFrame();

}  // namespace tovalux::testing
