// Public surface: menu bars and pop-up menus.
// UI thread only; every handle is validated first (api_support.h).
#include <algorithm>

#include "toolkit/model/api/api_support.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/platform.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/menus/menubar.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;
using namespace tovalux::tk::api;

namespace {
Menu* menuOf(HMENUX h) { return ready() ? context().registry.get<Menu>(h) : nullptr; }
MenuBar* barOf(HELE h) { return ready() ? dynamic_cast<MenuBar*>(getElement(h)) : nullptr; }
HIMAGE imageOrNone(HIMAGE h) { return context().registry.get<Image>(h) != nullptr ? h : 0; }
}  // namespace

HELE XMenuBar_Create(int x, int y, int width, int height, HXCGUI parent) {
  if (!ready() || !validParent(parent)) return 0;
  return makeElement<MenuBar>(parent, rectOf(x, y, width, height))->handle();
}

void XMenuBar_SetButtonHeight(HELE bar, int height) {
  if (MenuBar* b = barOf(bar)) b->setButtonHeight(height);
}

int XMenuBar_AddButton(HELE bar, const XChar* text) {
  MenuBar* b = barOf(bar);
  return b != nullptr ? b->addButton(fromX(text)) : -1;
}

HMENUX XMenuBar_GetMenu(HELE bar, int index) {
  MenuBar* b = barOf(bar);
  MenuBarButton* button = b != nullptr ? b->button(index) : nullptr;
  return button != nullptr && menuOf(button->menu) != nullptr ? button->menu : 0;
}

HMENUX XMenu_Create() { return ready() ? context().registry.create<Menu>()->handle() : 0; }

bool XMenu_Popup(HMENUX menu, XHWND owner, int x, int y, HELE receiver, int position) {
  if (menuOf(menu) == nullptr || (receiver != 0 && getElement(receiver) == nullptr)) return false;
  XPoint at{clampCoord(x), clampCoord(y)};
  if (Platform* platform = context().platform) at = platform->unitsFromScreen(owner, at);
  return openMenu(menu, receiver, owner, at, position);
}

void XMenu_AddItem(HMENUX menu, int id, const XChar* text, int parentId, int flags) {
  if (Menu* m = menuOf(menu)) m->add(id, fromX(text), parentId, 0, flags);
}

void XMenu_AddItemIcon(HMENUX menu, int id, const XChar* text, int parentId, HIMAGE icon, int flags) {
  if (Menu* m = menuOf(menu)) m->add(id, fromX(text), parentId, imageOrNone(icon), flags);
}

void XMenu_SetItemFlags(HMENUX menu, int id, int flags) {
  Menu* m = menuOf(menu);
  MenuItem* item = m != nullptr ? m->find(id) : nullptr;
  if (item == nullptr) return;
  item->flags = flags & ~menu_item_flag_hot;
  // An open pop-up shows the change at once.
  for (int depth = 0; HWINDOW h = menuPopup(depth); ++depth)
    if (Window* w = getWindow(h)) w->invalidateAll(false);
}

XString XMenu_GetItemText(HMENUX menu, int id) {
  Menu* m = menuOf(menu);
  const MenuItem* item = m != nullptr ? m->find(id) : nullptr;
  return item != nullptr ? toX(item->text) : XString();
}

int XMenu_GetParentItem(HMENUX menu, int id) {
  Menu* m = menuOf(menu);
  const MenuItem* item = m != nullptr ? m->find(id) : nullptr;
  const MenuItem* parent = item != nullptr ? m->byKey(item->parentKey) : nullptr;
  return parent != nullptr ? parent->id : -1;
}

void XMenu_SetItemHeight(HMENUX menu, int height) {
  if (Menu* m = menuOf(menu)) m->itemHeight = std::clamp(height, 1, 1000);
}

int XMenu_GetLeftWidth(HMENUX menu) {
  Menu* m = menuOf(menu);
  return m != nullptr ? m->leftWidth : 0;
}

void XMenu_EnableDrawBackground(HMENUX menu, bool enable) {
  if (Menu* m = menuOf(menu)) m->ownerDrawBackground = enable;
}

void XMenu_EnableDrawItem(HMENUX menu, bool enable) {
  if (Menu* m = menuOf(menu)) m->ownerDrawItems = enable;
}
