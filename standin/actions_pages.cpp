// Code pages: MDI children made, titled, activated and closed the way the host does it.
//
//   page (AfxMDIFrame42s) -> 0xE900 main view -> 0xEA10 / 0xEA00 scroll bars, 0xE900 code view
//                                                  -> 1 editor (0 x 0: the code view takes input)
//   designer page         -> 0xE900 main view -> 1 designer surface
//
// Created through WM_MDICREATE without WS_VISIBLE, titled by WM_SETTEXT afterwards, then shown and
// activated through the client. A library subclasses the page only once WM_MDICREATE returns, so
// it must see the activation afterwards. Wine 8's client shows and activates every new child
// during WM_MDICREATE whatever its style, and WM_MDIACTIVATE of the active page does nothing: the
// page that was active before is activated again first, then the new one. The first page has
// none before it; its activation stays unseen (journaled as activated-at-creation).
#include <cstring>

#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr char kPageClass[] = "AfxMDIFrame42s";
constexpr char kMainViewClass[] = "EMainView";
constexpr char kCodeViewClass[] = "ECodeView";
constexpr char kEditorClass[] = "ECodeEditor";
constexpr char kDesignerClass[] = "EDesigner";

constexpr int kViewId = 0xE900;
constexpr int kVerticalBarId = 0xEA10;
constexpr int kHorizontalBarId = 0xEA00;
constexpr int kEditorId = 1;
constexpr int kRowHeight = 16;
constexpr int kColumnWidth = 8;

HWND createChild(HWND parent, const char* className, DWORD style, int id, int width = 100, int height = 100) {
  return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// The page's kind travels in MDICREATESTRUCT.lParam.
int kindAtCreation(LPARAM lParam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  const auto* mdi = create ? static_cast<const MDICREATESTRUCTA*>(create->lpCreateParams) : nullptr;
  return mdi ? static_cast<int>(mdi->lParam) : page_kind::kNone;
}

// Children in the order a library's creation hook expects: each parent has its id before its
// children exist.
void createPageChildren(HWND page, int kind) {
  HWND mainView = createChild(page, kMainViewClass, WS_CLIPCHILDREN, kViewId);
  if (kind == page_kind::kDesigner) {
    createChild(mainView, kDesignerClass, 0, kEditorId);
    return;
  }
  if (kind == page_kind::kNone) return;
  HWND vertical = createChild(mainView, "ScrollBar", SBS_VERT, kVerticalBarId, 16, 100);
  HWND horizontal = createChild(mainView, "ScrollBar", SBS_HORZ, kHorizontalBarId, 100, 16);
  SetScrollRange(vertical, SB_CTL, 0, 99, FALSE);
  SetScrollRange(horizontal, SB_CTL, 0, 99, FALSE);
  HWND codeView = createChild(mainView, kCodeViewClass, 0, kViewId);
  createChild(codeView, kEditorClass, 0, kEditorId, 0, 0);
}

LRESULT CALLBACK pageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Host& host = Host::instance();
  switch (message) {
    case WM_CREATE: createPageChildren(window, kindAtCreation(lParam)); break;
    case WM_SIZE: {
      // Over the page's client rectangle as GetClientRect answers it, so a test sees what a
      // library's GetClientRect hook answers.
      RECT client;
      GetClientRect(window, &client);
      MoveWindow(GetDlgItem(window, kViewId), client.left, client.top, client.right - client.left,
                 client.bottom - client.top, TRUE);
      break;
    }
    case WM_MDIACTIVATE:
      if (reinterpret_cast<HWND>(lParam) == window) {
        host.model().activePage = window;
        host.journal().record(EntryBuilder("page-activated").add("hwnd", handleNumber(window)));
        for (const auto& [area, activated] : PageActivatedTable::instance().entries()) activated.run(host, window);
      }
      break;
    case WM_SETFOCUS: {
      // The code view is the window that is typed into.
      const LRESULT result = DefMDIChildProcA(window, message, wParam, lParam);
      if (HWND view = GetDlgItem(GetDlgItem(window, kViewId), kViewId)) SetFocus(view);
      return result;
    }
    case WM_DESTROY:
      host.journal().record(EntryBuilder("page-destroyed").add("hwnd", handleNumber(window)));
      host.model().forgetPage(window);
      break;
    case WM_NCDESTROY:
      // Reaching the page's own procedure here shows no subclass swallowed it.
      host.journal().record(EntryBuilder("page-ncdestroy").add("hwnd", handleNumber(window)));
      break;
  }
  return DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK mainViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    HWND vertical = GetDlgItem(window, kVerticalBarId);
    if (!vertical) {
      MoveWindow(GetDlgItem(window, kEditorId), 0, 0, width, height, TRUE);  // designer
      return 0;
    }
    MoveWindow(vertical, width - bar, 0, bar, height - bar, TRUE);
    MoveWindow(GetDlgItem(window, kHorizontalBarId), 0, height - bar, width - bar, bar, TRUE);
    MoveWindow(GetDlgItem(window, kViewId), 0, 0, width - bar, height - bar, TRUE);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The host paints its code view with its own colours: the light blue background (filled as an
// opaque text background, also behind each line), keywords in pure blue, comments in grey, the
// rest in black. Never
// pure black as the background: a layered main window keys black out.
void paintCodeLines(HWND view, HDC dc) {
  static const struct {
    COLORREF colour;
    const char* text;
  } kLines[] = {
      {0x808080, "' 窗口程序集_启动窗口: the start window's program set"},
      {0xFF0000, ".版本 2"},
      {0x000000, ""},
      {0xFF0000, ".程序集 窗口程序集_启动窗口"},
      {0xFF0000, ".子程序 _启动窗口_创建完毕"},
      {0xFF0000, ".局部变量 计次, 整数型"},
      {0x000000, ""},
      {0xFF0000, ".计次循环首 (10, 计次)"},
      {0x000000, "    调试输出 (\"第\" ＋ 到文本 (计次) ＋ \"次\")"},
      {0xFF0000, ".计次循环尾 ()"},
      {0x808080, "' // TODO: 标题 = \"演示\""},
  };
  RECT rect;
  GetClientRect(view, &rect);
  SetBkColor(dc, 0xFFF1EB);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
  HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  int top = 4;
  for (const auto& line : kLines) {
    SetBkColor(dc, 0xFFF1EB);
    SetTextColor(dc, line.colour);
    TextOutA(dc, 24, top, line.text, static_cast<int>(strlen(line.text)));
    top += kRowHeight + 2;
  }
  SelectObject(dc, previousFont);
}

PageRecord* pageOfView(HWND view) {
  HWND page = GetParent(GetParent(view));
  return Host::instance().model().page(page);
}

LRESULT CALLBACK codeViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      paintCodeLines(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      if (PageRecord* page = pageOfView(window)) {
        page->caretRow = static_cast<short>(HIWORD(lParam)) / kRowHeight;
        page->caretColumn = static_cast<short>(LOWORD(lParam)) / kColumnWidth;
        Host::instance().journal().record(
            EntryBuilder("caret").add("row", page->caretRow).add("column", page->caretColumn));
      }
      // A drag-selection: the view keeps the mouse until the button comes up.
      SetCapture(window);
      return 0;
    }
    case WM_LBUTTONUP: {
      // Whether the selection kept the mouse all along (a library that took it away ends it).
      Host::instance().journal().record(EntryBuilder("selection-end").add("capture", GetCapture() == window ? 1 : 0));
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    }
    case WM_NCDESTROY:
      Host::instance().journal().record(EntryBuilder("view-ncdestroy").add("hwnd", handleNumber(window)));
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The window designer: the window being designed, with its caption and a button, on the
// designer's grey surface.
LRESULT CALLBACK designerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT surface;
  GetClientRect(window, &surface);
  FillRect(dc, &surface, GetSysColorBrush(COLOR_APPWORKSPACE));
  RECT form{16, 16, 16 + 360, 16 + 220};
  FillRect(dc, &form, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &form, EDGE_RAISED, BF_RECT);
  RECT caption{form.left + 2, form.top + 2, form.right - 2, form.top + 22};
  FillRect(dc, &caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
  HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
  TextOutA(dc, caption.left + 6, caption.top + 3, "_启动窗口", 9);
  RECT button{form.left + 24, form.top + 48, form.left + 24 + 96, form.top + 48 + 28};
  DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextA(dc, "按钮1", -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, previousFont);
  EndPaint(window, &paint);
  return 0;
}

// The editor scrolls for the scroll bars: lines by 1, thumb positions as given.
LRESULT CALLBACK editorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_VSCROLL || message == WM_HSCROLL) && lParam) {
    HWND bar = reinterpret_cast<HWND>(lParam);
    int position = GetScrollPos(bar, SB_CTL);
    switch (LOWORD(wParam)) {
      case SB_LINEUP: --position; break;
      case SB_LINEDOWN: ++position; break;
      case SB_THUMBPOSITION: position = static_cast<short>(HIWORD(wParam)); break;
      default: return 0;
    }
    SetScrollPos(bar, SB_CTL, position, TRUE);
    InvalidateRect(GetParent(window), nullptr, TRUE);
    Host::instance().journal().record(
        EntryBuilder("scroll").add("bar", message == WM_VSCROLL ? "v" : "h").add("pos", GetScrollPos(bar, SB_CTL)));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void registerPageClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  const struct {
    const char* name;
    WNDPROC procedure;
  } kClasses[] = {{kPageClass, &pageProcedure},
                  {kMainViewClass, &mainViewProcedure},
                  {kCodeViewClass, &codeViewProcedure},
                  {kEditorClass, &editorProcedure},
                  {kDesignerClass, &designerProcedure}};
  for (const auto& entry : kClasses) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = entry.procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = entry.name;
    RegisterClassA(&wc);
  }
}

ActionResult openPage(Host& host, const ActionArgs& args) {
  HWND client = host.tree().mdiClient;
  const std::string& title = args.text(0);
  if (!client) return ActionResult::failure("no MDI client");
  if (title.empty()) return ActionResult::failure("page-open TITLE [kind=N]");
  if (host.model().pageByTitle(title)) return ActionResult::failure("a page \"" + title + "\" is open");
  registerPageClasses();
  const int kind = static_cast<int>(args.optionNumber("kind", pageKindForTitle(title)));

  auto activeNow = [&] { return reinterpret_cast<HWND>(hostSend(client, WM_MDIGETACTIVE, 0, 0)); };
  HWND previous = activeNow();

  MDICREATESTRUCTA create{};
  create.szClass = kPageClass;
  create.szTitle = "";
  create.hOwner = GetModuleHandleA(nullptr);
  create.x = 0;
  create.y = 0;
  create.cx = 640;  // never 400 x 280: a library turns windows of that size into its splash
  create.cy = 420;
  create.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  create.lParam = kind;
  auto page = reinterpret_cast<HWND>(hostSend(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  if (!page) return ActionResult::failure("WM_MDICREATE failed");

  PageRecord record;
  record.window = page;
  record.title = title;
  record.kind = kind;
  // The class's procedure: a library may have subclassed the page before WM_MDICREATE returned.
  record.ownProcedure = reinterpret_cast<LONG_PTR>(&pageProcedure);
  record.mainView = GetDlgItem(page, kViewId);
  record.codeView = GetDlgItem(record.mainView, kViewId);
  record.editor = GetDlgItem(record.codeView ? record.codeView : record.mainView, kEditorId);
  host.model().pages.push_back(record);
  const bool activatedAtCreation = activeNow() == page;
  host.journal().record(EntryBuilder("page-created")
                            .add("title", title)
                            .add("page-kind", kind)
                            .add("hwnd", handleNumber(page))
                            .add("activated-at-creation", activatedAtCreation ? 1 : 0));

  hostSetText(page, title.c_str());
  ShowWindow(page, SW_SHOW);
  if (activatedAtCreation && previous && IsWindow(previous))
    hostSend(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(previous), 0);
  hostSend(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(page), 0);
  // The host keeps its pages maximized; tests see the plain size unless they ask.
  if (args.optionNumber("maximized", 0)) hostSend(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(page), 0);
  // The first page's activation happened inside WM_MDICREATE, before it had its record: the
  // host's follow-up of an activation runs now.
  if (activatedAtCreation && !(previous && IsWindow(previous)))
    for (const auto& [area, activated] : PageActivatedTable::instance().entries()) activated.run(host, page);
  host.updateCaption();
  return ActionResult::success();
}

ActionResult activatePage(Host& host, const ActionArgs& args) {
  PageRecord* page = host.model().pageByTitle(args.text(0));
  if (!page) return ActionResult::failure("no page \"" + args.text(0) + "\"");
  hostSend(host.tree().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(page->window), 0);
  host.updateCaption();
  return ActionResult::success();
}

ActionResult closePage(Host& host, const ActionArgs& args) {
  PageRecord* page = host.model().pageByTitle(args.text(0));
  if (!page) return ActionResult::failure("no page \"" + args.text(0) + "\"");
  HWND window = page->window;
  const std::string via = args.option("via").value_or("mdi");
  if (via == "mdi")
    hostSend(host.tree().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
  else if (via == "destroy")
    DestroyWindow(window);
  else
    return ActionResult::failure("via=mdi|destroy");
  host.updateCaption();
  return ActionResult::success();
}

// page-title TITLE NEW: the host renames a page (an element renamed in its tree).
ActionResult retitlePage(Host& host, const ActionArgs& args) {
  PageRecord* page = host.model().pageByTitle(args.text(0));
  if (!page || args.count() < 2) return ActionResult::failure("page-title TITLE NEW (an open page)");
  page->title = args.text(1);
  page->kind = pageKindForTitle(page->title);
  hostSetText(page->window, page->title.c_str());
  host.journal().record(
      EntryBuilder("page-retitled").add("hwnd", handleNumber(page->window)).add("title", page->title));
  return ActionResult::success();
}

const ActionRegistration kRegistrations[] = {
    {"page-title", "page-title TITLE NEW: WM_SETTEXT of a new title to an open page", &retitlePage},
    {"page-open",
     "page-open TITLE [kind=N] [maximized=1]: creates, titles, shows and activates a code page (kind from the title)",
     &openPage},
    {"page-activate", "page-activate TITLE: WM_MDIACTIVATE through the MDI client, then 0x362", &activatePage},
    {"page-close", "page-close TITLE [via=mdi|destroy]: closes a page by WM_MDIDESTROY or DestroyWindow", &closePage},
};

}  // namespace
}  // namespace standin
