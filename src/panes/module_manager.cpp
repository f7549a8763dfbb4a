#include "panes/module_manager.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "base/gbk.h"
#include "base/ui_seams.h"
#include "base/workers.h"
#include "host/host_paths.h"
#include "host/host_protocol.h"
#include "host/host_tree.h"
#include "host/host_windows.h"
#include "host/ide_functions.h"
#include "host/ui_jobs.h"
#include "panes/module_manager_file.h"
#include "panes/module_manager_rules.h"
#include "panes/project_tree_common.h"
#include "shell/pane_kit.h"
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

// What the hashing worker learnt about one listed module.
struct Hashed {
  int item = -1;
  std::string path;
  std::string digest;  // empty: no regular file there, or it cannot be read
};

struct State {
  pane_kit::PaneElement<XC_TREE> tree;
  HELE toolBar = 0;
  HWINDOW nameWindow = 0;
  HTEMP emptyFolderTemplate = 0;
  HTEMP moduleTemplate = 0;
  DigestRegistry digests;
  // Reloads: one runs (its files hashed on a worker), at most one waits.
  ReloadCoalescer reloads;
  uint32_t generation = 0;
  std::map<int, std::string> pendingItems;  // module items whose digest has not arrived: item -> path
  std::set<int> regularFiles;               // module items whose file was found (their template)
  ModulePaneCounters counters;
};

// Digests by path, size and write time; shared with the hashing worker, never destroyed.
DigestCache& digestCache() {
  static DigestCache* cache = new DigestCache;
  return *cache;
}

State& state() {
  static State s;
  return s;
}

bool treeLive() { return state().tree.live(); }

std::string itemText(int id, int column) { return utf16ToGbk(XTree_GetItemText(state().tree, id, column)); }

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
  const int id = XTree_InsertItemText(s.tree, L"", XC_ID_ROOT, XC_ID_LAST);
  if (id < 0) return -1;
  if (HIMAGE icon = XRes_GetImage(L"Folder_new_16x.png")) XTree_SetItemImage(s.tree, id, 0, icon);
  XTree_SetItemText(s.tree, id, kLabel, gbkToUtf16<XChar>(name).c_str());
  XTree_SetItemText(s.tree, id, kData, gbkToUtf16<XChar>(kFolderMark).c_str());
  return id;
}

int insertModuleItem(int folderItem, const std::string& path) {
  State& s = state();
  const int id = XTree_InsertItemText(s.tree, L"", folderItem, XC_ID_LAST);
  if (id < 0) return -1;
  if (HIMAGE icon = XRes_GetImage(L"ec.png")) XTree_SetItemImage(s.tree, id, 0, icon);
  XTree_SetItemText(s.tree, id, kLabel, gbkToUtf16<XChar>(fileNameOf(path)).c_str());
  XTree_SetItemText(s.tree, id, kData, gbkToUtf16<XChar>(path).c_str());
  return id;
}

void forgetItem(int item) {
  State& s = state();
  s.digests.removeItem(item);
  s.pendingItems.erase(item);
  s.regularFiles.erase(item);
}

// Adds the module item for `path` under `folderItem` unless its file is missing or its content
// is listed already; answers the message for the user (empty when added). The user picked these
// files a moment ago: they are hashed here, through the cache.
std::string addModuleNode(int folderItem, const std::string& path, int* added = nullptr) {
  State& s = state();
  if (added) *added = -1;
  // No file (or a folder, or one that cannot be read) gives no digest.
  const std::string digest = cachedFileDigest(path, digestCache());
  if (digest.empty()) return missingModuleMessage(path);
  if (s.digests.contains(digest)) return duplicateModuleMessage(path, s.digests.holder(digest));
  const int id = insertModuleItem(folderItem, path);
  if (id < 0) return {};
  s.digests.add(id, digest, itemText(folderItem, kLabel));
  s.regularFiles.insert(id);
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
  const std::string name =
      trimBlanks(XC_IsHXCGUI(edit, XC_EDIT) ? utf16ToGbk(XEdit_GetText(static_cast<HELE>(edit))) : "");
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
  const HXCGUI window = XC_LoadLayout(L"lib\\Tovalux\\Dark\\EcInsertWnd.xml", shellFrame());
  if (!XC_IsHWINDOW(window)) return;
  s.nameWindow = static_cast<HWINDOW>(window);
  const HXCGUI confirm = XC_GetObjectByID(s.nameWindow, 2);
  if (XC_IsHXCGUI(confirm, XC_BUTTON)) {
    XBtn_SetText(static_cast<HELE>(confirm), L"确定");
    pane_kit::onEvent(confirm, XE_BNCLICK, &onNameConfirmed);
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

// A folder whose value is not a list of modules is shown but never changed: refused with the
// damaged file's message.
bool refuseNonListFolder(const ModuleList& list, int position, const std::string& name) {
  if (position < 0 || folderTakesModules(list.document, position)) return false;
  message(refusedChangeMessage(notAListProblem(name)), MB_ICONERROR);
  return true;
}

void addModules() {
  State& s = state();
  if (!treeLive()) return;
  const int folder = XTree_GetSelectItem(s.tree);
  if (!isFolderItem(folder)) {
    message("请选择一个要添加模块的分类文件夹", MB_ICONINFORMATION);
    return;
  }
  {
    const ModuleList before = readList();
    const std::string name = itemText(folder, kLabel);
    if (before.writable() && refuseNonListFolder(before, findFolder(before.document, positionOf(folder), name), name))
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
  if (refuseNonListFolder(list, position, itemText(folder, kLabel))) return;
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
  // Only the module files the user saw under the folder may be deleted from disk, and of those
  // only regular files named *.ec: the paths come from the file, which anyone may have edited.
  std::vector<std::string> deletable, kept;
  for (int child : childrenOf(folder)) {
    const std::string path = itemText(child, kData);
    (deletableModuleFile(path) ? deletable : kept).push_back(path);
  }
  if (choice == IDNO &&
      showMessageBox(nullptr, deleteFilesQuestion(deletable.size(), kept), "", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ModuleList list;
  if (!listForChange(list)) return;
  const int position = findFolder(list.document, positionOf(folder), itemText(folder, kLabel));
  for (int child : childrenOf(folder)) forgetItem(child);
  if (position >= 0) removeFolder(list.document, position);
  XTree_DeleteItem(s.tree, folder);
  refreshTree();
  if (choice == IDNO)
    for (const std::string& path : deletable) deleteModuleFile(path);
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
  const std::string path = itemText(module, kData);
  const bool deletable = deletableModuleFile(path);
  if (choice == IDNO &&
      showMessageBox(nullptr,
                     deleteFilesQuestion(deletable ? 1 : 0,
                                         deletable ? std::vector<std::string>{} : std::vector<std::string>{path}),
                     "", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ModuleList list;
  if (!listForChange(list)) return;
  const int folder = XTree_GetParentItem(s.tree, module);
  const int position = findFolder(list.document, positionOf(folder), itemText(folder, kLabel));
  const bool removed = position >= 0 && removeModule(list.document, position, path);
  forgetItem(module);
  XTree_DeleteItem(s.tree, module);
  refreshTree();
  if (choice == IDNO && deletable) deleteModuleFile(path);
  if (removed) saveOrReload(list);
}

// --- the tree's events ----------------------------------------------------------------------

void onItemTemplate(XTreeItemRecord* item) {
  State& s = state();
  if (item == nullptr || !treeLive() || XTree_GetFirstChildItem(s.tree, item->id) >= 0) return;
  // No file is looked at here (the template is made on the UI thread for every item scrolled
  // into view): what the hashing found is kept with the item.
  if (isFolderItem(item->id)) {
    if (s.emptyFolderTemplate) item->temp = s.emptyFolderTemplate;
  } else if (s.regularFiles.count(item->id) != 0) {
    if (s.moduleTemplate) item->temp = s.moduleTemplate;
  }
}

// Styled as the project tree's items: the expand button's arrow look and the label's colour.
void onItemStyled(XTreeItemRecord* item) {
  if (item == nullptr) return;
  stylePaneTreeItem(state().tree, item->id, kPaneTreeTextColour);
}

void registerTreeEvents(HELE tree) {
  using pane_kit::onEvent;
  onEvent(tree, XE_TREE_TEMP_CREATE, &onItemTemplate);
  onEvent(tree, XE_TREE_TEMP_CREATE_END, &onItemStyled);
  onEvent(tree, XE_LBUTTONDBCLICK, [](int, XPoint*) { addSelectedModuleReference(); });
}

void buildToolBar(HXCGUI bar) {
  ToolBarBuilder builder;
  if (!builder.attach(bar)) return;
  state().toolBar = builder.toolBar();
  auto image = [](const char* name) { return XRes_GetImage(gbkToUtf16<XChar>(name).c_str()); };
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
  s.tree.forget();
  s.toolBar = 0;
  s.nameWindow = 0;
  s.digests.clear();
  s.pendingItems.clear();
  s.regularFiles.clear();
  s.reloads.reset();
  ++s.generation;
  if (!loadPaneView(kPaneModules, "EcTreeView.xml")) return;
  const HELE target = pane(kPaneModules);
  if (!s.tree.adopt(XC_GetObjectByName(L"ecViewTree"))) return;
  pane_kit::setUpTree(s.tree);
  s.emptyFolderTemplate = pane_kit::loadTreeItemTemplate("EcTreeItem.xml");
  s.moduleTemplate = pane_kit::loadTreeItemTemplate("LibsTreeItem2.xml");
  registerTreeEvents(s.tree);
  buildToolBar(XC_GetObjectByName(L"ecToolBar"));
  reloadModuleTree();
  XEle_AdjustLayout(target);
}

namespace {

void startReload();

// The running reload is over: the waiting one, if any, starts now.
void finishReload() {
  if (state().reloads.finished()) startReload();
}

// On the UI thread: the digests of one reload, in list order. A module whose file is gone, or
// whose content is listed above it already, leaves the tree (it stays in the file), as the first
// one listed keeps the content.
void applyDigests(uint32_t generation, const std::vector<Hashed>& hashed) {
  State& s = state();
  if (generation != s.generation) return;  // the pane was built again meanwhile
  if (treeLive()) {
    for (const Hashed& result : hashed) {
      const auto pending = s.pendingItems.find(result.item);
      if (pending == s.pendingItems.end() || pending->second != result.path) continue;  // deleted meanwhile
      s.pendingItems.erase(pending);
      if (result.digest.empty() || s.digests.contains(result.digest)) {
        XTree_DeleteItem(s.tree, result.item);
        continue;
      }
      const int folder = XTree_GetParentItem(s.tree, result.item);
      s.digests.add(result.item, result.digest, itemText(folder, kLabel));
      s.regularFiles.insert(result.item);
    }
    refreshTree();
  }
  ++s.counters.reloadsFinished;
  finishReload();
}

// Shows the list at once and hands its files to a worker: a module on an unreachable share or a
// very large file must not hold the UI thread (start-up runs this inside notification 1, and any
// program can ask for it with message 9909).
void startReload() {
  State& s = state();
  if (!treeLive()) {
    s.reloads.reset();
    return;
  }
  const uint32_t generation = ++s.generation;
  ++s.counters.reloadsStarted;
  XTree_DeleteItemAll(s.tree);
  s.digests.clear();
  s.pendingItems.clear();
  s.regularFiles.clear();
  // What parsed is shown, also from a file that is refused for changes (a folder named twice);
  // a file that did not parse shows nothing.
  const ModuleList list = readList();
  std::vector<Hashed> work;
  for (const FolderEntry& entry : folders(list.document)) {
    const int folder = addFolderItem(entry.name);
    if (folder < 0) continue;
    for (const std::string& path : entry.modules) {
      const int item = insertModuleItem(folder, path);
      if (item < 0) continue;
      s.pendingItems[item] = path;
      work.push_back({item, path, {}});
    }
  }
  refreshTree();
  XEle_AdjustLayout(s.tree);
  if (work.empty()) {
    applyDigests(generation, work);
    return;
  }
  const bool started = startWorker([generation, work = std::move(work)]() mutable {
    for (Hashed& result : work) {
      if (workerStopRequested()) return;  // shut-down: nothing is handed over
      result.digest = cachedFileDigest(result.path, digestCache());
    }
    // The reload ends only when its digests arrive: a full queue is waited out, not skipped.
    const UiJob apply = [generation, work = std::move(work)] { applyDigests(generation, work); };
    while (!postUiJob(apply))
      if (!uiJobsOpen() || waitForWorkerStop(100)) return;
  });
  if (!started) s.reloads.reset();  // shutting down: the list stays as shown
}

}  // namespace

void reloadModuleTree() {
  State& s = state();
  if (!treeLive()) return;
  ++s.counters.reloadRequests;
  if (s.reloads.request()) startReload();
}

bool moduleReloadIdle() { return !state().reloads.busy(); }

ModulePaneCounters modulePaneCounters() { return state().counters; }

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

HELE moduleTree() { return state().tree.get(); }
HELE moduleToolBar() { return XC_IsHELE(state().toolBar) ? state().toolBar : 0; }
HWINDOW moduleNameWindow() { return XC_IsHWINDOW(state().nameWindow) ? state().nameWindow : 0; }

const Part kModuleManagerPart{.name = "module manager",
                              .build = &buildModulePane,
                              .tearDown = &tearDownModulePane,
                              .offers = {.reloadModules = &reloadModuleTree}};

void tearDownModulePane() {
  State& s = state();
  s.tree.forget();
  s.toolBar = 0;
  s.nameWindow = 0;
  s.emptyFolderTemplate = s.moduleTemplate = 0;
  s.digests.clear();
  s.pendingItems.clear();
  s.regularFiles.clear();
  s.reloads.reset();
  s.counters = {};
  ++s.generation;
  digestCache().clear();
}

}  // namespace tovalux
