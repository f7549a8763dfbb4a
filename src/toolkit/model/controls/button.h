// Buttons: push, check (toggle), check box and radio; icons with a disabled look; an optional
// bound element (pane-group tabs) and window role (maximise, minimise, close).
//
// Click (34) default action, when nobody marked the click handled and the button is enabled:
//   push      - the window role's command, if any
//   check/box - toggle the checked state
//   radio     - check it; radios of the same group under the same parent are unchecked
// Every real change of the checked state raises 35 (also from XBtn_SetCheck).
//
// UI thread only. A button changes only itself and its radio partners (its siblings), and asks
// the platform for its window role's command.
#pragma once

#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

enum class WindowRole { none = 0, maximize, minimize, close };

class Button : public Element {
 public:
  explicit Button(int type = XC_BUTTON) : Element(type) {}
  bool isA(int type) const override { return type == XC_BUTTON || Element::isA(type); }
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("button"); }

  std::u16string text;
  int buttonType = button_type_push;
  bool checked = false;
  HIMAGE icon = 0;
  HIMAGE iconDisable = 0;
  HELE bindEle = 0;
  int group = 0;
  WindowRole role = WindowRole::none;
  int textAlign = text_align_center | text_align_vcenter;

  // Changes the checked state; raises 35 when it really changed. Answers whether it changed.
  bool setCheck(bool value);
  bool isCheckable() const { return buttonType != button_type_push; }

  uint32_t bkState() const override;
  XSize contentSize() override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  void paintDefaultBackground(Canvas& canvas, const XRect& abs) override;
  void defaultAction(int event, const EventArgs& args) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
  // "image" and "icon" set the icon, "iconDisable" the disabled one.
  void applyImageAttribute(std::string_view name, HIMAGE image) override;

 protected:
  // The area the text is drawn in (a tab label leaves room for its close button).
  virtual XRect textArea(const XRect& inner) const { return inner; }
};

}  // namespace tovalux::tk
