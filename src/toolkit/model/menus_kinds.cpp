// Registers the layout tags of the menu bar and the dock panes.
#include "toolkit/model/loader.h"

namespace tovalux::tk {

void registerMenuAndPaneKinds() {}

}  // namespace tovalux::tk
