// Registers the layout tags of the menu bar and the dock panes.
#include "toolkit/model/menus/kinds.h"

#include "toolkit/model/menus/menubar.h"
#include "toolkit/model/tree/loader.h"

namespace tovalux::tk {

// Dock panes have no tag: they are created in code for a frame (XPane_Create) and placed with
// XFrameWnd_AddPane; their content is loaded as a layout and made their view.
void registerMenuAndPaneKinds() {
  registerKind("menuBar", [](HXCGUI parent) -> Element* { return makeElement<MenuBar>(parent, {}); });
}

}  // namespace tovalux::tk
