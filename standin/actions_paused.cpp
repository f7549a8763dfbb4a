// The host's debugging and search pages at the bottom: the call stack 1224, the stack-level combo
// box 1167 and the variables tree 1109 with its value (1010) and description (1115) windows as
// the host fills them when a run pauses; the watch list 1187; the search-result lists 1182 and
// 1183; the tips box 1001. The tab strip 1000 parents them all, so the host's reactions to their
// notifications (a level chosen, a variable selected, a watch deleted, a hit opened) are played
// from a procedure on the tab strip.
//
// Switches: `variables-count N` (every level shows N locals "变量<level>_<k>" instead of its own
// set), `refill-on-select N` (the host refills 1109 after the plug-in's Nth variable selection
// since the last fill, posted so the reader is in the middle of its walk), `watch-insert-at I`
// (the next watch insert asks for index I - 1; 0 is off). A library's WM_KEYDOWN on 1167 and 1187
// and WM_LBUTTONDBLCLK on 1224, 1182 and 1183 are journaled as ctl-msg.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "control_traffic.h"
#include "debugger.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr UINT kRefillMessage = WM_APP + 0x70;  // posted to the tab strip
constexpr uint32_t kWatchFunction = 0x05010005;
constexpr uint32_t kSearchFunction = 0x0402002C;
constexpr int kSearchInModulesCommand = 0x80F5;
constexpr int kSearchTab1 = 5, kSearchTab2 = 6;  // "搜寻1", "搜寻2" of the tab strip

constexpr const char* kNoData = "★ 未选中实际数据成员或不能显示该数据类型的数据";
constexpr const char* kCategories[] = {"子程序局部变量", "子程序参数变量", "程序集变量", "全局变量"};
constexpr const char* kStackLevels[] = {"窗口程序集_启动窗口._按钮1_被单击 (第 12 行)",
                                        "窗口程序集_启动窗口._启动窗口_创建完毕 (第 5 行)", "(系统入口)"};

struct Variable {
  std::string category, name, value, description;
};

const std::vector<Variable>& globals() {
  static const std::vector<Variable> kGlobals = {
      {"全局变量", "全局计数", "3", "全局变量 / 整数型 定义于程序 数据类型：整数型"},
      {"全局变量", "全局坐标", kNoData, "全局变量 / 自定义 定义于程序 数据类型：坐标"},
  };
  return kGlobals;
}

// The variables the host shows for a stack level; each level is told apart by its own locals.
std::vector<Variable> variablesOf(Host& host, int level) {
  std::vector<Variable> shown;
  if (const int64_t count = host.mode("variables-count"); count > 0) {
    for (int64_t k = 0; k < count; ++k)
      shown.push_back({"子程序局部变量", "变量" + std::to_string(level) + "_" + std::to_string(k), std::to_string(k),
                       "局部变量 / 整数型 定义于子程序 数据类型：整数型"});
    return shown;
  }
  switch (level) {
    case 0:
      shown = {{"子程序局部变量", "局部整数", "5", "局部变量 / 整数型 定义于子程序 数据类型：整数型"},
               {"子程序局部变量", "局部数组", kNoData, "局部变量 / 数组 定义于子程序 数据类型：整数型"},
               {"子程序参数变量", "参数1", "“你好”", "参数 / 文本型 定义于子程序 数据类型：文本型"},
               {"程序集变量", "集变量1", "0", "程序集变量 / 整数型 定义于程序集 数据类型：整数型"}};
      break;
    case 1: shown = {{"子程序局部变量", "计数器", "1", "局部变量 / 整数型 定义于子程序 数据类型：整数型"}}; break;
    default:
      shown = {
          {"子程序参数变量", "入口参数" + std::to_string(level), "0", "参数 / 整数型 定义于子程序 数据类型：整数型"}};
      break;
  }
  shown.insert(shown.end(), globals().begin(), globals().end());
  return shown;
}

struct PausedPage {
  WNDPROC tabProcedure = nullptr;
  HWND tabs = nullptr;
  std::vector<Variable> shown;  // what 1109 holds now; item lParam k + 1 is shown[k]
  int level = 0;
  int selectsSinceFill = 0;
  int fills = 0;
};
PausedPage gPage;

HTREEITEM insertTreeItem(HWND tree, HTREEITEM parent, const std::string& text, LPARAM param) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.lParam = param;
  return reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// Step 3 of a pause (and every level change): 1109 emptied, then refilled in one burst.
void fillVariables(Host& host, int level) {
  HWND tree = host.tree().variablesTree;
  gPage.level = level;
  gPage.shown = variablesOf(host, level);
  gPage.selectsSinceFill = 0;
  ++gPage.fills;
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  for (const char* category : kCategories) {
    HTREEITEM parent = nullptr;
    for (size_t k = 0; k < gPage.shown.size(); ++k) {
      if (gPage.shown[k].category != category) continue;
      if (parent == nullptr) parent = insertTreeItem(tree, nullptr, category, 0);
      insertTreeItem(tree, parent, gPage.shown[k].name, static_cast<LPARAM>(k + 1));
    }
  }
  host.journal().record(EntryBuilder("variables-filled")
                            .add("level", static_cast<int64_t>(level))
                            .add("count", static_cast<int64_t>(gPage.shown.size())));
}

void setListViewText(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  hostSend(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

std::string listViewText(HWND list, int row, int column) {
  char text[260] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  hostSend(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

// At every pause the watch values follow the paused level.
void updateWatchValues(Host& host) {
  HWND list = host.tree().watchList;
  const auto count = static_cast<int>(hostSend(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    const std::string expression = listViewText(list, row, 0);
    std::string value = "?";
    for (const Variable& variable : gPage.shown)
      if (variable.name == expression) value = variable.value;
    setListViewText(list, row, 3, value);
  }
}

void pausePage(Host& host) {
  const WindowTree& t = host.tree();
  hostSend(t.callStackTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  for (const char* level : kStackLevels) insertTreeItem(t.callStackTree, nullptr, level, 0);
  hostSend(t.stackLevelCombo, CB_RESETCONTENT, 0, 0);
  for (const char* level : kStackLevels) hostSend(t.stackLevelCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level));
  hostSend(t.stackLevelCombo, CB_SETCURSEL, 0, 0);
  fillVariables(host, 0);
  updateWatchValues(host);
}

void resumePage(Host& host) {
  const WindowTree& t = host.tree();
  hostSend(t.callStackTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  hostSend(t.variablesTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  hostSend(t.stackLevelCombo, CB_RESETCONTENT, 0, 0);
  gPage.shown.clear();
}

void addWatch(Host& host, const std::string& expression, const std::string& type, const std::string& value) {
  HWND list = host.tree().watchList;
  const auto count = static_cast<int>(hostSend(list, LVM_GETITEMCOUNT, 0, 0));
  int index = count;
  if (const int64_t at = host.mode("watch-insert-at"); at > 0) {
    index = static_cast<int>(at - 1);
    host.setMode("watch-insert-at", 0);
  }
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(expression.c_str());
  const auto row = static_cast<int>(hostSend(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  setListViewText(list, row, 1, "_按钮1_被单击");
  setListViewText(list, row, 2, type);
  setListViewText(list, row, 3, value);
}

void search(Host& host, int list, int count, const std::string& term) {
  const WindowTree& t = host.tree();
  HWND box = list == 1 ? t.searchList1 : t.searchList2;
  hostSend(t.bottomTabs, TCM_SETCURSEL, list == 1 ? kSearchTab1 : kSearchTab2, 0);
  hostSend(box, LB_RESETCONTENT, 0, 0);
  for (int k = 0; k < count; ++k) {
    const std::string line =
        "程序集: 窗口程序集_启动窗口 (" + std::to_string(k + 1) + "): " + term + " 第" + std::to_string(k) + "处";
    hostSend(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  const std::string summary = "--- 共找到 " + std::to_string(count) + " 处 ---";
  hostSend(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(summary.c_str()));
}

// --- the host's reactions, on the tab strip ---------------------------------------------------

void onVariableSelected(Host& host, const NMTREEVIEWA& change) {
  const WindowTree& t = host.tree();
  const auto index = static_cast<size_t>(change.itemNew.lParam);
  const Variable* variable = index >= 1 && index <= gPage.shown.size() ? &gPage.shown[index - 1] : nullptr;
  hostSetText(t.variableValue, variable ? variable->value.c_str() : "");
  hostSetText(t.variableDescription, variable ? variable->description.c_str() : "");
  // A selection from outside (the plug-in's reader) may make the host refill meanwhile.
  if (change.action == TVC_UNKNOWN && variable != nullptr) {
    const int64_t refillAt = host.mode("refill-on-select");
    if (refillAt > 0 && ++gPage.selectsSinceFill == refillAt) {
      host.setMode("refill-on-select", 0);
      PostMessageA(gPage.tabs, kRefillMessage, static_cast<WPARAM>(gPage.level), 0);
    }
  }
}

void onStackOpened(Host& host) {
  HWND tree = host.tree().callStackTree;
  const auto item = reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  char text[260] = {};
  TVITEMA record{};
  record.mask = TVIF_TEXT;
  record.hItem = item;
  record.pszText = text;
  record.cchTextMax = sizeof text;
  if (item) hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record));
  host.journal().record(EntryBuilder("stack-open").add("text", text));
}

void onWatchKey(Host& host, const NMLVKEYDOWN& key) {
  if (key.wVKey != VK_DELETE) return;
  HWND list = host.tree().watchList;
  const auto row = static_cast<int>(hostSend(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0) return;
  const std::string text = listViewText(list, row, 0);
  hostSend(list, LVM_DELETEITEM, row, 0);
  host.journal().record(EntryBuilder("watch-deleted").add("index", static_cast<int64_t>(row)).add("text", text));
}

void onSearchOpened(Host& host, HWND box) {
  const auto row = static_cast<int>(hostSend(box, LB_GETCURSEL, 0, 0));
  host.journal().record(EntryBuilder("search-open")
                            .add("list", box == host.tree().searchList1 ? "1182" : "1183")
                            .add("index", static_cast<int64_t>(row)));
}

bool isPageControl(const WindowTree& t, HWND control) {
  return control != nullptr && (control == t.callStackTree || control == t.variablesTree || control == t.watchList ||
                                control == t.stackLevelCombo || control == t.searchList1 || control == t.searchList2);
}

// The notifications of these controls are the debugging and search pages' own business: they are
// answered here and go no further (the strip's own procedure would hand them to the main window).
LRESULT CALLBACK tabStripProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Host& host = Host::instance();
  const WindowTree& t = host.tree();
  if (message == WM_NOTIFY && lParam != 0 && isPageControl(t, reinterpret_cast<const NMHDR*>(lParam)->hwndFrom)) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom == t.variablesTree && header->code == TVN_SELCHANGEDA)
      onVariableSelected(host, *reinterpret_cast<const NMTREEVIEWA*>(lParam));
    else if (header->hwndFrom == t.callStackTree && header->code == NM_DBLCLK)
      onStackOpened(host);
    else if (header->hwndFrom == t.watchList && header->code == LVN_KEYDOWN)
      onWatchKey(host, *reinterpret_cast<const NMLVKEYDOWN*>(lParam));
    return 0;
  }
  if (message == WM_COMMAND && isPageControl(t, reinterpret_cast<HWND>(lParam))) {
    const auto from = reinterpret_cast<HWND>(lParam);
    if (from == t.stackLevelCombo && HIWORD(wParam) == CBN_SELCHANGE) {
      const auto level = static_cast<int>(hostSend(t.stackLevelCombo, CB_GETCURSEL, 0, 0));
      host.journal().record(EntryBuilder("stack-level").add("level", static_cast<int64_t>(level)));
      if (level >= 0) fillVariables(host, level);
    } else if ((from == t.searchList1 || from == t.searchList2) && HIWORD(wParam) == LBN_DBLCLK) {
      onSearchOpened(host, from);
    }
    return 0;
  }
  if (message == kRefillMessage) {
    if (!gPage.shown.empty()) fillVariables(host, static_cast<int>(wParam));
    return 0;
  }
  return CallWindowProcA(gPage.tabProcedure, window, message, wParam, lParam);
}

void setUp(Host& host) {
  const WindowTree& t = host.tree();
  gPage = PausedPage{};
  gPage.tabs = t.bottomTabs;
  gPage.tabProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(t.bottomTabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tabStripProcedure)));
  // A library's keys and clicks on these controls are its own input, journaled as ctl-msg.
  journalAlso(t.stackLevelCombo, {WM_KEYDOWN});
  journalAlso(t.watchList, {WM_KEYDOWN});
  journalAlso(t.callStackTree, {WM_LBUTTONDBLCLK});
  journalAlso(t.searchList1, {WM_LBUTTONDBLCLK});
  journalAlso(t.searchList2, {WM_LBUTTONDBLCLK});
}

void tearDown(Host&) { gPage = PausedPage{}; }

// --- actions ------------------------------------------------------------------------------------

ActionResult pauseAction(Host& host, const ActionArgs&) {
  pausePage(host);
  return ActionResult::success();
}

ActionResult resumeAction(Host& host, const ActionArgs&) {
  resumePage(host);
  return ActionResult::success();
}

ActionResult refillAction(Host& host, const ActionArgs& args) {
  fillVariables(host, static_cast<int>(args.number(0, gPage.level)));
  return ActionResult::success();
}

ActionResult watchAddAction(Host& host, const ActionArgs& args) {
  if (args.text(0).empty()) return ActionResult::failure("watch-add EXPRESSION [TYPE] [VALUE]");
  addWatch(host, args.text(0), args.count() > 1 ? args.text(1) : "整数型", args.count() > 2 ? args.text(2) : "0");
  return ActionResult::success();
}

ActionResult watchSelectAction(Host& host, const ActionArgs& args) {
  LVITEMA state{};
  state.mask = LVIF_STATE;
  state.state = LVIS_SELECTED;
  state.stateMask = LVIS_SELECTED;
  hostSend(host.tree().watchList, LVM_SETITEMSTATE, static_cast<WPARAM>(args.number(0, 0)),
           reinterpret_cast<LPARAM>(&state));
  return ActionResult::success();
}

// LVM_SETITEMA as a careless host may send it: without LVIF_TEXT (mask=N) or with a callback text.
ActionResult watchSetAction(Host& host, const ActionArgs& args) {
  if (args.count() < 3) return ActionResult::failure("watch-set ROW COLUMN TEXT [mask=N] [callback=1]");
  LVITEMA item{};
  item.mask = static_cast<UINT>(args.optionNumber("mask", LVIF_TEXT));
  item.iItem = static_cast<int>(args.number(0));
  item.iSubItem = static_cast<int>(args.number(1));
  std::string text = args.text(2);
  item.pszText = args.optionNumber("callback") == 1 ? LPSTR_TEXTCALLBACKA : text.data();
  hostSend(host.tree().watchList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return ActionResult::success();
}

ActionResult watchClearAction(Host& host, const ActionArgs&) {
  hostSend(host.tree().watchList, LVM_DELETEALLITEMS, 0, 0);
  return ActionResult::success();
}

ActionResult searchAction(Host& host, const ActionArgs& args) {
  const auto list = static_cast<int>(args.number(0, 0));
  if (list != 1 && list != 2) return ActionResult::failure("search 1|2 [COUNT] [TERM]");
  search(host, list, static_cast<int>(args.number(1, 3)), args.count() > 2 ? args.text(2) : "计次循环首");
  return ActionResult::success();
}

ActionResult tipAction(Host& host, const ActionArgs& args) {
  std::string text = args.text(0);
  if (args.count() > 1) text += "\r\n" + args.text(1);
  hostSetText(host.tree().tipsBox, text.c_str());
  hostSend(host.tree().tipsBox, EM_SCROLLCARET, 0, 0);
  return ActionResult::success();
}

int32_t watchFunction(Host& host, int32_t, int32_t) {
  addWatch(host, "全局计数", "整数型", "3");
  return 1;
}

int32_t searchFunction(Host& host, int32_t, int32_t) {
  search(host, 1, 3, "计次循环首");
  return 1;
}

void searchInModules(Host& host, WPARAM) { search(host, 2, 3, "取文本长度"); }

const ActionRegistration kRegistrations[] = {
    {"pause-page",
     "pause-page: the host's paused page: 1224 with three levels, 1167 at level 0, 1109 filled for level 0, the watch "
     "values updated",
     &pauseAction},
    {"resume-page", "resume-page: 1224 and 1109 emptied (TVM_DELETEITEM TVI_ROOT), 1167 reset", &resumeAction},
    {"variables-refill", "variables-refill [LEVEL]: 1109 emptied and refilled for LEVEL (the current one)",
     &refillAction},
    {"watch-add", "watch-add EXPRESSION [TYPE] [VALUE]: the host adds a watch (insert, then cells 1-3)",
     &watchAddAction},
    {"watch-select", "watch-select ROW: the host selects a row of its watch list (others stay selected)",
     &watchSelectAction},
    {"watch-set", "watch-set ROW COLUMN TEXT [mask=N] [callback=1]: LVM_SETITEMA as the host sends it",
     &watchSetAction},
    {"watch-clear", "watch-clear: LVM_DELETEALLITEMS on the watch list", &watchClearAction},
    {"search", "search 1|2 [COUNT] [TERM]: a search into list 1182 or 1183: COUNT lines, then the summary",
     &searchAction},
    {"tip", "tip TEXT [SECOND]: the tips box text (SECOND after CR LF), then EM_SCROLLCARET", &tipAction},
};

const IdeFunctionRegistration kIdeFunctions[] = {
    {kWatchFunction, "查看变量表达式", &watchFunction},
    {kSearchFunction, "整体搜寻", &searchFunction},
};
const CommandRegistration kSearchCommand{kSearchInModulesCommand, &searchInModules};
const TreeSetupRegistration kSetup{"paused page", &setUp};
const TeardownRegistration kTeardown{"paused page", &tearDown};

}  // namespace

void showPausedPage(Host& host) { pausePage(host); }
void clearPausedPage(Host& host) { resumePage(host); }

}  // namespace standin
