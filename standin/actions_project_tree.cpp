// The program tree 1019 as the host fills and changes it: opening the sample project (the
// host's order: delete of TVI_ROOT, pre-order inserts with a null parent for the root, expansion
// of the root and the categories), the IDE functions that add program elements, the commands
// that act on the selected item (go to, delete, folders, tidy, refresh), adding a module
// reference, hostile inserts and bulk fills. Every command of this area journals the item the
// tree had selected when it arrived ("program-command"), which shows what a library selected
// before it sent the command.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "control_traffic.h"
#include "standin_host.h"

namespace standin {
namespace {

constexpr int kImageClass = 0;
constexpr int kImageGlobal = 1;
constexpr int kImageSubProgram = 2;
constexpr int kImageAssembly = 3;
constexpr int kImageDll = 4;
constexpr int kImageWindow = 6;
constexpr int kImageRoot = 8;
constexpr int kImageConstant = 9;
constexpr int kImageSound = 10;
constexpr int kImagePicture = 11;
constexpr int kImagePackage = 12;
constexpr int kImageModule = 13;
constexpr int kImageModuleTable = 14;
constexpr int kImageExternal = 15;
constexpr int kImageFolder = 16;

constexpr char kRootText[] = "程序数据";
constexpr char kCallbackText[] = "回调文本项";

// One item as the tree holds it, with its children: what a rebuild re-inserts.
struct Node {
  std::string text;
  int image = 0;
  bool expanded = false;
  std::vector<Node> children;
};

HWND programTree() { return Host::instance().tree().programTree; }

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

HTREEITEM relative(HWND tree, UINT relation, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(hostSend(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::string itemText(HWND tree, HTREEITEM item) {
  char text[260] = {};
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  if (!hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request))) return {};
  text[sizeof text - 1] = '\0';
  return request.pszText == text ? std::string(text) : std::string();
}

int itemImage(HWND tree, HTREEITEM item) {
  TVITEMA request{};
  request.mask = TVIF_IMAGE;
  request.hItem = item;
  return hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request)) ? request.iImage : -1;
}

bool itemExpanded(HWND tree, HTREEITEM item) {
  return (hostSend(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void expand(HWND tree, HTREEITEM item) { hostSend(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }

std::vector<Node> snapshot(HWND tree, HTREEITEM first) {
  std::vector<Node> nodes;
  for (HTREEITEM item = first; item; item = relative(tree, TVGN_NEXT, item)) {
    Node node{itemText(tree, item), itemImage(tree, item), itemExpanded(tree, item), {}};
    node.children = snapshot(tree, relative(tree, TVGN_CHILD, item));
    nodes.push_back(std::move(node));
  }
  return nodes;
}

void insertNodes(HWND tree, HTREEITEM parent, const std::vector<Node>& nodes, std::vector<HTREEITEM>& expandLater) {
  for (const Node& node : nodes) {
    HTREEITEM item = insertItem(tree, parent, node.text, node.image);
    if (node.expanded) expandLater.push_back(item);
    insertNodes(tree, item, node.children, expandLater);
  }
}

// The host rebuilds: TVI_ROOT deleted, everything inserted again in pre-order, then the items
// that were expanded expanded again.
void rebuild(HWND tree, const std::vector<Node>& nodes) {
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  std::vector<HTREEITEM> expandLater;
  insertNodes(tree, nullptr, nodes, expandLater);
  for (HTREEITEM item : expandLater) expand(tree, item);
}

Node leaf(const char* text, int image) { return {text, image, false, {}}; }

std::vector<Node> sampleProject() {
  Node root{kRootText, kImageRoot, true, {}};
  root.children = {
      {"窗口程序集_启动窗口",
       kImageAssembly,
       false,
       {leaf("_启动窗口_创建完毕", kImageSubProgram), leaf("_按钮1_被单击", kImageSubProgram)}},
      {"程序集1", kImageAssembly, false, {leaf("子程序1", kImageSubProgram)}},
      {"类_演示", kImageClass, false, {leaf("_初始化", kImageSubProgram)}},
      {"全局变量", kImageGlobal, true, {leaf("全局计数", kImageGlobal), leaf("全局名称", kImageGlobal)}},
      {"自定义数据类型", kImageClass, true, {leaf("坐标", kImageClass)}},
      {"Dll命令", kImageDll, true, {leaf("信息框A", kImageDll)}},
      {"窗口", kImageWindow, true, {leaf("_启动窗口", kImageWindow)}},
      leaf("常量表...", kImageConstant),
      leaf("图片或图片组...", kImagePicture),
      leaf("声音...", kImageSound),
      {"模块引用表", kImageModuleTable, false, {leaf("示例模块.ec", kImageModule)}},
      {"分类文件夹1", kImageFolder, false, {leaf("程序集2", kImageAssembly)}},
      leaf("资源包", kImagePackage),
      {"外部文件记录表", kImageExternal, false, {leaf("readme.txt", kImageExternal)}},
  };
  return {root};
}

// Direct children of the root by text.
HTREEITEM category(HWND tree, const std::string& text) {
  HTREEITEM root = relative(tree, TVGN_ROOT, nullptr);
  for (HTREEITEM item = relative(tree, TVGN_CHILD, root); item; item = relative(tree, TVGN_NEXT, item))
    if (itemText(tree, item) == text) return item;
  return nullptr;
}

int gCounter = 0;

// A new element: inserted under its category (the root when it has none), the parent expanded.
void newElement(const std::string& under, const std::string& name, int image) {
  HWND tree = programTree();
  if (!tree || hostSend(tree, TVM_GETCOUNT, 0, 0) < 2) return;
  HTREEITEM parent = under.empty() ? relative(tree, TVGN_ROOT, nullptr) : category(tree, under);
  if (!parent) parent = relative(tree, TVGN_ROOT, nullptr);
  insertItem(tree, parent, name + std::to_string(++gCounter), image);
  expand(tree, parent);
}

int32_t newDataType(Host&, int32_t, int32_t) { return newElement("自定义数据类型", "数据类型", kImageClass), 1; }
int32_t newGlobal(Host&, int32_t, int32_t) { return newElement("全局变量", "全局变量", kImageGlobal), 1; }
int32_t newDll(Host&, int32_t, int32_t) { return newElement("Dll命令", "Dll命令", kImageDll), 1; }
int32_t newAssembly(Host&, int32_t, int32_t) { return newElement("", "程序集", kImageAssembly), 1; }
int32_t newPicture(Host&, int32_t, int32_t) { return newElement("图片或图片组...", "图片", kImagePicture), 1; }
int32_t newWindow(Host&, int32_t, int32_t) { return newElement("窗口", "窗口", kImageWindow), 1; }
int32_t newClass(Host&, int32_t, int32_t) { return newElement("", "类模块", kImageClass), 1; }
int32_t prepareLongText(Host&, int32_t, int32_t) { return 1; }
int32_t newLongText(Host&, int32_t, int32_t) { return newElement("常量表...", "长文本常量", kImageConstant), 1; }

// 0x02020087: p1 the .ec path, p2 the int the host writes its answer to (nonzero: added).
int32_t addModuleReference(Host& host, int32_t pathAddress, int32_t resultAddress) {
  HWND tree = programTree();
  auto* result = reinterpret_cast<int32_t*>(static_cast<intptr_t>(resultAddress));
  const char* path = reinterpret_cast<const char*>(static_cast<intptr_t>(pathAddress));
  const bool open = tree && path && hostSend(tree, TVM_GETCOUNT, 0, 0) >= 2;
  host.journal().record(EntryBuilder("module-reference").add("path", path ? path : "").add("added", open ? 1 : 0));
  // silent-queries: the host leaves the answer slot as it found it.
  if (!open) {
    if (result && !host.mode("silent-queries")) *result = 0;
    return 0;
  }
  std::string name(path);
  if (const size_t slash = name.find_last_of("\\/"); slash != std::string::npos) name = name.substr(slash + 1);
  HTREEITEM table = category(tree, "模块引用表");
  if (!table) table = insertItem(tree, relative(tree, TVGN_ROOT, nullptr), "模块引用表", kImageModuleTable);
  insertItem(tree, table, name, kImageModule);
  expand(tree, table);
  if (result && !host.mode("silent-queries")) *result = 1;
  return 1;
}

// --- commands on the selected item ----------------------------------------------------------------

HTREEITEM selected(HWND tree) { return relative(tree, TVGN_CARET, nullptr); }

void journalCommand(Host& host, WPARAM id) {
  HWND tree = programTree();
  HTREEITEM item = tree ? selected(tree) : nullptr;
  host.journal().record(EntryBuilder("program-command")
                            .addHex("id", static_cast<uint32_t>(LOWORD(id)))
                            .add("selected", item ? itemText(tree, item) : std::string())
                            .add("item", handleNumber(item)));
}

// 0x8019 on a table entry (under "全局变量", "自定义数据类型" or "Dll命令"): the host brings the
// table's page forward, opened when needed, with the caret on the entry's row.
void goTo(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  HTREEITEM item = tree ? selected(tree) : nullptr;
  HTREEITEM parent = item ? relative(tree, TVGN_PARENT, item) : nullptr;
  if (!parent) return;
  const std::string category = itemText(tree, parent);
  const char* title = category == "全局变量"         ? "全局变量表"
                      : category == "自定义数据类型" ? "自定义数据类型表"
                      : category == "Dll命令"        ? "Dll命令定义表"
                                                     : nullptr;
  if (!title) return;
  if (const PageRecord* page = host.model().pageByTitle(title))
    hostSend(host.tree().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(page->window), 0);
  else if (!host.runAction(std::string("page-open ") + title).ok)
    return;
  int row = 0;
  for (HTREEITEM entry = relative(tree, TVGN_CHILD, parent); entry && entry != item;
       entry = relative(tree, TVGN_NEXT, entry))
    ++row;
  if (PageRecord* page = host.model().page(host.model().activePage)) {
    page->caretRow = row;
    page->caretColumn = 0;
  }
  host.journal().record(EntryBuilder("go-to").add("page", title).add("row", row));
  host.updateCaption();
}

void deleteSelected(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  if (HTREEITEM item = tree ? selected(tree) : nullptr)
    hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void newFolder(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  HTREEITEM item = tree ? selected(tree) : nullptr;
  if (!item) return;
  insertItem(tree, item, "分类文件夹" + std::to_string(++gCounter), kImageFolder);
  expand(tree, item);
}

void deleteFolder(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  HTREEITEM item = tree ? selected(tree) : nullptr;
  if (item && itemImage(tree, item) == kImageFolder) hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

// Visits the snapshot in the tree's pre-order; `path` finds the selected item's node.
Node* nodeAt(std::vector<Node>& nodes, const std::vector<size_t>& path) {
  Node* node = nullptr;
  std::vector<Node>* level = &nodes;
  for (size_t index : path) {
    if (index >= level->size()) return nullptr;
    node = &(*level)[index];
    level = &node->children;
  }
  return node;
}

std::vector<size_t> pathOf(HWND tree, HTREEITEM item) {
  std::vector<size_t> path;
  while (item) {
    HTREEITEM parent = relative(tree, TVGN_PARENT, item);
    size_t index = 0;
    for (HTREEITEM sibling = parent ? relative(tree, TVGN_CHILD, parent) : relative(tree, TVGN_ROOT, nullptr);
         sibling && sibling != item; sibling = relative(tree, TVGN_NEXT, sibling))
      ++index;
    path.insert(path.begin(), index);
    item = parent;
  }
  return path;
}

std::string gFolderName = "新文件夹";

void renameFolder(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  HTREEITEM item = tree ? selected(tree) : nullptr;
  if (!item || itemImage(tree, item) != kImageFolder) return;
  std::vector<Node> nodes = snapshot(tree, relative(tree, TVGN_ROOT, nullptr));
  if (Node* node = nodeAt(nodes, pathOf(tree, item))) node->text = gFolderName;
  rebuild(tree, nodes);
}

void sortFolders(std::vector<Node>& nodes) {
  std::stable_sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
    if (a.image != kImageFolder || b.image != kImageFolder) return false;
    return a.text < b.text;
  });
  for (Node& node : nodes) sortFolders(node.children);
}

void tidyFolders(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  if (!tree) return;
  std::vector<Node> nodes = snapshot(tree, relative(tree, TVGN_ROOT, nullptr));
  // The folders among the root's children come first, by name; the rest keep their order.
  for (Node& root : nodes) {
    std::stable_partition(root.children.begin(), root.children.end(),
                          [](const Node& node) { return node.image == kImageFolder; });
    sortFolders(root.children);
  }
  rebuild(tree, nodes);
}

void refreshModules(Host& host, WPARAM id) {
  journalCommand(host, id);
  HWND tree = programTree();
  if (tree) rebuild(tree, snapshot(tree, relative(tree, TVGN_ROOT, nullptr)));
}

// --- actions ----------------------------------------------------------------------------------

ActionResult openSample(Host& host, const ActionArgs&) {
  HWND tree = programTree();
  if (!tree) return ActionResult::failure("no program tree");
  // The library tree is filled again when a project opens.
  if (!host.runAction("library-tree-fill").ok) return ActionResult::failure("library-tree-fill failed");
  rebuild(tree, sampleProject());
  return ActionResult::success();
}

ActionResult closeSample(Host&, const ActionArgs&) {
  HWND tree = programTree();
  if (!tree) return ActionResult::failure("no program tree");
  hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  return ActionResult::success();
}

ActionResult folderName(Host&, const ActionArgs& args) {
  if (args.text(0).empty()) return ActionResult::failure("program-folder-name NAME");
  gFolderName = args.text(0);
  return ActionResult::success();
}

// The host items program-tree-insert found by their text, kept after they are gone.
std::map<std::string, HTREEITEM> gParents;

// The first item with this text, in pre-order.
HTREEITEM findByText(HWND tree, HTREEITEM first, const std::string& text) {
  for (HTREEITEM item = first; item; item = relative(tree, TVGN_NEXT, item)) {
    if (itemText(tree, item) == text) return item;
    if (HTREEITEM below = findByText(tree, relative(tree, TVGN_CHILD, item), text)) return below;
  }
  return nullptr;
}

// program-tree-insert PARENT TEXT [image=N]: one item under the first item with PARENT's text (""
// for the top level). A PARENT no longer in the tree but found by an earlier insert gives its old
// handle, as a host sends it for an item it deleted meanwhile.
ActionResult insertOne(Host& host, const ActionArgs& args) {
  HWND tree = programTree();
  if (!tree || args.count() < 2) return ActionResult::failure("program-tree-insert PARENT TEXT [image=N]");
  const std::string& parentText = args.text(0);
  HTREEITEM parent = nullptr;
  if (!parentText.empty()) {
    parent = findByText(tree, relative(tree, TVGN_ROOT, nullptr), parentText);
    if (parent)
      gParents[parentText] = parent;
    else if (const auto known = gParents.find(parentText); known != gParents.end())
      parent = known->second;
    else
      return ActionResult::failure("no item \"" + parentText + "\"");
  }
  HTREEITEM item = insertItem(tree, parent, args.text(1), static_cast<int>(args.optionNumber("image", 2)));
  host.journal().record(EntryBuilder("tree-inserted")
                            .add("text", args.text(1))
                            .add("parent", handleNumber(parent))
                            .add("item", handleNumber(item)));
  return ActionResult::success();
}

// An insert under the root as a careless host writes it.
ActionResult hostileInsert(Host&, const ActionArgs& args) {
  HWND tree = programTree();
  if (!tree) return ActionResult::failure("no program tree");
  HTREEITEM root = relative(tree, TVGN_ROOT, nullptr);
  const std::string& kind = args.text(0);
  std::string text = args.text(1).empty() ? "敌意项" : args.text(1);
  TVINSERTSTRUCTA insert{};
  insert.hParent = root;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
  insert.item.pszText = text.data();
  insert.item.iImage = static_cast<int>(args.optionNumber("image", kImageAssembly));
  if (kind == "callback") {
    insert.item.pszText = LPSTR_TEXTCALLBACKA;
  } else if (kind == "null-text") {
    insert.item.pszText = nullptr;
  } else if (kind == "no-text") {
    insert.item.mask = TVIF_IMAGE;  // the text field holds a pointer no one may read
    insert.item.pszText = reinterpret_cast<char*>(static_cast<intptr_t>(0x10));
  } else if (kind == "no-image") {
    insert.item.mask = TVIF_TEXT;
    insert.item.iImage = 6;  // garbage: the host keeps image 0
  } else if (kind == "root-parent") {
    insert.hParent = TVI_ROOT;
  } else {
    return ActionResult::failure("program-tree-hostile callback|null-text|no-text|no-image|root-parent [TEXT]");
  }
  hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  return ActionResult::success();
}

// N items spread over N/100 assemblies under the root (one burst, as opening a large project).
ActionResult bulkInsert(Host&, const ActionArgs& args) {
  HWND tree = programTree();
  if (!tree) return ActionResult::failure("no program tree");
  const int64_t count = args.number(0, 10000);
  if (count < 1 || count > 200000) return ActionResult::failure("program-tree-bulk N (1..200000)");
  HTREEITEM root = relative(tree, TVGN_ROOT, nullptr);
  if (!root) root = insertItem(tree, nullptr, kRootText, kImageRoot);
  HTREEITEM group = nullptr;
  for (int64_t i = 0; i < count; ++i) {
    if (i % 100 == 0) {
      group = insertItem(tree, root, "程序集_" + std::to_string(i / 100), kImageAssembly);
      continue;
    }
    insertItem(tree, group, "子程序_" + std::to_string(i), kImageSubProgram);
  }
  return ActionResult::success();
}

// Answers the text of callback items ("回调文本项") the way the host's panel does.
WNDPROC gPanelProcedure = nullptr;
LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->hwndFrom == programTree() && header->code == TVN_GETDISPINFOA) {
      auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
      if ((info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0)
        lstrcpynA(info->item.pszText, kCallbackText, info->item.cchTextMax);
      return 0;
    }
  }
  return CallWindowProcA(gPanelProcedure, window, message, wParam, lParam);
}

void setUp(Host& host) {
  HWND panel = host.tree().leftContainer;
  if (panel)
    gPanelProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&panelProcedure)));
}

void tearDown(Host&) {
  gPanelProcedure = nullptr;
  gParents.clear();
  gCounter = 0;
  gFolderName = "新文件夹";
}

const ActionRegistration kRegistrations[] = {
    {"project-open-sample",
     "project-open-sample: the host opens the sample project: library tree refilled, then the program tree "
     "(TVI_ROOT deleted, pre-order inserts, root and categories expanded)",
     &openSample},
    {"project-close-sample", "project-close-sample: the program tree's TVI_ROOT deleted", &closeSample},
    {"program-folder-name", "program-folder-name NAME: the name the next rename (0x80E8) gives the folder",
     &folderName},
    {"program-tree-hostile",
     "program-tree-hostile callback|null-text|no-text|no-image|root-parent [TEXT] [image=N]: an insert under "
     "the root as a careless host writes it",
     &hostileInsert},
    {"program-tree-bulk", "program-tree-bulk N: N items in groups of 100 under the root, in one burst", &bulkInsert},
    {"program-tree-insert",
     "program-tree-insert PARENT TEXT [image=N]: an item under the first item named PARENT (\"\" the top level; a "
     "PARENT gone since an earlier insert: its old handle)",
     &insertOne},
};

const IdeFunctionRegistration kIdeFunctions[] = {
    {0x0202000A, "new data type", &newDataType},
    {0x0202000B, "new global variable", &newGlobal},
    {0x0202000C, "new DLL command", &newDll},
    {0x0202000D, "new assembly", &newAssembly},
    {0x02020011, "new picture resource", &newPicture},
    {0x02020037, "new window", &newWindow},
    {0x0202006A, "new class module", &newClass},
    {0x0402000B, "prepare long-text constant", &prepareLongText},
    {0x0202007E, "new long-text constant", &newLongText},
    {0x02020087, "add module reference", &addModuleReference},
};

const CommandRegistration kCommands[] = {
    {0x8019, &goTo},         {0x801B, &deleteSelected}, {0x80BB, &refreshModules}, {0x80E6, &newFolder},
    {0x80E7, &deleteFolder}, {0x80E8, &renameFolder},   {0x80EA, &tidyFolders},
};

const TreeSetupRegistration kSetup{"project-tree", &setUp};
const TeardownRegistration kTeardown{"project-tree", &tearDown};

}  // namespace
}  // namespace standin
