// The layout tags of the simple element kinds (layout, shapes, buttons, bars, scroll views,
// edits); XInitXCGUI registers them with the loader (tree/loader.h).
#pragma once

namespace tovalux::tk {

void registerControlKinds();

}  // namespace tovalux::tk
