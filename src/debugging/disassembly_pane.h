// The dock pane "反汇编显示": a three-column list of the last disassembly a debugged program sent
// (address, machine code, instruction). UI thread only.
#pragma once

#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
extern const Part kDisassemblyPart;

// Start-up, after the dock panes: the layout, the list's columns and look, its drawing handlers.
void buildDisassemblyPane();

// Replaces the rows with those of `text` (lines of three "|"-separated parts). The pane is not
// brought to the front.
void showDisassembly(std::string_view text);

// "disassemblyList"; 0 before the pane is built.
HELE disassemblyList();

}  // namespace tovalux
