// The host's start page: the picture window, a hidden label (STATIC 0xFFFF), the links "新建",
// "打开...", "最近", "清空" and "帮助", the recent-projects list 1214, and right after "清空" the
// web view's container with its "Shell Embedding" > "Shell DocObject View" >
// "Internet Explorer_Server" chain; plus the 400 x 280 splash. Wine has no browser engine, so the
// server window answers WM_HTML_GETOBJECT itself with a document object of ours: its readyState
// turns "complete" on a timer of the UI thread (a library that blocks that thread while it waits
// never sees it), and it journals every readyState read and every script it is asked to run.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr char kLinkClass[] = "MyHyperLinker";
constexpr char kContainerClass[] = "EWebHost";
constexpr char kBrowserClass[] = "Shell Embedding";
constexpr char kDocViewClass[] = "Shell DocObject View";
constexpr char kServerClass[] = "Internet Explorer_Server";
constexpr char kSplashClass[] = "ESplash";
constexpr UINT_PTR kReadyTimer = 21;
constexpr UINT_PTR kWebViewTimer = 22;
constexpr COLORREF kHostLinkBackground = RGB(255, 255, 255);
constexpr COLORREF kHostLinkText = RGB(0, 0, 255);

// IHTMLDocument and IHTMLDocument2: the document answers both with its IDispatch.
constexpr IID kDocumentIid = {0x626FC520, 0xA41E, 0x11CF, {0xA7, 0x31, 0x00, 0xA0, 0xC9, 0x08, 0x26, 0x37}};
constexpr IID kDocument2Iid = {0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};

std::string gbkOf(const OLECHAR* text, UINT length) {
  return tovalux::utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}
std::string gbkOf(BSTR text) { return text ? gbkOf(text, SysStringLen(text)) : std::string(); }

// A named-member IDispatch: `names` lists the members, their ids are 1, 2, ...
class NamedDispatch : public IDispatch {
 public:
  explicit NamedDispatch(std::vector<std::wstring> names) : names_(std::move(names)) {}
  virtual ~NamedDispatch() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || answers(iid)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (size_t n = 0; n < names_.size() && i == 0; ++n)
        if (names[i] && names_[n] == names[i]) ids[i] = static_cast<DISPID>(n + 1);
      if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }

 protected:
  virtual bool answers(REFIID) const { return false; }

 private:
  std::atomic<ULONG> references_{1};
  std::vector<std::wstring> names_;
};

class RecordingWindow;

// The page's document: readyState (1) and parentWindow (2).
class RecordingDocument : public NamedDispatch {
 public:
  RecordingDocument();
  ~RecordingDocument() override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override;
  void setState(const char* state) { state_ = state; }
  const std::string& state() const { return state_; }

 protected:
  bool answers(REFIID iid) const override { return iid == kDocumentIid || iid == kDocument2Iid; }

 private:
  std::string state_ = "loading";
  RecordingWindow* window_;
  int reads_ = 0;
};

// Wine has no browser engine to draw the page; the server window draws the little a page shows at
// a glance, the body's background and the article text's colour, as the scripts run so far set
// them ("$('body').css('background-color', '#rrggbb')", "$('.artbody').css('color', ...)").
struct PageLook {
  COLORREF background = RGB(255, 255, 255);
  COLORREF text = RGB(0, 0, 0);
};
PageLook gPageLook;
void repaintPage();

std::optional<COLORREF> cssColour(const std::string& script, const std::string& selector, const std::string& property) {
  const std::string statement = "$('" + selector + "').css('" + property + "', '#";
  const size_t at = script.find(statement);
  if (at == std::string::npos || at + statement.size() + 6 > script.size()) return std::nullopt;
  const std::string hex = script.substr(at + statement.size(), 6);
  if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
  const unsigned long value = std::strtoul(hex.c_str(), nullptr, 16);
  return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

void applyPageLook(const std::string& script) {
  if (const auto colour = cssColour(script, "body", "background-color")) gPageLook.background = *colour;
  if (const auto colour = cssColour(script, ".artbody", "color")) gPageLook.text = *colour;
  repaintPage();
}

// The document's window: execScript (1).
class RecordingWindow : public NamedDispatch {
 public:
  explicit RecordingWindow(RecordingDocument* document) : NamedDispatch({L"execScript"}), document_(document) {}
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (id != 1 || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (parameters == nullptr || parameters->cArgs < 1 || parameters->cArgs > 2 || parameters->cNamedArgs != 0)
      return DISP_E_BADPARAMCOUNT;
    // Arguments arrive last first: [0] is the language when there are two.
    const VARIANT& code = parameters->rgvarg[parameters->cArgs - 1];
    const VARIANT* language = parameters->cArgs == 2 ? &parameters->rgvarg[0] : nullptr;
    if (code.vt != VT_BSTR || (language && language->vt != VT_BSTR)) return DISP_E_TYPEMISMATCH;
    const std::string script = gbkOf(code.bstrVal);
    ++runs_;
    Host::instance().journal().record(EntryBuilder("page-script")
                                          .add("n", runs_)
                                          .add("language", language ? gbkOf(language->bstrVal) : std::string())
                                          .add("length", static_cast<int64_t>(script.size()))
                                          .add("state", document_ ? document_->state() : std::string())
                                          .add("thread", GetCurrentThreadId() == uiThread_ ? "ui" : "other")
                                          .add("script", script));
    applyPageLook(script);
    if (result) VariantInit(result);
    return S_OK;
  }
  void detach() { document_ = nullptr; }

 private:
  RecordingDocument* document_;
  int runs_ = 0;
  DWORD uiThread_ = GetCurrentThreadId();
};

RecordingDocument::RecordingDocument()
    : NamedDispatch({L"readyState", L"parentWindow"}), window_(new RecordingWindow(this)) {}
RecordingDocument::~RecordingDocument() {
  window_->detach();
  window_->Release();
}

HRESULT STDMETHODCALLTYPE RecordingDocument::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                                    EXCEPINFO*, UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET) || result == nullptr) return DISP_E_MEMBERNOTFOUND;
  VariantInit(result);
  if (id == 1) {
    ++reads_;
    Host::instance().journal().record(EntryBuilder("page-ready-read").add("n", reads_).add("state", state_));
    const std::u16string wide = tovalux::gbkToUtf16(state_);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
    return S_OK;
  }
  if (id == 2) {
    window_->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = window_;
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

struct StartPage {
  HWND parent = nullptr;
  std::vector<HWND> windows;  // everything we made, destroyed at teardown
  HWND clearLink = nullptr;
  HWND container = nullptr;
  HWND server = nullptr;
  RecordingDocument* document = nullptr;
  int requests = 0;
  int readyMs = 800;
  bool neverReady = false;
  bool refuse = false;   // the server answers WM_HTML_GETOBJECT with 0
  bool garbage = false;  // ... with a number that is no marshalled object
};
StartPage gPage;

LRESULT CALLBACK hostLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    // The host's own look: blue on white.
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(kHostLinkBackground);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    SetTextColor(dc, kHostLinkText);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, caption, -1, &client, DT_SINGLELINE | DT_VCENTER);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT answerDocumentRequest(HWND window, WPARAM wParam) {
  ++gPage.requests;
  Host::instance().journal().record(EntryBuilder("page-request")
                                        .add("n", gPage.requests)
                                        .add("state", gPage.document ? gPage.document->state() : std::string())
                                        .add("refused", gPage.refuse ? 1 : 0));
  if (gPage.refuse || gPage.document == nullptr || window != gPage.server) return 0;
  if (gPage.garbage) return 0xC0DE;
  const HRESULT com = CoInitialize(nullptr);
  const LRESULT answer = LresultFromObject(IID_IDispatch, wParam, gPage.document);
  if (com == S_OK || com == S_FALSE) CoUninitialize();
  return answer < 0 ? 0 : answer;
}

void repaintPage() {
  if (gPage.server && IsWindow(gPage.server)) InvalidateRect(gPage.server, nullptr, TRUE);
}

void paintPage(HWND window) {
  static const char* const kLines[] = {"易语言 起始页", "", "最近打开的项目", "  演示.e",
                                       "  窗口程序.e",  "", "新闻与教程",     "  如何使用支持库",
                                       "  调试技巧"};
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(gPageLook.background);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, gPageLook.text);
  HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  int top = 16;
  for (const char* line : kLines) {
    TextOutA(dc, 20, top, line, static_cast<int>(std::strlen(line)));
    top += 20;
  }
  SelectObject(dc, previous);
  EndPaint(window, &paint);
}

LRESULT CALLBACK serverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT getObject = RegisterWindowMessageA("WM_HTML_GETOBJECT");
  if (message == WM_PAINT) {
    paintPage(window);
    return 0;
  }
  if (getObject != 0 && message == getObject) return answerDocumentRequest(window, wParam);
  if (message == WM_TIMER && wParam == kReadyTimer) {
    KillTimer(window, kReadyTimer);
    if (gPage.document) {
      gPage.document->setState("complete");
      Host::instance().journal().record(EntryBuilder("page-complete").add("requests", gPage.requests));
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass(const char* name, WNDPROC procedure, HBRUSH background = nullptr, UINT style = 0) {
  WNDCLASSA wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) return;
  wc.style = style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

HWND make(const char* className, const char* text, DWORD style, int x, int y, int width, int height, HWND parent,
          int id) {
  HWND window = CreateWindowExA(0, className, text, style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  // The picture window comes back as -1 when a library refuses it: not a window to keep.
  if (window != nullptr && window != reinterpret_cast<HWND>(-1) && IsWindow(window)) gPage.windows.push_back(window);
  return window;
}

// The web view next to "清空": the container (GW_HWNDNEXT of the link) holds the browser, which
// holds the document view, which holds the server.
void createWebView() {
  if (!gPage.parent || !IsWindow(gPage.parent) || gPage.container) return;
  const DWORD child = WS_CHILD | WS_VISIBLE;
  gPage.container = make(kContainerClass, "", child, 200, 40, 420, 300, gPage.parent, 1215);
  HWND browser = make(kBrowserClass, "", child, 0, 0, 420, 300, gPage.container, 0);
  HWND view = make(kDocViewClass, "", child, 0, 0, 420, 300, browser, 0);
  gPage.server = make(kServerClass, "", child, 0, 0, 420, 300, view, 0);
  if (gPage.document) gPage.document->Release();
  gPage.document = new RecordingDocument();
  if (gPage.neverReady)
    gPage.document->setState("interactive");
  else
    SetTimer(gPage.server, kReadyTimer, static_cast<UINT>(gPage.readyMs), nullptr);
  Host::instance().journal().record(EntryBuilder("web-view")
                                        .add("container", reinterpret_cast<intptr_t>(gPage.container))
                                        .add("browser", reinterpret_cast<intptr_t>(browser))
                                        .add("server", reinterpret_cast<intptr_t>(gPage.server)));
}

void CALLBACK webViewLater(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  createWebView();
}

void teardown(Host& host) {
  if (host.tree().main) KillTimer(host.tree().main, kWebViewTimer);
  if (gPage.server) KillTimer(gPage.server, kReadyTimer);
  for (auto it = gPage.windows.rbegin(); it != gPage.windows.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
  if (gPage.document) gPage.document->Release();
  gPage = StartPage{};
  gPageLook = PageLook{};
  // The next start page may ask for another class style.
  UnregisterClassA(kLinkClass, GetModuleHandleA(nullptr));
}

// The start page as the host builds it, inside the page "起始页" when one is open.
ActionResult showStartPage(Host& host, const ActionArgs& args) {
  if (gPage.clearLink) return ActionResult::failure("the start page exists (start-page-close first)");
  const std::string webView = args.option("web-view").value_or("");
  if (!webView.empty() && webView != "now" && webView != "none" && webView != "later")
    return ActionResult::failure(
        "start-page [web-view=now|later|none] [ready-ms=N] [never-ready=1] [refuse=1] [garbage=1] [own-dc=1]");
  gPage.readyMs = static_cast<int>(args.optionNumber("ready-ms", 800));
  gPage.neverReady = args.optionNumber("never-ready", 0) != 0;
  gPage.refuse = args.optionNumber("refuse", 0) != 0;
  gPage.garbage = args.optionNumber("garbage", 0) != 0;
  const PageRecord* page = host.model().pageByTitle("起始页");
  gPage.parent = page ? page->window : host.tree().main;
  // own-dc=1: the links keep one DC for their life, so what a paint leaves selected stays there.
  registerClass(kLinkClass, &hostLinkProc, nullptr, args.optionNumber("own-dc", 0) != 0 ? CS_OWNDC : 0);
  registerClass(kContainerClass, &DefWindowProcA);
  registerClass(kBrowserClass, &DefWindowProcA);
  registerClass(kDocViewClass, &DefWindowProcA);
  registerClass(kServerClass, &serverProc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  registerClass("_EL_PicWnd", &DefWindowProcA);

  const DWORD child = WS_CHILD | WS_VISIBLE;
  HWND picture = make("_EL_PicWnd", "", child, 0, 0, 180, 60, gPage.parent, 0);
  make("STATIC", "易语言", child, 0, 64, 180, 20, gPage.parent, 0xFFFF);
  int y = 90;
  for (const char* caption : {"新建", "打开...", "最近"}) {
    make(kLinkClass, caption, child, 10, y, 90, 24, gPage.parent, 0);
    y += 28;
  }
  HWND recent = make(WC_LISTVIEWA, "", child | LVS_REPORT, 10, y, 180, 80, gPage.parent, 1214);
  y += 84;
  make(kLinkClass, "帮助", child, 10, y, 90, 24, gPage.parent, 0);
  y += 28;
  gPage.clearLink = make(kLinkClass, "清空", child, 10, y, 90, 24, gPage.parent, 0);
  if (webView.empty() || webView == "now")
    createWebView();
  else if (webView == "later")
    SetTimer(host.tree().main, kWebViewTimer, static_cast<UINT>(args.optionNumber("web-view-ms", 500)), &webViewLater);
  host.journal().record(EntryBuilder("start-page")
                            .add("clear", reinterpret_cast<intptr_t>(gPage.clearLink))
                            .add("picture", reinterpret_cast<intptr_t>(picture))
                            .add("recent", reinterpret_cast<intptr_t>(recent))
                            .add("web-view", webView.empty() ? "now" : webView));
  return ActionResult::success();
}

ActionResult closeStartPage(Host& host, const ActionArgs&) {
  teardown(host);
  host.journal().record(EntryBuilder("start-page-closed"));
  return ActionResult::success();
}

// The splash the host shows while it starts: 400 x 280, popup.
ActionResult showSplash(Host& host, const ActionArgs&) {
  registerClass(kSplashClass, &DefWindowProcA, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HWND splash = make(kSplashClass, "", WS_POPUP | WS_VISIBLE, 40, 40, 400, 280, nullptr, 0);
  RECT r{};
  if (splash) GetWindowRect(splash, &r);
  host.journal().record(EntryBuilder("splash")
                            .add("hwnd", reinterpret_cast<intptr_t>(splash))
                            .add("x", r.left)
                            .add("y", r.top)
                            .add("width", r.right - r.left)
                            .add("height", r.bottom - r.top));
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"start-page",
     "start-page [web-view=now|later|none] [web-view-ms=N] [ready-ms=N] [never-ready=1] [refuse=1] [garbage=1] "
     "[own-dc=1]: the "
     "start "
     "page's windows; the document turns \"complete\" ready-ms after the web view exists (\"start-page\", "
     "\"web-view\", \"page-request\", \"page-ready-read\", \"page-complete\", \"page-script\")",
     &showStartPage},
    {"start-page-close", "start-page-close: destroys the start page's windows (\"start-page-closed\")",
     &closeStartPage},
    {"splash", "splash: the host's 400 x 280 splash window (\"splash\")", &showSplash},
};

const TeardownRegistration kTeardown{"startpage", &teardown};

}  // namespace
}  // namespace standin
