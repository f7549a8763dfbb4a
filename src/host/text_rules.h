// Rules for texts read from host windows (portable).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovalux {

// The most a window text is read in full; longer ones are cut and marked.
inline constexpr size_t kWindowTextLimit = 50000;

// A text whose window reports `reportedLength` bytes: up to the limit it is `text` as read; past
// it, the first 50,000 bytes (without a lead byte cut off from its trail) followed by
// "...后面略掉" + the number of bytes beyond the limit + "个字符...".
std::string elideWindowText(std::string_view text, size_t reportedLength);

// CR and LF each become one blank (the shell's one-line status fields).
std::string oneLine(std::string_view text);

}  // namespace tovalux
