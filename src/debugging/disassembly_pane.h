// The dock pane "反汇编显示": a three-column list of the last disassembly a debugged program sent
// (address, machine code, instruction). UI thread only.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
extern const Part kDisassemblyPart;

// Start-up, after the dock panes: the layout, the list's columns and look, its drawing handlers.
void buildDisassemblyPane();

// Replaces the rows with those of `text` (lines of three "|"-separated parts). The pane is not
// brought to the front. At most disasm::kMaxShownRows rows are shown, then one row saying how
// many were left out. The first 2,000 rows are there when this returns; the rest follow in
// slices of that size, the UI serving its messages between them. A block that arrives while one
// is being filled waits for it (only the newest waits; one it replaces is dropped, counted).
void showDisassembly(std::string_view text);
// True while a block is being filled.
bool disassemblyFilling();
struct DisassemblyPaneCounters {
  uint32_t blocksShown = 0;
  uint32_t blocksDropped = 0;
  uint32_t slices = 0;
};
DisassemblyPaneCounters disassemblyPaneCounters();

// "disassemblyList"; 0 before the pane is built.
HELE disassemblyList();

}  // namespace tovalux
