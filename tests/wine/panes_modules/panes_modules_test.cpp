// The module manager, the toolbox and the properties pane in the stand-in IDE in this process:
// the user's module list kept safe through every change and every failure, toolbox picks that
// only ever name items of the host's current fill, and the designer combos passed back to the
// host as a user's own choices.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "debugging/debug_output.h"
#include "host/host_paths.h"
#include "host/host_windows.h"
#include "host/ui_jobs.h"
#include "json/json_document.h"
#include "lifecycle/lifecycle.h"
#include "panes/module_manager.h"
#include "panes/module_manager_file.h"
#include "panes/module_manager_rules.h"
#include "panes/properties_pane.h"
#include "panes/toolbox.h"
#include "shell/shell.h"
#include "shell/toolbar_builder.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/theme/descriptor.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using testing::fieldIs;
using testing::HostFixture;
using testing::ScriptedUi;

const bool kResets = (HostFixture::setAfterTeardown([] {
                        resetLifecycleForTests();
                        tearDownModulePane();
                        tearDownToolbox();
                        tearDownPropertiesPane();
                        modules::setSaveFaultForTests(nullptr);
                      }),
                      true);

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// "folder: a.ec b.ec | folder2: ..." - what the tree shows.
std::string treeDump() {
  HELE tree = moduleTree();
  std::string dump;
  for (int folder = XTree_GetFirstChildItem(tree, 0); folder >= 0; folder = XTree_GetNextSiblingItem(tree, folder)) {
    if (!dump.empty()) dump += " | ";
    dump += utf16ToGbk(XTree_GetItemText(tree, folder, 1)) + ":";
    for (int module = XTree_GetFirstChildItem(tree, folder); module >= 0;
         module = XTree_GetNextSiblingItem(tree, module))
      dump += " " + utf16ToGbk(XTree_GetItemText(tree, module, 1));
  }
  return dump;
}

int folderItem(const std::string& name) {
  HELE tree = moduleTree();
  for (int folder = XTree_GetFirstChildItem(tree, 0); folder >= 0; folder = XTree_GetNextSiblingItem(tree, folder))
    if (utf16ToGbk(XTree_GetItemText(tree, folder, 1)) == name) return folder;
  return -1;
}

int moduleItem(const std::string& folder, const std::string& file) {
  HELE tree = moduleTree();
  for (int module = XTree_GetFirstChildItem(tree, folderItem(folder)); module >= 0;
       module = XTree_GetNextSiblingItem(tree, module))
    if (utf16ToGbk(XTree_GetItemText(tree, module, 1)) == file) return module;
  return -1;
}

// The tool bar: 0 全部收缩, 1 |, 2 新建分类文件夹, 3 删除分类文件夹, 4 |, 5 添加模块, 6 删除选中模块.
void clickTool(int position) { XEle_SendEvent(toolBarElement(moduleToolBar(), position), XE_BNCLICK); }

HostFixture* gFixture = nullptr;

class PanesModulesTest : public ::testing::Test {
 protected:
  // The list and icon.json live beside the host's executable: this program's folder here.
  static void SetUpTestSuite() {
    const std::string hostDir = testing::winePath(TOVALUX_HOST_DIR);
    SetCurrentDirectoryA(hostDir.c_str());
    for (const char* folder : {"lib", "lib\\Tovalux", "lib\\Tovalux\\Control", "lib\\Tovalux\\Control\\DarkIcons"})
      CreateDirectoryA(hostPath(folder).c_str(), nullptr);
    for (const char* file : {"lib\\Tovalux\\Control\\icon.json", "lib\\Tovalux\\Control\\DarkIcons\\Button.png",
                             "lib\\Tovalux\\Control\\DarkIcons\\WebBrowser.png"})
      CopyFileA((hostDir + "\\" + file).c_str(), hostPath(file).c_str(), FALSE);
  }

  void SetUp() override {
    gFixture = &host;
    listPath = moduleListPath();
    saved = exists(listPath) ? readFile(listPath) : std::string();
    hadList = exists(listPath);
    DeleteFileA(listPath.c_str());
    folder = testing::winePath(TOVALUX_HOST_DIR) + "\\modules-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"a.ec", "b.ec", "c.ec", "d.ec", "e.ec", "readme.txt"}) DeleteFileA(ec(name).c_str());
    writeFile(ec("a.ec"), "module A");
    writeFile(ec("b.ec"), "module B");
    writeFile(ec("c.ec"), "module A");  // the same content as a.ec under another name
    writeFile(ec("d.ec"), "module D");
    writeFile(ec("readme.txt"), "not a module");
  }

  void TearDown() override {
    DeleteFileA(listPath.c_str());
    DeleteFileA(modules::temporaryPathFor(listPath).c_str());
    if (hadList) writeFile(listPath, saved);
  }

  std::string ec(const std::string& name) const { return folder + "\\" + name; }
  static std::string quoted(const std::string& path) {
    std::string out;
    for (char c : path) {
      if (c == '\\' || c == '"') out += '\\';
      out += c;
    }
    return out;
  }

  void start() {
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_NE(moduleTree(), 0);
    host.pump();
    settle();
  }

  // The list's files are hashed on a worker: waits until the digests of every reload have
  // arrived and the tree shows what they decided.
  void settle() {
    ASSERT_TRUE(host.pumpUntil([] { return moduleReloadIdle(); }, 20000));
  }
  void reload() {
    reloadModuleTree();
    settle();
  }

  modules::ModuleList list() { return modules::readModuleList(modules::readFileBytes(listPath)); }

  void newFolder(const std::string& name) {
    clickTool(2);
    HWINDOW window = moduleNameWindow();
    ASSERT_NE(window, 0);
    XEdit_SetText(static_cast<HELE>(XC_GetObjectByID(window, 1)), gbkToUtf16<XChar>(name).c_str());
    XEle_SendEvent(XC_GetObjectByID(window, 2), XE_BNCLICK);
  }

  void addModules(const std::string& folderName, std::vector<std::string> paths) {
    XTree_SetSelectItem(moduleTree(), folderItem(folderName));
    host.ui().answerOpenFiles(std::move(paths));
    clickTool(5);
  }

  // Message boxes are checked by their texts and counts (ui().calls).
  HostFixture host{testing::HostOptions{.allowUnscriptedUi = true}};
  std::string listPath, saved, folder;
  bool hadList = false;
};

TEST_F(PanesModulesTest, ListIsReadAddedToWithDuplicatesReportedAndReloadedTheSame) {
  writeFile(listPath, "{\"常用\":[\"" + quoted(ec("a.ec")) + "\",\"" + quoted(ec("gone.ec")) + "\"],\"空\":\"\"}");
  start();
  // A module whose file is gone is not shown (and stays in the file).
  EXPECT_EQ(treeDump(), "常用: a.ec | 空:");

  // Three modules and a text file into the "" folder: c.ec holds a.ec's content.
  addModules("空", {ec("b.ec"), ec("c.ec"), ec("d.ec"), ec("readme.txt")});
  EXPECT_EQ(treeDump(), "常用: a.ec | 空: b.ec d.ec");
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "重复添加:" + ec("c.ec") + ",已存在于分类文件 < 常用 >");
  EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  const auto dialogs = host.ui().calls(ScriptedUi::Kind::kOpenFiles);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].title, "添加到易语言模块文件");
  EXPECT_TRUE(dialogs[0].multiSelect);

  // The "" folder became an array; the file is compact GBK without a byte-order mark.
  const std::string text = readFile(listPath);
  EXPECT_EQ(text, "{\"常用\":[\"" + quoted(ec("a.ec")) + "\",\"" + quoted(ec("gone.ec")) + "\"],\"空\":[\"" +
                      quoted(ec("b.ec")) + "\",\"" + quoted(ec("d.ec")) + "\"]}");

  // 全部收缩 collapses every folder.
  for (const char* name : {"常用", "空"}) XTree_ExpandItem(moduleTree(), folderItem(name), true);
  clickTool(0);
  EXPECT_FALSE(XTree_IsExpand(moduleTree(), folderItem("常用")));
  EXPECT_FALSE(XTree_IsExpand(moduleTree(), folderItem("空")));

  // 9909 (1, 0) only passes; (1, 1) reloads and builds the same tree.
  writeFile(listPath, "{\"其它\":\"\"}");
  ASSERT_TRUE(host.action("send-main 9909 1 0").ok);
  settle();
  EXPECT_EQ(treeDump(), "常用: a.ec | 空: b.ec d.ec");
  writeFile(listPath, text);
  ASSERT_TRUE(host.action("send-main 9909 1 1").ok);
  settle();
  EXPECT_EQ(treeDump(), "常用: a.ec | 空: b.ec d.ec");
  writeFile(listPath, "{\"其它\":\"\"}");
  ASSERT_TRUE(host.action("send-main 9909 1 1").ok);
  settle();
  EXPECT_EQ(treeDump(), "其它:");
}

// A folder holding modules is styled as the project tree's items: its expand button shows the
// arrow, and the button opens the folder on the modules it holds.
TEST_F(PanesModulesTest, AFolderWithModulesShowsItsExpanderAndOpensOnItsModules) {
  writeFile(listPath, "{\"常用\":[\"" + quoted(ec("a.ec")) + "\",\"" + quoted(ec("b.ec")) + "\"]}");
  start();
  activatePaneByTitle("常用模块");
  const HELE tree = moduleTree();
  const int folder = folderItem("常用");
  ASSERT_GE(folder, 0);
  XEle_AdjustLayout(tree);
  XEle_RedrawEle(tree, true);
  HXCGUI button = 0;
  ASSERT_TRUE(host.pumpUntil(
      [&] {
        button = XTree_GetTemplateObject(tree, folder, 0);
        return XC_IsHXCGUI(button, XC_BUTTON);
      },
      5000));
  const auto* look = tk::context().registry.get<tk::BkManager>(XEle_GetBkManager(static_cast<HELE>(button)));
  ASSERT_NE(look, nullptr);
  const std::u16string& text = look->text();
  EXPECT_NE(std::string(text.begin(), text.end()).find("CollapseRgnWhite.png"), std::string::npos);

  EXPECT_FALSE(XTree_IsExpand(tree, folder));
  XEle_SendEvent(static_cast<HELE>(button), XE_BUTTON_CHECK, true);
  host.pump();
  EXPECT_TRUE(XTree_IsExpand(tree, folder));
  EXPECT_EQ(treeDump(), "常用: a.ec b.ec");
}

TEST_F(PanesModulesTest, NewFoldersWithOddNamesRoundTripAndAnExistingNameIsRefused) {
  start();  // no file yet: an empty list, created by the first folder
  newFolder("   ");
  ASSERT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox).size(), 1u);
  EXPECT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox)[0].text, "分类名称不得为空");
  const HWINDOW first = moduleNameWindow();
  EXPECT_NE(first, 0);  // the window stays
  EXPECT_FALSE(exists(listPath));
  // A second one closes the first.
  clickTool(2);
  EXPECT_NE(moduleNameWindow(), first);
  EXPECT_FALSE(XC_IsHWINDOW(first));

  const std::vector<std::string> names = {"v1.2", "a[1]", "[0]", "x\\", "模\x81\x5C块"};
  const std::vector<std::string> files = {"a.ec", "b.ec", "d.ec", "e.ec", "readme.ec"};
  writeFile(ec("e.ec"), "module E");
  writeFile(ec("readme.ec"), "module R");
  for (size_t i = 0; i < names.size(); ++i) {
    newFolder("  " + names[i] + " ");
    EXPECT_EQ(moduleNameWindow(), 0) << names[i];
    addModules(names[i], {ec(files[i])});
  }
  const std::string before = treeDump();
  EXPECT_EQ(before, "v1.2: a.ec | a[1]: b.ec | [0]: d.ec | x\\: e.ec | 模\x81\x5C块: readme.ec");
  std::vector<std::string> members;
  list().document.memberNames("", members);
  EXPECT_EQ(members, names);

  // An existing name: refused with a message, that folder's modules kept.
  host.ui().clear();
  const std::string file = readFile(listPath);
  newFolder("a[1]");
  ASSERT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox).size(), 1u);
  EXPECT_EQ(readFile(listPath), file);
  reload();
  EXPECT_EQ(treeDump(), before);
  DeleteFileA(ec("readme.ec").c_str());
}

TEST_F(PanesModulesTest, AFileThatCannotBeUsedIsNeverWrittenOver) {
  const std::vector<std::string> broken = {
      "{\"常用\":[\"C:\\\\a.ec\"",            // cut short
      "\xEF\xBB\xBF{\"\xC4\xE3\":\"\"}",      // a UTF-8 mark before bytes that are not UTF-8
      "{\"a\":[\"1.ec\"],\"a\":[\"2.ec\"]}",  // two folders of one name
      "EcManager",                            // not JSON at all
  };
  for (const std::string& bytes : broken) {
    writeFile(listPath, bytes);
    reloadModuleTree();
    if (moduleTree() == 0) start();
    reload();
    host.ui().clear();
    newFolder("新的");
    EXPECT_EQ(readFile(listPath), bytes);
    const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("EcManager.json"), std::string::npos);
    EXPECT_EQ(folderItem("新的"), -1);
    if (HWINDOW window = moduleNameWindow()) XWnd_CloseWindow(window);
    if (bytes.find("\"a\":[\"1.ec\"],\"a\"") != std::string::npos) {
      EXPECT_EQ(treeDump(), "a:");  // shown, not written
    }
  }
  // A file another program holds open without sharing cannot be read: refused the same way.
  writeFile(listPath, "{\"常用\":\"\"}");
  HANDLE locked = CreateFileA(listPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  host.ui().clear();
  newFolder("新的");
  CloseHandle(locked);
  EXPECT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox).size(), 1u);
  EXPECT_EQ(readFile(listPath), "{\"常用\":\"\"}");
  if (HWINDOW window = moduleNameWindow()) XWnd_CloseWindow(window);

  // A UTF-8 file from another editor is read as UTF-8 and written back whole, as GBK.
  const std::string utf8 = reinterpret_cast<const char*>(u8"\xEF\xBB\xBF{\"常用\":\"\"}");
  writeFile(listPath, utf8);
  reload();
  EXPECT_EQ(treeDump(), "常用:");
  newFolder("新的");
  EXPECT_EQ(readFile(listPath), "{\"常用\":\"\",\"新的\":\"\"}");
}

TEST_F(PanesModulesTest, DeletingFreesDigestsByItemAndRemovesOnlyTheFilesShown) {
  // c.ec is listed after a.ec with the same content: it is never shown.
  writeFile(listPath, "{\"常用\":[\"" + quoted(ec("a.ec")) + "\",\"" + quoted(ec("c.ec")) + "\",\"" +
                          quoted(ec("b.ec")) + "\"],\"其它\":[\"" + quoted(ec("d.ec")) + "\"]}");
  start();
  EXPECT_EQ(treeDump(), "常用: a.ec b.ec | 其它: d.ec");

  // Cancel, then No + No: nothing happens.
  XTree_SetSelectItem(moduleTree(), folderItem("常用"));
  host.ui().answerMessageBox(IDCANCEL);
  clickTool(3);
  host.ui().answerMessageBox(IDNO);
  host.ui().answerMessageBox(IDNO);
  clickTool(3);
  EXPECT_EQ(treeDump(), "常用: a.ec b.ec | 其它: d.ec");

  // b.ec changes after it was added; its folder is deleted with the files the user saw.
  writeFile(ec("b.ec"), "module B, edited");
  XTree_SetSelectItem(moduleTree(), folderItem("常用"));
  host.ui().answerMessageBox(IDNO);
  host.ui().answerMessageBox(IDYES);
  clickTool(3);
  EXPECT_EQ(treeDump(), "其它: d.ec");
  EXPECT_FALSE(exists(ec("a.ec")));
  EXPECT_FALSE(exists(ec("b.ec")));
  EXPECT_TRUE(exists(ec("c.ec")));  // only in the file, never shown: kept
  EXPECT_EQ(readFile(listPath), "{\"其它\":[\"" + quoted(ec("d.ec")) + "\"]}");

  // c.ec (a.ec's old content) is accepted again: the digest left with its item.
  host.ui().clear();
  addModules("其它", {ec("c.ec")});
  EXPECT_EQ(treeDump(), "其它: d.ec c.ec");
  EXPECT_TRUE(host.ui().calls(ScriptedUi::Kind::kMessageBox).empty());

  // A module removed from the list only (Yes), then added back.
  XTree_SetSelectItem(moduleTree(), moduleItem("其它", "d.ec"));
  host.ui().answerMessageBox(IDYES);
  clickTool(6);
  EXPECT_EQ(treeDump(), "其它: c.ec");
  EXPECT_TRUE(exists(ec("d.ec")));
  addModules("其它", {ec("d.ec")});
  EXPECT_EQ(treeDump(), "其它: c.ec d.ec");

  // No selection, or the wrong kind, is told.
  host.ui().clear();
  XTree_SetSelectItem(moduleTree(), folderItem("其它"));
  clickTool(6);
  XTree_SetSelectItem(moduleTree(), moduleItem("其它", "d.ec"));
  clickTool(3);
  clickTool(5);
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "请选择一个要删除的模块");
  EXPECT_EQ(boxes[1].text, "请选择一个要删除的分类文件夹");
  EXPECT_EQ(boxes[2].text, "请选择一个要添加模块的分类文件夹");
}

TEST_F(PanesModulesTest, DoubleClickAddsAReferenceOnlyForModulesAndOnlyWithAProgramOpen) {
  writeFile(listPath, "{\"常用\":[\"" + quoted(ec("a.ec")) + "\"]}");
  start();
  XTree_SetSelectItem(moduleTree(), moduleItem("常用", "a.ec"));
  addSelectedModuleReference();
  auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "当前还未新建或打开易语言源代码,无法自动添加引用模块");
  EXPECT_EQ(host.count("module-reference"), 0u);

  ASSERT_TRUE(host.action("program-tree 3").ok);
  const size_t mark = host.journalSize();
  XEle_SendEvent(moduleTree(), XE_LBUTTONDBCLICK, 0, static_cast<XPoint*>(nullptr));
  ASSERT_TRUE(host.waitForJournal("module-reference", fieldIs("path", ec("a.ec")), 2000, mark));
  EXPECT_NE(editText(debugLogEdit()).find("引用模块>" + ec("a.ec")), std::string::npos);

  // A folder (whose data is "1") sends nothing.
  XTree_SetSelectItem(moduleTree(), folderItem("常用"));
  addSelectedModuleReference();
  EXPECT_EQ(host.count("module-reference", {}, mark), 1u);
}

// A folder whose value is not a list (an object, a path, a number) is shown; adding to it is
// refused with the damaged file's message and the file keeps every byte.
TEST_F(PanesModulesTest, AFolderThatIsNotAListIsShownButNeverReplaced) {
  const std::string text = "{\"对象\":{\"x\":[\"" + quoted(ec("a.ec")) + "\"]},\"路径\":\"" + quoted(ec("b.ec")) +
                           "\",\"数\":7,\"空\":\"\"}";
  writeFile(listPath, text);
  start();
  EXPECT_EQ(treeDump(), "对象: | 路径: | 数: | 空:");
  for (const char* name : {"对象", "路径", "数"}) {
    host.ui().clear();
    addModules(name, {ec("d.ec")});
    EXPECT_EQ(readFile(listPath), text) << name;
    const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
    ASSERT_EQ(boxes.size(), 1u) << name;
    EXPECT_NE(boxes[0].text.find("EcManager.json"), std::string::npos);
    EXPECT_NE(boxes[0].text.find(std::string("< ") + name + " >"), std::string::npos);
  }
  EXPECT_EQ(treeDump(), "对象: | 路径: | 数: | 空:");
  addModules("空", {ec("d.ec")});  // "" is an empty folder as the file writes it
  EXPECT_EQ(treeDump(), "对象: | 路径: | 数: | 空: d.ec");
}

// Deleting "with the local module files" deletes only regular files named *.ec (any case) that
// the folder showed: never x.ec.exe or another file the list names, never a folder, never
// through a link. The question says how many go and which paths stay.
TEST_F(PanesModulesTest, OnlyRegularModuleFilesAreDeletedAndTheQuestionSaysWhich) {
  writeFile(ec("x.ec.exe"), "a program");
  writeFile(ec("UPPER.EC"), "module U");
  const std::string victim = folder + "\\victim.txt";
  writeFile(victim, "someone else's file");
  const std::string link = ec("link.ec");
  DeleteFileA(link.c_str());
  // Wine answers CreateSymbolicLinkA with success and makes nothing: a link counts when it is there.
  const bool linked = CreateSymbolicLinkA(link.c_str(), victim.c_str(), 0) != FALSE &&
                      GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
  std::string entries = "\"" + quoted(ec("a.ec")) + "\",\"" + quoted(ec("x.ec.exe")) + "\",\"" +
                        quoted(ec("UPPER.EC")) + "\",\"" + quoted(ec("readme.txt")) + "\"";
  if (linked) entries += ",\"" + quoted(link) + "\"";
  writeFile(listPath, "{\"常用\":[" + entries + "]}");
  start();
  XTree_SetSelectItem(moduleTree(), folderItem("常用"));
  host.ui().answerMessageBox(IDNO);
  host.ui().answerMessageBox(IDYES);
  clickTool(3);
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  // A link the system reports as one (a reparse point) stays; the link itself, never its target.
  const DWORD linkAttributes = linked ? GetFileAttributesA(link.c_str()) : INVALID_FILE_ATTRIBUTES;
  const bool reparse = linkAttributes != INVALID_FILE_ATTRIBUTES && (linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  std::vector<std::string> kept = {ec("x.ec.exe"), ec("readme.txt")};
  if (reparse) kept.push_back(link);
  EXPECT_EQ(boxes[1].text, modules::deleteFilesQuestion(linked && !reparse ? 3 : 2, kept));
  if (reparse) {
    EXPECT_TRUE(GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_FALSE(exists(ec("a.ec")));
  EXPECT_FALSE(exists(ec("UPPER.EC")));
  EXPECT_TRUE(exists(ec("x.ec.exe")));
  EXPECT_TRUE(exists(ec("readme.txt")));
  EXPECT_EQ(readFile(victim), "someone else's file");
  EXPECT_EQ(readFile(listPath), "{}");
  // One module the same way.
  writeFile(listPath, "{\"其它\":[\"" + quoted(ec("x.ec.exe")) + "\"]}");
  reload();
  XTree_SetSelectItem(moduleTree(), moduleItem("其它", "x.ec.exe"));
  host.ui().clear();
  host.ui().answerMessageBox(IDNO);
  host.ui().answerMessageBox(IDYES);
  clickTool(6);
  EXPECT_TRUE(exists(ec("x.ec.exe")));
  ASSERT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox).size(), 2u);
  EXPECT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox)[1].text, modules::deleteFilesQuestion(0, {ec("x.ec.exe")}));
  // The add dialog takes the same rule: x.ec.exe is no module, A.EC is one.
  host.ui().clear();
  writeFile(ec("b.EC"), "module b");
  addModules("其它", {ec("x.ec.exe"), ec("b.EC")});
  EXPECT_EQ(treeDump(), "其它: b.EC");
  for (const std::string& path : {ec("x.ec.exe"), ec("UPPER.EC"), ec("b.EC"), victim, link}) DeleteFileA(path.c_str());
}

// A save killed mid-way leaves "EcManager.json.<pid>.tmp"; the next successful save removes those
// of processes that are gone and leaves a running one's.
TEST_F(PanesModulesTest, TheNextSaveRemovesTemporariesOfKilledSaves) {
  const std::string stale = listPath + ".999999.tmp";
  writeFile(stale, "{\"半\":[");
  // A temporary of a process that still runs: a child kept alive meanwhile.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::string command = "\"" + testing::winePath(TOVALUX_HOST_DIR "/notepad/notepad.exe") + "\" \"holder\" none";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
  const std::string alive = listPath + "." + std::to_string(child.dwProcessId) + ".tmp";
  writeFile(alive, "{\"写\":[");
  const std::string lookalike = listPath + ".12ab.tmp";
  writeFile(lookalike, "not a temporary of ours");
  start();
  newFolder("新的");
  EXPECT_EQ(readFile(listPath), "{\"新的\":\"\"}");
  EXPECT_FALSE(exists(stale));
  EXPECT_TRUE(exists(alive));
  EXPECT_TRUE(exists(lookalike));
  TerminateProcess(child.hProcess, 0);
  WaitForSingleObject(child.hProcess, 10000);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  newFolder("再一个");
  EXPECT_FALSE(exists(alive));
  for (const std::string& path : {stale, alive, lookalike}) DeleteFileA(path.c_str());
}

// Module files are never opened on the UI thread: start-up shows the list at once and a worker
// hashes the files (one on an unreachable share would hold it for the network's time-out); a
// burst of 9909 from another program makes one reload and one more, not one each.
DWORD gUiThread = 0;
std::atomic<int> gUiThreadProbes{0};
std::atomic<int> gSlowHashes{0};
HANDLE gSlowRelease = nullptr;
std::string gSlowPath;
void watchProbes(const std::string& path, modules::FileProbe probe) {
  if (GetCurrentThreadId() == gUiThread) ++gUiThreadProbes;
  if (path == gSlowPath && probe == modules::FileProbe::kHash) {
    ++gSlowHashes;
    WaitForSingleObject(gSlowRelease, 5000);  // a share that does not answer (given up after 5 s)
  }
}

TEST_F(PanesModulesTest, ModuleFilesAreHashedOffTheUiThreadAndReloadsCoalesce) {
  gUiThread = GetCurrentThreadId();
  gUiThreadProbes = 0;
  gSlowHashes = 0;
  gSlowPath = ec("b.ec");
  gSlowRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  modules::setFileProbeObserverForTests(&watchProbes);
  writeFile(listPath, "{\"常用\":[\"" + quoted(ec("a.ec")) + "\",\"" + quoted(ec("b.ec")) + "\",\"" +
                          quoted(ec("c.ec")) + "\",\"" + quoted(ec("gone.ec")) + "\"]}");
  host.host().show(SW_SHOWNORMAL);
  ASSERT_EQ(host.startShell(), 1);
  // Shown at once, while b.ec's file still does not answer.
  EXPECT_EQ(treeDump(), "常用: a.ec b.ec c.ec gone.ec");
  EXPECT_FALSE(moduleReloadIdle());
  // Twenty requests from another program while the first reload waits for its files.
  const ModulePaneCounters before = modulePaneCounters();
  for (int i = 0; i < 20; ++i) PostMessageA(host.mainWindow(), 9909, 1, 1);
  host.pump();
  SetEvent(gSlowRelease);
  settle();
  const ModulePaneCounters after = modulePaneCounters();
  EXPECT_EQ(after.reloadRequests - before.reloadRequests, 20u);
  EXPECT_EQ(after.reloadsStarted - before.reloadsStarted, 1u);  // the waiting one, once
  // The digests decided: c.ec holds a.ec's content, gone.ec has no file.
  EXPECT_EQ(treeDump(), "常用: a.ec b.ec");
  // Drawing the items (their templates) and scrolling look at no file either.
  XTree_ExpandItem(moduleTree(), folderItem("常用"), true);
  XTree_RefreshData(moduleTree());
  XEle_RedrawEle(moduleTree(), true);
  EXPECT_EQ(gUiThreadProbes.load(), 0);
  // The second reload read b.ec from the cache: its file was hashed once.
  EXPECT_EQ(gSlowHashes.load(), 1);
  modules::setFileProbeObserverForTests(nullptr);
  CloseHandle(gSlowRelease);
}

// A save stopped at a random point, as a killed process stops: the file is always the old list
// or the new one.
size_t gStopAfter = 0;
size_t gSteps = 0;
bool stopAtRandom(modules::SaveStage, size_t) { return ++gSteps < gStopAfter; }

TEST_F(PanesModulesTest, ASaveStoppedAnywhereLeavesTheOldListOrTheNewOne) {
  std::string oldText = "{\"常用\":[";
  for (int i = 0; i < 400; ++i)
    oldText += std::string(i ? "," : "") + "\"C:\\\\模块\\\\old" + std::to_string(i) + ".ec\"";
  oldText += "]}";
  writeFile(listPath, oldText);
  std::mt19937 random(19);
  int oldSeen = 0;
  int newSeen = 0;
  for (int round = 0; round < 100; ++round) {
    std::string newText = oldText;
    newText.insert(newText.size() - 2, ",\"C:\\\\new" + std::to_string(round) + ".ec\"");
    gSteps = 0;
    gStopAfter = 1 + random() % 8;  // after some block, before the flush or before the move
    modules::setSaveFaultForTests(&stopAtRandom);
    const bool saved = modules::saveFileAtomically(listPath, newText);
    modules::setSaveFaultForTests(nullptr);
    const std::string now = readFile(listPath);
    ASSERT_TRUE(now == oldText || now == newText) << round;
    ASSERT_EQ(saved, now == newText);
    ASSERT_EQ(list().state, modules::ListState::kReady);
    (now == oldText ? oldSeen : newSeen)++;
    oldText = now;
  }
  EXPECT_GT(oldSeen, 0);
  EXPECT_GT(newSeen, 0);

  // Through the pane: a failed save is told and the tree shows what the file holds.
  start();
  gSteps = 0;
  gStopAfter = 1;
  modules::setSaveFaultForTests(&stopAtRandom);
  newFolder("新的");
  modules::setSaveFaultForTests(nullptr);
  EXPECT_EQ(readFile(listPath), oldText);
  EXPECT_EQ(folderItem("新的"), -1);
  EXPECT_EQ(host.ui().calls(ScriptedUi::Kind::kMessageBox).size(), 1u);
}

// A writer child killed at a random point of its saves: the file is always a complete list.
TEST_F(PanesModulesTest, AWriterKilledAnywhereLeavesACompleteList) {
  const char* kSaved = "TovaluxModulesWriterSaved";
  HANDLE saved = CreateEventA(nullptr, FALSE, FALSE, kSaved);
  ASSERT_NE(saved, nullptr);
  std::mt19937 random(1909);
  std::vector<size_t> counts;
  for (int round = 0; round < 100; ++round) {
    std::string command =
        "\"" + testing::winePath(TOVALUX_LIST_WRITER) + "\" \"" + listPath + "\" " + std::string(kSaved);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    // Some saves done, the next one under way (or just begun): killed there.
    const int saves = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < saves; ++i) ASSERT_EQ(WaitForSingleObject(saved, 10000), WAIT_OBJECT_0) << round;
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, 10000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    const modules::ModuleList read = list();
    ASSERT_EQ(read.state, modules::ListState::kReady) << round;
    const std::vector<modules::FolderEntry> entries = modules::folders(read.document);
    ASSERT_EQ(entries.size(), 1u) << round;
    ASSERT_FALSE(entries[0].modules.empty()) << round;
    for (size_t k = 0; k < entries[0].modules.size(); ++k)
      ASSERT_EQ(entries[0].modules[k], "C:\\m" + std::to_string(k) + ".ec") << round;
    counts.push_back(entries[0].modules.size());
  }
  CloseHandle(saved);
  // The kills landed at different points.
  std::sort(counts.begin(), counts.end());
  EXPECT_GT(std::unique(counts.begin(), counts.end()) - counts.begin(), 1);
  // What the killed writers left: their temporary files, never the list.
  WIN32_FIND_DATAA found{};
  const std::string pattern = listPath + ".*.tmp";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    const std::string folderOf = listPath.substr(0, listPath.rfind('\\') + 1);
    do DeleteFileA((folderOf + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
}

// --- toolbox ---------------------------------------------------------------------------------

class ToolboxTest : public PanesModulesTest {
 protected:
  void startDesigner() {
    start();
    ASSERT_TRUE(host.action("toolbox-buttons").ok);
    list = toolboxList();
    ASSERT_NE(list, 0);
  }
  std::string itemText(int group, int item) { return utf16ToGbk(XListView_Item_GetText(list, group, item, 1)); }
  HELE list = 0;
};

TEST_F(ToolboxTest, GroupsFollowTheButtonsAndExpandingFillsTheRightGroup) {
  startDesigner();
  ASSERT_EQ(XListView_Group_GetCount(list), 3);  // "其它" makes no group
  EXPECT_EQ(utf16ToGbk(XListView_Group_GetText(list, 1, 0)), "扩展组件");
  EXPECT_EQ(utf16ToGbk(XListView_Group_GetText(list, 2, 1)), "COM包装支持库所封装的Activex组件");
  EXPECT_TRUE(XListView_IsGroupExpand(list, 0));
  EXPECT_FALSE(XListView_IsGroupExpand(list, 1));
  // A second text on a button renames its group.
  ASSERT_TRUE(host.action("toolbox-rename 1 \"扩展组件(2)\"").ok);
  ASSERT_EQ(XListView_Group_GetCount(list), 3);
  EXPECT_EQ(utf16ToGbk(XListView_Group_GetText(list, 1, 0)), "扩展组件(2)");

  // Group 1 expanded by the user: the host fills its tree with group 1, listed there.
  const int reads = toolboxIconReads();
  XEle_SendEvent(list, XE_LISTVIEW_EXPAND, 1, 1);
  EXPECT_EQ(host.count("toolbox-fill", fieldIs("group", 1)), 1u);
  ASSERT_EQ(XListView_Item_GetCount(list, 1), 3);
  EXPECT_EQ(itemText(1, 0), "指针");
  EXPECT_EQ(itemText(1, 1), "超级列表框");
  EXPECT_EQ(XListView_Item_GetCount(list, 0), 0);
  EXPECT_EQ(toolboxIconReads(), reads + 1);  // icon.json once for the whole fill

  // Group 0, with icons by name; filled twice it lists its components once.
  ASSERT_TRUE(host.action("mode toolbox-extra 2").ok);
  XEle_SendEvent(list, XE_LISTVIEW_EXPAND, 0, 1);
  XEle_SendEvent(list, XE_LISTVIEW_EXPAND, 0, 1);
  ASSERT_EQ(XListView_Item_GetCount(list, 0), 9);
  EXPECT_EQ(itemText(0, 1), "按钮");
  EXPECT_NE(XListView_Item_GetImage(list, 0, 1, 0), 0);
  EXPECT_EQ(XListView_Item_GetImage(list, 0, 8, 0), 0);  // "组件2" is not in icon.json

  // An English name in another letter case finds its icon.
  ASSERT_TRUE(host.action("mode toolbox-english 1").ok);
  XEle_SendEvent(list, XE_LISTVIEW_EXPAND, 2, 1);
  ASSERT_EQ(XListView_Item_GetCount(list, 2), 3);
  EXPECT_EQ(itemText(2, 2), "WEBBROWSER");
  EXPECT_NE(XListView_Item_GetImage(list, 2, 2, 0), 0);

  // The buttons made again (a project opened): the groups go and come back.
  ASSERT_TRUE(host.action("toolbox-buttons recreate=1").ok);
  EXPECT_EQ(XListView_Group_GetCount(list), 3);
  EXPECT_EQ(XListView_Item_GetCount(list, 0), 0);
}

TEST_F(ToolboxTest, PicksAcrossGroupsNameOnlyLiveItemsAndPlacingClearsTheSelection) {
  startDesigner();
  XEle_SendEvent(list, XE_LISTVIEW_EXPAND, 0, 1);
  XEle_SendEvent(list, XE_LISTVIEW_EXPAND, 1, 1);
  // Alternating picks: each item of the group that is not in the host's tree fills it first.
  for (int round = 0; round < 20; ++round) {
    const int group = round % 2;
    const int item = 1 + round % 2;
    const size_t mark = host.journalSize();
    XListView_SetSelectItem(list, group, item);
    XEle_SendEvent(list, XE_LISTVIEW_SELECT, group, item);
    const auto pick = host.waitForJournal("toolbox-pick", {}, 2000, mark);
    ASSERT_TRUE(pick) << round;
    EXPECT_EQ(pick->get("text").value_or(""), itemText(group, item)) << round;
    EXPECT_EQ(pick->get("group").value_or(""), std::to_string(group)) << round;
  }
  EXPECT_EQ(host.count("dead-handle"), 0u);

  // Placing the component: the host goes back to the pointer and the selection is cleared.
  ASSERT_TRUE(host.action("designer-combos").ok);
  ASSERT_TRUE(host.action("toolbox-place").ok);
  int group = 0;
  int item = 0;
  XListView_GetSelectItem(list, &group, &item);
  EXPECT_EQ(group, -1);
  EXPECT_EQ(item, -1);
}

// --- properties and events -------------------------------------------------------------------

class PropertiesTest : public PanesModulesTest {
 protected:
  void startDesigner(const std::string& combos = "designer-combos prefix=1 select=2") {
    start();
    combo = componentCombo();
    events = eventCombo();
    ASSERT_NE(combo, 0);
    ASSERT_NE(events, 0);
    ASSERT_TRUE(host.action(combos).ok);
  }
  std::vector<std::string> eventRows() {
    std::vector<std::string> rows;
    for (int i = 0; i < XComboBox_GetCount(events); ++i)
      rows.push_back(utf16ToGbk(XComboBox_GetItemText(events, i, 1)));
    return rows;
  }
  void openEvents() {
    XComboBox_PopupDropList(events);
    XComboBox_CloseDropList(events);
  }
  HELE combo = 0, events = 0;
};

TEST_F(PropertiesTest, ComponentsAreMirroredAndTheExactNameIsChosen) {
  startDesigner();
  ASSERT_EQ(XComboBox_GetCount(combo), 6);
  EXPECT_EQ(utf16ToGbk(XComboBox_GetItemText(combo, 1, 0)), "按钮10");
  EXPECT_EQ(utf16ToGbk(XComboBox_GetText(combo)), "按钮1");
  EXPECT_EQ(utf16ToGbk(XComboBox_GetText(events)), "被单击");

  // "按钮1" chosen while "按钮10" comes first: the host selects "按钮1".
  size_t mark = host.journalSize();
  onComponentChosen(2);
  auto selected = host.waitForJournal("component-selected", {}, 2000, mark);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->get("name").value_or(""), "按钮1");

  // "线条1" has no events: the component combo says so.
  mark = host.journalSize();
  onComponentChosen(5);
  ASSERT_TRUE(host.waitForJournal("component-selected", fieldIs("name", "线条1"), 2000, mark));
  EXPECT_EQ(utf16ToGbk(XComboBox_GetText(events)), "--- 无对应事件 ---");
  EXPECT_EQ(utf16ToGbk(XComboBox_GetText(combo)), "无可用组件");
  openEvents();
  EXPECT_EQ(XComboBox_GetCount(events), 0);
}

TEST_F(PropertiesTest, EventRowsKeepTheHostsIndexesAndAChoiceCreatesTheHandler) {
  startDesigner("designer-combos select=0");  // _启动窗口: a separator at index 3
  openEvents();
  const std::vector<std::string> rows = eventRows();
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[3], std::string(100, '-'));
  EXPECT_EQ(XComboBox_GetItemImage(events, 3, 0), 0);
  EXPECT_NE(XComboBox_GetItemImage(events, 4, 0), 0);
  EXPECT_EQ(GetParent(hostWindows().leftPanelItem1059()), shellFrameHwnd());

  size_t mark = host.journalSize();
  onEventChosen(4);
  auto handler = host.waitForJournal("event-handler", {}, 2000, mark);
  ASSERT_TRUE(handler);
  EXPECT_EQ(handler->get("name").value_or(""), "__启动窗口_鼠标左键被按下");

  // An entry the host cannot give (CB_ERR) is left out; the rows after it still name their own.
  ASSERT_TRUE(host.action("mode event-length-error 2").ok);  // host index 1
  openEvents();
  ASSERT_EQ(eventRows().size(), 5u);
  mark = host.journalSize();
  onEventChosen(1);  // host index 2
  handler = host.waitForJournal("event-handler", {}, 2000, mark);
  ASSERT_TRUE(handler);
  EXPECT_EQ(handler->get("name").value_or(""), "__启动窗口_将被销毁");

  // The host's combo cannot describe its list: told with the error code; an event choice still
  // goes out, a component choice does not.
  ASSERT_TRUE(host.action("mode combo-info-error 1").ok);
  host.ui().clear();
  mark = host.journalSize();
  onEventChosen(0);
  ASSERT_TRUE(host.waitForJournal("event-handler", fieldIs("name", "__启动窗口_创建完毕"), 2000, mark));
  onComponentChosen(1);
  EXPECT_EQ(host.count("component-selected", {}, mark), 0u);
  const auto boxes = host.ui().calls(ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "无法根据组件自动生成事件\r\n错误代码: 5");
  EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));

  // 1059 and the property grid are given back to their parents at notification 17.
  HWND combo1059 = host.tree().eventCombo;
  const HWND home = GetParent(host.tree().componentCombo);
  EXPECT_EQ(host.restore(), 0);
  EXPECT_TRUE(IsWindow(combo1059));
  EXPECT_EQ(GetParent(combo1059), home);
  EXPECT_TRUE(IsWindow(host.tree().propertyGrid));
  EXPECT_EQ(GetParent(host.tree().propertyGrid), home);
}

TEST_F(PropertiesTest, AThousandEventsAreReadWithTheHeapIntact) {
  ASSERT_TRUE(host.action("mode event-count 1000").ok);
  startDesigner("designer-combos select=5");
  ASSERT_TRUE(host.action("designer-select 5").ok);
  openEvents();
  EXPECT_EQ(eventRows().size(), 1000u);
  EXPECT_EQ(eventRows()[999], std::string(100, '-'));
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}

TEST_F(PropertiesTest, ASecondChoiceOrAShutDownDuringTheWaitIsSafe) {
  startDesigner();
  size_t mark = host.journalSize();
  // Served by the 120 ms wait: a second choice is not started.
  postUiJob([] { onComponentChosen(1); });
  onComponentChosen(3);
  EXPECT_EQ(host.count("component-selected", {}, mark), 1u);
  EXPECT_EQ(host.count("component-selected", fieldIs("name", "编辑框1"), mark), 1u);

  // Notification 17 while the host is given its time: nothing is sent afterwards.
  mark = host.journalSize();
  postUiJob([] { gFixture->restore(); });
  onComponentChosen(4);
  EXPECT_EQ(host.count("component-selected", {}, mark), 0u);
}

}  // namespace
}  // namespace tovalux
