// The panes "帮助提示" (help tips) and "调试输出" (debug output): the build output the host writes
// into its output box, copied and coloured by marker, beside the log of the debugging run.
// Everything here runs on the UI thread and does nothing when its element does not exist. The
// build output and the log keep at most 1 MiB each: past that the oldest texts go (down to
// 768 KiB), so a build or a program that prints without end never grows the IDE's memory.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// The panes' Part: builds them and mirrors the host's tips box and output box into them.
extern const Part kDebugOutputPart;

// Start-up: both pane views, the text styles and the pane tool bar. Once, after the dock panes.
void buildOutputPanes();

// One text the host appended to its output box: a marked line in its colour, anything else as
// it is; then the pane scrolls to the end.
void writeBuildOutput(std::string_view text);
// Empties the build output: the host emptied its output box, or the user pressed "全部清除" or a
// build button (the debugging Part offers it to the commands as clearBuildOutput).
void clearBuildOutputPane();
// The debugging-run log (also the module manager's log).
void appendDebugLine(std::string_view text);
void clearDebugLog();
// The help-tip pane shows the host's tip text.
void showHelpTip(std::string_view text);

// The elements (0 before the panes are built); tests read them back.
HELE buildOutputEdit();  // "outDbugTipEdit"
HELE debugLogEdit();     // "outDbugHelpEdit"
HELE helpTipEdit();      // "outTipHelpEdit"
HELE outputToolBar();    // "outDbugToolBar"

// The texts as GBK, for tests.
std::string editText(HELE edit);

}  // namespace tovalux
