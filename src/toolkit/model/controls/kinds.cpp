// Registers the layout tags of the simple element kinds.
#include "toolkit/model/controls/kinds.h"

#include "toolkit/model/controls/button.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/controls/layout_element.h"
#include "toolkit/model/controls/scroll_view.h"
#include "toolkit/model/controls/shape.h"
#include "toolkit/model/controls/tabbar.h"
#include "toolkit/model/controls/toolbar.h"
#include "toolkit/model/tree/loader.h"

namespace tovalux::tk {

void registerControlKinds() {
  registerKind("layout", [](HXCGUI p) -> Element* { return makeElement<LayoutElement>(p, {}); });
  registerKind("shapeText", [](HXCGUI p) -> Element* { return makeElement<ShapeText>(p, {}); });
  registerKind("shapePic", [](HXCGUI p) -> Element* { return makeElement<ShapePicture>(p, {}); });
  registerKind("button", [](HXCGUI p) -> Element* { return makeElement<Button>(p, {}); });
  registerKind("toolBar", [](HXCGUI p) -> Element* { return makeElement<ToolBar>(p, {}); });
  registerKind("tabBar", [](HXCGUI p) -> Element* { return makeElement<TabBar>(p, {}); });
  registerKind("scrollBar", [](HXCGUI p) -> Element* { return makeElement<ScrollBar>(p, {}); });
  registerKind("scrollView", [](HXCGUI p) -> Element* { return makeElement<ScrollView>(p, {}); });
  registerKind("edit", [](HXCGUI p) -> Element* { return makeElement<Edit>(p, {}); });
}

}  // namespace tovalux::tk
