// The host's navigation: the program tree with its table categories, and the unit and member
// combo boxes 629 and 630 that follow the active page.
//
// After a page becomes active the host empties and refills 629 (every program set and class
// module of the tree, or the designed window's components) and 630 (the unit's sub-programs, or
// the events), then selects in both with CB_SETCURSEL. When a library hands a choice to a combo
// (CB_SETCURSEL, then WM_COMMAND 0x103E8 with the combo's list) the host reacts inside that
// WM_COMMAND: a unit opens or activates its page and both combos are refilled and selected again;
// a member moves the caret and 630 selects it again.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr int kImageClass = 0;  // class module; also the data-type category and its members
constexpr int kImageGlobal = 1;
constexpr int kImageSubProgram = 2;
constexpr int kImageAssembly = 3;
constexpr int kImageDll = 4;
constexpr int kImageWindow = 6;
constexpr int kImageRoot = 8;
constexpr int kImageConstant = 9;
constexpr int kImageSound = 10;
constexpr int kImagePicture = 11;
constexpr int kImageModuleTable = 14;
constexpr int kImageModule = 13;
constexpr int kImageFolder = 16;

constexpr char kDataTypes[] = "自定义数据类型";
constexpr int kListSelectionChange = 1;  // LBN_SELCHANGE from the combo's own list (id 1000)

// --- the program tree ----------------------------------------------------------------------------

HTREEITEM insertItem(HWND tree, HTREEITEM parent, const std::string& text, int image) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  return reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM nextItem(HWND tree, UINT relation, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

struct ItemInfo {
  std::string text;
  int image = -1;
};

ItemInfo itemInfo(HWND tree, HTREEITEM item) {
  char text[260] = {};
  TVITEMA request{};
  request.mask = TVIF_TEXT | TVIF_IMAGE;
  request.hItem = item;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
  text[sizeof text - 1] = '\0';
  return {text, request.iImage};
}

// Every item in pre-order, with its parent.
struct Node {
  HTREEITEM item;
  HTREEITEM parent;
  ItemInfo info;
};

void collect(HWND tree, HTREEITEM first, HTREEITEM parent, std::vector<Node>& out) {
  for (HTREEITEM item = first; item; item = nextItem(tree, TVGN_NEXT, item)) {
    out.push_back({item, parent, itemInfo(tree, item)});
    collect(tree, nextItem(tree, TVGN_CHILD, item), item, out);
  }
}

std::vector<Node> allItems(HWND tree) {
  std::vector<Node> nodes;
  collect(tree, nextItem(tree, TVGN_ROOT, nullptr), nullptr, nodes);
  return nodes;
}

const Node* findNode(const std::vector<Node>& nodes, HTREEITEM item) {
  for (const Node& node : nodes)
    if (node.item == item) return &node;
  return nullptr;
}

// A category of the project (a direct child of the root "程序数据") by its text.
HTREEITEM category(const std::vector<Node>& nodes, const std::string& text) {
  for (const Node& node : nodes) {
    const Node* parent = node.parent ? findNode(nodes, node.parent) : nullptr;
    if (parent && parent->info.text == "程序数据" && node.info.text == text) return node.item;
  }
  return nullptr;
}

// The sample project of the host contract; `globals` entries in "全局变量" (the two sample names
// when it is 2).
void fillProgramTree(HWND tree, int globals) {
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  HTREEITEM root = insertItem(tree, nullptr, "程序数据", kImageRoot);
  HTREEITEM start = insertItem(tree, root, "窗口程序集_启动窗口", kImageAssembly);
  insertItem(tree, start, "_启动窗口_创建完毕", kImageSubProgram);
  insertItem(tree, start, "_按钮1_被单击", kImageSubProgram);
  HTREEITEM assembly1 = insertItem(tree, root, "程序集1", kImageAssembly);
  insertItem(tree, assembly1, "子程序1", kImageSubProgram);
  HTREEITEM demo = insertItem(tree, root, "类_演示", kImageClass);
  insertItem(tree, demo, "_初始化", kImageSubProgram);
  HTREEITEM globalsItem = insertItem(tree, root, "全局变量", kImageGlobal);
  if (globals == 2) {
    insertItem(tree, globalsItem, "全局计数", kImageGlobal);
    insertItem(tree, globalsItem, "全局名称", kImageGlobal);
  } else {
    for (int i = 0; i < globals; ++i) insertItem(tree, globalsItem, "全局变量" + std::to_string(i + 1), kImageGlobal);
  }
  HTREEITEM types = insertItem(tree, root, kDataTypes, kImageClass);
  insertItem(tree, types, "坐标", kImageClass);
  HTREEITEM dlls = insertItem(tree, root, "Dll命令", kImageDll);
  insertItem(tree, dlls, "信息框A", kImageDll);
  HTREEITEM windows = insertItem(tree, root, "窗口", kImageWindow);
  insertItem(tree, windows, "_启动窗口", kImageWindow);
  insertItem(tree, root, "常量表...", kImageConstant);
  insertItem(tree, root, "图片或图片组...", kImagePicture);
  insertItem(tree, root, "声音...", kImageSound);
  HTREEITEM modules = insertItem(tree, root, "模块引用表", kImageModuleTable);
  insertItem(tree, modules, "示例模块.ec", kImageModule);
  HTREEITEM folder = insertItem(tree, root, "分类文件夹1", kImageFolder);
  insertItem(tree, folder, "程序集2", kImageAssembly);
  for (HTREEITEM expanded : {root, globalsItem, types, dlls, windows})
    hostSend(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(expanded));
}

ActionResult programTree(Host& host, const ActionArgs& args) {
  HWND tree = host.tree().programTree;
  if (!tree) return ActionResult::failure("no program tree");
  const int64_t globals = args.optionNumber("globals", 2);
  if (globals < 0 || globals > 100000) return ActionResult::failure("globals=0..100000");
  fillProgramTree(tree, static_cast<int>(globals));
  return ActionResult::success();
}

// Deleting table entries, now or one every `every` ms (a host that changes the tree while a
// library lists it).
struct PendingDeletes {
  std::string category;
  int left = 0;
  bool fromFirst = true;
};
PendingDeletes gDeletes;
UINT_PTR gDeleteTimer = 0;

bool deleteOneEntry(Host& host) {
  HWND tree = host.tree().programTree;
  const std::vector<Node> nodes = allItems(tree);
  HTREEITEM table = category(nodes, gDeletes.category);
  HTREEITEM victim = nullptr;
  for (const Node& node : nodes)
    if (node.parent == table && table) {
      victim = node.item;
      if (gDeletes.fromFirst) break;
    }
  if (!victim) return false;
  host.journal().record(EntryBuilder("tree-entry-deleted")
                            .add("text", findNode(nodes, victim)->info.text)
                            .add("item", handleNumber(victim)));
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(victim));
  return true;
}

void CALLBACK deleteTick(HWND, UINT, UINT_PTR, DWORD) {
  Host& host = Host::instance();
  if (gDeletes.left <= 0 || !deleteOneEntry(host)) {
    KillTimer(nullptr, gDeleteTimer);
    gDeleteTimer = 0;
    return;
  }
  --gDeletes.left;
}

ActionResult deleteEntries(Host& host, const ActionArgs& args) {
  if (!host.tree().programTree) return ActionResult::failure("no program tree");
  const std::string& table = args.text(0);
  if (table.empty())
    return ActionResult::failure("program-tree-delete CATEGORY [count=N] [every=MS] [from=first|last]");
  gDeletes = {table, static_cast<int>(args.optionNumber("count", 1)), args.option("from").value_or("first") != "last"};
  const int64_t every = args.optionNumber("every", 0);
  if (every > 0) {
    if (gDeleteTimer) KillTimer(nullptr, gDeleteTimer);
    gDeleteTimer = SetTimer(nullptr, 0, static_cast<UINT>(every), &deleteTick);
    return ActionResult::success();
  }
  while (gDeletes.left > 0 && deleteOneEntry(host)) --gDeletes.left;
  return ActionResult::success();
}

// --- the navigation combo boxes ----------------------------------------------------------------

struct NavigationLists {
  std::vector<std::string> units, members;
  int unit = -1, member = -1;
};

std::string nameInTitle(const std::string& title) {
  const size_t colon = title.find(": ");
  return colon == std::string::npos ? title : title.substr(colon + 2);
}

bool isUnit(const std::vector<Node>& nodes, const Node& node) {
  if (node.info.image == kImageAssembly) return true;
  if (node.info.image != kImageClass || node.info.text == kDataTypes) return false;
  const Node* parent = node.parent ? findNode(nodes, node.parent) : nullptr;
  return !parent || parent->info.text != kDataTypes;  // data types are no units
}

NavigationLists listsFor(Host& host, const PageRecord& page) {
  NavigationLists lists;
  const std::string name = nameInTitle(page.title);
  if (page.kind == page_kind::kDesigner) {
    lists.units = {name, "按钮1", "编辑框1"};
    lists.members = {"创建完毕", "被单击", "位置被改变"};
    lists.unit = 0;
    lists.member = 0;
    return lists;
  }
  const std::vector<Node> nodes = allItems(host.tree().programTree);
  HTREEITEM unitItem = nullptr;
  for (const Node& node : nodes) {
    if (!isUnit(nodes, node)) continue;
    if (node.info.text == name) {
      lists.unit = static_cast<int>(lists.units.size());
      unitItem = node.item;
    }
    lists.units.push_back(node.info.text);
  }
  if (lists.unit < 0) {  // no project tree: the page alone
    lists.unit = static_cast<int>(lists.units.size());
    lists.units.push_back(name);
  }
  for (const Node& node : nodes)
    if (unitItem && node.parent == unitItem && node.info.image == kImageSubProgram)
      lists.members.push_back(node.info.text);
  if (!lists.members.empty()) lists.member = 0;
  return lists;
}

void fillCombo(HWND combo, const std::vector<std::string>& items) {
  hostSend(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) hostSend(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

// The host's follow-up of a page change: both combos refilled, then selected.
void updateNavigation(Host& host, HWND page) {
  const PageRecord* record = host.model().page(page);
  if (!record || (record->kind != page_kind::kCode && record->kind != page_kind::kDesigner)) return;
  const WindowTree& t = host.tree();
  const NavigationLists lists = listsFor(host, *record);
  fillCombo(t.unitCombo, lists.units);
  fillCombo(t.memberCombo, lists.members);
  hostSend(t.unitCombo, CB_SETCURSEL, static_cast<WPARAM>(lists.unit), 0);
  hostSend(t.memberCombo, CB_SETCURSEL, static_cast<WPARAM>(lists.member), 0);
}

void onPageActivated(Host& host, HWND page) { updateNavigation(host, page); }

std::string comboText(HWND combo, int index) {
  const LRESULT length = hostSend(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  hostSend(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

// The unit chosen in 629: its page comes forward (opened when needed), then both combos follow.
void unitChosen(Host& host, int index) {
  const std::string name = comboText(host.tree().unitCombo, index);
  const std::vector<Node> nodes = allItems(host.tree().programTree);
  std::string title = "程序集: " + name;
  for (const Node& node : nodes)
    if (node.info.text == name && node.info.image == kImageClass) title = "类模块: " + name;
  if (const PageRecord* page = host.model().pageByTitle(title)) {
    hostSend(host.tree().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(page->window), 0);
  } else if (!host.runAction("page-open \"" + title + "\"").ok) {
    return;
  }
  // Also when the page was active already: the host refills and selects again.
  updateNavigation(host, host.model().activePage);
}

void memberChosen(Host& host, int index) {
  if (PageRecord* page = host.model().page(host.model().activePage)) {
    page->caretRow = index * 10;
    page->caretColumn = 0;
  }
  hostSend(host.tree().memberCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

WNDPROC gUnitProcedure = nullptr;
WNDPROC gMemberProcedure = nullptr;

LRESULT comboProcedure(WNDPROC original, bool unit, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
  // The combo's own list reporting a new selection: what a pick in the drop-down sends.
  if (message == WM_COMMAND && LOWORD(wParam) == 1000 && HIWORD(wParam) == kListSelectionChange) {
    Host& host = Host::instance();
    const int index = static_cast<int>(hostSend(window, CB_GETCURSEL, 0, 0));
    host.journal().record(EntryBuilder("nav-choice")
                              .add("combo", unit ? "629" : "630")
                              .add("index", index)
                              .add("text", index >= 0 ? comboText(window, index) : std::string()));
    if (index >= 0) {
      if (unit)
        unitChosen(host, index);
      else
        memberChosen(host, index);
    }
  }
  return result;
}

LRESULT CALLBACK unitComboProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return comboProcedure(gUnitProcedure, true, window, message, wParam, lParam);
}

LRESULT CALLBACK memberComboProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return comboProcedure(gMemberProcedure, false, window, message, wParam, lParam);
}

// Wine's combo box tells the owner it had at creation, not the current one: the host reacts in
// a subclass of its own instead.
void setUpCombos(Host& host) {
  const WindowTree& t = host.tree();
  if (t.unitCombo)
    gUnitProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(t.unitCombo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&unitComboProcedure)));
  if (t.memberCombo)
    gMemberProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(t.memberCombo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&memberComboProcedure)));
}

ActionResult navigationUpdate(Host& host, const ActionArgs&) {
  if (!host.model().activePage) return ActionResult::failure("no active page");
  updateNavigation(host, host.model().activePage);
  return ActionResult::success();
}

void tearDown(Host&) {
  if (gDeleteTimer) KillTimer(nullptr, gDeleteTimer);
  gDeleteTimer = 0;
  gDeletes = {};
  gUnitProcedure = gMemberProcedure = nullptr;
}

const ActionRegistration kRegistrations[] = {
    {"program-tree-sample", "program-tree-sample [globals=N]: the sample project's program tree (N global variables)",
     &programTree},
    {"program-tree-delete",
     "program-tree-delete CATEGORY [count=N] [every=MS] [from=first|last]: deletes entries of "
     "a table category, now or one every MS",
     &deleteEntries},
    {"nav-update", "nav-update: 629 and 630 refilled and selected for the active page", &navigationUpdate},
};

const TreeSetupRegistration kSetup{"navigation", &setUpCombos};
const PageActivatedRegistration kActivated{"navigation", &onPageActivated};
const TeardownRegistration kTeardown{"navigation", &tearDown};

}  // namespace
}  // namespace standin
