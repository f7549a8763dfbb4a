// The project structure tree and the support-library browser around the stand-in IDE in this
// process, with the real hooks routing the host's tree messages: the sample project and its
// labels, icons and drops; hostile inserts; deletes; context menus on the item under the cursor;
// double-click navigation; folders; collapse-all; search; the library layouts and tips; and a
// seeded property test of the mirror against the host tree.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <random>
#include <string>
#include <vector>

#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "control_traffic.h"
#include "host/host_protocol.h"
#include "host/host_text.h"
#include "host/host_tree.h"
#include "lifecycle/lifecycle.h"
#include "panes/library_browser.h"
#include "panes/project_tree.h"
#include "panes/project_tree_rules.h"
#include "panes/project_tree_search.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/menus/menu.h"
#include "toolkit/model/tree/input.h"
#include "toolkit/model/tree/window.h"
#include "toolkit/model/views/tree.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using project::HostHandle;
using testing::fieldIs;
using testing::HostFixture;

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

HostHandle handleOf(HTREEITEM item) { return static_cast<HostHandle>(reinterpret_cast<uintptr_t>(item)); }
HTREEITEM itemOf(HostHandle handle) { return reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(handle)); }

// The host's own text of an item, untrimmed (what the host handed the mirror).
std::string rawText(HWND tree, HTREEITEM item) {
  char text[260] = {};
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  standin::hostSend(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
  return request.pszText == text ? std::string(text) : std::string();
}

struct Row {
  int depth;
  std::string label;
  std::string icon;
  HostHandle host;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << row.depth << " [" << row.label << "] " << row.icon << " " << row.host;
}

std::vector<Row> paneRows() {
  std::vector<Row> rows;
  for (const int id : paneTreeItems(projectTree())) {
    int depth = 0;
    for (int parent = XTree_GetParentItem(projectTree(), id); parent > 0;
         parent = XTree_GetParentItem(projectTree(), parent))
      ++depth;
    rows.push_back({depth, projectItemLabel(id), std::string(projectItemIcon(id)), projectHostItem(id)});
  }
  return rows;
}

// What the pane must show for the host tree: the hidden branch dropped, the relabels, the
// "查看常量" child first under "常量表", the icons by rule.
void expectedRows(HWND tree, HTREEITEM first, int depth, const std::string& parentLabel, std::vector<Row>& out) {
  for (HTREEITEM item = first; item; item = treeNext(tree, item)) {
    const std::string text = rawText(tree, item);
    if (project::isHiddenBranch(text)) continue;
    std::string label;
    std::string icon;
    bool viewConstants = false;
    if (depth == 0) {
      label = project::topLevelLabel(text);
      icon = project::kRootIcon;
    } else {
      const project::ItemLabel relabel = project::childLabel(text);
      label = relabel.label;
      viewConstants = relabel.viewConstantsChild;
      icon = project::programIcon(hostItemImage(tree, item), text, parentLabel);
    }
    out.push_back({depth, label, icon, handleOf(item)});
    if (viewConstants)
      out.push_back({depth + 1, std::string(project::kViewConstantsLabel), std::string(project::kViewConstantsIcon),
                     handleOf(item)});
    expectedRows(tree, treeChild(tree, item), depth + 1, label, out);
  }
}

std::vector<Row> expectedRows(HWND tree) {
  std::vector<Row> rows;
  expectedRows(tree, treeRoot(tree), 0, "", rows);
  return rows;
}

// Items below the top level with children in both trees: their expansion states. (A host item
// without children cannot be expanded; the pane's "常量表" has the child "查看常量" the host
// item lacks, and a new top-level item is expanded in the pane at once.)
std::vector<std::string> expansionDisagreements(HWND tree) {
  std::vector<std::string> out;
  for (HTREEITEM item : listHostItems(tree)) {
    const int id = projectItemOf(handleOf(item));
    const int firstChild = XTree_GetFirstChildItem(projectTree(), id);
    if (id <= 0 || XTree_GetParentItem(projectTree(), id) <= 0 || firstChild <= 0 || !treeChild(tree, item)) continue;
    // "常量表" opens in the pane to show "查看常量" while its host item has nothing to show.
    if (projectItemLabel(firstChild) == project::kViewConstantsLabel) continue;
    const bool host = hostItemExpanded(tree, item);
    if (host != XTree_IsExpand(projectTree(), id))
      out.push_back(rawText(tree, item) + (host ? " host expanded" : " host collapsed"));
  }
  return out;
}

int paneItemLabelled(std::string_view label) {
  for (const int id : paneTreeItems(projectTree()))
    if (projectItemLabel(id) == label) return id;
  return -1;
}

HTREEITEM hostItemNamed(HWND tree, std::string_view text) {
  for (HTREEITEM item : listHostItems(tree))
    if (rawText(tree, item) == text) return item;
  return nullptr;
}

tk::Window& frameWindow() { return *tk::getWindow(shellFrame()); }

// A point on the label of a shown item, in the frame's client coordinates.
XPoint rowPoint(HELE tree, int id) {
  int index = 0;
  bool found = false;
  for (const int item : paneTreeItems(tree)) {
    bool shown = true;
    for (int parent = XTree_GetParentItem(tree, item); parent > 0; parent = XTree_GetParentItem(tree, parent))
      shown = shown && XTree_IsExpand(tree, parent);
    if (!shown) continue;
    if (item == id) {
      found = true;
      break;
    }
    ++index;
  }
  EXPECT_TRUE(found) << "item " << id << " is not shown";
  XRect r;
  XEle_GetClientRect(tree, &r);
  XEle_RectClientToWndClient(tree, &r);
  return {r.left + 120, r.top + index * 20 + 10};
}

// The items of the open context menu: id and flags, in order.
std::vector<std::pair<int, int>> openMenuItems() {
  std::vector<std::pair<int, int>> items;
  auto* window = tk::context().registry.get<tk::MenuWindow>(tk::menuPopup(0));
  auto* menu = window != nullptr ? tk::context().registry.get<tk::Menu>(window->menu) : nullptr;
  if (menu != nullptr)
    for (const tk::MenuItem& item : menu->items) items.emplace_back(item.id, item.flags);
  return items;
}

// Chooses item `id` of the open menu with the mouse.
void chooseMenuItem(int id) {
  auto* window = tk::context().registry.get<tk::MenuWindow>(tk::menuPopup(0));
  ASSERT_NE(window, nullptr);
  auto* menu = tk::context().registry.get<tk::Menu>(window->menu);
  for (const auto& row : window->rows)
    if (const tk::MenuItem* item = menu->byKey(row.key); item != nullptr && item->id == id) {
      tk::menuLeftUp(*window, {(row.rect.left + row.rect.right) / 2, (row.rect.top + row.rect.bottom) / 2});
      return;
    }
  ADD_FAILURE() << "no menu item " << id;
}

HELE toolButton(std::string_view tooltip) {
  const HELE bar = projectToolBar();
  for (int i = 0; i < XToolBar_GetEleCount(bar); ++i) {
    const HELE element = XToolBar_GetEle(bar, i);
    if (XC_IsHXCGUI(element, XC_BUTTON) && XC_wtoa(XEle_GetToolTip(element).c_str()) == tooltip) return element;
  }
  ADD_FAILURE() << "no tool button " << tooltip;
  return 0;
}

class PanesTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
  }

  void SetUp() override {
    writeSetting("Theme", "LibTree", "true");
    start();
  }

  void start() {
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    ASSERT_NE(projectTree(), 0u);
    ASSERT_NE(libraryTree(), 0u);
    activatePaneByTitle("项目结构");
    host.pump();
  }

  void restart() {
    host.freeLibraryData();
    host.host().destroyWindows();
    resetLifecycleForTests();
    ASSERT_TRUE(host.createWindows());
    start();
  }

  HWND programTree() { return host.tree().programTree; }

  void openSample() {
    ASSERT_TRUE(host.action("project-open-sample").ok);
    flushProjectTree();
    host.pump();
  }

  void expectMirrored(const char* when) {
    EXPECT_EQ(paneRows(), expectedRows(programTree())) << when;
    EXPECT_EQ(expansionDisagreements(programTree()), std::vector<std::string>{}) << when;
  }

  // Tests whose name ends in "Stale" make a pane item the host does not have on purpose: the
  // stand-in reports the pane's look-ups of it.
  static testing::HostOptions options() {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    testing::HostOptions options;
    options.allowDeadHandles = name.size() > 5 && name.substr(name.size() - 5) == "Stale";
    return options;
  }
  HostFixture host{options()};
};

TEST_F(PanesTree, TheSampleProjectIsMirroredWithItsLabelsIconsAndDrops) {
  openSample();
  expectMirrored("after opening");
  const std::vector<Row> rows = paneRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].label, "解决方案项目结构");
  EXPECT_EQ(rows[0].icon, "proE.png");
  EXPECT_TRUE(XTree_IsExpand(projectTree(), paneItemLabelled("解决方案项目结构")));
  for (const char* hidden : {"外部文件记录表", "readme.txt", "程序数据", "常量表...", "声音..."})
    EXPECT_EQ(paneItemLabelled(hidden), -1) << hidden;
  const int globals = paneItemLabelled("全局变量");
  EXPECT_EQ(projectItemIcon(globals), "LocalVariable_16x.png");  // rule 10 over rule 1
  EXPECT_EQ(projectItemIcon(paneItemLabelled("全局计数")), "ProjectSystemSqlCommandVariables_16x.png");
  EXPECT_EQ(projectItemIcon(paneItemLabelled("_启动窗口")), "Dialog.png");
  EXPECT_EQ(projectItemIcon(paneItemLabelled("资源包")), "ImportPackage_16x.png");
  EXPECT_NE(paneItemLabelled("图片或图片组"), -1);
  EXPECT_NE(paneItemLabelled("声音或音频"), -1);
  // "常量表" with one child "查看常量", both standing for the host's "常量表..." item.
  const int constants = paneItemLabelled("常量表");
  const int view = XTree_GetFirstChildItem(projectTree(), constants);
  EXPECT_EQ(projectItemLabel(view), "查看常量");
  EXPECT_EQ(XTree_GetNextSiblingItem(projectTree(), view), -1);
  EXPECT_EQ(projectHostItem(view), projectHostItem(constants));
  EXPECT_EQ(projectItemOf(projectHostItem(constants)), constants);  // the map keeps the parent

  // A second open (the host deletes TVI_ROOT first) mirrors the same tree again.
  openSample();
  expectMirrored("after opening again");
  // Closing: TVI_ROOT empties the pane; an insert under a handle it had is ignored.
  const HTREEITEM oldRoot = treeRoot(programTree());
  ASSERT_TRUE(host.action("project-close-sample").ok);
  EXPECT_EQ(XTree_GetCount(projectTree()), 0);
  EXPECT_EQ(projectItemOf(handleOf(oldRoot)), -1);
  mirrorProjectInsert("孤儿", handleOf(oldRoot), 3, 0x123456);
  EXPECT_EQ(XTree_GetCount(projectTree()), 0);
}

TEST_F(PanesTree, HostileInsertsAreReadBackAndNeverCrash) {
  openSample();
  ASSERT_TRUE(host.action("program-tree-hostile callback").ok);
  ASSERT_TRUE(host.action("program-tree-hostile null-text").ok);
  ASSERT_TRUE(host.action("program-tree-hostile no-text").ok);
  ASSERT_TRUE(host.action("program-tree-hostile no-image 无图标").ok);
  ASSERT_TRUE(host.action("program-tree-hostile root-parent 顶层").ok);
  flushProjectTree();
  // The callback item shows what the host answers when asked; the item inserted without an
  // image flag shows the host's image 0, not the garbage field.
  EXPECT_NE(paneItemLabelled("回调文本项"), -1);
  EXPECT_EQ(projectItemIcon(paneItemLabelled("无图标")), "Class2_16x.png");
  const int top = paneItemLabelled("顶层");
  ASSERT_NE(top, -1);
  EXPECT_EQ(XTree_GetParentItem(projectTree(), top), 0);  // TVI_ROOT as parent: the top level
  expectMirrored("after hostile inserts");
  // A delete of 0 is a delete of TVI_ROOT.
  standin::hostSend(programTree(), TVM_DELETEITEM, 0, 0);
  EXPECT_EQ(XTree_GetCount(projectTree()), 0);
  EXPECT_EQ(treeCount(programTree()), 0);
}

TEST_F(PanesTree, DeletingAnItemForgetsItsWholeSubtree) {
  openSample();
  HTREEITEM globals = hostItemNamed(programTree(), "全局变量");
  HTREEITEM counter = hostItemNamed(programTree(), "全局计数");
  ASSERT_TRUE(globals && counter);
  standin::hostSend(programTree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(globals));
  EXPECT_EQ(projectItemOf(handleOf(globals)), -1);
  EXPECT_EQ(projectItemOf(handleOf(counter)), -1);  // the child's key went with it
  // A late insert naming the deleted child as parent is dropped, not written anywhere.
  const int before = XTree_GetCount(projectTree());
  mirrorProjectInsert("迟到", handleOf(counter), 1, 0x7654321);
  EXPECT_EQ(XTree_GetCount(projectTree()), before);
  flushProjectTree();
  expectMirrored("after the delete");
}

TEST_F(PanesTree, ARightClickActsOnTheItemUnderTheCursor) {
  openSample();
  const int assembly = paneItemLabelled("程序集1");
  const int window = paneItemLabelled("窗口程序集_启动窗口");
  XTree_SetSelectItem(projectTree(), window);  // the user had another item selected
  host.pump();
  const size_t mark = host.journalSize();
  tk::rightUp(frameWindow(), rowPoint(projectTree(), assembly), 0);
  ASSERT_TRUE(tk::menuIsOpen());
  EXPECT_EQ(XTree_GetSelectItem(projectTree()), assembly);
  EXPECT_EQ(openMenuItems().front().first, 3000);
  chooseMenuItem(3002);  // "删除程序集"
  const auto command = host.waitForJournal("program-command", fieldIs("id", "0x0000801B"), 2000, mark);
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->get("selected"), std::optional<std::string>("程序集1"));
  EXPECT_EQ(paneItemLabelled("程序集1"), -1);  // the host deleted it, the mirror followed
  EXPECT_NE(paneItemLabelled("窗口程序集_启动窗口"), -1);

  // Nothing under the cursor: no menu. A sub-program has no menu either.
  XRect r;
  XEle_GetClientRect(projectTree(), &r);
  XEle_RectClientToWndClient(projectTree(), &r);
  tk::rightUp(frameWindow(), {r.left + 100, r.bottom - 3}, 0);
  EXPECT_FALSE(tk::menuIsOpen());
  tk::rightUp(frameWindow(), rowPoint(projectTree(), paneItemLabelled("全局计数")), 0);
  ASSERT_TRUE(tk::menuIsOpen());
  tk::menuDismiss();
  XTree_ExpandItem(projectTree(), window, true);
  tk::rightUp(frameWindow(), rowPoint(projectTree(), paneItemLabelled("_启动窗口_创建完毕")), 0);
  EXPECT_FALSE(tk::menuIsOpen());
}

TEST_F(PanesTree, MenusPerKindCarryTheirDisabledRules) {
  openSample();
  const auto menuOf = [&](std::string_view label) {
    tk::rightUp(frameWindow(), rowPoint(projectTree(), paneItemLabelled(label)), 0);
    std::vector<std::pair<int, int>> items = openMenuItems();
    if (tk::menuIsOpen()) tk::menuDismiss();
    return items;
  };
  const auto flagsOf = [](const std::vector<std::pair<int, int>>& items, int id) {
    for (const auto& [item, flags] : items)
      if (item == id) return flags;
    return -1;
  };
  EXPECT_EQ(flagsOf(menuOf("全局变量"), 4002), 16);  // the category has children
  EXPECT_EQ(flagsOf(menuOf("全局计数"), 4002), 0);
  EXPECT_EQ(flagsOf(menuOf("解决方案项目结构"), 1000), 0);
  EXPECT_EQ(menuOf("坐标").front().first, 7000);  // a data type by its pane parent
  EXPECT_EQ(menuOf("类_演示").front().first, 8000);
  EXPECT_EQ(flagsOf(menuOf("模块引用表"), 9000), 16);
  for (const char* none : {"常量表", "图片或图片组", "声音或音频", "资源包"}) EXPECT_TRUE(menuOf(none).empty()) << none;
}

TEST_F(PanesTree, DoubleClickGoesToTheHostItemAlsoFromViewConstants) {
  openSample();
  for (const char* label : {"常量表", "查看常量"}) {
    const int id = paneItemLabelled(label);
    XTree_ExpandItem(projectTree(), paneItemLabelled("常量表"), true);
    flushProjectTree();
    const size_t mark = host.journalSize();
    tk::leftDoubleClick(frameWindow(), rowPoint(projectTree(), id), tk::mk_lbutton);
    const auto command = host.waitForJournal("program-command", fieldIs("id", "0x00008019"), 2000, mark);
    ASSERT_TRUE(command.has_value()) << label;
    EXPECT_EQ(command->get("selected"), std::optional<std::string>("常量表...")) << label;
  }
}

TEST_F(PanesTree, NewFolderAtTheRootOrInsideTheSelectedFolderAndTheToolBar) {
  openSample();
  XTree_SetSelectItem(projectTree(), paneItemLabelled("类_演示"));
  size_t mark = host.journalSize();
  XEle_SendEvent(toolButton("新建文件夹"), XE_BNCLICK);
  auto command = host.waitForJournal("program-command", fieldIs("id", "0x000080E6"), 2000, mark);
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->get("selected"), std::optional<std::string>("程序数据"));
  XTree_SetSelectItem(projectTree(), paneItemLabelled("分类文件夹1"));
  mark = host.journalSize();
  XEle_SendEvent(toolButton("新建文件夹"), XE_BNCLICK);
  command = host.waitForJournal("program-command", fieldIs("id", "0x000080E6"), 2000, mark);
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->get("selected"), std::optional<std::string>("分类文件夹1"));
  flushProjectTree();
  const int folder = paneItemLabelled("分类文件夹1");
  int folders = 0;
  for (int child = XTree_GetFirstChildItem(projectTree(), folder); child > 0;
       child = XTree_GetNextSiblingItem(projectTree(), child))
    folders += projectItemIcon(child) == "Folder_new_16x.png";
  EXPECT_EQ(folders, 1);
  expectMirrored("after two new folders");

  // Rename (a rebuild) and tidy keep the mirror equal to the host.
  ASSERT_TRUE(host.action("program-folder-name 改名文件夹").ok);
  XTree_SetSelectItem(projectTree(), paneItemLabelled("分类文件夹1"));
  tk::rightUp(frameWindow(), rowPoint(projectTree(), paneItemLabelled("分类文件夹1")), 0);
  chooseMenuItem(2002);
  flushProjectTree();
  EXPECT_NE(paneItemLabelled("改名文件夹"), -1);
  mark = host.journalSize();
  XEle_SendEvent(toolButton("整理文件夹"), XE_BNCLICK);
  command = host.waitForJournal("program-command", fieldIs("id", "0x000080EA"), 2000, mark);
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->get("selected"), std::optional<std::string>("程序数据"));
  flushProjectTree();
  expectMirrored("after rename and tidy");

  // The element buttons run their IDE functions; the host inserts and the mirror follows.
  mark = host.journalSize();
  XEle_SendEvent(toolButton("新长文本常量"), XE_BNCLICK);
  const auto ide = host.entries("ide", mark);
  ASSERT_EQ(ide.size(), 2u);
  EXPECT_EQ(ide[0].get("number"), std::optional<std::string>("0x0402000B"));
  EXPECT_EQ(ide[1].get("number"), std::optional<std::string>("0x0202007E"));
  XEle_SendEvent(toolButton("新全局变量"), XE_BNCLICK);
  flushProjectTree();
  expectMirrored("after new elements");
}

// With an empty host tree there is no root to put a folder under, and nothing to tidy.
TEST_F(PanesTree, FolderCommandsOnAnEmptyHostTreeSayWhyStale) {
  openSample();
  ASSERT_TRUE(host.action("project-close-sample").ok);
  host.ui().answerMessageBox(IDOK);
  host.ui().answerMessageBox(IDOK);
  XEle_SendEvent(toolButton("新建文件夹"), XE_BNCLICK);  // nothing selected: nothing at all
  mirrorProjectInsert("孤", 0, 8, 0x4444);               // a pane item the host does not have
  XTree_SetSelectItem(projectTree(), paneItemLabelled("孤"));
  XEle_SendEvent(toolButton("新建文件夹"), XE_BNCLICK);
  XEle_SendEvent(toolButton("整理文件夹"), XE_BNCLICK);
  const auto boxes = host.ui().calls(testing::ScriptedUi::Kind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "无法建立根文件夹");
  EXPECT_EQ(boxes[1].text, "无法整理分类文件夹");
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST_F(PanesTree, AddModuleReferenceAsksForAFileAndACancelDoesNothing) {
  openSample();
  host.ui().answerOpenFiles({"C:\\模块\\新模块.ec"});
  size_t mark = host.journalSize();
  XEle_SendEvent(toolButton("添加模块引用"), XE_BNCLICK);
  const auto calls = host.ui().calls(testing::ScriptedUi::Kind::kOpenFiles);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].title, "请选择需要添加的模块");
  ASSERT_EQ(host.count("ide", fieldIs("number", "0x02020087"), mark), 1u);
  flushProjectTree();
  EXPECT_EQ(projectItemIcon(paneItemLabelled("新模块.ec")), "ec.png");
  host.ui().answerOpenFiles({});  // cancelled
  mark = host.journalSize();
  XEle_SendEvent(toolButton("添加模块引用"), XE_BNCLICK);
  EXPECT_EQ(host.count("ide", fieldIs("number", "0x02020087"), mark), 0u);
}

TEST_F(PanesTree, CollapseAllCollapsesBothTreesAndUserExpandsAreSentAsStates) {
  openSample();
  XEle_SendEvent(toolButton("全部收缩"), XE_BNCLICK);
  for (const int id : paneTreeItems(projectTree()))
    EXPECT_FALSE(XTree_IsExpand(projectTree(), id)) << projectItemLabel(id);
  for (HTREEITEM item : listHostItems(programTree())) EXPECT_FALSE(hostItemExpanded(programTree(), item));
  // The user expands and collapses in the pane (events 127): the host takes the same state,
  // never the opposite one.
  auto* tree = tk::context().registry.get<tk::Tree>(projectTree());
  ASSERT_NE(tree, nullptr);
  std::mt19937 random(7);
  const std::vector<int> items = paneTreeItems(projectTree());
  for (int i = 0; i < 20; ++i) {
    const int id = items[random() % items.size()];
    if (XTree_GetFirstChildItem(projectTree(), id) <= 0 || !treeChild(programTree(), itemOf(projectHostItem(id))))
      continue;
    tree->expand(id, !XTree_IsExpand(projectTree(), id), true);
    EXPECT_EQ(hostItemExpanded(programTree(), itemOf(projectHostItem(id))), XTree_IsExpand(projectTree(), id));
  }
  expectMirrored("after user expansions");
}

TEST_F(PanesTree, SearchShowsMatchesWithAncestorsAndClearingRestoresTheExpansion) {
  openSample();
  // The user's own expansion (sent to the host as well).
  tk::context().registry.get<tk::Tree>(projectTree())->expand(paneItemLabelled("分类文件夹1"), true, true);
  const int root = paneItemLabelled("解决方案项目结构");
  const int globals = paneItemLabelled("全局变量");
  const int windows = paneItemLabelled("窗口");
  const int folder = paneItemLabelled("分类文件夹1");
  // Typed into the box: the toolkit raises 180 and the search runs.
  XComboBox_SetText(projectFindCombo(), L"全局");
  XEle_SendEvent(projectFindCombo(), XE_EDIT_CHANGED);
  EXPECT_TRUE(projectSearchMatches(globals));
  EXPECT_TRUE(projectSearchMatches(paneItemLabelled("全局计数")));
  EXPECT_FALSE(projectSearchMatches(windows));
  EXPECT_TRUE(XTree_IsExpand(projectTree(), root));
  EXPECT_TRUE(XTree_IsExpand(projectTree(), globals));
  EXPECT_FALSE(XTree_IsExpand(projectTree(), windows));
  EXPECT_FALSE(XTree_IsExpand(projectTree(), folder));
  // An insert during the search obeys it: a match shows, another stays folded away.
  runIdeFunction(project::ide::kNewGlobal);
  runIdeFunction(project::ide::kNewWindow);
  flushProjectTree();
  const int newGlobal = paneItemLabelled("全局变量1");
  ASSERT_NE(newGlobal, -1);
  EXPECT_TRUE(projectSearchMatches(newGlobal));
  EXPECT_FALSE(XTree_IsExpand(projectTree(), windows));  // the host expanded it; the search holds it
  // A GBK extension character matches as a whole ("乤" is 0x81 0x61).
  ASSERT_TRUE(host.action("program-tree-hostile no-image 乤模块").ok);
  searchProjectTree("乤");
  EXPECT_TRUE(projectSearchMatches(paneItemLabelled("乤模块")));
  EXPECT_FALSE(projectSearchMatches(paneItemLabelled("全局变量")));
  // Cleared: the expansion the user had, with what the host did meanwhile.
  searchProjectTree("");
  EXPECT_TRUE(XTree_IsExpand(projectTree(), windows));
  EXPECT_TRUE(XTree_IsExpand(projectTree(), folder));
  EXPECT_TRUE(XTree_IsExpand(projectTree(), globals));
  EXPECT_FALSE(projectSearchMatches(globals));
  flushProjectTree();
  expectMirrored("after the search");
}

// --- the support-library browser ------------------------------------------------------------

int libraryItemLabelled(std::string_view label) {
  for (const int id : paneTreeItems(libraryTree()))
    if (libraryItemLabel(id) == label) return id;
  return -1;
}

TEST_F(PanesTree, TheLibraryTreeMirrorsIconsAndAnyDeleteClearsIt) {
  EXPECT_FALSE(librarySplitLayout());
  EXPECT_EQ(libraryList(), 0u);
  EXPECT_EQ(libraryTipsEdit(), 0u);
  ASSERT_TRUE(host.action("library-tree-fill").ok);
  flushLibraryTree();
  EXPECT_EQ(XTree_GetCount(libraryTree()), treeCount(host.tree().libraryTree));
  EXPECT_EQ(libraryItemIcon(libraryItemLabelled("Tovalux IDE")), "VBLibrary_16x.png");
  EXPECT_EQ(libraryItemIcon(libraryItemLabelled("取窗口句柄")), "ReturnValue_16x.png");
  EXPECT_EQ(libraryItemIcon(libraryItemLabelled("标签乙")), "MatchTag_16x.png");
  EXPECT_EQ(libraryItemIcon(libraryItemLabelled("无图标项")), "");
  EXPECT_EQ(XTree_GetParentItem(libraryTree(), libraryItemLabelled("如果")), libraryItemLabelled("流程控制"));
  // Selecting an entry selects it in the host, whose tips box follows at once.
  const size_t mark = host.journalSize();
  onLibraryTreeSelect(libraryItemLabelled("Tovalux_反汇编_OD"));
  EXPECT_TRUE(host.waitForJournal("ctl-msg", fieldIs("control", "1022"), 1000, mark).has_value());
  EXPECT_NE(windowText(host.tree().tipsBox).find("Tovalux_反汇编_OD"), std::string::npos);
  // Search in the library tree.
  searchLibraryTree("循环");
  EXPECT_TRUE(XTree_IsExpand(libraryTree(), libraryItemLabelled("流程控制")));
  searchLibraryTree("");
  ASSERT_TRUE(host.action("library-tree-delete 判断").ok);
  EXPECT_EQ(XTree_GetCount(libraryTree()), 0);
  EXPECT_EQ(libraryItemOf(handleOf(treeRoot(host.tree().libraryTree))), -1);
}

TEST_F(PanesTree, TheSplitLayoutListsAnEntrysMembersAndShowsItsHelp) {
  EXPECT_EQ(readSetting("Theme", "LibTree"), "true");
  writeSetting("Theme", "LibTree", "fasle");
  restart();
  ASSERT_TRUE(librarySplitLayout());
  ASSERT_NE(libraryList(), 0u);
  ASSERT_NE(libraryTipsEdit(), 0u);
  ASSERT_TRUE(host.action("library-tree-fill").ok);
  flushLibraryTree();
  onLibraryTreeSelect(libraryItemLabelled("流程控制"));
  std::vector<std::string> rows;
  for (int row = 0; row < XListBox_GetCount(libraryList()); ++row)
    rows.push_back(XC_wtoa(XListBox_GetItemText(libraryList(), row, 1).c_str()));
  EXPECT_EQ(rows, (std::vector<std::string>{"如果", "判断", "计次循环首"}));
  EXPECT_EQ(XC_wtoa(XEdit_GetText(libraryTipsEdit()).c_str()), "流程控制");
  onLibraryListSelect(1);
  EXPECT_NE(XC_wtoa(XEdit_GetText(libraryTipsEdit()).c_str()).find("判断"), std::string::npos);
  // A library whose entries are categories lists nothing but still shows its help.
  onLibraryTreeSelect(libraryItemLabelled("演示核心库"));
  EXPECT_EQ(XListBox_GetCount(libraryList()), 0);
  EXPECT_NE(XC_wtoa(XEdit_GetText(libraryTipsEdit()).c_str()).find("演示核心库"), std::string::npos);
  // A 60,000-character tip is cut at 50,000 with the note of what was left out.
  host.host().setMode("library-tip-length", 60000);
  onLibraryTreeSelect(libraryItemLabelled("如果"));
  const std::string tip = XC_wtoa(XEdit_GetText(libraryTipsEdit()).c_str());
  const std::string note = "...后面略掉10000个字符...";
  ASSERT_GE(tip.size(), note.size());
  EXPECT_EQ(tip.substr(tip.size() - note.size()), note);
  // "TRUE" in capitals chooses the single tree again.
  writeSetting("Theme", "LibTree", "TRUE");
  restart();
  EXPECT_FALSE(librarySplitLayout());
}

// --- the mirror against random host traffic --------------------------------------------------

TEST_F(PanesTree, PropertyThePaneEqualsTheHostTreeAfterEveryBatch) {
  static const char* const kTexts[] = {"程序数据", "常量表...",      "图片或图片组...", "声音...",   "外部文件记录表",
                                       "全局变量", "自定义数据类型", "Dll命令",         "窗口",      "子程序",
                                       "Class",    "乤项",           "模块引用表",      "分类文件夹"};
  HWND tree = programTree();
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    for (int op = 1; op <= 1000; ++op) {
      const std::vector<HTREEITEM> items = listHostItems(tree);
      const auto pick = [&] { return items[random() % items.size()]; };
      const unsigned kind = random() % 100;
      if (items.empty() || kind < 5) {  // a new top-level item
        TVINSERTSTRUCTA insert{};
        insert.hParent = (random() % 2) ? TVI_ROOT : nullptr;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
        std::string text = kTexts[random() % std::size(kTexts)];
        insert.item.pszText = text.data();
        insert.item.iImage = 8;
        standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
      } else if (kind < 60) {  // insert under a random item
        TVINSERTSTRUCTA insert{};
        insert.hParent = pick();
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE;
        std::string text = std::string(kTexts[random() % std::size(kTexts)]) + (random() % 3 ? "" : std::to_string(op));
        insert.item.pszText = text.data();
        insert.item.iImage = static_cast<int>(random() % 18);
        standin::hostSend(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
      } else if (kind < 72) {  // delete an item (and its subtree)
        standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(pick()));
      } else if (kind < 73) {
        standin::hostSend(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
      } else if (kind < 85) {  // the host expands or collapses
        standin::hostSend(tree, TVM_EXPAND, (random() % 2) ? TVE_EXPAND : TVE_COLLAPSE,
                          reinterpret_cast<LPARAM>(pick()));
      } else {  // the user expands or collapses a pane item
        const int id = projectItemOf(handleOf(pick()));
        if (id > 0 && XTree_GetFirstChildItem(projectTree(), id) > 0)
          tk::context().registry.get<tk::Tree>(projectTree())->expand(id, !XTree_IsExpand(projectTree(), id), true);
      }
      if (op % 100 == 0) {
        flushProjectTree();
        ASSERT_EQ(paneRows(), expectedRows(tree)) << "seed " << seed << " op " << op;
        ASSERT_EQ(expansionDisagreements(tree), std::vector<std::string>{}) << "seed " << seed << " op " << op;
      }
    }
  }
}

}  // namespace
}  // namespace tovalux
