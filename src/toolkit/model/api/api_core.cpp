// Public surface: life, lookup, resources, backgrounds, windows and events.
// The top layer: it may use every layer below, and nothing in the model calls it. Like every
// public function, these run on the UI thread, validate every handle first and answer 0, false
// or an empty value for one that names nothing alive.
#include <algorithm>
#include <atomic>
#include <cassert>
#include <thread>
#include <utility>

#include "base/gbk.h"
#include "toolkit/model/api/api_support.h"
#include "toolkit/model/controls/kinds.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/core/font.h"
#include "toolkit/model/core/platform.h"
#include "toolkit/model/docking/frame_window.h"
#include "toolkit/model/menus/kinds.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/model/theme/image.h"
#include "toolkit/model/theme/resources.h"
#include "toolkit/model/tree/loader.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/model/views/kinds.h"
#include "toolkit/xcgui.h"

using namespace tovalux::tk;
using namespace tovalux::tk::api;

// The layers above the tree register their layout tags here, each its own; the platform comes
// from the factory a linked backend registered (none natively: the model runs windowless).
namespace {
// The thread that initialised the toolkit (none before XInitXCGUI and after XExitXCGUI).
std::atomic<std::thread::id> g_uiThread{};
std::atomic<uint32_t> g_foreignThreadCalls{0};
}  // namespace

void tovalux::tk::api::checkCallingThread() {
  const std::thread::id owner = g_uiThread.load(std::memory_order_relaxed);
  if (owner == std::thread::id() || owner == std::this_thread::get_id()) return;
  g_foreignThreadCalls.fetch_add(1, std::memory_order_relaxed);
  assert(!"a toolkit function was called on a thread other than the one that initialised the toolkit");
}

uint32_t XC_GetForeignThreadCalls() { return g_foreignThreadCalls.load(std::memory_order_relaxed); }

bool XInitXCGUI(const char* appName) {
  Context& ctx = context();
  if (ctx.initialized) return true;
  g_uiThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
  ctx.initialized = true;
  ctx.appName = appName != nullptr ? appName : "";
  registerControlKinds();
  registerDataViewKinds();
  registerMenuAndPaneKinds();
  if (PlatformFactory factory = platformFactory()) ctx.platform = factory();
  return true;
}

// Every object goes before the platform hears that the toolkit exited, so the backend never
// sees a window without its model.
void XExitXCGUI() {
  if (!ready()) return;
  shutdown();
  Context& ctx = context();
  if (Platform* platform = std::exchange(ctx.platform, nullptr)) platform->toolkitExited();
  g_uiThread.store(std::thread::id(), std::memory_order_relaxed);
}

bool XC_LoadResource(const XChar* path) {
  if (!ready() || path == nullptr) return false;
  return resourceStore().resources.load(toPath(fromX(path)));
}

bool XC_LoadStyle(const XChar* path) {
  if (!ready() || path == nullptr) return false;
  return resourceStore().style.load(toPath(fromX(path)));
}

void XC_SetDefaultFont(HFONTX font) {
  if (ready() && context().registry.get<Font>(font) != nullptr) context().defaultFont = font;
}

XString XC_AnsiToUnicode(const char* gbk) {
  if (gbk == nullptr) return {};
  return tovalux::gbkToUtf16<XChar>(gbk);
}

std::string XC_wtoa(const XChar* text) {
  if (text == nullptr) return {};
  return tovalux::utf16ToGbk(std::basic_string_view<XChar>(text));
}

bool XC_IsHWINDOW(HXCGUI h) { return ready() && getWindow(h) != nullptr; }

bool XC_IsHELE(HXCGUI h) {
  Element* e = ready() ? getElement(h) : nullptr;
  return e != nullptr && !e->isShape();
}

bool XC_IsHXCGUI(HXCGUI h, int type) {
  if (!ready()) return false;
  Object* o = context().registry.find(h);
  return o != nullptr && o->isA(type);
}

int XC_GetObjectType(HXCGUI h) {
  if (!ready()) return 0;
  Object* o = context().registry.find(h);
  return o != nullptr ? o->type() : 0;
}

HXCGUI XC_LoadLayout(const XChar* xmlFile, HXCGUI parent, XHWND attachWindow) {
  if (!ready() || xmlFile == nullptr || !validParent(parent)) return 0;
  return loadLayoutFile(toPath(fromX(xmlFile)), parent, attachWindow);
}

HXCGUI XC_GetObjectByName(const XChar* name) {
  if (!ready() || name == nullptr) return 0;
  std::u16string wanted = fromX(name);
  if (wanted.empty()) return 0;
  Context& ctx = context();
  for (const auto& [n, h] : ctx.names)
    if (n == wanted && ctx.registry.alive(h)) return h;
  return 0;
}

namespace {
HXCGUI findId(Element& e, int id) {
  if (e.id == id) return e.handle();
  for (Element* c : e.children())
    if (HXCGUI h = findId(*c, id)) return h;
  return 0;
}
}  // namespace

HXCGUI XC_GetObjectByID(HWINDOW window, int id) {
  if (!ready() || id == 0) return 0;
  std::vector<HWINDOW> scope;
  if (window == 0)
    scope = context().windows;
  else
    scope.push_back(window);
  for (HWINDOW h : scope) {
    Window* w = getWindow(h);
    if (w == nullptr) continue;
    for (Element* c : w->children())
      if (HXCGUI found = findId(*c, id)) return found;
  }
  return 0;
}

// --- fonts, images, resources, backgrounds -----------------------------------------------

HFONTX XFont_Create2(const XChar* face, int size, int style) {
  if (!ready() || size <= 0 || size > 500) return 0;
  std::u16string name = fromX(face);
  if (name.empty()) name = context().fallbackFont().face();
  return context().registry.create<Font>(name, size, style & 15)->handle();
}

HIMAGE XImage_LoadFile(const XChar* path, bool stretch) {
  if (!ready() || path == nullptr) return 0;
  Image* image = loadImageFile(toPath(fromX(path)), stretch);
  return image != nullptr ? image->handle() : 0;
}

HIMAGE XImage_LoadMemory(const void* data, int size, bool stretch) {
  if (!ready() || data == nullptr || size <= 0) return 0;
  Image* image = loadImageMemory(std::string_view(static_cast<const char*>(data), static_cast<size_t>(size)), stretch);
  return image != nullptr ? image->handle() : 0;
}

int XImage_GetWidth(HIMAGE image) {
  const Image* i = ready() ? context().registry.get<Image>(image) : nullptr;
  return i != nullptr ? i->width() : 0;
}

int XImage_GetHeight(HIMAGE image) {
  const Image* i = ready() ? context().registry.get<Image>(image) : nullptr;
  return i != nullptr ? i->height() : 0;
}

XColor XRes_GetColor(const XChar* name) {
  if (!ready() || name == nullptr) return 0;
  auto c = resourceStore().resources.color(utf16ToUtf8(fromX(name)));
  return c ? c->color : 0;
}

HIMAGE XRes_GetImage(const XChar* name) {
  if (!ready() || name == nullptr) return 0;
  return resourceStore().resources.image(utf16ToUtf8(fromX(name)));
}

HBKM XEle_GetBkManager(HELE ele) {
  Element* e = ready() ? getElement(ele) : nullptr;
  return e != nullptr ? e->bkm() : 0;
}

HBKM XWnd_GetBkManager(HWINDOW window) {
  Window* w = ready() ? getWindow(window) : nullptr;
  return w != nullptr ? w->bkm() : 0;
}

int XBkM_SetBkInfo(HBKM bkm, const XChar* descriptor) {
  BkManager* m = ready() ? context().registry.get<BkManager>(bkm) : nullptr;
  if (m == nullptr || descriptor == nullptr) return 0;
  return m->set(fromX(descriptor));
}

HTEMP XTemp_Load(int listType, const XChar* xmlFile) {
  if (!ready() || xmlFile == nullptr) return 0;
  Template* t = loadTemplateFile(toPath(fromX(xmlFile)), listType);
  return t != nullptr ? t->handle() : 0;
}

// --- windows -----------------------------------------------------------------------------

namespace {
template <class Kind>
HWINDOW makeWindow(uint32_t exStyle, const XChar* className, const XChar* title, uint32_t style, int x, int y,
                   int width, int height, XHWND parent, int xcStyle) {
  if (!ready()) return 0;
  Window* w = createWindow<Kind>();
  w->exStyle = exStyle;
  w->className = fromX(className);
  w->title = fromX(title);
  w->style = style;
  x = clampCoord(x), y = clampCoord(y);
  w->rect = {x, y, x + clampSize(width), y + clampSize(height)};
  w->parentNative = parent;
  w->xcStyle = xcStyle;
  w->visible = (style & 0x10000000u) != 0;  // WS_VISIBLE
  announceWindow(w);
  return w->handle();
}
}  // namespace

HWINDOW XWnd_CreateEx(uint32_t exStyle, const XChar* className, const XChar* title, uint32_t style, int x, int y,
                      int width, int height, XHWND parent, int xcStyle) {
  return makeWindow<Window>(exStyle, className, title, style, x, y, width, height, parent, xcStyle);
}

HWINDOW XFrameWnd_CreateEx(uint32_t exStyle, const XChar* className, const XChar* title, uint32_t style, int x, int y,
                           int width, int height, XHWND parent, int xcStyle) {
  return makeWindow<FrameWindow>(exStyle, className, title, style, x, y, width, height, parent, xcStyle);
}

#define WINDOW_OR_RETURN(h, ...)                \
  Window* w = ready() ? getWindow(h) : nullptr; \
  if (w == nullptr) return __VA_ARGS__

void XWnd_SetMinimumSize(HWINDOW window, int width, int height) {
  WINDOW_OR_RETURN(window);
  w->minSize = {clampSize(width), clampSize(height)};
}

void XWnd_SetTransparentType(HWINDOW window, int type) {
  WINDOW_OR_RETURN(window);
  w->transparentType = type;
}

void XWnd_SetTransparentAlpha(HWINDOW window, int alpha) {
  WINDOW_OR_RETURN(window);
  w->transparentAlpha = std::clamp(alpha, 0, 255);
}

void XWnd_SetShadowInfo(HWINDOW window, int size, int depth, int cornerSize, bool rightAngle, XColor color) {
  WINDOW_OR_RETURN(window);
  w->shadow = {std::max(0, size), std::clamp(depth, 0, 255), std::max(0, cornerSize), rightAngle, color};
  w->invalidateAll(false);
}

void XWnd_SetLayoutSize(HWINDOW window, int left, int top, int right, int bottom) {
  WINDOW_OR_RETURN(window);
  w->margins = {clampSize(left), clampSize(top), clampSize(right), clampSize(bottom)};
}

void XWnd_BindLayoutEle(HWINDOW window, int position, HELE ele) {
  WINDOW_OR_RETURN(window);
  Element* e = getElement(ele);
  if (e == nullptr || position < 0 || position > 3) return;
  w->bind(position, e);
}

void XFrameWnd_SetView(HWINDOW frame, HELE view) {
  auto* f = ready() ? context().registry.get<FrameWindow>(frame) : nullptr;
  Element* e = getElement(view);
  if (f == nullptr || e == nullptr) return;
  if (e->window() != f || e->parent() != nullptr) f->insertChild(e);
  f->view = e;
}

void XWnd_AdjustLayout(HWINDOW window) {
  WINDOW_OR_RETURN(window);
  w->adjustLayout();
}

void XWnd_ShowWindow(HWINDOW window, int nCmdShow) {
  WINDOW_OR_RETURN(window);
  const auto mode = static_cast<ShowMode>(nCmdShow);
  w->visible = mode != ShowMode::hide;
  if (Platform* p = context().platform) p->showWindow(*w, mode);
}

void XWnd_RedrawWnd(HWINDOW window, bool immediate) {
  WINDOW_OR_RETURN(window);
  w->invalidateAll(immediate);
}

void XWnd_CloseWindow(HWINDOW window) {
  WINDOW_OR_RETURN(window);
  Window::destroy(w);
}

void XWnd_GetDrawRect(HWINDOW window, XRect* out) {
  if (out == nullptr) return;
  *out = {};
  WINDOW_OR_RETURN(window);
  *out = {0, 0, w->clientWidth(), w->clientHeight()};
}

XHWND XWnd_GetHWND(HWINDOW window) {
  WINDOW_OR_RETURN(window, nullptr);
  return w->native;
}

void XWnd_EnableDragWindow(HWINDOW window, bool enable) {
  WINDOW_OR_RETURN(window);
  w->dragWindow = enable;
}

void XWnd_EnableDragCaption(HWINDOW window, bool enable) {
  WINDOW_OR_RETURN(window);
  w->dragCaption = enable;
}

int XWnd_GetChildCount(HWINDOW window) {
  WINDOW_OR_RETURN(window, 0);
  return static_cast<int>(w->children().size());
}

HXCGUI XWnd_GetChildByIndex(HWINDOW window, int index) {
  WINDOW_OR_RETURN(window, 0);
  if (index < 0 || index >= static_cast<int>(w->children().size())) return 0;
  return w->children()[static_cast<size_t>(index)]->handle();
}

void XWnd_SetRect(HWINDOW window, const XRect* rect) {
  WINDOW_OR_RETURN(window);
  if (rect == nullptr) return;
  XRect r{clampCoord(rect->left), clampCoord(rect->top), 0, 0};
  r.right = r.left + std::max(clampSize(int64_t(rect->right) - rect->left), w->minSize.cx);
  r.bottom = r.top + std::max(clampSize(int64_t(rect->bottom) - rect->top), w->minSize.cy);
  w->rect = r;
  if (Platform* p = context().platform) p->windowMoved(*w);
}

void XWnd_GetRect(HWINDOW window, XRect* out) {
  if (out == nullptr) return;
  *out = {};
  WINDOW_OR_RETURN(window);
  *out = w->rect;
}

// --- events ------------------------------------------------------------------------------

namespace xcgui_detail {

bool regEle(HXCGUI ele, int event, RawHandler handler) {
  Element* e = ready() ? getElement(ele) : nullptr;
  if (e == nullptr || !handler) return false;
  e->events()->add(event, std::move(handler));
  return true;
}

bool regWnd(HWINDOW window, int event, RawHandler handler) {
  WINDOW_OR_RETURN(window, false);
  if (!handler) return false;
  w->events()->add(event, std::move(handler));
  return true;
}

int sendEle(HXCGUI ele, int event, const intptr_t* args, int count) {
  if (!ready() || getElement(ele) == nullptr) return 0;
  EventArgs a;
  a.count = std::clamp(count, 0, EventArgs::kMax);
  for (int i = 0; i < a.count; ++i) a.v[i] = args[i];
  return raiseEvent(ele, event, a) ? 1 : 0;
}

intptr_t eventArg(const EventArgs& args, int index) { return args[index]; }

}  // namespace xcgui_detail
