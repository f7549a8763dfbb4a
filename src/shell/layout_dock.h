// The window layout's dock state in the toolkit's terms and back: the frame's panes by index
// (a handle of 0 is a pane that was not made). Portable: the toolkit model runs natively.
#pragma once

#include <span>

#include "shell/layout_rules.h"
#include "toolkit/xcgui.h"

namespace tovalux::layout {

using PaneHandles = std::span<const HELE, kPaneCount>;

XDockLayout toToolkit(const DockState& dock, PaneHandles panes);
// Records of panes that are not the frame's twelve are passed over; a pane the layout does not
// name is in no group.
DockState fromToolkit(const XDockLayout& dock, PaneHandles panes);

}  // namespace tovalux::layout
