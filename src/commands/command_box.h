// The command box in the frame's caption (command_box.cpp): its Part, the call its key makes,
// and what tests read back. UI thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/xcgui.h"

namespace tovalux {

struct Part;
// Builds the box once the frame exists (its events, the frame's focus rules, the focus key's
// hook); tearDown removes the hook.
extern const Part kCommandBoxPart;

// What the focus key does: the box takes the keyboard and lists every command. False when
// there is no box (a layout without one, before start-up, after shut-down).
bool focusCommandBox();

// The box (0 when there is none) and whether it has the keyboard.
HELE commandBox();
bool commandBoxActive();

// The rows listed now, as "生成(C) > 静态编译(S)", and whether each may run.
std::vector<std::string> commandBoxRows();
std::vector<bool> commandBoxRowsEnabled();

struct CommandBoxCounters {
  uint32_t focused = 0;  // focusCommandBox took the keyboard
  uint32_t filters = 0;  // the rows were filled
  uint32_t runs = 0;     // a command was run
  uint32_t refused = 0;  // a disabled command was chosen and did not run
};
CommandBoxCounters commandBoxCounters();
// The focus key's message hook is in place (from the Part's build to its tearDown).
bool commandBoxKeyHookInstalled();

}  // namespace tovalux
