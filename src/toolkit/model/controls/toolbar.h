// Tool bars: a tool bar lines its elements up left to right in insertion order, vertically
// centred; positions count every inserted element (buttons, separators, combo boxes).
// UI thread only.
#pragma once

#include "toolkit/model/controls/button.h"

namespace tovalux::tk {

class ToolBar : public Element {
 public:
  ToolBar() : Element(XC_TOOLBAR) {
    flows = true;
    alignV = align_center_v;
  }
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("toolBar"); }
  int insert(Element* element, int index);
  Element* at(int index) const;
  int count() const { return static_cast<int>(children().size()); }
};

}  // namespace tovalux::tk
