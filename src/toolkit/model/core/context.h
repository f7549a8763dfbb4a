// The toolkit's global state: one per library, alive between XInitXCGUI and XExitXCGUI.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/model/core/object.h"
#include "toolkit/model/core/text_measure.h"
#include "toolkit/model/theme/resources.h"

namespace tovalux::tk {

class Platform;
class Font;

struct Context {
  bool initialized = false;
  std::string appName;
  Registry registry;
  ResourcePackage resources;
  StyleSheet style;
  HFONTX defaultFont = 0;
  Platform* platform = nullptr;
  ApproxTextMeasurer approxMeasurer;
  TextMeasurer* measurerOverride = nullptr;  // tests

  // Names given by layouts and XEle_SetName, in creation order (several objects may share one).
  std::vector<std::pair<std::u16string, HXCGUI>> names;
  // Live windows in creation order.
  std::vector<HWINDOW> windows;

  // Fonts and image files that layouts and templates name, shared between them.
  std::vector<std::pair<std::u16string, HFONTX>> fontCache;
  std::vector<std::pair<std::u16string, HIMAGE>> imageCache;

  TextMeasurer& measurer();
  HFONTX font(const std::u16string& face, int size, int style);
  // The font an element without its own font uses (created on first use).
  const Font& fallbackFont();
};

Context& context();

// Destroys every object and answers to "not initialised" afterwards.
void shutdown();

}  // namespace tovalux::tk
