// The one Context, the platform factory, and the font helpers (measurer choice, fallback font,
// the cache of fonts named by text).
#include "toolkit/model/core/context.h"

#include "base/text.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/core/platform.h"

namespace tovalux::tk {

Context& context() {
  static Context instance;
  return instance;
}

namespace {
// Set by the backend's static initialiser, possibly before anything else runs: a plain pointer
// is constant-initialised, so the order of static initialisation cannot lose it.
PlatformFactory gPlatformFactory = nullptr;
}  // namespace

void setPlatformFactory(PlatformFactory factory) { gPlatformFactory = factory; }
PlatformFactory platformFactory() { return gPlatformFactory; }

// A test's measurer first (its figures are what the test asserts), then the platform's real one,
// then the approximation.
TextMeasurer& Context::measurer() {
  if (measurerOverride != nullptr) return *measurerOverride;
  if (platform != nullptr)
    if (TextMeasurer* m = platform->measurer()) return *m;
  return approxMeasurer;
}

const Font& Context::fallbackFont() {
  if (const Font* f = registry.get<Font>(defaultFont)) return *f;
  // The toolkit's own default until XC_SetDefaultFont: kept outside the registry so it never
  // takes a handle.
  static const Font builtin(u"宋体", 9, 0);
  return builtin;
}

// Layouts and templates name fonts by text; each face, size and style becomes one shared object,
// made again if a caller destroyed it.
HFONTX Context::font(const std::u16string& face, int size, int style) {
  std::u16string key = face + u'|' + utf8ToUtf16(std::to_string(size)) + u'|' + utf8ToUtf16(std::to_string(style));
  for (const auto& [k, h] : fontCache)
    if (k == key && registry.alive(h)) return h;
  HFONTX h = registry.create<Font>(face, size, style)->handle();
  fontCache.emplace_back(key, h);
  return h;
}

}  // namespace tovalux::tk
