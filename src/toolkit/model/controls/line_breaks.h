// Where a wrapped line may break in East Asian text: a line never starts with closing punctuation
// (，。、；：？！）」』】》 and the like, or their ASCII forms) and never ends with an opening one.
// Pure rules over UTF-16 text; any thread.
#pragma once

#include <cstddef>
#include <string_view>

namespace tovalux::tk {

bool cannotStartLine(char16_t c);
bool cannotEndLine(char16_t c);

// The break position for a line that holds text[lineStart, breakAt) and would pass the width at
// breakAt: moved back, a few characters at most, until the next line starts with a character that
// may start one and this line ends with one that may end one. The line keeps at least one
// character; where no such place is near, the width decides alone (breakAt unchanged).
size_t adjustLineBreak(std::u16string_view text, size_t lineStart, size_t breakAt);

}  // namespace tovalux::tk
