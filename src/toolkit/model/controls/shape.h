// The two shapes, text and picture: tree members that paint but are not elements to the public
// surface (XC_IsHELE answers false) and are never hit by the mouse. UI thread only.
#pragma once

#include "toolkit/model/tree/element.h"

namespace tovalux::tk {

class Image;

class ShapeText : public Element {
 public:
  ShapeText() : Element(XC_SHAPE_TEXT) {}
  bool isShape() const override { return true; }
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("shapeText"); }
  std::u16string text;
  int textAlign = text_align_left | text_align_vcenter;
  XSize contentSize() override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  bool applyAttribute(std::string_view name, std::string_view value) override;
};

class ShapePicture : public Element {
 public:
  ShapePicture() : Element(XC_SHAPE_PICTURE) {}
  bool isShape() const override { return true; }
  void kindNames(std::vector<std::string_view>& out) const override { out.push_back("shapePic"); }
  HIMAGE image = 0;
  XSize contentSize() override;
  void paintContent(Canvas& canvas, const XRect& abs) override;
  void applyImageAttribute(std::string_view name, HIMAGE image) override;
};

// Text-alignment flags from a number or words (FORMATS.md 1.3).
std::optional<int> parseTextAlign(std::string_view value);
// The rectangle inside `abs` less the element's padding.
XRect innerRect(const Element& e, const XRect& abs);
// Draws `image` in `area`: stretched when it was loaded for stretching, else at natural size
// centred in the area.
void drawImageIn(Canvas& canvas, const Image& image, const XRect& area, bool center);

}  // namespace tovalux::tk
