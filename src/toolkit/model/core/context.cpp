#include "toolkit/model/core/context.h"

#include "toolkit/model/core/platform.h"
#include "toolkit/model/theme/font.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/values.h"
#include "toolkit/model/tree/element.h"
#include "toolkit/model/tree/window.h"

namespace tovalux::tk {

Context& context() {
  static Context instance;
  return instance;
}

namespace {
PlatformFactory g_platformFactory = nullptr;
}  // namespace

void setPlatformFactory(PlatformFactory factory) { g_platformFactory = factory; }
PlatformFactory platformFactory() { return g_platformFactory; }

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

HFONTX Context::font(const std::u16string& face, int size, int style) {
  std::u16string key = face + u'|' + utf8ToUtf16(std::to_string(size)) + u'|' + utf8ToUtf16(std::to_string(style));
  for (const auto& [k, h] : fontCache)
    if (k == key && registry.alive(h)) return h;
  HFONTX h = registry.create<Font>(face, size, style)->handle();
  fontCache.emplace_back(key, h);
  return h;
}

void shutdown() {
  Context& ctx = context();
  std::vector<HWINDOW> windows = ctx.windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) Window::destroy(getWindow(*it));
  for (HXCGUI h : ctx.registry.handles()) {
    Element* e = getElement(h);
    if (e != nullptr && e->parent() == nullptr) Element::destroy(e);
  }
  ctx.registry.clear();
  ctx.resources.clear();
  ctx.style.clear();
  ctx.names.clear();
  ctx.fontCache.clear();
  ctx.imageCache.clear();
  ctx.windows.clear();
  ctx.defaultFont = 0;
  ctx.initialized = false;
}

}  // namespace tovalux::tk
