// Buttons: checking (with radio groups), their measured size, their default look and the click's
// default action.
#include "toolkit/model/controls/button.h"

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/platform.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

namespace {
constexpr int kIconGap = 4;
constexpr int kBoxSize = 13;
}  // namespace

// A radio checked in a group unchecks its checked partners first (each raising its own 35), then
// raises 35 itself; a handler may destroy the button meanwhile, hence the check by handle.
bool Button::setCheck(bool value) {
  if (checked == value) return false;
  checked = value;
  HELE self = handle();
  if (value && buttonType == button_type_radio && group != 0 && parent() != nullptr) {
    std::vector<HELE> partners;
    for (Element* sibling : parent()->children())
      if (auto* b = dynamic_cast<Button*>(sibling);
          b != nullptr && b != this && b->group == group && b->buttonType == button_type_radio && b->checked)
        partners.push_back(b->handle());
    for (HELE h : partners)
      if (auto* b = context().registry.get<Button>(h)) b->setCheck(false);
  }
  if (context().registry.alive(self)) {
    redraw();
    accessChanged(AccessChange::state, self);
    raiseEvent(self, XE_BUTTON_CHECK, EventArgs{1, {value ? 1 : 0}});
  }
  return true;
}

uint32_t Button::bkState() const { return Element::bkState() | (checked ? XBK_CHECKED : XBK_UNCHECKED); }

// Icon (or the check box) and text side by side, with a gap only when both are there.
XSize Button::contentSize() {
  Context& ctx = context();
  XSize s{0, 0};
  if (const Image* img = ctx.registry.get<Image>(icon)) s = {img->width(), img->height()};
  if (buttonType == button_type_checkbox || buttonType == button_type_radio) s = {kBoxSize, kBoxSize};
  if (!text.empty()) {
    XSize t = ctx.measurer().measure(text, effectiveFont());
    s.cx += (s.cx > 0 ? kIconGap : 0) + t.cx;
    s.cy = std::max(s.cy, t.cy);
  }
  return {s.cx + padding.left + padding.right, s.cy + padding.top + padding.bottom};
}

void Button::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  if (buttonType == button_type_checkbox || buttonType == button_type_radio) return;
  XColor fill = !enabled               ? palette::kWindowSurface
                : (pressed || checked) ? palette::kAccent
                : hovered              ? palette::kHoverFace
                                       : palette::kControlFace;
  canvas.fillRect(abs, fill, 255);
}

void Button::paintContent(Canvas& canvas, const XRect& abs) {
  Context& ctx = context();
  XRect inner = textArea(innerRect(*this, abs));
  auto [color, alpha] = effectiveTextColor();
  if (buttonType == button_type_checkbox || buttonType == button_type_radio) {
    int top = inner.top + (inner.height() - kBoxSize) / 2;
    XRect box{inner.left, top, inner.left + kBoxSize, top + kBoxSize};
    canvas.frameRect(box, color, alpha, 1);
    if (checked) canvas.fillRect({box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, color, alpha);
    inner.left = box.right + kIconGap;
  }
  const Image* img = ctx.registry.get<Image>(!enabled && iconDisable != 0 ? iconDisable : icon);
  if (img != nullptr) {
    if (text.empty()) {
      drawImageIn(canvas, *img, inner, true);
      return;
    }
    int top = inner.top + (inner.height() - img->height()) / 2;
    canvas.image(*img, {inner.left, top, inner.left + img->width(), top + img->height()}, ImageMode::natural);
    inner.left += img->width() + kIconGap;
  }
  if (!text.empty()) canvas.text(text, inner, textAlign, effectiveFont(), color, alpha);
}

// A click toggles check types; a push button with a window role asks the platform to change the
// window's state, and keeps `maximized` in step so the next click restores.
void Button::defaultAction(int event, const EventArgs&) {
  if (event != XE_BNCLICK || !enabled) return;
  switch (buttonType) {
    case button_type_check:
    case button_type_checkbox: setCheck(!checked); return;
    case button_type_radio: setCheck(true); return;
    default: break;
  }
  Window* w = window();
  if (role == WindowRole::none || w == nullptr) return;
  WindowCommand command = role == WindowRole::close      ? WindowCommand::close
                          : role == WindowRole::minimize ? WindowCommand::minimize
                          : w->maximized                 ? WindowCommand::restore
                                                         : WindowCommand::maximize;
  if (command == WindowCommand::maximize) w->maximized = true;
  if (command == WindowCommand::restore) w->maximized = false;
  if (Platform* platform = context().platform) platform->windowCommand(*w, command);
}

bool Button::applyAttribute(std::string_view name, std::string_view value) {
  if (name == "text") {
    text = utf8ToUtf16(value);
  } else if (name == "type") {
    if (equalsNoCase(value, "push"))
      buttonType = button_type_push;
    else if (equalsNoCase(value, "check"))
      buttonType = button_type_check;
    else if (equalsNoCase(value, "checkBox"))
      buttonType = button_type_checkbox;
    else if (equalsNoCase(value, "radio"))
      buttonType = button_type_radio;
    else if (auto n = parseInt(value); n && *n >= 0 && *n <= 3)
      buttonType = *n;
  } else if (name == "checked") {
    if (auto b = parseBool(value)) checked = *b;
  } else if (name == "group") {
    if (auto n = parseInt(value)) group = *n;
  } else if (name == "role") {
    if (equalsNoCase(value, "maximize"))
      role = WindowRole::maximize;
    else if (equalsNoCase(value, "minimize"))
      role = WindowRole::minimize;
    else if (equalsNoCase(value, "close"))
      role = WindowRole::close;
  } else if (name == "textAlign") {
    if (auto a = parseTextAlign(value)) textAlign = *a;
  } else {
    return false;
  }
  return true;
}

void Button::applyImageAttribute(std::string_view name, HIMAGE image) {
  (name == "iconDisable" ? iconDisable : icon) = image;
}

}  // namespace tovalux::tk
