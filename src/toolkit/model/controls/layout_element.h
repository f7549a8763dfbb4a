// Layout elements: plain containers that flow their children.
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
