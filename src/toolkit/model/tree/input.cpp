// Mouse, focus and key input of a window (the rules are in input.h). Every step that raises an
// event may have its handlers destroy the element, its window or both, so after each one the
// code finds them again by handle and stops when they are gone. Scroll bars are reached only
// through Element's scroll hooks, so this layer knows no kind above it.
#include "toolkit/model/tree/input.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

namespace {

constexpr int kDefaultGrab = 4;  // drag-border grab width when the element has no border there

Element* hitElement(Element& e, XPoint pt, const XRect& clip) {
  if (!e.visible) return nullptr;
  XRect r = e.windowRect();
  XRect visible = intersect(r, clip);
  if (!contains(visible, pt)) return nullptr;
  const auto& kids = e.children();
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
    XRect c = e.childClip(*it);
    XRect childClip = intersect({r.left + c.left, r.top + c.top, r.left + c.right, r.top + c.bottom}, visible);
    if (Element* hit = hitElement(**it, pt, childClip)) return hit;
  }
  if (e.isShape() || e.mouseThrough) return nullptr;
  return &e;
}

XPoint local(const Element& e, XPoint pt) {
  XRect r = e.windowRect();
  return {pt.x - r.left, pt.y - r.top};
}

void raisePoint(HELE h, int event, int flags, XPoint pt) {
  Element* e = getElement(h);
  if (e == nullptr) return;
  XPoint p = local(*e, pt);
  raiseEvent(h, event, EventArgs{2, {flags, reinterpret_cast<intptr_t>(&p)}});
}

// Handlers may close the window: everything after an event re-finds it by handle.
Window* alive(HWINDOW h) { return getWindow(h); }

void changeHover(Window& window, Element* target, XPoint pt, int flags) {
  HWINDOW self = window.handle();
  HELE next = target != nullptr ? target->handle() : 0;
  if (next == window.hovered) return;
  HELE old = std::exchange(window.hovered, next);
  if (Element* e = getElement(old)) {
    e->hovered = false;
    e->redraw();
    raiseEvent(old, XE_MOUSELEAVE, EventArgs{1, {static_cast<intptr_t>(next)}});
  }
  Window* w = alive(self);
  if (Element* e = getElement(next); w != nullptr && e != nullptr && w->hovered == next) {
    e->hovered = true;
    e->redraw();
    raisePoint(next, XE_MOUSESTAY, flags, pt);
  }
}

// Grab bands of the drag edges of `e` that contain `pt`.
int edgeUnder(const Element& e, XPoint pt) {
  if (e.dragBorder == 0 || !e.enabled) return 0;
  XRect r = e.windowRect();
  if (!contains(r, pt)) return 0;
  auto grab = [](int border) { return border > 0 ? border : kDefaultGrab; };
  if ((e.dragBorder & edge_right) && pt.x >= r.right - grab(e.border.right)) return edge_right;
  if ((e.dragBorder & edge_bottom) && pt.y >= r.bottom - grab(e.border.bottom)) return edge_bottom;
  if ((e.dragBorder & edge_left) && pt.x < r.left + grab(e.border.left)) return edge_left;
  if ((e.dragBorder & edge_top) && pt.y < r.top + grab(e.border.top)) return edge_top;
  return 0;
}

Element* eventTarget(Window& w, XPoint pt) {
  Element* hit = hitTest(w, pt);
  return hit != nullptr && hit->enabled ? hit : nullptr;
}

}  // namespace

Element* hitTest(Window& window, XPoint pt) {
  XRect client{0, 0, window.clientWidth(), window.clientHeight()};
  const auto& kids = window.children();
  for (auto it = kids.rbegin(); it != kids.rend(); ++it)
    if (Element* hit = hitElement(**it, pt, client)) return hit;
  return nullptr;
}

int dragEdgeAt(Window& window, XPoint pt, HELE* element) {
  // The drag band may lie over children that do not fill the border, so look from the hit
  // element outwards.
  for (Element* e = hitTest(window, pt); e != nullptr; e = e->parent()) {
    if (int edge = edgeUnder(*e, pt)) {
      if (element != nullptr) *element = e->handle();
      return edge;
    }
  }
  return 0;
}

int dragEdge(Element& e, int edge, int delta) {
  const bool horizontal = edge == edge_left || edge == edge_right;
  // Growing moves the right/bottom edge forward or the left/top edge backward.
  int grow = (edge == edge_right || edge == edge_bottom) ? delta : -delta;
  int size = horizontal ? e.width() : e.height();
  int minimum = horizontal ? e.minSize.cx : e.minSize.cy;
  grow = std::max(grow, minimum - size);
  int slot = edge == edge_left ? 0 : edge == edge_top ? 1 : edge == edge_right ? 2 : 3;
  Element* bound = getElement(e.dragBinds[slot].element);
  if (bound != nullptr && grow > 0) {
    int boundSize = horizontal ? bound->width() : bound->height();
    int boundMin = horizontal ? bound->minSize.cx : bound->minSize.cy;
    grow = std::min(grow, std::max(0, boundSize - boundMin));
  }
  if (grow == 0) return 0;
  if (horizontal)
    e.setWidth(size + grow);
  else
    e.setHeight(size + grow);
  // A fixed-size neighbour gives up what this one takes; a filling one follows by layout.
  if (bound != nullptr) {
    const SizeRule& rule = horizontal ? bound->widthRule : bound->heightRule;
    if (rule.type == layout_size_fixed) {
      if (horizontal)
        bound->setWidth(bound->width() - grow);
      else
        bound->setHeight(bound->height() - grow);
    }
  }
  return (edge == edge_right || edge == edge_bottom) ? grow : -grow;
}

void mouseMove(Window& w, XPoint pt, int flags) {
  if (w.drag.kind == Window::Drag::Kind::slider) {
    if (Element* e = getElement(w.drag.element)) e->slideTo(pt, w.drag.grab);
    return;
  }
  if (w.drag.kind == Window::Drag::Kind::border) {
    Element* e = getElement(w.drag.element);
    if (e == nullptr) return;
    bool horizontal = w.drag.edge == edge_left || w.drag.edge == edge_right;
    int now = horizontal ? pt.x : pt.y;
    int moved = e->dragBorderBy(w.drag.edge, now - w.drag.grab);
    w.drag.grab += moved;
    if (moved != 0) {
      HWINDOW self = w.handle();
      // Raises 36, whose handlers may do anything. A child of the window itself shares the
      // window's body with its siblings: the window lays them out.
      if (e->parent() != nullptr)
        adjustLayout(*e->parent());
      else if (Window* owner = e->window())
        owner->adjustLayout();
      else
        adjustLayout(*e);
      if (Window* still = alive(self)) still->invalidateAll(false);
    }
    return;
  }
  Element* target = eventTarget(w, pt);
  if (Element* captured = getElement(w.captured)) target = contains(captured->windowRect(), pt) ? captured : nullptr;
  changeHover(w, target, pt, flags);
}

void mouseLeave(Window& w) {
  if (w.captured != 0) return;  // the capture keeps the element until the button comes up
  changeHover(w, nullptr, {}, 0);
}

namespace {
// The elements around (and including) `h` that track the focus within them, innermost first.
std::vector<HELE> focusScopes(HELE h) {
  std::vector<HELE> out;
  for (Element* e = getElement(h); e != nullptr; e = e->parent())
    if (e->tracksFocusWithin()) out.push_back(e->handle());
  return out;
}
bool listed(const std::vector<HELE>& v, HELE h) { return std::find(v.begin(), v.end(), h) != v.end(); }
}  // namespace

void setFocus(Window& window, HELE element) {
  HWINDOW self = window.handle();
  if (element == window.focused) return;
  const std::vector<HELE> before = focusScopes(window.focused), after = focusScopes(element);
  HELE old = std::exchange(window.focused, element);
  auto focusStill = [&] {
    Window* w = alive(self);
    return w != nullptr && w->focused == element;
  };
  // An element tracking the focus within it hears nothing while the focus stays inside.
  if (Element* e = getElement(old)) {
    e->focused = false;
    e->redraw();  // a caret or focus look goes
    if (!listed(after, old)) raiseEvent(old, XE_KILLFOCUS, EventArgs{});
  }
  // Their look follows the focus within them (a pane's active caption): repaint them too.
  for (HELE h : before)  // scopes left, innermost first
    if (h != old && !listed(after, h)) {
      if (Element* scope = getElement(h)) scope->redraw();
      if (focusStill()) raiseEvent(h, XE_KILLFOCUS, EventArgs{});
    }
  for (auto it = after.rbegin(); it != after.rend(); ++it)  // scopes entered, outermost first
    if (*it != element && !listed(before, *it)) {
      if (Element* scope = getElement(*it)) scope->redraw();
      if (focusStill()) raiseEvent(*it, XE_SETFOCUS, EventArgs{});
    }
  if (Element* e = getElement(element); e != nullptr && focusStill()) {
    e->focused = true;
    e->redraw();
    accessChanged(AccessChange::focus, element);
    if (!listed(before, element)) raiseEvent(element, XE_SETFOCUS, EventArgs{});
  }
}

namespace {
template <class F>
bool offerToFocus(Window& window, F take) {
  HWINDOW self = window.handle();
  for (Element* e = getElement(window.focused); e != nullptr;) {
    if (!e->enabled || !e->visible) return false;
    HELE h = e->handle();
    HELE parent = e->parent() != nullptr ? e->parent()->handle() : 0;
    if (take(*e)) return true;
    // The element may have acted on the tree: re-find everything by handle.
    if (getWindow(self) == nullptr || getElement(h) == nullptr) return false;
    e = getElement(parent);
  }
  return false;
}
}  // namespace

bool keyDown(Window& window, int key, int flags) {
  return offerToFocus(window, [&](Element& e) {
    // Its handlers first (event 39); a handler that takes the key, or ends the element, ends it.
    const HELE h = e.handle();
    if (raiseEvent(h, XE_KEYDOWN, EventArgs{2, {key, flags}})) return true;
    Element* still = getElement(h);
    return still == nullptr || still->onKeyDown(key, flags);
  });
}

bool charInput(Window& window, char16_t c) {
  return offerToFocus(window, [&](Element& e) { return e.onChar(c); });
}

int Element::dragBorderBy(int edge, int delta) { return dragEdge(*this, edge, delta); }

void leftDown(Window& window, XPoint pt, int flags) {
  HWINDOW self = window.handle();
  Window* w = &window;
  HELE edgeOwner = 0;
  if (int edge = dragEdgeAt(*w, pt, &edgeOwner)) {
    w->drag = {Window::Drag::Kind::border, edgeOwner, edge, (edge == edge_left || edge == edge_right) ? pt.x : pt.y};
    return;
  }
  Element* target = eventTarget(*w, pt);
  if (target == nullptr) return;
  HELE h = target->handle();
  setFocus(*w, h);
  w = alive(self);
  target = getElement(h);
  if (w == nullptr || target == nullptr) return;
  target->pressed = true;
  target->redraw();
  w->captured = h;
  if (auto slide = target->pressAt(pt)) w->drag = {Window::Drag::Kind::slider, slide->element, 0, slide->grip};
  raisePoint(h, XE_LBUTTONDOWN, flags, pt);
}

void leftUp(Window& window, XPoint pt, int flags) {
  HWINDOW self = window.handle();
  Window::Drag::Kind kind = window.drag.kind;
  window.drag = {};
  if (kind == Window::Drag::Kind::border) return;
  HELE h = std::exchange(window.captured, 0);
  if (Element* e = getElement(h)) {
    e->pressed = false;
    e->redraw();
    raisePoint(h, XE_LBUTTONUP, flags, pt);
    e = getElement(h);
    if (e != nullptr && e->enabled && e->visible && contains(e->windowRect(), pt))
      raiseEvent(h, XE_BNCLICK, EventArgs{});
  }
  // The element under the cursor may have changed while the button was held.
  if (Window* w = alive(self)) mouseMove(*w, pt, flags);
}

void leftDoubleClick(Window& window, XPoint pt, int flags) {
  HWINDOW self = window.handle();
  if (Element* target = eventTarget(window, pt)) raisePoint(target->handle(), XE_LBUTTONDBCLICK, flags, pt);
  if (Window* w = alive(self)) leftDown(*w, pt, flags);
}

void rightUp(Window& w, XPoint pt, int flags) {
  if (Element* target = eventTarget(w, pt)) raisePoint(target->handle(), XE_RBUTTONUP, flags, pt);
}

void mouseWheel(Window& w, XPoint pt, int delta) {
  for (Element* e = hitTest(w, pt); e != nullptr; e = e->parent())
    if (e->scrollByWheel(delta)) return;
}

}  // namespace tovalux::tk
