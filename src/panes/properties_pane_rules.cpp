#include "panes/properties_pane_rules.h"

namespace tovalux::properties {

bool isSeparatorEntry(std::string_view text) {
  return text.size() == 100 && text.find_first_not_of('-') == std::string_view::npos;
}

int EventRows::hostIndex(int row) const {
  return row >= 0 && row < size() ? hostIndexes_[static_cast<size_t>(row)] : -1;
}

}  // namespace tovalux::properties
