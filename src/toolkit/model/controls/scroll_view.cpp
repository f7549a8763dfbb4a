// Scroll views: which bars show, the view area they leave, the content laid out in content
// coordinates (at least the view's size, so fill children fill the view) and shifted by the
// scroll position when placed and painted.
#include "toolkit/model/controls/scroll_view.h"

#include <algorithm>

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"

namespace tovalux::tk {

// The bars are the view's first two children, made with no range: nothing to scroll yet.
void ScrollView::build() {
  ScrollBar* v = makeElement<ScrollBar>(handle(), {0, 0, barSize, 0});
  ScrollBar* h = makeElement<ScrollBar>(handle(), {0, 0, 0, barSize});
  h->horizontal = true;
  v->range = h->range = 0;
}

ScrollBar* ScrollView::barV() const {
  for (Element* c : children())
    if (auto* b = kindCast<ScrollBar>(c); b != nullptr && !b->horizontal) return b;
  return nullptr;
}

ScrollBar* ScrollView::barH() const {
  for (Element* c : children())
    if (auto* b = kindCast<ScrollBar>(c); b != nullptr && b->horizontal) return b;
  return nullptr;
}

bool ScrollView::isBar(const Element* e) const { return e == barV() || e == barH(); }

void ScrollView::setTotalSize(XSize size) { totalSize = {clampSize(size.cx), clampSize(size.cy)}; }

void ScrollView::scrollTo(XPoint p) {
  if (ScrollBar* v = barV()) v->scrollTo(p.y);
  if (ScrollBar* h = barH()) h->scrollTo(p.x);
}

// Three 20-pixel lines a notch; a view whose vertical bar is hidden or has nothing to scroll
// leaves the wheel to its parent.
bool ScrollView::scrollByWheel(int delta) {
  constexpr int kWheelLine = 20;  // pixels per wheel line
  constexpr int kWheelLines = 3;  // lines per notch
  ScrollBar* bar = barV();
  if (bar == nullptr || !bar->visible || bar->range == 0) return false;
  bar->scrollTo(bar->pos - delta * kWheelLines * kWheelLine / 120);
  return true;
}

void ScrollView::barScrolled(ScrollBar* bar) {
  if (bar == barV()) scroll.y = bar->pos;
  if (bar == barH()) scroll.x = bar->pos;
  redraw();
}

void ScrollView::arrange() {
  XRect edge{border.left + insets.left, border.top + insets.top, border.right + insets.right,
             border.bottom + insets.bottom};
  XRect inner{edge.left, edge.top, std::max(edge.left, width() - edge.right),
              std::max(edge.top, height() - edge.bottom)};
  XSize content = measureContent();
  ScrollBar* v = barV();
  ScrollBar* h = barH();
  bool needV = showV, needH = showH;
  if (autoShow) {
    // Showing one bar narrows the view, which can make the other one necessary.
    needV = needH = false;
    for (int pass = 0; pass < 2; ++pass) {
      needV = showV && content.cy > inner.height() - (needH ? barSize : 0);
      needH = showH && content.cx > inner.width() - (needV ? barSize : 0);
    }
  }
  viewRect_ = inner;
  if (needV) viewRect_.right = std::max(viewRect_.left, viewRect_.right - barSize);
  if (needH) viewRect_.bottom = std::max(viewRect_.top, viewRect_.bottom - barSize);
  if (v != nullptr) {
    v->visible = needV;
    v->rect = {viewRect_.right, inner.top, viewRect_.right + barSize, viewRect_.bottom};
    v->page = viewRect_.height();
    v->range = std::max(0, content.cy - viewRect_.height());
    v->pos = std::min(v->pos, v->range);  // quietly: a shrinking view raises no 56
    scroll.y = needV ? v->pos : 0;
    v->arrange();
  }
  if (h != nullptr) {
    h->visible = needH;
    h->rect = {inner.left, viewRect_.bottom, viewRect_.right, viewRect_.bottom + barSize};
    h->page = viewRect_.width();
    h->range = std::max(0, content.cx - viewRect_.width());
    h->pos = std::min(h->pos, h->range);
    scroll.x = needH ? h->pos : 0;
    h->arrange();
  }
  // The content's own area: as large as the content, and never smaller than the view.
  XRect area{0, 0, std::max(viewRect_.width(), content.cx), std::max(viewRect_.height(), content.cy)};
  area = {area.left + padding.left, area.top + padding.top, area.right - padding.right, area.bottom - padding.bottom};
  std::vector<Element*> flowItems;
  for (Element* c : children()) {
    if (isBar(c) || !c->visible) continue;
    if (flows && !c->floating)
      flowItems.push_back(c);
    else
      placeFree(*c, area);
  }
  if (flows) flowLayout(flowItems, area, vertical, spacing, alignH, alignV);
  for (Element* c : children())
    if (!isBar(c) && c->visible) c->arrange();
}

XPoint ScrollView::childOffset(const Element* child) const {
  if (isBar(child)) return {0, 0};
  return {viewRect_.left - scroll.x, viewRect_.top - scroll.y};
}

XRect ScrollView::childClip(const Element* child) const {
  if (isBar(child)) return {0, 0, width(), height()};
  return viewRect_;
}

bool ScrollView::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "scrollBarV") {
    if (auto b = parseBool(value)) showV = *b;
  } else if (name == "scrollBarH") {
    if (auto b = parseBool(value)) showH = *b;
  } else if (name == "autoShowScrollBar") {
    if (auto b = parseBool(value)) autoShow = *b;
  } else if (name == "scrollBarSize") {
    if (auto n = parseInt(value)) barSize = std::clamp(*n, 0, 200);
  } else if (name == "viewInsets") {
    if (auto r = parseSides(value)) insets = *r;
  } else {
    return false;
  }
  return true;
}

}  // namespace tovalux::tk
