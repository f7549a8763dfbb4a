// Dock panes: a caption (title, close button at child index 0, float/dock button at index 1)
// over a content area that holds the pane's view. Where a pane sits - docked in a group of the
// frame, floating in a window of its own, hidden - is the frame's dock site (dock_site.h).
//
// States (XPane_GetState): 1 hidden (or never docked), 2 docked, 3 floating. A docked pane is
// displayed while it is shown and in front of its group; event 37 reports every change of
// that (tab switches included), so native windows kept over a pane's content can follow.
// UI thread only.
#pragma once

#include "toolkit/model/controls/button.h"
#include "toolkit/model/controls/tabbar.h"
#include "toolkit/model/controls/toolbar.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

class DockSite;

// The sides of a frame that pane groups dock to, numbered as XFrameWnd_AddPane's alignments
// (pane_align_left...).
enum class DockSide : int { left = 0, top = 1, right = 2, bottom = 3 };
inline constexpr DockSide kDockSides[] = {DockSide::left, DockSide::top, DockSide::right, DockSide::bottom};
// The side an alignment names; nothing for any other number.
constexpr std::optional<DockSide> dockSideOf(int align) {
  if (align < 0 || align > 3) return std::nullopt;
  return static_cast<DockSide>(align);
}

class Pane : public Element {
 public:
  Pane() : Element(XC_PANE) {}
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("pane"); }

  static constexpr int kCaptionHeight = 24;
  static constexpr int kButtonSize = 16;

  enum class Place { none, docked, floating };
  std::u16string title;
  HWINDOW frame = 0;
  XSize createdSize;
  Place place = Place::none;
  bool shown = true;  // XPane_ShowPane / XPane_HidePane; displayed only once placed
  HWINDOW floatWindow = 0;
  HELE view = 0;

  int state() const;
  // The frame's dock site, when the frame is alive.
  DockSite* dock() const;
  // The focus is on the pane or inside it (the caption's active look).
  bool active() const;

  void build() override;
  void arrange() override;
  uint32_t bkState() const override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  bool tracksFocusWithin() const override { return true; }
};

// The caption buttons: close (hides the pane) and float (floats a docked pane, docks a
// floating one back). Their `action` is not Button::role (a window command), which stays none.
class PaneCaptionButton : public Button {
 public:
  enum class Action { close, dock };
  explicit PaneCaptionButton(Action action) : action(action) {}
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("paneButton");
    out.push_back("button");
  }
  const Action action;
  Pane* pane() const { return dynamic_cast<Pane*>(parent()); }
  void defaultAction(int event, const EventArgs& args) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
};

// A label of a pane group's tab bar: a check-type button bound to its pane (XBtn_GetBindEle);
// a click brings a shown pane to the front of its group.
class PaneTabLabel : public TabLabel {
 public:
  void defaultAction(int event, const EventArgs& args) override;
};

// The bar between a dock side and the rest of the frame, or between two groups of a side;
// dragging it resizes them.
class DockSplitter : public Element {
 public:
  DockSplitter(HWINDOW frame, DockSide side, int group) : frame(frame), side(side), group(group) {}
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("paneSplitter"); }
  const HWINDOW frame;
  const DockSide side;
  const int group;  // 0: the side's own splitter; else the group it follows
  int dragBorderBy(int edge, int delta) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
};

// The window of a floating pane. Closing it (window event 16 not handled) docks the pane back
// where it was instead of destroying it.
class FloatWindow : public Window {
 public:
  // Window events are message numbers: this one is WM_CLOSE.
  static constexpr int kCloseEvent = 16;
  HELE pane = 0;
  HWINDOW frame = 0;
  void defaultAction(int event, const EventArgs& args) override;
};

}  // namespace tovalux::tk
