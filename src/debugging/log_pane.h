// A log pane's edit kept within its bound: each text goes in with its style, and once the pane
// holds more than its bound the oldest texts go (BoundedText decides which) from the edit's
// start. Portable: only the toolkit's functions, so what the edit really holds is tested
// natively. UI thread.
#pragma once

#include <string_view>

#include "debugging/log_bounds.h"
#include "toolkit/xcgui.h"

namespace tovalux::debuglog {

// Appends `text` (GBK) to `edit` in `style` (0: the edit's own), and to what `kept` keeps.
void appendBounded(HELE edit, BoundedText& kept, std::string_view text, int style);

}  // namespace tovalux::debuglog
