// Elements: the tree (insertion, detaching, destruction), geometry helpers, the looks that depend
// on the theme (text colour, font, style-sheet state) and painting a subtree. The layout is in
// layout.cpp, input in input.cpp.
#include "toolkit/model/tree/element.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

Element::~Element() = default;

bool Element::isA(int type) const { return Object::isA(type); }

Element* getElement(HXCGUI handle) { return context().registry.get<Element>(handle); }

Window* Element::window() const {
  const Element* e = this;
  while (e->parent_ != nullptr) e = e->parent_;
  return e->parentWindow_;
}

int Element::indexOf(const Element* child) const {
  auto it = std::find(children_.begin(), children_.end(), child);
  return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

namespace {
// A subtree that joins a view's row (or header) is part of it, sub-elements made by build() too.
void markItemPart(Element& e) {
  e.itemPart = true;
  for (Element* c : e.children()) markItemPart(*c);
}
}  // namespace

void Element::insertChild(Element* child, int index) {
  if (child == nullptr || child == this) return;
  // Refuse cycles: the new parent must not lie inside the child.
  for (Element* p = this; p != nullptr; p = p->parent_)
    if (p == child) return;
  child->detach();
  if (index < 0 || index > static_cast<int>(children_.size())) index = static_cast<int>(children_.size());
  children_.insert(children_.begin() + index, child);
  child->parent_ = this;
  if (itemPart && !child->itemPart) markItemPart(*child);
  childrenChanged();
  if (!child->itemPart) accessChanged(AccessChange::children, handle());
}

void Element::detach() {
  if (parent_ != nullptr) {
    Element* p = parent_;
    auto& siblings = p->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
    p->childrenChanged();
    if (!itemPart) accessChanged(AccessChange::children, p->handle());
  } else if (parentWindow_ != nullptr) {
    parentWindow_->removeChild(this);
  }
}

// Children first (deepest first), from a copy: a child's destruction changes the list.
void Element::destroy(Element* element) {
  if (element == nullptr) return;
  Context& ctx = context();
  std::vector<Element*> kids = element->children_;
  for (Element* kid : kids) destroy(kid);
  if (!element->itemPart) accessChanged(AccessChange::destroyed, element->handle());
  element->detach();
  if (element->bkManager != 0) ctx.registry.erase(element->bkManager);
  if (!element->name.empty()) {
    HXCGUI h = element->handle();
    std::erase_if(ctx.names, [h](const auto& entry) { return entry.second == h; });
  }
  ctx.registry.erase(element->handle());
}

void attachToParent(Element* element, HXCGUI parent) {
  if (Element* p = getElement(parent))
    p->insertChild(element);
  else if (Window* w = getWindow(parent))
    w->insertChild(element);
}

// Each parent adds its own position and the shift it gives this branch (a scroll view's scroll).
XRect Element::windowRect() const {
  XRect r = rect;
  const Element* child = this;
  for (const Element* p = parent_; p != nullptr; child = p, p = p->parent_) {
    XPoint shift = p->childOffset(child);
    int dx = p->rect.left + shift.x, dy = p->rect.top + shift.y;
    r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
  }
  return r;
}

// A size set in code is a fixed size from then on: the layout keeps it.
void Element::setWidth(int w) {
  w = clampSize(w);
  widthRule = {layout_size_fixed, w};
  rect.right = rect.left + w;
}

void Element::setHeight(int h) {
  h = clampSize(h);
  heightRule = {layout_size_fixed, h};
  rect.bottom = rect.top + h;
}

// The context keeps a name -> handle list for XC_GetObjectByName; an element is in it once.
void Element::setName(std::u16string_view newName) {
  Context& ctx = context();
  HXCGUI h = handle();
  std::erase_if(ctx.names, [h](const auto& entry) { return entry.second == h; });
  name = std::u16string(newName);
  if (!name.empty()) ctx.names.emplace_back(name, h);
}

HBKM Element::bkm() { return BkManager::ensure(bkManager, handle()); }

const Font& Element::effectiveFont() const {
  Registry& registry = context().registry;
  if (const Font* own = registry.get<Font>(font)) return *own;
  return context().fallbackFont();
}

unsigned Element::cssState() const {
  unsigned s = 0;
  if (!enabled) s |= css_disabled;
  if (hovered) s |= css_hover;
  if (pressed) s |= css_pressed;
  if (bkState() & XBK_CHECKED) s |= css_checked;
  return s;
}

namespace {
// A named colour resolves at paint time, so loading another resource package recolours what is
// on screen; an unknown name paints nothing rather than a guess.
std::optional<std::pair<XColor, uint8_t>> resolveColor(const ColorValue& value) {
  if (value.reference.empty()) return std::make_pair(value.color, value.alpha);
  auto named = resourceStore().resources.color(value.reference);
  if (!named) return std::nullopt;
  return std::make_pair(named->color, named->alpha);
}

CssStyle sheetStyle(const Element& e) {
  std::vector<std::string_view> kinds;
  e.kindNames(kinds);
  return resourceStore().style.resolve(kinds, utf16ToUtf8(e.cssClass), e.cssState());
}
}  // namespace

std::pair<XColor, uint8_t> Element::effectiveTextColor() const {
  if (textColor) return *textColor;
  if (cssEnabled) {
    CssStyle style = sheetStyle(*this);
    if (style.text)
      if (auto c = resolveColor(*style.text)) return *c;
  }
  return {palette::kText, 255};  // light text: the toolkit draws dark surfaces by default
}

uint32_t Element::bkState() const {
  if (!enabled) return XBK_DISABLE;
  if (pressed) return XBK_PRESSED;
  if (hovered) return XBK_HOVER;
  return XBK_NORMAL;
}

void Element::defaultAction(int, const EventArgs&) {}

void Element::redraw(bool immediate) {
  if (Window* w = window()) w->invalidate(windowRect(), immediate);
}

// One element and its subtree, each child clipped to what its parent shows of it (childClip).
// The background: a descriptor wins outright; else, unless transparent, the style sheet, then
// bkColor, then the kind's own default.
void paintElement(Canvas& canvas, Element& e, XPoint origin) {
  if (!e.visible) return;
  XRect abs{e.rect.left + origin.x, e.rect.top + origin.y, e.rect.right + origin.x, e.rect.bottom + origin.y};
  if (abs.empty()) return;
  Context& ctx = context();
  canvas.pushClip(abs);
  const BkManager* manager = ctx.registry.get<BkManager>(e.bkManager);
  if (manager != nullptr && manager->info()) {
    // A descriptor replaces every other background, transparent or not.
    paintDescriptor(canvas, *manager->info(), abs, e.bkState(), resourceStore().resources);
  } else if (!e.bkTransparent) {
    bool painted = false;
    if (e.cssEnabled) {
      CssStyle style = sheetStyle(e);
      if (style.background)
        if (auto c = resolveColor(*style.background)) canvas.fillRect(abs, c->first, c->second), painted = true;
      if (style.border && style.borderWidth.value_or(1) > 0)
        if (auto c = resolveColor(*style.border))
          canvas.frameRect(abs, c->first, c->second, style.borderWidth.value_or(1)), painted = true;
    }
    if (!painted && e.bkColor)
      if (auto c = resolveColor(*e.bkColor)) canvas.fillRect(abs, c->first, c->second), painted = true;
    if (!painted) e.paintDefaultBackground(canvas, abs);
  }
  e.paintContent(canvas, abs);
  // Copy: painting never changes the tree, but a backend canvas might pump messages.
  std::vector<Element*> kids = e.children();
  for (Element* c : kids) {
    XPoint shift = e.childOffset(c);
    XRect clip = e.childClip(c);
    canvas.pushClip({abs.left + clip.left, abs.top + clip.top, abs.left + clip.right, abs.top + clip.bottom});
    paintElement(canvas, *c, {abs.left + shift.x, abs.top + shift.y});
    canvas.popClip();
  }
  canvas.popClip();
}

}  // namespace tovalux::tk
