#include "toolkit/model/tree/element.h"

#include <algorithm>

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/image.h"
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

void Element::insertChild(Element* child, int index) {
  if (child == nullptr || child == this) return;
  // Refuse cycles: the new parent must not lie inside the child.
  for (Element* p = this; p != nullptr; p = p->parent_)
    if (p == child) return;
  child->detach();
  if (index < 0 || index > static_cast<int>(children_.size())) index = static_cast<int>(children_.size());
  children_.insert(children_.begin() + index, child);
  child->parent_ = this;
  childrenChanged();
}

void Element::detach() {
  if (parent_ != nullptr) {
    Element* p = parent_;
    auto& siblings = p->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
    p->childrenChanged();
  } else if (parentWindow_ != nullptr) {
    parentWindow_->removeChild(this);
  }
}

void Element::destroy(Element* element) {
  if (element == nullptr) return;
  Context& ctx = context();
  std::vector<Element*> kids = element->children_;
  for (Element* kid : kids) destroy(kid);
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
std::optional<std::pair<XColor, uint8_t>> resolveColor(const ColorValue& value) {
  if (value.reference.empty()) return std::make_pair(value.color, value.alpha);
  auto named = context().resources.color(value.reference);
  if (!named) return std::nullopt;
  return std::make_pair(named->color, named->alpha);
}

CssStyle sheetStyle(const Element& e) {
  std::vector<std::string_view> kinds;
  e.kindNames(kinds);
  return context().style.resolve(kinds, utf16ToUtf8(e.cssClass), e.cssState());
}
}  // namespace

std::pair<XColor, uint8_t> Element::effectiveTextColor() const {
  if (textColor) return *textColor;
  if (cssEnabled) {
    CssStyle style = sheetStyle(*this);
    if (style.text)
      if (auto c = resolveColor(*style.text)) return *c;
  }
  return {XRGB(241, 241, 241), 255};  // light text: the toolkit draws dark surfaces by default
}

XSize preferredSize(Element& e) {
  XSize content{-1, -1};
  auto axis = [&](const SizeRule& rule, bool horizontal) {
    int minimum = horizontal ? e.minSize.cx : e.minSize.cy;
    int v;
    switch (rule.type) {
      case layout_size_fixed: v = rule.value; break;
      case layout_size_auto:
        if (content.cx < 0) content = e.contentSize();
        v = horizontal ? content.cx : content.cy;
        break;
      default: v = minimum; break;
    }
    return std::max({v, minimum, 0});
  };
  return {axis(e.widthRule, true), axis(e.heightRule, false)};
}

XSize Element::contentSize() {
  XSize s{border.left + padding.left + padding.right + border.right,
          border.top + padding.top + padding.bottom + border.bottom};
  int64_t main = 0, cross = 0, count = 0, right = 0, bottom = 0;
  for (Element* c : children_) {
    if (!c->visible) continue;
    XSize p = preferredSize(*c);
    if (flows && !c->floating) {
      main += vertical ? p.cy : p.cx;
      cross = std::max<int64_t>(cross, vertical ? p.cx : p.cy);
      ++count;
    } else {
      right = std::max<int64_t>(right, int64_t(c->rect.left) + p.cx);
      bottom = std::max<int64_t>(bottom, int64_t(c->rect.top) + p.cy);
    }
  }
  if (count > 1) main += spacing * (count - 1);
  if (flows) {
    s.cx = clampSize(s.cx + std::max(vertical ? cross : main, right));
    s.cy = clampSize(s.cy + std::max(vertical ? main : cross, bottom));
  } else {
    s.cx = clampSize(s.cx + right), s.cy = clampSize(s.cy + bottom);
  }
  return s;
}

void placeFree(Element& child, const XRect& inner) {
  auto size = [&](const SizeRule& rule, bool horizontal) {
    int minimum = horizontal ? child.minSize.cx : child.minSize.cy;
    int v;
    if (rule.type == layout_size_fixed)
      v = rule.value;
    else if (rule.type == layout_size_auto)
      v = horizontal ? child.contentSize().cx : child.contentSize().cy;
    else
      v = horizontal ? inner.width() : inner.height();
    return std::max({v, minimum, 0});
  };
  int w = size(child.widthRule, true), h = size(child.heightRule, false);
  if (child.widthRule.type == layout_size_fill || child.widthRule.type == layout_size_weight)
    child.rect.left = inner.left;
  if (child.heightRule.type == layout_size_fill || child.heightRule.type == layout_size_weight)
    child.rect.top = inner.top;
  child.rect.right = child.rect.left + w;
  child.rect.bottom = child.rect.top + h;
}

void flowLayout(const std::vector<Element*>& items, const XRect& inner, bool vertical, int spacing, int alignH,
                int alignV) {
  const size_t n = items.size();
  if (n == 0) return;
  const int mainSize = std::max(0, vertical ? inner.height() : inner.width());
  const int crossSize = std::max(0, vertical ? inner.width() : inner.height());
  std::vector<int> main(n, 0), weight(n, 0);
  int64_t taken = int64_t(spacing) * int64_t(n - 1);
  int64_t weights = 0;
  for (size_t i = 0; i < n; ++i) {
    Element& e = *items[i];
    const SizeRule& rule = vertical ? e.heightRule : e.widthRule;
    int minimum = std::max(0, vertical ? e.minSize.cy : e.minSize.cx);
    if (rule.type == layout_size_fill)
      weight[i] = 1;
    else if (rule.type == layout_size_weight)
      weight[i] = std::max(0, rule.value);
    if (weight[i] > 0) {
      weights += weight[i];
      continue;
    }
    int v = rule.type == layout_size_auto    ? (vertical ? e.contentSize().cy : e.contentSize().cx)
            : rule.type == layout_size_fixed ? rule.value
                                             : 0;
    main[i] = std::max(v, minimum);
    taken += main[i];
  }
  if (weights > 0) {
    int64_t free = std::max<int64_t>(0, mainSize - taken);
    int64_t given = 0;
    for (size_t i = 0; i < n; ++i)
      if (weight[i] > 0) given += main[i] = static_cast<int>(free * weight[i] / weights);
    int64_t remainder = free - given;
    for (size_t i = 0; i < n && remainder > 0; ++i)
      if (weight[i] > 0) ++main[i], --remainder;
    for (size_t i = 0; i < n; ++i)
      if (weight[i] > 0) {
        Element& e = *items[i];
        main[i] = std::max(main[i], std::max(0, vertical ? e.minSize.cy : e.minSize.cx));
      }
  }
  int64_t total = int64_t(spacing) * int64_t(n - 1);
  for (int m : main) total += m;
  int64_t pos = vertical ? inner.top : inner.left;
  if (weights == 0 && total < mainSize) {
    int align = vertical ? alignV : alignH;
    bool center = vertical ? align == align_center_v : align == align_center_h;
    bool end = vertical ? align == align_bottom : align == align_right;
    if (center)
      pos += (mainSize - total) / 2;
    else if (end)
      pos += mainSize - total;
  }
  const int crossAlign = vertical ? alignH : alignV;
  for (size_t i = 0; i < n; ++i) {
    Element& e = *items[i];
    const SizeRule& rule = vertical ? e.widthRule : e.heightRule;
    int minimum = std::max(0, vertical ? e.minSize.cx : e.minSize.cy);
    int c;
    if (rule.type == layout_size_fill || rule.type == layout_size_weight)
      c = crossSize;
    else if (rule.type == layout_size_auto)
      c = vertical ? e.contentSize().cx : e.contentSize().cy;
    else
      c = rule.value;
    c = std::max(c, minimum);
    int offset = 0;
    bool center = vertical ? crossAlign == align_center_h : crossAlign == align_center_v;
    bool end = vertical ? crossAlign == align_right : crossAlign == align_bottom;
    if (center)
      offset = std::max(0, (crossSize - c) / 2);
    else if (end)
      offset = std::max(0, crossSize - c);
    int p0 = clampCoord(pos), p1 = clampCoord(pos + main[i]);
    int c0 = clampCoord(int64_t(vertical ? inner.left : inner.top) + offset), c1 = clampCoord(int64_t(c0) + c);
    if (vertical)
      e.rect = {c0, p0, c1, p1};
    else
      e.rect = {p0, c0, p1, c1};
    pos += main[i] + spacing;
  }
}

void Element::arrange() {
  XRect inner{border.left + padding.left, border.top + padding.top, width() - border.right - padding.right,
              height() - border.bottom - padding.bottom};
  std::vector<Element*> flowItems;
  for (Element* c : children_) {
    if (!c->visible) continue;
    if (flows && !c->floating)
      flowItems.push_back(c);
    else
      placeFree(*c, inner);
  }
  if (flows) flowLayout(flowItems, inner, vertical, spacing, alignH, alignV);
  for (Element* c : children_)
    if (c->visible) c->arrange();
}

void raiseSizeEvents(Element& root) {
  std::vector<HELE> changed;
  std::vector<Element*> stack{&root};
  while (!stack.empty()) {
    Element* e = stack.back();
    stack.pop_back();
    XRect now = e->windowRect();
    if (now != e->lastWindowRect) {
      e->lastWindowRect = now;
      changed.push_back(e->handle());
    }
    for (auto it = e->children().rbegin(); it != e->children().rend(); ++it) stack.push_back(*it);
  }
  for (HELE h : changed) raiseEvent(h, XE_SIZE, EventArgs{1, {0}});
}

void adjustLayout(Element& element) {
  HELE h = element.handle();
  element.arrange();
  if (context().registry.alive(h)) raiseSizeEvents(element);
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

void paintElement(Canvas& canvas, Element& e, XPoint origin) {
  if (!e.visible) return;
  XRect abs{e.rect.left + origin.x, e.rect.top + origin.y, e.rect.right + origin.x, e.rect.bottom + origin.y};
  if (abs.empty()) return;
  Context& ctx = context();
  canvas.pushClip(abs);
  const BkManager* manager = ctx.registry.get<BkManager>(e.bkManager);
  if (manager != nullptr && manager->info()) {
    // A descriptor replaces every other background, transparent or not.
    paintDescriptor(canvas, *manager->info(), abs, e.bkState(), ctx.resources);
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
