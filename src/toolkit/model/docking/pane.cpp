// Dock panes: their state, caption and caption buttons, and the pieces of the dock site that are
// elements or windows (tab labels, splitters, floating windows). Every action goes through the
// frame's dock site, which keeps the groups.
#include "toolkit/model/docking/pane.h"

#include <algorithm>

#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/docking/dock_site.h"
#include "toolkit/model/theme/palette.h"

namespace tovalux::tk {

namespace {
constexpr int kCaptionGap = 4;  // between the caption buttons and the pane's right edge
constexpr int kTitleLeft = 6;
}  // namespace

// --- panes --------------------------------------------------------------------------------

int Pane::state() const {
  if (!shown || place == Place::none) return 1;
  return place == Place::floating ? 3 : 2;
}

DockSite* Pane::dock() const {
  auto* f = context().registry.get<FrameWindow>(frame);
  return f != nullptr ? &f->dock() : nullptr;
}

// Active while the focus is on the pane or anything inside it: its caption shows it.
bool Pane::active() const {
  const Window* w = window();
  for (const Element* e = w != nullptr ? getElement(w->focused) : nullptr; e != nullptr; e = e->parent())
    if (e == this) return true;
  return false;
}

void Pane::build() {
  makeElement<PaneCaptionButton>(handle(), {0, 0, kButtonSize, kButtonSize}, PaneCaptionButton::Action::close);
  makeElement<PaneCaptionButton>(handle(), {0, 0, kButtonSize, kButtonSize}, PaneCaptionButton::Action::dock);
}

void Pane::arrange() {
  // A floating pane's window carries the title: the pane shows no caption then. The caption
  // buttons take their place whatever size they were given, so a pane docked back has them.
  const bool caption = place != Place::floating;
  const int captionHeight = caption ? std::min(kCaptionHeight, height()) : 0;
  const XRect content{0, captionHeight, width(), std::max(captionHeight, height())};
  int slot = 0;
  for (Element* c : children()) {
    if (dynamic_cast<PaneCaptionButton*>(c) != nullptr) {
      if (!caption) {
        c->rect = {};
        continue;
      }
      int right = width() - kCaptionGap - slot++ * (kButtonSize + 2);
      int top = (captionHeight - kButtonSize) / 2;
      c->rect = {right - kButtonSize, top, right, top + kButtonSize};
    } else if (c->handle() == view) {
      c->rect = content;
    } else {
      placeFree(*c, content);
    }
  }
  for (Element* c : children())
    if (c->visible) c->arrange();
}

uint32_t Pane::bkState() const {
  return Element::bkState() | XBK_CHECKED | (active() ? XBK_PANE_ACTIVE : XBK_PANE_INACTIVE);
}

void Pane::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  canvas.fillRect(abs, palette::kViewSurface, 255);
  if (place == Place::floating) return;
  XRect caption{abs.left, abs.top, abs.right, std::min(abs.bottom, abs.top + kCaptionHeight)};
  canvas.fillRect(caption, active() ? palette::kAccent : palette::kWindowSurface, 255);
}

void Pane::paintContent(Canvas& canvas, const XRect& abs) {
  if (place == Place::floating || title.empty()) return;
  auto [color, alpha] = effectiveTextColor();
  int buttons = 2 * (kButtonSize + 2) + kCaptionGap;
  XRect r{abs.left + kTitleLeft, abs.top, std::max(abs.left + kTitleLeft, abs.right - buttons),
          std::min(abs.bottom, abs.top + kCaptionHeight)};
  canvas.text(title, r, text_align_left | text_align_vcenter, effectiveFont(), color, alpha);
}

// --- caption buttons ----------------------------------------------------------------------

// Close hides the pane (it keeps its place); the other button floats a docked pane and docks a
// floating one back.
void PaneCaptionButton::defaultAction(int event, const EventArgs&) {
  if (event != XE_BNCLICK || !enabled) return;
  Pane* p = pane();
  DockSite* site = p != nullptr ? p->dock() : nullptr;
  if (site == nullptr) return;
  if (action == Action::close)
    site->showPane(*p, false);
  else if (p->place == Pane::Place::docked)
    site->floatPane(*p);
  else if (p->place == Pane::Place::floating)
    site->dockBack(*p);
}

void PaneCaptionButton::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  if (pressed)
    canvas.fillRect(abs, palette::kAccent, 255);
  else if (hovered)
    canvas.fillRect(abs, palette::kHoverFace, 255);
}

void PaneCaptionButton::paintContent(Canvas& canvas, const XRect& abs) {
  if (icon != 0 || !text.empty()) {
    Button::paintContent(canvas, abs);
    return;
  }
  // Glyphs when the theme gives no image: a cross, and a small window.
  auto [color, alpha] = effectiveTextColor();
  int cx = (abs.left + abs.right) / 2, cy = (abs.top + abs.bottom) / 2;
  if (action == Action::close) {
    canvas.line(cx - 3, cy - 3, cx + 4, cy + 4, color, alpha);
    canvas.line(cx + 3, cy - 3, cx - 4, cy + 4, color, alpha);
  } else {
    XRect box{cx - 4, cy - 3, cx + 4, cy + 4};
    canvas.frameRect(box, color, alpha, 1);
    canvas.fillRect({box.left, box.top, box.right, box.top + 2}, color, alpha);
  }
}

// --- tab labels, splitters, floating windows --------------------------------------------------

void PaneTabLabel::defaultAction(int event, const EventArgs&) {
  if (event != XE_BNCLICK || !enabled) return;
  auto* p = context().registry.get<Pane>(bindEle);
  if (p == nullptr || !p->shown) return;
  if (DockSite* site = p->dock()) site->bringToFront(*p);
}

int DockSplitter::dragBorderBy(int /*edge*/, int delta) {
  auto* f = context().registry.get<FrameWindow>(frame);
  return f != nullptr ? f->dock().dragSplitter(*this, delta) : 0;
}

void DockSplitter::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  auto* f = context().registry.get<FrameWindow>(frame);
  if (f != nullptr) canvas.fillRect(abs, f->dock().splitColor, f->dock().splitAlpha);
}

// Closing a floating pane's window docks the pane back (which destroys the window); a window whose
// pane or frame is gone just goes.
void FloatWindow::defaultAction(int event, const EventArgs&) {
  if (event != kCloseEvent) return;
  auto* p = context().registry.get<Pane>(pane);
  auto* f = context().registry.get<FrameWindow>(frame);
  if (p != nullptr && f != nullptr && p->floatWindow == handle())
    f->dock().dockBack(*p);  // destroys this window
  else
    Window::destroy(this);
}

}  // namespace tovalux::tk
