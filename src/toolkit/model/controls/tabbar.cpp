// Tab bars, their labels and close buttons: selection, closing (event 222 and its default action),
// and the labels' layout with room kept for the close button.
#include "toolkit/model/controls/tabbar.h"

#include <algorithm>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/theme/xml.h"

namespace tovalux::tk {

TabBar* TabLabel::bar() const { return dynamic_cast<TabBar*>(parent()); }

Button* TabLabel::closeButton() const {
  for (Element* c : children())
    if (auto* b = dynamic_cast<TabCloseButton*>(c)) return b;
  return nullptr;
}

namespace {
int closeWidth(const TabLabel& label) {
  Button* close = label.closeButton();
  return close != nullptr && close->visible ? std::max(0, close->widthRule.value) + 4 : 0;
}
}  // namespace

XSize TabLabel::contentSize() {
  XSize s = Button::contentSize();
  s.cx += closeWidth(*this);
  return s;
}

XRect TabLabel::textArea(const XRect& inner) const {
  XRect r = inner;
  r.right -= closeWidth(*this);
  return r;
}

void TabLabel::arrange() {
  if (Button* close = closeButton()) {
    int w = std::max(0, close->widthRule.value), h = std::max(0, close->heightRule.value);
    int right = width() - padding.right - 3;
    int top = (height() - h) / 2;
    close->rect = {right - w, top, right, top + h};
  }
}

void TabLabel::defaultAction(int event, const EventArgs&) {
  if (event != XE_BNCLICK || !enabled) return;
  if (TabBar* b = bar()) b->select(b->indexOf(this));
}

void TabCloseButton::defaultAction(int event, const EventArgs&) {
  if (event != XE_BNCLICK || !enabled) return;
  auto* label = dynamic_cast<TabLabel*>(parent());
  TabBar* bar = label != nullptr ? label->bar() : nullptr;
  if (bar == nullptr) return;
  raiseEvent(bar->handle(), XE_TABBAR_DELETE, EventArgs{1, {bar->indexOf(label)}});
}

void TabCloseButton::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  if (hovered || pressed) canvas.fillRect(abs, pressed ? palette::kAccent : palette::kTabHover, 255);
}

void TabCloseButton::paintContent(Canvas& canvas, const XRect& abs) {
  if (icon != 0 || iconDisable != 0 || !text.empty()) {
    Button::paintContent(canvas, abs);
    return;
  }
  // A small cross when the theme gives no image.
  auto [color, alpha] = effectiveTextColor();
  int cx = (abs.left + abs.right) / 2, cy = (abs.top + abs.bottom) / 2;
  canvas.line(cx - 3, cy - 3, cx + 4, cy + 4, color, alpha);
  canvas.line(cx + 3, cy - 3, cx - 4, cy + 4, color, alpha);
}

int TabBar::addLabel(std::u16string_view text) {
  TabLabel* label = makeElement<TabLabel>(handle(), {0, 0, 0, 0});
  label->text = std::u16string(text);
  label->padding = {6, 0, 6, 0};
  label->widthRule = {layout_size_auto, 0};
  TabCloseButton* close = makeElement<TabCloseButton>(label->handle(), {0, 0, kCloseSize, kCloseSize});
  close->visible = closeEnabled;
  return indexOf(label);
}

TabLabel* TabBar::label(int index) const {
  if (index < 0 || index >= labelCount()) return nullptr;
  return dynamic_cast<TabLabel*>(children()[static_cast<size_t>(index)]);
}

int TabBar::selected() const {
  for (int i = 0; i < labelCount(); ++i)
    if (TabLabel* l = label(i); l != nullptr && l->checked) return i;
  return -1;
}

void TabBar::select(int index) {
  if (label(index) == nullptr) return;
  std::vector<HELE> labels;
  for (Element* c : children()) labels.push_back(c->handle());
  // Uncheck first, so the handlers see the old label go before the new one comes.
  for (size_t i = 0; i < labels.size(); ++i)
    if (static_cast<int>(i) != index)
      if (auto* l = context().registry.get<TabLabel>(labels[i])) l->setCheck(false);
  if (auto* l = context().registry.get<TabLabel>(labels[static_cast<size_t>(index)])) l->setCheck(true);
}

void TabBar::deleteLabel(int index) {
  TabLabel* l = label(index);
  if (l == nullptr) return;
  bool wasSelected = l->checked;
  HELE self = handle();
  Element::destroy(l);
  if (!context().registry.alive(self)) return;
  if (wasSelected && labelCount() > 0) select(std::min(index, labelCount() - 1));
  if (getElement(self) != nullptr) {
    adjustLayout(*this);
    redraw();
  }
}

void TabBar::enableClose(bool enable) {
  closeEnabled = enable;
  for (int i = 0; i < labelCount(); ++i)
    if (TabLabel* l = label(i))
      if (Button* close = l->closeButton()) close->visible = enable;
}

void TabBar::arrange() {
  XRect inner{padding.left, padding.top, width() - padding.right, height() - padding.bottom};
  std::vector<Element*> shown;
  for (Element* c : children())
    if (c->visible) shown.push_back(c);
  if (tile) {
    for (Element* c : shown) c->widthRule = {layout_size_fill, 0};
  } else {
    for (Element* c : shown)
      if (c->widthRule.type == layout_size_fill) c->widthRule = {layout_size_auto, 0};
  }
  for (Element* c : shown) c->heightRule = {layout_size_fill, 0};
  flowLayout(shown, inner, false, labelSpacing, align_left, align_top);
  for (Element* c : shown) c->arrange();
}

void TabBar::defaultAction(int event, const EventArgs& args) {
  if (event == XE_TABBAR_DELETE) deleteLabel(static_cast<int>(args[0]));
}

bool TabBar::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "closeButtons") {
    if (auto b = parseBool(value)) enableClose(*b);
  } else if (name == "tile") {
    if (auto b = parseBool(value)) tile = *b;
  } else if (name == "labelSpacing") {
    if (auto n = parseInt(value)) labelSpacing = clampSize(*n);
  } else {
    return false;
  }
  return true;
}

bool TabBar::applyChildTag(const XmlNode& child) {
  if (!equalsNoCase(child.name, "label")) return false;
  const std::string* text = child.attribute("text");
  addLabel(text != nullptr ? utf8ToUtf16(*text) : std::u16string());
  return true;
}

}  // namespace tovalux::tk
