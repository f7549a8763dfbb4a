// GDI fonts for the model's fonts (face, point size, style bits 1 bold, 2 italic, 4 underline,
// 8 strike-out), made once per distinct font and kept until the toolkit exits, and the text
// measurer the model lays text out with.
#pragma once

#include <windows.h>

#include "toolkit/model/core/text_measure.h"

namespace tovalux::tk::win32 {

HFONT fontFor(const Font& font);
void releaseFonts();

class GdiTextMeasurer : public TextMeasurer {
 public:
  XSize measure(std::u16string_view text, const Font& font) override;
};

}  // namespace tovalux::tk::win32
