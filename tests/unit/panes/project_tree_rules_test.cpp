#include <gtest/gtest.h>

#include <set>

#include "panes/project_tree_rules.h"

namespace tovalux::project {
namespace {

TEST(ProjectTreeLabels, RootAndResourceCategoriesAreRelabelled) {
  EXPECT_EQ(topLevelLabel("程序数据"), "解决方案项目结构");
  EXPECT_EQ(topLevelLabel("别的根"), "别的根");
  EXPECT_EQ(childLabel("常量表...").label, "常量表");
  EXPECT_TRUE(childLabel("常量表...").viewConstantsChild);
  EXPECT_EQ(childLabel("图片或图片组...").label, "图片或图片组");
  EXPECT_EQ(childLabel("声音...").label, "声音或音频");
  EXPECT_FALSE(childLabel("声音...").viewConstantsChild);
  EXPECT_EQ(childLabel("常量表").label, "常量表");  // only the host's text with the dots
  EXPECT_FALSE(childLabel("常量表").viewConstantsChild);
  EXPECT_TRUE(isHiddenBranch("外部文件记录表"));
  EXPECT_FALSE(isHiddenBranch("外部文件记录表 "));
}

TEST(ProjectTreeLabels, IconRulesApplyInOrderTheLaterWinning) {
  const std::string_view root = "解决方案项目结构";
  // Direct children of the root: the folder looks, unless a kind rule comes later.
  EXPECT_EQ(programIcon(16, "分类文件夹1", root), "Folder_new_16x.png");
  EXPECT_EQ(programIcon(15, "别的", root), "FilterFolder_new_16x.png");
  EXPECT_EQ(programIcon(1, "全局变量", root), "LocalVariable_16x.png");  // rule 10 over rule 1
  EXPECT_EQ(programIcon(1, "全局计数", "全局变量"), "ProjectSystemSqlCommandVariables_16x.png");
  EXPECT_EQ(programIcon(0, "自定义数据类型", root), "Structure_16x.png");
  EXPECT_EQ(programIcon(0, "坐标", "自定义数据类型"), "Structure_left_16x.png");
  EXPECT_EQ(programIcon(0, "类_演示", root), "Class2_16x.png");
  EXPECT_EQ(programIcon(6, "窗口", root), "WindowsForm2_16x.png");
  EXPECT_EQ(programIcon(6, "_启动窗口", "窗口"), "Dialog.png");
  EXPECT_EQ(programIcon(4, "Dll命令", root), "Interface_16x.png");
  EXPECT_EQ(programIcon(4, "信息框A", "Dll命令"), "Interface_16x.png");
  EXPECT_EQ(programIcon(3, "程序集1", root), "Namespace_16x.png");
  EXPECT_EQ(programIcon(2, "子程序1", "程序集1"), "Method_left_16x.png");
  EXPECT_EQ(programIcon(9, "常量表...", root), "Constant_16x.png");
  EXPECT_EQ(programIcon(10, "声音...", root), "Volume_16x.png");
  EXPECT_EQ(programIcon(11, "图片或图片组...", root), "ImageScale_16x.png");
  EXPECT_EQ(programIcon(12, "资源包", root), "ImportPackage_16x.png");
  EXPECT_EQ(programIcon(13, "示例模块.ec", "模块引用表"), "ec.png");
  EXPECT_EQ(programIcon(14, "模块引用表", root), "LinkedFolder_new_16x.png");
  EXPECT_EQ(programIcon(16, "分类文件夹2", "分类文件夹1"), "Folder_new_16x.png");
  // Below the root, an image no rule names has no icon.
  EXPECT_EQ(programIcon(15, "readme.txt", "外部文件记录表"), "");
  EXPECT_EQ(programIcon(-1, "x", "程序集1"), "");
}

TEST(ProjectTreeLabels, LibraryIconsByImage) {
  EXPECT_EQ(libraryIcon(0), "VBLibrary_16x.png");
  EXPECT_EQ(libraryIcon(7), "Enumerator_left_16x.png");
  for (int image : {12, 17, 25, 26}) EXPECT_EQ(libraryIcon(image), "MatchTag_16x.png") << image;
  EXPECT_EQ(libraryIcon(24), "LaunchInstrumentationTargetBinary_16x.png");
  EXPECT_EQ(libraryIcon(30), "Database_16x.png");
  for (int image : {13, 15, 16, 18, 27, 29, 31, -1}) EXPECT_EQ(libraryIcon(image), "") << image;
}

TEST(ProjectTreeHandles, DecimalTextOfUnsigned32BitHandlesOnly) {
  EXPECT_EQ(parseHandle("1234"), 1234u);
  // Handles above 2 GB stay positive (a signed reading would reject them).
  EXPECT_EQ(parseHandle("4294901760"), kTviRoot);
  EXPECT_EQ(parseHandle("4294967295"), 0xFFFFFFFFu);
  for (const char* bad : {"", "0", "-5", "+5", " 5", "5 ", "4294967296", "99999999999", "12a", "0x10"})
    EXPECT_EQ(parseHandle(bad), 0u) << bad;
  EXPECT_EQ(parseHandle(handleText(0x00A1B2C3u)), 0x00A1B2C3u);
}

std::vector<int> ids(const std::vector<MenuRow>& rows) {
  std::vector<int> out;
  for (const MenuRow& row : rows) out.push_back(row.id);
  return out;
}

TEST(ProjectTreeMenus, EachKindHasItsRowsAndKindsWithoutAMenuHaveNone) {
  EXPECT_EQ(ids(contextMenu(8, "程序数据", "")),
            (std::vector<int>{1000, 1001, 1002, 1003, 1004, 1005, -1, 1006, 1007}));
  EXPECT_EQ(ids(contextMenu(16, "分类文件夹1", "")), (std::vector<int>{2000, 2001, 2002, 2003}));
  EXPECT_EQ(ids(contextMenu(3, "程序集1", "")), (std::vector<int>{3000, -1, 3001, 3002, -1, 3003}));
  EXPECT_EQ(ids(contextMenu(1, "全局变量", "")), (std::vector<int>{4000, -1, 4001, 4002, -1, 4003}));
  EXPECT_EQ(ids(contextMenu(4, "Dll命令", "")), (std::vector<int>{5000, -1, 5001, 5002, -1, 5003}));
  EXPECT_EQ(ids(contextMenu(6, "窗口", "")), (std::vector<int>{6000, -1, 6001, 6002, -1, 6003}));
  // Data types by the host text or by the pane parent's label; other image-0 items are classes.
  EXPECT_EQ(contextMenu(0, "自定义数据类型", "解决方案项目结构").front().id, 7000);
  EXPECT_EQ(contextMenu(0, "坐标", "自定义数据类型").front().id, 7000);
  EXPECT_EQ(ids(contextMenu(0, "类_演示", "解决方案项目结构")), (std::vector<int>{8000, -1, 8001, 8002, -1, 8003}));
  EXPECT_EQ(ids(contextMenu(14, "模块引用表", "")), (std::vector<int>{9000, -1, 9001, 9002, 9003, 9004, -1, 9005}));
  EXPECT_EQ(ids(contextMenu(13, "a.ec", "")), (std::vector<int>{10000, -1, 10001, 10002, 10003, 10004, -1, 10005}));
  for (int image : {2, 9, 10, 11, 12, 15, -1}) EXPECT_TRUE(contextMenu(image, "x", "").empty()) << image;
  EXPECT_EQ(contextMenu(3, "程序集1", "")[0].text, "跳转");
  EXPECT_EQ(contextMenu(3, "程序集1", "")[0].icon, "GoToSourceCode_16x.png");
  EXPECT_EQ(contextMenu(13, "a.ec", "")[5].icon, "");  // "继续公开" has no icon
}

TEST(ProjectTreeMenus, FlagsFollowSeparatorsFixedAndChildDependentRules) {
  const auto flagsOf = [](int image, std::string_view text, int id, bool children) {
    for (const MenuRow& row : contextMenu(image, text, ""))
      if (row.id == id) return menuFlags(row, children);
    return -99;
  };
  const std::vector<MenuRow> root = contextMenu(8, "程序数据", "");
  EXPECT_EQ(menuFlags(root[6], false), kMenuSeparatorFlag);
  // "删除全局变量" is disabled on the category (it has children), enabled on one variable.
  EXPECT_EQ(flagsOf(1, "全局变量", 4002, true), kMenuDisabledFlag);
  EXPECT_EQ(flagsOf(1, "全局计数", 4002, false), 0);
  EXPECT_EQ(flagsOf(4, "Dll命令", 5002, true), kMenuDisabledFlag);
  EXPECT_EQ(flagsOf(6, "窗口", 6002, true), kMenuDisabledFlag);
  EXPECT_EQ(flagsOf(0, "自定义数据类型", 7002, true), kMenuDisabledFlag);
  // Assemblies and classes can be deleted with their sub-programs.
  EXPECT_EQ(flagsOf(3, "程序集1", 3002, true), 0);
  EXPECT_EQ(flagsOf(0, "类_演示", 8002, true), 0);
  // Always disabled, whatever the children.
  for (int id : {9000, 9002, 9004}) EXPECT_EQ(flagsOf(14, "模块引用表", id, false), kMenuDisabledFlag) << id;
  EXPECT_EQ(flagsOf(13, "a.ec", 10004, false), kMenuDisabledFlag);
  EXPECT_EQ(flagsOf(13, "a.ec", 10002, true), 0);
}

TEST(ProjectTreeMenus, EveryItemIdRunsItsHostAction) {
  const auto ide = [](uint32_t n) { return HostAction{HostAction::kIdeFunction, n, 0}; };
  const auto cmd = [](uint32_t n) { return HostAction{HostAction::kCommand, n, 0}; };
  EXPECT_EQ(menuAction(1000), ide(0x0202006A));
  EXPECT_EQ(menuAction(8001), ide(0x0202006A));
  EXPECT_EQ(menuAction(3001), ide(0x0202000D));
  EXPECT_EQ(menuAction(6001), ide(0x02020037));
  EXPECT_EQ(menuAction(7001), ide(0x0202000A));
  EXPECT_EQ(menuAction(4001), ide(0x0202000B));
  EXPECT_EQ(menuAction(5001), ide(0x0202000C));
  EXPECT_EQ(menuAction(1006), cmd(0x80E6));
  EXPECT_EQ(menuAction(2000), cmd(0x80E6));
  EXPECT_EQ(menuAction(2001), cmd(0x80E7));
  EXPECT_EQ(menuAction(2002), cmd(0x80E8));
  EXPECT_EQ(menuAction(9003), cmd(0x80BB));
  EXPECT_EQ(menuAction(10003), cmd(0x80BB));
  EXPECT_EQ(menuAction(9001).kind, HostAction::kAddModuleReference);
  for (int id : {3000, 4000, 5000, 6000, 7000, 8000, 10000}) EXPECT_EQ(menuAction(id), cmd(0x8019)) << id;
  for (int id : {3002, 4002, 5002, 6002, 7002, 8002, 10002}) EXPECT_EQ(menuAction(id), cmd(0x801B)) << id;
  for (int id : {1007, 2003, 3003, 4003, 5003, 6003, 7003, 8003, 9005, 10005})
    EXPECT_EQ(menuAction(id), cmd(0x80EA)) << id;
  for (int id : {9000, 9002, 9004, 10004, -1, 0, 1008, 99999}) EXPECT_EQ(menuAction(id).kind, HostAction::kNone) << id;
  // Every enabled row of every menu does something.
  for (int image : {8, 16, 3, 1, 4, 6, 0, 14, 13})
    for (const MenuRow& row : contextMenu(image, "x", ""))
      if (row.id >= 0 && !row.disabled) {
        EXPECT_NE(menuAction(row.id).kind, HostAction::kNone) << row.id;
      }
}

TEST(ProjectTreeToolBar, TwelveButtonsFourSeparatorsToldApartByTooltip) {
  int buttons = 0, separators = 0;
  std::set<std::string_view> texts;
  for (const ToolButton& button : projectToolButtons()) {
    if (button.text == "|") {
      ++separators;
      continue;
    }
    ++buttons;
    texts.insert(button.text);
    EXPECT_FALSE(button.icon.empty()) << button.text;
    EXPECT_EQ(toolButtonAction(button.text), button.action) << button.text;
  }
  EXPECT_EQ(buttons, 12);
  EXPECT_EQ(separators, 4);
  EXPECT_EQ(texts.size(), 12u);
  EXPECT_EQ(toolButtonAction("全部收缩").kind, HostAction::kCollapseAll);
  EXPECT_EQ(toolButtonAction("新长文本常量"), (HostAction{HostAction::kIdeFunction, 0x0402000B, 0x0202007E}));
  EXPECT_EQ(toolButtonAction("新DLL命令"), (HostAction{HostAction::kIdeFunction, 0x0202000C, 0}));
  EXPECT_EQ(toolButtonAction("|").kind, HostAction::kNone);
  EXPECT_EQ(toolButtonAction("").kind, HostAction::kNone);
}

TEST(ProjectTreeMap, BothDirectionsStayInStep) {
  HostItemMap map;
  map.add(100, 1);
  map.add(200, 2);
  EXPECT_EQ(map.paneOf(100), 1);
  EXPECT_EQ(map.hostOf(2), 200u);
  EXPECT_EQ(map.paneOf(300), -1);
  EXPECT_EQ(map.hostOf(9), 0u);
  // A handle inserted again (the host reused a freed one) replaces its old entry both ways.
  map.add(100, 3);
  EXPECT_EQ(map.paneOf(100), 3);
  EXPECT_EQ(map.hostOf(1), 0u);
  // A pane id mapped again takes its new handle only.
  map.add(400, 3);
  EXPECT_EQ(map.paneOf(100), -1);
  EXPECT_EQ(map.hostOf(3), 400u);
  map.removePane(2);
  EXPECT_FALSE(map.contains(200));
  map.removeHost(400);
  EXPECT_EQ(map.hostOf(3), 0u);
  EXPECT_EQ(map.size(), 0u);
  map.add(5, 5);
  map.clear();
  EXPECT_EQ(map.paneOf(5), -1);
  EXPECT_EQ(map.hostOf(5), 0u);
}

TEST(ProjectTreeSearch, AsciiIgnoresCaseGbkComparesWholeCharacters) {
  EXPECT_TRUE(labelMatches("全局变量", "全局"));
  EXPECT_TRUE(labelMatches("全局变量", "变量"));
  EXPECT_FALSE(labelMatches("全局变量", "局全"));
  EXPECT_TRUE(labelMatches("Dll命令", "dLL"));
  EXPECT_TRUE(labelMatches("信息框A", "框a"));
  EXPECT_TRUE(labelMatches("anything", ""));
  EXPECT_FALSE(labelMatches("", "a"));
  // "乤" is 0x81 0x61: its trail byte is the letter a, which must not match on its own, and a
  // GBK extension character matches as a whole.
  EXPECT_FALSE(labelMatches("乤", "a"));
  EXPECT_FALSE(labelMatches("乤", "A"));
  EXPECT_FALSE(labelMatches("乤b", "ab"));
  EXPECT_TRUE(labelMatches("x乤b", "乤B"));
  // A character cut in half (a lead byte at the end) never matches a whole one.
  EXPECT_FALSE(labelMatches(std::string("ab\x81"), "乤"));
  EXPECT_EQ(trimQuery("  全局 "), "全局");
  EXPECT_EQ(trimQuery(" \t "), "");
}

}  // namespace
}  // namespace tovalux::project
