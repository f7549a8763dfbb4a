// Fonts as toolkit objects: face, size and style. The model measures and paints through them;
// the backend makes the native font for each. They sit in core because the canvas and the text
// measurer take them; layouts, templates and XFont_Create make them (Context::font caches the
// ones named by text). UI thread only, like every object.
#pragma once

#include <string>

#include "toolkit/model/core/object.h"

namespace tovalux::tk {

class Font : public Object {
 public:
  Font(std::u16string face, int size, int style)
      : Object(XC_FONT), face_(std::move(face)), size_(size), style_(style) {}
  const std::u16string& face() const { return face_; }
  int size() const { return size_; }  // points
  int style() const { return style_; }

 private:
  std::u16string face_;
  int size_;
  int style_;
};

}  // namespace tovalux::tk
