// Text conversions shared by the stack, variables, watch and search panes: GBK inside, UTF-16 at
// the toolkit.
#pragma once

#include <string>
#include <string_view>

#include "base/gbk.h"
#include "toolkit/xcgui.h"

namespace tovalux::panes {

inline XString toX(std::u16string_view text) { return XString(text.begin(), text.end()); }
inline XString gbkToX(std::string_view gbk) { return toX(gbkToUtf16(gbk)); }
inline std::u16string fromX(const XString& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace tovalux::panes
