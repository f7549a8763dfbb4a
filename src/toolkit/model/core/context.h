// The toolkit's global state: one per library, alive between XInitXCGUI and XExitXCGUI.
//
// UI thread only, like every toolkit object. Core keeps what every layer needs (the registry, the
// platform, text measurement, fonts, names and windows); the theme's resources live in a store
// the theme layer defines (theme/resources.h), which core holds without knowing its type, so the
// lowest layer includes nothing above it. XExitXCGUI (shutdown(), tree/window.h) empties it all.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/model/core/object.h"
#include "toolkit/model/core/text_measure.h"

namespace tovalux::tk {

class Platform;
class Font;
class ResourceStore;

struct Context {
  bool initialized = false;
  std::string appName;
  Registry registry;
  HFONTX defaultFont = 0;
  Platform* platform = nullptr;
  ApproxTextMeasurer approxMeasurer;
  TextMeasurer* measurerOverride = nullptr;  // tests

  // Names given by layouts and XEle_SetName, in creation order (several objects may share one).
  std::vector<std::pair<std::u16string, HXCGUI>> names;
  // Live windows in creation order.
  std::vector<HWINDOW> windows;

  // Fonts that layouts and templates name, shared between them.
  std::vector<std::pair<std::u16string, HFONTX>> fontCache;

  // The resource package, style sheet and image cache in use: made by resourceStore()
  // (theme/resources.h) on first use, dropped by shutdown(). The deleter comes with it, so this
  // layer never needs the type.
  std::unique_ptr<ResourceStore, void (*)(ResourceStore*)> store{nullptr, nullptr};

  TextMeasurer& measurer();
  HFONTX font(const std::u16string& face, int size, int style);
  // The font an element without its own font uses (created on first use).
  const Font& fallbackFont();
};

Context& context();

}  // namespace tovalux::tk
