// Tab bars: labels (check-type buttons) left to right, each with a close button (a push
// button, child of the label, shown while closing is enabled). A label click selects it; a
// close click raises 222 on the bar with the label's index, whose default action (nobody
// marked it handled) deletes the label.
// UI thread only; a bar changes only its own labels.
#pragma once

#include "toolkit/model/controls/button.h"

namespace tovalux::tk {

class TabBar;

class TabLabel : public Button {
 public:
  TabLabel() { buttonType = button_type_check; }
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("tabLabel");
    out.push_back("button");
  }
  Button* closeButton() const;
  TabBar* bar() const;
  XSize contentSize() override;
  void arrange() override;
  void defaultAction(int event, const EventArgs& args) override;

 protected:
  XRect textArea(const XRect& inner) const override;
};

class TabCloseButton : public Button {
 public:
  void kindNames(std::vector<std::string_view>& out) const override {
    out.push_back("tabClose");
    out.push_back("button");
  }
  void defaultAction(int event, const EventArgs& args) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
};

class TabBar : public Element {
 public:
  TabBar() : Element(XC_TABBAR) {}
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("tabBar"); }

  int addLabel(std::u16string_view text);
  TabLabel* label(int index) const;
  int labelCount() const { return static_cast<int>(children().size()); }
  int indexOf(const Element* label) const { return Element::indexOf(label); }
  void select(int index);
  int selected() const;
  void deleteLabel(int index);
  void enableClose(bool enable);

  bool closeEnabled = false;
  bool tile = false;
  int labelSpacing = 0;
  static constexpr int kCloseSize = 14;

  void arrange() override;
  void defaultAction(int event, const EventArgs& args) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
  // <label text="..."/> children of a layout's <tabBar> become labels.
  bool applyChildTag(const XmlNode& child) override;
};

}  // namespace tovalux::tk
