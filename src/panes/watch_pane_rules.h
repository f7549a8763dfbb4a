// Rules of the watch pane that need no window: where a host insert lands and which host cell
// updates the pane takes.
#pragma once

#include <cstdint>

namespace tovalux::panes {

inline constexpr int kWatchColumns = 4;
inline constexpr uint32_t kListItemTextFlag = 0x0001;  // LVIF_TEXT

// The row a host insert at `requested` becomes when the list has `count` rows: the same index
// when it is inside the list, the end otherwise (a list view appends past its end too).
int watchInsertRow(int requested, int count);

// A host LVM_SETITEMA the pane follows: a text (the flag and a real text pointer) for a cell
// that exists.
bool watchSetApplies(uint32_t mask, bool hasText, int row, int column, int count);

}  // namespace tovalux::panes
