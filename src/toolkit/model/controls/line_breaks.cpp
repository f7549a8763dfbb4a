// East Asian line-breaking rules for wrapped text (see line_breaks.h).
#include "toolkit/model/controls/line_breaks.h"

namespace tovalux::tk {
namespace {

constexpr std::u16string_view kClosing = u"，。、；：？！）」』】》〉〕］｝〗〙”’…‥・ー～％‰℃,.;:?!)]}%";
constexpr std::u16string_view kOpening = u"（「『【《〈〔［｛〖〘“‘([{$￥";
// A longer run of forbidden characters than this is not worth a short line: the width decides.
constexpr size_t kMaxPullBack = 4;

}  // namespace

bool cannotStartLine(char16_t c) { return kClosing.find(c) != std::u16string_view::npos; }
bool cannotEndLine(char16_t c) { return kOpening.find(c) != std::u16string_view::npos; }

size_t adjustLineBreak(std::u16string_view text, size_t lineStart, size_t breakAt) {
  if (breakAt >= text.size() || breakAt <= lineStart) return breakAt;
  for (size_t at = breakAt; at > lineStart && breakAt - at <= kMaxPullBack; --at) {
    if (!cannotStartLine(text[at]) && !cannotEndLine(text[at - 1])) return at;
  }
  return breakAt;
}

}  // namespace tovalux::tk
