// The layout tags of the data views (list box, list, tree, list view, combo box); XInitXCGUI
// registers them with the loader (tree/loader.h).
#pragma once

namespace tovalux::tk {

void registerDataViewKinds();

}  // namespace tovalux::tk
