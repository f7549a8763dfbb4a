// Rules of the search-result panes and the status text that need no window.
#pragma once

#include <string>
#include <string_view>

namespace tovalux::panes {

// The host's summary line that closes a search contains "--- 共找到 " (searched as characters).
bool isSearchSummary(std::u16string_view line);

// The tip text as the status line shows it: every CR and every LF becomes one blank.
std::u16string statusLineText(std::u16string_view tip);

}  // namespace tovalux::panes
