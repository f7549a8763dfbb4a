// Layout elements: plain containers that flow their children.
// Nothing of their own but the flow: the box layout (tree/layout.cpp) does the rest.
#pragma once

#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

// XLayout_Create: a container that flows its children (horizontally unless told otherwise).
class LayoutElement : public Element {
 public:
  LayoutElement() : Element(XC_ELE_LAYOUT) { flows = true; }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("layout");
    out.push_back("element");
  }
};

}  // namespace tovalux::tk
