// The layout tag of the menu bar; XInitXCGUI registers it with the loader (tree/loader.h).
#pragma once

namespace tovalux::tk {

void registerMenuAndPaneKinds();

}  // namespace tovalux::tk
