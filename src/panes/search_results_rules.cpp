#include "panes/search_results_rules.h"

namespace tovalux::panes {

bool isSearchSummary(std::u16string_view line) { return line.find(u"--- 共找到 ") != std::u16string_view::npos; }

std::u16string statusLineText(std::u16string_view tip) {
  std::u16string line(tip);
  for (char16_t& c : line)
    if (c == u'\r' || c == u'\n') c = u' ';
  return line;
}

}  // namespace tovalux::panes
