// The support-library tree 1022 and the tips box 1001 as the host fills them: the sample
// libraries (every image of the library icon table and one without an icon), filled again on
// request (after notification 1 and when a project opens the host empties and refills it), the
// tips text set synchronously when an item is selected (then EM_SCROLLCARET), and bulk fills.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

HWND libraryTree() { return Host::instance().tree().libraryTree; }

HTREEITEM insertItem(HWND tree, HTREEITEM parent, const std::string& text, int image) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  return reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// What the tips box says for an item: the name, the library and the category it is in.
std::map<HTREEITEM, std::string> gTips;

void add(HWND tree, HTREEITEM parent, const std::string& text, int image, const std::string& tip) {
  HTREEITEM item = insertItem(tree, parent, text, image);
  if (item) gTips[item] = tip;
}

std::string commandTip(const std::string& name, const std::string& library, const std::string& category) {
  return "调用格式： 〈无返回值〉 " + name + " （） - " + library + "->" + category + "\r\n英文名称：" + name + "\r\n" +
         name + "的说明。";
}

void fillSample(HWND tree) {
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  gTips.clear();
  const std::string self = "Tovalux IDE";
  HTREEITEM library = insertItem(tree, nullptr, self, 0);
  gTips[library] = self + "\r\n版本：1.0\r\n集成开发环境的外观与调试辅助。";
  HTREEITEM aids = insertItem(tree, library, "调试辅助", 1);
  gTips[aids] = "调试辅助";
  for (const char* name : {"Tovalux_反汇编_OD", "Tovalux_反汇编_BE"})
    add(tree, aids, name, 2, commandTip(name, self, "调试辅助"));

  const std::string core = "演示核心库";
  HTREEITEM coreItem = insertItem(tree, nullptr, core, 0);
  gTips[coreItem] = core + "\r\n版本：3.1\r\n演示用的核心支持库。";
  HTREEITEM flow = insertItem(tree, coreItem, "流程控制", 1);
  gTips[flow] = "流程控制";
  for (const char* name : {"如果", "判断", "计次循环首"}) add(tree, flow, name, 2, commandTip(name, core, "流程控制"));
  HTREEITEM window = insertItem(tree, coreItem, "窗口", 3);
  gTips[window] = "窗口";
  const std::pair<const char*, int> windowEntries[] = {{"左边", 8},  {"创建完毕", 4}, {"取窗口句柄", 28},
                                                       {"标记", 12}, {"数据", 17},    {"属性组", 14}};
  for (const auto& [name, image] : windowEntries) add(tree, window, name, image, commandTip(name, core, "窗口"));
  HTREEITEM types = insertItem(tree, coreItem, "数据类型", 5);
  gTips[types] = "数据类型";
  HTREEITEM constants = insertItem(tree, coreItem, "常量", 6);
  gTips[constants] = "常量";
  for (const char* name : {"#真", "#假"}) add(tree, constants, name, 7, commandTip(name, core, "常量"));
  const std::pair<const char*, int> typeEntries[] = {{"#常量一", 9}, {"分支", 10},   {"局部", 11},
                                                     {"分隔", 23},   {"程序", 24},   {"标签甲", 25},
                                                     {"标签乙", 26}, {"数据库", 30}, {"无图标项", 13}};
  for (const auto& [name, image] : typeEntries) add(tree, types, name, image, commandTip(name, core, "数据类型"));
}

ActionResult fill(Host&, const ActionArgs&) {
  HWND tree = libraryTree();
  if (!tree) return ActionResult::failure("no library tree");
  fillSample(tree);
  return ActionResult::success();
}

// N entries: libraries of 1,000 entries in categories of 50, one burst after TVI_ROOT's delete.
ActionResult bulk(Host&, const ActionArgs& args) {
  HWND tree = libraryTree();
  if (!tree) return ActionResult::failure("no library tree");
  const int64_t count = args.number(0, 30000);
  if (count < 1 || count > 200000) return ActionResult::failure("library-tree-bulk N (1..200000) [clear=0]");
  if (args.optionNumber("clear", 1) != 0) hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  gTips.clear();
  HTREEITEM library = nullptr, category = nullptr;
  for (int64_t i = 0; i < count; ++i) {
    if (i % 1000 == 0) {
      library = insertItem(tree, nullptr, "支持库" + std::to_string(i / 1000), 0);
    } else if (i % 50 == 1) {
      category = insertItem(tree, library, "分类" + std::to_string(i / 50), 1);
    } else {
      insertItem(tree, category, "命令" + std::to_string(i), 2);
    }
  }
  return ActionResult::success();
}

ActionResult clear(Host&, const ActionArgs&) {
  HWND tree = libraryTree();
  if (!tree) return ActionResult::failure("no library tree");
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  gTips.clear();
  return ActionResult::success();
}

// The host deletes one item (any delete empties a library's mirror).
ActionResult deleteOne(Host&, const ActionArgs& args) {
  HWND tree = libraryTree();
  if (!tree) return ActionResult::failure("no library tree");
  const std::string& text = args.text(0);
  HTREEITEM found = nullptr;
  for (const auto& [item, tip] : gTips) {
    char buffer[260] = {};
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = buffer;
    request.cchTextMax = sizeof buffer;
    if (hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request)) && text == buffer) found = item;
  }
  if (!found) return ActionResult::failure("library-tree-delete TEXT: no item " + text);
  gTips.erase(found);
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(found));
  return ActionResult::success();
}

// The tips box follows a selection at once: set before TVM_SELECTITEM returns, then
// EM_SCROLLCARET. With the mode library-tip-length N the text is N characters long.
void showTip(HTREEITEM item) {
  Host& host = Host::instance();
  std::string text;
  if (const int64_t length = host.mode("library-tip-length"); length > 0) {
    // Lines of 78 characters and CR LF, as long help texts come.
    while (text.size() < static_cast<size_t>(length))
      text += (text.size() % 80 == 78) ? '\r' : (text.size() % 80 == 79 ? '\n' : 'x');
  } else if (const auto found = gTips.find(item); found != gTips.end()) {
    text = found->second;
  }
  hostSetText(host.tree().tipsBox, text.c_str());
  hostSend(host.tree().tipsBox, EM_SCROLLCARET, 0, 0);
}

WNDPROC gPanelProcedure = nullptr;
LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->hwndFrom == libraryTree() && header->code == TVN_SELCHANGEDA) {
      showTip(reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemNew.hItem);
      return 0;
    }
  }
  return CallWindowProcA(gPanelProcedure, window, message, wParam, lParam);
}

void setUp(Host& host) {
  if (HWND panel = host.tree().leftContainer)
    gPanelProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&panelProcedure)));
}

void tearDown(Host&) {
  gPanelProcedure = nullptr;
  gTips.clear();
}

const ActionRegistration kRegistrations[] = {
    {"library-tree-fill", "library-tree-fill: TVI_ROOT deleted, then the sample libraries inserted (tree 1022)", &fill},
    {"library-tree-bulk",
     "library-tree-bulk N [clear=0]: TVI_ROOT deleted (unless clear=0), then N entries in one burst", &bulk},
    {"library-tree-clear", "library-tree-clear: TVI_ROOT deleted", &clear},
    {"library-tree-delete", "library-tree-delete TEXT: the host deletes that one item", &deleteOne},
};

const TreeSetupRegistration kSetup{"libraries", &setUp};
const TeardownRegistration kTeardown{"libraries", &tearDown};

}  // namespace
}  // namespace standin
