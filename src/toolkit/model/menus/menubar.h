// Menu bars: a row of bar buttons (object type 44, buttons too), each with its own pop-up menu,
// which opens below the button with their left edges aligned. The bar is the receiver of its
// menus' events (57 to 62, see menu.h).
// UI thread only.
#pragma once

#include "toolkit/model/controls/button.h"

namespace tovalux::tk {

class MenuBar;

class MenuBarButton : public Button {
 public:
  MenuBarButton() : Button(XC_MENUBAR_BUTTON) {}
  ~MenuBarButton() override;
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("menuBarButton");
    out.push_back("button");
  }
  HMENUX menu = 0;  // owned: destroyed with the button
  MenuBar* bar() const;
  // Pressed while its menu is open.
  uint32_t bkState() const override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  // Click: opens its menu, or closes it when open. Mouse over while another menu of the same
  // bar is open: its own menu replaces that one.
  void defaultAction(int event, const EventArgs& args) override;
};

class MenuBar : public Element {
 public:
  MenuBar() : Element(XC_MENUBAR) {
    flows = true;
    alignV = align_center_v;
  }
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("menuBar"); }

  int buttonHeight = 20;
  // Appends a button with an empty menu; answers its index among the bar's buttons.
  int addButton(std::u16string_view text);
  std::vector<MenuBarButton*> buttons() const;
  MenuBarButton* button(int index) const;
  void setButtonHeight(int height);
  bool applyAttribute(std::string_view name, std::string_view value) override;
};

// Opens the menu of a bar button below it (see openMenu).
bool openBarMenu(MenuBarButton& button, bool keyboard);
// The next (step 1) or previous (step -1) enabled, visible button of the same bar, wrapping;
// null when there is no other.
MenuBarButton* neighbourBarButton(const MenuBarButton& button, int step);

}  // namespace tovalux::tk
