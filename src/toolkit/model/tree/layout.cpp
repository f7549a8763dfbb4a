// The box layout (FORMATS.md 1.4): preferred sizes, flowing and free placement, and the size
// events after a layout pass.
#include <algorithm>
#include <vector>

#include "toolkit/model/core/context.h"
#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

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

}  // namespace tovalux::tk
