// The box layout (FORMATS.md 1.4): preferred sizes, flowing and free placement, and the size
// events after a layout pass. Layout only moves and sizes elements; the events go out after the
// whole subtree is placed, so a handler never sees a half-done layout. UI thread only.
#include <algorithm>
#include <numeric>
#include <vector>

#include "toolkit/model/core/context.h"
#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

// Fill and weights ask for no more than their minimum: what they get is decided by the parent,
// from the room the others leave. The content is measured once, and only for auto.
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

// What the children need: along the flow, their preferred sizes and the spacing; across, the
// largest; free-placed children by where they end. Borders and padding come on top.
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

// A child that does not flow keeps its position; fill and weights stretch it over the parent's
// inner area from that area's edge.
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

namespace {

// The two axes of a flow: `main` runs along it (down when vertical, else right), `cross` across.
struct FlowAxes {
  bool vertical;
  const SizeRule& mainRule(const Element& e) const { return vertical ? e.heightRule : e.widthRule; }
  const SizeRule& crossRule(const Element& e) const { return vertical ? e.widthRule : e.heightRule; }
  int mainMinimum(const Element& e) const { return std::max(0, vertical ? e.minSize.cy : e.minSize.cx); }
  int crossMinimum(const Element& e) const { return std::max(0, vertical ? e.minSize.cx : e.minSize.cy); }
  int mainContent(Element& e) const { return vertical ? e.contentSize().cy : e.contentSize().cx; }
  int crossContent(Element& e) const { return vertical ? e.contentSize().cx : e.contentSize().cy; }
};

bool sharesSpace(const SizeRule& rule) { return rule.type == layout_size_fill || rule.type == layout_size_weight; }

// Pass 1. Items that size themselves (fixed, auto) get their length, at least their minimum;
// fill items get weight 1 and weighted items their weight, to be sized in pass 2. A weight of 0
// or less sizes the item as nothing (its minimum). Answers the weights' sum.
int64_t measureFlow(const std::vector<Element*>& items, const FlowAxes& axes, std::vector<int>& length,
                    std::vector<int>& weight) {
  int64_t weights = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    Element& e = *items[i];
    const SizeRule& rule = axes.mainRule(e);
    if (rule.type == layout_size_fill)
      weight[i] = 1;
    else if (rule.type == layout_size_weight)
      weight[i] = std::max(0, rule.value);
    if (weight[i] > 0) {
      weights += weight[i];
      continue;
    }
    const int own = rule.type == layout_size_auto    ? axes.mainContent(e)
                    : rule.type == layout_size_fixed ? rule.value
                                                     : 0;
    length[i] = std::max(own, axes.mainMinimum(e));
  }
  return weights;
}

// Pass 2. The free length (what pass 1 and the spacing left, never below 0) is split among the
// weighted items in proportion to their weights; the pixels the division drops go one each to
// the first of them, so the shares add up to the free length exactly. A share below the item's
// minimum grows to it, even when the run then overflows the container.
void shareFreeLength(const std::vector<Element*>& items, const FlowAxes& axes, int64_t free, int64_t weights,
                     std::vector<int>& length, const std::vector<int>& weight) {
  const size_t n = items.size();
  int64_t given = 0;
  for (size_t i = 0; i < n; ++i)
    if (weight[i] > 0) given += length[i] = static_cast<int>(free * weight[i] / weights);
  int64_t remainder = free - given;
  for (size_t i = 0; i < n && remainder > 0; ++i)
    if (weight[i] > 0) ++length[i], --remainder;
  for (size_t i = 0; i < n; ++i)
    if (weight[i] > 0) length[i] = std::max(length[i], axes.mainMinimum(*items[i]));
}

// Pass 3. Where the run starts along the main axis: at the container's start, or - when nothing
// shares the free length and the run is shorter than the container - moved by the container's
// alignment on that axis (centre: half the slack, end: all of it).
int64_t runStart(const XRect& inner, const FlowAxes& axes, int mainSize, int64_t runLength, bool weighted, int alignH,
                 int alignV) {
  int64_t start = axes.vertical ? inner.top : inner.left;
  if (weighted || runLength >= mainSize) return start;
  const int align = axes.vertical ? alignV : alignH;
  const bool center = axes.vertical ? align == align_center_v : align == align_center_h;
  const bool end = axes.vertical ? align == align_bottom : align == align_right;
  if (center) return start + (mainSize - runLength) / 2;
  if (end) return start + mainSize - runLength;
  return start;
}

// Pass 4, for one item: its cross size (fill and weights: the container's cross size; auto: its
// content; fixed: its value; never below its minimum), its offset by the container's alignment
// across (an item larger than the container stays at the start), and its rectangle, kept inside
// the model's coordinate range.
void placeInFlow(Element& e, const FlowAxes& axes, const XRect& inner, int crossSize, int crossAlign, int64_t at,
                 int length) {
  const SizeRule& rule = axes.crossRule(e);
  int cross = sharesSpace(rule) ? crossSize : rule.type == layout_size_auto ? axes.crossContent(e) : rule.value;
  cross = std::max(cross, axes.crossMinimum(e));
  int offset = 0;
  const bool center = axes.vertical ? crossAlign == align_center_h : crossAlign == align_center_v;
  const bool end = axes.vertical ? crossAlign == align_right : crossAlign == align_bottom;
  if (center)
    offset = std::max(0, (crossSize - cross) / 2);
  else if (end)
    offset = std::max(0, crossSize - cross);
  const int p0 = clampCoord(at), p1 = clampCoord(at + length);
  const int c0 = clampCoord(int64_t(axes.vertical ? inner.left : inner.top) + offset);
  const int c1 = clampCoord(int64_t(c0) + cross);
  e.rect = axes.vertical ? XRect{c0, p0, c1, p1} : XRect{p0, c0, p1, c1};
}

}  // namespace

void flowLayout(const std::vector<Element*>& items, const XRect& inner, bool vertical, int spacing, int alignH,
                int alignV) {
  const size_t n = items.size();
  if (n == 0) return;
  const FlowAxes axes{vertical};
  const int mainSize = std::max(0, vertical ? inner.height() : inner.width());
  const int crossSize = std::max(0, vertical ? inner.width() : inner.height());
  const int64_t spaces = int64_t(spacing) * int64_t(n - 1);
  std::vector<int> length(n, 0), weight(n, 0);

  // 1. Measure the items that size themselves; note the weights of the others.
  const int64_t weights = measureFlow(items, axes, length, weight);
  // 2. Share what is left among the weighted items.
  if (weights > 0) {
    const int64_t taken = std::accumulate(length.begin(), length.end(), spaces);
    shareFreeLength(items, axes, std::max<int64_t>(0, mainSize - taken), weights, length, weight);
  }
  // 3. Align the run as a whole along the main axis.
  const int64_t runLength = std::accumulate(length.begin(), length.end(), spaces);
  int64_t at = runStart(inner, axes, mainSize, runLength, weights > 0, alignH, alignV);
  // 4. Size, align and place each item across, one after the other along the main axis.
  const int crossAlign = vertical ? alignH : alignV;
  for (size_t i = 0; i < n; ++i) {
    placeInFlow(*items[i], axes, inner, crossSize, crossAlign, at, length[i]);
    at += length[i] + spacing;
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

// Event 36 on every element whose window rectangle changed (moves included), in tree order. The
// changed ones are collected first: a handler may reshape the tree while the events go out.
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
