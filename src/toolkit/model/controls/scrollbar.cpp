// Scroll bars: arrows, slider and track, the position over 0..range, and the scroll hooks the
// input code asks (pressAt, slideTo). A change raises 56 and then tells the bar's scroll view,
// which may be gone by then: everything after an event is looked up again.
#include "toolkit/model/controls/scroll_view.h"
#include "toolkit/model/controls/scrollbar.h"

#include <algorithm>

#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/palette.h"

namespace tovalux::tk {

void ScrollBarButton::defaultAction(int event, const EventArgs&) {
  if (event != XE_BNCLICK || !enabled || part == Part::slider) return;
  if (auto* bar = kindCast<ScrollBar>(parent())) bar->scrollTo(bar->pos + (part == Part::up ? -bar->step : bar->step));
}

void ScrollBarButton::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  XColor c = part == Part::slider ? (pressed   ? palette::kSliderPressed
                                     : hovered ? palette::kSliderHover
                                               : palette::kSlider)
                                  : (pressed ? palette::kAccent : palette::kScrollTrack);
  canvas.fillRect(abs, c, 255);
}

void ScrollBarButton::paintContent(Canvas& canvas, const XRect& abs) {
  if (part == Part::slider || icon != 0) {
    Button::paintContent(canvas, abs);
    return;
  }
  auto* bar = kindCast<ScrollBar>(parent());
  bool horizontal = bar != nullptr && bar->horizontal;
  int cx = (abs.left + abs.right) / 2, cy = (abs.top + abs.bottom) / 2;
  XPoint p[3];
  if (!horizontal) {
    int d = part == Part::up ? -1 : 1;
    p[0] = {cx - 4, cy - 2 * d}, p[1] = {cx + 4, cy - 2 * d}, p[2] = {cx, cy + 2 * d};
  } else {
    int d = part == Part::up ? -1 : 1;
    p[0] = {cx - 2 * d, cy - 4}, p[1] = {cx - 2 * d, cy + 4}, p[2] = {cx + 2 * d, cy};
  }
  canvas.fillPolygon(p, 3, enabled ? palette::kGlyph : palette::kGlyphDisabled, 255);
}

void ScrollBar::build() {
  using P = ScrollBarButton::Part;
  for (P part : {P::up, P::down, P::slider}) makeElement<ScrollBarButton>(handle(), {0, 0, 0, 0}, part);
}

ScrollBarButton* ScrollBar::up() const {
  return children().size() > 0 ? kindCast<ScrollBarButton>(children()[0]) : nullptr;
}
ScrollBarButton* ScrollBar::down() const {
  return children().size() > 1 ? kindCast<ScrollBarButton>(children()[1]) : nullptr;
}
ScrollBarButton* ScrollBar::slider() const {
  return children().size() > 2 ? kindCast<ScrollBarButton>(children()[2]) : nullptr;
}

bool ScrollBar::scrollTo(int p) {
  p = std::clamp(p, 0, std::max(0, range));
  if (p == pos) return false;
  pos = p;
  HELE self = handle();
  arrange();
  redraw();
  accessChanged(AccessChange::value, self);
  raiseEvent(self, XE_SBAR_SCROLL, EventArgs{1, {p}});
  if (auto* bar = context().registry.get<ScrollBar>(self))
    if (auto* view = kindCast<ScrollView>(bar->parent())) view->barScrolled(bar);
  return true;
}

void ScrollBar::setRange(int r) {
  range = std::clamp(r, 0, 1 << 30);
  if (pos > range) scrollTo(range);
}

// The arrows are square (as thick as the bar), but never take more than half of a short bar.
std::pair<int, int> ScrollBar::track() const {
  int length = horizontal ? width() : height();
  int thickness = horizontal ? height() : width();
  int arrow = showButtons ? std::min(thickness, length / 2) : 0;
  return {arrow, std::max(arrow, length - arrow)};
}

// An automatic slider shows the page's share of range + page, at least 10 pixels so it can be
// grabbed; 20 when no page is known.
int ScrollBar::sliderExtent() const {
  auto [start, end] = track();
  int trackLength = end - start;
  int len = sliderLength;
  if (len <= 0) {
    len = page > 0 ? static_cast<int>(int64_t(trackLength) * page / (int64_t(range) + page)) : 20;
    len = std::max(len, 10);
  }
  return std::min(len, trackLength);
}

// The inverse of arrange's slider placement, rounded to the nearest position, so dragging the
// slider back to where it was gives the position it had.
int ScrollBar::positionAt(int offset) const {
  auto [start, end] = track();
  int travel = end - start - sliderExtent();
  if (travel <= 0 || range <= 0) return 0;
  int moved = std::clamp(offset - start, 0, travel);
  return static_cast<int>((int64_t(moved) * range + travel / 2) / travel);
}

int ScrollBar::along(XPoint pt) const {
  XRect r = windowRect();
  return horizontal ? pt.x - r.left : pt.y - r.top;
}

std::optional<Element::Slide> ScrollBar::pressAt(XPoint pt) {
  // A click on the track pages towards the cursor.
  XRect s = slider() != nullptr ? slider()->windowRect() : XRect{};
  int at = horizontal ? pt.x : pt.y;
  int pageSize = std::max(1, page > 0 ? page : range / 10);
  scrollTo(pos + (at < (horizontal ? s.left : s.top) ? -pageSize : pageSize));
  return std::nullopt;
}

void ScrollBar::slideTo(XPoint pt, int grip) { scrollTo(positionAt(along(pt) - grip)); }

// The grip is where along the slider it was taken, so the slider does not jump under the cursor.
std::optional<Element::Slide> ScrollBarButton::pressAt(XPoint pt) {
  auto* bar = kindCast<ScrollBar>(parent());
  if (part != Part::slider || bar == nullptr) return std::nullopt;
  XRect s = windowRect(), b = bar->windowRect();
  return Slide{bar->handle(), bar->along(pt) - (bar->horizontal ? s.left - b.left : s.top - b.top)};
}

void ScrollBar::arrange() {
  int length = horizontal ? width() : height();
  int thickness = horizontal ? height() : width();
  auto [start, end] = track();
  auto place = [&](Element* e, int from, int to, int inset) {
    if (e == nullptr) return;
    e->rect = horizontal ? XRect{from, inset, to, thickness - inset} : XRect{inset, from, thickness - inset, to};
  };
  if (ScrollBarButton* b = up()) b->visible = showButtons, place(b, 0, start, 0);
  if (ScrollBarButton* b = down()) b->visible = showButtons, place(b, end, length, 0);
  int len = sliderExtent();
  int travel = end - start - len;
  int at = start + (range > 0 && travel > 0 ? static_cast<int>(int64_t(travel) * pos / range) : 0);
  place(slider(), at, at + len, sliderPadding);
}

void ScrollBar::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  canvas.fillRect(abs, palette::kScrollTrack, 255);
}

bool ScrollBar::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "orientation") {
    horizontal = equalsNoCase(value, "horizontal");
  } else if (name == "range") {
    if (auto n = parseInt(value)) setRange(*n);
  } else if (name == "pos") {
    if (auto n = parseInt(value)) pos = std::clamp(*n, 0, range);
  } else if (name == "sliderLength") {
    if (auto n = parseInt(value)) sliderLength = clampSize(*n);
  } else if (name == "sliderPadding") {
    if (auto n = parseInt(value)) sliderPadding = clampSize(*n);
  } else if (name == "showButtons") {
    if (auto b = parseBool(value)) showButtons = *b;
  } else {
    return false;
  }
  return true;
}

}  // namespace tovalux::tk
