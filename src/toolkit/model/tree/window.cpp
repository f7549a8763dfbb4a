// Toolkit windows: children and bound edge elements, layout of the bands and the body, dirty
// areas, painting, destruction, and shutdown(). The native side is the platform's: the model only
// tells it (windowCreated, invalidate, windowDestroyed) and never waits for it.
#include "toolkit/model/tree/window.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/platform.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/theme/resources.h"

namespace tovalux::tk {

namespace {
// Past this many dirty rectangles they merge into their bounding box: many small areas cost more
// to track and paint one by one than one larger area does.
constexpr size_t kMaxDirty = 32;

XRect unite(const XRect& a, const XRect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}
}  // namespace

Window* getWindow(HXCGUI handle) { return context().registry.get<Window>(handle); }

Window::~Window() = default;

void announceWindow(Window* window) {
  if (Platform* platform = context().platform) platform->windowCreated(*window);
}

void Window::insertChild(Element* child, int index) {
  if (child == nullptr) return;
  child->detach();
  if (index < 0 || index > static_cast<int>(children_.size())) index = static_cast<int>(children_.size());
  children_.insert(children_.begin() + index, child);
  child->parentWindow_ = this;
  accessChanged(AccessChange::children, handle());
}

void Window::removeChild(Element* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
  for (auto& b : bound)
    if (b == child) b = nullptr;
  childRemoved(child);
  if (child->parentWindow_ == this) child->parentWindow_ = nullptr;
  accessChanged(AccessChange::children, handle());
}

// An element binds to one band at a time; binding makes it a direct child of the window.
void Window::bind(int position, Element* element) {
  if (position < 0 || position > 3 || element == nullptr) return;
  if (element->window() != this || element->parent() != nullptr) insertChild(element);
  for (auto& b : bound)
    if (b == element) b = nullptr;
  bound[position] = element;
}

HBKM Window::bkm() { return BkManager::ensure(bkManager, handle()); }

XRect Window::body() const {
  return {margins.left, margins.top, std::max(margins.left, clientWidth() - margins.right),
          std::max(margins.top, clientHeight() - margins.bottom)};
}

void Window::arrange() {
  const int w = clientWidth(), h = clientHeight();
  const XRect& m = margins;
  const XRect bands[4] = {
      {0, 0, w, m.top},
      {0, h - m.bottom, w, h},
      {0, m.top, m.left, h - m.bottom},
      {w - m.right, m.top, w, h - m.bottom},
  };
  for (int i = 0; i < 4; ++i) {
    if (bound[i] == nullptr || !bound[i]->visible) continue;
    XRect band = bands[i];
    band.right = std::max(band.right, band.left);
    band.bottom = std::max(band.bottom, band.top);
    bound[i]->rect = band;
  }
  arrangeBody(body());
  for (Element* c : children_)
    if (c->visible) c->arrange();
}

void Window::arrangeBody(const XRect& area) {
  std::vector<Element*> flowItems;
  for (Element* c : children_) {
    if (!c->visible || std::find(std::begin(bound), std::end(bound), c) != std::end(bound)) continue;
    if (c->floating)
      placeFree(*c, area);
    else
      flowItems.push_back(c);
  }
  flowLayout(flowItems, area, false, 0, align_left, align_top);
}

// Size events (36) go out after the whole window is laid out, so a handler sees final rectangles;
// a handler may close the window, which ends the round.
void Window::adjustLayout() {
  HWINDOW self = handle();
  arrange();
  std::vector<HELE> kids;
  for (Element* c : children_) kids.push_back(c->handle());
  for (HELE h : kids) {
    if (!context().registry.alive(self)) return;
    if (Element* e = getElement(h)) raiseSizeEvents(*e);
  }
}

void Window::invalidate(const XRect& area, bool immediate) {
  XRect r = intersect(area, {0, 0, clientWidth(), clientHeight()});
  if (r.empty()) return;
  // Every pending rectangle went to the platform, which keeps it invalid until the next paint
  // takes them all. A view redrawn several times in one burst (a search keystroke asks for the
  // tree a dozen times) needs no second request: under Wine each one is a server call.
  const bool pending = std::any_of(dirty_.begin(), dirty_.end(), [&](const XRect& d) { return encloses(d, r); });
  if (pending && !immediate) return;
  if (!pending) {
    // Past the limit the platform is asked for the bounding box too, so that it covers whatever
    // the one rectangle left pending here covers.
    if (dirty_.size() >= kMaxDirty)
      r = mergeDirty(r);
    else
      dirty_.push_back(r);
  }
  if (holding_ > 0) return;  // the paint under way asks for them when it ends
  if (Platform* platform = context().platform) platform->invalidate(*this, r, immediate);
}

std::vector<XRect> Window::takeDirty() { return std::exchange(dirty_, {}); }

void Window::releaseRequests() {
  if (holding_ == 0 || --holding_ > 0 || dirty_.empty()) return;
  const XRect all = mergeDirty(dirty_.front());
  if (Platform* platform = context().platform) platform->invalidate(*this, all, false);
}

XRect Window::mergeDirty(XRect with) {
  for (const XRect& d : dirty_) with = unite(with, d);
  dirty_.assign(1, with);
  return with;
}

// The window's background (its descriptor, else the style sheet's "window" rule, else the
// palette's surface), then its children in order, later ones on top.
void Window::paint(Canvas& canvas) {
  Context& ctx = context();
  XRect client{0, 0, clientWidth(), clientHeight()};
  canvas.pushClip(client);
  if (const BkManager* manager = ctx.registry.get<BkManager>(bkManager); manager != nullptr && manager->info()) {
    paintDescriptor(canvas, *manager->info(), client, bkState(), resourceStore().resources);
  } else {
    // The style sheet's "window" rule, else the toolkit's dark surface.
    CssStyle style = resourceStore().style.resolve({"window"}, {}, 0);
    auto fill = style.background.value_or(ColorValue{palette::kWindowSurface, 255, {}});
    if (!fill.reference.empty()) {
      auto named = resourceStore().resources.color(fill.reference);
      fill = named.value_or(ColorValue{palette::kWindowSurface, 255, {}});
    }
    canvas.fillRect(client, fill.color, fill.alpha);
  }
  std::vector<Element*> kids = children_;
  for (Element* c : kids) paintElement(canvas, *c, {0, 0});
  canvas.popClip();
}

// Windows first (newest first, each telling the platform), then element trees no window held,
// then every remaining object; the names and caches go last, as nothing can look them up then.
void shutdown() {
  Context& ctx = context();
  std::vector<HWINDOW> windows = ctx.windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) Window::destroy(getWindow(*it));
  for (HXCGUI h : ctx.registry.handles()) {
    Element* e = getElement(h);
    if (e != nullptr && e->parent() == nullptr) Element::destroy(e);
  }
  ctx.registry.clear();
  ctx.store.reset();
  ctx.names.clear();
  ctx.fontCache.clear();
  ctx.windows.clear();
  ctx.defaultFont = 0;
  ctx.initialized = false;
  accessChanged(AccessChange::exited, 0);
}

// The platform hears of it first, while the window is whole, so the native window goes before
// any element it shows.
void Window::destroy(Window* window) {
  if (window == nullptr) return;
  Context& ctx = context();
  accessChanged(AccessChange::destroyed, window->handle());
  if (ctx.platform != nullptr) ctx.platform->windowDestroyed(*window);
  std::vector<Element*> kids = window->children_;
  for (Element* c : kids) Element::destroy(c);
  if (window->bkManager != 0) ctx.registry.erase(window->bkManager);
  HWINDOW h = window->handle();
  std::erase(ctx.windows, h);
  ctx.registry.erase(h);
}

}  // namespace tovalux::tk
