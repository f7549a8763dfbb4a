#include "toolkit/win32/fonts.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "toolkit/model/core/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/gdi.h"

namespace tovalux::tk::win32 {

namespace {

struct FontEntry {
  GdiObject<HFONT> font;
  int lineHeight = 0;
};
using FontKey = std::tuple<std::u16string, int, int, int>;  // face, points, style, dpi
std::map<FontKey, FontEntry> gFonts;
MemoryDc gMeasuring;

// A DC for measuring only; it never draws.
HDC measuringDc() {
  if (!gMeasuring) gMeasuring = MemoryDc(nullptr);
  return gMeasuring.get();
}

FontEntry& entryFor(const Font& font, Scale scale) {
  FontKey key{font.face(), font.size(), font.style(), scale.dpi()};
  auto it = gFonts.find(key);
  if (it != gFonts.end()) return it->second;
  LOGFONTW lf{};
  // Points at the window's DPI, so that text is hinted at the size it is shown at rather than
  // drawn at 96 dpi and stretched (a negative height asks for the em size).
  lf.lfHeight = -MulDiv(font.size(), scale.dpi(), 72);
  lf.lfWeight = (font.style() & font_style_bold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.style() & font_style_italic) ? TRUE : FALSE;
  lf.lfUnderline = (font.style() & font_style_underline) ? TRUE : FALSE;
  lf.lfStrikeOut = (font.style() & font_style_strikeout) ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const size_t n = std::min<size_t>(font.face().size(), LF_FACESIZE - 1);
  std::copy_n(font.face().begin(), n, lf.lfFaceName);
  FontEntry entry;
  entry.font.reset(CreateFontIndirectW(&lf));
  if (entry.font) {
    Selection select(measuringDc(), entry.font.get());
    TEXTMETRICW tm{};
    if (GetTextMetricsW(measuringDc(), &tm)) entry.lineHeight = tm.tmHeight;
  }
  if (entry.lineHeight <= 0) entry.lineHeight = scale.scale(ApproxTextMeasurer::lineHeight(font));
  return gFonts.emplace(std::move(key), std::move(entry)).first->second;
}

}  // namespace

HFONT fontFor(const Font& font, Scale scale) {
  HFONT f = entryFor(font, scale).font.get();
  return f != nullptr ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void releaseFonts() {
  gFonts.clear();
  gMeasuring.reset();
}

XSize measureDevice(std::u16string_view text, const Font& font, Scale scale) {
  FontEntry& entry = entryFor(font, scale);
  // Without a GDI font, the rough width of half a line height per character.
  if (!entry.font) return {static_cast<int32_t>(text.size()) * entry.lineHeight / 2, entry.lineHeight};
  if (text.empty()) return {0, entry.lineHeight};
  Selection select(measuringDc(), entry.font.get());
  SIZE size{};
  const int length = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFF));
  if (!GetTextExtentPoint32W(measuringDc(), reinterpret_cast<const wchar_t*>(text.data()), length, &size))
    return {0, entry.lineHeight};
  return {size.cx, std::max<int32_t>(size.cy, entry.lineHeight)};
}

XSize GdiTextMeasurer::measure(std::u16string_view text, const Font& font) {
  // Measured with the font as it is drawn, then back in units, rounded up so that the text
  // always fits the room a layout gives it.
  const Scale scale = measuringScale();
  const XSize device = measureDevice(text, font, scale);
  return {scale.unscaleUp(device.cx), scale.unscaleUp(device.cy)};
}

}  // namespace tovalux::tk::win32
