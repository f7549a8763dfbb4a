// The start page. The links are painted on the UI thread; the watcher is a worker that asks the
// host main window (message 99999) to style the web view next to the "清空" link until the
// request is accepted, the link dies or the plug-in shuts down. The request is answered on the UI
// thread after one look at the document: the page loads through that thread's own messages, so
// waiting there for it would freeze the IDE and never see the page finish.
#include "hooks/host/start_page.h"

#include <windows.h>
#include <oleacc.h>

#include <atomic>
#include <string>

#include "base/embedded_files.h"
#include "base/gbk.h"
#include "base/last_error.h"
#include "base/workers.h"
#include "hooks/host/hook_rules.h"
#include "hooks/host/start_page_rules.h"
#include "hooks/host/start_page_script.h"
#include "host/host_windows.h"
#include "host/shell_state.h"
#include "host/subclasses.h"
#include "host/ui_jobs.h"
#include "shell/host_mirrors.h"
#include "shell/part.h"
#include "toolkit/xcgui.h"
#include "toolkit/win32/xcgui_win32.h"

namespace tovalux {
namespace {

using namespace startpage;

constexpr COLORREF kLinkBackground = 0x262525;  // RGB 37, 37, 38
constexpr COLORREF kLinkText = 0xFFC37E;        // RGB 126, 195, 255
constexpr char kLinkFontFace[] = "微软雅黑";
constexpr char kLinkClass[] = "MyHyperLinker";
constexpr char kWebBrowserClass[] = "Shell Embedding";
constexpr char kServerClass[] = "Internet Explorer_Server";
// The document interface the server is asked for: {626FC520-A41E-11CF-A731-00A0C9082637}. Only
// its IDispatch part is used, so any document interface of the page serves.
constexpr IID kDocumentIid = {0x626FC520, 0xA41E, 0x11CF, {0xA7, 0x31, 0x00, 0xA0, 0xC9, 0x08, 0x26, 0x37}};
constexpr UINT kDocumentRequestTimeoutMs = 1000;
// The watcher's request: the UI thread answers at once; a UI thread that is busy longer is asked
// again on the next attempt.
constexpr UINT kWatcherSendTimeoutMs = 1000;

struct Counters {
  std::atomic<uint32_t> linkPaints{0}, watchersStarted{0}, watchersRunning{0}, watcherRequests{0}, watchersAccepted{0},
      watchersLinkGone{0}, watchersStopped{0}, readinessChecks{0}, scriptsInjected{0}, pagesGivenUp{0},
      splashesCovered{0}, splashPicturesLoaded{0};
};
Counters& counters() {
  static Counters c;
  return c;
}

// UI thread only (message 99999 and its job).
InjectProgress& progress() {
  static InjectProgress p;
  return p;
}

std::string classOf(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof name - 1);
  return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

HWND findServer(HWND window, int depth = 0) {
  if (window == nullptr || depth > 64) return nullptr;
  if (classOf(window) == kServerClass) return window;
  for (HWND child = FindWindowExA(window, nullptr, nullptr, nullptr); child != nullptr;
       child = FindWindowExA(window, child, nullptr, nullptr))
    if (HWND found = findServer(child, depth + 1)) return found;
  return nullptr;
}

BSTR bstrOf(std::string_view gbk) {
  const std::wstring wide = gbkToUtf16<wchar_t>(gbk);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

bool dispatchId(IDispatch* object, const wchar_t* name, DISPID* id) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object != nullptr && SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

// A property read by name; `result` is cleared first and holds the value on success.
bool getProperty(IDispatch* object, const wchar_t* name, VARIANT* result) {
  VariantInit(result);
  DISPID id = 0;
  if (!dispatchId(object, name, &id)) return false;
  DISPPARAMS none{};
  return SUCCEEDED(
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result, nullptr, nullptr));
}

// --- the links ---------------------------------------------------------------------------------

LRESULT paintLink(SubclassCall& call) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(call.window, &paint);
  if (dc == nullptr) return 0;
  RECT client{};
  GetClientRect(call.window, &client);
  if (HBRUSH brush = CreateSolidBrush(kLinkBackground)) {
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  }
  const std::string caption = linkCaption(call.window);
  HFONT font = CreateFontA(17, 0, 0, 0, 144, FALSE, FALSE, FALSE, 1, 0, 0, 2, 0, kLinkFontFace);
  // The font goes back out of the DC before it is deleted: a selected font is not deleted.
  HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
  SetBkColor(dc, kLinkBackground);
  SetTextColor(dc, kLinkText);
  DrawTextA(dc, caption.c_str(), -1, &client, DT_SINGLELINE | DT_VCENTER);
  if (font) {
    SelectObject(dc, previousFont);
    DeleteObject(font);
  }
  ++counters().linkPaints;
  return EndPaint(call.window, &paint);
}

LRESULT handleLink(SubclassCall& call) {
  if (call.message != WM_PAINT) return call.forward();
  LastErrorGuard keep;
  return paintLink(call);
}

// --- the watcher -------------------------------------------------------------------------------

// A link handle that died may come back as another window: only a live "MyHyperLinker" counts.
bool linkAlive(HWND link) { return IsWindow(link) && classOf(link) == kLinkClass; }

void watchStartPage(HWND link) {
  Counters& c = counters();
  for (uint32_t attempt = 0; attempt < kWatcherAttempts; ++attempt) {
    if (workerStopRequested()) {
      ++c.watchersStopped;
      break;
    }
    if (!linkAlive(link)) {
      ++c.watchersLinkGone;
      break;
    }
    const HWND sibling = GetWindow(link, GW_HWNDNEXT);
    const HWND child = sibling ? GetWindow(sibling, GW_CHILD) : nullptr;
    const HWND main = hostWindows().mainWindow();
    if (child != nullptr && main != nullptr && classOf(child) == kWebBrowserClass) {
      ++c.watcherRequests;
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutA(main, hostrules::kStartPageInjectMessage, reinterpret_cast<WPARAM>(child), 0, SMTO_NORMAL,
                              kWatcherSendTimeoutMs, &answer) != 0 &&
          answer == 1) {
        ++c.watchersAccepted;
        break;
      }
    }
    if (waitForWorkerStop(kWatcherIntervalMs)) {
      ++c.watchersStopped;
      break;
    }
  }
  --c.watchersRunning;
}

void startWatcher(HWND link) {
  // Counted as running from here, so that "no watcher running" is never seen before it starts.
  ++counters().watchersRunning;
  if (startWorker([link] { watchStartPage(link); }))
    ++counters().watchersStarted;
  else
    --counters().watchersRunning;
}

// --- the injection -----------------------------------------------------------------------------

// A UI job queued by the request that found the page complete (the request itself only looks and
// decides); it attaches afresh, so no COM pointer is kept across messages.
void injectStartPageStyle(HWND view) {
  if (!shellRunning() || !IsWindow(view)) return;
  {
    PageAutomation page;
    if (page.attachToView(view) && page.runScript(startPageScript(), "")) ++counters().scriptsInjected;
  }
  if (const auto sync = peers().syncToolBarState) sync();
}

// Message 99999 on the UI thread (COM initialised by the caller): one look at the document.
bool requestInjection(HWND shellEmbedding) {
  LastErrorGuard keep;
  bool attached = false;
  bool complete = false;
  {
    PageAutomation page;
    attached = page.attachToView(shellEmbedding);
    if (attached) {
      ++counters().readinessChecks;
      complete = page.readyState() == "complete";
    }
  }
  const InjectStep step =
      progress().step(reinterpret_cast<uintptr_t>(shellEmbedding), GetTickCount(), attached, complete);
  if (step == InjectStep::kInject) postUiJob([shellEmbedding] { injectStartPageStyle(shellEmbedding); });
  if (step == InjectStep::kGiveUp) ++counters().pagesGivenUp;
  return InjectProgress::accepted(step);
}

// --- the splash --------------------------------------------------------------------------------

// The splash picture, decoded once: every 400 x 280 window the host makes is covered, and each
// decode would stay in the toolkit until it closes. A handle from an earlier toolkit life reads
// as zero-sized and is made again.
HIMAGE splashPicture() {
  static HIMAGE picture = 0;
  if (picture != 0 && XImage_GetWidth(picture) > 0) return picture;
  const std::string_view png = embeddedData(TOVALUX_RES_SPLASH);
  picture = png.empty() ? 0 : XImage_LoadMemory(png.data(), static_cast<int>(png.size()), true);
  if (picture != 0) ++counters().splashPicturesLoaded;
  return picture;
}

void coverSplash(HWND window) {
  LastErrorGuard keep;
  const SplashPlace place = splashPlace(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  MoveWindow(window, place.x, place.y, kSplashWidth, kSplashHeight, FALSE);
  const HWINDOW cover =
      XWnd_CreateEx(0, L"Tovalux", L"Tovalux", WS_CHILD | WS_VISIBLE, 0, 0, kSplashWidth, kSplashHeight, window, 0);
  if (cover == 0) return;
  // The splash keeps its pixel size whatever the DPI: the cover covers the host's window in its
  // pixels, and the picture (loaded to stretch) fills it from its own 680 x 420 pixels, 1:1.
  RECT device{0, 0, kSplashWidth, kSplashHeight};
  XWnd_DeviceToUnits(cover, &device);
  const XRect units{device.left, device.top, device.right, device.bottom};
  XWnd_SetRect(cover, &units);
  const HSHAPE picture = XShapePic_Create(0, 0, units.right, units.bottom, cover);
  if (const HIMAGE image = splashPicture()) XShapePic_SetImage(picture, image);
  XWnd_AdjustLayout(cover);
  XWnd_ShowWindow(cover, SW_SHOW);
  XWnd_RedrawWnd(cover);
  ++counters().splashesCovered;
}

}  // namespace

// --- PageAutomation ----------------------------------------------------------------------------

PageAutomation::PageAutomation() : com_(CoInitialize(nullptr)), comInitialised_(com_ == S_OK || com_ == S_FALSE) {}

PageAutomation::~PageAutomation() {
  if (document_) document_->Release();
  if (comInitialised_) CoUninitialize();
}

bool PageAutomation::attachToView(HWND window) {
  if (document_) {
    document_->Release();
    document_ = nullptr;
  }
  const HWND server = findServer(window);
  if (server == nullptr) return false;
  static const UINT request = RegisterWindowMessageA("WM_HTML_GETOBJECT");
  DWORD_PTR answer = 0;
  if (request == 0 ||
      SendMessageTimeoutA(server, request, 0, 0, SMTO_ABORTIFHUNG, kDocumentRequestTimeoutMs, &answer) == 0 ||
      answer == 0)
    return false;
  void* document = nullptr;
  if (ObjectFromLresult(static_cast<LRESULT>(answer), kDocumentIid, 0, &document) != S_OK || document == nullptr)
    return false;
  document_ = static_cast<IDispatch*>(document);
  return true;
}

std::string PageAutomation::readyState() const {
  VARIANT value;
  if (!getProperty(document_, L"readyState", &value)) return {};
  std::string state;
  if (value.vt == VT_BSTR && value.bstrVal != nullptr)
    state = utf16ToGbk(std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal)));
  VariantClear(&value);
  return state;
}

bool PageAutomation::runScript(std::string_view code, std::string_view language) {
  VARIANT window;
  if (!getProperty(document_, L"parentWindow", &window)) return false;
  bool ran = false;
  DISPID id = 0;
  if (window.vt == VT_DISPATCH && window.pdispVal != nullptr && dispatchId(window.pdispVal, L"execScript", &id)) {
    // Arguments go in reverse order: the language last.
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    arguments[0].vt = VT_BSTR;
    arguments[0].bstrVal = bstrOf(scriptLanguage(language));
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = bstrOf(code);
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    ran = arguments[0].bstrVal && arguments[1].bstrVal &&
          SUCCEEDED(window.pdispVal->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result,
                                            nullptr, nullptr));
    VariantClear(&result);
    VariantClear(&arguments[0]);
    VariantClear(&arguments[1]);
  }
  VariantClear(&window);
  return ran;
}

// --- registration ------------------------------------------------------------------------------

LRESULT CALLBACK startPageLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return runSubclass(&startPageLinkProc, &handleLink, window, message, wParam, lParam);
}

namespace {
constexpr ProcedureBinding kStartPageProcedures[] = {{HostProcedure::kStartPageLink, &startPageLinkProc}};
}  // namespace

const Part kStartPagePart{
    .name = "start page",
    .tearDown = &tearDownStartPage,
    .procedures = kStartPageProcedures,
    .offers = {.startPage = {.clearLinkCreated = &startWatcher,
                             .coverSplash = &coverSplash,
                             .injectStartPage = &requestInjection}},
};

void tearDownStartPage() { progress() = InjectProgress(); }

StartPageCounters startPageCounters() {
  const Counters& c = counters();
  StartPageCounters out;
  out.linkPaints = c.linkPaints;
  out.watchersStarted = c.watchersStarted;
  out.watchersRunning = c.watchersRunning;
  out.watcherRequests = c.watcherRequests;
  out.watchersAccepted = c.watchersAccepted;
  out.watchersLinkGone = c.watchersLinkGone;
  out.watchersStopped = c.watchersStopped;
  out.readinessChecks = c.readinessChecks;
  out.scriptsInjected = c.scriptsInjected;
  out.pagesGivenUp = c.pagesGivenUp;
  out.splashesCovered = c.splashesCovered;
  out.splashPicturesLoaded = c.splashPicturesLoaded;
  return out;
}

void resetStartPageCountersForTests() {
  Counters& c = counters();
  for (auto* value : {&c.linkPaints, &c.watchersStarted, &c.watcherRequests, &c.watchersAccepted, &c.watchersLinkGone,
                      &c.watchersStopped, &c.readinessChecks, &c.scriptsInjected, &c.pagesGivenUp, &c.splashesCovered,
                      &c.splashPicturesLoaded})
    value->store(0);
}

}  // namespace tovalux
