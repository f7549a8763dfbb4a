// The dock site (the model is in dock_site.h): the operations on groups, tidying after them
// (dead panes, tab bars and labels, splitters), committing visibility and events, and the
// geometry of sides, groups and splitters. Operations change the site's own state first and
// raise events last (commit), since handlers may change or destroy anything.
#include "toolkit/model/docking/dock_site.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/platform.h"

namespace tovalux::tk {

namespace {

// Left and right sides are as wide as their size and stack their groups top to bottom; top
// and bottom sides are as high as their size and line their groups up left to right.
bool acrossIsWidth(DockSide side) { return side == DockSide::left || side == DockSide::right; }
int sideSize(DockSide side, XSize s) { return acrossIsWidth(side) ? s.cx : s.cy; }
int groupExtent(DockSide side, XSize s) { return acrossIsWidth(side) ? s.cy : s.cx; }
// Left and top sides grow away from the frame's top-left corner; right and bottom ones towards it.
bool leading(DockSide side) { return side == DockSide::left || side == DockSide::top; }

Pane* paneOf(HELE h) { return context().registry.get<Pane>(h); }

bool inside(const Element* e, const Element& root) {
  for (; e != nullptr; e = e->parent())
    if (e == &root) return true;
  return false;
}

// The subtree moves to another window: the window it leaves forgets its hover, capture and
// focus there (quietly; the look they gave is recomputed where it lands).
void forgetInput(Window& w, Element& subtree) {
  if (Element* e = getElement(w.hovered); e != nullptr && inside(e, subtree)) e->hovered = false, w.hovered = 0;
  if (Element* e = getElement(w.captured); e != nullptr && inside(e, subtree)) e->pressed = false, w.captured = 0;
  if (Element* e = getElement(w.focused); e != nullptr && inside(e, subtree)) e->focused = false, w.focused = 0;
  if (Element* e = getElement(w.drag.element); e != nullptr && inside(e, subtree)) w.drag = {};
}

void destroyElement(HELE h) {
  if (Element* e = getElement(h)) Element::destroy(e);
}

// What a change leaves to do once the site's own state is settled: everything after the
// frame's layout runs handlers (36 first), so it works from handles only.
struct Pending {
  HWINDOW frame = 0;
  std::vector<std::pair<HELE, int>> selects;  // tab bar, label index to check
  std::vector<std::pair<HELE, bool>> shown;   // panes whose visibility changed
  bool labelsMade = false;
};

void finish(const Pending& p) {
  if (Window* f = getWindow(p.frame)) {
    f->adjustLayout();
    if ((f = getWindow(p.frame)) != nullptr) f->invalidateAll(false);
  }
  for (const auto& [bar, index] : p.selects)
    if (auto* b = context().registry.get<TabBar>(bar))
      if (TabLabel* l = b->label(index); l != nullptr && !l->checked) b->select(index);
  for (const auto& [pane, visible] : p.shown) raiseEvent(pane, XE_SHOW, EventArgs{1, {visible ? 1 : 0}});
  if (p.labelsMade) raiseEvent(p.frame, XWM_DOCK_LAYOUT_CHANGE, EventArgs{});
}

// A floating window made while the site changed: 28690 (window, pane) on the frame, so the shell
// can style it, then laid out and shown while its pane is shown.
void announceFloat(HWINDOW frame, HWINDOW window, HELE pane) {
  raiseEvent(frame, XWM_FLOAT_PANE, EventArgs{2, {static_cast<intptr_t>(window), static_cast<intptr_t>(pane)}});
  Window* w = getWindow(window);
  if (w == nullptr) return;
  w->adjustLayout();
  if ((w = getWindow(window)) == nullptr) return;
  const Pane* p = paneOf(pane);
  w->visible = p != nullptr && p->shown && p->floatWindow == window;
  if (!w->visible) return;
  if (Platform* platform = context().platform) platform->showWindow(*w, ShowMode::show);
  if ((w = getWindow(window)) != nullptr) w->invalidateAll(false);
}

}  // namespace

// --- the dock site ----------------------------------------------------------------------------

DockSite::~DockSite() {
  // Floating windows are owned by the frame: they go with it, and their panes with them.
  for (HWINDOW h : floats_)
    if (Window* w = getWindow(h)) Window::destroy(w);
}

bool DockSite::ownPane(const Pane& pane) const { return pane.frame == frame_.handle(); }

DockSite::Group* DockSite::group(HELE pane) {
  for (Group& g : groups_)
    if (std::find(g.panes.begin(), g.panes.end(), pane) != g.panes.end()) return &g;
  return nullptr;
}

const DockSite::Group* DockSite::groupOf(HELE pane) const { return const_cast<DockSite*>(this)->group(pane); }

DockSite::Group* DockSite::groupById(int id) {
  for (Group& g : groups_)
    if (g.id == id) return &g;
  return nullptr;
}

bool DockSite::manages(const Element& e) const {
  if (auto* p = dynamic_cast<const Pane*>(&e)) return ownPane(*p);
  if (auto* s = dynamic_cast<const DockSplitter*>(&e)) return s->frame == frame_.handle();
  return std::any_of(groups_.begin(), groups_.end(), [&](const Group& g) { return g.tabBar == e.handle(); });
}

DockSite::Group& DockSite::newGroup(DockSide side, size_t at) {
  Group g;
  g.id = nextGroup_++;
  g.side = side;
  at = std::min(at, groups_.size());
  return *groups_.insert(groups_.begin() + static_cast<ptrdiff_t>(at), std::move(g));
}

void DockSite::startSide(DockSide side, const Pane& pane) {
  Side& s = sideOf(side);
  if (s.order != 0) return;
  s.order = nextOrder_++;
  s.size = sideSize(side, pane.createdSize);
}

void DockSite::place(Pane& pane, Group& g, size_t index) {
  index = std::min(index, g.panes.size());
  g.panes.insert(g.panes.begin() + static_cast<ptrdiff_t>(index), pane.handle());
  if (g.front == 0) g.front = pane.handle();
  pane.place = Pane::Place::docked;
  pane.widthRule = {layout_size_fixed, pane.width()};
  pane.heightRule = {layout_size_fixed, pane.height()};
}

// The pane leaves its group (its tab label goes); a group left empty goes with its bar and
// splitter. The pane keeps its element; where it goes next is the caller's.
void DockSite::detachFromGroup(Pane& pane) {
  const HELE h = pane.handle();
  Group* g = group(h);
  if (g == nullptr) return;
  auto at = std::find(g->panes.begin(), g->panes.end(), h);
  size_t index = static_cast<size_t>(at - g->panes.begin());
  g->panes.erase(at);
  if (auto label = g->labels.find(h); label != g->labels.end()) {
    destroyElement(label->second);
    g->labels.erase(label);
  }
  if (g->front == h) {
    // The neighbour that takes its place: the next shown tab, else the one before.
    g->front = 0;
    for (size_t i = index; i < g->panes.size() && g->front == 0; ++i)
      if (Pane* p = paneOf(g->panes[i]); p != nullptr && p->shown) g->front = g->panes[i];
    for (size_t i = std::min(index, g->panes.size()); i-- > 0 && g->front == 0;)
      if (Pane* p = paneOf(g->panes[i]); p != nullptr && p->shown) g->front = g->panes[i];
  }
  if (g->panes.empty()) {
    destroyElement(g->tabBar);
    destroyElement(g->splitter);
    groups_.erase(groups_.begin() + (g - groups_.data()));
  }
  pane.place = Pane::Place::none;
}

// Brings the groups in line with the panes after a change: panes destroyed behind the site's back
// drop out, empty groups go, each group's front is a shown pane when it has one, groups of two or
// more get a tab bar with a label per pane (in group order), others lose theirs, and every group
// and side has its splitter.
bool DockSite::tidy() {
  bool made = false;
  const HWINDOW fh = frame_.handle();
  for (size_t gi = 0; gi < groups_.size();) {
    Group& g = groups_[gi];
    for (size_t i = 0; i < g.panes.size();) {
      if (paneOf(g.panes[i]) != nullptr) {
        ++i;
        continue;
      }
      if (auto label = g.labels.find(g.panes[i]); label != g.labels.end()) {
        destroyElement(label->second);
        g.labels.erase(label);
      }
      g.panes.erase(g.panes.begin() + static_cast<ptrdiff_t>(i));
    }
    if (g.panes.empty()) {
      destroyElement(g.tabBar);
      destroyElement(g.splitter);
      groups_.erase(groups_.begin() + static_cast<ptrdiff_t>(gi));
      continue;
    }
    // The front is a shown pane whenever the group has one.
    Pane* front = paneOf(g.front);
    if (front == nullptr || !front->shown || std::find(g.panes.begin(), g.panes.end(), g.front) == g.panes.end()) {
      g.front = g.panes.front();
      for (HELE h : g.panes)
        if (paneOf(h)->shown) {
          g.front = h;
          break;
        }
    }
    if (g.panes.size() >= 2) {
      auto* bar = context().registry.get<TabBar>(g.tabBar);
      if (bar == nullptr) {
        bar = makeElement<TabBar>(fh, {0, 0, 0, kTabHeight});
        g.tabBar = bar->handle();
        g.labels.clear();
      }
      for (size_t i = 0; i < g.panes.size(); ++i) {
        Pane* p = paneOf(g.panes[i]);
        auto* label = context().registry.get<PaneTabLabel>(g.labels[g.panes[i]]);
        if (label == nullptr || label->parent() != bar) {
          label = makeElement<PaneTabLabel>(bar->handle(), {0, 0, 0, 0});
          label->padding = {6, 0, 6, 0};
          label->widthRule = {layout_size_auto, 0};
          label->bindEle = p->handle();
          g.labels[g.panes[i]] = label->handle();
          made = true;
        }
        label->text = p->title;
        label->visible = p->shown;
        if (bar->indexOf(label) != static_cast<int>(i)) bar->insertChild(label, static_cast<int>(i));
      }
    } else if (g.tabBar != 0) {
      destroyElement(std::exchange(g.tabBar, 0));
      g.labels.clear();
    }
    if (getElement(g.splitter) == nullptr) g.splitter = makeElement<DockSplitter>(fh, {}, fh, g.side, g.id)->handle();
    ++gi;
  }
  for (DockSide side : kDockSides) {
    Side& s = sideOf(side);
    if (s.order != 0 && getElement(s.splitter) == nullptr)
      s.splitter = makeElement<DockSplitter>(fh, {}, fh, side, 0)->handle();
  }
  return made;
}

// Decides who is displayed (a docked pane in front of its group, a floating pane, while shown),
// then hands the frame's layout, the tab selections and the events to finish().
void DockSite::commit(bool labelsMade) {
  Pending p;
  p.frame = frame_.handle();
  p.labelsMade = labelsMade;
  // Who is displayed: a docked pane in front of its group, a floating pane, while shown.
  std::vector<std::pair<Pane*, bool>> panes;
  for (const Group& g : groups_) {
    for (HELE h : g.panes)
      if (Pane* pane = paneOf(h)) panes.emplace_back(pane, pane->shown && h == g.front);
    if (auto* bar = context().registry.get<TabBar>(g.tabBar))
      if (auto label = g.labels.find(g.front); label != g.labels.end())
        if (int index = bar->indexOf(getElement(label->second)); index >= 0) p.selects.emplace_back(g.tabBar, index);
  }
  for (Element* c : frame_.children())
    if (auto* pane = dynamic_cast<Pane*>(c); pane != nullptr && ownPane(*pane) && pane->place == Pane::Place::none)
      panes.emplace_back(pane, false);
  for (HWINDOW h : floats_)
    if (auto* w = context().registry.get<FloatWindow>(h))
      if (Pane* pane = paneOf(w->pane)) panes.emplace_back(pane, pane->shown);
  for (auto& [pane, visible] : panes) {
    if (pane->visible == visible) continue;
    pane->visible = visible;
    p.shown.emplace_back(pane->handle(), visible);
    accessChanged(visible ? AccessChange::shown : AccessChange::hidden, pane->handle());
  }
  // Panes going out of sight are told first, so what is kept over one (a native window) can
  // leave before another takes the place.
  std::stable_partition(p.shown.begin(), p.shown.end(), [](const auto& change) { return !change.second; });
  finish(p);  // `this` may be gone once handlers ran: nothing after this line
}

// --- operations -------------------------------------------------------------------------------

void DockSite::addPane(Pane& pane, Pane* dest, DockSide side) {
  if (!ownPane(pane)) return;
  takeBack(pane);
  const HELE destHandle = dest != nullptr && dest != &pane && ownPane(*dest) ? dest->handle() : 0;
  detachFromGroup(pane);
  DockSide onSide = side;
  size_t at = groups_.size();
  if (Group* d = group(destHandle)) {
    // Beside the destination's group, on its side: before it for left/top, after for right/bottom.
    onSide = d->side;
    at = static_cast<size_t>(d - groups_.data()) + (leading(side) ? 0 : 1);
  }
  startSide(onSide, pane);
  Group& g = newGroup(onSide, at);
  g.extent = groupExtent(onSide, pane.createdSize);
  place(pane, g, 0);
  commit(tidy());
}

void DockSite::mergePane(Pane& dest, Pane& pane) {
  if (!ownPane(dest) || !ownPane(pane) || &dest == &pane || group(dest.handle()) == nullptr) return;
  if (group(pane.handle()) == group(dest.handle())) return;
  takeBack(pane);
  detachFromGroup(pane);
  Group* g = group(dest.handle());
  place(pane, *g, g->panes.size());
  commit(tidy());
}

void DockSite::showPane(Pane& pane, bool show) {
  if (!ownPane(pane)) return;
  pane.shown = show;
  if (Group* g = group(pane.handle())) {
    if (show) g->front = pane.handle();
  } else if (auto* w = context().registry.get<FloatWindow>(pane.floatWindow)) {
    w->visible = show;
    if (Platform* platform = context().platform) platform->showWindow(*w, show ? ShowMode::show : ShowMode::hide);
  }
  commit(tidy());
}

void DockSite::bringToFront(Pane& pane) {
  Group* g = group(pane.handle());
  if (g == nullptr || !pane.shown) return;
  g->front = pane.handle();
  commit(tidy());
}

// The pane leaves for a window of its own, at its place and size on the screen; its home (side,
// group, index) is kept for docking back. The window is shown after 28690, so the shell can
// style it first.
void DockSite::floatPane(Pane& pane) {
  Group* g = group(pane.handle());
  if (g == nullptr || !pane.shown) return;
  const HELE ph = pane.handle();
  const HWINDOW fh = frame_.handle();
  homes_[ph] = {g->side, g->id,
                static_cast<size_t>(std::find(g->panes.begin(), g->panes.end(), ph) - g->panes.begin())};
  const XRect r = floatRectOf(pane);
  detachFromGroup(pane);
  const HWINDOW wh = openFloatWindow(pane, r);
  commit(tidy());
  announceFloat(fh, wh, ph);  // handlers run from here on: handles only
}

// Where it was on the screen, at its size then (its created size when it never had one).
XRect DockSite::floatRectOf(const Pane& pane) const {
  XRect r = pane.windowRect();
  if (r.empty()) r = {60, 60, 60 + pane.createdSize.cx, 60 + pane.createdSize.cy};
  return {clampCoord(int64_t(r.left) + frame_.rect.left), clampCoord(int64_t(r.top) + frame_.rect.top),
          clampCoord(int64_t(r.right) + frame_.rect.left), clampCoord(int64_t(r.bottom) + frame_.rect.top)};
}

HWINDOW DockSite::openFloatWindow(Pane& pane, const XRect& screen) {
  const HELE ph = pane.handle();
  const HWINDOW fh = frame_.handle();
  auto* w = createWindow<FloatWindow>();
  const HWINDOW wh = w->handle();
  w->pane = ph;
  w->frame = fh;
  w->title = pane.title;
  w->owner = fh;
  w->parentNative = frame_.native;
  w->xcStyle = frame_.xcStyle;
  w->dragCaption = true;
  w->rect = screen;
  w->visible = false;
  // A window routes a message to its default action only when it has handlers for it: this
  // one must always reach FloatWindow::defaultAction, which docks the pane back.
  w->events()->add(FloatWindow::kCloseEvent, [](HXCGUI, const EventArgs&, bool*) { return 0; });
  forgetInput(frame_, pane);
  w->insertChild(&pane);
  pane.place = Pane::Place::floating;
  pane.floatWindow = wh;
  pane.widthRule = {layout_size_fill, 1};
  pane.heightRule = {layout_size_fill, 1};
  floats_.push_back(wh);
  announceWindow(w);
  return wh;
}

// Back to its group at its old index, in front; to a new group on the same side when that group
// is gone.
void DockSite::dockBack(Pane& pane) {
  if (!ownPane(pane) || pane.place != Pane::Place::floating) return;
  const HELE ph = pane.handle();
  Home home = homes_.count(ph) != 0 ? homes_[ph] : Home{};
  takeBack(pane);
  if (Group* g = groupById(home.group)) {
    place(pane, *g, home.index);
    g->front = ph;
  } else {
    startSide(home.side, pane);
    Group& ng = newGroup(home.side, groups_.size());
    ng.extent = groupExtent(home.side, pane.createdSize);
    place(pane, ng, 0);
  }
  commit(tidy());
}

void DockSite::takeBack(Pane& pane) {
  if (pane.place != Pane::Place::floating) return;
  homes_.erase(pane.handle());
  // The floating window goes without a close event: it is not closing on its own account.
  const HWINDOW wh = std::exchange(pane.floatWindow, 0);
  Window* w = getWindow(wh);
  if (w != nullptr) forgetInput(*w, pane);
  frame_.insertChild(&pane);
  pane.place = Pane::Place::none;
  std::erase(floats_, wh);
  if (w != nullptr) Window::destroy(w);
}

// --- the whole arrangement ----------------------------------------------------------------------

// Every pane of the frame, in the order they were made (handles are never reused, so that is
// handle order): docked and unplaced ones are children of the frame, floating ones of their
// windows.
XDockLayout DockSite::layout() const {
  XDockLayout out;
  for (DockSide side : kDockSides) {
    const Side& s = sides_[static_cast<int>(side)];
    out.sides[static_cast<int>(side)] = {s.size, s.order};
  }
  std::map<int, int> groupIndex;  // group id -> position in out.groups
  for (const Group& g : groups_) {
    groupIndex[g.id] = static_cast<int>(out.groups.size());
    out.groups.push_back({static_cast<int>(g.side), g.extent, g.front});
  }
  std::vector<const Pane*> panes;
  for (const Element* c : frame_.children())
    if (auto* p = dynamic_cast<const Pane*>(c); p != nullptr && ownPane(*p)) panes.push_back(p);
  for (HWINDOW h : floats_)
    if (auto* w = context().registry.get<FloatWindow>(h))
      if (const Pane* p = paneOf(w->pane); p != nullptr && p->floatWindow == h) panes.push_back(p);
  std::sort(panes.begin(), panes.end(), [](const Pane* a, const Pane* b) { return a->handle() < b->handle(); });
  for (const Pane* p : panes) {
    XDockPane record;
    record.pane = p->handle();
    record.shown = p->shown;
    if (p->place == Pane::Place::floating) {
      record.floating = true;
      if (const Window* w = getWindow(p->floatWindow)) record.floatRect = w->rect;
      if (auto home = homes_.find(p->handle()); home != homes_.end()) {
        record.side = static_cast<int>(home->second.side);
        auto at = groupIndex.find(home->second.group);
        record.group = at != groupIndex.end() ? at->second : -1;
        record.index = record.group >= 0 ? static_cast<int>(home->second.index) : 0;
      }
    } else if (const Group* g = groupOf(p->handle())) {
      record.side = static_cast<int>(g->side);
      record.group = groupIndex[g->id];
      record.index = static_cast<int>(std::find(g->panes.begin(), g->panes.end(), p->handle()) - g->panes.begin());
    }
    out.panes.push_back(record);
  }
  return out;
}

// Takes everything apart (floating windows closed, groups, tab bars and splitters gone) and builds
// the arrangement again from the layout; the events of the change come at the end, as for any
// other operation.
void DockSite::applyLayout(const XDockLayout& l) {
  const HWINDOW fh = frame_.handle();
  // The panes this layout may place: this frame's, each once.
  std::vector<std::pair<Pane*, const XDockPane*>> usable;
  std::vector<HELE> seen;
  for (const XDockPane& record : l.panes) {
    Pane* p = paneOf(record.pane);
    if (p == nullptr || !ownPane(*p)) continue;
    if (std::find(seen.begin(), seen.end(), record.pane) != seen.end()) {
      std::erase_if(usable, [&](const auto& u) { return u.first == p; });  // named twice: neither counts
      continue;
    }
    seen.push_back(record.pane);
    usable.emplace_back(p, &record);
  }

  // Apart: every floating pane back in the frame, every group, bar and splitter gone.
  for (HWINDOW h : std::vector<HWINDOW>(floats_))
    if (auto* w = context().registry.get<FloatWindow>(h))
      if (Pane* p = paneOf(w->pane); p != nullptr && p->floatWindow == h) takeBack(*p);
  for (Group& g : groups_) {
    for (HELE h : g.panes)
      if (Pane* p = paneOf(h)) p->place = Pane::Place::none;
    for (const auto& label : g.labels) destroyElement(label.second);
    destroyElement(g.tabBar);
    destroyElement(g.splitter);
  }
  groups_.clear();
  homes_.clear();

  // Sides: their sizes, and the order they take their bands in, renumbered from 1.
  std::vector<std::pair<int, int>> ordered;  // (order, side)
  for (DockSide side : kDockSides) {
    Side& s = sideOf(side);
    destroyElement(std::exchange(s.splitter, 0));
    const XDockSide& given = l.sides[static_cast<int>(side)];
    s.size = clampSize(given.size);
    s.order = 0;
    if (given.order > 0) ordered.emplace_back(given.order, static_cast<int>(side));
  }
  std::sort(ordered.begin(), ordered.end());
  nextOrder_ = 1;
  for (const auto& [order, side] : ordered) sides_[side].order = nextOrder_++;

  // Groups in order; a group on no side is made for nothing (its panes go nowhere).
  std::vector<int> ids(l.groups.size(), 0);
  for (size_t i = 0; i < l.groups.size(); ++i) {
    const std::optional<DockSide> side = dockSideOf(l.groups[i].side);
    if (!side) continue;
    Group& g = newGroup(*side, groups_.size());
    g.extent = clampSize(l.groups[i].extent);
    ids[i] = g.id;
  }
  auto groupFor = [&](int index) { return index >= 0 && index < static_cast<int>(ids.size()) ? ids[index] : 0; };

  // Docked panes into their groups by tab position (ties keep the layout's order).
  std::vector<std::pair<Pane*, const XDockPane*>> docked, floating;
  for (const auto& u : usable) (u.second->floating ? floating : docked).push_back(u);
  std::stable_sort(docked.begin(), docked.end(),
                   [](const auto& a, const auto& b) { return a.second->index < b.second->index; });
  for (auto& [pane, record] : docked) {
    pane->shown = record->shown;
    Group* g = groupById(groupFor(record->group));
    if (g == nullptr) continue;  // in no group: left out, as a pane never docked
    // A side the layout gave no order takes its band after the others; its size is the given
    // one, or the first pane's as when it is docked to for the first time.
    if (Side& s = sideOf(g->side); s.order == 0) {
      s.order = nextOrder_++;
      if (s.size <= 0) s.size = sideSize(g->side, pane->createdSize);
    }
    place(*pane, *g, g->panes.size());
  }
  for (size_t i = 0; i < l.groups.size(); ++i)
    if (Group* g = groupById(ids[i]);
        g != nullptr && std::find(g->panes.begin(), g->panes.end(), l.groups[i].front) != g->panes.end())
      g->front = l.groups[i].front;

  // Floating panes: a window each at their rectangle, their home kept for docking back.
  std::vector<std::pair<HWINDOW, HELE>> opened;
  for (auto& [pane, record] : floating) {
    pane->shown = record->shown;
    const Group* home = groupById(groupFor(record->group));
    const DockSide side = home != nullptr ? home->side : dockSideOf(record->side).value_or(DockSide::left);
    homes_[pane->handle()] = {side, home != nullptr ? home->id : 0, static_cast<size_t>(std::max(0, record->index))};
    XRect r{clampCoord(record->floatRect.left), clampCoord(record->floatRect.top), clampCoord(record->floatRect.right),
            clampCoord(record->floatRect.bottom)};
    if (r.empty()) r = floatRectOf(*pane);
    opened.emplace_back(openFloatWindow(*pane, r), pane->handle());
  }
  commit(tidy());
  // Handlers run from here on: handles only.
  for (const auto& [window, pane] : opened) announceFloat(fh, window, pane);
}

// --- geometry ---------------------------------------------------------------------------------

// Sides in the order they were first docked to, each taking its band from what the earlier ones
// left (with a splitter on the inner edge), never so much that the view has less than kMinView.
XRect DockSite::arrange(const XRect& body) {
  XRect rest = body;
  std::vector<DockSide> order;
  for (DockSide side : kDockSides)
    if (sideOf(side).order != 0) order.push_back(side);
  std::sort(order.begin(), order.end(), [this](DockSide a, DockSide b) { return sideOf(a).order < sideOf(b).order; });
  for (DockSide side : order) {
    Side& s = sideOf(side);
    auto* splitter = getElement(s.splitter);
    bool any = std::any_of(groups_.begin(), groups_.end(), [&](const Group& g) {
      const Pane* front = paneOf(g.front);
      return g.side == side && front != nullptr && front->visible;
    });
    if (!any) {
      if (splitter != nullptr) splitter->visible = false;
      for (Group& g : groups_)
        if (g.side == side) {
          if (Element* bar = getElement(g.tabBar)) bar->visible = false;
          if (Element* split = getElement(g.splitter)) split->visible = false;
        }
      continue;
    }
    const bool width = acrossIsWidth(side);
    s.room = width ? rest.width() : rest.height();
    int size = std::clamp(s.size, 0, std::max(0, s.room - kSplitter - kMinView));
    XRect area = rest, band = rest;
    switch (side) {
      case DockSide::left:
        area.right = rest.left + size, band.left = area.right, band.right = band.left + kSplitter,
        rest.left = band.right;
        break;
      case DockSide::right:
        area.left = rest.right - size, band.right = area.left, band.left = band.right - kSplitter,
        rest.right = band.left;
        break;
      case DockSide::top:
        area.bottom = rest.top + size, band.top = area.bottom, band.bottom = band.top + kSplitter,
        rest.top = band.bottom;
        break;
      case DockSide::bottom:
        area.top = rest.bottom - size, band.bottom = area.top, band.top = band.bottom - kSplitter,
        rest.bottom = band.top;
        break;
    }
    if (rest.right < rest.left) rest.right = rest.left;
    if (rest.bottom < rest.top) rest.bottom = rest.top;
    if (splitter != nullptr) {
      splitter->rect = band;
      splitter->visible = true;
      splitter->dragBorder = width ? edge_right : edge_bottom;
      splitter->border = width ? XRect{0, 0, kSplitter, 0} : XRect{0, 0, 0, kSplitter};
    }
    arrangeSide(side, area);
  }
  return rest;
}

// A side's shown groups share its length: each keeps its extent (at least kMinGroup), scaled
// down together when they do not fit, and the last takes what is left.
void DockSite::arrangeSide(DockSide side, const XRect& area) {
  std::vector<Group*> shown;
  for (Group& g : groups_) {
    if (g.side != side) continue;
    const Pane* front = paneOf(g.front);
    if (front != nullptr && front->visible) {
      shown.push_back(&g);
    } else {
      if (Element* bar = getElement(g.tabBar)) bar->visible = false;
      if (Element* split = getElement(g.splitter)) split->visible = false;
    }
  }
  const bool stacked = acrossIsWidth(side);  // groups one above the other
  const int total = stacked ? area.height() : area.width();
  const int n = static_cast<int>(shown.size());
  const int avail = std::max(0, total - (n - 1) * kSplitter);
  std::vector<int> len(static_cast<size_t>(n), 0);
  int64_t sum = 0;
  for (int i = 0; i + 1 < n; ++i)
    sum += len[static_cast<size_t>(i)] = std::max(kMinGroup, shown[static_cast<size_t>(i)]->extent);
  const int keep = std::max(0, avail - kMinGroup);  // the last group keeps at least its minimum
  if (sum > keep) {
    int64_t scaled = 0;
    for (int i = 0; i + 1 < n; ++i)
      scaled += len[static_cast<size_t>(i)] = static_cast<int>(len[static_cast<size_t>(i)] * keep / sum);
    sum = scaled;
  }
  if (n > 0) len[static_cast<size_t>(n - 1)] = static_cast<int>(std::max<int64_t>(0, avail - sum));
  int pos = stacked ? area.top : area.left;
  for (int i = 0; i < n; ++i) {
    Group& g = *shown[static_cast<size_t>(i)];
    g.length = len[static_cast<size_t>(i)];
    XRect r =
        stacked ? XRect{area.left, pos, area.right, pos + g.length} : XRect{pos, area.top, pos + g.length, area.bottom};
    arrangeGroup(g, r);
    pos += g.length;
    Element* split = getElement(g.splitter);
    if (split == nullptr) continue;
    split->visible = i + 1 < n;
    if (!split->visible) continue;
    split->rect = stacked ? XRect{area.left, pos, area.right, pos + kSplitter}
                          : XRect{pos, area.top, pos + kSplitter, area.bottom};
    split->dragBorder = stacked ? edge_bottom : edge_right;
    split->border = stacked ? XRect{0, 0, 0, kSplitter} : XRect{0, 0, kSplitter, 0};
    pos += kSplitter;
  }
}

void DockSite::arrangeGroup(Group& g, const XRect& area) {
  XRect paneArea = area;
  int shownPanes = 0;
  for (HELE h : g.panes)
    if (const Pane* p = paneOf(h); p != nullptr && p->shown) ++shownPanes;
  if (Element* bar = getElement(g.tabBar)) {
    bar->visible = shownPanes >= 2;
    if (bar->visible) {
      int top = std::max(area.top, area.bottom - kTabHeight);
      bar->rect = {area.left, top, area.right, area.bottom};
      paneArea.bottom = top;
    }
  }
  if (Pane* front = paneOf(g.front)) front->rect = paneArea;
}

// A side's splitter resizes the side; a group's splitter moves length between the group and the
// next shown one of its side (the last group's extent stays free, it takes the rest anyway).
int DockSite::dragSplitter(const DockSplitter& splitter, int delta) {
  if (splitter.group == 0) {
    Side& s = sideOf(splitter.side);
    const int sign = leading(splitter.side) ? 1 : -1;
    const int now = std::clamp(s.size, 0, std::max(0, s.room - kSplitter - kMinView));
    const int most = std::max(kMinSide, s.room - kSplitter - kMinView);
    const int want = std::clamp(now + sign * delta, std::min(kMinSide, now), most);
    s.size = want;
    return (want - now) * sign;
  }
  // Between a group and the next shown group of its side: one gives what the other takes.
  Group* g = groupById(splitter.group);
  if (g == nullptr) return 0;
  Group* next = nullptr;
  bool after = false, nextIsLast = true;
  for (Group& other : groups_) {
    if (other.side != g->side) continue;
    const Pane* front = paneOf(other.front);
    if (front == nullptr || !front->visible) continue;
    if (&other == g) {
      after = true;
    } else if (after && next == nullptr) {
      next = &other;
    } else if (next != nullptr) {
      nextIsLast = false;
    }
  }
  if (next == nullptr) return 0;
  const int a = g->length, b = next->length;
  if (a + b < 2 * kMinGroup) return 0;
  const int want = std::clamp(a + delta, kMinGroup, a + b - kMinGroup);
  const int moved = want - a;
  g->extent = want;
  if (!nextIsLast) next->extent = b - moved;
  return moved;
}

}  // namespace tovalux::tk
