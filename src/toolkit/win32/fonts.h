// GDI fonts for the model's fonts (face, point size, style bits 1 bold, 2 italic, 4 underline,
// 8 strike-out) at a DPI, made once per distinct font and DPI and kept until the toolkit exits,
// and the text measurer the model lays text out with (at the measuring DPI, answering units).
#pragma once

#include <windows.h>

#include "toolkit/model/core/scale.h"
#include "toolkit/model/core/text_measure.h"

namespace tovalux::tk::win32 {

HFONT fontFor(const Font& font, Scale scale);
// The extent of one line of text in device pixels, drawn at `scale`.
XSize measureDevice(std::u16string_view text, const Font& font, Scale scale);
void releaseFonts();

class GdiTextMeasurer : public TextMeasurer {
 public:
  XSize measure(std::u16string_view text, const Font& font) override;
};

}  // namespace tovalux::tk::win32
