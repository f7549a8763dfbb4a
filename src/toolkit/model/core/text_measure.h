// Text extents for "auto" sizes, wrapping and caret-free text layout. The Win32 backend
// installs a GDI measurer; until then (and in tests) a deterministic approximation answers, so
// layouts come out the same on every machine. UI thread only.
#pragma once

#include <string_view>

#include "toolkit/types.h"

namespace tovalux::tk {

class Font;

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Width and height of `text` drawn on one line in `font` (an empty text has width 0 and the
  // font's line height).
  virtual XSize measure(std::u16string_view text, const Font& font) = 0;
};

// No font files: a CJK character (and anything outside Latin-1) is one line height wide, any
// other character half of it; the line height is the point size at 96 dpi plus 4 pixels.
class ApproxTextMeasurer : public TextMeasurer {
 public:
  XSize measure(std::u16string_view text, const Font& font) override;
  static int lineHeight(const Font& font);
};

}  // namespace tovalux::tk
