// Public surface: elements, layout elements and shapes.
// UI thread only; every handle is validated first (api_support.h).
#include <algorithm>

#include "toolkit/model/api/api_support.h"
#include "toolkit/model/controls/layout_element.h"
#include "toolkit/model/controls/shape.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;
using namespace tovalux::tk::api;

#define ELEMENT_OR_RETURN(h, ...)                 \
  Element* e = ready() ? getElement(h) : nullptr; \
  if (e == nullptr) return __VA_ARGS__

HELE XEle_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<Element>(parent, rectOf(x, y, width, height))->handle();
}

void XEle_Destroy(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele);
  Window* w = e->window();
  XRect area = e->windowRect();
  Element::destroy(e);
  if (w != nullptr) w->invalidate(area, false);
}

void XEle_SetID(HXCGUI ele, int id) {
  ELEMENT_OR_RETURN(ele);
  e->id = id;
}

int XEle_GetID(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, 0);
  return e->id;
}

void XEle_SetName(HXCGUI ele, const XChar* name) {
  ELEMENT_OR_RETURN(ele);
  e->setName(fromX(name));
}

int XEle_GetChildCount(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, 0);
  return static_cast<int>(e->children().size());
}

HXCGUI XEle_GetChildByIndex(HXCGUI ele, int index) {
  ELEMENT_OR_RETURN(ele, 0);
  if (index < 0 || index >= static_cast<int>(e->children().size())) return 0;
  return e->children()[static_cast<size_t>(index)]->handle();
}

HELE XEle_GetParentEle(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, 0);
  return e->parent() != nullptr ? e->parent()->handle() : 0;
}

HWINDOW XEle_GetWindow(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, 0);
  Window* w = e->window();
  return w != nullptr ? w->handle() : 0;
}

XHWND XEle_GetHWND(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, nullptr);
  Window* w = e->window();
  return w != nullptr ? w->native : nullptr;
}

int XEle_GetWidth(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, 0);
  return e->width();
}

int XEle_GetHeight(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, 0);
  return e->height();
}

void XEle_SetWidth(HXCGUI ele, int width) {
  ELEMENT_OR_RETURN(ele);
  e->setWidth(width);
}

void XEle_SetHeight(HXCGUI ele, int height) {
  ELEMENT_OR_RETURN(ele);
  e->setHeight(height);
}

void XEle_SetRect(HXCGUI ele, const XRect* rect) {
  ELEMENT_OR_RETURN(ele);
  if (rect == nullptr) return;
  int x = clampCoord(rect->left), y = clampCoord(rect->top);
  e->rect = {x, y, x + clampSize(int64_t(rect->right) - rect->left), y + clampSize(int64_t(rect->bottom) - rect->top)};
  e->widthRule = {layout_size_fixed, e->width()};
  e->heightRule = {layout_size_fixed, e->height()};
}

void XEle_GetRect(HXCGUI ele, XRect* out) {
  if (out == nullptr) return;
  *out = {};
  ELEMENT_OR_RETURN(ele);
  *out = e->rect;
}

void XEle_GetClientRect(HXCGUI ele, XRect* out) {
  if (out == nullptr) return;
  *out = {};
  ELEMENT_OR_RETURN(ele);
  *out = {0, 0, e->width(), e->height()};
}

void XEle_RectClientToWndClient(HXCGUI ele, XRect* inout) {
  if (inout == nullptr) return;
  ELEMENT_OR_RETURN(ele);
  XRect at = e->windowRect();
  inout->left = clampCoord(int64_t(inout->left) + at.left), inout->right = clampCoord(int64_t(inout->right) + at.left);
  inout->top = clampCoord(int64_t(inout->top) + at.top), inout->bottom = clampCoord(int64_t(inout->bottom) + at.top);
}

void XEle_SetLayoutWidth(HXCGUI ele, int sizeType, int value) {
  ELEMENT_OR_RETURN(ele);
  if (sizeType < layout_size_fixed || sizeType > layout_size_weight) return;
  e->widthRule = {sizeType, clampSize(value)};
  if (sizeType == layout_size_fixed) e->setWidth(value);
}

void XEle_SetLayoutHeight(HXCGUI ele, int sizeType, int value) {
  ELEMENT_OR_RETURN(ele);
  if (sizeType < layout_size_fixed || sizeType > layout_size_weight) return;
  e->heightRule = {sizeType, clampSize(value)};
  if (sizeType == layout_size_fixed) e->setHeight(value);
}

void XEle_SetMinSize(HXCGUI ele, int width, int height) {
  ELEMENT_OR_RETURN(ele);
  e->minSize = {clampSize(width), clampSize(height)};
}

void XEle_SetBorderSize(HXCGUI ele, int left, int top, int right, int bottom) {
  ELEMENT_OR_RETURN(ele);
  e->border = {clampSize(left), clampSize(top), clampSize(right), clampSize(bottom)};
}

void XEle_SetPadding(HXCGUI ele, int left, int top, int right, int bottom) {
  ELEMENT_OR_RETURN(ele);
  e->padding = {clampSize(left), clampSize(top), clampSize(right), clampSize(bottom)};
}

void XEle_SetDragBorder(HXCGUI ele, int edgeFlags) {
  ELEMENT_OR_RETURN(ele);
  e->dragBorder = edgeFlags & 15;
}

void XEle_SetDragBorderBindEle(HXCGUI ele, int edge, HELE bound, int space) {
  ELEMENT_OR_RETURN(ele);
  int slot = edge == edge_left ? 0 : edge == edge_top ? 1 : edge == edge_right ? 2 : edge == edge_bottom ? 3 : -1;
  if (slot < 0 || getElement(bound) == nullptr) return;
  e->dragBinds[slot] = {bound, clampSize(space)};
}

void XEle_AdjustLayout(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele);
  adjustLayout(*e);
}

void XEle_RedrawEle(HXCGUI ele, bool immediate) {
  ELEMENT_OR_RETURN(ele);
  e->redraw(immediate);
}

void XEle_Enable(HXCGUI ele, bool enable) {
  ELEMENT_OR_RETURN(ele);
  if (e->enabled == enable) return;
  e->enabled = enable;
  if (!enable) e->hovered = e->pressed = false;
  e->redraw();
  accessChanged(AccessChange::state, ele);
}

bool XEle_IsEnable(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, false);
  return e->enabled;
}

void XEle_Show(HXCGUI ele, bool show) {
  ELEMENT_OR_RETURN(ele);
  if (e->visible == show) return;
  Window* w = e->window();
  XRect area = e->windowRect();
  e->visible = show;
  if (w != nullptr) w->invalidate(area, false);
  accessChanged(show ? AccessChange::shown : AccessChange::hidden, ele);
  raiseEvent(ele, XE_SHOW, EventArgs{1, {show ? 1 : 0}});
}

bool XEle_IsShow(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, false);
  return e->visible;
}

void XEle_SetTextColor(HXCGUI ele, XColor color, int alpha) {
  ELEMENT_OR_RETURN(ele);
  e->textColor = std::make_pair(color & 0xFFFFFF, static_cast<uint8_t>(std::clamp(alpha, 0, 255)));
}

void XEle_SetFont(HXCGUI ele, HFONTX font) {
  ELEMENT_OR_RETURN(ele);
  if (font == 0 || context().registry.get<Font>(font) != nullptr) e->font = font;
}

void XEle_EnableCSS(HXCGUI ele, bool enable) {
  ELEMENT_OR_RETURN(ele);
  e->cssEnabled = enable;
}

void XEle_SetCssName(HXCGUI ele, const XChar* name) {
  ELEMENT_OR_RETURN(ele);
  e->cssClass = fromX(name);
}

void XEle_EnableBkTransparent(HXCGUI ele, bool enable) {
  ELEMENT_OR_RETURN(ele);
  e->bkTransparent = enable;
}

bool XEle_IsBkTransparent(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, false);
  return e->bkTransparent;
}

void XEle_EnableMouseThrough(HXCGUI ele, bool enable) {
  ELEMENT_OR_RETURN(ele);
  e->mouseThrough = enable;
}

void XEle_SetToolTip(HXCGUI ele, const XChar* text) {
  ELEMENT_OR_RETURN(ele);
  e->tooltip = fromX(text);
  accessChanged(AccessChange::name, ele);
}

XString XEle_GetToolTip(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele, {});
  return toX(e->tooltip);
}

void XEle_SetFocus(HXCGUI ele) {
  ELEMENT_OR_RETURN(ele);
  Window* w = e->window();
  if (w == nullptr || !e->enabled || !e->visible) return;
  setFocus(*w, e->handle());
}

HELE XWnd_GetFocusEle(HWINDOW window) {
  Window* w = ready() ? getWindow(window) : nullptr;
  if (w == nullptr) return 0;
  return getElement(w->focused) != nullptr ? w->focused : 0;
}

// --- layout elements ---------------------------------------------------------------------

HELE XLayout_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<LayoutElement>(parent, rectOf(x, y, width, height))->handle();
}

void XLayout_EnableHorizon(HELE layout, bool horizontal) {
  ELEMENT_OR_RETURN(layout);
  e->flows = true;
  e->vertical = !horizontal;
}

void XLayout_SetSpace(HELE layout, int space) {
  ELEMENT_OR_RETURN(layout);
  e->spacing = clampSize(space);
}

void XLayout_SetAlignH(HELE layout, int align) {
  ELEMENT_OR_RETURN(layout);
  if (align == align_left || align == align_center_h || align == align_right) e->alignH = align;
}

void XLayout_SetAlignV(HELE layout, int align) {
  ELEMENT_OR_RETURN(layout);
  if (align == align_top || align == align_center_v || align == align_bottom) e->alignV = align;
}

// --- shapes ------------------------------------------------------------------------------

HSHAPE XShapePic_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<ShapePicture>(parent, rectOf(x, y, width, height))->handle();
}

void XShapePic_SetImage(HSHAPE shape, HIMAGE image) {
  KIND_OR_RETURN(ShapePicture, shape);
  if (image != 0 && context().registry.get<Image>(image) == nullptr) return;
  e->image = image;
  e->redraw();
}

HSHAPE XShapeText_Create(int x, int y, int width, int height, const XChar* text, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  ShapeText* s = makeElement<ShapeText>(parent, rectOf(x, y, width, height));
  s->text = fromX(text);
  return s->handle();
}

void XShapeText_SetText(HSHAPE shape, const XChar* text) {
  KIND_OR_RETURN(ShapeText, shape);
  e->text = fromX(text);
  accessChanged(AccessChange::name, shape);
}

XString XShapeText_GetText(HSHAPE shape) {
  KIND_OR_RETURN(ShapeText, shape, {});
  return toX(e->text);
}

void XShapeText_SetTextColor(HSHAPE shape, XColor color, int alpha) {
  KIND_OR_RETURN(ShapeText, shape);
  e->textColor = std::make_pair(color & 0xFFFFFF, static_cast<uint8_t>(std::clamp(alpha, 0, 255)));
}

void XShapeText_SetFont(HSHAPE shape, HFONTX font) {
  KIND_OR_RETURN(ShapeText, shape);
  if (font == 0 || context().registry.get<Font>(font) != nullptr) e->font = font;
}

void XShapeText_SetTextAlign(HSHAPE shape, int flags) {
  KIND_OR_RETURN(ShapeText, shape);
  e->textAlign = flags & 15;
}

void XShape_Redraw(HSHAPE shape) {
  ELEMENT_OR_RETURN(shape);
  e->redraw();
}
