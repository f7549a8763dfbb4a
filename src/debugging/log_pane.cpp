#include "debugging/log_pane.h"

#include <algorithm>

#include "base/gbk.h"

namespace tovalux::debuglog {

// The pane keeps its text in the edit alone. Past the bound the edit loses its oldest units in
// place: filling it again from a copy would rebuild its strings from nothing each time.
void appendBounded(HELE edit, BoundedText& kept, std::string_view text, int style) {
  const std::string_view shown = kept.fit(text);
  if (shown.empty()) return;
  XString units = gbkToUtf16<XChar>(shown);
  // The edit takes a text up to its first NUL; what it counts must be what it got.
  units.resize(std::min(units.size(), units.find(XChar(0))));
  if (const size_t dropped = kept.append(shown.size(), units.size()); dropped > 0)
    XEdit_RemoveText(edit, 0, static_cast<int>(dropped));
  if (style > 0)
    XEdit_AddTextEx(edit, units.c_str(), style);
  else
    XEdit_AddText(edit, units.c_str());
}

}  // namespace tovalux::debuglog
