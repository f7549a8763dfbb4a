#include "debugging/log_pane.h"

#include "base/gbk.h"

namespace tovalux::debuglog {
namespace {

void addStyled(HELE edit, std::string_view text, int style) {
  if (style > 0)
    XEdit_AddTextEx(edit, gbkToUtf16<XChar>(text).c_str(), style);
  else
    XEdit_AddText(edit, gbkToUtf16<XChar>(text).c_str());
}

}  // namespace

// When older text had to go, the pane is filled again.
void appendBounded(HELE edit, BoundedText& kept, std::string_view text, int style) {
  if (!kept.append(text, style)) {
    addStyled(edit, text, style);
    return;
  }
  XEdit_SetText(edit, XString().c_str());
  for (const BoundedText::Segment& segment : kept.segments()) addStyled(edit, segment.text, segment.style);
}

}  // namespace tovalux::debuglog
