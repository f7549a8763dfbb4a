// The approximate measurer: no font files, only the point size, so native tests and the model's
// layouts agree whatever fonts the machine has.
#include "toolkit/model/core/text_measure.h"

#include "toolkit/model/core/font.h"

namespace tovalux::tk {

// The point size at 96 dots per inch, rounded, plus 4 pixels of line spacing.
int ApproxTextMeasurer::lineHeight(const Font& font) { return (font.size() * 96 + 36) / 72 + 4; }

XSize ApproxTextMeasurer::measure(std::u16string_view text, const Font& font) {
  const int h = lineHeight(font);
  int w = 0;
  for (char16_t c : text) {
    if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair: counted with the first
    w += c < 0x100 ? h / 2 : h;
  }
  return {w, h};
}

}  // namespace tovalux::tk
