// Public surface: dock panes and frame docking.
// UI thread only; every handle is validated first (api_support.h).
#include <algorithm>

#include "toolkit/model/core/context.h"
#include "toolkit/model/docking/dock_site.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;

namespace {
bool ready() { return context().initialized; }
Pane* paneOf(HELE h) { return ready() ? context().registry.get<Pane>(h) : nullptr; }
FrameWindow* frameOf(HWINDOW h) { return ready() ? context().registry.get<FrameWindow>(h) : nullptr; }
}  // namespace

HELE XPane_Create(const XChar* title, int width, int height, HWINDOW frame) {
  if (frameOf(frame) == nullptr) return 0;
  const XSize size{clampSize(width), clampSize(height)};
  Pane* p = makeElement<Pane>(frame, {0, 0, size.cx, size.cy});
  p->title = fromX(title);
  p->frame = frame;
  p->createdSize = size;
  p->visible = false;
  return p->handle();
}

void XPane_SetView(HELE pane, HELE view) {
  Pane* p = paneOf(pane);
  Element* v = getElement(view);
  if (p == nullptr || v == nullptr || v == p || v->parent() == p) {
    if (p != nullptr && v != nullptr && v->parent() == p) p->view = view;
    return;
  }
  p->insertChild(v);  // refuses an element the pane lies in
  if (v->parent() == p) p->view = view;
}

void XPane_ShowPane(HELE pane) {
  Pane* p = paneOf(pane);
  if (DockSite* site = p != nullptr ? p->dock() : nullptr) site->showPane(*p, true);
}

void XPane_HidePane(HELE pane) {
  Pane* p = paneOf(pane);
  if (DockSite* site = p != nullptr ? p->dock() : nullptr) site->showPane(*p, false);
}

bool XPane_IsShowPane(HELE pane) {
  Pane* p = paneOf(pane);
  return p != nullptr && p->shown && p->place != Pane::Place::none;
}

int XPane_GetState(HELE pane) {
  Pane* p = paneOf(pane);
  return p != nullptr ? p->state() : 0;
}

XString XPane_GetTitle(HELE pane) {
  Pane* p = paneOf(pane);
  return p != nullptr ? toX(p->title) : XString();
}

void XPane_FloatPane(HELE pane) {
  Pane* p = paneOf(pane);
  if (DockSite* site = p != nullptr ? p->dock() : nullptr) site->floatPane(*p);
}

void XFrameWnd_AddPane(HWINDOW frame, HELE destPane, HELE pane, int align) {
  FrameWindow* f = frameOf(frame);
  Pane* p = paneOf(pane);
  if (f == nullptr || p == nullptr) return;
  DockSite& site = f->dock();
  if (auto side = dockSideOf(align)) site.addPane(*p, paneOf(destPane), *side);
}

void XFrameWnd_MergePane(HWINDOW frame, HELE destPane, HELE pane) {
  FrameWindow* f = frameOf(frame);
  Pane* dest = paneOf(destPane);
  Pane* p = paneOf(pane);
  if (f != nullptr && dest != nullptr && p != nullptr) f->dock().mergePane(*dest, *p);
}

void XFrameWnd_SetPaneSplitBarColor(HWINDOW frame, XColor color, int alpha) {
  FrameWindow* f = frameOf(frame);
  if (f == nullptr) return;
  f->dock().splitColor = color & 0xFFFFFF;
  f->dock().splitAlpha = static_cast<uint8_t>(std::clamp(alpha, 0, 255));
  f->invalidateAll(false);
}

bool XFrameWnd_GetDockLayout(HWINDOW frame, XDockLayout* out) {
  FrameWindow* f = frameOf(frame);
  if (f == nullptr || out == nullptr) return false;
  *out = f->dock().layout();
  return true;
}

bool XFrameWnd_SetDockLayout(HWINDOW frame, const XDockLayout* layout) {
  FrameWindow* f = frameOf(frame);
  if (f == nullptr || layout == nullptr) return false;
  f->dock().applyLayout(*layout);  // events at its end: nothing may follow that touches `f`
  return true;
}
