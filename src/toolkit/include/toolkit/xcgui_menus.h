// Menu bars and pop-up menus, dock panes and frame docking, and the XDraw_ operations of draw
// events. Included by xcgui.h.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "toolkit/xcgui.h"

// Regions and brushes of a draw context. On Windows they have the HRGN/HBRUSH types, so code
// written for GDI-typed handles compiles unchanged, but they are toolkit objects: they belong
// to the draw context that made them, die with it, and mean nothing to GDI.
#ifdef _WIN32
struct HRGN__;
struct HBRUSH__;
using XHRGN = HRGN__*;
using XHBRUSH = HBRUSH__*;
#else
struct XHRGN__;
struct XHBRUSH__;
using XHRGN = XHRGN__*;
using XHBRUSH = XHBRUSH__*;
#endif

// --- menu bars and pop-up menus -------------------------------------------------------------
// Item flags (XMenu_AddItem, XMenu_SetItemFlags); draw-item states (event 61) are the item's
// flags plus menu_item_flag_hot while the item is under the mouse or chosen by the keyboard.
enum XMenuItemFlag : int {
  menu_item_flag_normal = 0,
  menu_item_flag_hot = 1,
  menu_item_flag_popup = 4,
  menu_item_flag_separator = 8,
  menu_item_flag_disable = 16,
};
// Where XMenu_Popup's point lies on the pop-up.
enum XMenuPopupPosition : int {
  menu_popup_position_left_top = 0,
  menu_popup_position_left_bottom = 1,
  menu_popup_position_right_top = 2,
  menu_popup_position_right_bottom = 3,
};
// Records of the menu events (pointers valid during the event only). Parent id -1: the
// top-level pop-up of the menu.
struct XMenuPopupInfo {  // 58
  HWINDOW window;
  int parentId;
};
struct XMenuDrawBackgroundInfo {  // 60
  HMENUX menu;
  HWINDOW window;
  int parentId;
};
struct XMenuDrawItemInfo {  // 61
  HMENUX menu;
  HWINDOW window;
  int id;
  int state;    // XMenuItemFlag bits
  XRect rect;   // the item, in the pop-up window's client coordinates
  HIMAGE icon;  // 0 when none
  const XChar* text;
};

HELE XMenuBar_Create(int x, int y, int width, int height, HXCGUI parent = 0);
void XMenuBar_SetButtonHeight(HELE bar, int height);
// Appends a bar button (object type 44) with its own, empty menu; answers its index.
int XMenuBar_AddButton(HELE bar, const XChar* text);
HMENUX XMenuBar_GetMenu(HELE bar, int index);
// A free menu: destroyed when the pop-up it was shown in closes.
HMENUX XMenu_Create();
// Shows the menu at (x, y) (screen pixels as Windows gives them, GetCursorPos's; `position` says
// which corner lies there), owned by the native window `owner`; `receiver` gets its events 57 to 62.
bool XMenu_Popup(HMENUX menu, XHWND owner, int x, int y, HELE receiver, int position = menu_popup_position_left_top);
// parentId 0 or -1: top level. Several items may share an id (separators); an id then names
// the first of them.
void XMenu_AddItem(HMENUX menu, int id, const XChar* text, int parentId = 0, int flags = 0);
void XMenu_AddItemIcon(HMENUX menu, int id, const XChar* text, int parentId, HIMAGE icon, int flags = 0);
void XMenu_SetItemFlags(HMENUX menu, int id, int flags);
XString XMenu_GetItemText(HMENUX menu, int id);
// The parent item's id; -1 for a top-level item or an unknown id.
int XMenu_GetParentItem(HMENUX menu, int id);
void XMenu_SetItemHeight(HMENUX menu, int height);
int XMenu_GetLeftWidth(HMENUX menu);
// Owner drawing: the receiver paints the background (60) or the items (61); the toolkit draws
// nothing of its own for them.
void XMenu_EnableDrawBackground(HMENUX menu, bool enable);
void XMenu_EnableDrawItem(HMENUX menu, bool enable);

// --- dock panes and the frame -------------------------------------------------------------
// Sides of XFrameWnd_AddPane (they differ from XWnd_BindLayoutEle's positions).
enum XPaneAlign : int { pane_align_left = 0, pane_align_top = 1, pane_align_right = 2, pane_align_bottom = 3 };
// XPane_GetState.
enum XPaneState : int { pane_state_hidden = 1, pane_state_dock = 2, pane_state_float = 3 };

// A pane of `frame` with a caption (title; child 0 the close button, child 1 the float/dock
// button) over its view; hidden until docked. `width` x `height` is its size when docked.
HELE XPane_Create(const XChar* title, int width, int height, HWINDOW frame);
// Makes the element the pane's content, filling the area under the caption.
void XPane_SetView(HELE pane, HELE view);
// Shows a hidden pane in its place, in front of its group; lays the frame out again.
void XPane_ShowPane(HELE pane);
void XPane_HidePane(HELE pane);
// Shown, and docked or floating.
bool XPane_IsShowPane(HELE pane);
int XPane_GetState(HELE pane);
XString XPane_GetTitle(HELE pane);
// What the float button does for a docked pane: a floating window of its own, window event
// 28690 (window, pane) on the frame.
void XPane_FloatPane(HELE pane);
// Docks `pane` in a new group on side `align` of the frame (destPane 0), or beside destPane's
// group on its side (before it for left/top, after it for right/bottom).
void XFrameWnd_AddPane(HWINDOW frame, HELE destPane, HELE pane, int align);
// Puts `pane` into destPane's group as its last tab; window event 28692 on the frame follows.
void XFrameWnd_MergePane(HWINDOW frame, HELE destPane, HELE pane);
void XFrameWnd_SetPaneSplitBarColor(HWINDOW frame, XColor color, int alpha = 255);

// A frame's docking arrangement: what XFrameWnd_GetDockLayout reads and XFrameWnd_SetDockLayout
// puts back (a layout kept from one session to the next).
struct XDockSide {
  int size = 0;   // across the side (width of left/right, height of top/bottom)
  int order = 0;  // sides take their band in this order (1, 2...); 0: never docked to
  bool operator==(const XDockSide&) const = default;
};
struct XDockGroup {
  int side = pane_align_left;
  int extent = 0;  // along the side (the last shown group of a side takes the rest anyway)
  HELE front = 0;  // the selected tab
  bool operator==(const XDockGroup&) const = default;
};
struct XDockPane {
  HELE pane = 0;
  bool shown = true;  // false: hidden (closed), keeping its place
  bool floating = false;
  XRect floatRect;             // screen coordinates of its floating window
  int side = pane_align_left;  // its group's side (a floating pane's: the side it docks back to)
  int group = -1;              // index into groups (a floating pane's: the group it docks back to); -1 none
  int index = 0;               // its tab's position in the group
  bool operator==(const XDockPane&) const = default;
};
struct XDockLayout {
  XDockSide sides[4];              // by alignment
  std::vector<XDockGroup> groups;  // each side's groups in order
  std::vector<XDockPane> panes;    // every pane of the frame, in the order they were made
  bool operator==(const XDockLayout&) const = default;
};
// False for anything but a frame window.
bool XFrameWnd_GetDockLayout(HWINDOW frame, XDockLayout* out);
// Arranges the frame's panes as `layout` says, in one change: floating windows of panes that no
// longer float close (without event 16), panes that float get a window at their rectangle (28690
// for each, then shown), groups are made in order with their tabs, sides get their sizes and
// order. A pane of another frame, named twice, or one in no group that does not float is left
// out of every group (hidden, as before it was docked); so is a pane the layout does not name.
// Then 37 on each pane whose visibility changed and 28692 for the new tab bars. False for
// anything but a frame window.
bool XFrameWnd_SetDockLayout(HWINDOW frame, const XDockLayout* layout);

// --- drawing (inside draw events) ----------------------------------------------------------
// Coordinates are those of the event's records. Lines and text use the brush colour.
void XDraw_FillRectColor(HDRAW draw, const XRect* rect, XColor color, int alpha = 255);
void XDraw_SetBrushColor(HDRAW draw, XColor color, int alpha = 255);
// A 1-pixel line; the end point is not drawn.
void XDraw_DrawLine(HDRAW draw, int x1, int y1, int x2, int y2);
// fillMode: 1 alternate (even-odd), 2 winding. At least three points.
XHRGN XDraw_CreatePolygonRgn(HDRAW draw, const XPoint* points, int count, int fillMode);
XHBRUSH XDraw_CreateSolidBrush(HDRAW draw, XColor color, int alpha = 255);
void XDraw_FillRgn(HDRAW draw, XHRGN region, XHBRUSH brush);
// XTextAlign flags: 0 left/top, 1 centre, 2 right, 4 vertical centre, 8 bottom.
void XDraw_SetTextAlign(HDRAW draw, int flags);
// One line of text in `rect`, clipped to it; length < 0: up to the terminating 0.
void XDraw_DrawText(HDRAW draw, const XChar* text, int length, const XRect* rect);
// The image at its natural size with its top-left corner at (x, y).
void XDraw_Image(HDRAW draw, HIMAGE image, int x, int y);

template <class P>
concept XPointShaped = !std::is_same_v<P, XPoint> && requires(P p) {
  p.x;
  p.y;
};
template <XPointShaped P>
XHRGN XDraw_CreatePolygonRgn(HDRAW draw, const P* points, int count, int fillMode) {
  if (points == nullptr || count <= 0) return nullptr;
  std::vector<XPoint> pts(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    pts[static_cast<size_t>(i)] = {static_cast<int32_t>(points[i].x), static_cast<int32_t>(points[i].y)};
  return XDraw_CreatePolygonRgn(draw, pts.data(), count, fillMode);
}
template <XRectShaped R>
void XDraw_FillRectColor(HDRAW draw, const R* rect, XColor color, int alpha = 255) {
  if (rect == nullptr) return;
  XRect r = xcgui_detail::fromShaped(*rect);
  XDraw_FillRectColor(draw, &r, color, alpha);
}
template <XRectShaped R>
void XDraw_DrawText(HDRAW draw, const XChar* text, int length, const R* rect) {
  if (rect == nullptr) return;
  XRect r = xcgui_detail::fromShaped(*rect);
  XDraw_DrawText(draw, text, length, &r);
}
