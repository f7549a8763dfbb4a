// The replacements of the hooked host functions (all but SendMessageA, which is router.cpp), and
// their installation and removal.
//
// Each replacement has its function's exact signature and ends in the function's own code through
// the hook's trampoline unless its rule answers by itself. A replacement does nothing of its own
// while the shell is not running, keeps the caller's last error around its own work (a call that
// matches no rule leaves GetLastError as the unhooked call would) and runs that work behind the
// exception barrier, falling back to the plain call.
#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "base/guard.h"
#include "base/last_error.h"
#include "hooks/engine/api_hook.h"
#include "hooks/host/hook_rules.h"
#include "hooks/host/host_controls.h"
#include "hooks/host/host_hooks.h"
#include "host/host_memory.h"
#include "hooks/host/hooks_internal.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "host/ui_jobs.h"
#include "settings/settings.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"

namespace tovalux {
namespace detail {
namespace {

using hostrules::CreationRule;

std::array<ApiHook, static_cast<size_t>(HostHook::kCount)> gHooks;
Counters gCounters;

// What installHostHooks read for this start: hook 12 stays installed across starts, its rule
// follows the setting of the current one.
std::atomic<bool> gGridFontWanted{false};
std::atomic<HGDIOBJ> gStockGuiFont{nullptr};
std::string gGridFontFace;  // written at installation on the UI thread, before hook 12 can run
std::mutex gGridFontLock;
std::atomic<HFONT> gGridFont{nullptr};
std::atomic<uint32_t> gGridMisses{0};

DWORD depthSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

// --- GetClientRect's record of code pages ---------------------------------------------------
//
// Deciding "is this a code page, and the start page" costs a GetParent and a caption read (each
// about as much as the call itself under Wine), and GetClientRect is one of the host's most
// frequent calls. Direct-mapped tables remember the answer per window handle, each slot one
// atomic handle (no torn entries across threads): not a page, a page whose title was still empty
// (asked again), the start page, another page. A page stays a page for its life (MDI children
// are not re-parented) and keeps the first title it is given; a handle is forgotten when a window
// is created with it, so a reused handle is decided afresh.
enum class PageKind : uint8_t { kNotPage, kUntitledPage, kStartPage, kOtherPage, kCount };
constexpr size_t kPageSlots = 512;
std::array<std::array<std::atomic<HWND>, kPageSlots>, static_cast<size_t>(PageKind::kCount)> gPageTables{};
std::atomic<HWND> gMdiClient{nullptr};  // as found at installation

size_t pageSlot(HWND window) {
  auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
  value ^= value >> 16;
  return (value * 0x9E3779B1u) >> (32 - 9);
}

std::atomic<HWND>& pageEntry(PageKind kind, size_t slot) { return gPageTables[static_cast<size_t>(kind)][slot]; }

void rememberPage(HWND window, size_t slot, PageKind kind) {
  for (size_t k = 0; k < static_cast<size_t>(PageKind::kCount); ++k) {
    HWND same = window;
    if (k != static_cast<size_t>(kind))
      pageEntry(static_cast<PageKind>(k), slot).compare_exchange_strong(same, nullptr, std::memory_order_relaxed);
  }
  pageEntry(kind, slot).store(window, std::memory_order_relaxed);
}

// The start page's title "起始页", read as stored (no message) and one character more than it.
PageKind titledKind(HWND page) {
  WCHAR title[5] = {};
  const int length = InternalGetWindowText(page, title, 5);
  if (length == 0) return PageKind::kUntitledPage;
  return length == 3 && std::wcscmp(title, L"起始页") == 0 ? PageKind::kStartPage : PageKind::kOtherPage;
}

PageKind pageKind(HWND window) {
  if (window == nullptr) return PageKind::kNotPage;
  const size_t slot = pageSlot(window);
  for (PageKind kind : {PageKind::kNotPage, PageKind::kOtherPage, PageKind::kStartPage})
    if (pageEntry(kind, slot).load(std::memory_order_relaxed) == window) return kind;
  LastErrorGuard keep;
  if (pageEntry(PageKind::kUntitledPage, slot).load(std::memory_order_relaxed) != window) {
    const HWND mdi = gMdiClient.load(std::memory_order_relaxed);
    if (mdi == nullptr || GetParent(window) != mdi) {
      rememberPage(window, slot, PageKind::kNotPage);
      return PageKind::kNotPage;
    }
  }
  const PageKind kind = titledKind(window);
  rememberPage(window, slot, kind);
  return kind;
}

BOOL WINAPI hookedGetClientRect(HWND window, LPRECT rect) {
  const auto pass = original<decltype(&GetClientRect)>(HostHook::kGetClientRect);
  if (!shellRunning()) return pass(window, rect);
  const PageKind kind = pageKind(window);
  if (kind == PageKind::kNotPage) return pass(window, rect);
  const BOOL result = pass(window, rect);
  // A failure (a dead window, no rectangle) is answered as it is, never grown over garbage.
  if (!result || rect == nullptr) return result;
  const hostrules::Rect32 grown =
      hostrules::pageClientRect({rect->left, rect->top, rect->right, rect->bottom}, kind == PageKind::kStartPage);
  // The caller's own rectangle, just filled by the call: written directly.
  *rect = RECT{grown.left, grown.top, grown.right, grown.bottom};
  return TRUE;
}

// --- LoadBitmapA 620 ----------------------------------------------------------------------------

HMODULE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ownModule), &module);
  return module;
}

// A new bitmap made from the one we carry (resource 620 of our module), owned by the caller: the
// host deletes it when it is done, so every answer is a bitmap of its own.
HBITMAP bannerBitmap() {
  HMODULE module = ownModule();
  HRSRC resource = module ? FindResourceA(module, MAKEINTRESOURCEA(hostrules::kBannerBitmapId), RT_BITMAP) : nullptr;
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const auto* dib = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD size = resource ? SizeofResource(module, resource) : 0;
  const auto layout = hostrules::packedDibLayout(dib, size);
  if (!layout) return nullptr;
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(dib), CBM_INIT,
                                  dib + layout->bitsOffset, reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HBITMAP WINAPI hookedLoadBitmapA(HINSTANCE instance, LPCSTR name) {
  const auto pass = original<decltype(&LoadBitmapA)>(HostHook::kLoadBitmapA);
  if (!shellRunning() || !IS_INTRESOURCE(name) ||
      LOWORD(reinterpret_cast<uintptr_t>(name)) != hostrules::kBannerBitmapId)
    return pass(instance, name);
  const HBITMAP own = guarded(GuardSite::kHookReplacement, [] {
    LastErrorGuard keep;
    return bannerBitmap();
  });
  // Without our picture the host gets its own.
  return own ? own : pass(instance, name);
}

// --- colours ----------------------------------------------------------------------------------

COLORREF WINAPI hookedSetBkColor(HDC dc, COLORREF color) {
  const auto pass = original<decltype(&SetBkColor)>(HostHook::kSetBkColor);
  return pass(dc, shellRunning() ? hostrules::substituteBkColor(color) : color);
}

COLORREF WINAPI hookedSetTextColor(HDC dc, COLORREF color) {
  const auto pass = original<decltype(&SetTextColor)>(HostHook::kSetTextColor);
  return pass(dc, shellRunning() ? hostrules::substituteTextColor(color) : color);
}

DWORD WINAPI hookedGetSysColor(int index) {
  if (shellRunning())
    if (const auto own = hostrules::substituteSysColor(index)) return *own;
  return original<decltype(&GetSysColor)>(HostHook::kGetSysColor)(index);
}

// --- CreateWindowExA ------------------------------------------------------------------------

void coverSplashOnUiThread(HWND window) {
  const auto cover = peers().startPage.coverSplash;
  if (!cover) return;
  if (onUiThread()) {
    cover(window);
    return;
  }
  postUiJob([cover, window] {
    if (shellRunning() && IsWindow(window)) cover(window);
  });
}

void subclassWith(HWND window, HostProcedure slot) {
  if (const WNDPROC procedure = hostProcedure(slot)) subclassWindow(window, procedure);
}

// What the rule does once the window exists (never for a failed creation).
void afterCreation(CreationRule rule, HWND created, LPCSTR windowName, HWND parent) {
  switch (rule) {
    case CreationRule::kLink: {
      const auto caption = IS_INTRESOURCE(windowName) ? std::nullopt : readHostText(windowName, 256);
      if (!caption || !hostrules::isPaintedLink(*caption)) return;
      setLinkCaption(created, *caption);
      subclassWith(created, HostProcedure::kStartPageLink);
      if (hostrules::startsWatcher(*caption))
        if (const auto started = peers().startPage.clearLinkCreated) started(created);
      return;
    }
    case CreationRule::kStatic:
      if (GetDlgCtrlID(created) == hostrules::kHiddenStaticId) ShowWindow(created, SW_HIDE);
      return;
    case CreationRule::kSplash: coverSplashOnUiThread(created); return;
    case CreationRule::kPicture: return;
    case CreationRule::kRecentList:
      if (GetDlgCtrlID(created) == hostrules::kRecentListId) {
        SendMessageA(created, LVM_SETBKCOLOR, 0, hostrules::kDarkBackground);
        SendMessageA(created, LVM_SETTEXTBKCOLOR, 0, hostrules::kDarkBackground);
        SendMessageA(created, LVM_SETTEXTCOLOR, 0, 0xF1F1F1);
      }
      return;
    case CreationRule::kButton: {
      // A button of the host's toolbox: its parent's grandparent is the right dock bar. A walk
      // that ends at no window never matches (top-level dialogs' buttons).
      const HWND dock = hostControl(HostControl::kRightDockBar);
      const HWND grand = parent ? GetParent(GetParent(parent)) : nullptr;
      if (dock != nullptr && grand == dock) subclassWith(created, HostProcedure::kToolboxButton);
      return;
    }
    case CreationRule::kOther: {
      // The editor window of a code page: inside the main view (id 0xE900) of an MDI page.
      const HWND view = GetParent(created);
      const HWND page = view ? GetParent(view) : nullptr;
      if (page == nullptr || GetDlgCtrlID(view) != hostrules::kCodeViewParentId) return;
      char name[32] = {};
      if (GetClassNameA(page, name, sizeof name) > 0 && hostrules::kCodePageClass == name)
        subclassWith(created, HostProcedure::kCodeView);
      return;
    }
  }
}

HWND WINAPI hookedCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const auto pass = original<decltype(&CreateWindowExA)>(HostHook::kCreateWindowExA);
  if (!shellRunning())
    return pass(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
  const CreationRule rule = guarded(
      GuardSite::kHookReplacement,
      [&] {
        LastErrorGuard keep;
        // An atom (MAKEINTATOM, dialog controls) is no text: no rule that names a class applies.
        std::optional<std::string> name;
        if (!IS_INTRESOURCE(className)) name = readHostText(className, 256);
        return hostrules::classifyCreation(name ? std::optional<std::string_view>(*name) : std::nullopt, width, height);
      },
      CreationRule::kOther);
  if (rule == CreationRule::kPicture) return reinterpret_cast<HWND>(static_cast<intptr_t>(-1));
  const HWND created = pass(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
  if (created == nullptr) return created;  // the creation's own error stays for the caller
  guarded(GuardSite::kHookReplacement, [&] {
    LastErrorGuard keep;
    forgetPage(created);
    afterCreation(rule, created, windowName, parent);
  });
  return created;
}

// --- TextOutA ---------------------------------------------------------------------------------

// The DC's window is the host's code tip: only windows of this thread are asked, and only for as
// many characters as tell the tip apart. The caption is read as stored (InternalGetWindowText):
// WM_GETTEXT would make a code editor produce its whole text, and Wine's default handling
// converts the whole caption even for a short buffer.
bool isTipWindow(HWND window) {
  if (window == nullptr || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return false;
  WCHAR text[hostrules::kTipTextProbeBytes + 1] = {};
  const int length = InternalGetWindowText(window, text, static_cast<int>(std::size(text)));
  return length == static_cast<int>(hostrules::kTipWindowText.size()) && std::wcscmp(text, L"CTipWnd") == 0;
}

void applyTextRules(HDC dc, LPCSTR text, int count) {
  const HWND window = WindowFromDC(dc);
  if (isTipWindow(window)) {
    const LONG classStyle = static_cast<LONG>(GetClassLongA(window, GCL_STYLE));
    if ((classStyle & CS_DROPSHADOW) == 0) SetClassLongA(window, GCL_STYLE, classStyle | CS_DROPSHADOW);
    if (const auto colour = hostrules::tipTextColor(GetTextColor(dc))) SetTextColor(dc, *colour);
    return;
  }
  // Ten bytes at most, and only when the caller's count covers them.
  char prefix[10];
  if (count >= static_cast<int>(sizeof prefix) && readHostBytes(text, prefix, sizeof prefix) &&
      hostrules::isTaskCommentLine(prefix, sizeof prefix)) {
    SetBkColor(dc, hostrules::kTaskCommentBackground);
    SetTextColor(dc, hostrules::kTaskCommentText);
  }
}

BOOL WINAPI hookedTextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  if (shellRunning()) {
    guarded(GuardSite::kHookReplacement, [&] {
      LastErrorGuard keep;
      applyTextRules(dc, text, count);
    });
  }
  return original<decltype(&TextOutA)>(HostHook::kTextOutA)(dc, x, y, text, count);
}

// --- SelectObject -----------------------------------------------------------------------------

// The property grid's font: one, made on first use and again only if its handle died.
HFONT gridFont() {
  HFONT font = gGridFont.load(std::memory_order_acquire);
  if (font != nullptr && GetObjectType(font) == OBJ_FONT) return font;
  std::lock_guard guard(gGridFontLock);
  font = gGridFont.load(std::memory_order_acquire);
  if (font != nullptr && GetObjectType(font) == OBJ_FONT) return font;
  font = CreateFontA(17, 0, 0, 0, 144, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     PROOF_QUALITY, DEFAULT_PITCH, gGridFontFace.c_str());
  if (font != nullptr) {
    gGridFont.store(font, std::memory_order_release);
    ++gCounters.gridFontsCreated;
  }
  return font;
}

HGDIOBJ WINAPI hookedSelectObject(HDC dc, HGDIOBJ object) {
  const auto pass = original<decltype(&SelectObject)>(HostHook::kSelectObject);
  // The cheap test first: only the stock GUI font is ever replaced.
  if (object == nullptr || object != gStockGuiFont.load(std::memory_order_relaxed) || !shellRunning() ||
      !gGridFontWanted.load(std::memory_order_relaxed))
    return pass(dc, object);
  const HGDIOBJ own = guarded(GuardSite::kHookReplacement, [&]() -> HGDIOBJ {
    LastErrorGuard keep;
    const HWND window = WindowFromDC(dc);
    if (window == nullptr) return nullptr;
    // Most DCs are not the grid's: compared with the kept grid alone, which is looked at again
    // (and walked for anew when it died) only now and then.
    if (window != keptHostControl(HostControl::kPropertyGrid)) {
      if ((gGridMisses.fetch_add(1, std::memory_order_relaxed) & 0xFFF) == 0xFFF)
        hostControl(HostControl::kPropertyGrid);
      if (window != keptHostControl(HostControl::kPropertyGrid)) return nullptr;
    }
    return isHostControl(window, HostControl::kPropertyGrid) ? gridFont() : nullptr;
  });
  // The grid's font is answered instead of selecting the stock one (the host selects what it is
  // answered back into the DC when it is done, which puts our font in).
  return own ? own : pass(dc, object);
}

// --- the debugger thread's hooks --------------------------------------------------------------

BOOL WINAPI hookedCreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                                 LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                                 LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                                 LPPROCESS_INFORMATION information) {
  const auto pass = original<decltype(&CreateProcessA)>(HostHook::kCreateProcessA);
  const BOOL result = pass(application, commandLine, processAttributes, threadAttributes, inheritHandles, flags,
                           environment, directory, startup, information);
  if (!shellRunning()) return result;
  if (const auto rule = peers().debugHooks.processCreated) {
    guarded(GuardSite::kHookReplacement, [&] {
      LastErrorGuard keep;
      rule(CreateProcessCall{application, commandLine, processAttributes, threadAttributes, inheritHandles, flags,
                             environment, directory, startup, information, result});
    });
  }
  return result;
}

BOOL WINAPI hookedWaitForDebugEvent(LPDEBUG_EVENT event, DWORD milliseconds) {
  if (event != nullptr && shellRunning()) {
    if (const auto rule = peers().debugHooks.beforeWaitForDebugEvent) {
      guarded(GuardSite::kHookReplacement, [&] {
        LastErrorGuard keep;
        if (const auto held = readHostRecord<DEBUG_EVENT>(event)) rule(*held, milliseconds);
      });
    }
  }
  return original<decltype(&WaitForDebugEvent)>(HostHook::kWaitForDebugEvent)(event, milliseconds);
}

BOOL WINAPI hookedDebugActiveProcessStop(DWORD processId) {
  if (shellRunning()) {
    if (const auto rule = peers().debugHooks.beforeDebugStop) {
      guarded(GuardSite::kHookReplacement, [&] {
        LastErrorGuard keep;
        rule(processId);
      });
    }
  }
  return original<decltype(&DebugActiveProcessStop)>(HostHook::kDebugActiveProcessStop)(processId);
}

const void* const kReplacements[] = {
    reinterpret_cast<const void*>(&hookedGetClientRect),
    reinterpret_cast<const void*>(&routedSendMessageA),
    reinterpret_cast<const void*>(&hookedLoadBitmapA),
    reinterpret_cast<const void*>(&hookedSetBkColor),
    reinterpret_cast<const void*>(&hookedCreateWindowExA),
    reinterpret_cast<const void*>(&hookedCreateProcessA),
    reinterpret_cast<const void*>(&hookedWaitForDebugEvent),
    reinterpret_cast<const void*>(&hookedDebugActiveProcessStop),
    reinterpret_cast<const void*>(&hookedTextOutA),
    reinterpret_cast<const void*>(&hookedSetTextColor),
    reinterpret_cast<const void*>(&hookedGetSysColor),
    reinterpret_cast<const void*>(&hookedSelectObject),
};
static_assert(std::size(kReplacements) == hostrules::kHostHooks.size());

}  // namespace

ApiHook& hookOf(HostHook hook) { return gHooks[static_cast<size_t>(hook)]; }

OwnWork::OwnWork() {
  const DWORD slot = depthSlot();
  TlsSetValue(slot, reinterpret_cast<void*>(reinterpret_cast<intptr_t>(TlsGetValue(slot)) + 1));
}

OwnWork::~OwnWork() {
  const DWORD slot = depthSlot();
  TlsSetValue(slot, reinterpret_cast<void*>(reinterpret_cast<intptr_t>(TlsGetValue(slot)) - 1));
}

bool OwnWork::active() { return TlsGetValue(depthSlot()) != nullptr; }

Counters& counters() { return gCounters; }

void forgetPageCache() {
  for (auto& table : gPageTables)
    for (auto& slot : table) slot.store(nullptr, std::memory_order_relaxed);
}

void forgetPage(HWND window) {
  const size_t slot = pageSlot(window);
  for (auto& table : gPageTables) {
    HWND same = window;
    table[slot].compare_exchange_strong(same, nullptr, std::memory_order_relaxed);
  }
}

}  // namespace detail

using detail::gHooks;

void installHostHooks() {
  const HostWindows& windows = hostWindows();
  detail::depthSlot();
  forgetHostControls();
  detail::forgetPageCache();
  detail::forgetStartPageRefusals();
  detail::gMdiClient.store(windows.mdiClient());

  // The three subclasses come first: the host main window, its main tool bar, the MDI client.
  if (HWND main = windows.mainWindow()) subclassWindow(main, &mainWindowProc);
  if (HWND bar = windows.mainToolBar()) subclassWindow(bar, &toolBarProc);
  if (const WNDPROC mdiProcedure = hostProcedure(HostProcedure::kMdiClient))
    if (HWND mdi = windows.mdiClient()) subclassWindow(mdi, mdiProcedure);

  const bool codeTip = codeTipSetting();
  const int32_t gridFontSetting = readIntSetting(setting::kChangeSection, setting::kPropertyGridFont);
  const std::string face = readSetting(setting::kThemeSection, setting::kFontName);
  detail::gGridFontFace = face.empty() ? setting::kDefaultFontName : face;
  detail::gStockGuiFont.store(GetStockObject(DEFAULT_GUI_FONT));
  detail::gGridFontWanted.store(gridFontSetting > 0);

  // One freeze of the other threads for all of them; a hook that cannot be installed leaves its
  // function alone and the shell runs on without that rule.
  HookTransaction transaction;
  for (size_t i = 0; i < hostrules::kHostHooks.size(); ++i) {
    const hostrules::HookEntry& hook = hostrules::kHostHooks[i];
    if (hostrules::hookWanted(hook, codeTip, gridFontSetting))
      transaction.install(gHooks[i], hook.module, hook.function, detail::kReplacements[i], hook.byteCount);
  }
  transaction.commit();
}

void removeHostHooks() {
  {
    HookTransaction transaction;
    for (size_t i = 0; i < hostrules::kHostHooks.size(); ++i)
      if (hostrules::kHostHooks[i].removedAtShutdown) transaction.remove(gHooks[i]);
    transaction.commit();
  }
  detail::gGridFontWanted.store(false);
  clearHostWindowTables();
  detail::forgetCompletionStrips();
  detail::forgetPageCache();
  detail::gMdiClient.store(nullptr);
  forgetHostControls();
}

namespace {
// Shut-down: the hooks come off first, then every host window gets its own procedure back (the
// subclasses of the hooks and of the Parts; what the registry cannot put back passes through).
void removeHooksAndSubclasses() {
  removeHostHooks();
  restoreSubclasses();
}
}  // namespace

const Part kHostHooksPart{.name = "host hooks",
                          .build = &installHostHooks,
                          .tearDown = &removeHooksAndSubclasses,
                          .progress = "开始获取内存..."};

bool hostHookInstalled(HostHook hook) {
  return hook < HostHook::kCount && gHooks[static_cast<size_t>(hook)].installed();
}

HostHookCounters hostHookCounters() {
  const detail::Counters& c = detail::counters();
  HostHookCounters out;
  out.routedMessages = c.routedMessages.load();
  out.mirrorCalls = c.mirrorCalls.load();
  out.handedOver = c.handedOver.load();
  out.nestedPassThrough = c.nestedPassThrough.load();
  out.gridFontsCreated = c.gridFontsCreated.load();
  out.completionStrips = c.completionStrips.load();
  out.disassemblyShown = c.disassemblyShown.load();
  out.disassemblyRefused = c.disassemblyRefused.load();
  out.handOversDropped = c.handOversDropped.load();
  out.disassemblyDropped = c.disassemblyDropped.load();
  out.startPageRefused = c.startPageRefused.load();
  return out;
}

void resetHostHookCountersForTests() {
  detail::Counters& c = detail::counters();
  for (auto* counter : {&c.routedMessages, &c.mirrorCalls, &c.handedOver, &c.nestedPassThrough, &c.gridFontsCreated,
                        &c.completionStrips, &c.disassemblyShown, &c.disassemblyRefused, &c.handOversDropped,
                        &c.disassemblyDropped, &c.startPageRefused})
    counter->store(0);
}

}  // namespace tovalux
