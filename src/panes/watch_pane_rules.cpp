#include "panes/watch_pane_rules.h"

namespace tovalux::panes {

int watchInsertRow(int requested, int count) {
  if (count < 0) count = 0;
  if (requested < 0 || requested > count) return count;
  return requested;
}

bool watchSetApplies(uint32_t mask, bool hasText, int row, int column, int count) {
  return (mask & kListItemTextFlag) != 0 && hasText && row >= 0 && row < count && column >= 0 && column < kWatchColumns;
}

}  // namespace tovalux::panes
