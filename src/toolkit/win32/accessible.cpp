// The IAccessible glue over the model's accessible description (the rules are in accessible.h).
#include "toolkit/win32/accessible.h"

#include <oleacc.h>

#include <atomic>
#include <string>

#include "base/guard.h"
#include "toolkit/model/access/accessible.h"
#include "toolkit/model/access/notices.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/win32/backend.h"
#include "toolkit/win32/native_window.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux::tk::win32 {

namespace ax = tk::access;

namespace {

constexpr UINT kFlushNotices = WM_APP + 1;
constexpr UINT kDefaultAction = WM_APP + 2;

struct State {
  std::atomic<DWORD> uiThread{0};
  HWND feed = nullptr;  // message-only window: notices and default actions are served there
  bool comTried = false;
  bool comEntered = false;  // this toolkit entered the apartment and leaves it at exit
};
State gState;

// Runs `body` on the UI thread (at once when called there); CO_E_OBJNOTCONNECTED when the
// toolkit is gone. Nothing thrown leaves: a COM caller gets E_FAIL.
template <class Body>
HRESULT onUi(Body&& body) {
  if (gState.uiThread.load() == 0) return CO_E_OBJNOTCONNECTED;
  if (GetCurrentThreadId() == gState.uiThread.load()) return guarded(GuardSite::kToolkit, body, E_FAIL);
  struct Call {
    Body* body;
    HRESULT result;
  } call{&body, CO_E_OBJNOTCONNECTED};
  XC_CallUiThread(
      [](void* data) -> int {
        auto* c = static_cast<Call*>(data);
        c->result = guarded(GuardSite::kToolkit, *c->body, E_FAIL);
        return 1;
      },
      &call);
  return call.result;
}

HWND nativeOf(HWINDOW window) {
  Window* w = getWindow(window);
  return w != nullptr ? w->native : nullptr;
}

// Places are told in device pixels: the model's units at the window's scale.
Scale scaleOf(HWINDOW window) {
  Backend* backend = Backend::running();
  return backend != nullptr ? backend->scaleOf(window) : Scale();
}

bool isMenuWindow(HWINDOW window) { return context().registry.get<MenuWindow>(window) != nullptr; }

HRESULT giveText(const std::u16string& text, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

LONG systemRole(ax::Role role) {
  switch (role) {
    case ax::Role::window: return ROLE_SYSTEM_WINDOW;
    case ax::Role::pane: return ROLE_SYSTEM_PANE;
    case ax::Role::pageTabList: return ROLE_SYSTEM_PAGETABLIST;
    case ax::Role::pageTab: return ROLE_SYSTEM_PAGETAB;
    case ax::Role::toolBar: return ROLE_SYSTEM_TOOLBAR;
    case ax::Role::pushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case ax::Role::menuBar: return ROLE_SYSTEM_MENUBAR;
    case ax::Role::menuPopup: return ROLE_SYSTEM_MENUPOPUP;
    case ax::Role::menuItem: return ROLE_SYSTEM_MENUITEM;
    case ax::Role::separator: return ROLE_SYSTEM_SEPARATOR;
    case ax::Role::outline: return ROLE_SYSTEM_OUTLINE;
    case ax::Role::outlineItem: return ROLE_SYSTEM_OUTLINEITEM;
    case ax::Role::list: return ROLE_SYSTEM_LIST;
    case ax::Role::listItem: return ROLE_SYSTEM_LISTITEM;
    case ax::Role::columnHeader: return ROLE_SYSTEM_COLUMNHEADER;
    case ax::Role::text: return ROLE_SYSTEM_STATICTEXT;
    case ax::Role::editableText: return ROLE_SYSTEM_TEXT;
    case ax::Role::comboBox: return ROLE_SYSTEM_COMBOBOX;
    case ax::Role::checkBox: return ROLE_SYSTEM_CHECKBUTTON;
    case ax::Role::radioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case ax::Role::scrollBar: return ROLE_SYSTEM_SCROLLBAR;
    case ax::Role::statusBar: return ROLE_SYSTEM_STATUSBAR;
    case ax::Role::toolTip: return ROLE_SYSTEM_TOOLTIP;
    case ax::Role::grouping: return ROLE_SYSTEM_GROUPING;
    case ax::Role::graphic: return ROLE_SYSTEM_GRAPHIC;
    case ax::Role::none: break;
  }
  return ROLE_SYSTEM_CLIENT;
}

LONG systemStates(uint32_t s) {
  static constexpr std::pair<uint32_t, LONG> kMap[] = {
      {ax::state_unavailable, STATE_SYSTEM_UNAVAILABLE}, {ax::state_selected, STATE_SYSTEM_SELECTED},
      {ax::state_focused, STATE_SYSTEM_FOCUSED},         {ax::state_pressed, STATE_SYSTEM_PRESSED},
      {ax::state_checked, STATE_SYSTEM_CHECKED},         {ax::state_readOnly, STATE_SYSTEM_READONLY},
      {ax::state_hotTracked, STATE_SYSTEM_HOTTRACKED},   {ax::state_expanded, STATE_SYSTEM_EXPANDED},
      {ax::state_collapsed, STATE_SYSTEM_COLLAPSED},     {ax::state_invisible, STATE_SYSTEM_INVISIBLE},
      {ax::state_offscreen, STATE_SYSTEM_OFFSCREEN},     {ax::state_focusable, STATE_SYSTEM_FOCUSABLE},
      {ax::state_selectable, STATE_SYSTEM_SELECTABLE},   {ax::state_hasPopup, STATE_SYSTEM_HASPOPUP},
  };
  LONG out = 0;
  for (const auto& [bit, system] : kMap)
    if (s & bit) out |= system;
  return out;
}

DWORD systemEvent(ax::Event e) {
  switch (e) {
    case ax::Event::focus: return EVENT_OBJECT_FOCUS;
    case ax::Event::selection: return EVENT_OBJECT_SELECTION;
    case ax::Event::selectionWithin: return EVENT_OBJECT_SELECTIONWITHIN;
    case ax::Event::stateChange: return EVENT_OBJECT_STATECHANGE;
    case ax::Event::nameChange: return EVENT_OBJECT_NAMECHANGE;
    case ax::Event::valueChange: return EVENT_OBJECT_VALUECHANGE;
    case ax::Event::show: return EVENT_OBJECT_SHOW;
    case ax::Event::hide: return EVENT_OBJECT_HIDE;
    case ax::Event::reorder: return EVENT_OBJECT_REORDER;
    case ax::Event::destroy: return EVENT_OBJECT_DESTROY;
  }
  return EVENT_OBJECT_REORDER;
}

// The model's focus holds while the window has the keyboard (a menu pop-up never takes it).
bool keyboardIn(HWINDOW window) { return isMenuWindow(window) || GetFocus() == nativeOf(window); }

bool within(const ax::Ref& r, const ax::Ref& ancestor) {
  for (std::optional<ax::Ref> p = r; p; p = ax::parentOf(*p))
    if (*p == ancestor) return true;
  return false;
}

void emptyVariant(VARIANT* v) {
  VariantInit(v);
  V_VT(v) = VT_EMPTY;
}

class AccessibleObject final : public IAccessible, public IEnumVARIANT {
 public:
  // An object of the model (its id), or the tooltip pop-up (`tip`).
  explicit AccessibleObject(int32_t id, HWND tip = nullptr, ULONG cursor = 0) : id_(id), tip_(tip), cursor_(cursor) {}

  static IDispatch* make(const ax::Ref& ref) {
    const int32_t id = ax::idOf(ref);
    return id != 0 ? static_cast<IAccessible*>(new AccessibleObject(id)) : nullptr;
  }

  // --- IUnknown ---
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible)
      *out = static_cast<IAccessible*>(this);
    else if (riid == IID_IEnumVARIANT)
      *out = static_cast<IEnumVARIANT*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // --- IDispatch: IAccessible is dual, but nothing here is reached by name ---
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_INVALIDARG;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // --- IAccessible ---
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    return onUi([&]() -> HRESULT {
      HWND window = nullptr;
      ax::Ref self;
      if (tip_ != nullptr) {
        if (!IsWindow(tip_)) return CO_E_OBJNOTCONNECTED;
        window = tip_;
      } else {
        if (HRESULT hr = resolve(&self); FAILED(hr)) return hr;
        if (auto parent = ax::parentOf(self)) {
          *out = make(*parent);
          return *out != nullptr ? S_OK : S_FALSE;
        }
        window = nativeOf(self.owner);
      }
      // The client object's parent is the system's object of its window.
      if (window == nullptr) return S_FALSE;
      return AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(out));
    });
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_INVALIDARG;
    *count = 0;
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? S_OK : CO_E_OBJNOTCONNECTED;
      ax::Ref self;
      if (HRESULT hr = resolve(&self); FAILED(hr)) return hr;
      *count = ax::childCount(self);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    return onUi([&]() -> HRESULT {
      ax::Ref r;
      bool self = false;
      if (HRESULT hr = target(child, &r, &self); FAILED(hr)) return hr;
      if (self) {
        AddRef();
        *out = static_cast<IAccessible*>(this);
        return S_OK;
      }
      *out = make(r);
      return *out != nullptr ? S_OK : E_INVALIDARG;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return text(
        child, out, [](const ax::Ref& r) { return ax::name(r); }, true);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return text(child, out, [](const ax::Ref& r) { return ax::value(r); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return text(child, out, [](const ax::Ref& r) { return ax::description(r); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return text(child, out, [](const ax::Ref&) { return std::u16string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return text(child, out, [](const ax::Ref& r) { return ax::shortcut(r); });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return text(child, out, [](const ax::Ref& r) { return ax::actionName(r); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (out == nullptr) return E_INVALIDARG;
    emptyVariant(out);
    return onUi([&]() -> HRESULT {
      LONG role = ROLE_SYSTEM_TOOLTIP;
      if (tip_ == nullptr) {
        ax::Ref r;
        if (HRESULT hr = target(child, &r); FAILED(hr)) return hr;
        role = systemRole(ax::role(r));
      } else if (HRESULT hr = tipSelf(child); FAILED(hr)) {
        return hr;
      }
      V_VT(out) = VT_I4;
      V_I4(out) = role;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (out == nullptr) return E_INVALIDARG;
    emptyVariant(out);
    return onUi([&]() -> HRESULT {
      LONG states = 0;
      if (tip_ != nullptr) {
        if (HRESULT hr = tipSelf(child); FAILED(hr)) return hr;
        states = STATE_SYSTEM_READONLY | (IsWindowVisible(tip_) ? 0 : STATE_SYSTEM_INVISIBLE);
      } else {
        ax::Ref r;
        if (HRESULT hr = target(child, &r); FAILED(hr)) return hr;
        const HWINDOW window = ax::windowOf(r);
        uint32_t s = ax::states(r);
        if (!keyboardIn(window)) s &= ~ax::state_focused;
        // The window itself has the focus when nothing inside it has.
        if (r.kind == ax::Kind::window && GetFocus() == nativeOf(window) && !ax::focusOf(window))
          s |= ax::state_focused;
        states = systemStates(s);
      }
      V_VT(out) = VT_I4;
      V_I4(out) = states;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (out == nullptr) return E_INVALIDARG;
    emptyVariant(out);
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? S_FALSE : CO_E_OBJNOTCONNECTED;
      ax::Ref self;
      if (HRESULT hr = resolve(&self); FAILED(hr)) return hr;
      const HWINDOW window = ax::windowOf(self);
      if (!keyboardIn(window)) return S_FALSE;
      std::optional<ax::Ref> focus = ax::focusOf(window);
      if (!focus && self.kind == ax::Kind::window) focus = self;
      return answerObject(focus, self, out);
    });
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (out == nullptr) return E_INVALIDARG;
    emptyVariant(out);
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? S_FALSE : CO_E_OBJNOTCONNECTED;
      ax::Ref self;
      if (HRESULT hr = resolve(&self); FAILED(hr)) return hr;
      std::vector<ax::Ref> selected = ax::selectionOf(self);
      if (selected.empty()) return S_FALSE;
      if (IDispatch* object = make(selected.front())) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = object;
        return S_OK;
      }
      return S_FALSE;
    });
  }

  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
      ax::Ref r;
      if (HRESULT hr = target(child, &r); FAILED(hr)) return hr;
      if ((flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) != 0) return E_INVALIDARG;
      bool done = true;
      if (flags & SELFLAG_TAKEFOCUS) {
        const HWINDOW window = ax::windowOf(r);
        done = ax::takeFocus(r);
        // The keyboard follows, unless the window is one of the pop-ups that never take it.
        if (HWND native = nativeOf(window); done && native != nullptr && !isMenuWindow(window)) SetFocus(native);
      }
      if ((flags & SELFLAG_TAKESELECTION) && ax::alive(r)) done = ax::takeSelection(r) && done;
      return done ? S_OK : S_FALSE;
    });
  }

  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_INVALIDARG;
    *left = *top = *width = *height = 0;
    return onUi([&]() -> HRESULT {
      RECT screen{};
      if (tip_ != nullptr) {
        if (HRESULT hr = tipSelf(child); FAILED(hr)) return hr;
        GetWindowRect(tip_, &screen);
      } else {
        ax::Ref r;
        if (HRESULT hr = target(child, &r); FAILED(hr)) return hr;
        const XRect at = scaleOf(ax::windowOf(r)).scale(ax::location(r));
        screen = {at.left, at.top, at.right, at.bottom};
        if (HWND native = nativeOf(ax::windowOf(r)))
          MapWindowPoints(native, nullptr, reinterpret_cast<POINT*>(&screen), 2);
      }
      *left = screen.left, *top = screen.top;
      *width = screen.right - screen.left, *height = screen.bottom - screen.top;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    if (out == nullptr) return E_INVALIDARG;
    emptyVariant(out);
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? S_FALSE : CO_E_OBJNOTCONNECTED;
      ax::Ref from;
      if (HRESULT hr = target(start, &from); FAILED(hr)) return hr;
      ax::Direction d;
      switch (direction) {
        case NAVDIR_UP: d = ax::Direction::up; break;
        case NAVDIR_DOWN: d = ax::Direction::down; break;
        case NAVDIR_LEFT: d = ax::Direction::left; break;
        case NAVDIR_RIGHT: d = ax::Direction::right; break;
        case NAVDIR_NEXT: d = ax::Direction::next; break;
        case NAVDIR_PREVIOUS: d = ax::Direction::previous; break;
        case NAVDIR_FIRSTCHILD: d = ax::Direction::firstChild; break;
        case NAVDIR_LASTCHILD: d = ax::Direction::lastChild; break;
        default: return E_INVALIDARG;
      }
      std::optional<ax::Ref> to = ax::navigate(from, d);
      if (!to) return S_FALSE;
      if (IDispatch* object = make(*to)) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = object;
        return S_OK;
      }
      return S_FALSE;
    });
  }

  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (out == nullptr) return E_INVALIDARG;
    emptyVariant(out);
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) {
        if (!IsWindow(tip_)) return CO_E_OBJNOTCONNECTED;
        RECT r{};
        GetWindowRect(tip_, &r);
        if (!PtInRect(&r, POINT{x, y})) return S_FALSE;
        V_VT(out) = VT_I4;
        V_I4(out) = CHILDID_SELF;
        return S_OK;
      }
      ax::Ref self;
      if (HRESULT hr = resolve(&self); FAILED(hr)) return hr;
      const HWINDOW window = ax::windowOf(self);
      HWND native = nativeOf(window);
      if (native == nullptr) return S_FALSE;
      POINT p{x, y};
      ScreenToClient(native, &p);
      return answerObject(ax::hitTest(window, scaleOf(window).unscale(XPoint{p.x, p.y})), self, out);
    });
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
      ax::Ref r;
      if (HRESULT hr = target(child, &r); FAILED(hr)) return hr;
      if (ax::actionName(r).empty()) return DISP_E_MEMBERNOTFOUND;
      if (ax::states(r) & ax::state_unavailable) return E_FAIL;
      // Later, on the UI thread's own turn: the click may open a menu or a modal dialog, which
      // must not run inside a screen reader's call.
      const int32_t id = ax::idOf(r);
      if (gState.feed == nullptr || !PostMessageW(gState.feed, kDefaultAction, static_cast<WPARAM>(id), 0))
        return E_FAIL;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

  // --- IEnumVARIANT: the children, each as an object ---
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_INVALIDARG;
    for (ULONG i = 0; i < count; ++i) VariantInit(&out[i]);
    ULONG got = 0;
    const HRESULT hr = onUi([&]() -> HRESULT {
      if (tip_ != nullptr) return IsWindow(tip_) ? S_FALSE : CO_E_OBJNOTCONNECTED;
      ax::Ref self;
      if (HRESULT failed = resolve(&self); FAILED(failed)) return failed;
      const std::vector<ax::Ref> kids = ax::children(self);
      while (got < count && cursor_ < kids.size()) {
        IDispatch* object = make(kids[cursor_++]);
        if (object == nullptr) continue;
        V_VT(&out[got]) = VT_DISPATCH;
        V_DISPATCH(&out[got]) = object;
        ++got;
      }
      return got == count ? S_OK : S_FALSE;
    });
    if (fetched != nullptr) *fetched = got;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    return onUi([&]() -> HRESULT {
      ax::Ref self;
      if (tip_ != nullptr) return S_FALSE;
      if (HRESULT hr = resolve(&self); FAILED(hr)) return hr;
      const ULONG n = static_cast<ULONG>(ax::childCount(self));
      cursor_ += count;
      if (cursor_ > n) {
        cursor_ = n;
        return S_FALSE;
      }
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    cursor_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_INVALIDARG;
    *out = new AccessibleObject(id_, tip_, cursor_);
    return S_OK;
  }

 private:
  ~AccessibleObject() = default;

  HRESULT resolve(ax::Ref* out) const {
    std::optional<ax::Ref> r = ax::fromId(id_);
    if (!r) return CO_E_OBJNOTCONNECTED;
    *out = *r;
    return S_OK;
  }

  // The object a VARIANT child names: the object itself (0), its child by 1-based index, or an
  // object of the same window by id.
  HRESULT target(const VARIANT& child, ax::Ref* out, bool* self = nullptr) const {
    ax::Ref me;
    if (HRESULT hr = resolve(&me); FAILED(hr)) return hr;
    if (self != nullptr) *self = false;
    if (V_VT(&child) != VT_I4) return E_INVALIDARG;
    const LONG value = V_I4(&child);
    if (value == CHILDID_SELF) {
      if (self != nullptr) *self = true;
      *out = me;
      return S_OK;
    }
    if (value > 0) {
      std::optional<ax::Ref> kid = ax::childAt(me, static_cast<int>(value - 1));
      if (!kid) return E_INVALIDARG;
      *out = *kid;
      return S_OK;
    }
    std::optional<ax::Ref> other = ax::fromId(static_cast<int32_t>(value));
    if (!other || ax::windowOf(*other) != ax::windowOf(me)) return E_INVALIDARG;
    *out = *other;
    return S_OK;
  }

  HRESULT tipSelf(const VARIANT& child) const {
    if (!IsWindow(tip_)) return CO_E_OBJNOTCONNECTED;
    return V_VT(&child) == VT_I4 && V_I4(&child) == CHILDID_SELF ? S_OK : E_INVALIDARG;
  }

  template <class Get>
  HRESULT text(const VARIANT& child, BSTR* out, Get get, bool tipName = false) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    return onUi([&]() -> HRESULT {
      if (tip_ != nullptr) {
        if (HRESULT hr = tipSelf(child); FAILED(hr)) return hr;
        if (!tipName) return S_FALSE;
        const int length = GetWindowTextLengthW(tip_);
        std::u16string name(static_cast<size_t>(std::max(0, length)) + 1, u'\0');
        name.resize(static_cast<size_t>(GetWindowTextW(tip_, reinterpret_cast<wchar_t*>(name.data()), length + 1)));
        return giveText(name, out);
      }
      ax::Ref r;
      if (HRESULT hr = target(child, &r); FAILED(hr)) return hr;
      return giveText(get(r), out);
    });
  }

  // An object found from `self` (focus, hit test): self as CHILDID_SELF, a descendant as an
  // object, anything else as nothing.
  HRESULT answerObject(const std::optional<ax::Ref>& found, const ax::Ref& self, VARIANT* out) const {
    if (!found) return S_FALSE;
    if (*found == self) {
      V_VT(out) = VT_I4;
      V_I4(out) = CHILDID_SELF;
      return S_OK;
    }
    if (!within(*found, self)) return S_FALSE;
    if (IDispatch* object = make(*found)) {
      V_VT(out) = VT_DISPATCH;
      V_DISPATCH(out) = object;
      return S_OK;
    }
    return S_FALSE;
  }

  LONG refs_ = 1;
  const int32_t id_;
  const HWND tip_;
  ULONG cursor_;
};

// COM on the UI thread: entered once, when nobody had entered it, so the objects can be
// marshalled; left at the toolkit's exit.
void ensureCom() {
  if (gState.comTried) return;
  gState.comTried = true;
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  gState.comEntered = hr == S_OK || hr == S_FALSE;
}

LRESULT answer(IAccessible* object, WPARAM wParam) {
  ensureCom();
  const LRESULT result = LresultFromObject(IID_IAccessible, wParam, object);
  object->Release();
  return result > 0 ? result : 0;
}

void flushNotices() {
  for (const ax::Notice& n : ax::takeNotices()) {
    HWND native = nativeOf(n.window);
    if (native == nullptr) continue;
    if (n.event == ax::Event::focus && !keyboardIn(n.window)) continue;
    NotifyWinEvent(systemEvent(n.event), native, OBJID_CLIENT, n.id == 0 ? CHILDID_SELF : n.id);
  }
}

// The default action a screen reader asked for. The click went through the model at the object's
// centre: when the real cursor is not over the window, no move will come to end that hover.
void performDefaultAction(int32_t id) {
  std::optional<ax::Ref> r = ax::fromId(id);
  if (!r) return;
  const HWINDOW window = ax::windowOf(*r);
  ax::doDefaultAction(*r);
  Window* w = getWindow(window);
  Backend* backend = Backend::running();
  NativeWindow* native = backend != nullptr ? backend->find(window) : nullptr;
  if (w == nullptr || native == nullptr || native->kind() != NativeWindow::Kind::window || w->native == nullptr) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  if (WindowFromPoint(cursor) != w->native) mouseLeave(*w);
}

LRESULT CALLBACK feedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kFlushNotices) {
    guarded(GuardSite::kToolkit, [] { flushNotices(); });
    return 0;
  }
  if (message == kDefaultAction) {
    guarded(GuardSite::kToolkit, [&] { performDefaultAction(static_cast<int32_t>(wParam)); });
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void wake() {
  if (gState.feed != nullptr) PostMessageW(gState.feed, kFlushNotices, 0, 0);
}

}  // namespace

void startAccessibility() {
  Backend* backend = Backend::running();
  gState.uiThread = GetCurrentThreadId();
  if (backend != nullptr && backend->ensureClass(kAccessClass, 0, feedProc))
    gState.feed =
        CreateWindowExW(0, kAccessClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, moduleInstance(), nullptr);
  ax::startNotices(&wake);
}

void stopAccessibility() {
  ax::stopNotices();
  if (gState.feed != nullptr) DestroyWindow(gState.feed);
  gState.feed = nullptr;
  gState.uiThread = 0;
  if (gState.comEntered) CoUninitialize();
  gState.comEntered = false;
  gState.comTried = false;
}

LRESULT accessibleObject(HWINDOW window, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
  const int32_t id = ax::idOf(ax::windowRef(window));
  if (id == 0) return 0;
  return answer(new AccessibleObject(id), wParam);
}

LRESULT toolTipObject(HWND tip, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT || gState.uiThread.load() == 0) return 0;
  return answer(new AccessibleObject(0, tip), wParam);
}

void accessibleFocusArrived(HWINDOW window) {
  if (!ax::noticesStarted()) return;
  std::optional<ax::Ref> focus = ax::focusOf(window);
  HWND native = nativeOf(window);
  if (!focus || native == nullptr || focus->kind == ax::Kind::window) return;
  flushNotices();
  if (const int32_t id = ax::idOf(*focus)) NotifyWinEvent(EVENT_OBJECT_FOCUS, native, OBJID_CLIENT, id);
}

void menuPopupStarted(NativeWindow& popup) {
  auto* menu = context().registry.get<MenuWindow>(popup.handle());
  if (menu == nullptr || popup.hwnd() == nullptr) return;
  flushNotices();
  if (menu->depth == 0)
    NotifyWinEvent(EVENT_SYSTEM_MENUSTART, menu->parentNative != nullptr ? menu->parentNative : popup.hwnd(),
                   OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, popup.hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void menuPopupEnding(NativeWindow& popup) {
  auto* menu = context().registry.get<MenuWindow>(popup.handle());
  if (menu == nullptr || popup.hwnd() == nullptr) return;
  flushNotices();
  NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, popup.hwnd(), OBJID_CLIENT, CHILDID_SELF);
  if (menu->depth == 0)
    NotifyWinEvent(EVENT_SYSTEM_MENUEND, menu->parentNative != nullptr ? menu->parentNative : popup.hwnd(),
                   OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace tovalux::tk::win32
