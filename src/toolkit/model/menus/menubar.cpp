// Menu bars: buttons that own their menus, the open button's pressed look, and opening, switching
// and sliding between the bar's menus.
#include "toolkit/model/menus/menubar.h"

#include "toolkit/model/core/canvas.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/theme/palette.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/xcgui.h"

namespace tovalux::tk {

MenuBarButton::~MenuBarButton() {
  if (menu != 0) context().registry.erase(menu);
}

MenuBar* MenuBarButton::bar() const { return dynamic_cast<MenuBar*>(parent()); }

// The button whose menu is open looks pressed for as long as the menu stays open, whatever the
// mouse does, so a theme's descriptor shows it as a native menu bar would.
uint32_t MenuBarButton::bkState() const {
  uint32_t state = Button::bkState();
  if (enabled && menuOpenButton() == handle()) state = (state & ~(XBK_NORMAL | XBK_HOVER)) | XBK_PRESSED;
  return state;
}

void MenuBarButton::paintDefaultBackground(Canvas& canvas, const XRect& abs) {
  if (menuOpenButton() == handle())
    canvas.fillRect(abs, palette::kMenuSurface, 255);
  else if (hovered && enabled)
    canvas.fillRect(abs, palette::kHoverFace, 255);
}

void MenuBarButton::defaultAction(int event, const EventArgs&) {
  if (!enabled || bar() == nullptr) return;
  const HELE open = menuOpenButton();
  if (event == XE_BNCLICK) {
    if (open == handle())
      menuDismiss();
    else
      openBarMenu(*this, false);
  } else if (event == XE_MOUSESTAY && open != 0 && open != handle()) {
    // Sliding along the bar with a menu open shows each button's menu in turn.
    auto* other = context().registry.get<MenuBarButton>(open);
    if (other != nullptr && other->bar() == bar()) openBarMenu(*this, false);
  }
}

int MenuBar::addButton(std::u16string_view text) {
  MenuBarButton* b = makeElement<MenuBarButton>(handle(), {0, 0, 0, buttonHeight});
  b->text = std::u16string(text);
  b->padding = {8, 0, 8, 0};
  b->widthRule = {layout_size_auto, 0};
  Menu* m = context().registry.create<Menu>();
  m->ownerButton = b->handle();
  b->menu = m->handle();
  return static_cast<int>(buttons().size()) - 1;
}

std::vector<MenuBarButton*> MenuBar::buttons() const {
  std::vector<MenuBarButton*> out;
  for (Element* c : children())
    if (auto* b = dynamic_cast<MenuBarButton*>(c)) out.push_back(b);
  return out;
}

MenuBarButton* MenuBar::button(int index) const {
  std::vector<MenuBarButton*> all = buttons();
  if (index < 0 || index >= static_cast<int>(all.size())) return nullptr;
  return all[static_cast<size_t>(index)];
}

void MenuBar::setButtonHeight(int height) {
  buttonHeight = clampSize(height);
  for (MenuBarButton* b : buttons()) b->setHeight(buttonHeight);
}

bool MenuBar::applyAttribute(std::string_view name, std::string_view value) {
  if (name != "buttonHeight") return false;
  if (auto n = parseInt(value)) setButtonHeight(*n);
  return true;
}

// Under the button, left edges aligned; the point is in screen coordinates like any pop-up's.
bool openBarMenu(MenuBarButton& button, bool keyboard) {
  MenuBar* bar = button.bar();
  if (bar == nullptr) return false;
  Window* w = button.window();
  XRect r = button.windowRect();
  XPoint at{r.left, r.bottom};
  if (w != nullptr) at = {clampCoord(int64_t(at.x) + w->rect.left), clampCoord(int64_t(at.y) + w->rect.top)};
  return openMenu(button.menu, bar->handle(), w != nullptr ? w->native : nullptr, at, menu_popup_position_left_top,
                  button.handle(), keyboard);
}

// Round the bar, skipping disabled and hidden buttons.
MenuBarButton* neighbourBarButton(const MenuBarButton& button, int step) {
  MenuBar* bar = button.bar();
  if (bar == nullptr) return nullptr;
  std::vector<MenuBarButton*> all = bar->buttons();
  const int n = static_cast<int>(all.size());
  int at = 0;
  while (at < n && all[static_cast<size_t>(at)] != &button) ++at;
  for (int i = 1; i < n; ++i) {
    MenuBarButton* b = all[static_cast<size_t>(((at + step * i) % n + n) % n)];
    if (b->enabled && b->visible) return b;
  }
  return nullptr;
}

}  // namespace tovalux::tk
