#include "shell/layout_dock.h"

namespace tovalux::layout {

namespace {

int paneIndex(HELE handle, PaneHandles panes) {
  for (int i = 0; i < kPaneCount; ++i)
    if (handle != 0 && panes[static_cast<size_t>(i)] == handle) return i;
  return -1;
}

XRect toX(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
Rect fromX(const XRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The toolkit answers alignments 0 to 3 only; anything else is read as the left side.
Side sideOf(int align) { return align >= 0 && align < kSideCount ? static_cast<Side>(align) : Side::kLeft; }

}  // namespace

XDockLayout toToolkit(const DockState& dock, PaneHandles panes) {
  XDockLayout out;
  for (int s = 0; s < kSideCount; ++s)
    out.sides[s] = {dock.sides[static_cast<size_t>(s)].size, dock.sides[static_cast<size_t>(s)].order};
  for (const GroupState& g : dock.groups) {
    const HELE front = g.selected >= 0 && g.selected < kPaneCount ? panes[static_cast<size_t>(g.selected)] : 0;
    out.groups.push_back({static_cast<int>(g.side), g.extent, front});
  }
  for (int i = 0; i < kPaneCount; ++i) {
    const HELE handle = panes[static_cast<size_t>(i)];
    if (handle == 0) continue;
    const PaneState& p = dock.panes[static_cast<size_t>(i)];
    out.panes.push_back({handle, p.shown, p.floating, p.floating ? toX(p.floatRect) : XRect{}, static_cast<int>(p.side),
                         p.group, p.order});
  }
  return out;
}

DockState fromToolkit(const XDockLayout& dock, PaneHandles panes) {
  DockState out;
  for (int s = 0; s < kSideCount; ++s) out.sides[static_cast<size_t>(s)] = {dock.sides[s].size, dock.sides[s].order};
  for (const XDockGroup& g : dock.groups) out.groups.push_back({sideOf(g.side), g.extent, paneIndex(g.front, panes)});
  for (int i = 0; i < kPaneCount; ++i)
    out.panes[static_cast<size_t>(i)] = PaneState{false, false, {}, Side::kLeft, -1, 0};
  for (const XDockPane& record : dock.panes) {
    const int i = paneIndex(record.pane, panes);
    if (i < 0) continue;
    PaneState& p = out.panes[static_cast<size_t>(i)];
    p.shown = record.shown;
    p.floating = record.floating;
    p.floatRect = record.floating ? fromX(record.floatRect) : Rect{};
    p.side = sideOf(record.side);
    p.group = record.group >= 0 && static_cast<size_t>(record.group) < out.groups.size() ? record.group : -1;
    p.order = p.group >= 0 ? record.index : 0;
  }
  return out;
}

}  // namespace tovalux::layout
