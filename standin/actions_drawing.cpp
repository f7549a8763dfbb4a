// What the host draws and creates that a library's API hooks act on, and the odd traffic a
// library must survive: a code view painted with the host's colours, the code tip, the
// code-completion pop-up, the start-page bitmap 620, the property grid's font, the output tab
// strip, messages to the main window, and negative fixtures (an atom class name, callback and
// null item texts, a list box holding item data, a send from a worker thread).
//
// Colours are read back with GetBkColor / GetTextColor and journaled, so a test sees what the
// host's DC ended up with.
#include "control_traffic.h"

#include <string>
#include <thread>
#include <vector>

#include "dialog_watchdog.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr char kTipClass[] = "ETipWnd";
constexpr char kTipText[] = "CTipWnd";
constexpr int kCompletionTreeId = 1109;

HWND gTip = nullptr;
HWND gCompletion = nullptr;
HIMAGELIST gImages = nullptr;

// A DC of the code view of the active page (the first code page when none is active).
HWND paintTarget(Host& host) {
  if (const PageRecord* active = host.model().activePageRecord())
    if (active->codeView) return active->codeView;
  for (const PageRecord& page : host.model().pages)
    if (page.codeView) return page.codeView;
  return nullptr;
}

void recordColours(Host& host, const char* step, HDC dc) {
  host.journal().record(EntryBuilder("paint")
                            .add("step", step)
                            .addHex("bk", static_cast<uint32_t>(GetBkColor(dc)))
                            .addHex("text", static_cast<uint32_t>(GetTextColor(dc))));
}

// The host painting a code line: its own colours first, then the texts.
ActionResult paintCode(Host& host, const ActionArgs&) {
  HWND view = paintTarget(host);
  if (!view) return ActionResult::failure("no code page open");
  HDC dc = GetDC(view);
  SetBkColor(dc, 0xFFF1EB);
  recordColours(host, "bk-code", dc);
  SetBkColor(dc, 0xE1FFFF);
  recordColours(host, "bk-tip", dc);
  SetBkColor(dc, 0x123456);
  recordColours(host, "bk-other", dc);
  SetTextColor(dc, 0xFF0000);
  recordColours(host, "text-blue", dc);
  SetTextColor(dc, 0x808080);
  recordColours(host, "text-grey", dc);
  SetTextColor(dc, 0);
  recordColours(host, "text-black", dc);
  const struct {
    const char* step;
    const char* text;
    int count;
  } kLines[] = {{"todo", "' // TODO: x", 12}, {"nine-bytes", "' // TODO", 9}, {"count-zero", "' // TODO: x", 0}};
  for (const auto& line : kLines) {
    // Known colours before each line, so what the line changed shows.
    SetBkColor(dc, 0x111111);
    SetTextColor(dc, 0x222222);
    TextOutA(dc, 4, 4, line.text, line.count);
    recordColours(host, line.step, dc);
  }
  ReleaseDC(view, dc);
  return ActionResult::success();
}

// The code tip: a pop-up whose text is "CTipWnd", painted with black and red text on the tip
// background, with the system colours the host asks for.
ActionResult showTip(Host& host, const ActionArgs&) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTipClass;
    registered = RegisterClassA(&wc) != 0;
  }
  if (!gTip || !IsWindow(gTip))
    gTip = CreateWindowExA(WS_EX_TOOLWINDOW, kTipClass, kTipText, WS_POPUP | WS_VISIBLE, 40, 40, 240, 40,
                           host.mainWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!gTip) return ActionResult::failure("cannot create the tip window");
  HDC dc = GetDC(gTip);
  SetBkColor(dc, 0xE1FFFF);
  const uint32_t background = GetBkColor(dc);
  SetTextColor(dc, 0);
  TextOutA(dc, 2, 2, "如果", 4);
  const uint32_t black = GetTextColor(dc);
  SetTextColor(dc, 0x0000FF);
  TextOutA(dc, 2, 2, "条件", 4);
  const uint32_t red = GetTextColor(dc);
  ReleaseDC(gTip, dc);
  host.journal().record(EntryBuilder("tip-paint")
                            .addHex("bk", background)
                            .addHex("text-after-black", black)
                            .addHex("text-after-red", red)
                            .addHex("sys24", static_cast<uint32_t>(GetSysColor(COLOR_INFOBK)))
                            .addHex("sys6", static_cast<uint32_t>(GetSysColor(COLOR_WINDOWFRAME)))
                            .addHex("sys5", static_cast<uint32_t>(GetSysColor(COLOR_WINDOW)))
                            .add("drop-shadow", (GetClassLongA(gTip, GCL_STYLE) & CS_DROPSHADOW) ? 1 : 0));
  return ActionResult::success();
}

void destroyTip() {
  if (gTip && IsWindow(gTip)) DestroyWindow(gTip);
  gTip = nullptr;
}

ActionResult closeTip(Host&, const ActionArgs&) {
  destroyTip();
  return ActionResult::success();
}

int childCount(HWND parent) {
  int count = 0;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++count;
  return count;
}

// S-COMPLETE: an untitled "#32770" pop-up holding tree 1109, handed its image lists the way the
// host does it (normal, then state: images=2).
ActionResult showCompletion(Host& host, const ActionArgs& args) {
  const int lists = static_cast<int>(args.optionNumber("images", 1));
  if (!gCompletion || !IsWindow(gCompletion)) {
    gCompletion = CreateWindowExA(0, "#32770", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 120, 120, 300, 200,
                                  host.mainWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!gCompletion) return ActionResult::failure("cannot create the completion pop-up");
    // Not a dialog box: the watchdog leaves it alone.
    SetPropA(gCompletion, kNoWatchdogProperty, reinterpret_cast<HANDLE>(1));
    CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASLINES, 0, 0, 300, 200, gCompletion,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCompletionTreeId)), GetModuleHandleA(nullptr),
                    nullptr);
  }
  HWND tree = GetDlgItem(gCompletion, kCompletionTreeId);
  if (!gImages) gImages = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  for (int i = 0; i < lists; ++i)
    hostSend(tree, TVM_SETIMAGELIST, i == 0 ? TVSIL_NORMAL : TVSIL_STATE, reinterpret_cast<LPARAM>(gImages));
  RECT list{}, popup{};
  GetWindowRect(tree, &list);
  GetWindowRect(gCompletion, &popup);
  MapWindowPoints(nullptr, gCompletion, reinterpret_cast<POINT*>(&list), 2);
  host.journal().record(EntryBuilder("completion")
                            .add("list-x", list.left)
                            .add("list-y", list.top)
                            .add("list-width", list.right - list.left)
                            .add("list-height", list.bottom - list.top)
                            .add("popup-width", popup.right - popup.left)
                            .add("popup-height", popup.bottom - popup.top)
                            .add("popup-layered", (GetWindowLongA(gCompletion, GWL_EXSTYLE) & WS_EX_LAYERED) ? 1 : 0)
                            .add("popup-children", childCount(gCompletion))
                            .add("drop-shadow", (GetClassLongA(gCompletion, GCL_STYLE) & CS_DROPSHADOW) ? 1 : 0)
                            .addHex("list-bk", static_cast<uint32_t>(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0)))
                            .addHex("list-text", static_cast<uint32_t>(SendMessageA(tree, TVM_GETTEXTCOLOR, 0, 0))));
  return ActionResult::success();
}

void destroyCompletion() {
  if (gCompletion && IsWindow(gCompletion)) DestroyWindow(gCompletion);
  gCompletion = nullptr;
  if (gImages) ImageList_Destroy(gImages);
  gImages = nullptr;
}

ActionResult closeCompletion(Host&, const ActionArgs&) {
  destroyCompletion();
  return ActionResult::success();
}

// The start page's banner, bitmap resource 620, loaded `count` times and kept until all are
// loaded (every answer must be a bitmap of its own), then deleted as the host does.
ActionResult loadBanner(Host& host, const ActionArgs& args) {
  const int count = static_cast<int>(args.optionNumber("count", 1));
  std::vector<HBITMAP> loaded;
  int live = 0;
  BITMAP first{};
  bool sameSize = true;
  for (int i = 0; i < count; ++i) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(620));
    BITMAP info{};
    if (bitmap && GetObjectA(bitmap, sizeof info, &info) == sizeof info) {
      ++live;
      if (live == 1) first = info;
      sameSize = sameSize && info.bmWidth == first.bmWidth && info.bmHeight == first.bmHeight;
    }
    loaded.push_back(bitmap);
  }
  int distinct = 0;
  for (size_t i = 0; i < loaded.size(); ++i) {
    bool seen = false;
    for (size_t j = 0; j < i; ++j) seen = seen || loaded[j] == loaded[i];
    if (!seen && loaded[i]) ++distinct;
  }
  int deleted = 0;
  for (HBITMAP bitmap : loaded)
    if (bitmap && DeleteObject(bitmap)) ++deleted;
  host.journal().record(EntryBuilder("bitmap")
                            .add("count", count)
                            .add("live", live)
                            .add("distinct", distinct)
                            .add("deleted", deleted)
                            .add("width", first.bmWidth)
                            .add("height", first.bmHeight)
                            .add("same-size", sameSize ? 1 : 0));
  return ActionResult::success();
}

// The property grid selecting the GUI font into its own DC `times` times, putting back what it
// was answered each time, as its painting does.
ActionResult paintGrid(Host& host, const ActionArgs& args) {
  HWND grid = host.tree().propertyGrid;
  if (!grid || !IsWindow(grid)) return ActionResult::failure("no property grid");
  const int times = static_cast<int>(args.optionNumber("times", 1));
  HDC dc = GetDC(grid);
  HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  HGDIOBJ firstAnswer = nullptr;
  for (int i = 0; i < times; ++i) {
    HGDIOBJ answered = SelectObject(dc, stock);
    if (i == 0) firstAnswer = answered;
    SelectObject(dc, answered);
  }
  LOGFONTA font{};
  const bool isFont = firstAnswer && GetObjectType(firstAnswer) == OBJ_FONT &&
                      GetObjectA(firstAnswer, sizeof font, &font) == sizeof font;
  ReleaseDC(grid, dc);
  host.journal().record(EntryBuilder("grid-paint")
                            .add("times", times)
                            .add("answered-stock", firstAnswer == stock ? 1 : 0)
                            .add("font", isFont ? 1 : 0)
                            .add("face", isFont ? font.lfFaceName : "")
                            .add("height", isFont ? font.lfHeight : 0)
                            .add("weight", isFont ? font.lfWeight : 0));
  return ActionResult::success();
}

// The output tab strip switching to a tab, by caption.
ActionResult selectTab(Host& host, const ActionArgs& args) {
  HWND tabs = host.tree().bottomTabs;
  const std::string& caption = args.text(0);
  const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)) && caption == text) {
      hostSend(tabs, TCM_SETCURSEL, i, 0);
      return ActionResult::success();
    }
  }
  if (args.isNumber(0)) {
    hostSend(tabs, TCM_SETCURSEL, static_cast<WPARAM>(args.number(0)), 0);
    return ActionResult::success();
  }
  return ActionResult::failure("no tab \"" + caption + "\"");
}

// A control's notification reaching the main window (the host's own traffic).
ActionResult notifyMain(Host& host, const ActionArgs& args) {
  NMHDR header{};
  header.hwndFrom = host.tree().programTree;
  header.idFrom = static_cast<UINT_PTR>(args.number(0, 1019));
  header.code = static_cast<UINT>(args.number(1, static_cast<int64_t>(NM_CLICK)));
  hostSend(host.mainWindow(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  return ActionResult::success();
}

// The end of a move or resize of the main window.
ActionResult exitSizeMove(Host& host, const ActionArgs&) {
  hostSend(host.mainWindow(), WM_EXITSIZEMOVE, 0, 0);
  return ActionResult::success();
}

// Negative fixture: a window created by class atom (MAKEINTATOM), as dialogs create controls.
ActionResult createByAtom(Host& host, const ActionArgs&) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "EAtomClass";
  static const ATOM atom = RegisterClassA(&wc);
  if (!atom) return ActionResult::failure("cannot register the class");
  HWND window = CreateWindowExA(0, MAKEINTATOM(atom), "atom", WS_POPUP, 0, 0, 400, 280, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  char name[32] = {};
  if (window) GetClassNameA(window, name, sizeof name);
  host.journal().record(EntryBuilder("atom-window").add("hwnd", handleNumber(window)).add("class", name));
  if (window) DestroyWindow(window);
  return ActionResult::success();
}

HWND treeById(Host& host, int id) {
  const WindowTree& t = host.tree();
  switch (id) {
    case 1019: return t.programTree;
    case 1022: return t.libraryTree;
    case 1224: return t.callStackTree;
    case 1109: return t.variablesTree;
    case 1225: return t.toolboxTree;
    default: return nullptr;
  }
}

// Negative fixture: a tree insert whose text is LPSTR_TEXTCALLBACKA ("callback"), null ("null"),
// or a text without TVIF_TEXT in the mask ("no-mask").
ActionResult oddTreeInsert(Host& host, const ActionArgs& args) {
  HWND tree = treeById(host, static_cast<int>(args.number(0)));
  if (!tree) return ActionResult::failure("tree-insert-odd TREE callback|null|no-mask");
  const std::string& kind = args.text(1);
  TVINSERTSTRUCTA insert{};
  insert.hParent = nullptr;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
  if (kind == "callback") {
    insert.item.pszText = LPSTR_TEXTCALLBACKA;
  } else if (kind == "null") {
    insert.item.pszText = nullptr;
  } else if (kind == "no-mask") {
    insert.item.mask = TVIF_IMAGE;
    insert.item.pszText = reinterpret_cast<LPSTR>(static_cast<intptr_t>(0x10));  // never read without TVIF_TEXT
  } else {
    return ActionResult::failure("tree-insert-odd TREE callback|null|no-mask");
  }
  const LRESULT item = hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  host.journal().record(EntryBuilder("tree-insert-odd").add("kind", kind).add("item", static_cast<int64_t>(item)));
  return ActionResult::success();
}

// Negative fixture: search list 1 made anew as an owner-drawn list box without LBS_HASSTRINGS,
// whose items are numbers (item data), never texts.
ActionResult ownerDrawnSearchList(Host& host, const ActionArgs&) {
  WindowTree& t = host.mutableTree();
  RECT place{};
  GetWindowRect(t.searchList1, &place);
  MapWindowPoints(nullptr, t.bottomTabs, reinterpret_cast<POINT*>(&place), 2);
  DestroyWindow(t.searchList1);
  t.searchList1 = CreateWindowExA(0, "ListBox", "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_OWNERDRAWFIXED, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top, t.bottomTabs,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::kSearchList1)),
                                  GetModuleHandleA(nullptr), nullptr);
  if (!t.searchList1) return ActionResult::failure("cannot create the list box");
  watchControl(t.searchList1, "1182", ControlKind::kListBox);
  return ActionResult::success();
}

ActionResult addItemData(Host& host, const ActionArgs& args) {
  const LRESULT index =
      hostSend(host.tree().searchList1, LB_ADDSTRING, 0, static_cast<LPARAM>(args.number(0, 0x0BADF00D)));
  host.journal().record(EntryBuilder("item-data-added").add("index", static_cast<int64_t>(index)));
  return ActionResult::success();
}

// Negative fixture: the output box written from a worker thread (the real host must not; a
// library must survive it). Journaled as "worker-sent" from the worker once the send returned.
ActionResult outputFromWorker(Host& host, const ActionArgs& args) {
  HWND output = host.tree().outputBox;
  std::string text = args.text(0).empty() ? std::string("工作线程的输出\r\n") : args.text(0);
  std::thread([output, text = std::move(text)] {
    const LRESULT answer = SendMessageA(output, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Host::instance().journal().record(
        EntryBuilder("worker-sent").add("answer", static_cast<int64_t>(answer)).add("thread", threadLabel()));
  }).detach();
  return ActionResult::success();
}

// The main tool bar's own command: the host toggles it (shown by the library's request, so it
// hides it again).
void toggleToolBar(Host& host, WPARAM) {
  HWND bar = host.tree().mainToolBar;
  if (bar) ShowWindow(bar, IsWindowVisible(bar) ? SW_HIDE : SW_SHOW);
}

void teardown(Host&) {
  destroyTip();
  destroyCompletion();
}

const ActionRegistration kRegistrations[] = {
    {"paint-code",
     "paint-code: the active code view painted with the host's colours and three TODO lines; each step's DC "
     "colours journaled as \"paint\"",
     &paintCode},
    {"tip-show", "tip-show: the \"CTipWnd\" pop-up painted black and red on the tip colour (\"tip-paint\")", &showTip},
    {"tip-close", "tip-close: destroys the tip pop-up", &closeTip},
    {"complete-show",
     "complete-show [images=N]: the completion pop-up (untitled #32770, tree 1109) handed N image lists "
     "(\"completion\")",
     &showCompletion},
    {"complete-close", "complete-close: destroys the completion pop-up", &closeCompletion},
    {"bitmap-620", "bitmap-620 [count=N]: LoadBitmapA(620) N times, all kept, then deleted (\"bitmap\")", &loadBanner},
    {"grid-paint", "grid-paint [times=N]: the property grid selects the GUI font N times (\"grid-paint\")", &paintGrid},
    {"tab-select", "tab-select CAPTION|INDEX: TCM_SETCURSEL on the output tab strip", &selectTab},
    {"notify-main", "notify-main [ID] [CODE]: WM_NOTIFY from the program tree to the main window", &notifyMain},
    {"exit-size-move", "exit-size-move: WM_EXITSIZEMOVE to the main window", &exitSizeMove},
    {"create-atom-window", "create-atom-window: a 400 x 280 window created by class atom (\"atom-window\")",
     &createByAtom},
    {"tree-insert-odd", "tree-insert-odd TREE callback|null|no-mask: a TVM_INSERTITEMA without a readable text",
     &oddTreeInsert},
    {"search-list-ownerdraw", "search-list-ownerdraw: search list 1182 made anew, owner-drawn without strings",
     &ownerDrawnSearchList},
    {"search-list-add-data", "search-list-add-data [N]: LB_ADDSTRING of item data N to list 1182", &addItemData},
    {"output-from-worker", "output-from-worker [TEXT]: EM_REPLACESEL to 1011 from a worker thread (\"worker-sent\")",
     &outputFromWorker},
};

const CommandRegistration kToolBarCommand{0x80C3, &toggleToolBar};
const TeardownRegistration kTeardown{"drawing", &teardown};

}  // namespace
}  // namespace standin
