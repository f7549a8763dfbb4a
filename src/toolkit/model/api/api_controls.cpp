// Public surface: buttons, tool bars, tab bars, scroll bars, scroll views and edits.
// UI thread only; every handle is validated first (api_support.h).
#include <algorithm>

#include "base/gbk.h"
#include "toolkit/model/core/access_feed.h"
#include "toolkit/model/api/api_support.h"
#include "toolkit/model/controls/edit.h"
#include "toolkit/model/controls/tabbar.h"
#include "toolkit/model/controls/toolbar.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;
using namespace tovalux::tk::api;

// --- buttons -----------------------------------------------------------------------------

HELE XBtn_Create(int x, int y, int width, int height, const XChar* text, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  Button* b = makeElement<Button>(parent, rectOf(x, y, width, height));
  b->text = fromX(text);
  return b->handle();
}

void XBtn_SetIcon(HELE button, HIMAGE image) {
  KIND_OR_RETURN(Button, button);
  if (validImage(image)) e->icon = image, e->redraw();
}

void XBtn_SetIconDisable(HELE button, HIMAGE image) {
  KIND_OR_RETURN(Button, button);
  if (validImage(image)) e->iconDisable = image, e->redraw();
}

HELE XBtn_GetBindEle(HELE button) {
  KIND_OR_RETURN(Button, button, 0);
  return getElement(e->bindEle) != nullptr ? e->bindEle : 0;
}

void XBtn_SetBindEle(HELE button, HELE bound) {
  KIND_OR_RETURN(Button, button);
  if (bound == 0 || getElement(bound) != nullptr) e->bindEle = bound;
}

int XBtn_GetType(HELE button) {
  KIND_OR_RETURN(Button, button, 0);
  return e->buttonType;
}

void XBtn_SetType(HELE button, int type) {
  KIND_OR_RETURN(Button, button);
  if (type >= button_type_push && type <= button_type_radio) e->buttonType = type;
}

void XBtn_SetGroupID(HELE button, int group) {
  KIND_OR_RETURN(Button, button);
  e->group = group;
}

void XBtn_SetCheck(HELE button, bool checked) {
  KIND_OR_RETURN(Button, button);
  e->setCheck(checked);
}

bool XBtn_IsCheck(HELE button) {
  KIND_OR_RETURN(Button, button, false);
  return e->checked;
}

void XBtn_SetText(HELE button, const XChar* text) {
  KIND_OR_RETURN(Button, button);
  e->text = fromX(text);
  e->redraw();
  accessChanged(AccessChange::name, button);
}

XString XBtn_GetText(HELE button) {
  KIND_OR_RETURN(Button, button, {});
  return toX(e->text);
}

// --- tool bars ---------------------------------------------------------------------------

HELE XToolBar_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<ToolBar>(parent, rectOf(x, y, width, height))->handle();
}

int XToolBar_InsertEle(HELE bar, HELE ele, int index) {
  KIND_OR_RETURN(ToolBar, bar, -1);
  Element* item = getElement(ele);
  if (item == nullptr) return -1;
  return e->insert(item, index);
}

HELE XToolBar_GetEle(HELE bar, int index) {
  KIND_OR_RETURN(ToolBar, bar, 0);
  Element* item = e->at(index);
  return item != nullptr ? item->handle() : 0;
}

int XToolBar_GetEleCount(HELE bar) {
  KIND_OR_RETURN(ToolBar, bar, 0);
  return e->count();
}

// --- tab bars ----------------------------------------------------------------------------

HELE XTabBar_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<TabBar>(parent, rectOf(x, y, width, height))->handle();
}

int XTabBar_AddLabel(HELE bar, const XChar* text) {
  KIND_OR_RETURN(TabBar, bar, -1);
  return e->addLabel(fromX(text));
}

HELE XTabBar_GetLabel(HELE bar, int index) {
  KIND_OR_RETURN(TabBar, bar, 0);
  TabLabel* label = e->label(index);
  return label != nullptr ? label->handle() : 0;
}

HELE XTabBar_GetLabelClose(HELE bar, int index) {
  KIND_OR_RETURN(TabBar, bar, 0);
  TabLabel* label = e->label(index);
  Button* close = label != nullptr ? label->closeButton() : nullptr;
  return close != nullptr ? close->handle() : 0;
}

int XTabBar_GetLabelCount(HELE bar) {
  KIND_OR_RETURN(TabBar, bar, 0);
  return e->labelCount();
}

void XTabBar_SetSelect(HELE bar, int index) {
  KIND_OR_RETURN(TabBar, bar);
  e->select(index);
}

int XTabBar_GetSelect(HELE bar) {
  KIND_OR_RETURN(TabBar, bar, -1);
  return e->selected();
}

void XTabBar_DeleteLabel(HELE bar, int index) {
  KIND_OR_RETURN(TabBar, bar);
  e->deleteLabel(index);
}

void XTabBar_SetPadding(HELE bar, int left, int top, int right, int bottom) {
  KIND_OR_RETURN(TabBar, bar);
  e->padding = {clampSize(left), clampSize(top), clampSize(right), clampSize(bottom)};
}

void XTabBar_SetLabelSpacing(HELE bar, int spacing) {
  KIND_OR_RETURN(TabBar, bar);
  e->labelSpacing = clampSize(spacing);
}

void XTabBar_EnableClose(HELE bar, bool enable) {
  KIND_OR_RETURN(TabBar, bar);
  e->enableClose(enable);
}

void XTabBar_EnableTile(HELE bar, bool enable) {
  KIND_OR_RETURN(TabBar, bar);
  e->tile = enable;
}

// --- scroll bars -------------------------------------------------------------------------

HELE XSBar_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  ScrollBar* bar = makeElement<ScrollBar>(parent, rectOf(x, y, width, height));
  bar->horizontal = width > height;
  return bar->handle();
}

void XSBar_EnableHorizon(HELE bar, bool horizontal) {
  KIND_OR_RETURN(ScrollBar, bar);
  e->horizontal = horizontal;
}

void XSBar_SetSliderPadding(HELE bar, int padding) {
  KIND_OR_RETURN(ScrollBar, bar);
  e->sliderPadding = clampSize(padding);
}

void XSBar_SetSliderLength(HELE bar, int length) {
  KIND_OR_RETURN(ScrollBar, bar);
  e->sliderLength = clampSize(length);
}

HELE XSBar_GetButtonUp(HELE bar) {
  KIND_OR_RETURN(ScrollBar, bar, 0);
  return e->up() != nullptr ? e->up()->handle() : 0;
}

HELE XSBar_GetButtonDown(HELE bar) {
  KIND_OR_RETURN(ScrollBar, bar, 0);
  return e->down() != nullptr ? e->down()->handle() : 0;
}

HELE XSBar_GetButtonSlider(HELE bar) {
  KIND_OR_RETURN(ScrollBar, bar, 0);
  return e->slider() != nullptr ? e->slider()->handle() : 0;
}

void XSBar_SetRange(HELE bar, int range) {
  KIND_OR_RETURN(ScrollBar, bar);
  e->setRange(range);
}

int XSBar_GetRange(HELE bar) {
  KIND_OR_RETURN(ScrollBar, bar, 0);
  return e->range;
}

void XSBar_ScrollPos(HELE bar, int pos) {
  KIND_OR_RETURN(ScrollBar, bar);
  e->scrollTo(pos);
}

int XSBar_GetPos(HELE bar) {
  KIND_OR_RETURN(ScrollBar, bar, 0);
  return e->pos;
}

void XSBar_ShowButton(HELE bar, bool show) {
  KIND_OR_RETURN(ScrollBar, bar);
  e->showButtons = show;
}

// --- scroll views ------------------------------------------------------------------------

HELE XSView_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<ScrollView>(parent, rectOf(x, y, width, height))->handle();
}

void XSView_ShowSBarV(HELE view, bool show) {
  KIND_OR_RETURN(ScrollView, view);
  e->showV = show;
}

void XSView_ShowSBarH(HELE view, bool show) {
  KIND_OR_RETURN(ScrollView, view);
  e->showH = show;
}

void XSView_EnableAutoShowScrollBar(HELE view, bool enable) {
  KIND_OR_RETURN(ScrollView, view);
  e->autoShow = enable;
}

void XSView_SetScrollBarSize(HELE view, int size) {
  KIND_OR_RETURN(ScrollView, view);
  e->barSize = std::clamp(size, 0, 200);
}

void XSView_GetBorderSize(HELE view, XRect* out) {
  if (out == nullptr) return;
  *out = {};
  KIND_OR_RETURN(ScrollView, view);
  *out = e->insets;
}

void XSView_SetBorderSize(HELE view, int left, int top, int right, int bottom) {
  KIND_OR_RETURN(ScrollView, view);
  e->insets = {clampSize(left), clampSize(top), clampSize(right), clampSize(bottom)};
}

void XSView_SetTotalSize(HELE view, int width, int height) {
  KIND_OR_RETURN(ScrollView, view);
  e->setTotalSize({width, height});
}

HELE XSView_GetScrollBarV(HELE view) {
  KIND_OR_RETURN(ScrollView, view, 0);
  return e->barV() != nullptr ? e->barV()->handle() : 0;
}

HELE XSView_GetScrollBarH(HELE view) {
  KIND_OR_RETURN(ScrollView, view, 0);
  return e->barH() != nullptr ? e->barH()->handle() : 0;
}

// --- edits -------------------------------------------------------------------------------

HELE XEdit_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<Edit>(parent, rectOf(x, y, width, height))->handle();
}

void XEdit_EnableAutoWrap(HELE edit, bool enable) {
  KIND_OR_RETURN(Edit, edit);
  e->autoWrap = enable;
  e->redraw();
}

void XEdit_EnableMultiLine(HELE edit, bool enable) {
  KIND_OR_RETURN(Edit, edit);
  e->multiLine = enable;
}

void XEdit_EnableReadOnly(HELE edit, bool enable) {
  KIND_OR_RETURN(Edit, edit);
  e->readOnly = enable;
}

void XEdit_SetText(HELE edit, const XChar* text) {
  KIND_OR_RETURN(Edit, edit);
  e->setText(fromX(text));
}

XString XEdit_GetText(HELE edit, int maxChars) {
  KIND_OR_RETURN(Edit, edit, {});
  std::u16string all = e->text();
  if (maxChars >= 0)
    all.resize(tovalux::utf16SafeCut(all, static_cast<size_t>(maxChars)));  // never half a surrogate pair
  return toX(all);
}

void XEdit_AddText(HELE edit, const XChar* text) {
  KIND_OR_RETURN(Edit, edit);
  e->addText(fromX(text), 0);
}

int XEdit_AddStyleEx(HELE edit, const XChar* face, int size, int fontStyle, XColor color, bool useColor) {
  KIND_OR_RETURN(Edit, edit, -1);
  HFONTX font = 0;
  std::u16string name = fromX(face);
  if (!name.empty() && size > 0 && size <= 500) font = context().font(name, size, fontStyle & 15);
  return e->addStyle({font, color & 0xFFFFFF, useColor});
}

void XEdit_AddTextEx(HELE edit, const XChar* text, int styleIndex) {
  KIND_OR_RETURN(Edit, edit);
  e->addText(fromX(text), styleIndex);
}

void XEdit_RemoveText(HELE edit, int from, int to) {
  KIND_OR_RETURN(Edit, edit);
  if (from < 0 || to <= from) return;
  e->removeText(static_cast<size_t>(from), static_cast<size_t>(to));
}

void XEdit_AutoScroll(HELE edit) {
  KIND_OR_RETURN(Edit, edit);
  e->autoScroll();
}

void XEdit_SelectAll(HELE edit) {
  KIND_OR_RETURN(Edit, edit);
  e->selectAll();
}
