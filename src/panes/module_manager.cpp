#include "panes/module_manager.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "base/gbk.h"
#include "base/guard.h"
#include "base/ui_seams.h"
#include "host/host_paths.h"
#include "host/host_protocol.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "panes/module_manager_file.h"
#include "panes/module_manager_rules.h"
#include "shell/part.h"
#include "shell/shell.h"
#include "shell/toolbar_builder.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using namespace modules;

constexpr char kFolderMark[] = "1";
constexpr int kLabel = 1;  // name2
constexpr int kData = 2;   // name3

struct State {
  HELE tree = 0;
  HELE toolBar = 0;
  HWINDOW nameWindow = 0;
  HTEMP emptyFolderTemplate = 0;
  HTEMP moduleTemplate = 0;
  DigestRegistry digests;
};

State& state() {
  static State s;
  return s;
}

XString toX(std::string_view gbk) {
  const std::u16string wide = gbkToUtf16(gbk);
  return XString(wide.begin(), wide.end());
}

std::string fromX(const XString& text) { return utf16ToGbk(std::u16string(text.begin(), text.end())); }

bool treeLive() { return XC_IsHXCGUI(state().tree, XC_TREE); }

std::string itemText(int id, int column) { return fromX(XTree_GetItemText(state().tree, id, column)); }

bool isFolderItem(int id) { return id > 0 && XTree_GetParentItem(state().tree, id) == 0; }

bool isModuleItem(int id) {
  return id > 0 && XTree_GetParentItem(state().tree, id) > 0 && itemText(id, kData) != kFolderMark;
}

std::vector<int> childrenOf(int parent) {
  std::vector<int> ids;
  for (int id = XTree_GetFirstChildItem(state().tree, parent); id >= 0; id = XTree_GetNextSiblingItem(state().tree, id))
    ids.push_back(id);
  return ids;
}

// The folder item's place among the top-level items: the position of its member in the file.
int positionOf(int folderItem) {
  int position = 0;
  for (int id : childrenOf(0)) {
    if (id == folderItem) return position;
    ++position;
  }
  return -1;
}

void message(const std::string& text, UINT icon) { showMessageBox(nullptr, text, "", MB_OK | icon); }

int askYesNoCancel(const std::string& text) {
  return showMessageBox(nullptr, text, "", MB_YESNOCANCEL | MB_ICONQUESTION);
}

int addFolderItem(const std::string& name) {
  State& s = state();
  const int id = XTree_InsertItemText(s.tree, toX("").c_str(), XC_ID_ROOT, XC_ID_LAST);
  if (id < 0) return -1;
  if (HIMAGE icon = XRes_GetImage(toX("Folder_new_16x.png").c_str())) XTree_SetItemImage(s.tree, id, 0, icon);
  XTree_SetItemText(s.tree, id, kLabel, toX(name).c_str());
  XTree_SetItemText(s.tree, id, kData, toX(kFolderMark).c_str());
  return id;
}

// Adds the module item for `path` under `folderItem` unless its file is missing or its content
// is listed already; answers the message for the user (empty when added).
std::string addModuleNode(int folderItem, const std::string& path, int* added = nullptr) {
  State& s = state();
  if (added) *added = -1;
  // No file (or a folder, or one that cannot be read) gives no digest.
  const std::string digest = fileDigest(path);
  if (digest.empty()) return missingModuleMessage(path);
  if (s.digests.contains(digest)) return duplicateModuleMessage(path, s.digests.holder(digest));
  const int id = XTree_InsertItemText(s.tree, toX("").c_str(), folderItem, XC_ID_LAST);
  if (id < 0) return {};
  if (HIMAGE icon = XRes_GetImage(toX("ec.png").c_str())) XTree_SetItemImage(s.tree, id, 0, icon);
  XTree_SetItemText(s.tree, id, kLabel, toX(fileNameOf(path)).c_str());
  XTree_SetItemText(s.tree, id, kData, toX(path).c_str());
  s.digests.add(id, digest, itemText(folderItem, kLabel));
  if (added) *added = id;
  return {};
}

void refreshTree() {
  XTree_RefreshData(state().tree);
  XEle_RedrawEle(state().tree, false);
}

ModuleList readList() { return readModuleList(readFileBytes(moduleListPath())); }

// The list as it must be before a change: refused (with the message) unless it may be written.
bool listForChange(ModuleList& list) {
  list = readList();
  if (list.writable()) return true;
  message(refusedChangeMessage(list), MB_ICONERROR);
  return false;
}

bool saveList(const ModuleList& list) {
  const std::string folder = hostPath("lib\\Tovalux");
  CreateDirectoryA(folder.c_str(), nullptr);
  if (saveFileAtomically(moduleListPath(), listText(list.document))) return true;
  message("模块列表文件 EcManager.json 保存失败, 原文件未改变.", MB_ICONERROR);
  return false;
}

// After a failed save the tree shows what the file holds.
void saveOrReload(const ModuleList& list) {
  if (!saveList(list)) reloadModuleTree();
}

// --- the name-entry window ------------------------------------------------------------------

void closeNameWindow() {
  State& s = state();
  if (XC_IsHWINDOW(s.nameWindow)) XWnd_CloseWindow(s.nameWindow);
  s.nameWindow = 0;
}

void onNameConfirmed() {
  State& s = state();
  if (!XC_IsHWINDOW(s.nameWindow) || !treeLive()) return;
  const HXCGUI edit = XC_GetObjectByID(s.nameWindow, 1);
  const std::string name = trimBlanks(XC_IsHXCGUI(edit, XC_EDIT) ? fromX(XEdit_GetText(static_cast<HELE>(edit))) : "");
  if (name.empty()) {
    message("分类名称不得为空", MB_ICONEXCLAMATION);
    return;
  }
  ModuleList list;
  if (!listForChange(list)) return;
  if (hasFolder(list.document, name)) {
    message("分类文件夹 < " + name + " > 已存在, 请换一个名称", MB_ICONEXCLAMATION);
    return;
  }
  if (!addFolder(list.document, name) || !saveList(list)) return;
  addFolderItem(name);
  refreshTree();
  closeNameWindow();
}

void openNameWindow() {
  State& s = state();
  if (!treeLive()) return;
  closeNameWindow();
  const HXCGUI window = XC_LoadLayout(toX("lib\\Tovalux\\Dark\\EcInsertWnd.xml").c_str(), shellFrame());
  if (!XC_IsHWINDOW(window)) return;
  s.nameWindow = static_cast<HWINDOW>(window);
  const HXCGUI confirm = XC_GetObjectByID(s.nameWindow, 2);
  if (XC_IsHXCGUI(confirm, XC_BUTTON)) {
    XBtn_SetText(static_cast<HELE>(confirm), toX("确定").c_str());
    XEle_RegEventC(confirm, XE_BNCLICK, [](bool*) {
      guarded(GuardSite::kToolkit, [] { onNameConfirmed(); });
      return 0;
    });
  }
  XWnd_AdjustLayout(s.nameWindow);
  XWnd_ShowWindow(s.nameWindow, SW_SHOW);
}

// --- the tool-bar commands ------------------------------------------------------------------

void collapseAll() {
  if (!treeLive()) return;
  for (int id : childrenOf(0)) XTree_ExpandItem(state().tree, id, false);
  refreshTree();
}

void addModules() {
  State& s = state();
  if (!treeLive()) return;
  const int folder = XTree_GetSelectItem(s.tree);
  if (!isFolderItem(folder)) {
    message("请选择一个要添加模块的分类文件夹", MB_ICONINFORMATION);
    return;
  }
  OpenFileRequest request;
  request.owner = shellFrameHwnd();
  request.title = "添加到易语言模块文件";
  request.filter = std::string("易语言模块（*.ec）\0*.ec\0\0", sizeof("易语言模块（*.ec）\0*.ec\0\0") - 1);
  request.multiSelect = true;
  const OpenFileAnswer answer = askOpenFiles(request);
  if (!answer.accepted || answer.paths.empty()) return;
  ModuleList list;
  if (!listForChange(list)) return;
  const int position = findFolder(list.document, positionOf(folder), itemText(folder, kLabel));
  if (position < 0) {
    message("分类文件夹 < " + itemText(folder, kLabel) + " > 已不在模块列表文件中, 请重新载入", MB_ICONEXCLAMATION);
    return;
  }
  std::string messages;
  bool changed = false;
  for (const std::string& path : answer.paths) {
    if (!isModulePath(path)) continue;
    int added = -1;
    const std::string text = addModuleNode(folder, path, &added);
    if (!text.empty()) messages += (messages.empty() ? "" : "\r\n") + text;
    if (added >= 0 && appendModule(list.document, position, path)) changed = true;
  }
  refreshTree();
  if (changed) saveOrReload(list);
  if (!messages.empty()) message(messages, MB_ICONEXCLAMATION);
}

void deleteFolder() {
  State& s = state();
  if (!treeLive()) return;
  const int folder = XTree_GetSelectItem(s.tree);
  if (!isFolderItem(folder)) {
    message("请选择一个要删除的分类文件夹", MB_ICONINFORMATION);
    return;
  }
  const int choice = askYesNoCancel(
      "是否仅从 Tovalux中移除文件夹及文件夹下的所有模块?\r\n[是] 仅移除文件夹和模块\r\n[否] "
      "移除文件夹和模块后，并删除本地模块");
  if (choice != IDYES && choice != IDNO) return;
  if (choice == IDNO &&
      showMessageBox(nullptr, "你确定[删除]该文件内的[所有本地模块文件]么?", "", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ModuleList list;
  if (!listForChange(list)) return;
  const int position = findFolder(list.document, positionOf(folder), itemText(folder, kLabel));
  // Only the modules the user saw under the folder are deleted from disk.
  std::vector<std::string> shown;
  for (int child : childrenOf(folder)) {
    shown.push_back(itemText(child, kData));
    s.digests.removeItem(child);
  }
  if (position >= 0) removeFolder(list.document, position);
  XTree_DeleteItem(s.tree, folder);
  refreshTree();
  if (choice == IDNO)
    for (const std::string& path : shown) DeleteFileA(path.c_str());
  if (position >= 0) saveOrReload(list);
}

void deleteModule() {
  State& s = state();
  if (!treeLive()) return;
  const int module = XTree_GetSelectItem(s.tree);
  if (!isModuleItem(module)) {
    message("请选择一个要删除的模块", MB_ICONINFORMATION);
    return;
  }
  const int choice =
      askYesNoCancel("是否仅从 Tovalux中移除该模块?\r\n[是] 仅移除模块\r\n[否] 移除模块后，并删除本地模块");
  if (choice != IDYES && choice != IDNO) return;
  if (choice == IDNO &&
      showMessageBox(nullptr, "你确定[删除]选中的的[本地模块文件]么?", "", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ModuleList list;
  if (!listForChange(list)) return;
  const int folder = XTree_GetParentItem(s.tree, module);
  const std::string path = itemText(module, kData);
  const int position = findFolder(list.document, positionOf(folder), itemText(folder, kLabel));
  const bool removed = position >= 0 && removeModule(list.document, position, path);
  s.digests.removeItem(module);
  XTree_DeleteItem(s.tree, module);
  refreshTree();
  if (choice == IDNO) DeleteFileA(path.c_str());
  if (removed) saveOrReload(list);
}

// --- the tree's events ----------------------------------------------------------------------

void onItemTemplate(XTreeItemRecord* item) {
  State& s = state();
  if (item == nullptr || !treeLive() || XTree_GetFirstChildItem(s.tree, item->id) >= 0) return;
  const std::string data = itemText(item->id, kData);
  if (data == kFolderMark) {
    if (s.emptyFolderTemplate) item->temp = s.emptyFolderTemplate;
  } else if (regularFileExists(data)) {
    if (s.moduleTemplate) item->temp = s.moduleTemplate;
  }
}

void onItemStyled(XTreeItemRecord* item) {
  if (item == nullptr) return;
  const HXCGUI label = XTree_GetTemplateObject(state().tree, item->id, 2);
  if (XC_IsHXCGUI(label, XC_SHAPE_TEXT)) XShapeText_SetTextColor(label, XRGB(241, 241, 241), 255);
}

void registerTreeEvents(HELE tree) {
  XEle_RegEventC(tree, XE_TREE_TEMP_CREATE, [](XTreeItemRecord* item, bool*) {
    guarded(GuardSite::kToolkit, [&] { onItemTemplate(item); });
    return 0;
  });
  XEle_RegEventC(tree, XE_TREE_TEMP_CREATE_END, [](XTreeItemRecord* item, bool*) {
    guarded(GuardSite::kToolkit, [&] { onItemStyled(item); });
    return 0;
  });
  XEle_RegEventC(tree, XE_LBUTTONDBCLICK, [](int, XPoint*, bool*) {
    guarded(GuardSite::kToolkit, [] { addSelectedModuleReference(); });
    return 0;
  });
}

void buildToolBar(HXCGUI bar) {
  ToolBarBuilder builder;
  if (!builder.attach(bar)) return;
  state().toolBar = builder.toolBar();
  auto image = [](const char* name) { return XRes_GetImage(toX(name).c_str()); };
  builder.addButton("全部收缩", image("CollapseAll_inverse_16x.png"), 0, false, [](HELE) { collapseAll(); });
  builder.addSeparator();
  builder.addButton("新建分类文件夹", image("AddFolder_16x.png"), 0, false, [](HELE) { openNameWindow(); });
  builder.addButton("删除分类文件夹", image("DeleteFolder_16x.png"), 0, false, [](HELE) { deleteFolder(); });
  builder.addSeparator();
  builder.addButton("添加模块", image("addEc_16x.png"), 0, false, [](HELE) { addModules(); });
  builder.addButton("删除选中模块", image("DeleteEc_16x.png"), 0, false, [](HELE) { deleteModule(); });
}

}  // namespace

std::string moduleListPath() { return hostPath("lib\\Tovalux\\EcManager.json"); }

void buildModulePane() {
  State& s = state();
  s.tree = 0;
  s.toolBar = 0;
  s.nameWindow = 0;
  s.digests.clear();
  if (!loadPaneView(kPaneModules, "EcTreeView.xml")) return;
  const HELE target = pane(kPaneModules);
  const HXCGUI tree = XC_GetObjectByName(toX("ecViewTree").c_str());
  if (!XC_IsHXCGUI(tree, XC_TREE)) return;
  s.tree = static_cast<HELE>(tree);
  XTree_SetItemTemplateXML(s.tree, toX("lib\\Tovalux\\Dark\\LibsTreeItem.xml").c_str());
  XTree_SetItemHeightDefault(s.tree, 20, 20);
  XTree_EnableConnectLine(s.tree, false);
  XTree_SetIndentation(s.tree, 10);
  XTree_CreateAdapter(s.tree);
  applyScrollViewLook(s.tree);
  s.emptyFolderTemplate = XTemp_Load(listType_tree, toX("lib\\Tovalux\\Dark\\EcTreeItem.xml").c_str());
  s.moduleTemplate = XTemp_Load(listType_tree, toX("lib\\Tovalux\\Dark\\LibsTreeItem2.xml").c_str());
  registerTreeEvents(s.tree);
  buildToolBar(XC_GetObjectByName(toX("ecToolBar").c_str()));
  reloadModuleTree();
  XEle_AdjustLayout(target);
}

void reloadModuleTree() {
  State& s = state();
  if (!treeLive()) return;
  XTree_DeleteItemAll(s.tree);
  s.digests.clear();
  // What parsed is shown, also from a file that is refused for changes (a folder named twice);
  // a file that did not parse shows nothing.
  const ModuleList list = readList();
  std::vector<int> items;
  const std::vector<FolderEntry> entries = folders(list.document);
  for (const FolderEntry& entry : entries) items.push_back(addFolderItem(entry.name));
  for (size_t i = 0; i < entries.size(); ++i) {
    if (items[i] < 0) continue;
    // A module whose file is gone is skipped silently (it stays in the file).
    for (const std::string& path : entries[i].modules) addModuleNode(items[i], path);
  }
  refreshTree();
  XEle_AdjustLayout(s.tree);
}

void addSelectedModuleReference() {
  State& s = state();
  if (!treeLive()) return;
  const int item = XTree_GetSelectItem(s.tree);
  if (!isModuleItem(item)) return;
  const std::string path = itemText(item, kData);
  if (!regularFileExists(path)) return;
  if (treeCount(hostWindows().leftPanelItem1019()) <= 1) {
    message("当前还未新建或打开易语言源代码,无法自动添加引用模块", MB_ICONEXCLAMATION);
    return;
  }
  int32_t result = 0;
  runIdeFunction(ide::kAddModuleReference, static_cast<int32_t>(reinterpret_cast<intptr_t>(path.c_str())),
                 static_cast<int32_t>(reinterpret_cast<intptr_t>(&result)));
  activatePaneByTitle("调试输出");
  if (const auto log = peers().appendDebugLine; result != 0 && log) log("引用模块>" + path + "\r\n");
}

HELE moduleTree() { return treeLive() ? state().tree : 0; }
HELE moduleToolBar() { return XC_IsHELE(state().toolBar) ? state().toolBar : 0; }
HWINDOW moduleNameWindow() { return XC_IsHWINDOW(state().nameWindow) ? state().nameWindow : 0; }

const Part kModuleManagerPart{.name = "module manager",
                              .build = &buildModulePane,
                              .tearDown = &tearDownModulePane,
                              .offers = {.reloadModules = &reloadModuleTree}};

void tearDownModulePane() {
  State& s = state();
  s.tree = s.toolBar = 0;
  s.nameWindow = 0;
  s.emptyFolderTemplate = s.moduleTemplate = 0;
  s.digests.clear();
}

}  // namespace tovalux
