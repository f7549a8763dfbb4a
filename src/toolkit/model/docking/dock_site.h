// The dock site of a frame window: where its panes sit and how the frame's body is shared
// between them and the view.
//
// Model. Each pane belongs to at most one group; a group lies on one side of the frame (left,
// top, right or bottom - the XFrameWnd_AddPane alignments 0, 1, 2, 3) and shows one pane, its
// front pane, at a time. A group of two or more panes has a tab bar (a tab bar child of the
// frame window) with one check-type label per pane, bound to it, in the group's order; the
// bar is shown while at least two of the panes are shown, and sits under the front pane.
//   AddPane(pane, 0, side)      a new group of that pane at the end of the side
//   AddPane(pane, dest, align)  a new group beside dest's group on dest's side: before it for
//                               left/top, after it for right/bottom
//   MergePane(dest, pane)       pane joins dest's group as its last tab; the front stays
//   HidePane / ShowPane         a hidden pane keeps its place (and its tab, hidden); showing
//                               it brings it to the front of its group
//   tab click                   brings its (shown) pane to the front
//   float (caption button 1)    the pane leaves its group for a new floating window (owned
//                               by the frame), then window event 28690 (window, pane) on the
//                               frame, then the window is shown
//   dock back (caption button 1 of a floating pane, or its window closed)
//                               the pane returns to its group, at its old position, in front;
//                               to a new group on the same side if that group is gone
//   layout / applyLayout        the whole arrangement read, and put back in one change (the
//                               sides' sizes and order, the groups in order with their tabs,
//                               extents and fronts, every pane's place, floating rectangle and
//                               shown state)
// Every change lays the frame out again, then raises 37 on each pane whose visibility changed
// and, when tab labels were created, window event 28692 on the frame (their look is the
// shell's to set).
//
// Geometry. Sides take their part of the frame's body in the order they were first docked to,
// each across the full length the earlier ones left: a side's size is the width (left, right)
// or height (top, bottom) of its first pane when it was docked, then whatever its splitter is
// dragged to. A side's groups share its length: every group but the last keeps its own extent
// (its first pane's height, or width on top/bottom sides), the last takes the rest. Splitters
// kSplitter pixels thick lie between a side and the rest, and between neighbouring groups. The
// view gets what remains. Sides, groups and splitters with no shown pane take no room.
//
// UI thread only. The site belongs to its frame (FrameWindow::dock) and touches only the frame's
// panes, tab bars, splitters and floating windows; every change ends with events whose handlers
// may do anything, so it settles its own state first (commit).
#pragma once

#include <map>
#include <vector>

#include "toolkit/model/docking/frame_window.h"
#include "toolkit/model/docking/pane.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/xcgui.h"

namespace tovalux::tk {

class DockSite {
 public:
  static constexpr int kSplitter = 4;
  static constexpr int kTabHeight = 24;
  static constexpr int kMinSide = 40;   // a side never gets smaller by dragging
  static constexpr int kMinGroup = 40;  // nor a group
  static constexpr int kMinView = 40;   // room dragging leaves for the view

  explicit DockSite(FrameWindow& frame) : frame_(frame) {}
  ~DockSite();
  DockSite(const DockSite&) = delete;
  DockSite& operator=(const DockSite&) = delete;

  // The operations above; each ignores a pane of another frame.
  void addPane(Pane& pane, Pane* dest, DockSide side);
  void mergePane(Pane& dest, Pane& pane);
  void showPane(Pane& pane, bool show);
  void bringToFront(Pane& pane);
  void floatPane(Pane& pane);
  void dockBack(Pane& pane);
  XDockLayout layout() const;
  void applyLayout(const XDockLayout& layout);

  // Panes, tab bars and splitters of the site: placed by arrange, not by the body's flow.
  bool manages(const Element& e) const;
  // Places everything in the frame's body; answers the view's area.
  XRect arrange(const XRect& body);
  // A splitter dragged by `delta` pixels; answers how far it moved.
  int dragSplitter(const DockSplitter& splitter, int delta);

  XColor splitColor = palette::kWindowSurface;
  uint8_t splitAlpha = 255;

  struct Group {
    int id = 0;
    DockSide side = DockSide::left;
    std::vector<HELE> panes;  // tab order
    HELE front = 0;
    int extent = 0;  // along the side
    HELE tabBar = 0;
    std::map<HELE, HELE> labels;  // pane -> its tab label
    HELE splitter = 0;            // towards the next group of the side
    int length = 0;               // as last arranged
  };
  const Group* groupOf(HELE pane) const;

 private:
  struct Side {
    int size = 0;
    int order = 0;  // 0: never docked to
    HELE splitter = 0;
    int room = 0;  // length available to it when last arranged
  };
  struct Home {
    DockSide side = DockSide::left;
    int group = 0;
    size_t index = 0;
  };

  Group* group(HELE pane);
  Group* groupById(int id);
  bool ownPane(const Pane& pane) const;
  void detachFromGroup(Pane& pane);
  // A floating pane back into the frame, not yet docked; its window destroyed.
  void takeBack(Pane& pane);
  // The pane (in no group) into a new floating window at `screen`; the window is announced but
  // not shown, and no event is raised (announceFloat does that once the site has settled).
  HWINDOW openFloatWindow(Pane& pane, const XRect& screen);
  // Where a pane that leaves its group would open as a floating window.
  XRect floatRectOf(const Pane& pane) const;
  // Panes that died, labels and tab bars to create or remove; answers whether labels were made.
  bool tidy();
  void place(Pane& pane, Group& g, size_t index);
  Side& sideOf(DockSide side) { return sides_[static_cast<int>(side)]; }
  Group& newGroup(DockSide side, size_t at);
  void startSide(DockSide side, const Pane& pane);
  void commit(bool labelsMade);
  void arrangeSide(DockSide side, const XRect& area);
  void arrangeGroup(Group& g, const XRect& area);

  FrameWindow& frame_;
  std::vector<Group> groups_;          // a side's groups in order; sides interleave freely
  Side sides_[std::size(kDockSides)];  // by DockSide
  std::map<HELE, Home> homes_;
  std::vector<HWINDOW> floats_;
  int nextGroup_ = 1;
  int nextOrder_ = 1;
};

}  // namespace tovalux::tk
